// The sweep's statistics: the partial first second set apart, median with
// odd and even counts, and the log's statistics entries read back and given
// to the test whose span of the log holds them.
#include <gtest/gtest.h>

#include "app/sweep/sample_statistics.h"
#include "app/sweep/stat_lines.h"

namespace {

TEST(SweepStatistics, FirstSecondIsKeptApartAndLeftOutOfTheStatistics) {
  SecondCounts c = SplitFirstSecond({12, 100, 104, 98});
  ASSERT_TRUE(c.firstSecond.has_value());
  EXPECT_EQ(*c.firstSecond, 12u);
  EXPECT_EQ(c.samples, (std::vector<unsigned>{100, 104, 98}));
  SampleStats s = ComputeStats(c.samples);
  ASSERT_TRUE(s.valid);
  EXPECT_EQ(s.median, 100.0);
  EXPECT_EQ(s.minimum, 98u);
  EXPECT_EQ(s.maximum, 104u);

  // Only the partial second: reported, but there is nothing to go by.
  c = SplitFirstSecond({40});
  EXPECT_EQ(c.firstSecond.value_or(0), 40u);
  EXPECT_TRUE(c.samples.empty());
  EXPECT_FALSE(ComputeStats(c.samples).valid);
  EXPECT_FALSE(SplitFirstSecond({}).firstSecond.has_value());
}

TEST(SweepStatistics, MedianOfAnEvenCountIsTheMeanOfTheMiddleTwo) {
  EXPECT_EQ(ComputeStats({7, 1, 4, 10}).median, 5.5);
  EXPECT_EQ(ComputeStats({3, 3}).median, 3.0);
  EXPECT_EQ(ComputeStats({9}).median, 9.0);
  SampleStats s = ComputeStats({5, 1, 9, 2, 8});
  EXPECT_EQ(s.median, 5.0);
  EXPECT_EQ(s.minimum, 1u);
  EXPECT_EQ(s.maximum, 9u);
  // Large counts do not overflow when averaged.
  EXPECT_EQ(ComputeStats({4294967295u, 4294967293u}).median, 4294967294.0);
}

TEST(SweepStatLines, ParsesTheEntriesAsTheLogWritesThem) {
  StatLine s;
  ASSERT_TRUE(ParseStatLine("[01:02:03(0042)] TestStat void TestRenderLines() : Calls 10 @ 345FPS", &s));
  EXPECT_EQ(s.testName, "void TestRenderLines()");
  EXPECT_EQ(s.calls, 10u);
  EXPECT_EQ(s.fps, 345u);
  // Indented, and with a continued entry behind it.
  ASSERT_TRUE(ParseStatLine("[01:02:03(0042)]   TestStat No Test : Calls 1 @ 0FPS [01:02:03(0043)] more", &s));
  EXPECT_EQ(s.testName, "No Test");
  EXPECT_EQ(s.fps, 0u);
  ASSERT_TRUE(ParseStatLine("[01:02:03(0042)] TestStat void TestRender3DPolys(32899) : Calls 800 @ 2FPS\r", &s));
  EXPECT_EQ(s.testName, "void TestRender3DPolys(32899)");

  for (const char* bad : {
           "[01:02:03(0042)] TestStat void TestRenderLines() : Calls 10 @ 345",
           "[01:02:03(0042)] TestStat void TestRenderLines() : Calls x @ 345FPS",
           "[01:02:03(0042)] TestStat void TestRenderLines() Calls 10 @ 345FPS",
           "[01:02:03(0042)] TestStat  : Calls 10 @ 345FPS",
           "[01:02:03(0042)] NoTestStat void X() : Calls 10 @ 345FPS",
           "[01:02:03(0042)] TestStat void X() : Calls 10 @ 345FPSx",
           "Calls per frame=10",
       })
    EXPECT_FALSE(ParseStatLine(bad, &s)) << bad;
}

TEST(SweepStatLines, EachTestGetsTheEntriesOfItsSpanAtItsCallsValue) {
  const std::string a = "\n[00:00:01(0001)] TestStat void TestA() : Calls 1 @ 100FPS";
  const std::string gap = "\n[00:00:02(0002)] W: WM_COMMAND\n[00:00:02(0003)] TestStat void TestA() : Calls 10 @ 50FPS";
  const std::string b1 = "\n[00:00:03(0004)] TestStat void TestB() : Calls 10 @ 7FPS";
  const std::string b2 = "\n[00:00:04(0005)] TestStat void TestB() : Calls 10 @ 9FPS";
  const std::string log = "header" + a + gap + b1 + b2;
  const std::size_t a_begin = 6, a_end = a_begin + a.size();
  const std::size_t b_begin = a_end + gap.size(), b_end = log.size();

  TestLines first = LinesOfTest(log, LogSpan{a_begin, a_end}, 1);
  EXPECT_EQ(first.testName, "void TestA()");
  EXPECT_EQ(first.counts, (std::vector<unsigned>{100}));
  TestLines second = LinesOfTest(log, LogSpan{b_begin, b_end}, 10);
  EXPECT_EQ(second.testName, "void TestB()");
  EXPECT_EQ(second.counts, (std::vector<unsigned>{7, 9}));
  // An entry at another calls value is not the test's, even inside its span.
  EXPECT_TRUE(LinesOfTest(log, LogSpan{a_begin, b_end}, 800).counts.empty());
  // Spans past the end of the text are cut to it.
  EXPECT_EQ(LinesOfTest(log, LogSpan{b_begin, b_end + 1000}, 10).counts.size(), 2u);
  EXPECT_TRUE(LinesOfTest(log, LogSpan{b_end + 5, b_end + 10}, 10).counts.empty());
  EXPECT_EQ(StatLinesIn(log).size(), 4u);
}

}  // namespace
