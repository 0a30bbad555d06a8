// Texel-by-texel surface copies of one format, with point sampling when the
// rectangles differ in size.
#include "platform/d3dx/direct_copy.h"

#include <cstring>
#include <vector>

#include "platform/d3dx/pixels/filters.h"
#include "platform/d3dx/pixels/pixel_codec.h"

namespace vornel::d3dx {

bool CanCopyDirectly(const D3DSURFACE_DESC& dest, const RECT& destRect, const D3DSURFACE_DESC& src,
                     const RECT& srcRect, DWORD filter, D3DCOLOR colourKey) {
  if (colourKey != 0 || dest.Format != src.Format) return false;
  const FormatTraits* t = FindTraits(src.Format);
  if (!t || t->kind == FormatTraits::Kind::Block || t->kind == FormatTraits::Kind::Pair ||
      t->kind == FormatTraits::Kind::Palette)
    return false;
  const bool sameSize = destRect.right - destRect.left == srcRect.right - srcRect.left &&
                        destRect.bottom - destRect.top == srcRect.bottom - srcRect.top;
  return sameSize || (filter & 0xFF) == kFilterPoint;
}

HRESULT CopyDirectly(IDirect3DSurface9* dest, const RECT& destRect, IDirect3DSurface9* src, const RECT& srcRect) {
  D3DSURFACE_DESC desc{};
  src->GetDesc(&desc);
  const int bpp = FindTraits(desc.Format)->bytes;
  const int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
  const int dw = destRect.right - destRect.left, dh = destRect.bottom - destRect.top;

  D3DLOCKED_RECT from{};
  if (FAILED(src->LockRect(&from, nullptr, D3DLOCK_READONLY))) return S_FALSE;
  // The source rectangle is taken out first: source and destination may be
  // one surface with overlapping rectangles.
  std::vector<BYTE> rows(static_cast<std::size_t>(sw) * bpp * sh);
  for (int y = 0; y < sh; ++y)
    std::memcpy(&rows[static_cast<std::size_t>(y) * sw * bpp],
                static_cast<const BYTE*>(from.pBits) + static_cast<std::ptrdiff_t>(srcRect.top + y) * from.Pitch +
                    srcRect.left * bpp,
                static_cast<std::size_t>(sw) * bpp);
  src->UnlockRect();

  D3DLOCKED_RECT to{};
  if (FAILED(dest->LockRect(&to, nullptr, 0))) return S_FALSE;
  std::vector<int> columns(dw);
  for (int x = 0; x < dw; ++x) columns[x] = PointSample(x, sw, dw);
  for (int y = 0; y < dh; ++y) {
    const BYTE* s = &rows[static_cast<std::size_t>(PointSample(y, sh, dh)) * sw * bpp];
    BYTE* d = static_cast<BYTE*>(to.pBits) + static_cast<std::ptrdiff_t>(destRect.top + y) * to.Pitch +
              destRect.left * bpp;
    if (dw == sw) {
      std::memcpy(d, s, static_cast<std::size_t>(dw) * bpp);
    } else if (bpp == 4) {
      for (int x = 0; x < dw; ++x) std::memcpy(d + 4 * x, s + 4 * columns[x], 4);
    } else {
      for (int x = 0; x < dw; ++x) std::memcpy(d + bpp * x, s + bpp * columns[x], bpp);
    }
  }
  dest->UnlockRect();
  return D3D_OK;
}

}  // namespace vornel::d3dx
