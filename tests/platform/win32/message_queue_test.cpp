// The message queue: one message per PeekMessageA, posted against sent
// order, WM_QUIT and WM_PAINT after the queue, filters, key translation,
// and when the backend hears that the queue is idle.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/platform/win32/fake_backend.h"
#include "tests/platform/win32/ui_test_support.h"

using namespace win32_test;

using MessageQueue = UiTest;

TEST_F(MessageQueue, PeekTakesOneMessageAtATimeInPostingOrder) {
  HWND w = MakeWindow();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);  // the first paint
  PostMessageA(w, WM_USER + 1, 1, 0);
  PostMessageA(w, WM_USER + 2, 2, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_EQ(msg.hwnd, w);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, SentMessagesRunAtOnceAheadOfPostedOnes) {
  HWND w = MakeWindow();
  Log().clear();
  PostMessageA(w, WM_USER + 1, 0, 0);
  EXPECT_EQ(SendMessageA(w, WM_USER + 2, 0, 0), 0);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].message, WM_USER + 2u);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageA(&msg);
  EXPECT_EQ(Log().back().message, WM_USER + 1u);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x7777770), WM_USER, 0, 0));  // no such window
}

TEST_F(MessageQueue, QuitComesAfterPostedMessagesAndEndsGetMessage) {
  HWND w = MakeWindow();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  PostQuitMessage(7);
  PostMessageA(w, WM_USER, 0, 0);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  // Taken once; then nothing can arrive headless, which also ends the wait.
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
}

TEST_F(MessageQueue, PaintComesWhenTheQueueIsEmptyAndBeginPaintValidates) {
  HWND w = MakeWindow();
  MSG msg;
  PostMessageA(w, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER);  // shown, so invalid, but posted first
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  DispatchMessageA(&msg);  // DefWindowProc paints
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  InvalidateRect(w, nullptr, FALSE);
  Log().clear();
  UpdateWindow(w);
  EXPECT_EQ(Count(WM_PAINT), 1);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, FiltersByWindowAndRangeAndDestroyDropsAWindowsMessages) {
  HWND a = MakeWindow();
  HWND b = MakeWindow();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  PostMessageA(a, WM_USER + 5, 0, 0);
  PostMessageA(b, WM_USER + 6, 0, 0);
  PostMessageA(a, WM_MOUSEMOVE, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 6u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_MOUSEMOVE);
  DestroyWindow(a);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 100, PM_REMOVE));
}

TEST_F(MessageQueue, TranslateMessageMakesCharactersFromKeysWithShift) {
  HWND w = MakeWindow();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  PostMessageA(w, WM_KEYDOWN, VK_SHIFT, 1);
  PostMessageA(w, WM_KEYDOWN, VK_OEM_2, 1);
  PostMessageA(w, WM_KEYUP, VK_OEM_2, 1);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(TranslateMessage(&msg));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CHAR);  // ahead of the key-up
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('?'));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYUP);
  EXPECT_FALSE(TranslateMessage(&msg));
  MSG home{w, WM_KEYDOWN, VK_HOME, 1, 0, {0, 0}};
  EXPECT_FALSE(TranslateMessage(&home));  // no character
}

TEST_F(MessageQueue, PassesCountPeekAndGetCallsOutsideModalLoops) {
  MakeWindow();
  LONGLONG before = MainLoopPasses();
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(MainLoopPasses() - before, 2);
}

TEST_F(MessageQueue, BackendHearsOfAnEmptyQueueOnlyAtTheMainLoopsLevel) {
  // Outlives the test: the fake hears of the windows the fixture destroys.
  static FakeBackend::Record record;
  record = {};
  auto owned = std::make_unique<FakeBackend>(&record);
  FakeBackend* fake = owned.get();
  InstallBackend(std::move(owned));
  HWND w = MakeWindow();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  record.calls.clear();
  PostMessageA(w, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // queue not empty: no idle
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(record.calls, (std::vector<std::string>{"process-events", "process-events", "idle"}));

  // A waiting loop asks once more, waiting, and takes what the backend posted.
  record.calls.clear();
  fake->on_queue_idle = [w](bool waiting) { return waiting && PostMessageA(w, WM_USER + 1, 0, 0); };
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_EQ(record.calls, (std::vector<std::string>{"process-events", "idle", "idle waiting", "process-events"}));

  // Inside a dialog's loop nobody is told: the dialog has its own idle hook.
  record.calls.clear();
  fake->on_queue_idle = nullptr;
  DialogTemplate t;
  t.caption = "Modal";
  t.controls = {DialogButton(IDCANCEL, "Cancel", 10, 10, 50, 14)};
  DLGPROC proc = [](HWND dlg, UINT m, WPARAM wp, LPARAM) -> INT_PTR {
    if (m == WM_COMMAND && LOWORD(wp) == IDCANCEL) EndDialog(dlg, IDCANCEL);
    return m == WM_INITDIALOG;
  };
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &t, w, proc, 0), IDCANCEL);
  EXPECT_GT(fake->Count("process-events"), 0);
  EXPECT_EQ(fake->Count("idle"), 0);
  EXPECT_EQ(fake->Count("idle waiting"), 0);
}
