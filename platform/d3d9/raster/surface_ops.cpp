// Fills and copies of pixel rectangles.
#include "platform/d3d9/raster/surface_ops.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/row_codec.h"

namespace d3d9_impl {

namespace {

// n copies of a 32-bit value (a pixel or a depth), sixteen bytes a store.
template <class T>
void FillRow32(T* p, int n, T value) {
  static_assert(sizeof(T) == 4);
  int bits;
  std::memcpy(&bits, &value, 4);
  const __m128i v = _mm_set1_epi32(bits);
  int i = 0;
  for (; i < n && (reinterpret_cast<std::uintptr_t>(p + i) & 15) != 0; ++i) p[i] = value;
  for (; i + 8 <= n; i += 8) {
    _mm_store_si128(reinterpret_cast<__m128i*>(p + i), v);
    _mm_store_si128(reinterpret_cast<__m128i*>(p + i + 4), v);
  }
  for (; i < n; ++i) p[i] = value;
}

}  // namespace

bool FillColor(const PixelView& v, const RECT& rect, D3DCOLOR color) {
  const int w = rect.right - rect.left;
  if (w <= 0 || rect.bottom <= rect.top) return true;
  const UINT bpp = d3d9_formats::FindFormat(v.format) ? d3d9_formats::FindFormat(v.format)->bits_per_pixel : 0;
  if (bpp == 32 && (v.format == D3DFMT_A8R8G8B8 || v.format == D3DFMT_X8R8G8B8)) {
    for (LONG y = rect.top; y < rect.bottom; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(v.bits + static_cast<std::ptrdiff_t>(y) * v.pitch) + rect.left;
      FillRow32(row, w, static_cast<std::uint32_t>(color));
    }
    return true;
  }
  if (!d3d9_formats::CanConvertRows(v.format) || bpp % 8 != 0) return false;
  // Encode one row, then copy it down.
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(w), color);
  const std::size_t bytes = static_cast<std::size_t>(w) * (bpp / 8);
  BYTE* first = v.bits + static_cast<std::ptrdiff_t>(rect.top) * v.pitch + rect.left * static_cast<int>(bpp / 8);
  if (!d3d9_formats::EncodeRow(v.format, argb.data(), static_cast<UINT>(w), first)) return false;
  for (LONG y = rect.top + 1; y < rect.bottom; ++y)
    std::memcpy(first + static_cast<std::ptrdiff_t>(y - rect.top) * v.pitch, first, bytes);
  return true;
}

void FillDepth(float* depth, int pitch, const RECT& rect, float z) {
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    float* row = depth + static_cast<std::ptrdiff_t>(y) * pitch;
    FillRow32(row + rect.left, static_cast<int>(rect.right - rect.left), z);
  }
}

void FillStencil(BYTE* stencil, int pitch, const RECT& rect, BYTE value) {
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    BYTE* row = stencil + static_cast<std::ptrdiff_t>(y) * pitch;
    std::memset(row + rect.left, value, static_cast<std::size_t>(rect.right - rect.left));
  }
}

void CopyOpaqueRow(const std::uint32_t* from, std::uint32_t* to, int n) {
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_or_si128(a, opaque));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i + 4), _mm_or_si128(b, opaque));
  }
  for (; i < n; ++i) to[i] = from[i] | 0xff000000u;
}

namespace {

std::uint32_t LerpColor(std::uint32_t a, std::uint32_t b, std::uint32_t f) {  // f in 0..256
  std::uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    const std::uint32_t ca = (a >> sh) & 0xff, cb = (b >> sh) & 0xff;
    out |= ((ca * (256 - f) + cb * f + 128) >> 8) << sh;
  }
  return out;
}

}  // namespace

