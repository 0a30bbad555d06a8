// A fixture for the 3D test cases: an engine started on a 1024 x 768
// window as the program starts it, plain green test pictures in slots 1 to
// 4, a virtual clock driving the frame timer, and helpers that select a
// test, run its frames and read the presented pixels.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "app/engine_instance.h"
#include "app/frame_timer.h"
#include "app/harness_state.h"
#include "app/test_table.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/clock.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace app_test {

// The executable's engine storage (tests_3d_engine.cpp).
Vorn& ConstructEngine();
void DestroyEngine();

constexpr UINT kPoints = 32891, kImmediateLines = 32892, kRenderLines = 32893, kSprites = 32914;
constexpr UINT kImmediatePolys[5] = {32894, 32896, 32898, 32900, 32902};
constexpr UINT kRenderPolys[5] = {32895, 32897, 32899, 32901, 32903};
constexpr D3DCOLOR kPictureColour = 0xFF00FF00;

inline LRESULT CALLBACK QuietWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline int AnswerFirstButton(HWND, const char*, const char*, UINT type) { return FirstButtonOf(type); }

class Tests3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("vornel_app_" + std::to_string(::getpid()) + "_" +
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
    g_StartupSettings.mainWindow = hwnd_;

    Vorn& e = ConstructEngine();
    e.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
    e.m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    e.m_nRenderTextureWidth = 256;
    e.m_nRenderTextureHeight = 256;
    ASSERT_TRUE(Startup(e, wc_));
    ASSERT_NE(e.m_pD3DDevice, nullptr);
    for (int slot = 1; slot <= 4; ++slot) MakePicture(slot);

    g_Harness = HarnessState{};
    g_Harness.viewRect = {0, 0, 1024, 768};
    g_FrameTimer = FrameTimer{};
    g_FrameTimer.Start();
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

  // A managed 32 x 32 texture of one colour in `slot`.
  static void MakePicture(int slot) {
    Vorn& e = g_Engine;
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, 32, 32, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) static_cast<DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x] = kPictureColour;
    t->UnlockRect(0);
    if (e.m_pTextures[slot]) e.m_pTextures[slot]->Release();
    e.m_pTextures[slot] = t;
  }

  // Chooses a test as its menu item does.
  static void Select(UINT id, unsigned calls = 1) {
    g_Harness.selectedTest = id;
    g_Harness.callsPerFrame = calls;
    g_Harness.needsInit = true;
  }

  // One frame of the selected test, `ms` milliseconds after the last one,
  // with the texture filter the main loop sets around each test.
  void Frame(LONGLONG ms = 20) {
    clock_.AdvanceMilliseconds(ms);
    const DWORD filter = g_Harness.textureFilter;
    g_Engine.m_pD3DDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, filter < 2 ? filter : 2);
    g_Engine.m_pD3DDevice->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    TestFunction run = FindTest(g_Harness.selectedTest);
    ASSERT_NE(run, nullptr) << g_Harness.selectedTest;
    run();
  }

  // One frame with the device's call trace recording it alone.
  void TracedFrame(LONGLONG ms = 20) {
    d3d9_hooks::ClearCallTrace();
    d3d9_hooks::SetCallTrace(true);
    Frame(ms);
    d3d9_hooks::SetCallTrace(false);
  }

  // How many traced calls read exactly `text` ("method(args)").
  static int Calls(const std::string& text) {
    int n = 0;
    for (const std::string& t : d3d9_hooks::CallTraceTexts()) n += t == text;
    return n;
  }

  // The view transform the device holds now.
  static D3DMATRIX View() {
    D3DMATRIX m{};
    g_Engine.m_pD3DDevice->GetTransform(D3DTS_VIEW, &m);
    return m;
  }

  // The orbit angle (modulo 2 pi) of the eye a view looks from: its third
  // column points from the origin towards the eye.
  static double OrbitAngle(const D3DMATRIX& v) { return std::atan2(v._13, v._33); }

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
};

}  // namespace app_test
