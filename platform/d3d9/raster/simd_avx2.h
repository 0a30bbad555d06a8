// Eight-pixel building blocks of the AVX2 span routines: the arithmetic of
// the four-pixel SSE2 routines (textured_spans.h, depth_spans.h) and of the
// scalar ones, lane for lane, so every pixel comes out the same. Only the
// files built with -mavx2 include this header.
#pragma once

#ifndef __AVX2__
#error "simd_avx2.h is for files built with -mavx2"
#endif

#include <immintrin.h>

#include <cstdint>

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl::avx2 {

inline __m256i Lanes() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }

// Lanes below n (0..8) set, the others clear.
inline __m256i FirstLanes(int n) { return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), Lanes()); }

// Asks for the cache lines of pixels [x0, x1) of the next row, which the
// rasterizer's next span of the primitive most likely covers: the target
// rows lie a whole pitch apart, too far for the processor to fetch them on
// its own before the span reads them. A prefetch never faults, even past
// the surface.
inline void PrefetchNextRow(const void* row, int pitch_bytes, int x0, int x1, int bytes_per_pixel) {
  const char* next = static_cast<const char*>(row) + pitch_bytes;
  for (int b = x0 * bytes_per_pixel, end = x1 * bytes_per_pixel; b < end + 63; b += 64)
    _mm_prefetch(next + (b < end ? b : end - 1), _MM_HINT_T0);
}

// The x of each lane as a float, for x .. x + 7.
inline __m256 PixelX(int x) { return _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_set1_epi32(x), Lanes())); }

// Rounding division by 255 of each 16-bit lane, exact up to 255 * 255.
inline __m256i Div255x16(__m256i x) {
  x = _mm256_add_epi16(x, _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// ToChannel of eight floats: 0 below or at 0 (and NaN), 255 from 255 up,
// else rounded to nearest.
inline __m256i Channel8(__m256 c) {
  const __m256i i = _mm256_cvttps_epi32(_mm256_add_ps(c, _mm256_set1_ps(0.5f)));
  const __m256i positive = _mm256_castps_si256(_mm256_cmp_ps(c, _mm256_setzero_ps(), _CMP_GT_OQ));
  const __m256i full = _mm256_castps_si256(_mm256_cmp_ps(c, _mm256_set1_ps(255.f), _CMP_GE_OQ));
  const __m256i v = _mm256_and_si256(i, positive);
  return _mm256_blendv_epi8(v, _mm256_set1_epi32(255), full);
}

// Four channels (each 0..255 in a 32-bit lane) packed as ARGB words.
inline __m256i PackArgb(const __m256i* ch) {  // ch: r, g, b, a
  return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(ch[3], 24), _mm256_slli_epi32(ch[0], 16)),
                         _mm256_or_si256(_mm256_slli_epi32(ch[1], 8), ch[2]));
}

// Eight 32-bit weights spread over the 16-bit lanes the byte unpacks give:
// `lo` holds pixels 0, 1, 4, 5 and `hi` pixels 2, 3, 6, 7, four lanes each,
// as _mm256_unpacklo/hi_epi8 order the channels of eight ARGB pixels.
inline void Spread8(__m256i w, __m256i* lo, __m256i* hi) {
  __m256i t = _mm256_packs_epi32(w, w);
  t = _mm256_unpacklo_epi16(t, t);
  *lo = _mm256_unpacklo_epi32(t, t);
  *hi = _mm256_unpackhi_epi32(t, t);
}

// One channel of two texels blended by f (0..256) per 16-bit lane, as
// LerpPacked does it: (a (256 - f) + b f + 128) / 256.
inline __m256i Lerp16(__m256i a, __m256i b, __m256i f) {
  const __m256i g = _mm256_sub_epi16(_mm256_set1_epi16(256), f);
  return _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, g), _mm256_mullo_epi16(b, f)), _mm256_set1_epi16(128)),
      8);
}

