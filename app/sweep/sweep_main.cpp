// Dispatching --run-all and --compare.
#include "app/sweep/sweep_main.h"

#include <cstdio>
#include <string>

#include "app/sweep/compare_runs.h"
#include "app/sweep/results_csv.h"
#include "app/sweep/sweep_options.h"
#include "app/sweep/sweep_run.h"

namespace {

constexpr const char* kRunAllUsage =
    "usage: vornel --run-all [--seconds S] [--calls 1,10,...] [--tests IDS|all]\n"
    "                        [--modes random,static,defined] [--out DIR] [--headless]\n"
    "\n"
    "  Runs each chosen test (all by default, in menu table order) for S seconds\n"
    "  (default 2) at each calls value (default 1,10,100,200,500,800) and test\n"
    "  type (default random), then writes results.csv, results.svg, frames/ and\n"
    "  contact.png into DIR (default: the working folder) and prints a table.\n";
constexpr const char* kCompareUsage =
    "usage: vornel --compare A.csv B.csv [--threshold P]\n"
    "\n"
    "  Shows both runs' medians per test, test type and calls value with the\n"
    "  ratio B/A, marked where it moved by more than P percent (default 5) and\n"
    "  by more than either run's min-max spread.\n";

bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--help") return true;
  return false;
}

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
    case SweepCommandKind::kCompare:
      *handled = true;
      if (!AsksForHelp(argc, argv)) return Compare(argc, argv);
      std::fputs(kCompareUsage, stdout);
      return 0;
    case SweepCommandKind::kRunAll: {
      *handled = true;
      if (AsksForHelp(argc, argv)) {
        std::fputs(kRunAllUsage, stdout);
        return 0;
      }
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
