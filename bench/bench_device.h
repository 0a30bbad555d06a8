// The device the benchmarks draw with: 1024 x 768, windowed, presenting
// into a memory window of its own, with or without a D24S8 depth buffer.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/window_pixels.h"

class BenchDevice {
 public:
  BenchDevice(HWND window, bool depth) : window_(window) {
    SetClientPixelsSize(window_, 1024, 768);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 1024;
    pp.BackBufferHeight = 768;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = window_;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = depth ? TRUE : FALSE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &dev);
    dev->CreateOffscreenPlainSurface(1, 1, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &probe_, nullptr);
  }
  ~BenchDevice() {
    probe_->Release();
    dev->Release();
    d3d->Release();
    ReleaseClientPixels(window_);
  }
  BenchDevice(const BenchDevice&) = delete;
  BenchDevice& operator=(const BenchDevice&) = delete;

  // The device records draws and draws them when their pixels are needed:
  // a lock of any surface makes it draw everything recorded so far, as a
  // frame's Present does.
  void DrawNow() {
    D3DLOCKED_RECT lr;
    if (SUCCEEDED(probe_->LockRect(&lr, nullptr, D3DLOCK_READONLY))) probe_->UnlockRect();
  }

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* dev = nullptr;

 private:
  HWND window_;
  IDirect3DSurface9* probe_ = nullptr;
};
