// One software device for a whole test suite, on a 64 x 64 windowed back
// buffer with a D24S8 depth buffer: what the D3DX tests create textures,
// surfaces and meshes on. Each test checks that it leaves no Direct3D
// object behind.
#pragma once

#include <gtest/gtest.h>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/window_pixels.h"

namespace d3dx_test {

class SharedDeviceTest : public ::testing::Test {
 protected:
  // Any value serves as the window: the device only needs its pixels.
  static HWND Window() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xd3d5)); }

  static void SetUpTestSuite() {
    d3d9_hooks::ResetAll();
    SetClientPixelsSize(Window(), 64, 64);
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d_) return;
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 64;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = Window();
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    if (FAILED(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, Window(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                  &device_)))
      device_ = nullptr;
  }

  static void TearDownTestSuite() {
    if (device_) {
      EXPECT_EQ(device_->Release(), 0u) << "the suite left a reference to its device";
    }
    if (d3d_) d3d_->Release();
    device_ = nullptr;
    d3d_ = nullptr;
    ReleaseClientPixels(Window());
  }

  void SetUp() override {
    ASSERT_NE(device_, nullptr);
    live_before_ = d3d9_hooks::LiveObjectCount();
  }
  void TearDown() override {
    EXPECT_EQ(d3d9_hooks::LiveObjectCount(), live_before_) << "a Direct3D object was leaked";
  }

  static inline IDirect3D9* d3d_ = nullptr;
  static inline IDirect3DDevice9* device_ = nullptr;
  int live_before_ = 0;
};

}  // namespace d3dx_test
