// Reading texels out of a surface and writing them back, locking it directly
// or, for surfaces the device will not lock, through a system-memory copy;
// and the shared copy step of every D3DX load: colour key, filter, write.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/pixels/pixel_codec.h"

namespace vornel::d3dx {

// The rectangle to use on a surface of `width` x `height`: the whole surface
// for null, else `in` when it is non-empty and inside; D3DERR_INVALIDCALL
// otherwise.
HRESULT ResolveRect(UINT width, UINT height, const RECT* in, RECT& out);

HRESULT ReadSurface(IDirect3DSurface9* surface, const RECT& rect, PaletteBytes palette, TexelImage& out);
HRESULT WriteSurface(IDirect3DSurface9* surface, const RECT& rect, const TexelImage& in);

// Scales `src` into `destRect` (null: whole surface) of `dest` with `filter`
// (D3DX_DEFAULT: triangle), after turning texels equal to a non-zero
// `colourKey` into transparent black.
HRESULT LoadSurfaceFromTexels(IDirect3DSurface9* dest, const RECT* destRect, TexelImage src, DWORD filter,
                              D3DCOLOR colourKey);

// Releases a COM pointer on scope exit.
template <typename T>
struct ComRef {
  T* p = nullptr;
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
  explicit operator bool() const { return p != nullptr; }
};

}  // namespace vornel::d3dx
