// The program as a whole: started headless from a script, it brings the
// engine up on its window, shows a frame and shuts down cleanly.
#include "tests/e2e/program_fixture.h"

namespace {

using e2e::Count;
using e2e::Program;

TEST_F(Program, StartsShowsAFrameAndShutsDownWithABalancedLog) {
  Write("session.txt", "frames 3\nscreenshot shot.png\n");
  ASSERT_EQ(Run("--headless --script session.txt"), 0) << stderr_;
  std::string log = Read("Logfile.txt");
  ASSERT_EQ(log.rfind("Vornel Tests V0.5\n", 0), 0u);
  EXPECT_EQ(Count(log, "START :"), Count(log, "END :"));
  EXPECT_NE(log.find("CreateDevice() succedded!."), std::string::npos);
  EXPECT_NE(log.find("WINDOWS_MESSAGE : WM_DESTROY"), std::string::npos);
  const std::string last = "END : Vorn::~Vorn()";
  ASSERT_GT(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last);
  std::string png = Read("shot.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST_F(Program, BadScriptLinesAndOptionsStopBeforeStarting) {
  Write("bad.txt", "frames 2\nfly away\n");
  EXPECT_EQ(Run("--headless --script bad.txt"), 2);
  EXPECT_EQ(stderr_.rfind("script:2: ", 0), 0u) << stderr_;
  EXPECT_EQ(Run("--headless --script missing.txt"), 2);
  EXPECT_EQ(Run("--no-such-option"), 2);
  EXPECT_NE(stderr_.find("unknown option"), std::string::npos);
  EXPECT_EQ(Run("--version"), 0);
}

TEST_F(Program, WithoutADisplayItSaysSo) {
  EXPECT_EQ(Run("", "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"), 2);
  EXPECT_NE(stderr_.find("--headless"), std::string::npos) << stderr_;
}

}  // namespace
