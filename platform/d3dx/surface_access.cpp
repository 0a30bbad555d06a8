// Surface reads and writes for the D3DX copies, with the system-memory
// detour for render targets and default-pool surfaces.
#include "platform/d3dx/surface_access.h"

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/pixels/filters.h"

namespace vornel::d3dx {

HRESULT ResolveRect(UINT width, UINT height, const RECT* in, RECT& out) {
  if (!in) {
    out = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    return D3D_OK;
  }
  if (in->left < 0 || in->top < 0 || in->left >= in->right || in->top >= in->bottom ||
      static_cast<UINT>(in->right) > width || static_cast<UINT>(in->bottom) > height)
    return D3DERR_INVALIDCALL;
  out = *in;
  return D3D_OK;
}

void ReadView::Close() {
  if (locked_) locked_->UnlockRect();
  locked_ = nullptr;
  bits = nullptr;
}

HRESULT ReadView::Open(IDirect3DSurface9* surface) {
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  D3DLOCKED_RECT lr{};
  if (SUCCEEDED(surface->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
    locked_ = surface;
  } else {
    // A render target the device will not lock: fetch its pixels first.
    ComRef<IDirect3DDevice9> device;
    if (FAILED(surface->GetDevice(device.out()))) return D3DERR_INVALIDCALL;
    hr = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, copy_.out(),
                                             nullptr);
    if (SUCCEEDED(hr)) hr = device->GetRenderTargetData(surface, copy_.p);
    if (SUCCEEDED(hr)) hr = copy_->LockRect(&lr, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    locked_ = copy_.p;
  }
  bits = static_cast<const BYTE*>(lr.pBits);
  pitch = lr.Pitch;
  return D3D_OK;
}

WriteView::~WriteView() {
  if (locked_) locked_->UnlockRect();
}

HRESULT WriteView::Open(IDirect3DSurface9* surface, const RECT& rect) {
  target_ = surface;
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  D3DLOCKED_RECT lr{};
  if (SUCCEEDED(surface->LockRect(&lr, nullptr, 0))) {
    locked_ = surface;
    area = rect;
  } else {
    // Not lockable (default pool): stage the rect in system memory.
    ComRef<IDirect3DDevice9> device;
    if (FAILED(surface->GetDevice(device.out()))) return D3DERR_INVALIDCALL;
    desc.Width = static_cast<UINT>(rect.right - rect.left);
    desc.Height = static_cast<UINT>(rect.bottom - rect.top);
    hr = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                             staging_.out(), nullptr);
    if (SUCCEEDED(hr)) hr = staging_->LockRect(&lr, nullptr, 0);
    if (FAILED(hr)) return hr;
    locked_ = staging_.p;
    area = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    at_ = {rect.left, rect.top};
  }
  bits = static_cast<BYTE*>(lr.pBits);
  pitch = lr.Pitch;
  return D3D_OK;
}

HRESULT WriteView::Commit() {
  if (locked_) locked_->UnlockRect();
  locked_ = nullptr;
  if (!staging_) return D3D_OK;
  ComRef<IDirect3DDevice9> device;
  if (FAILED(target_->GetDevice(device.out()))) return D3DERR_INVALIDCALL;
  return device->UpdateSurface(staging_.p, nullptr, target_, &at_);
}

HRESULT ReadSurface(IDirect3DSurface9* surface, const RECT& rect, PaletteBytes palette, TexelImage& out) {
  ReadView view;
  HRESULT hr = view.Open(surface);
  if (FAILED(hr)) return hr;
  if (!FindTraits(view.desc.Format)) return D3DERR_INVALIDCALL;
  return DecodeRect(view.desc.Format, view.bits, view.pitch, view.desc.Width, view.desc.Height, rect, palette, out)
             ? D3D_OK
             : D3DERR_INVALIDCALL;
}

HRESULT WriteSurface(IDirect3DSurface9* surface, const RECT& rect, const TexelImage& in) {
  D3DSURFACE_DESC desc{};
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  if (!FindTraits(desc.Format)) return D3DERR_INVALIDCALL;
  WriteView view;
  hr = view.Open(surface, rect);
  if (FAILED(hr)) return hr;
  if (!EncodeRect(view.desc.Format, view.bits, view.pitch, view.desc.Width, view.desc.Height, view.area, in))
    return D3DERR_INVALIDCALL;
  return view.Commit();
}

HRESULT LoadSurfaceFromTexels(IDirect3DSurface9* dest, const RECT* destRect, TexelImage src, DWORD filter,
                              D3DCOLOR colourKey) {
  if (!dest) return D3DERR_INVALIDCALL;
  if (filter == D3DX_DEFAULT) filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
  if (!ValidFilter(filter)) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc{};
  HRESULT hr = dest->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  RECT rect;
  hr = ResolveRect(desc.Width, desc.Height, destRect, rect);
  if (FAILED(hr)) return hr;

  if (colourKey != 0)
    for (Texel& t : src.texels)
      if (ToArgb(t) == colourKey) t = Texel{0, 0, 0, 0};

  if (src.width == rect.right - rect.left && src.height == rect.bottom - rect.top)
    return WriteSurface(dest, rect, src);  // same size: every filter copies
  TexelImage scaled;
  scaled.Resize(rect.right - rect.left, rect.bottom - rect.top);
  Resample(src, scaled, filter);
  return WriteSurface(dest, rect, scaled);
}

}  // namespace vornel::d3dx
