// The script language: parsing and its errors, and the runner's pace,
// waits, screenshots, dumps and the end of a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win32/clock.h"
#include "platform/win32/window_pixels.h"
#include "tests/platform/win32/script/script_test_support.h"

using namespace win32_test;
namespace fs = std::filesystem;

namespace {

std::string ParseError(const std::string& text) {
  Script script;
  std::string error;
  EXPECT_FALSE(ParseScript(text, &script, &error));
  return error;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string g_error;
void RecordError(const std::string& message) { g_error = message; }

class ScriptRun : public ScriptUiTest {
 protected:
  void SetUp() override {
    ScriptUiTest::SetUp();
    dir_ = fs::temp_directory_path() / ("vornel_script_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    g_error.clear();
    SetScriptErrorHandler(RecordError);
  }
  void TearDown() override {
    ScriptUiTest::TearDown();
    fs::remove_all(dir_);
  }
  void UseScript(const std::string& text, ScriptRunnerOptions options = {}) {
    Script script;
    std::string error;
    ASSERT_TRUE(ParseScript(text, &script, &error)) << error;
    runner_ = std::make_unique<ScriptRunner>(std::move(script), options);
    InstallScriptRunner(runner_.get());
  }
  std::string P(const char* name) { return (dir_ / name).string(); }
  fs::path dir_;
  std::unique_ptr<ScriptRunner> runner_;
};

}  // namespace

TEST(ScriptParser, ReadsEveryCommandWithItsArguments) {
  Script s;
  std::string error;
  ASSERT_TRUE(ParseScript("# a comment\n"
                          "command 32773\n"
                          "menu \"&Tests/&2D Tests/&Lines/&Render Lines\"   # trailing comment\n"
                          "key Alt+?\n"
                          "mouse move 10 20\n"
                          "mouse down right\n"
                          "frames 5\n"
                          "sleep 1500\n"
                          "answer retry\n"
                          "open-file \"my pics/a.bmp\"\n"
                          "open-file cancel\n"
                          "texture-dialog width=256 height=128 usage=0 format=D3DFMT_DXT1 pool=\"D3DPOOL_MANAGED\" ok\n"
                          "\n"
                          "screenshot out.png\n"
                          "dump-menu menu.txt\n"
                          "quit\n",
                          &s, &error))
      << error;
  ASSERT_EQ(s.steps.size(), 14u);
  EXPECT_EQ(s.steps[0].number, 32773);
  EXPECT_EQ(s.steps[0].line, 2);
  EXPECT_EQ(s.steps[1].text, "&Tests/&2D Tests/&Lines/&Render Lines");
  EXPECT_EQ(s.steps[2].key.vk, VK_OEM_2);
  EXPECT_TRUE(s.steps[2].key.alt && s.steps[2].key.shift);
  EXPECT_EQ(s.steps[3].number2, 20);
  EXPECT_TRUE(s.steps[4].right);
  EXPECT_EQ(s.steps[6].number, 1500);
  EXPECT_EQ(s.steps[7].answer, IDRETRY);
  EXPECT_EQ(s.steps[8].text, "my pics/a.bmp");
  EXPECT_TRUE(s.steps[9].cancel);
  const ScriptStep& d = s.steps[10];
  EXPECT_EQ(d.op, ScriptOp::kDialog);
  EXPECT_EQ(d.text, "texture-dialog");
  EXPECT_EQ(d.answer, IDOK);
  ASSERT_EQ(d.fields.size(), 5u);
  EXPECT_EQ(d.fields[4].second, "D3DPOOL_MANAGED");
  EXPECT_EQ(s.steps[11].line, 14);
  EXPECT_EQ(s.steps[13].op, ScriptOp::kQuit);
}

TEST(ScriptParser, ErrorsNameTheLineAndTheFault) {
  EXPECT_EQ(ParseError("frames 2\nfly away\n"), "script:2: unknown command \"fly\"");
  EXPECT_EQ(ParseError("command abc"), "script:1: command id \"abc\" is not a number from 1 to 65535");
  EXPECT_EQ(ParseError("\nmenu \"&File"), "script:2: unterminated quoted text");
  EXPECT_EQ(ParseError("key Hyper+X"), "script:1: unknown key \"Hyper+X\"");
  EXPECT_EQ(ParseError("mouse down middle"), "script:1: mouse button must be left or right, not \"middle\"");
  EXPECT_EQ(ParseError("mouse move 1"), "script:1: expected mouse move X Y");
  EXPECT_EQ(ParseError("frames -1"), "script:1: frame count \"-1\" is not a number");
  EXPECT_EQ(ParseError("answer maybe"), "script:1: unknown answer \"maybe\" (ok, cancel or retry)");
  EXPECT_EQ(ParseError("texture-dialog width=1"), "script:1: expected ok or cancel at the end, not \"width=1\"");
  EXPECT_EQ(ParseError("texture-dialog 12 ok"), "script:1: expected key=value, not \"12\"");
  EXPECT_EQ(ParseError("screenshot"), "script:1: expected screenshot FILE");
  EXPECT_EQ(ParseError("quit now"), "script:1: expected no arguments after quit");
  Script s;
  std::string error;
  EXPECT_FALSE(LoadScript("/no/such/script.txt", &s, &error));
  EXPECT_EQ(error, "script:0: cannot read \"/no/such/script.txt\"");
}

TEST(ScriptParser, KeyNames) {
  ScriptKey k;
  ASSERT_TRUE(ParseKeyName("Space", &k));
  EXPECT_EQ(k.vk, VK_SPACE);
  ASSERT_TRUE(ParseKeyName("enter", &k));
  EXPECT_EQ(k.vk, VK_RETURN);
  ASSERT_TRUE(ParseKeyName("Ctrl+Shift+F12", &k));
  EXPECT_EQ(k.vk, VK_F12);
  EXPECT_TRUE(k.ctrl && k.shift && !k.alt);
  ASSERT_TRUE(ParseKeyName("Alt+/", &k));
  EXPECT_EQ(k.vk, VK_OEM_2);
  EXPECT_FALSE(k.shift);
  ASSERT_TRUE(ParseKeyName("q", &k));
  EXPECT_EQ(k.vk, 'Q');
  EXPECT_FALSE(ParseKeyName("F13", &k));
  EXPECT_FALSE(ParseKeyName("", &k));
}

TEST_F(ScriptRun, StepsWaitForAnEmptyQueueAndFramesCountPasses) {
  HWND w = MakeWindow();
  UseScript("command 32815\nframes 10\ncommand 32816\n");
  LONGLONG first = -1, second = -1;
  Hook() = [&](HWND, UINT m, WPARAM wp, LPARAM) {
    if (m == WM_COMMAND) (LOWORD(wp) == 32815 ? first : second) = MainLoopPasses();
    return false;
  };
  RunLoop(w, nullptr, 100);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  // The frames step starts in the pass after the first command was taken.
  EXPECT_EQ(second - first, 11);
  EXPECT_TRUE(Quit());
  EXPECT_TRUE(runner_->Finished());
}

TEST_F(ScriptRun, SleepMovesAVirtualClockAPassAtATime) {
  VirtualClock clock;
  ScopedClock scoped(&clock);
  HWND w = MakeWindow();
  UseScript("sleep 1000\ncommand 105\n", ScriptRunnerOptions{.virtual_ms_per_pass = 10});
  DWORD start = timeGetTime();
  DWORD at_command = 0;
  LONGLONG passes_before = MainLoopPasses(), passes_at = 0;
  Hook() = [&](HWND, UINT m, WPARAM, LPARAM) {
    if (m == WM_COMMAND) {
      at_command = timeGetTime();
      passes_at = MainLoopPasses();
    }
    return false;
  };
  RunLoop(w, nullptr, 1000);
  EXPECT_EQ(at_command - start, 1000u);
  EXPECT_NEAR(static_cast<double>(passes_at - passes_before), 101.0, 2.0);
}

TEST_F(ScriptRun, WaitingLoopGetsTheNextStepAtOnceAndSleepPassesFirst) {
  VirtualClock clock;
  ScopedClock scoped(&clock);
  HWND w = MakeWindow();
  UseScript("frames 1000\nsleep 250\nmouse move 3 4\nmouse down left\nmouse up left\n");
  DWORD start = timeGetTime();
  int passes = RunLoop(w, nullptr, 100, /*wait=*/true);
  EXPECT_LT(passes, 20);
  EXPECT_EQ(timeGetTime() - start, 250u);
  std::vector<UINT> mouse;
  for (const Seen& s : Log()) {
    if (s.message >= WM_MOUSEMOVE && s.message <= WM_RBUTTONUP) {
      mouse.push_back(s.message);
      EXPECT_EQ(s.lParam, MAKELPARAM(3, 4));
    }
  }
  std::vector<UINT> expected{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP};
  EXPECT_EQ(mouse, expected);
  EXPECT_TRUE(Quit());
}

TEST_F(ScriptRun, DumpsWriteMenuChecksAfterInitMenuAndStatusParts) {
  Hook() = [](HWND hwnd, UINT m, WPARAM w, LPARAM) {
    if (m == WM_CREATE) {
      HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                                 reinterpret_cast<HMENU>(104), nullptr, nullptr);
      int edges[2] = {100, -1};
      SendMessageA(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
      SendMessageA(bar, SB_SETTEXT, 1, reinterpret_cast<LPARAM>("No Test Running"));
    }
    if (m == WM_INITMENU) CheckMenuItem(reinterpret_cast<HMENU>(w), 32823, MF_CHECKED);
    return false;
  };
  HWND w = MakeWindow();
  UseScript("dump-menu \"" + P("menu.txt") + "\"\ndump-status " + P("status.txt") + "\n");
  RunLoop(w, nullptr, 20);
  EXPECT_EQ(ReadFile(dir_ / "menu.txt"),
            "32861\t0\t&File/&Load Texture\n"
            "105\t0\t&File/E&xit\n"
            "32772\t0\t&Tests/&2D Tests/&Lines/&Immediate Lines\n"
            "32773\t0\t&Tests/&2D Tests/&Lines/&Render Lines\n"
            "32868\t0\t&Tests/&Screen Tests/&Immediate Lines\n"
            "32822\t0\t&Settings/Step\n"
            "32823\t1\t&Settings/Resume\n"
            "32815\t1\t&Settings/Calls Per &Frame/&1\n"
            "32816\t0\t&Settings/Calls Per &Frame/1&0\n"
            "104\t0\t&Help/&About ...\n");
  EXPECT_EQ(ReadFile(dir_ / "status.txt"), "0\t\n1\tNo Test Running\n");
}

TEST_F(ScriptRun, ScreenshotWritesTheClientPixelsAndABadPathOnlyWarns) {
  HWND w = MakeWindow(200, 150, WS_POPUP | WS_VISIBLE);
  SetMenu(w, nullptr);
  SetWindowPos(w, nullptr, 0, 0, 4, 3, SWP_NOMOVE);
  ClientPixels px{};
  ASSERT_TRUE(GetClientPixels(w, &px));
  px.data[0] = 0xFFFF0000u;
  UseScript("screenshot /no/such/dir/x.png\nscreenshot \"" + P("shot.png") + "\"\nscreenshot-window " + P("win.png") +
            "\ncommand 105\n");
  testing::internal::CaptureStderr();
  RunLoop(w, nullptr, 20);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("script:1: screenshot \"/no/such/dir/x.png\" not written"), std::string::npos) << err;
  std::string png = ReadFile(dir_ / "shot.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(static_cast<unsigned char>(png[19]), 4u);  // width in IHDR
  EXPECT_EQ(static_cast<unsigned char>(png[23]), 3u);  // height
  // Headless, the whole window is its client pixels.
  EXPECT_EQ(ReadFile(dir_ / "win.png"), png);
  // The run went on: the command after the screenshots arrived.
  EXPECT_EQ(CommandsSeen(), std::vector<UINT>{105});
}

TEST_F(ScriptRun, UnknownMenuPathsAndIdsAreFoundBeforeAnyStepRuns) {
  HWND w = MakeWindow();
  UseScript("command 32815\n\nmenu \"&File/Open\"\n");
  RunLoop(w, nullptr, 20);
  EXPECT_EQ(g_error, "script:3: unknown menu path \"&File/Open\"");
  EXPECT_TRUE(CommandsSeen().empty());
  EXPECT_TRUE(Quit());  // the window is closed
}

TEST_F(ScriptRun, UnknownCommandIdIsReported) {
  HWND w = MakeWindow();
  UseScript("command 4242\n");
  RunLoop(w, nullptr, 20);
  EXPECT_EQ(g_error, "script:1: command id 4242 is not in the menu");
}

TEST_F(ScriptRun, QuitChoosesExitAndAnAnswerAfterItsCommandStillCounts) {
  Hook() = [](HWND hwnd, UINT m, WPARAM w, LPARAM) {
    if (m == WM_COMMAND && LOWORD(w) == 104) MessageBoxA(hwnd, "About", "About", MB_OKCANCEL);
    if (m == WM_COMMAND && LOWORD(w) == 105) DestroyWindow(hwnd);
    return false;
  };
  HWND w = MakeWindow();
  UseScript("menu \"&Help/&About ...\"\nanswer cancel\nquit\n");
  testing::internal::CaptureStderr();
  RunLoop(w, nullptr, 20);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MessageBox [About] About -> IDCANCEL\n");
  std::vector<UINT> expected{104, 105};
  EXPECT_EQ(CommandsSeen(), expected);
  EXPECT_TRUE(Quit());
}

TEST_F(ScriptRun, QuitWithoutAnExitItemClosesTheWindow) {
  RegisterMenuResource(kMenuId, {MenuPopup("&File", {MenuCommand("&Open", 1)})});
  HWND w = MakeWindow();
  UseScript("quit\n");
  RunLoop(w, nullptr, 20);
  EXPECT_TRUE(CommandsSeen().empty());
  EXPECT_EQ(Count(WM_CLOSE), 1);
  EXPECT_TRUE(Quit());
}
