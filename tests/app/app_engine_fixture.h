// The common ground of the harness's unit tests: a temporary working
// folder, a virtual clock, a fresh log and device hooks, and the engine
// started on a 1024 x 768 window (with a status bar) as the program starts
// it; helpers for one-colour pictures, the call trace and presented pixels.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace app_test {

// The executable's engine storage (cases/cases_3d_engine.cpp).
Vorn& ConstructEngine();
void DestroyEngine();

inline LRESULT CALLBACK QuietWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline int AnswerFirstButton(HWND, const char*, const char*, UINT type) { return FirstButtonOf(type); }

class AppEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("vornel_app_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    InstallClock(&clock_);
    LogResetForTesting();
    d3d9_hooks::ResetAll();
    SetMessageBoxHandler(AnswerFirstButton);
    ResetEngineGlobalsForTesting();
    g_StartupSettings = StartupSettings{};

    wc_ = WNDCLASSEXA{};
    wc_.cbSize = sizeof(WNDCLASSEXA);
    wc_.lpfnWndProc = QuietWindowProc;
    wc_.lpszClassName = "VORNELTESTS";
    RegisterClassExA(&wc_);
    hwnd_ = CreateWindowExA(0, "VORNELTESTS", "VornelTests", WS_POPUP, 0, 0, 1024, 768, nullptr,
                            nullptr, nullptr, nullptr);
    InitCommonControls();
    bar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(104), nullptr, nullptr);
    g_StartupSettings.mainWindow = hwnd_;

    Vorn& e = ConstructEngine();
    e.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
    e.m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    e.m_nRenderTextureWidth = 256;
    e.m_nRenderTextureHeight = 256;
    ASSERT_TRUE(Startup(e, wc_));
    ASSERT_NE(e.m_pD3DDevice, nullptr);

    g_Harness = HarnessState{};
    g_Harness.viewRect = {0, 0, 1024, 768};
    g_Harness.statusBar = bar_;
  }

  void TearDown() override {
    DestroyEngine();
    if (hwnd_) DestroyWindow(hwnd_);
    UnregisterClassA("VORNELTESTS", nullptr);
    SetMessageBoxHandler(nullptr);
    d3d9_hooks::ResetAll();
    InstallClock(nullptr);
    LogResetForTesting();
    g_Harness = HarnessState{};
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  // A managed texture of one colour in `slot`.
  static void MakePicture(int slot, UINT w, UINT h, D3DCOLOR colour) {
    Vorn& e = g_Engine;
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, w, h, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) static_cast<DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x] = colour;
    t->UnlockRect(0);
    if (e.m_pTextures[slot]) e.m_pTextures[slot]->Release();
    e.m_pTextures[slot] = t;
  }

  // How many traced calls read exactly `text` ("method(args)").
  static int Calls(const std::string& text) {
    int n = 0;
    for (const std::string& t : d3d9_hooks::CallTraceTexts()) n += t == text;
    return n;
  }

  // The presented pixel at (x, y) as 0x00RRGGBB.
  DWORD Pixel(int x, int y) const {
    ClientPixels p{};
    if (!GetClientPixels(hwnd_, &p) || x < 0 || y < 0 || x >= p.width || y >= p.height) return 0xDEADBEEF;
    return p.data[y * p.pitch + x] & 0x00FFFFFFu;
  }

  VirtualClock clock_{1286000000};
  std::filesystem::path dir_, old_;
  WNDCLASSEXA wc_{};
  HWND hwnd_ = nullptr;
  HWND bar_ = nullptr;
};

}  // namespace app_test
