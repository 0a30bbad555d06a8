// The Qt backend on the offscreen platform: menus opened and clicked with
// the mouse, check marks from WM_INITMENU, pixels shown unscaled, keys and
// clicks as messages, the close button, the status bar, the window's
// geometry against late window-system answers, and a scripted run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/win32/open_file_dialog.h"
#include "platform/win32/qt/qt_backend.h"
#include "platform/win32/qt/qt_test_seams.h"
#include "platform/win32/script/script.h"
#include "platform/win32/script/script_runner.h"
#include "platform/win32/window_pixels.h"
#include "tests/platform/win32/ui_test_support.h"

using namespace win32_test;

namespace {

class QtBackendTest : public UiTest {
 protected:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    UiTest::SetUp();
    std::string error;
    std::unique_ptr<Backend> qt = CreateQtBackend(&error);
    ASSERT_NE(qt, nullptr) << error;
    InstallBackend(std::move(qt));
  }

  // Lets Qt deliver its events and dispatches what they posted, the way
  // the program's loop does, and returns the messages taken.
  std::vector<MSG> Pump(HACCEL accel = nullptr, HWND hwnd = nullptr) {
    std::vector<MSG> taken;
    MSG msg;
    for (int i = 0; i < 20; ++i) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(msg);
        if (accel && TranslateAcceleratorA(hwnd, accel, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    return taken;
  }
};

}  // namespace

TEST_F(QtBackendTest, ClickingAMenuItemSendsInitMenuFirstThenPostsTheCommand) {
  Hook() = [](HWND, UINT m, WPARAM w, LPARAM) {
    if (m == WM_INITMENU) {
      HMENU menu = reinterpret_cast<HMENU>(w);
      CheckMenuItem(menu, 32815, MF_UNCHECKED);
      CheckMenuItem(menu, 32822, MF_CHECKED);
    }
    return false;
  };
  HWND w = MakeWindow(400, 300);
  Pump();
  EXPECT_TRUE(QtTestWindowVisible(w));
  std::vector<std::string> titles{"&File", "&Tests", "&Settings", "&Help"};
  EXPECT_EQ(QtTestMenuTitles(w), titles);
  std::vector<std::string> settings = QtTestPopupTexts(w, 2);
  ASSERT_EQ(settings.size(), 3u);
  EXPECT_EQ(settings[0], "Step\tSpace");  // Qt shows the text after the tab as the shortcut
  EXPECT_TRUE(QtTestMenuItemChecked(w, 32815));
  Log().clear();
  ASSERT_TRUE(QtTestOpenMenu(w, 2));
  EXPECT_EQ(Count(WM_INITMENU), 1);
  // The marks the window procedure set show in the open menu.
  EXPECT_TRUE(QtTestMenuItemChecked(w, 32822));
  EXPECT_FALSE(QtTestMenuItemChecked(w, 32815));
  ASSERT_TRUE(QtTestClickMenuItem(w, 32823));
  std::vector<MSG> taken = Pump();
  std::vector<UINT> commands;
  for (const MSG& m : taken)
    if (m.message == WM_COMMAND) commands.push_back(LOWORD(m.wParam));
  EXPECT_EQ(commands, std::vector<UINT>{32823});
  EXPECT_EQ(CommandsSeen(), std::vector<UINT>{32823});
  // A click never flips a mark by itself: the window code decides.
  EXPECT_TRUE(QtTestMenuItemChecked(w, 32822));
}

TEST_F(QtBackendTest, ClientShowsThePixelsUnscaledAtTheClientSize) {
  HWND w = MakeWindow(300, 200, WS_POPUP | WS_VISIBLE);
  SetMenu(w, nullptr);
  Pump();
  RECT client{};
  GetClientRect(w, &client);
  int cw = 0, ch = 0;
  ASSERT_TRUE(QtTestClientSize(w, &cw, &ch));
  EXPECT_EQ(cw, client.right);
  EXPECT_EQ(ch, client.bottom);
  ClientPixels px{};
  ASSERT_TRUE(GetClientPixels(w, &px));
  px.data[1 * px.pitch + 2] = 0xFF00FF00u;
  ClientPixelsChanged(w);
  Pump();
  EXPECT_EQ(QtTestClientPixel(w, 2, 1), 0x00FF00u);
  EXPECT_EQ(QtTestClientPixel(w, 3, 1), 0x000000u);
  // Resized by the window code: Qt follows and the pixels with it.
  SetWindowPos(w, nullptr, 0, 0, 120, 90, SWP_NOMOVE);
  Pump();
  ASSERT_TRUE(QtTestClientSize(w, &cw, &ch));
  EXPECT_EQ(cw, 120);
  EXPECT_EQ(ch, 90);
}

TEST_F(QtBackendTest, KeysAndClicksBecomeWindowMessagesWithClientCoordinates) {
  HWND w = MakeWindow(400, 300);
  HACCEL accel = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(kMenuId));
  Pump();
  Log().clear();
  QtTestKeyClick(w, "Home");
  QtTestMouseClick(w, 15, 25, false);
  QtTestMouseClick(w, 16, 26, true);
  Pump(accel, w);
  EXPECT_EQ(CommandsSeen(), std::vector<UINT>{32803});
  EXPECT_EQ(Count(WM_KEYUP), 1);
  EXPECT_EQ(Count(WM_LBUTTONDOWN), 1);
  EXPECT_EQ(Count(WM_LBUTTONUP), 1);
  EXPECT_EQ(Count(WM_RBUTTONDOWN), 1);
  for (const Seen& s : Log()) {
    if (s.message == WM_LBUTTONDOWN) {
      EXPECT_EQ(s.lParam, MAKELPARAM(15, 25));
    }
  }
}

