// The program as a whole: started headless from a script, it brings the
// engine up on its window, shows a frame and shuts down cleanly.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vornel_e2e_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs vornel in the folder with the given arguments; returns its exit
  // status, with stderr kept in stderr_.
  int Run(const std::string& args, const std::string& env = "") {
    std::string cmd = "cd '" + dir_.string() + "' && " + env + " '" VORNEL_BINARY "' " + args +
                      " < /dev/null 2> stderr.txt";
    int raw = std::system(cmd.c_str());
    stderr_ = Read("stderr.txt");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name) << text; }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
  std::string stderr_;
};

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

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
