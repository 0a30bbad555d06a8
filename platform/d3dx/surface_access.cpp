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

HRESULT ReadSurface(IDirect3DSurface9* surface, const RECT& rect, PaletteBytes palette, TexelImage& out) {
  D3DSURFACE_DESC desc{};
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  if (!FindTraits(desc.Format)) return D3DERR_INVALIDCALL;

  D3DLOCKED_RECT lr{};
  if (SUCCEEDED(surface->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
    bool ok = DecodeRect(desc.Format, static_cast<const BYTE*>(lr.pBits), lr.Pitch, desc.Width, desc.Height, rect,
                         palette, out);
    surface->UnlockRect();
    return ok ? D3D_OK : D3DERR_INVALIDCALL;
  }
  // A render target the device will not lock: fetch its pixels first.
  ComRef<IDirect3DDevice9> device;
  ComRef<IDirect3DSurface9> copy;
  if (FAILED(surface->GetDevice(device.out()))) return D3DERR_INVALIDCALL;
  hr = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, copy.out(),
                                           nullptr);
  if (FAILED(hr)) return hr;
  hr = device->GetRenderTargetData(surface, copy.p);
  if (FAILED(hr)) return hr;
  hr = copy->LockRect(&lr, nullptr, D3DLOCK_READONLY);
  if (FAILED(hr)) return hr;
  bool ok = DecodeRect(desc.Format, static_cast<const BYTE*>(lr.pBits), lr.Pitch, desc.Width, desc.Height, rect,
                       palette, out);
  copy->UnlockRect();
  return ok ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT WriteSurface(IDirect3DSurface9* surface, const RECT& rect, const TexelImage& in) {
  D3DSURFACE_DESC desc{};
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  if (!FindTraits(desc.Format)) return D3DERR_INVALIDCALL;

  D3DLOCKED_RECT lr{};
  if (SUCCEEDED(surface->LockRect(&lr, nullptr, 0))) {
    bool ok = EncodeRect(desc.Format, static_cast<BYTE*>(lr.pBits), lr.Pitch, desc.Width, desc.Height, rect, in);
    surface->UnlockRect();
    return ok ? D3D_OK : D3DERR_INVALIDCALL;
  }
  // Not lockable (default pool): fill a system-memory surface of the rect's
  // size and let the device copy it in.
  ComRef<IDirect3DDevice9> device;
  ComRef<IDirect3DSurface9> staging;
  if (FAILED(surface->GetDevice(device.out()))) return D3DERR_INVALIDCALL;
  const UINT w = static_cast<UINT>(rect.right - rect.left), h = static_cast<UINT>(rect.bottom - rect.top);
  hr = device->CreateOffscreenPlainSurface(w, h, desc.Format, D3DPOOL_SYSTEMMEM, staging.out(), nullptr);
  if (FAILED(hr)) return hr;
  hr = staging->LockRect(&lr, nullptr, 0);
  if (FAILED(hr)) return hr;
  RECT whole{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
  bool ok = EncodeRect(desc.Format, static_cast<BYTE*>(lr.pBits), lr.Pitch, w, h, whole, in);
  staging->UnlockRect();
  if (!ok) return D3DERR_INVALIDCALL;
  POINT at{rect.left, rect.top};
  return device->UpdateSurface(staging.p, nullptr, surface, &at);
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

  TexelImage scaled;
  scaled.Resize(rect.right - rect.left, rect.bottom - rect.top);
  Resample(src, scaled, filter);
  return WriteSurface(dest, rect, scaled);
}

}  // namespace vornel::d3dx
