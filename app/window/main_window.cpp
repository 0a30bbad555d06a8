// The main window's class and its creation.
#include "app/window/main_window.h"

#include "app/window/command_ids.h"
#include "app/frame/harness_state.h"
#include "platform/win32/resources.h"

namespace {

WNDCLASSEXA g_MainClass{};

}  // namespace

ATOM RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA& wc = g_MainClass;
  wc = WNDCLASSEXA{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(ids::kIconLarge));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
  wc.lpszMenuName = MAKEINTRESOURCEA(ids::kMenu);
  wc.lpszClassName = g_Harness.windowClass;
  wc.hIconSm = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(ids::kIconSmall));
  return RegisterClassExA(&wc);
}

const WNDCLASSEXA& MainWindowClass() { return g_MainClass; }

bool CreateMainWindow(HINSTANCE instance, int showCommand) {
  g_Harness.instance = instance;
  HWND hwnd = CreateWindowExA(0, g_Harness.windowClass, g_Harness.title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return false;
  g_Harness.mainWindow = hwnd;
  ShowWindow(hwnd, showCommand);
  UpdateWindow(hwnd);
  return true;
}
