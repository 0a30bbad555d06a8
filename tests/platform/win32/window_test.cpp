// Windows: creation messages and the class menu, geometry and client
// pixels, window longs, closing, the status bar and common controls.
#include <gtest/gtest.h>

#include "platform/win32/window_pixels.h"
#include "tests/platform/win32/ui_test_support.h"

using namespace win32_test;

using Windows = UiTest;

TEST_F(Windows, CreationSendsCreateThenSizeAndGivesTheClassMenuAndPixels) {
  HWND w = MakeWindow(640, 480);
  ASSERT_NE(w, nullptr);
  ASSERT_NE(w, GetDesktopWindow());
  RECT placed{};
  GetWindowRect(w, &placed);
  EXPECT_EQ(placed.left, 10);
  EXPECT_EQ(placed.right, 650);
  ASSERT_GE(Log().size(), 2u);
  EXPECT_EQ(Log()[0].message, WM_CREATE);
  EXPECT_EQ(Log()[1].message, WM_SIZE);
  RECT client{};
  ASSERT_TRUE(GetClientRect(w, &client));
  // 8-pixel frame, 23-pixel caption, 20-pixel menu bar.
  EXPECT_EQ(client.right, 640 - 16);
  EXPECT_EQ(client.bottom, 480 - 16 - 23 - 20);
  EXPECT_EQ(LOWORD(Log()[1].lParam), client.right);
  EXPECT_EQ(HIWORD(Log()[1].lParam), client.bottom);
  EXPECT_NE(GetMenu(w), nullptr);
  ClientPixels px{};
  ASSERT_TRUE(GetClientPixels(w, &px));
  EXPECT_EQ(px.width, client.right);
  EXPECT_EQ(px.height, client.bottom);
  EXPECT_TRUE(IsWindowVisible(w));
  RECT r{0, 0, 100, 50};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
  EXPECT_EQ(r.right - r.left, 116);
  EXPECT_EQ(r.bottom - r.top, 50 + 16 + 43);
}

TEST_F(Windows, SetWindowPosResizesPixelsAndSendsSizeOnlyOnChange) {
  HWND w = CreateWindowExA(0, "VORNELTEST", "Popup", WS_POPUP, 0, 0, 320, 200, nullptr,
                           LoadMenuFromTemplate({}), nullptr, nullptr);
  SetMenu(w, nullptr);
  Log().clear();
  ASSERT_TRUE(SetWindowPos(w, HWND_NOTOPMOST, 5, 6, 800, 600, SWP_SHOWWINDOW));
  EXPECT_EQ(Count(WM_SIZE), 1);
  ClientPixels px{};
  ASSERT_TRUE(GetClientPixels(w, &px));
  EXPECT_EQ(px.width, 800);
  EXPECT_EQ(px.height, 600);
  RECT wr{};
  GetWindowRect(w, &wr);
  EXPECT_EQ(wr.left, 5);
  EXPECT_EQ(wr.bottom, 606);
  EXPECT_TRUE(IsWindowVisible(w));
  SetWindowPos(w, nullptr, 50, 50, 0, 0, SWP_NOSIZE);
  EXPECT_EQ(Count(WM_SIZE), 1);  // moved only
}

TEST_F(Windows, CloseDestroysThroughDefWindowProcAndReleasesEverything) {
  HWND w = MakeWindow();
  HMENU menu = GetMenu(w);
  Log().clear();
  SendMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(Count(WM_DESTROY), 1);
  EXPECT_TRUE(Quit());
  ClientPixels px{};
  EXPECT_FALSE(GetClientPixels(w, &px));
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_FALSE(DestroyWindow(w));
  HWND again = MakeWindow();
  EXPECT_NE(again, w);  // handles are never reused
}

TEST_F(Windows, CreateFailsForUnknownClassesAndWhenCreateSaysNo) {
  EXPECT_EQ(CreateWindowExA(0, "NOSUCHCLASS", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpszClassName = "REFUSER";
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    return m == WM_CREATE ? -1 : DefWindowProcA(h, m, w, l);
  };
  RegisterClassExA(&wc);
  EXPECT_EQ(RegisterClassExA(&wc), 0);  // once only
  EXPECT_EQ(CreateWindowExA(0, "refuser", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_TRUE(UnregisterClassA("REFUSER", nullptr));
}

TEST_F(Windows, UserDataKeepsAWindowHandleAndStylesRoundTrip) {
  HWND w = MakeWindow();
  HWND other = MakeWindow();
  SetWindowLongA(w, GWL_USERDATA, static_cast<LONG>(reinterpret_cast<LONG_PTR>(other)));
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(GetWindowLongA(w, GWL_USERDATA))), other);
  SetWindowLongA(w, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_BORDER | WS_SYSMENU));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)), 0x80880000u | WS_VISIBLE);
  SetWindowTextA(w, "Vornel new Tests");
  char title[64];
  EXPECT_EQ(GetWindowTextA(w, title, 6), 5);
  EXPECT_STREQ(title, "Vorne");
}

TEST_F(Windows, DesktopIsTheHeadlessSizeAndDefaultsUseIt) {
  RECT d{};
  ASSERT_TRUE(GetClientRect(GetDesktopWindow(), &d));
  EXPECT_EQ(d.right, 1920);
  EXPECT_EQ(d.bottom, 1080);
  SetHeadlessDesktopSize(1024, 768);
  HWND w = CreateWindowExA(0, "VORNELTEST", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                           nullptr, nullptr, nullptr);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 768);
  EXPECT_EQ(r.bottom - r.top, 576);
  SetHeadlessDesktopSize(1920, 1080);
}

TEST_F(Windows, StatusBarLaysItselfOutAndKeepsPartsAndTexts) {
  HWND w = MakeWindow(816, 600);
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP, 0,
                             0, 0, 0, w, reinterpret_cast<HMENU>(104), nullptr, nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(FindStatusBar(w), bar);
  EXPECT_EQ(GetDlgCtrlID(bar), 104);
  RECT client{}, bar_client{};
  GetClientRect(w, &client);
  GetClientRect(bar, &bar_client);
  EXPECT_EQ(bar_client.right, client.right);
  EXPECT_EQ(bar_client.bottom, kStatusBarHeight);
  int edges[4] = {200, 400, 600, 800};
  EXPECT_TRUE(SendMessageA(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges)));
  SendMessageA(bar, SB_SETTEXT, 3, reinterpret_cast<LPARAM>("Stepping"));
  SendMessageA(bar, SB_SETTEXT, 0, reinterpret_cast<LPARAM>("Lines"));
  std::vector<StatusBarPart> parts = StatusBarParts(bar);
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[1].right, 400);
  EXPECT_EQ(parts[0].text, "Lines");
  EXPECT_EQ(parts[3].text, "Stepping");
  // Fewer parts keep the texts of the parts that remain.
  SendMessageA(bar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(edges));
  ASSERT_EQ(StatusBarParts(bar).size(), 1u);
  EXPECT_EQ(StatusBarParts(bar)[0].text, "Lines");
  EXPECT_FALSE(SendMessageA(bar, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(edges)));
  // The parent grows; WM_SIZE (0, 0) to the bar lays it out again.
  SetWindowPos(w, nullptr, 0, 0, 1016, 700, SWP_NOMOVE);
  SendMessageA(bar, WM_SIZE, 0, 0);
  GetClientRect(w, &client);
  RECT bw{};
  GetWindowRect(bar, &bw);
  EXPECT_EQ(bw.right - bw.left, client.right);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(bw.bottom - origin.y, client.bottom);
  DestroyWindow(w);
  EXPECT_FALSE(IsWindow(bar));
}
