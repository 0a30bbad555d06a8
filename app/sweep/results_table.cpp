// The sweep's closing table.
#include "app/sweep/results_table.h"

#include "app/sweep/results_csv.h"
#include "app/sweep/text_table.h"

std::string FormatResultsTable(const SweepResults& results) {
  TextTable table({"test", "mode", "calls", "median FPS", "min-max", "primitives/s"},
                  {false, false, true, true, true, true});
  for (const SweepRow& r : results.rows) {
    const bool s = r.stats.valid;
    table.AddRow({DisplayPath(r.menuPath), r.mode, std::to_string(r.calls), s ? FormatCount(r.stats.median) : "-",
                  s ? std::to_string(r.stats.minimum) + "-" + std::to_string(r.stats.maximum) : "-",
                  s ? FormatCount(MedianPrimitivesPerSecond(r)) : "-"});
  }
  return table.Format();
}
