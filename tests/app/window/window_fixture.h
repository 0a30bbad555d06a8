// A fixture for the main window's handlers: the 2D fixture's engine and
// window, with MainWindowProc as the window's procedure, the program's
// resources (menu 109 captured as WM_INITMENU captures it, accelerators
// 109) and a recording backend for dialogs and the open-file dialog.
#pragma once

#include <cstring>
#include <memory>
#include <string>

#include "app/frame/main_loop.h"
#include "app/resources/resources.h"
#include "app/window/command_ids.h"
#include "app/window/main_window.h"
#include "app/window/menu_checks.h"
#include "platform/win32/accelerators.h"
#include "platform/win32/backend.h"
#include "tests/app/cases/cases_2d_fixture.h"
#include "tests/app/frame/recording_backend.h"

namespace app_test {

class WindowTest : public Tests2DTest {
 protected:
  void SetUp() override {
    Tests2DTest::SetUp();
    if (HasFatalFailure()) return;
    RegisterResources();
    auto backend = std::make_unique<RecordingBackend>();
    backend_ = backend.get();
    InstallBackend(std::move(backend));
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MainWindowProc));
    SetWindowLongPtrA(hwnd_, GWL_USERDATA, reinterpret_cast<LONG_PTR>(bar_));
    g_Harness.mainWindow = hwnd_;
    g_Harness.accelerators = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(ids::kAccelerators));
    mainMenu_ = LoadMenuFromTemplate(MainMenuTemplate());
    InitMenu();
  }

  void TearDown() override {
    // The window goes with the fixture; its WM_DESTROY is not the bench's.
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(test_support::PlainWindowProc));
    InstallBackend(nullptr);
    ResetMessageQueue();
    g_Harness.menu = nullptr;
    if (mainMenu_) DestroyMenu(mainMenu_);
    Tests2DTest::TearDown();
  }

  // A menu choice: WM_COMMAND through the window procedure.
  void Command(UINT id) { SendMessageA(hwnd_, WM_COMMAND, id, 0); }
  // The menu opening: the check marks recomputed.
  void InitMenu() { SendMessageA(hwnd_, WM_INITMENU, reinterpret_cast<WPARAM>(mainMenu_), 0); }
  bool Checked(UINT id) { return IsMenuChecked(id); }

  // Handles a pending WM_PAINT of the window; false when none was asked for.
  bool PaintIfAsked() {
    MSG m{};
    if (!PeekMessageA(&m, hwnd_, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
    DispatchMessageA(&m);
    return true;
  }

  // A render state of the device.
  static DWORD State(D3DRENDERSTATETYPE s) {
    DWORD v = 0;
    g_Engine.m_pD3DDevice->GetRenderState(s, &v);
    return v;
  }

  // Index of the last traced call starting with `text`, -1 when none.
  static int LastCall(const std::string& text) {
    std::vector<std::string> t = d3d9_hooks::CallTraceTexts();
    for (int i = static_cast<int>(t.size()) - 1; i >= 0; --i)
      if (t[i].rfind(text, 0) == 0) return i;
    return -1;
  }

  RecordingBackend* backend_ = nullptr;
  HMENU mainMenu_ = nullptr;
};

inline DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof d);
  return d;
}

}  // namespace app_test
