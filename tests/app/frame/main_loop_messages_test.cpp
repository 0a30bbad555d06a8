// "On &Messages" through the main loop's own passes: the loop waits for a
// message before each frame, so frames and messages come one for one, and
// the frame timer starts with the first message.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/frame/frame_timer.h"
#include "app/frame/main_loop.h"
#include "app/window/command_ids.h"
#include "app/window/main_window.h"
#include "platform/win32/backend.h"
#include "tests/app/cases/cases_2d_fixture.h"
#include "tests/app/frame/recording_backend.h"

namespace {

int DrawCalls() {
  int n = 0;
  for (const std::string& t : d3d9_hooks::CallTraceTexts()) n += t.rfind("DrawPrimitive(", 0) == 0;
  return n;
}

class OnMessages : public app_test::Tests2DTest {
 protected:
  void SetUp() override {
    Tests2DTest::SetUp();
    if (HasFatalFailure()) return;
    auto backend = std::make_unique<app_test::RecordingBackend>();
    backend_ = backend.get();
    InstallBackend(std::move(backend));
    // Each time the loop waits, the frames drawn so far are noted and, while
    // there are some left, the next mouse move arrives.
    backend_->on_queue_idle = [this](bool waiting) {
      if (!waiting) return false;
      framesAtWait_.push_back(DrawCalls());
      if (messagesLeft_ == 0) return false;
      --messagesLeft_;
      PostMessageA(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
      return true;
    };
    g_FrameTimer = FrameTimer{};
  }
  void TearDown() override {
    InstallBackend(nullptr);
    ResetMessageQueue();
    Tests2DTest::TearDown();
  }

  app_test::RecordingBackend* backend_ = nullptr;
  std::vector<int> framesAtWait_;
  int messagesLeft_ = 0;
};

TEST_F(OnMessages, EachFrameWaitsForOneMessage) {
  HandleCommand(hwnd_, WM_COMMAND, 32773, 0);  // "&Render Lines", Random: one draw a frame
  HandleCommand(hwnd_, WM_COMMAND, ids::kOnMessages, 0);
  ASSERT_FALSE(g_Harness.freeRunning);
  // What the fixture's windows left queued goes first.
  MSG m{};
  for (int i = 0; i < 100 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageA(&m);
  framesAtWait_.clear();
  d3d9_hooks::ClearCallTrace();
  d3d9_hooks::SetCallTrace(true);
  messagesLeft_ = 5;
  for (int pass = 0; pass < 5; ++pass) {
    RunFrame();
    if (pass == 0) { // started by the first message
      EXPECT_FALSE(g_FrameTimer.stopped);
    }
  }
  EXPECT_EQ(framesAtWait_, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(DrawCalls(), 5);

  // When nothing can ever arrive the wait ends in WM_QUIT: the frame still
  // runs, and the timer is not started by it.
  g_FrameTimer = FrameTimer{};
  RunFrame();
  d3d9_hooks::SetCallTrace(false);
  EXPECT_EQ(DrawCalls(), 6);
  EXPECT_TRUE(g_FrameTimer.stopped);

  // Free running again, the loop no longer waits.
  HandleCommand(hwnd_, WM_COMMAND, ids::kOnMessages, 0);
  framesAtWait_.clear();
  for (int pass = 0; pass < 3; ++pass) RunFrame();
  EXPECT_TRUE(framesAtWait_.empty());
}

}  // namespace
