// Dispatching --run-all and --compare.
#include "app/sweep/sweep_main.h"

#include <cstdio>
#include <string>

#include "app/sweep/compare_runs.h"
#include "app/sweep/results_csv.h"
#include "app/sweep/sweep_options.h"
#include "app/sweep/sweep_run.h"

namespace {

int Compare(int argc, char** argv) {
  CompareOptions options;
  std::string error;
  if (!ParseCompareOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "vornel: %s\n", error.c_str());
    return 2;
  }
  SweepResults first, second;
  if (!ReadResultsCsv(options.first, &first, &error) || !ReadResultsCsv(options.second, &second, &error)) {
    std::fprintf(stderr, "vornel: --compare: %s\n", error.c_str());
    return 2;
  }
  std::fputs(FormatComparison(options.first, first, options.second, second, options.thresholdPercent).c_str(), stdout);
  return 0;
}

}  // namespace

int RunSweepCommand(int argc, char** argv, bool* handled) {
  *handled = false;
  switch (FindSweepCommand(argc, argv)) {
    case SweepCommandKind::kNone: return 0;
    case SweepCommandKind::kCompare: *handled = true; return Compare(argc, argv);
    case SweepCommandKind::kRunAll: {
      *handled = true;
      RunAllOptions options;
      std::string error;
      if (!ParseRunAllOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vornel: %s\n", error.c_str());
        return 2;
      }
      return RunSweep(options);
    }
  }
  return 0;
}
