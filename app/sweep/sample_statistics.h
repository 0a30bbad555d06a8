// Statistics of one test's per-second frame counts: the first, partial
// second set apart, then median, minimum and maximum of the full seconds.
#pragma once

#include <optional>
#include <vector>

struct SampleStats {
  bool valid = false;  // false when there is no full second to go by
  double median = 0.0;
  unsigned minimum = 0;
  unsigned maximum = 0;
};

// The frame counts of the statistics lines one test left, in log order.
// The first line covers only the part of a second since the test was
// chosen, so it is kept apart from the samples.
struct SecondCounts {
  std::optional<unsigned> firstSecond;
  std::vector<unsigned> samples;
};

SecondCounts SplitFirstSecond(const std::vector<unsigned>& lineCounts);

// Median (the mean of the middle two for an even count), minimum and
// maximum; not valid for no samples.
SampleStats ComputeStats(const std::vector<unsigned>& samples);
