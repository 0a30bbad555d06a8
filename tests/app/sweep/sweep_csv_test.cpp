// results.csv: what the writer puts down the reader gives back, and what
// the reader refuses (other files, malformed rows).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/sweep/results_csv.h"

namespace {

SweepRow Row(std::string name, unsigned id, std::string path, std::string mode, unsigned calls,
             std::vector<unsigned> counts) {
  SweepRow r;
  r.testName = std::move(name);
  r.commandId = id;
  r.menuPath = std::move(path);
  r.mode = std::move(mode);
  r.calls = calls;
  r.seconds = SplitFirstSecond(counts);
  r.stats = ComputeStats(r.seconds.samples);
  r.frame = "frames/001_" + std::to_string(id) + ".png";
  return r;
}

SweepResults Sample() {
  SweepResults r;
  r.facts = {{"date", "2026-12-09T01:44:05Z"}, {"renderer", "Vornel software rasterizer"}, {"caps", "a: b, c"}};
  r.rows.push_back(Row("void TestRenderLines()", 32773, "&Tests/&2D Tests/&Lines/&Render Lines", "random", 1,
                       {12, 100, 104, 98, 101}));
  // Quotes, commas and a leading blank in the texts; no full second.
  r.rows.push_back(Row("void \"Odd\", name()", 32891, " &Tests/&3D Tests/&Points", "static", 800, {3}));
  r.rows.push_back(Row("void TestSprites()", 32914, "&Tests/&3D Tests/&Sprites", "defined", 10, {}));
  return r;
}

void ExpectSameRows(const SweepResults& a, const SweepResults& b) {
  ASSERT_EQ(a.rows.size(), b.rows.size());
  for (std::size_t i = 0; i < a.rows.size(); ++i) {
    const SweepRow &x = a.rows[i], &y = b.rows[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(x.testName, y.testName);
    EXPECT_EQ(x.commandId, y.commandId);
    EXPECT_EQ(x.menuPath, y.menuPath);
    EXPECT_EQ(x.mode, y.mode);
    EXPECT_EQ(x.calls, y.calls);
    EXPECT_EQ(x.seconds.firstSecond, y.seconds.firstSecond);
    EXPECT_EQ(x.seconds.samples, y.seconds.samples);
    EXPECT_EQ(x.stats.valid, y.stats.valid);
    EXPECT_EQ(x.stats.median, y.stats.median);
    EXPECT_EQ(x.stats.minimum, y.stats.minimum);
    EXPECT_EQ(x.stats.maximum, y.stats.maximum);
    EXPECT_EQ(x.frame, y.frame);
  }
}

TEST(SweepCsv, WhatIsWrittenReadsBackTheSame) {
  const SweepResults original = Sample();
  const std::string text = FormatResultsCsv(original);
  EXPECT_EQ(text.rfind(std::string(kResultsMagic) + "\n# date: 2026-12-09T01:44:05Z\n", 0), 0u);
  EXPECT_NE(text.find(std::string("\n") + kResultsColumns + "\n"), std::string::npos);
  // Median 100.5 of the even count, primitives at one call per frame.
  EXPECT_NE(text.find(",12,100 104 98 101,100.5,98,104,100.5,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"void \"\"Odd\"\", name()\""), std::string::npos) << text;

  SweepResults back;
  std::string error;
  ASSERT_TRUE(ParseResultsCsv(text, &back, &error)) << error;
  EXPECT_EQ(back.facts, original.facts);
  ExpectSameRows(original, back);
  EXPECT_EQ(FormatResultsCsv(back), text);

  // A line break inside a text would split its row: it is written as a blank.
  SweepResults broken = Sample();
  broken.rows[0].testName = "void Two\nLines()";
  ASSERT_TRUE(ParseResultsCsv(FormatResultsCsv(broken), &back, &error)) << error;
  ASSERT_EQ(back.rows.size(), 3u);
  EXPECT_EQ(back.rows[0].testName, "void Two Lines()");

  // The same through a file, with Windows line ends.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_TRUE(ParseResultsCsv(crlf, &back, &error)) << error;
  ExpectSameRows(original, back);
}

TEST(SweepCsv, FilesRoundTripAndUnreadableOnesAreErrors) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vornel_sweep_csv_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "results.csv").string();
  std::string error;
  ASSERT_TRUE(WriteResultsCsv(path, Sample(), &error)) << error;
  SweepResults back;
  ASSERT_TRUE(ReadResultsCsv(path, &back, &error)) << error;
  ExpectSameRows(Sample(), back);

  EXPECT_FALSE(ReadResultsCsv((dir / "missing.csv").string(), &back, &error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
  EXPECT_FALSE(ReadResultsCsv(dir.string(), &back, &error));
  EXPECT_FALSE(WriteResultsCsv((dir / "no" / "such" / "x.csv").string(), Sample(), &error));
  std::filesystem::remove_all(dir);
}

TEST(SweepCsv, ForeignAndMalformedFilesAreRefusedWithTheLine) {
  const std::string head = std::string(kResultsMagic) + "\n# date: x\n" + kResultsColumns + "\n";
  const std::string good = "void T(),1,p,random,1,5,6 7,6.5,6,7,6.5,f.png\n";
  SweepResults r;
  std::string error;
  ASSERT_TRUE(ParseResultsCsv(head + good, &r, &error)) << error;

  EXPECT_FALSE(ParseResultsCsv("name,value\na,1\n", &r, &error));
  EXPECT_NE(error.find("not a vornel results file"), std::string::npos) << error;
  EXPECT_FALSE(ParseResultsCsv("", &r, &error));
  EXPECT_FALSE(ParseResultsCsv(std::string(kResultsMagic) + "\n# date: x\n", &r, &error));
  EXPECT_FALSE(ParseResultsCsv(std::string(kResultsMagic) + "\ntest,calls\n", &r, &error));
  EXPECT_NE(error.find("column names"), std::string::npos) << error;

  struct Bad {
    const char* row;
    const char* why;
  };
  for (const Bad& bad : {
           Bad{"void T(),1,p,random,1,5,6 7,6.5,6,7,6.5\n", "11 fields"},
           Bad{"void T(),x,p,random,1,5,6 7,6.5,6,7,6.5,f\n", "command_id"},
           Bad{"void T(),1,p,random,-1,5,6 7,6.5,6,7,6.5,f\n", "calls"},
           Bad{"void T(),1,p,random,1,5,6 x,6.5,6,7,6.5,f\n", "samples"},
           Bad{"void T(),1,p,random,1,5,6 7,fast,6,7,6.5,f\n", "median_fps"},
           Bad{"void T(),1,p,random,1,5,6 7,9,6,7,6.5,f\n", "outside"},
           Bad{"\"void T(),1,p,random,1,5,6 7,6.5,6,7,6.5,f\n", "quote"},
           Bad{"\"void\"T(),1,p,random,1,5,6 7,6.5,6,7,6.5,f\n", "quote"},
       }) {
    EXPECT_FALSE(ParseResultsCsv(head + good + bad.row, &r, &error)) << bad.row;
    EXPECT_EQ(error.rfind("line 5: ", 0), 0u) << error;
    EXPECT_NE(error.find(bad.why), std::string::npos) << error;
  }
}

}  // namespace