// floor(f) of eight floats, and whether every active lane lies where the
// scalar FloorToInt takes the same value (well inside +-1e9, not NaN).
inline __m256i Floor8(__m256 f, __m256i active, bool* ok) {
  const __m256 limit = _mm256_set1_ps(1.0e9f);
  const __m256 inside = _mm256_and_ps(_mm256_cmp_ps(f, limit, _CMP_LT_OQ),
                                      _mm256_cmp_ps(f, _mm256_sub_ps(_mm256_setzero_ps(), limit), _CMP_GT_OQ));
  *ok = _mm256_testc_si256(_mm256_castps_si256(inside), active) != 0;  // no active lane outside
  const __m256i i = _mm256_cvttps_epi32(f);
  // Truncation moved negative fractions up: step them down.
  const __m256i above = _mm256_castps_si256(_mm256_cmp_ps(f, _mm256_cvtepi32_ps(i), _CMP_LT_OQ));
  return _mm256_add_epi32(i, above);
}

// Texel index along one axis: a mask for wrapped powers of two, else a
// clamp to [0, size - 1]. Any lane, even an inactive one, ends in range.
inline __m256i Address8(__m256i i, int size, bool wrap) {
  if (wrap) return _mm256_and_si256(i, _mm256_set1_epi32(size - 1));
  return _mm256_min_epi32(_mm256_max_epi32(i, _mm256_setzero_si256()), _mm256_set1_epi32(size - 1));
}

inline __m256i Gather8(const TexLevel& l, __m256i x, __m256i y) {
  const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(y, _mm256_set1_epi32(l.pitch)), x);
  return _mm256_i32gather_epi32(reinterpret_cast<const int*>(l.texels), index, 4);
}

// Whether every active lane's second texel column follows its first, so
// the two texels of a row are one 64-bit load.
inline bool AdjacentPairs(__m256i x0, __m256i x1, __m256i active) {
  const __m256i next = _mm256_cmpeq_epi32(x1, _mm256_add_epi32(x0, _mm256_set1_epi32(1)));
  return _mm256_testc_si256(next, active) != 0;
}

