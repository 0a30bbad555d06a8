// MainWindowProc: the status bar's creation and layout, painting through
// the engine's present, the menu's check marks, the mouse, and the
// commands (commands.cpp).
#include "app/window/command_ids.h"
#include "app/frame/engine_instance.h"
#include "app/frame/frame_timer.h"
#include "app/frame/harness_state.h"
#include "app/window/main_window.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/status_bar.h"

namespace {

void CreateStatusBar(HWND hwnd) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP,
                             0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(ids::kStatusBar)),
                             g_Harness.instance, nullptr);
  g_Harness.statusBar = bar;
  SetWindowLongPtrA(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(bar));
}

void LayOutStatusBar(LPARAM lParam) {
  int parts = g_Harness.statusPartCount > 0 ? g_Harness.statusPartCount : 1;
  if (parts > 10) parts = 10;
  int width = LOWORD(lParam) / parts;
  int edges[10];
  for (int i = 0; i < parts; ++i) edges[i] = (i + 1) * width;
  SendMessageA(g_Harness.statusBar, SB_SETPARTS, static_cast<WPARAM>(parts), reinterpret_cast<LPARAM>(edges));
  SendMessageA(g_Harness.statusBar, WM_SIZE, 0, 0);
}

// The view: the client area above the status bar.
void UpdateViewRect(HWND hwnd) {
  GetClientRect(hwnd, &g_Harness.viewRect);
  RECT bar{};
  GetClientRect(g_Harness.statusBar, &bar);
  g_Harness.viewRect.bottom -= bar.bottom + 1;
}

void Paint(HWND hwnd) {
  UpdateViewRect(hwnd);
  PAINTSTRUCT paint;
  BeginPaint(hwnd, &paint);
  g_Engine.m_bPainting = true;
  if (g_Engine.m_bDeviceReady && !g_Engine.m_bQuit) {
    if (g_Engine.m_PresentParams.SwapEffect == D3DSWAPEFFECT_COPY) {
      g_Engine.ScreenSwap(g_Harness.viewRect.right, g_Harness.viewRect.bottom);
    } else {
      g_Engine.ScreenSwap();
    }
  }
  g_Engine.m_bPainting = false;
  EndPaint(hwnd, &paint);
  ShowWindow(g_Harness.statusBar, SW_SHOW);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateStatusBar(hwnd);
      return 0;
    case WM_SIZE:
      LayOutStatusBar(lParam);
      return 0;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_DESTROY:
      LogText("W: WM_DESTROY");
      g_Engine.m_bQuit = true;
      PostQuitMessage(0);
      return 0;
    case WM_INITMENU:
      g_Harness.menu = reinterpret_cast<HMENU>(wParam);
      UpdateCheckMarks();
      return 0;
    case WM_ENTERIDLE:
      // Time spent in a menu or dialog is not animation time.
      g_FrameTimer.GetElapsedTime();
      return 0;
    case WM_MOUSEMOVE:
      g_Engine.m_fMouseX = static_cast<float>(static_cast<unsigned>(LOWORD(lParam)));
      g_Engine.m_fMouseY = static_cast<float>(static_cast<unsigned>(HIWORD(lParam)));
      return 0;
    case WM_LBUTTONDOWN:
      LogText("W: WM_LBUTTONDOWN");
      g_Engine.m_nMouseButton = 1;
      return 0;
    case WM_LBUTTONUP:
      LogText("W: WM_LBUTTONUP");
      g_Engine.m_nMouseButton = 0;
      return 0;
    case WM_RBUTTONDOWN:
      LogText("W: WM_RBUTTONDOWN");
      g_Engine.m_nMouseButton = 2;
      return 0;
    case WM_RBUTTONUP:
      LogText("W: WM_RBUTTONUP");
      g_Engine.m_nMouseButton = 0;
      return 0;
    case WM_COMMAND:
      if (HandleCommand(hwnd, message, wParam, lParam)) return 0;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
