// Surface reads and writes for the D3DX copies, with the system-memory
// detour for render targets and default-pool surfaces.
#include "platform/d3dx/surface_access.h"

#include <algorithm>
#include <vector>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/row_codec.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/filter_flags.h"

namespace d3dx_impl {

const std::uint32_t* PaletteWords(PaletteBytes palette, std::uint32_t (&words)[256]) {
  if (!palette) return nullptr;
  for (int i = 0; i < 256; ++i) {
    const BYTE* e = palette + 4 * i;
    words[i] = 0xFF000000u | (static_cast<std::uint32_t>(e[0]) << 16) | (static_cast<std::uint32_t>(e[1]) << 8) | e[2];
  }
  return words;
}

bool CanConvert(D3DFORMAT format) { return d3d9_formats::HasTexelCodec(format); }

namespace {

// The destination's palette is not at hand, so palette formats are written
// as a grey ramp: each texel's luminance is its index, the inverse of
// reading without a palette.
const std::uint32_t* GreyRamp() {
  static const auto ramp = [] {
    std::vector<std::uint32_t> r(256);
    for (std::uint32_t i = 0; i < 256; ++i) r[i] = 0xFF000000u | (i * 0x010101u);
    return r;
  }();
  return ramp.data();
}

TexelImage AsLuminance(const TexelImage& in) {
  TexelImage grey;
  grey.Resize(in.width, in.height);
  std::transform(in.texels.begin(), in.texels.end(), grey.texels.begin(), [](const Texel& t) {
    const float l = d3d9_formats::Luminance(t.r, t.g, t.b);
    return Texel{l, l, l, t.a};
  });
  return grey;
}

}  // namespace

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
  if (!CanConvert(view.desc.Format)) return D3DERR_INVALIDCALL;
  std::uint32_t words[256];
  return d3d9_formats::DecodeRect(view.desc.Format, view.bits, view.pitch, view.desc.Width, view.desc.Height, rect,
                                  PaletteWords(palette, words), out)
             ? D3D_OK
             : D3DERR_INVALIDCALL;
}

HRESULT WriteSurface(IDirect3DSurface9* surface, const RECT& rect, const TexelImage& in) {
  D3DSURFACE_DESC desc{};
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  const d3d9_formats::FormatInfo* f = d3d9_formats::FindFormat(desc.Format);
  if (!f || !d3d9_formats::HasTexelCodec(*f)) return D3DERR_INVALIDCALL;
  WriteView view;
  hr = view.Open(surface, rect);
  if (FAILED(hr)) return hr;
  const bool palette = f->kind == d3d9_formats::FormatKind::Palette;
  TexelImage grey;
  if (palette) grey = AsLuminance(in);
  if (!d3d9_formats::EncodeRect(view.desc.Format, view.bits, view.pitch, view.desc.Width, view.desc.Height, view.area,
                                palette ? grey : in, palette ? GreyRamp() : nullptr))
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

}  // namespace d3dx_impl
