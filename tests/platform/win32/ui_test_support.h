// Shared set-up of the window tests: a window class whose procedure records
// every message, sample resources, a main loop like the program's, and the
// clean-up of the global window state after each test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/win32/accelerators.h"
#include "platform/win32/backend.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/headless/headless_backend.h"
#include "platform/win32/menu.h"
#include "platform/win32/message_box.h"
#include "platform/win32/messages.h"
#include "platform/win32/resources.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/window.h"

namespace win32_test {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

// Extra handling a test adds to the recording procedure; returning true
// means handled (the procedure returns 0).
inline std::function<bool(HWND, UINT, WPARAM, LPARAM)>& Hook() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM)> hook;
  return hook;
}

inline bool& Quit() {
  static bool quit = false;
  return quit;
}

inline LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Seen{hwnd, message, wParam, lParam});
  if (Hook() && Hook()(hwnd, message, wParam, lParam)) return 0;
  if (message == WM_DESTROY) {
    Quit() = true;
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline int Count(UINT message) {
  int n = 0;
  for (const Seen& s : Log()) n += s.message == message;
  return n;
}

inline std::vector<UINT> CommandsSeen() {
  std::vector<UINT> ids;
  for (const Seen& s : Log())
    if (s.message == WM_COMMAND) ids.push_back(LOWORD(s.wParam));
  return ids;
}

constexpr UINT kMenuId = 109;

inline MenuTemplate SampleMenu() {
  return {
      MenuPopup("&File", {MenuCommand("&Load Texture", 32861), MenuSeparator(), MenuCommand("E&xit", 105)}),
      MenuPopup("&Tests", {MenuPopup("&2D Tests", {MenuPopup("&Lines", {MenuCommand("&Immediate Lines", 32772),
                                                                        MenuCommand("&Render Lines", 32773)})}),
                           MenuPopup("&Screen Tests", {MenuCommand("&Immediate Lines", 32868)})}),
      MenuPopup("&Settings", {MenuCommand("Step\tSpace", 32822), MenuCommand("Resume\tEnter", 32823),
                              MenuPopup("Calls Per &Frame", {MenuCommand("&1", 32815, MF_CHECKED),
                                                             MenuCommand("1&0", 32816)})}),
      MenuPopup("&Help", {MenuCommand("&About ...", 104)}),
  };
}

inline std::vector<ACCEL> SampleAccelerators() {
  return {{FVIRTKEY | FNOINVERT, VK_HOME, 32803},
          {FVIRTKEY | FNOINVERT, VK_SPACE, 32822},
          {FVIRTKEY | FNOINVERT, VK_RETURN, 32823},
          {FALT | FNOINVERT, '/', 104},
          {FALT | FNOINVERT, '?', 104}};
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallBackend(CreateHeadlessBackend());
    RegisterMenuResource(kMenuId, SampleMenu());
    RegisterAcceleratorResource(kMenuId, SampleAccelerators());
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "VORNELTEST";
    wc.lpszMenuName = MAKEINTRESOURCEA(kMenuId);
    RegisterClassExA(&wc);  // fails harmlessly after the first test
    Log().clear();
    Hook() = nullptr;
    Quit() = false;
  }

  void TearDown() override {
    Hook() = nullptr;
    while (HWND h = MainScriptWindow()) DestroyWindow(h);
    InstallBackend(nullptr);  // with a script runner's wrapper, if a test put one on
    ResetMessageQueue();
    ClearResources();
    Log().clear();
  }

  HWND MakeWindow(int width = 640, int height = 480, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    return CreateWindowExA(0, "VORNELTEST", "Test", style, 10, 10, width, height, nullptr, nullptr, nullptr, nullptr);
  }

  // The program's loop: one PeekMessageA per pass (or GetMessageA when
  // `wait`), accelerators first, until WM_DESTROY or `max_passes`.
  int RunLoop(HWND hwnd, HACCEL accel, int max_passes, bool wait = false) {
    int passes = 0;
    while (!Quit() && passes < max_passes) {
      ++passes;
      MSG msg;
      bool got = wait ? GetMessageA(&msg, nullptr, 0, 0) != FALSE : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
      if (!got) {
        if (wait) break;
        continue;
      }
      if (!TranslateAcceleratorA(hwnd, accel, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    return passes;
  }
};

}  // namespace win32_test
