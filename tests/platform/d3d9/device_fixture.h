// A device on a small window for the device tests, and helpers to draw
// pre-transformed geometry and read pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/window_pixels.h"

namespace d3d9_test {

// A window handle the device presents into; only its client pixels exist.
inline HWND TestWindow() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7e57)); }

struct TLVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kTLFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Vertex2D {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD k2DFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

inline D3DPRESENT_PARAMETERS WindowedParams(UINT w, UINT h, D3DFORMAT fmt = D3DFMT_X8R8G8B8, bool depth = false) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = w;
  pp.BackBufferHeight = h;
  pp.BackBufferFormat = fmt;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_COPY;
  pp.hDeviceWindow = TestWindow();
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = depth ? TRUE : FALSE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return pp;
}

// A device with a W x H back buffer, lighting off and culling off, in a scene.
class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(8, 8); }

  void Create(UINT w, UINT h, D3DFORMAT fmt = D3DFMT_X8R8G8B8, bool depth = false) {
    d3d9_hooks::ResetAll();
    live_before_ = d3d9_hooks::LiveObjectCount();
    SetClientPixelsSize(TestWindow(), static_cast<int>(w), static_cast<int>(h));
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    D3DPRESENT_PARAMETERS pp = WindowedParams(w, h, fmt, depth);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev_),
              D3D_OK);
    dev_->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev_->SetFVF(kTLFvf);
    ASSERT_EQ(dev_->BeginScene(), D3D_OK);
    Clear(0xff000000u);
  }

  void TearDown() override {
    if (dev_) {
      dev_->EndScene();
      const ULONG left = dev_->Release();
      EXPECT_EQ(left, 0u);
    }
    if (d3d_) {
      EXPECT_EQ(d3d_->Release(), 0u);
    }
    // Everything created in the test is gone again.
    EXPECT_EQ(d3d9_hooks::LiveObjectCount(), live_before_);
    ReleaseClientPixels(TestWindow());
    d3d9_hooks::ResetAll();
  }

  void Clear(D3DCOLOR c) { ASSERT_EQ(dev_->Clear(0, nullptr, D3DCLEAR_TARGET, c, 1.f, 0), D3D_OK); }

  // The pixels of render target 0 as ARGB words (32-bit targets).
  std::vector<std::uint32_t> Pixels() {
    IDirect3DSurface9* rt = nullptr;
    EXPECT_EQ(dev_->GetRenderTarget(0, &rt), D3D_OK);
    D3DSURFACE_DESC d;
    rt->GetDesc(&d);
    IDirect3DSurface9* copy = nullptr;
    EXPECT_EQ(dev_->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr),
              D3D_OK);
    EXPECT_EQ(dev_->GetRenderTargetData(rt, copy), D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<std::uint32_t> out(static_cast<std::size_t>(d.Width) * d.Height);
    for (UINT y = 0; y < d.Height; ++y)
      std::memcpy(&out[y * d.Width], static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, d.Width * 4);
    copy->UnlockRect();
    copy->Release();
    rt->Release();
    width_ = d.Width;
    return out;
  }
  std::uint32_t Pixel(int x, int y) { return Pixels()[static_cast<std::size_t>(y) * width_ + x]; }

  // Coverage as text rows, '#' where the pixel differs from `background`.
  std::vector<std::string> Coverage(std::uint32_t background = 0xff000000u) {
    std::vector<std::uint32_t> px = Pixels();
    std::vector<std::string> rows;
    for (std::size_t y = 0; y < px.size() / width_; ++y) {
      std::string r;
      for (UINT x = 0; x < width_; ++x) r += px[y * width_ + x] == background ? '.' : '#';
      rows.push_back(r);
    }
    return rows;
  }

  void DrawQuad(float x0, float y0, float x1, float y1, D3DCOLOR c, float u0 = 0, float v0 = 0, float u1 = 1,
                float v1 = 1) {
    TLVertex v[4] = {{x0, y0, 0.f, 1.f, c, u0, v0},
                     {x1, y0, 0.f, 1.f, c, u1, v0},
                     {x0, y1, 0.f, 1.f, c, u0, v1},
                     {x1, y1, 0.f, 1.f, c, u1, v1}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex)), D3D_OK);
  }

  // A managed A8R8G8B8 texture filled by `texel(x, y)`.
  template <class F>
  IDirect3DTexture9* MakeTexture(UINT w, UINT h, F texel, D3DFORMAT fmt = D3DFMT_A8R8G8B8) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(dev_->CreateTexture(w, h, 1, 0, fmt, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x)
        reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = texel(x, y);
    t->UnlockRect(0);
    return t;
  }

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
  UINT width_ = 0;
  int live_before_ = 0;
};

}  // namespace d3d9_test