bool CopyRect(const PixelView& src, const RECT& sr, const PixelView& dst, const RECT& dr, bool linear) {
  const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return true;
  const d3d9_formats::FormatInfo* sf = d3d9_formats::FindFormat(src.format);
  const d3d9_formats::FormatInfo* df = d3d9_formats::FindFormat(dst.format);
  if (!sf || !df) return false;

  // Same format and size: plain row copies (block formats copy block rows).
  if (src.format == dst.format && sw == dw && sh == dh) {
    if (sf->block_bytes) {
      const int bx = sr.left / 4, by = sr.top / 4, dbx = dr.left / 4, dby = dr.top / 4;
      const int bw = (sw + 3) / 4, bh = (sh + 3) / 4;
      for (int y = 0; y < bh; ++y)
        std::memcpy(dst.bits + static_cast<std::ptrdiff_t>(dby + y) * dst.pitch + dbx * static_cast<int>(df->block_bytes),
                    src.bits + static_cast<std::ptrdiff_t>(by + y) * src.pitch + bx * static_cast<int>(sf->block_bytes),
                    static_cast<std::size_t>(bw) * sf->block_bytes);
      return true;
    }
    if (sf->bits_per_pixel % 8 == 0) {
      const int bpp = static_cast<int>(sf->bits_per_pixel / 8);
      for (int y = 0; y < sh; ++y)
        std::memcpy(dst.bits + static_cast<std::ptrdiff_t>(dr.top + y) * dst.pitch + dr.left * bpp,
                    src.bits + static_cast<std::ptrdiff_t>(sr.top + y) * src.pitch + sr.left * bpp,
                    static_cast<std::size_t>(sw) * bpp);
      return true;
    }
  }
  if (!d3d9_formats::CanConvertRows(src.format) || !d3d9_formats::CanConvertRows(dst.format)) return false;
  if (sf->bits_per_pixel % 8 != 0 || df->bits_per_pixel % 8 != 0) return false;
  if (sf->pair_packed && (sr.left & 1)) return false;
  if (df->pair_packed && (dr.left & 1)) return false;
  const int sbpp = static_cast<int>(sf->bits_per_pixel / 8), dbpp = static_cast<int>(df->bits_per_pixel / 8);

  // Decode the source rows that are needed, scale horizontally, encode.
  // The row buffers are kept between calls, so a Present allocates nothing.
  static thread_local std::vector<std::uint32_t> row0, row1, out;
  row0.resize(static_cast<std::size_t>(sw));
  row1.resize(static_cast<std::size_t>(sw));
  out.resize(static_cast<std::size_t>(dw));
  auto decode = [&](int sy, std::vector<std::uint32_t>& row) {
    d3d9_formats::DecodeRow(src.format, src.bits + static_cast<std::ptrdiff_t>(sr.top + sy) * src.pitch + sr.left * sbpp,
                            static_cast<UINT>(sw), row.data());
  };
  for (int y = 0; y < dh; ++y) {
    if (!linear) {
      // Destination pixel centre (y + 0.5) maps to source row floor((y + 0.5) sh / dh).
      const int sy = static_cast<int>((static_cast<std::int64_t>(2 * y + 1) * sh) / (2 * dh));
      decode(sy, row0);
      for (int x = 0; x < dw; ++x) {
        const int sx = static_cast<int>((static_cast<std::int64_t>(2 * x + 1) * sw) / (2 * dw));
        out[static_cast<std::size_t>(x)] = row0[static_cast<std::size_t>(sx)];
      }
    } else {
      const float fy = std::max(0.f, (static_cast<float>(y) + 0.5f) * static_cast<float>(sh) / static_cast<float>(dh) - 0.5f);
      const int y0 = std::min(static_cast<int>(fy), sh - 1), y1 = std::min(y0 + 1, sh - 1);
      const std::uint32_t wy = static_cast<std::uint32_t>((fy - static_cast<float>(y0)) * 256.f);
      decode(y0, row0);
      decode(y1, row1);
      for (int x = 0; x < dw; ++x) {
        const float fx = std::max(0.f, (static_cast<float>(x) + 0.5f) * static_cast<float>(sw) / static_cast<float>(dw) - 0.5f);
        const int x0 = std::min(static_cast<int>(fx), sw - 1), x1 = std::min(x0 + 1, sw - 1);
        const std::uint32_t wx = static_cast<std::uint32_t>((fx - static_cast<float>(x0)) * 256.f);
        const std::uint32_t top = LerpColor(row0[static_cast<std::size_t>(x0)], row0[static_cast<std::size_t>(x1)], wx);
        const std::uint32_t bot = LerpColor(row1[static_cast<std::size_t>(x0)], row1[static_cast<std::size_t>(x1)], wx);
        out[static_cast<std::size_t>(x)] = LerpColor(top, bot, wy);
      }
    }
    d3d9_formats::EncodeRow(dst.format, out.data(), static_cast<UINT>(dw),
                            dst.bits + static_cast<std::ptrdiff_t>(dr.top + y) * dst.pitch + dr.left * dbpp);
  }
  return true;
}

}  // namespace d3d9_impl
