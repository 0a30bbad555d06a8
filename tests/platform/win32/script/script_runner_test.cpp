// The script runner as a backend around another one, over a fake backend
// that records its calls: what it forwards, what it answers instead, how it
// is put on and taken off, and the driver a program starts from a script.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/open_file_dialog.h"
#include "platform/win32/script/script_backend.h"
#include "platform/win32/script/script_driver.h"
#include "tests/platform/win32/fake_backend.h"
#include "tests/platform/win32/script/script_test_support.h"
#include "tests/platform/win32/texture_dialog_sample.h"

using namespace win32_test;

namespace {

Script Parsed(const std::string& text) {
  Script script;
  std::string error;
  EXPECT_TRUE(ParseScript(text, &script, &error)) << error;
  return script;
}

class ScriptRunnerOverFake : public ScriptUiTest {
 protected:
  void SetUp() override {
    ScriptUiTest::SetUp();
    auto fake = std::make_unique<FakeBackend>(&record_);
    fake_ = fake.get();
    InstallBackend(std::move(fake));
  }
  void TearDown() override {
    StopScriptDriver();
    ScriptUiTest::TearDown();
  }
  ScriptBackend* Wrapper() { return dynamic_cast<ScriptBackend*>(ActiveBackend()); }

  FakeBackend::Record record_;
  FakeBackend* fake_ = nullptr;
};

}  // namespace

TEST_F(ScriptRunnerOverFake, WrapsTheInstalledBackendOnceAndGivesTheSameOneBack) {
  ScriptRunner first(Script{});
  ScriptRunner second(Script{});
  InstallScriptRunner(&first);
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(Wrapper()->inner(), fake_);
  EXPECT_EQ(Wrapper()->runner(), &first);
  EXPECT_STREQ(ActiveBackend()->Name(), "fake");
  // A second runner replaces the first instead of wrapping the wrapper.
  InstallScriptRunner(&second);
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(Wrapper()->inner(), fake_);
  EXPECT_EQ(Wrapper()->runner(), &second);
  InstallScriptRunner(nullptr);
  EXPECT_EQ(ActiveBackend(), fake_);
  InstallScriptRunner(nullptr);
  EXPECT_EQ(ActiveBackend(), fake_);
  EXPECT_EQ(record_.destroyed, 0);
}

TEST_F(ScriptRunnerOverFake, WindowCallsReachTheFakeWhileTheScriptAnswersBoxesAndFiles) {
  ScriptRunner runner(Parsed("answer cancel\nopen-file \"pic.bmp\"\n"));
  InstallScriptRunner(&runner);
  // The desktop is the fake's: default windows take three quarters of it.
  HWND w = CreateWindowExA(0, "VORNELTEST", "T", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                           nullptr, nullptr, nullptr);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(fake_->Count("created"), 1);
  SetWindowTextA(w, "renamed");
  EXPECT_GE(fake_->Count("window-changed"), 1);

  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(w, "Text", "Cap", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "MessageBox [Cap] Text -> IDCANCEL\n");
  char buffer[64] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = sizeof(buffer);
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_STREQ(buffer, "pic.bmp");
  EXPECT_EQ(fake_->Count("message-box Cap"), 0);
  EXPECT_EQ(fake_->Count("open-file"), 0);

  // Taken off, the fake answers again.
  InstallScriptRunner(nullptr);
  EXPECT_EQ(MessageBoxA(w, "Text", "Cap", MB_YESNO), IDNO);
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_STREQ(buffer, "/from/the/fake.bmp");
  EXPECT_EQ(fake_->Count("message-box Cap"), 1);
  EXPECT_EQ(fake_->Count("open-file"), 1);
}

TEST_F(ScriptRunnerOverFake, ScriptedDialogsNeverReachTheFake) {
  RegisterDialogResource(130, TextureDialog());
  g_input = TextureInput{};
  ScriptRunner runner(Parsed("texture-dialog width=300 ok\n"));
  InstallScriptRunner(&runner);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), nullptr, TextureDialogProc, 0), IDOK);
  EXPECT_EQ(g_input.width, 300u);
  EXPECT_GE(fake_->Count("control-changed"), 1);  // the controls still show through it
  EXPECT_EQ(fake_->Count("dialog-started"), 0);
  EXPECT_EQ(fake_->Count("dialog-idle"), 0);
  EXPECT_EQ(fake_->Count("dialog-ended"), 0);
}

TEST_F(ScriptRunnerOverFake, StepsArriveAtQueueIdleAndScreenshotsGoToTheFake) {
  HWND w = MakeWindow();
  ScriptRunner runner(Parsed("command 104\nscreenshot-window \"shot.png\"\n"));
  InstallScriptRunner(&runner);
  fake_->screenshot_result = false;
  testing::internal::CaptureStderr();
  RunLoop(w, nullptr, 50);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "script:2: screenshot-window \"shot.png\" not written: the fake says no\n");
  EXPECT_EQ(CommandsSeen(), std::vector<UINT>{104});
  EXPECT_TRUE(Quit());
  EXPECT_TRUE(runner.Finished());
  EXPECT_EQ(fake_->Count("screenshot-window shot.png"), 1);
  // The fake still turns its events into messages; idle time is the script's.
  EXPECT_GT(fake_->Count("process-events"), 0);
  EXPECT_EQ(fake_->Count("idle"), 0);
}

TEST_F(ScriptRunnerOverFake, WithoutABackendTheRunnerStillAnswers) {
  InstallBackend(nullptr);
  HWND w = MakeWindow();
  ScriptRunner runner(Parsed("screenshot-window a.png\nanswer cancel\n"));
  InstallScriptRunner(&runner);
  ASSERT_NE(ActiveBackend(), nullptr);
  EXPECT_STREQ(ActiveBackend()->Name(), "none");
  RECT desk = ActiveBackend()->DesktopRect();
  RECT headless = HeadlessDesktopRect();
  EXPECT_EQ(desk.right, headless.right);
  EXPECT_EQ(desk.bottom, headless.bottom);
  testing::internal::CaptureStderr();
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(MessageBoxA(w, "T", "C", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "script:1: screenshot-window \"a.png\" not written: no backend\n"
            "MessageBox [C] T -> IDCANCEL\n");
  InstallScriptRunner(nullptr);
  EXPECT_EQ(ActiveBackend(), nullptr);
}

TEST_F(ScriptRunnerOverFake, DriverOwnsItsRunnerAndFollowsEachStep) {
  HWND w = MakeWindow();
  std::vector<std::size_t> seen;
  ScriptRunnerOptions options;
  options.before_step = [&seen](std::size_t index, ScriptStep* step) {
    seen.push_back(step ? index : 100 + index);
    if (step && step->op == ScriptOp::kCommand) step->number = 105;  // may still change the step
  };
  StartScriptDriver(Parsed("command 104\n"), options);
  ASSERT_NE(Wrapper(), nullptr);
  EXPECT_EQ(Wrapper()->inner(), fake_);
  RunLoop(w, nullptr, 50);
  EXPECT_EQ(CommandsSeen(), std::vector<UINT>{105});
  EXPECT_EQ(seen, (std::vector<std::size_t>{0, 101}));
  StopScriptDriver();
  EXPECT_EQ(ActiveBackend(), fake_);
  StopScriptDriver();  // none runs: nothing happens
  EXPECT_EQ(ActiveBackend(), fake_);
  EXPECT_EQ(record_.destroyed, 0);
}
