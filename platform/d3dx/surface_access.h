// Reading texels out of a surface and writing them back, locking it directly
// or, for surfaces the device will not lock, through a system-memory copy;
// and the shared copy step of every D3DX load: colour key, filter, write.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/formats/texel_image.h"

namespace d3dx_impl {

using d3d9_formats::FromArgb;
using d3d9_formats::Texel;
using d3d9_formats::TexelImage;
using d3d9_formats::ToArgb;

// Palette of 256 entries as D3DX takes it: red, green, blue, flags bytes
// (the layout of PALETTEENTRY). Null means a grey ramp.
using PaletteBytes = const BYTE*;

// The palette as the row codec reads it: ARGB words, opaque (D3DX reads the
// flags byte of an entry as no alpha). Null for null.
const std::uint32_t* PaletteWords(PaletteBytes palette, std::uint32_t (&words)[256]);

// True for a format D3DX reads and writes.
bool CanConvert(D3DFORMAT format);

// The rectangle to use on a surface of `width` x `height`: the whole surface
// for null, else `in` when it is non-empty and inside; D3DERR_INVALIDCALL
// otherwise.
HRESULT ResolveRect(UINT width, UINT height, const RECT* in, RECT& out);

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

// The memory of a whole surface for reading: the surface itself when the
// device locks it, else a system-memory copy fetched with
// GetRenderTargetData (render targets in the default pool).
class ReadView {
 public:
  ReadView() = default;
  ReadView(const ReadView&) = delete;
  ReadView& operator=(const ReadView&) = delete;
  ~ReadView() { Close(); }
  HRESULT Open(IDirect3DSurface9* surface);
  void Close();  // unlocks; `bits` is invalid afterwards

  D3DSURFACE_DESC desc{};
  const BYTE* bits = nullptr;
  INT pitch = 0;

 private:
  IDirect3DSurface9* locked_ = nullptr;
  ComRef<IDirect3DSurface9> copy_;
};

// Memory to write `rect` of a surface: the surface itself when it locks
// (`bits` then addresses the whole surface and `origin` is the rect's
// corner), else a system-memory surface of the rect's size that Commit
// copies in with UpdateSurface (`origin` is then 0, 0).
class WriteView {
 public:
  WriteView() = default;
  WriteView(const WriteView&) = delete;
  WriteView& operator=(const WriteView&) = delete;
  ~WriteView();
  HRESULT Open(IDirect3DSurface9* surface, const RECT& rect);
  HRESULT Commit();

  D3DSURFACE_DESC desc{};  // of the memory written: the staging surface's size when staged
  BYTE* bits = nullptr;
  INT pitch = 0;
  RECT area{};  // where the rect lies in that memory

 private:
  IDirect3DSurface9* target_ = nullptr;
  IDirect3DSurface9* locked_ = nullptr;
  ComRef<IDirect3DSurface9> staging_;
  POINT at_{};
};

HRESULT ReadSurface(IDirect3DSurface9* surface, const RECT& rect, PaletteBytes palette, TexelImage& out);
HRESULT WriteSurface(IDirect3DSurface9* surface, const RECT& rect, const TexelImage& in);

// Scales `src` into `destRect` (null: whole surface) of `dest` with `filter`
// (D3DX_DEFAULT: triangle), after turning texels equal to a non-zero
// `colourKey` into transparent black.
HRESULT LoadSurfaceFromTexels(IDirect3DSurface9* dest, const RECT* destRect, TexelImage src, DWORD filter,
                              D3DCOLOR colourKey);
}  // namespace d3dx_impl
