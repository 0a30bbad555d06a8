// The common ground of the harness's unit tests: the engine workspace
// (tests/support) with the program's engine started on its window (with a
// status bar) as the program starts it; helpers for one-colour pictures,
// the call trace and presented pixels.
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
#include "tests/support/engine_workspace.h"

namespace app_test {

// The executable's engine storage (cases/cases_3d_engine.cpp).
Vorn& ConstructEngine();
void DestroyEngine();

class AppEngineTest : public test_support::EngineWorkspace {
 protected:
  AppEngineTest() : EngineWorkspace("vornel_app_") {}

  void SetUp() override {
    EngineWorkspace::SetUp();
    InitCommonControls();
    bar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(104), nullptr, nullptr);

    Vorn& e = ConstructEngine();
    test_support::ApplyHarnessPresentSettings(e);
    ASSERT_TRUE(Startup(e, wc_));
    ASSERT_NE(e.m_pD3DDevice, nullptr);

    g_Harness = HarnessState{};
    g_Harness.viewRect = {0, 0, 1024, 768};
    g_Harness.statusBar = bar_;
  }

  void TearDown() override {
    DestroyEngine();
    g_Harness = HarnessState{};
    EngineWorkspace::TearDown();
  }

  // A managed X8R8G8B8 texture in `slot` whose texel (x, y) is texel(x, y).
  template <typename TexelOf>
  static void MakeTexture(int slot, UINT w, UINT h, TexelOf texel) {
    Vorn& e = g_Engine;
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, w, h, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) static_cast<DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x] = texel(x, y);
    t->UnlockRect(0);
    if (e.m_pTextures[slot]) e.m_pTextures[slot]->Release();
    e.m_pTextures[slot] = t;
  }

  // A managed texture of one colour in `slot`.
  static void MakePicture(int slot, UINT w, UINT h, D3DCOLOR colour) {
    MakeTexture(slot, w, h, [colour](UINT, UINT) { return colour; });
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

  HWND bar_ = nullptr;
};

}  // namespace app_test