// Bilinear filtering of eight pixels whose texel pairs (x0, x0 + 1) of
// rows y0 and y1 are adjacent, with weights wx, wy (0..256): the rows
// blended first, then between them, each rounding as LerpPacked does, so
// the texels are those of the four-texel blend. Each row's pair comes in
// one 64-bit load; inactive lanes load nothing and give 0.
inline __m256i BilinearPairs(const TexLevel& l, __m256i x0, __m256i y0, __m256i y1, __m256i wx, __m256i wy,
                             __m256i active) {
  const __m256i pitch = _mm256_set1_epi32(l.pitch);
  const __m256i i0 = _mm256_add_epi32(_mm256_mullo_epi32(y0, pitch), x0);
  const __m256i i1 = _mm256_add_epi32(_mm256_mullo_epi32(y1, pitch), x0);
  const auto* base = reinterpret_cast<const long long*>(l.texels);
  const __m256i m_lo = _mm256_cvtepi32_epi64(_mm256_castsi256_si128(active));
  const __m256i m_hi = _mm256_cvtepi32_epi64(_mm256_extracti128_si256(active, 1));
  const __m256i zero = _mm256_setzero_si256();
  auto gather = [&](__m256i index, bool high, __m256i mask) {
    const __m128i part = high ? _mm256_extracti128_si256(index, 1) : _mm256_castsi256_si128(index);
    return _mm256_mask_i32gather_epi64(zero, base, part, mask, 4);
  };
  // Pixels 0-3 and 4-7 of both rows, each 64-bit lane the pair (a, b).
  const __m256i r0[2] = {gather(i0, false, m_lo), gather(i0, true, m_hi)};
  const __m256i r1[2] = {gather(i1, false, m_lo), gather(i1, true, m_hi)};
  // Bytes of each pair interleaved, a0 b0 a1 b1 ..., so a multiply-add of
  // 16-bit lanes blends them channel by channel.
  const __m256i interleave =
      _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10,
                       14, 11, 15);
  // Weight pairs (256 - f, f) as two 16-bit lanes of each pixel's word.
  const __m256i k256 = _mm256_set1_epi32(256);
  const __m256i px = _mm256_or_si256(_mm256_sub_epi32(k256, wx), _mm256_slli_epi32(wx, 16));
  const __m256i py = _mm256_or_si256(_mm256_sub_epi32(k256, wy), _mm256_slli_epi32(wy, 16));
  const __m256i round = _mm256_set1_epi32(128);
  auto lerp = [&](__m256i pairs, __m256i weights) {  // 16-bit pairs to one channel per 32-bit lane
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_madd_epi16(pairs, weights), round), 8);
  };
  // Four vectors of two pixels each, one per 128-bit half: (0, 2), (1, 3),
  // (4, 6), (5, 7); every vector holds a pixel's four channels as 32-bit lanes.
  __m256i blended[4];
  for (int h = 0; h < 2; ++h) {
    const __m256i top = _mm256_shuffle_epi8(r0[h], interleave), bottom = _mm256_shuffle_epi8(r1[h], interleave);
    for (int k = 0; k < 2; ++k) {
      const int first = 4 * h + k;  // the pixel in the low half; first + 2 in the high half
      const __m256i spread = _mm256_setr_epi32(first, first, first, first, first + 2, first + 2, first + 2, first + 2);
      const __m256i wxs = _mm256_permutevar8x32_epi32(px, spread), wys = _mm256_permutevar8x32_epi32(py, spread);
      const __m256i t = lerp(k ? _mm256_unpackhi_epi8(top, zero) : _mm256_unpacklo_epi8(top, zero), wxs);
      const __m256i b = lerp(k ? _mm256_unpackhi_epi8(bottom, zero) : _mm256_unpacklo_epi8(bottom, zero), wxs);
      blended[2 * h + k] = lerp(_mm256_or_si256(t, _mm256_slli_epi32(b, 16)), wys);
    }
  }
  // Channels to bytes: pixels (0, 1, 4, 5 | 2, 3, 6, 7), then in order.
  const __m256i packed = _mm256_packus_epi16(_mm256_packus_epi32(blended[0], blended[1]),
                                             _mm256_packus_epi32(blended[2], blended[3]));
  return _mm256_permute4x64_epi64(packed, 0xd8);
}

// The texels of eight pixels at (u, v) with point (Tex 1) or bilinear
// (Tex 2) sampling, as SamplePoint and SampleLinear give them; false when
// an active coordinate lies too far out for the eight-pixel arithmetic.
template <int Tex>
inline bool Sample8(const TexLevel& l, bool wrap_u, bool wrap_v, __m256 u, __m256 v, __m256i active, __m256i* out) {
  const __m256 w = _mm256_set1_ps(static_cast<float>(l.width)), h = _mm256_set1_ps(static_cast<float>(l.height));
  bool ok_u, ok_v;
  if constexpr (Tex == 1) {
    const __m256i iu = Floor8(_mm256_mul_ps(u, w), active, &ok_u), iv = Floor8(_mm256_mul_ps(v, h), active, &ok_v);
    if (!ok_u || !ok_v) return false;
    *out = Gather8(l, Address8(iu, l.width, wrap_u), Address8(iv, l.height, wrap_v));
    return true;
  } else {
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 fu = _mm256_sub_ps(_mm256_mul_ps(u, w), half), fv = _mm256_sub_ps(_mm256_mul_ps(v, h), half);
    const __m256i iu = Floor8(fu, active, &ok_u), iv = Floor8(fv, active, &ok_v);
    if (!ok_u || !ok_v) return false;
    // Weights of the second texel in 1/256, at most 256.
    const __m256 k256 = _mm256_set1_ps(256.f);
    const __m256i mask = _mm256_set1_epi32(0x1ff), top = _mm256_set1_epi32(256);
    auto weight = [&](__m256 f, __m256i i) {
      const __m256i q =
          _mm256_and_si256(_mm256_cvttps_epi32(_mm256_mul_ps(_mm256_sub_ps(f, _mm256_cvtepi32_ps(i)), k256)), mask);
      return _mm256_min_epi32(q, top);
    };
    const __m256i wx = weight(fu, iu), wy = weight(fv, iv);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i x0 = Address8(iu, l.width, wrap_u), x1 = Address8(_mm256_add_epi32(iu, one), l.width, wrap_u);
    const __m256i y0 = Address8(iv, l.height, wrap_v), y1 = Address8(_mm256_add_epi32(iv, one), l.height, wrap_v);
    if (AdjacentPairs(x0, x1, active)) {
      *out = BilinearPairs(l, x0, y0, y1, wx, wy, active);
      return true;
    }
    const __m256i a = Gather8(l, x0, y0), b = Gather8(l, x1, y0), c = Gather8(l, x0, y1), d = Gather8(l, x1, y1);
    __m256i fxl, fxh, fyl, fyh;
    Spread8(wx, &fxl, &fxh);
    Spread8(wy, &fyl, &fyh);
    const __m256i zero = _mm256_setzero_si256();
    auto lo = [&](__m256i t) { return _mm256_unpacklo_epi8(t, zero); };
    auto hi = [&](__m256i t) { return _mm256_unpackhi_epi8(t, zero); };
    const __m256i rlo = Lerp16(Lerp16(lo(a), lo(b), fxl), Lerp16(lo(c), lo(d), fxl), fyl);
    const __m256i rhi = Lerp16(Lerp16(hi(a), hi(b), fxh), Lerp16(hi(c), hi(d), fxh), fyh);
    *out = _mm256_packus_epi16(rlo, rhi);
    return true;
  }
}