TEST_F(QtBackendTest, CloseButtonGoesThroughWmCloseToDestroy) {
  HWND w = MakeWindow(300, 200);
  Pump();
  QtTestCloseWindow(w);
  Pump();
  EXPECT_EQ(Count(WM_CLOSE), 1);
  EXPECT_EQ(Count(WM_DESTROY), 1);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(QtTestWindowVisible(w));
}

TEST_F(QtBackendTest, StatusBarSitsAlongTheBottomOfTheClientArea) {
  HWND w = MakeWindow(500, 300);
  HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, w,
                             reinterpret_cast<HMENU>(104), nullptr, nullptr);
  int edges[2] = {100, -1};
  SendMessageA(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  SendMessageA(bar, SB_SETTEXT, 0, reinterpret_cast<LPARAM>("No Test Running"));
  Pump();
  RECT client{}, shown{};
  GetClientRect(w, &client);
  ASSERT_TRUE(QtTestStatusBarGeometry(bar, &shown));
  EXPECT_EQ(shown.left, 0);
  EXPECT_EQ(shown.right, client.right);
  EXPECT_EQ(shown.bottom, client.bottom);
  EXPECT_EQ(shown.bottom - shown.top, kStatusBarHeight);
}

namespace {

// The Qt window shows exactly the window code's window: the client widget
// at GetClientRect's size right under Qt's own menu bar, nothing below it,
// and the status bar along the client's bottom.
void ExpectQtWindowMatches(HWND w, HWND bar, const char* when) {
  SCOPED_TRACE(when);
  RECT client{}, shown{};
  GetClientRect(w, &client);
  QtTestWindowLayout layout{};
  ASSERT_TRUE(QtTestGetWindowLayout(w, &layout));
  EXPECT_EQ(layout.client.left, 0);
  EXPECT_EQ(layout.client.top, layout.menu_bar.bottom);
  EXPECT_EQ(layout.client.right - layout.client.left, client.right);
  EXPECT_EQ(layout.client.bottom - layout.client.top, client.bottom);
  EXPECT_EQ(layout.width, client.right);
  EXPECT_EQ(layout.height, layout.client.bottom);
  ASSERT_TRUE(QtTestStatusBarGeometry(bar, &shown));
  EXPECT_EQ(shown.right, client.right);
  EXPECT_EQ(shown.bottom, client.bottom);
}

}  // namespace

