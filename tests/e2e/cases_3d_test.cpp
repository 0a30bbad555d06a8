// The 3D tests run whole from scripts: every test and polygon variant names
// itself in the per-second statistics at one and ten calls per frame, and
// the one-call lines reach RESULTS.TXT.
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/program_fixture.h"

namespace {

using e2e::Program;

struct Row {
  unsigned id;
  const char* name;  // the test name of the statistics lines
};

// In groups that can run side by side; the random render triangles take
// the longest.
const std::vector<Row> kPointsLinesSprites = {
    {32891, "void Test3DPoints()"},
    {32892, "void TestImmediate3DLines()"},
    {32893, "void TestRender3DLines()"},
    {32914, "void TestSprites()"},
};
const std::vector<Row> kImmediatePolys = {
    {32894, "void TestImmediate3DPolys(32894)"}, {32896, "void TestImmediate3DPolys(32896)"},
    {32898, "void TestImmediate3DPolys(32898)"}, {32900, "void TestImmediate3DPolys(32900)"},
    {32902, "void TestImmediate3DPolys(32902)"},
};
const std::vector<Row> kRenderRandomPolys = {
    {32895, "void TestRender3DPolys(32895)"},
    {32897, "void TestRender3DPolys(32897)"},
};
const std::vector<Row> kRenderLitPolys = {
    {32899, "void TestRender3DPolys(32899)"},
    {32901, "void TestRender3DPolys(32901)"},
    {32903, "void TestRender3DPolys(32903)"},
};

class Tests3D : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    CopyAssets();
  }

  // FPS logging on, the calls-per-frame command, then each test for `ms`
  // milliseconds of the virtual clock, `ms_per_pass` a pass however slow
  // its frame, and two passes more, so that the pass writing its line comes
  // before the next test is chosen. Slow tests take long steps so that
  // they draw a few frames a second, not a hundred.
  void RunEach(const std::vector<Row>& rows, unsigned callsCommand, int ms, int ms_per_pass) {
    std::string script = "command 32916\ncommand " + std::to_string(callsCommand) + "\n";
    for (const Row& r : rows) script += "command " + std::to_string(r.id) + "\nsleep " + std::to_string(ms) + "\nframes 2\n";
    ASSERT_EQ(RunScriptOnVirtualClock(script, ms_per_pass), 0) << stderr_;
  }

  // The statistics lines of one test at `calls` calls per frame.
  int StatLines(const Row& r, unsigned calls) const {
    const std::string line = std::string("TestStat ") + r.name + " : Calls " + std::to_string(calls) + " @ ";
    return static_cast<int>(LogLinesWith(line).size());
  }

  // The RESULTS.TXT lines of one test: its function word and a frame count.
  int ResultLines(const Row& r) const {
    const std::string function = std::string(r.name).substr(5);  // without "void "
    const std::regex line(std::regex_replace(function, std::regex(R"([()])"), R"(\$&)") + " [0-9]+");
    int n = 0;
    for (const std::string& l : Lines("RESULTS.TXT")) n += std::regex_match(l, line);
    return n;
  }

  // Two seconds a test at one call per frame: a statistics line for each
  // second that ended while it ran (two, on the virtual clock), each copied
  // to RESULTS.TXT.
  void ExpectOneCallStatistics(const std::vector<Row>& rows, int ms_per_pass) {
    RunEach(rows, 32815, 2000, ms_per_pass);
    for (const Row& r : rows) {
      SCOPED_TRACE(r.name);
      const int lines = StatLines(r, 1);
      EXPECT_GE(lines, 2);
      EXPECT_EQ(ResultLines(r), lines);
    }
  }
};

TEST_F(Tests3D, PointsLinesAndSpritesLeaveTheirOneCallStatistics) {
  ExpectOneCallStatistics(kPointsLinesSprites, 100);
}

TEST_F(Tests3D, ImmediatePolygonVariantsLeaveTheirOneCallStatistics) {
  ExpectOneCallStatistics(kImmediatePolys, 100);
}

// A quarter of a second a frame or more: two passes a virtual second.
TEST_F(Tests3D, RandomRenderPolygonVariantsLeaveTheirOneCallStatistics) {
  ExpectOneCallStatistics(kRenderRandomPolys, 500);
}

TEST_F(Tests3D, LitRenderPolygonVariantsLeaveTheirOneCallStatistics) {
  ExpectOneCallStatistics(kRenderLitPolys, 100);
}

// Ten calls a frame are counted and named but stay out of RESULTS.TXT. The
// random render triangles fill the screen many times over in one call and
// take seconds a frame at ten, so they run at one only; the others take up
// to a quarter of a second a frame at ten, so two passes a virtual second.
TEST_F(Tests3D, TenCallsAFrameAreLoggedButNotKeptInTheResults) {
  std::vector<Row> rows = kPointsLinesSprites;
  rows.insert(rows.end(), kImmediatePolys.begin(), kImmediatePolys.end());
  rows.insert(rows.end(), kRenderLitPolys.begin(), kRenderLitPolys.end());
  RunEach(rows, 32816, 1100, 500);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_GE(StatLines(r, 10), 1);
    EXPECT_EQ(StatLines(r, 1), 0);
    EXPECT_EQ(ResultLines(r), 0);
  }
}

}  // namespace
