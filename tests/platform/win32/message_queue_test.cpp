// The message queue: one message per PeekMessageA, posted against sent
// order, WM_QUIT and WM_PAINT after the queue, filters, key translation.
#include <gtest/gtest.h>

#include "tests/platform/win32/ui_test_support.h"

using namespace ui_test;

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
