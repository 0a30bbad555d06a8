// Choosing the backend at start: script errors stop the start with the
// line to print and status 2; a good script drives the headless backend.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win32/backend_select.h"
#include "tests/platform/win32/ui_test_support.h"

namespace fs = std::filesystem;
using namespace win32_test;

namespace {

class BackendSelect : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    InstallBackend(nullptr);
    path_ = fs::temp_directory_path() / ("vornel_select_" + std::to_string(::getpid()) + ".txt");
  }
  void TearDown() override {
    ShutdownBackend();
    fs::remove(path_);
    UiTest::TearDown();
  }
  void Write(const char* text) { std::ofstream(path_) << text; }
  fs::path path_;
};

}  // namespace

TEST_F(BackendSelect, BadScriptsGiveStatusTwoAndTheLine) {
  std::string error;
  Write("frames 1\nbogus 3\n");
  EXPECT_EQ(InitBackend(BackendKind::kHeadless, path_.c_str(), &error), 2);
  EXPECT_EQ(error, "script:2: unknown command \"bogus\"");
  EXPECT_EQ(ActiveBackend(), nullptr);
  EXPECT_EQ(InitBackend(BackendKind::kHeadless, "/no/such/file", &error), 2);
  EXPECT_EQ(error, "script:0: cannot read \"/no/such/file\"");
}

TEST_F(BackendSelect, HeadlessRunWithAScriptEndsByClosingTheWindow) {
  Write("command 32822\nkey Space\n");
  std::string error;
  ASSERT_EQ(InitBackend(BackendKind::kHeadless, path_.c_str(), &error), 0) << error;
  ASSERT_NE(ActiveBackend(), nullptr);
  EXPECT_STREQ(ActiveBackend()->Name(), "headless");
  HWND w = MakeWindow();
  HACCEL accel = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(kMenuId));
  RunLoop(w, accel, 100, /*wait=*/true);
  std::vector<UINT> expected{32822, 32822};
  EXPECT_EQ(CommandsSeen(), expected);
  EXPECT_TRUE(Quit());
  ShutdownBackend();
  EXPECT_EQ(ActiveBackend(), nullptr);
}
