// Comparing two sweeps: which changes are marked, how rows are matched,
// and what is listed as being in one run only.
#include <gtest/gtest.h>

#include "app/sweep/compare_runs.h"

namespace {

SampleStats Stats(double median, unsigned lo, unsigned hi) {
  SampleStats s;
  s.valid = true;
  s.median = median;
  s.minimum = lo;
  s.maximum = hi;
  return s;
}

SweepRow Row(unsigned id, const char* mode, unsigned calls, SampleStats stats) {
  SweepRow r;
  r.testName = "void Test" + std::to_string(id) + "()";
  r.commandId = id;
  r.menuPath = "&Tests/&2D Tests/Test " + std::to_string(id);
  r.mode = mode;
  r.calls = calls;
  r.stats = stats;
  return r;
}

TEST(SweepCompare, MarksOnlyChangesBeyondTheThresholdAndBothSpreads) {
  // 10% faster, spreads of 4 and 6: marked.
  EXPECT_TRUE(MovedBeyondNoise(Stats(100, 98, 102), Stats(110, 107, 113), 5));
  // 10% slower: marked the other way round just the same.
  EXPECT_TRUE(MovedBeyondNoise(Stats(100, 98, 102), Stats(90, 88, 91), 5));
  // 10% but the first run's spread (12) is wider than the change.
  EXPECT_FALSE(MovedBeyondNoise(Stats(100, 90, 102), Stats(110, 109, 111), 5));
  // ... or the second run's.
  EXPECT_FALSE(MovedBeyondNoise(Stats(100, 99, 101), Stats(110, 95, 115), 5));
  // Exactly at the threshold is not more than it; a higher threshold hides it.
  EXPECT_FALSE(MovedBeyondNoise(Stats(100, 100, 100), Stats(105, 105, 105), 5));
  EXPECT_TRUE(MovedBeyondNoise(Stats(100, 100, 100), Stats(106, 106, 106), 5));
  EXPECT_FALSE(MovedBeyondNoise(Stats(100, 100, 100), Stats(106, 106, 106), 10));
  // A change equal to the spread is noise.
  EXPECT_FALSE(MovedBeyondNoise(Stats(100, 95, 105), Stats(110, 110, 110), 5));
  // Without statistics, or from a median of 0, nothing can be said.
  EXPECT_FALSE(MovedBeyondNoise(SampleStats{}, Stats(110, 110, 110), 5));
  EXPECT_FALSE(MovedBeyondNoise(Stats(0, 0, 0), Stats(110, 110, 110), 5));
}

TEST(SweepCompare, MatchesByTestModeAndCallsAndListsTheRest) {
  SweepResults a, b;
  a.rows = {Row(1, "random", 1, Stats(100, 99, 101)), Row(1, "random", 10, Stats(50, 49, 51)),
            Row(2, "random", 1, Stats(80, 79, 81)), Row(3, "static", 1, SampleStats{})};
  b.rows = {Row(1, "random", 10, Stats(60, 59, 61)), Row(1, "random", 1, Stats(101, 100, 102)),
            Row(2, "static", 1, Stats(80, 79, 81)), Row(3, "static", 1, Stats(5, 5, 5))};
  std::vector<ComparedTest> c = CompareRuns(a, b, 5);
  ASSERT_EQ(c.size(), 5u);
  // In the first run's order; the second run's row found by its key.
  EXPECT_EQ(c[0].calls, 1u);
  ASSERT_TRUE(c[0].hasRatio);
  EXPECT_DOUBLE_EQ(c[0].ratio, 1.01);
  EXPECT_FALSE(c[0].marked);
  EXPECT_EQ(c[1].calls, 10u);
  EXPECT_DOUBLE_EQ(c[1].ratio, 1.2);
  EXPECT_TRUE(c[1].marked);
  // Test 2 in random mode is only in A, in static mode only in B.
  EXPECT_EQ(c[2].commandId, 2u);
  EXPECT_EQ(c[2].second, nullptr);
  EXPECT_EQ(c[4].commandId, 2u);
  EXPECT_EQ(c[4].first, nullptr);
  EXPECT_EQ(c[4].mode, "static");
  // In both, but A has no statistics: no ratio.
  EXPECT_NE(c[3].second, nullptr);
  EXPECT_FALSE(c[3].hasRatio);

  const std::string text = FormatComparison("a.csv", a, "b.csv", b, 5);
  EXPECT_NE(text.find("A: a.csv"), std::string::npos);
  EXPECT_NE(text.find("1.200  * faster"), std::string::npos) << text;
  EXPECT_NE(text.find("only in A:\n  2D Tests/Test 2  random  calls 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("only in B:\n  2D Tests/Test 2  static  calls 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("1 of 3 tests in both runs marked"), std::string::npos) << text;
}

}  // namespace