// Vertex fog on eight pixels: colour channels become (c k + fog (255 - k))
// / 255 for each pixel's factor k (0..255); alpha stays.
inline __m256i Fog8(__m256i colour, __m256i k, __m256i fog) {
  const __m256i zero = _mm256_setzero_si256(), k255 = _mm256_set1_epi16(255);
  const __m256i keep_alpha = _mm256_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1);
  __m256i klo, khi;
  Spread8(k, &klo, &khi);
  const __m256i f = _mm256_unpacklo_epi8(fog, zero);  // the same for every pixel
  auto half = [&](__m256i c, __m256i kk) {
    const __m256i mixed =
        Div255x16(_mm256_add_epi16(_mm256_mullo_epi16(c, kk), _mm256_mullo_epi16(f, _mm256_sub_epi16(k255, kk))));
    return _mm256_blendv_epi8(mixed, c, keep_alpha);
  };
  return _mm256_packus_epi16(half(_mm256_unpacklo_epi8(colour, zero), klo),
                             half(_mm256_unpackhi_epi8(colour, zero), khi));
}

// Lanes where `func` passes for z against the stored depth d, as the scalar
// comparison decides it (NaN compares false except for NOTEQUAL).
inline __m256 DepthPasses8(DWORD func, __m256 z, __m256 d) {
  switch (func) {
    case D3DCMP_NEVER: return _mm256_setzero_ps();
    case D3DCMP_LESS: return _mm256_cmp_ps(z, d, _CMP_LT_OQ);
    case D3DCMP_EQUAL: return _mm256_cmp_ps(z, d, _CMP_EQ_OQ);
    case D3DCMP_LESSEQUAL: return _mm256_cmp_ps(z, d, _CMP_LE_OQ);
    case D3DCMP_GREATER: return _mm256_cmp_ps(z, d, _CMP_GT_OQ);
    case D3DCMP_NOTEQUAL: return _mm256_cmp_ps(z, d, _CMP_NEQ_UQ);
    case D3DCMP_GREATEREQUAL: return _mm256_cmp_ps(z, d, _CMP_GE_OQ);
    default: return _mm256_castsi256_ps(_mm256_set1_epi32(-1));
  }
}

// The reciprocal of the interpolated rhw, 0 where it is 0, as the scalar
// routines take it.
inline __m256 InverseW(__m256 w) {
  return _mm256_and_ps(_mm256_cmp_ps(w, _mm256_setzero_ps(), _CMP_NEQ_UQ), _mm256_div_ps(_mm256_set1_ps(1.f), w));
}

}  // namespace d3d9_impl::avx2
