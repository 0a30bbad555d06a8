// A lockable surface in plain memory, standing in for a device surface where
// a D3DX copy only needs GetDesc, LockRect and UnlockRect.
#pragma once

#include <cstring>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/formats/format_table.h"

namespace d3dx_test {

class MemorySurface final : public IDirect3DSurface9 {
 public:
  // `pitch` bytes per row (or per row of 4 x 4 blocks).
  MemorySurface(UINT width, UINT height, D3DFORMAT format, UINT pitch)
      : width_(width), height_(height), format_(format), pitch_(pitch) {
    UINT rows = IsBlock() ? (height + 3) / 4 : height;
    bytes_.assign(static_cast<std::size_t>(pitch) * rows, 0);
  }

  std::vector<BYTE>& bytes() { return bytes_; }
  UINT pitch() const { return pitch_; }
  int locks = 0;

  // Convenience for 32-bit formats.
  DWORD Get32(UINT x, UINT y) const {
    DWORD v;
    std::memcpy(&v, bytes_.data() + y * pitch_ + 4 * x, 4);
    return v;
  }
  void Set32(UINT x, UINT y, DWORD v) { std::memcpy(bytes_.data() + y * pitch_ + 4 * x, &v, 4); }

  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override { return --refs_; }  // lives on the test's stack
  HRESULT GetDevice(IDirect3DDevice9**) override { return D3DERR_INVALIDCALL; }
  HRESULT SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT GetPrivateData(REFGUID, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT FreePrivateData(REFGUID) override { return E_NOTIMPL; }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetContainer(REFIID, void**) override { return E_NOINTERFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* d) override {
    *d = {};
    d->Format = format_;
    d->Type = D3DRTYPE_SURFACE;
    d->Pool = D3DPOOL_SYSTEMMEM;
    d->Width = width_;
    d->Height = height_;
    return D3D_OK;
  }
  HRESULT LockRect(D3DLOCKED_RECT* lr, const RECT* rect, DWORD) override {
    if (rect) return D3DERR_INVALIDCALL;  // the copies lock whole surfaces
    ++locks;
    lr->Pitch = static_cast<INT>(pitch_);
    lr->pBits = bytes_.data();
    return D3D_OK;
  }
  HRESULT UnlockRect() override { return D3D_OK; }
  HRESULT GetDC(HDC*) override { return E_NOTIMPL; }
  HRESULT ReleaseDC(HDC) override { return E_NOTIMPL; }

 private:
  bool IsBlock() const {
    const auto* t = d3d9_formats::FindFormat(format_);
    return t && d3d9_formats::IsBlockCompressed(*t);
  }
  ULONG refs_ = 1;
  UINT width_, height_;
  D3DFORMAT format_;
  UINT pitch_;
  std::vector<BYTE> bytes_;
};

}  // namespace d3dx_test
