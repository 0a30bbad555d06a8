// The window procedure's own messages: the status bar's layout on WM_SIZE,
// presenting on WM_PAINT, the mouse position, the frame timer on
// WM_ENTERIDLE, and the About box's accelerators through the main loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frame/frame_timer.h"
#include "tests/app/window/window_fixture.h"

namespace {

using app_test::WindowTest;
using WindowProc = WindowTest;

// The status bar's own procedure, and the WM_SIZE messages it got with
// both parameters 0.
WNDPROC g_BarProc = nullptr;
int g_BarSizes = 0;

LRESULT CALLBACK CountingBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && wParam == 0 && lParam == 0) ++g_BarSizes;
  return g_BarProc(hwnd, message, wParam, lParam);
}

TEST_F(WindowProc, SizeDividesTheNewWidthOverTheStatusPartsAndLetsTheBarLayItselfOut) {
  g_BarProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(bar_, GWLP_WNDPROC));
  g_BarSizes = 0;
  SetWindowLongPtrA(bar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingBarProc));
  g_Harness.statusPartCount = 4;
  SendMessageA(hwnd_, WM_SIZE, 0, MAKELPARAM(803, 500));
  SetWindowLongPtrA(bar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_BarProc));
  std::vector<StatusBarPart> parts = StatusBarParts(bar_);
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].right, 200);
  EXPECT_EQ(parts[1].right, 400);
  EXPECT_EQ(parts[3].right, 800);
  EXPECT_EQ(g_BarSizes, 1);
}

TEST_F(WindowProc, PaintMeasuresTheViewAndPresentsWhileTheDeviceIsReady) {
  RECT client{}, bar{};
  GetClientRect(hwnd_, &client);
  GetClientRect(bar_, &bar);
  const std::string view = "{0,0," + std::to_string(client.right) + "," +
                           std::to_string(client.bottom - bar.bottom - 1) + "}";
  g_Harness.viewRect = {0, 0, 10, 10};
  ShowWindow(bar_, SW_HIDE);
  d3d9_hooks::ClearCallTrace();
  d3d9_hooks::SetCallTrace(true);
  SendMessageA(hwnd_, WM_PAINT, 0, 0);
  EXPECT_EQ(g_Harness.viewRect.right, client.right);
  EXPECT_EQ(g_Harness.viewRect.bottom, client.bottom - bar.bottom - 1);
  EXPECT_EQ(LastCall("Present(NULL, " + view + ", "), 0);
  EXPECT_FALSE(g_Engine.m_bPainting);
  EXPECT_TRUE(IsWindowVisible(bar_));

  // Any other swap effect presents the whole back buffer.
  g_Engine.m_PresentParams.SwapEffect = D3DSWAPEFFECT_FLIP;
  d3d9_hooks::ClearCallTrace();
  SendMessageA(hwnd_, WM_PAINT, 0, 0);
  EXPECT_EQ(LastCall("Present(NULL, NULL, "), 0);
  g_Engine.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;

  // Nothing is presented without a ready device, or once the bench quits.
  d3d9_hooks::ClearCallTrace();
  g_Engine.m_bDeviceReady = false;
  SendMessageA(hwnd_, WM_PAINT, 0, 0);
  g_Engine.m_bDeviceReady = true;
  g_Engine.m_bQuit = true;
  SendMessageA(hwnd_, WM_PAINT, 0, 0);
  g_Engine.m_bQuit = false;
  d3d9_hooks::SetCallTrace(false);
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 0u);
}

TEST_F(WindowProc, MouseMoveTakesTheWordsAsUnsignedNumbers) {
  SendMessageA(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(65535, 300));
  EXPECT_EQ(g_Engine.m_fMouseX, 65535.0f);
  EXPECT_EQ(g_Engine.m_fMouseY, 300.0f);
}

TEST_F(WindowProc, EnterIdleLeavesTimeInAMenuOutOfTheNextAnimationStep) {
  g_FrameTimer = FrameTimer{};
  g_FrameTimer.Start();
  clock_.AdvanceMilliseconds(5000);  // a menu held open
  SendMessageA(hwnd_, WM_ENTERIDLE, MSGF_MENU, 0);
  clock_.AdvanceMilliseconds(40);
  EXPECT_NEAR(g_FrameTimer.GetElapsedTime(), 0.04f, 1e-4f);
}

TEST_F(WindowProc, AltSlashAndAltQuestionMarkOpenTheAboutBox) {
  backend_->shows_dialogs = true;
  int shown = 0;
  backend_->on_dialog = [&](HWND dialog) {
    ++shown;
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  };
  // As the keyboard sends them: Alt held, then the key; "?" with Shift.
  auto press = [&](bool shift) {
    if (shift) PostMessageA(hwnd_, WM_KEYDOWN, VK_SHIFT, 0);
    PostMessageA(hwnd_, WM_SYSKEYDOWN, VK_MENU, KF_ALTDOWN_BIT);
    PostMessageA(hwnd_, WM_SYSKEYDOWN, VK_OEM_2, KF_ALTDOWN_BIT);
    PostMessageA(hwnd_, WM_SYSKEYUP, VK_OEM_2, KF_ALTDOWN_BIT);
    PostMessageA(hwnd_, WM_KEYUP, VK_MENU, 0);
    if (shift) PostMessageA(hwnd_, WM_KEYUP, VK_SHIFT, 0);
    for (int pass = 0; pass < 10; ++pass) RunFrame();
  };
  press(true);
  EXPECT_EQ(shown, 1);
  press(false);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(CountLogLines("IDM_ABOUT"), 2u);
}

}  // namespace
