// The bench a user drives, run whole from scripts: the start with its
// splash and check marks, the per-second statistics and RESULTS.TXT, the
// running modes, a resolution change, the texture dialog, a bad picture,
// the About box and Exit, and the real Qt window.
#include <regex>

#include "tests/e2e/program_fixture.h"

namespace {

using e2e::Count;
using e2e::Program;

class Bench : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    CopyAssets();
  }
  // The check state of a menu item in a dump-menu file, by its path.
  std::string Check(const std::string& dump, const std::string& path) {
    for (const std::string& line : Lines(dump)) {
      std::size_t tab = line.find('\t');
      if (tab != std::string::npos && line.substr(tab + 3) == path) return line.substr(tab + 1, 1);
    }
    return "missing";
  }
  // The text of status part `index` in a dump-status file.
  std::string Part(const std::string& dump, int index) {
    std::string prefix = std::to_string(index) + "\t";
    for (const std::string& line : Lines(dump))
      if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "missing";
  }
};

TEST_F(Bench, StartsWithTheSplashNoTestRunningAndTheComputedCheckMarks) {
  ASSERT_EQ(RunScript("frames 3\ndump-status status.txt\ndump-menu menu.txt\nscreenshot splash.png\n"), 0)
      << stderr_;
  EXPECT_EQ(Part("status.txt", 0), "No Test Running");
  EXPECT_EQ(Check("menu.txt", "&Settings/Calls Per &Frame/&1"), "1");
  EXPECT_EQ(Check("menu.txt", "&Settings/Calls Per &Frame/1&0"), "0");  // marked in the resource
  EXPECT_EQ(Check("menu.txt", "&Settings/&Copy to Test Texture/Texture &5"), "1");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Copy to Test Texture/Texture &1"), "0");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Resolution/1024 x 768"), "1");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Resolution/800 x 600"), "0");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Render States/&Cull Mode/&None"), "1");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Render States/&Cull Mode/D3DCULL_NONE"), "1");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Render States/&Cull Mode/&CW"), "0");
  EXPECT_EQ(Check("menu.txt", "&Tests/&2D Tests/&Lines/&Render Lines"), "0");

  std::string log = Read("Logfile.txt");
  std::size_t start = log.find("* STARTING MAIN LOOP *");
  std::size_t end = log.find("*  ENDING MAIN LOOP  *");
  ASSERT_NE(start, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  EXPECT_LT(log.find("No Test Running"), start);
  EXPECT_LT(start, end);
  EXPECT_LT(end, log.find("KillD3D()", end));
  EXPECT_EQ(Read("splash.png").substr(1, 3), "PNG");
  EXPECT_TRUE(Exists("RESULTS.TXT"));
  EXPECT_EQ(Read("RESULTS.TXT"), "");
}

TEST_F(Bench, FpsLoggingWritesOneLinePerSecondAndResultsKeepOnlyOneCall) {
  ASSERT_EQ(RunScriptOnVirtualClock("command 32916\n"
                                    "menu \"&Tests/&2D Tests/&Lines/&Render Lines\"\n"
                                    "sleep 2300\n"
                                    "command 32816\n"
                                    "sleep 2300\n"),
            0)
      << stderr_;
  const std::regex stat(R"(^\[(\d\d:\d\d:\d\d)\(\d+\)\] TestStat (.+) : Calls (\d+) @ (\d+)FPS$)");
  std::vector<std::string> seconds;
  int ones = 0, tens = 0;
  std::string expected_results;
  for (const std::string& line : Lines("Logfile.txt")) {
    if (line.find("TestStat") == std::string::npos) continue;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, stat)) << line;
    seconds.push_back(m[1]);
    if (m[2] == "No Test") continue;
    EXPECT_EQ(m[2], "void TestRenderLines()");
    if (m[3] == "1") {
      ++ones;
      expected_results += "TestRenderLines() " + m[4].str() + "\n";
    } else {
      EXPECT_EQ(m[3], "10");
      ++tens;
    }
  }
  // One line a second: on the virtual clock no pass is slow enough to
  // stamp two lines in one second.
  EXPECT_LE(seconds.size(), 9u);
  for (std::size_t i = 1; i < seconds.size(); ++i) EXPECT_NE(seconds[i], seconds[i - 1]) << i;
  EXPECT_GE(ones, 2);
  EXPECT_GE(tens, 2);
  EXPECT_EQ(Read("RESULTS.TXT"), expected_results);
  EXPECT_EQ(Count(Read("Logfile.txt"), "Calls per frame=10"), 1);
}

TEST_F(Bench, StepResumeAndOnMessagesShowTheirModes) {
  // Stepping waits a little every pass; the virtual clock takes the waits.
  ASSERT_EQ(RunScriptOnVirtualClock("command 32773\nframes 2\n"
                                    "key Space\nkey Space\nframes 2\ndump-status stepping.txt\n"
                                    "menu \"&Settings/On &Messages\"\ndump-status messages.txt\n"
                                    "menu \"&Settings/On &Messages\"\ndump-status again.txt\n"
                                    "key Enter\nframes 2\ndump-status resumed.txt\ndump-menu menu.txt\n"),
            0)
      << stderr_;
  EXPECT_EQ(Part("stepping.txt", 3), "Stepping");
  EXPECT_EQ(Part("messages.txt", 3), "Update On Messages");
  EXPECT_EQ(Part("again.txt", 3), "Stepping");
  EXPECT_EQ(Part("resumed.txt", 3), "Free Running");
  EXPECT_EQ(Part("resumed.txt", 0), "TestRenderLines()");
  EXPECT_EQ(Check("menu.txt", "&Settings/On &Messages"), "0");
}

