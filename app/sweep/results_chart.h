// results.svg: the sweep as a chart a browser shows. One horizontal bar
// per test at its median FPS with a whisker over its min-max, grouped by
// calls value, each group on its own axis (logarithmic where the medians
// span more than a factor of 20).
#pragma once

#include <string>
#include <vector>

#include "app/sweep/sweep_results.h"

// An axis: its range, whether it is logarithmic, and where its ticks go.
struct ChartAxis {
  bool logarithmic = false;
  double low = 0.0;
  double high = 1.0;
  std::vector<double> ticks;
  // 0 at low, 1 at high.
  double Position(double value) const;
};

// The axis for a group's values (medians, minima and maxima; values of 0
// are left out on a logarithmic axis).
ChartAxis ChooseAxis(const std::vector<double>& values);

std::string FormatResultsSvg(const SweepResults& results);
bool WriteResultsSvg(const std::string& path, const SweepResults& results, std::string* error);
