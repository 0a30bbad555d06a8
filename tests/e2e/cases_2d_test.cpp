// The 2D, screen and dialog tests run whole from scripts: each names itself
// in the per-second statistics and RESULTS.TXT, runs in every mode, shows
// its status texts, and Static lines keep their picture while Random adds.
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/program_fixture.h"

namespace {

using e2e::Count;
using e2e::Program;

struct Row {
  unsigned id;
  const char* name;  // the test name of the statistics lines
};

// The tests of the three menus, in three groups so that they can run side
// by side.
const std::vector<Row> kScaled = {
    {32772, "void TestImmediateLines()"},    {32773, "void TestRenderLines()"},
    {32775, "void TestImmediateBoxes()"},    {32776, "void TestRenderBoxes()"},
    {32777, "void TestRenderBars()"},        {32778, "void TestRenderTextureBars()"},
    {32781, "void TestImmediatePolygon()"},  {32783, "oid TestRenderPolygon()"},
    {32799, "void TestRenderPoints()"},      {32824, "void TestRenderPolygonCol()"},
    {32884, "void TestImmediateBars()"},
};
const std::vector<Row> kScreen = {
    {32866, "void TestScreenRenderPoints()"},     {32868, "void TestScreenImmediateLines()"},
    {32869, "void TestScreenRenderLines()"},      {32871, "void TestScreenRenderBoxes()"},
    {32872, "void TestScreenImmediateBoxes()"},   {32873, "void TestScreenImmediateBars()"},
    {32874, "void TestScreenRenderBars()"},       {32875, "void TestScreenRenderTextureBars()"},
    {32877, "void TestScreenImmediatePolygon()"}, {32878, "void TestScreenRenderPolygon()"},
    {32879, "void TestScreenRenderPolygonCol()"},
};
const std::vector<Row> kCopiesTextDialogs = {
    {32826, "void TestCopyTexture1_1()"},
    {32827, "void TestCopyTextureToSection()"},
    {32828, "void TestCopyFromTextureSection()"},
    {32830, "void TestTPrint()"},
    {32831, "void TestTPrintPrepare()"},
    {32840, "void TestScrollTexture()"},
    {32841, "void TestCopyFromTextureSectionToLocation()"},
    {32886, "void TestTAlert()"},
    {32888, "void TestScreenTPrint()"},
    {32889, "void TestScreenTPrintPrepare()"},
    {32890, "void TestMouse()"},
};

class Tests2D : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    CopyAssets();
  }

  // Each test for a little more than a second of the virtual clock (20 ms
  // a pass) with FPS logging on, at one call per frame: every one leaves a
  // statistics line naming it, and RESULTS.TXT a line of its function and
  // frame rate. The two passes after the wait make sure the pass that
  // writes the line comes before the next test is chosen.
  void ExpectStatisticsOfEach(const std::vector<Row>& rows) {
    std::string script = "command 32916\n";
    for (const Row& r : rows) script += "command " + std::to_string(r.id) + "\nsleep 1300\nframes 2\n";
    ASSERT_EQ(RunScriptOnVirtualClock(script, 20), 0) << stderr_;

    const std::regex stat(R"(TestStat (\S+ \S+) : Calls (\d+) @ (\d+)FPS$)");
    std::set<std::string> named;
    std::string results;
    for (const std::string& line : Lines("Logfile.txt")) {
      std::smatch m;
      if (!std::regex_search(line, m, stat) || m[1] == "No Test") continue;
      named.insert(m[1]);
      EXPECT_EQ(m[2], "1") << line;
      const std::string name = m[1];
      results += name.substr(name.find(' ') + 1) + " " + m[3].str() + "\n";
    }
    for (const Row& r : rows) EXPECT_EQ(named.count(r.name), 1u) << r.name;
    EXPECT_EQ(Read("RESULTS.TXT"), results);
    const std::string log = Read("Logfile.txt");
    EXPECT_EQ(Count(log, "Screenswap during a scene is not allowed"), 0);
    EXPECT_EQ(Count(stderr_, "MessageBox"), 0) << stderr_;
  }

  // The text of status part `index` in a dump-status file.
  std::string Part(const std::string& dump, int index) {
    const std::string prefix = std::to_string(index) + "\t";
    for (const std::string& line : Lines(dump))
      if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "missing";
  }
};