TEST_F(QtBackendTest, TheLastWindowGeometryWinsAndFillsTheQtWindow) {
  // As the harness does: the status bar lays itself out on its parent's
  // WM_SIZE.
  static HWND bar;
  bar = nullptr;
  Hook() = [](HWND, UINT m, WPARAM, LPARAM) {
    if (m == WM_SIZE && bar) SendMessageA(bar, WM_SIZE, 0, 0);
    return false;
  };
  HWND w = MakeWindow(400, 300);
  bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, w,
                        reinterpret_cast<HMENU>(104), nullptr, nullptr);
  Pump();
  // A resolution change: first the whole desktop, then a smaller window
  // centred on it, one right after the other.
  RECT desk{};
  GetWindowRect(GetDesktopWindow(), &desk);
  SetWindowPos(w, HWND_NOTOPMOST, 0, 0, desk.right, desk.bottom, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
  QtTestWindowLayout first{};
  ASSERT_TRUE(QtTestGetWindowLayout(w, &first));
  SetWindowPos(w, HWND_NOTOPMOST, (desk.right - 520) / 2, (desk.bottom - 400) / 2, 520, 400,
               SWP_SHOWWINDOW | SWP_FRAMECHANGED);
  Pump();
  RECT client{};
  GetClientRect(w, &client);
  ASSERT_EQ(client.right, 520 - 16);
  ASSERT_EQ(client.bottom, 400 - 16 - 23 - 20);
  ExpectQtWindowMatches(w, bar, "after two SetWindowPos calls");

  // The window system answers the first request after the second: the
  // window code never hears of it and the Qt window goes back.
  Log().clear();
  ASSERT_TRUE(QtTestWindowSystemResize(w, first.width, first.height));
  Pump();
  EXPECT_EQ(Count(WM_SIZE), 0);
  RECT after{};
  GetClientRect(w, &after);
  EXPECT_EQ(after.right, client.right);
  EXPECT_EQ(after.bottom, client.bottom);
  ExpectQtWindowMatches(w, bar, "after a late answer to the first request");

  // A size nobody asked for is the user's: the window code takes it.
  QtTestWindowLayout now{};
  ASSERT_TRUE(QtTestGetWindowLayout(w, &now));
  ASSERT_TRUE(QtTestWindowSystemResize(w, 450, now.height + 30));
  Pump();
  EXPECT_EQ(Count(WM_SIZE), 1);
  GetClientRect(w, &after);
  EXPECT_EQ(after.right, 450);
  EXPECT_EQ(after.bottom, client.bottom + 30);
  ExpectQtWindowMatches(w, bar, "after the user's resize");

  // Narrower than the menu titles (Qt hides some behind its extension
  // button): the client still has the window code's size.
  SetWindowPos(w, nullptr, 0, 0, 140, 200, SWP_NOMOVE);
  Pump();
  ExpectQtWindowMatches(w, bar, "narrow");
  // Without a menu bar the client starts at the top.
  SetMenu(w, nullptr);
  Pump();
  ExpectQtWindowMatches(w, bar, "without a menu");
  QtTestWindowLayout bare{};
  ASSERT_TRUE(QtTestGetWindowLayout(w, &bare));
  EXPECT_EQ(bare.client.top, 0);
  bar = nullptr;
}

TEST_F(QtBackendTest, ScriptDrivesTheQtWindowAndGrabsItWhole) {
  namespace fs = std::filesystem;
  fs::path shot = fs::temp_directory_path() / ("vornel_qt_" + std::to_string(::getpid()) + ".png");
  HWND w = MakeWindow(320, 240);
  Script script;
  ASSERT_TRUE(ParseScript("menu \"&Help/&About ...\"\nscreenshot-window \"" + shot.string() + "\"\n", &script, nullptr));
  ScriptRunner runner(std::move(script));
  InstallScriptRunner(&runner);
  RunLoop(w, nullptr, 50);
  EXPECT_EQ(CommandsSeen(), std::vector<UINT>{104});
  EXPECT_TRUE(Quit());
  ASSERT_TRUE(fs::exists(shot));
  std::ifstream in(shot, std::ios::binary);
  char head[24] = {};
  in.read(head, sizeof(head));
  EXPECT_EQ(std::string(head + 1, 3), "PNG");
  // Frame aside, the picture holds at least the client area and menu bar.
  unsigned width = (static_cast<unsigned char>(head[18]) << 8) | static_cast<unsigned char>(head[19]);
  EXPECT_GE(width, 300u);
  fs::remove(shot);
}

namespace {

HWND g_dialog;
UINT g_width;
std::string g_pool, g_error_shown;
int g_oks;

INT_PTR CALLBACK TextureProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    g_dialog = dlg;
    SetDlgItemInt(dlg, 1001, 128, FALSE);
    for (const char* p : {"D3DPOOL_DEFAULT", "D3DPOOL_MANAGED", "D3DPOOL_SCRATCH"})
      SendDlgItemMessageA(dlg, 1005, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
    SetDlgItemTextA(dlg, 1005, "D3DPOOL_MANAGED");
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  if (LOWORD(wParam) == IDCANCEL) EndDialog(dlg, IDCANCEL);
  if (LOWORD(wParam) != IDOK) return TRUE;
  ++g_oks;
  g_width = GetDlgItemInt(dlg, 1001, nullptr, FALSE);
  char text[41];
  GetDlgItemTextA(dlg, 1005, text, sizeof(text));
  g_pool = text;
  if (g_pool == "D3DPOOL_SCRATCH")
    SetDlgItemTextA(dlg, 1006, "D3DERR_INVALIDCALL");
  else
    EndDialog(dlg, IDOK);
  return TRUE;
}

}  // namespace