TEST_F(Bench, OnMessagesDrawsAFrameOnlyWhenAMessageArrives) {
  // In "On Messages" mode the loop waits; script steps are the messages.
  ASSERT_EQ(RunScript("menu \"&Settings/On &Messages\"\ncommand 32916\ncommand 32773\n"
                      "mouse move 10 10\nmouse move 20 20\nmouse down left\nmouse up left\n"
                      "dump-status status.txt\n"),
            0)
      << stderr_;
  // The test ran on one of those messages and set its own status texts.
  EXPECT_EQ(Part("status.txt", 0), "TestRenderLines()");
  std::string log = Read("Logfile.txt");
  EXPECT_EQ(Count(log, "WINDOWS_MESSAGE : WM_LBUTTONDOWN"), 1);
  EXPECT_EQ(Count(log, "WINDOWS_MESSAGE : WM_LBUTTONUP"), 1);
}

TEST_F(Bench, AResolutionChangeResetsTheDeviceAndNamesItself) {
  ASSERT_EQ(RunScript("menu \"&Settings/&Resolution/1680 x 1050\"\nframes 3\n"
                      "dump-status status.txt\ndump-menu menu.txt\n"),
            0)
      << stderr_;
  EXPECT_EQ(Part("status.txt", 1), "1680 x 1050");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Resolution/1680 x 1050"), "1");
  EXPECT_EQ(Check("menu.txt", "&Settings/&Resolution/1024 x 768"), "0");
  EXPECT_NE(Read("Logfile.txt").find("SetRez(1680,1050)"), std::string::npos);
}

TEST_F(Bench, AnImpossibleUserTextureKeepsTheDialogOpenWithTheErrorName) {
  const std::string impossible =
      "texture-dialog width=64 height=32 usage=D3DUSAGE_RENDERTARGET format=D3DFMT_A8R8G8B8 "
      "pool=D3DPOOL_MANAGED ok\n";
  ASSERT_EQ(RunScript("command 32852\n" + impossible + "frames 2\ndump-menu menu.txt\n" +
                      "command 32852\n" + impossible + "frames 2\n" +
                      "command 32852\n"
                      "texture-dialog usage=0 format=D3DFMT_X8R8G8B8 pool=D3DPOOL_MANAGED ok\n"
                      "frames 2\n"),
            0)
      << stderr_;
  // Two failures, each naming the error; the preview shows the settings of
  // the last creation, width before height.
  EXPECT_EQ(Count(stderr_, "Dialog [Create New Texture] stayed open after IDOK"), 2) << stderr_;
  EXPECT_EQ(Count(stderr_, "1006=D3DERR_INVALIDCALL"), 2) << stderr_;
  EXPECT_NE(stderr_.find("1007=D3DXCreateTexture(Vorn.GetDevice(),128,128,0,D3DUSAGE_RENDERTARGET,"),
            std::string::npos)
      << stderr_;
  EXPECT_NE(stderr_.find("1007=D3DXCreateTexture(Vorn.GetDevice(),64,32,0,D3DUSAGE_RENDERTARGET,"
                         "D3DFMT_A8R8G8B8,D3DPOOL_MANAGED,*Texture)"),
            std::string::npos)
      << stderr_;
  EXPECT_EQ(Check("menu.txt", "&Settings/&Copy to Test Texture/&User Defined Texture"), "1");
  EXPECT_EQ(Count(Read("Logfile.txt"), "ID_COPYTOTESTTEXTURE_USERDEFINEDTEXTURE"), 3);
}

TEST_F(Bench, ACorruptPictureFromLoadTextureIsReportedNotFatal) {
  Write("broken.jpg", "this is not a picture at all");
  ASSERT_EQ(RunScript("open-file broken.jpg\ncommand 32861\nframes 2\n"
                      "open-file cancel\ncommand 32861\nframes 2\n"),
            0)
      << stderr_;
  EXPECT_EQ(Count(Read("Logfile.txt"), "LoadTexture(broken.jpg) INVALIDDATA"), 1);
}

TEST_F(Bench, AboutAndExitLogThemselvesAndTheBenchShutsDownNormally) {
  ASSERT_EQ(RunScript("key Alt+/\nframes 2\nmenu \"&Help/&About ...\"\nframes 2\nquit\n"), 0) << stderr_;
  std::string log = Read("Logfile.txt");
  EXPECT_EQ(Count(log, "WINDOWS_MESSAGE : IDM_ABOUT"), 2);
  EXPECT_EQ(Count(log, "File->Exit"), 1);
  EXPECT_LT(log.find("File->Exit"), log.find("WM_DESTROY"));
  EXPECT_TRUE(Exists("RESULTS.TXT"));
}

TEST_F(Bench, TheQtWindowShowsItsMenuBarPictureAndStatusBar) {
  ASSERT_EQ(Run("--script session.txt", "QT_QPA_PLATFORM=offscreen"), 2);  // no script file yet
  if (stderr_.find("no Qt window backend") != std::string::npos) GTEST_SKIP() << "built without Qt";
  Write("session.txt", "menu \"&Tests/&2D Tests/&Lines/&Render Lines\"\nframes 20\n"
                       "screenshot-window window.png\ndump-status status.txt\n");
  ASSERT_EQ(Run("--script session.txt", "QT_QPA_PLATFORM=offscreen"), 0) << stderr_;
  EXPECT_EQ(Read("window.png").substr(1, 3), "PNG");
  EXPECT_EQ(Part("status.txt", 0), "TestRenderLines()");
  EXPECT_TRUE(Exists("RESULTS.TXT"));
}

}  // namespace