TEST_F(Tests2D, ScaledTestsNameThemselvesInTheStatisticsAndResults) { ExpectStatisticsOfEach(kScaled); }

TEST_F(Tests2D, ScreenTestsNameThemselvesInTheStatisticsAndResults) { ExpectStatisticsOfEach(kScreen); }

TEST_F(Tests2D, CopyTextAndDialogTestsNameThemselvesInTheStatisticsAndResults) {
  ExpectStatisticsOfEach(kCopiesTextDialogs);
}

TEST_F(Tests2D, EveryTestRunsInStaticAndDefinedMode) {
  std::string script;
  // Static at ten calls a frame, Defined at one.
  for (const char* mode : {"32802", "32833"}) {
    script += std::string("command ") + mode + "\ncommand " + (mode[4] == '2' ? "32816" : "32815") + "\n";
    for (const std::vector<Row>* group : {&kScaled, &kScreen, &kCopiesTextDialogs})
      for (const Row& r : *group) {
        const std::string id = std::to_string(r.id);
        script += "command " + id + "\nframes 2\ndump-status " + mode + "_" + id + ".txt\n";
      }
  }
  ASSERT_EQ(RunScript(script), 0) << stderr_;
  EXPECT_EQ(Count(stderr_, "MessageBox"), 0) << stderr_;
  const std::string log = Read("Logfile.txt");
  EXPECT_EQ(Count(log, "Screenswap during a scene is not allowed"), 0);
  EXPECT_EQ(Count(log, "Calls per frame=10"), 1);
  EXPECT_EQ(Count(log, "Calls per frame=1"), 2);  // =10, then =1
  // The bench's own spellings.
  EXPECT_EQ(Part("32802_32783.txt", 0), "TestRenderPolgon()");
  EXPECT_EQ(Part("32802_32783.txt", 2), "Not Random");
  EXPECT_EQ(Part("32802_32778.txt", 2), "Non Random");
  EXPECT_EQ(Part("32802_32873.txt", 0), "TestScreenImmediateBoxs()");
  EXPECT_EQ(Part("32802_32775.txt", 0), "TestImmediateBoxs()");
  EXPECT_EQ(Part("32802_32828.txt", 0), "TestCopyFromtextureSection()");
  EXPECT_EQ(Part("32833_32828.txt", 0), "TestCopyFromTextureSection()");
  EXPECT_EQ(Part("32833_32828.txt", 2), "Defined");
  EXPECT_EQ(Part("32802_32841.txt", 0), "TestCopytextureSectionToLocation()");
  EXPECT_EQ(Part("32833_32840.txt", 0), "TestScrolltexture()");
  EXPECT_EQ(Part("32833_32830.txt", 1), "Transparent Text OFF");
}

TEST_F(Tests2D, StaticLinesKeepTheirPictureAndRandomAddsALineEachFrame) {
  ASSERT_EQ(RunScript("command 32802\n"
                      "menu \"&Tests/&2D Tests/&Lines/&Render Lines\"\n"
                      "frames 2\nscreenshot static1.png\nframes 3\nscreenshot static2.png\n"
                      "command 32801\n"
                      "frames 1\nscreenshot random1.png\nframes 1\nscreenshot random2.png\n"),
            0)
      << stderr_;
  const std::string static1 = Read("static1.png");
  ASSERT_GT(static1.size(), 8u);
  EXPECT_EQ(Read("static2.png"), static1);
  EXPECT_NE(Read("random1.png"), static1);
  EXPECT_NE(Read("random2.png"), Read("random1.png"));
}

TEST_F(Tests2D, TransparentTextAndRelativeScalingShowInTheScreenText) {
  ASSERT_EQ(RunScript("command 32832\ncommand 32880\ncommand 32817\n"
                      "command 32888\nframes 2\ndump-status print.txt\nscreenshot print.png\n"
                      "command 32889\nframes 2\ndump-status prepare.txt\n"),
            0)
      << stderr_;
  EXPECT_EQ(Part("print.txt", 0), "TestScreenTPrint()");
  EXPECT_EQ(Part("print.txt", 1), "Transparent Text ON");
  EXPECT_EQ(Part("prepare.txt", 0), "TestScreenTPrintPrepare()");
  EXPECT_EQ(Part("prepare.txt", 2), "Random");
  EXPECT_EQ(Count(Read("Logfile.txt"), "Transparent Text ON"), 2);
}

}  // namespace