TEST_F(QtBackendTest, DialogRunsAsRealWidgetsThatFeedTheDialogProcedure) {
  DialogTemplate t;
  t.caption = "Create New Texture";
  t.cx = 300;
  t.cy = 120;
  t.controls = {DialogEdit(1001, 10, 10, 60, 12, "width"), DialogComboBox(1005, 80, 10, 100, 60, "pool"),
                DialogText(1006, "Click OK", 10, 40, 200, 8), DialogButton(IDOK, "OK", 180, 95, 50, 14, true),
                DialogButton(IDCANCEL, "Cancel", 240, 95, 50, 14)};
  RegisterDialogResource(130, t);
  g_oks = 0;
  HWND owner = MakeWindow(400, 300);
  Pump();
  Log().clear();
  static std::string width_shown;
  QtTestRunLater(10, [] {
    width_shown = QtTestDialogText(g_dialog, 1001);
    QtTestDialogType(g_dialog, 1001, "256");
    QtTestDialogType(g_dialog, 1005, "D3DPOOL_SCRATCH");
    QtTestDialogClick(g_dialog, IDOK);
    QtTestRunLater(10, [] {
      g_error_shown = QtTestDialogText(g_dialog, 1006);
      QtTestDialogType(g_dialog, 1005, "D3DPOOL_DEFAULT");
      QtTestDialogClick(g_dialog, IDOK);
    });
  });
  // Never hang: whatever happens, the dialog ends within seconds.
  QtTestRunLater(5000, [] {
    if (DialogIsRunning(g_dialog)) EndDialog(g_dialog, -2);
  });
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), owner, TextureProc, 0), IDOK);
  EXPECT_EQ(width_shown, "128");
  EXPECT_EQ(g_oks, 2);
  EXPECT_EQ(g_error_shown, "D3DERR_INVALIDCALL");  // the failed OK kept it open, showing why
  EXPECT_EQ(g_width, 256u);
  EXPECT_EQ(g_pool, "D3DPOOL_DEFAULT");
  EXPECT_GT(Count(WM_ENTERIDLE), 0);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(g_dialog));
}

TEST_F(QtBackendTest, MessageBoxAndFileDialogAreRealAndAnswered) {
  namespace fs = std::filesystem;
  HWND owner = MakeWindow(400, 300);
  Pump();
  QtTestRunLater(10, [] { QtTestAnswerMessageBox("Cancel"); });
  QtTestRunLater(3000, [] { QtTestAnswerMessageBox("Retry"); });  // never hang
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(owner, "Lost\nit", "Vorn::SetRez()", MB_RETRYCANCEL | MB_ICONERROR), IDCANCEL);
  // Qt may add warnings of its own; the box's line must be there.
  EXPECT_NE(testing::internal::GetCapturedStderr().find("MessageBox [Vorn::SetRez()] Lost\\nit -> IDCANCEL\n"),
            std::string::npos);
  EXPECT_TRUE(IsWindowEnabled(owner));

  fs::path pic = fs::temp_directory_path() / ("vornel_qt_pick_" + std::to_string(::getpid()) + ".bmp");
  std::ofstream(pic) << "BM";
  static std::string chosen;
  chosen = pic.string();
  char buffer[512] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = "All\0*.*\0Bitmaps (*.bmp)\0*.bmp\0";
  ofn.nFilterIndex = 2;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = sizeof(buffer);
  ofn.lpstrInitialDir = "/0";
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  QtTestRunLater(10, [] { QtTestAnswerFileDialog(chosen.c_str()); });
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(std::string(buffer), chosen);
  QtTestRunLater(10, [] { QtTestAnswerFileDialog(nullptr); });
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  fs::remove(pic);
}

TEST(QtBackendStart, RefusesWithoutADisplay) {
  const char* saved = std::getenv("QT_QPA_PLATFORM");
  std::string keep = saved ? saved : "";
  unsetenv("QT_QPA_PLATFORM");
  const char* display = std::getenv("DISPLAY");
  std::string keep_display = display ? display : "";
  unsetenv("DISPLAY");
  std::string error;
  std::unique_ptr<Backend> qt = CreateQtBackend(&error);
  if (!keep_display.empty()) setenv("DISPLAY", keep_display.c_str(), 1);
  if (!keep.empty()) setenv("QT_QPA_PLATFORM", keep.c_str(), 1);
  if (std::getenv("WAYLAND_DISPLAY")) GTEST_SKIP() << "a Wayland display is present";
  EXPECT_EQ(qt, nullptr);
  EXPECT_NE(error.find("no display"), std::string::npos);
}
