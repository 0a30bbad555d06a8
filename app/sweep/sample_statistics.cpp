// Median, minimum and maximum of the full seconds of a test.
#include "app/sweep/sample_statistics.h"

#include <algorithm>

SecondCounts SplitFirstSecond(const std::vector<unsigned>& lineCounts) {
  SecondCounts out;
  if (lineCounts.empty()) return out;
  out.firstSecond = lineCounts.front();
  out.samples.assign(lineCounts.begin() + 1, lineCounts.end());
  return out;
}

SampleStats ComputeStats(const std::vector<unsigned>& samples) {
  SampleStats s;
  if (samples.empty()) return s;
  std::vector<unsigned> sorted = samples;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t n = sorted.size();
  s.valid = true;
  s.minimum = sorted.front();
  s.maximum = sorted.back();
  s.median = n % 2 ? sorted[n / 2] : (static_cast<double>(sorted[n / 2 - 1]) + sorted[n / 2]) / 2.0;
  return s;
}
