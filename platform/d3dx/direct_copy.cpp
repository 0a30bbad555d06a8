// Texel-by-texel surface copies of one format, with point sampling when the
// rectangles differ in size.
#include "platform/d3dx/direct_copy.h"

#include <cstring>
#include <vector>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/stretch.h"
#include "platform/d3dx/surface_access.h"

namespace d3dx_impl {

bool CanCopyDirectly(const D3DSURFACE_DESC& dest, const RECT& destRect, const D3DSURFACE_DESC& src,
                     const RECT& srcRect, DWORD filter, D3DCOLOR colourKey) {
  if (colourKey != 0 || dest.Format != src.Format) return false;
  using d3d9_formats::FormatKind;
  const d3d9_formats::FormatInfo* t = d3d9_formats::FindFormat(src.Format);
  if (!t || !d3d9_formats::HasTexelCodec(*t) || t->kind == FormatKind::Block || t->kind == FormatKind::Pair ||
      t->kind == FormatKind::Palette)
    return false;
  const bool sameSize = destRect.right - destRect.left == srcRect.right - srcRect.left &&
                        destRect.bottom - destRect.top == srcRect.bottom - srcRect.top;
  return sameSize || (filter & 0xFF) == D3DX_FILTER_POINT;
}

namespace {

// Point-samples `sw` x `sh` texels of `bpp` bytes (rows `srcPitch` apart)
// into `dw` x `dh` texels (rows `destPitch` apart).
void Sample(const BYTE* src, std::ptrdiff_t srcPitch, int sw, int sh, BYTE* dest, std::ptrdiff_t destPitch, int dw,
            int dh, int bpp) {
  std::vector<int> columns(dw);
  for (int x = 0; x < dw; ++x) columns[x] = d3d9_formats::PointSample(x, sw, dw);
  for (int y = 0; y < dh; ++y) {
    const BYTE* s = src + d3d9_formats::PointSample(y, sh, dh) * srcPitch;
    BYTE* d = dest + y * destPitch;
    if (dw == sw) {
      std::memcpy(d, s, static_cast<std::size_t>(dw) * bpp);
    } else if (bpp == 4) {
      for (int x = 0; x < dw; ++x) std::memcpy(d + 4 * x, s + 4 * columns[x], 4);
    } else {
      for (int x = 0; x < dw; ++x) std::memcpy(d + bpp * x, s + bpp * columns[x], bpp);
    }
  }
}

// Render targets in the default pool copy into each other on the device,
// without a trip through system memory both ways.
bool CopyOnDevice(IDirect3DSurface9* dest, const RECT& destRect, IDirect3DSurface9* src, const RECT& srcRect) {
  D3DSURFACE_DESC sd{}, dd{};
  if (FAILED(src->GetDesc(&sd)) || FAILED(dest->GetDesc(&dd))) return false;
  if (sd.Pool != D3DPOOL_DEFAULT || dd.Pool != D3DPOOL_DEFAULT || !(dd.Usage & D3DUSAGE_RENDERTARGET)) return false;
  ComRef<IDirect3DDevice9> device;
  if (FAILED(src->GetDevice(device.out()))) return false;
  return SUCCEEDED(device->StretchRect(src, &srcRect, dest, &destRect, D3DTEXF_NONE));
}

}  // namespace

HRESULT CopyDirectly(IDirect3DSurface9* dest, const RECT& destRect, IDirect3DSurface9* src, const RECT& srcRect) {
  const int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
  const int dw = destRect.right - destRect.left, dh = destRect.bottom - destRect.top;
  if (src != dest && sw == dw && sh == dh && CopyOnDevice(dest, destRect, src, srcRect)) return D3D_OK;
  ReadView from;
  HRESULT hr = from.Open(src);
  if (FAILED(hr)) return hr;
  const int bpp = static_cast<int>(d3d9_formats::BytesPerPixel(*d3d9_formats::FindFormat(from.desc.Format)));
  const BYTE* source = from.bits + static_cast<std::ptrdiff_t>(srcRect.top) * from.pitch + srcRect.left * bpp;
  std::ptrdiff_t sourcePitch = from.pitch;

  // Copying a surface onto itself: the rectangles may overlap, and the
  // surface cannot be locked twice, so the source rectangle is taken out
  // first. The buffer is kept between calls; scrolls repeat every frame.
  thread_local std::vector<BYTE> rows;
  if (src == dest) {
    const std::size_t rowBytes = static_cast<std::size_t>(sw) * bpp;
    rows.resize(rowBytes * sh);
    for (int y = 0; y < sh; ++y) std::memcpy(&rows[y * rowBytes], source + y * sourcePitch, rowBytes);
    source = rows.data();
    sourcePitch = static_cast<std::ptrdiff_t>(rowBytes);
    from.Close();
  }
  WriteView to;
  hr = to.Open(dest, destRect);
  if (FAILED(hr)) return hr;
  Sample(source, sourcePitch, sw, sh,
         to.bits + static_cast<std::ptrdiff_t>(to.area.top) * to.pitch + to.area.left * bpp, to.pitch, dw, dh, bpp);
  return to.Commit();
}

}  // namespace d3dx_impl
