// Fills of pixel rectangles and the opaque row copy of Present.
#include "platform/d3d9/raster/surface_ops.h"

#include <emmintrin.h>

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

}  // namespace d3d9_impl
