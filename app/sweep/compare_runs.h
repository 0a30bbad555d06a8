// Two sweeps side by side: each test, mode and calls value with both
// medians and the ratio second/first, marked where it moved by more than
// the threshold and by more than either run's spread.
#pragma once

#include <string>
#include <vector>

#include "app/sweep/sweep_results.h"

// The marking rule: |b/a - 1| above thresholdPercent, and the change of
// the medians larger than the spread (max - min) of each run. Needs
// statistics in both and a first median above 0.
bool MovedBeyondNoise(const SampleStats& a, const SampleStats& b, double thresholdPercent);

struct ComparedTest {
  std::string label;  // the menu path without "&Tests/" and marks
  std::string mode;
  unsigned calls = 0;
  unsigned commandId = 0;
  const SweepRow* first = nullptr;   // null: only in the second run
  const SweepRow* second = nullptr;  // null: only in the first run
  bool hasRatio = false;
  double ratio = 0.0;  // second median / first median
  bool marked = false;
};

// The first run's rows in its order, then the rows only the second has.
// A row is matched by command id, mode and calls value.
std::vector<ComparedTest> CompareRuns(const SweepResults& first, const SweepResults& second,
                                      double thresholdPercent);

// The text `vornel --compare` prints: what each run was, the table, and the
// tests only one run has.
std::string FormatComparison(const std::string& firstName, const SweepResults& first, const std::string& secondName,
                             const SweepResults& second, double thresholdPercent);
