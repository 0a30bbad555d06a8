// Textured spans (point or bilinear sampling) of one diffuse colour over
// 32-bit ARGB pixels, four pixels at a time with SSE2: coordinates without
// perspective, stage 0 modulating, alpha from the texture, the diffuse
// colour or both, and the blends of the fast routines. The arithmetic is
// that of the scalar routines, step for step, so the pixels are the same.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "platform/d3d9/raster/draw_context.h"
#include "platform/d3d9/raster/flat_spans.h"

namespace d3d9_impl {

namespace textured_detail {

// Rounding division by 255 of each 16-bit lane, exact up to 255 * 255.
inline __m128i Div255x8(__m128i x) {
  x = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// floor(f) of four floats, and whether every lane lies where the scalar
// FloorToInt takes the same value (well inside +-1e9, not NaN).
inline __m128i Floor4(__m128 f, bool* ok) {
  const __m128 limit = _mm_set1_ps(1.0e9f);
  const __m128 inside = _mm_and_ps(_mm_cmplt_ps(f, limit), _mm_cmpgt_ps(f, _mm_sub_ps(_mm_setzero_ps(), limit)));
  *ok = _mm_movemask_ps(inside) == 0xf;
  const __m128i i = _mm_cvttps_epi32(f);
  // Truncation moved negative fractions up: step them down.
  const __m128i above = _mm_castps_si128(_mm_cmplt_ps(f, _mm_cvtepi32_ps(i)));
  return _mm_add_epi32(i, above);
}

// Texel index along one axis: a mask for wrapped powers of two, else a
// clamp to [0, size - 1].
inline __m128i Address4(__m128i i, int size, bool wrap) {
  if (wrap) return _mm_and_si128(i, _mm_set1_epi32(size - 1));
  const __m128i zero = _mm_setzero_si128(), top = _mm_set1_epi32(size - 1);
  i = _mm_andnot_si128(_mm_cmplt_epi32(i, zero), i);
  const __m128i over = _mm_cmpgt_epi32(i, top);
  return _mm_or_si128(_mm_and_si128(over, top), _mm_andnot_si128(over, i));
}

// One channel of two texels blended by f (0..256) per 16-bit lane, as
// LerpPacked does it: (a (256 - f) + b f + 128) / 256.
inline __m128i Lerp8(__m128i a, __m128i b, __m128i f) {
  const __m128i g = _mm_sub_epi16(_mm_set1_epi16(256), f);
  return _mm_srli_epi16(
      _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(a, g), _mm_mullo_epi16(b, f)), _mm_set1_epi16(128)), 8);
}

// Four 32-bit weights spread over the 16-bit lanes of pixels 0, 1 (lo) and
// 2, 3 (hi), four lanes each.
inline void Spread(__m128i w, __m128i* lo, __m128i* hi) {
  __m128i t = _mm_packs_epi32(w, w);
  t = _mm_unpacklo_epi16(t, t);
  *lo = _mm_unpacklo_epi32(t, t);
  *hi = _mm_unpackhi_epi32(t, t);
}

inline __m128i Gather(const TexLevel& l, const std::int32_t* x, const std::int32_t* y) {
  const std::uint32_t* t = l.texels;
  return _mm_setr_epi32(static_cast<int>(t[y[0] * l.pitch + x[0]]), static_cast<int>(t[y[1] * l.pitch + x[1]]),
                        static_cast<int>(t[y[2] * l.pitch + x[2]]), static_cast<int>(t[y[3] * l.pitch + x[3]]));
}

// The texels of four pixels at (u, v) with point (Tex 1) or bilinear
// (Tex 2) sampling, as SamplePoint and SampleLinear give them; false when a
// coordinate lies too far out for the four-pixel arithmetic.
template <int Tex>
inline bool Sample4(const TexLevel& l, bool wrap_u, bool wrap_v, __m128 u, __m128 v, __m128i* out) {
  const __m128 w = _mm_set1_ps(static_cast<float>(l.width)), h = _mm_set1_ps(static_cast<float>(l.height));
  alignas(16) std::int32_t tx[4], ty[4];
  bool ok_u, ok_v;
  if constexpr (Tex == 1) {
    const __m128i iu = Floor4(_mm_mul_ps(u, w), &ok_u), iv = Floor4(_mm_mul_ps(v, h), &ok_v);
    if (!ok_u || !ok_v) return false;
    _mm_store_si128(reinterpret_cast<__m128i*>(tx), Address4(iu, l.width, wrap_u));
    _mm_store_si128(reinterpret_cast<__m128i*>(ty), Address4(iv, l.height, wrap_v));
    *out = Gather(l, tx, ty);
    return true;
  } else {
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 fu = _mm_sub_ps(_mm_mul_ps(u, w), half), fv = _mm_sub_ps(_mm_mul_ps(v, h), half);
    const __m128i iu = Floor4(fu, &ok_u), iv = Floor4(fv, &ok_v);
    if (!ok_u || !ok_v) return false;
    // Weights of the second texel in 1/256, at most 256.
    const __m128 k256 = _mm_set1_ps(256.f);
    const __m128i mask = _mm_set1_epi32(0x1ff), top = _mm_set1_epi32(256);
    auto weight = [&](__m128 f, __m128i i) {
      __m128i q = _mm_and_si128(_mm_cvttps_epi32(_mm_mul_ps(_mm_sub_ps(f, _mm_cvtepi32_ps(i)), k256)), mask);
      const __m128i over = _mm_cmpgt_epi32(q, top);
      return _mm_or_si128(_mm_and_si128(over, top), _mm_andnot_si128(over, q));
    };
    const __m128i wx = weight(fu, iu), wy = weight(fv, iv);
    const __m128i one = _mm_set1_epi32(1);
    alignas(16) std::int32_t tx1[4], ty1[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(tx), Address4(iu, l.width, wrap_u));
    _mm_store_si128(reinterpret_cast<__m128i*>(tx1), Address4(_mm_add_epi32(iu, one), l.width, wrap_u));
    _mm_store_si128(reinterpret_cast<__m128i*>(ty), Address4(iv, l.height, wrap_v));
    _mm_store_si128(reinterpret_cast<__m128i*>(ty1), Address4(_mm_add_epi32(iv, one), l.height, wrap_v));
    const __m128i a = Gather(l, tx, ty), b = Gather(l, tx1, ty), c = Gather(l, tx, ty1), d = Gather(l, tx1, ty1);
    __m128i fxl, fxh, fyl, fyh;
    Spread(wx, &fxl, &fxh);
    Spread(wy, &fyl, &fyh);
    const __m128i zero = _mm_setzero_si128();
    auto lo = [&](__m128i t) { return _mm_unpacklo_epi8(t, zero); };
    auto hi = [&](__m128i t) { return _mm_unpackhi_epi8(t, zero); };
    const __m128i rlo = Lerp8(Lerp8(lo(a), lo(b), fxl), Lerp8(lo(c), lo(d), fxl), fyl);
    const __m128i rhi = Lerp8(Lerp8(hi(a), hi(b), fxh), Lerp8(hi(c), hi(d), fxh), fyh);
    *out = _mm_packus_epi16(rlo, rhi);
    return true;
  }
}

}  // namespace textured_detail

// Whether the four-pixel routine serves this primitive's texture level:
// wrapped sizes must be powers of two (their wrap is a mask).
inline bool TexturedSpanFits(const DrawContext& dc, const TexLevel& l) {
  const auto pow2 = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
  return (!dc.wrap_u || pow2(l.width)) && (!dc.wrap_v || pow2(l.height));
}

// Shades pixels [x0, x1) of `row` whose texture coordinates are
// (ur + ux x, vr + vx x), modulating by the diffuse (dr, dg, db, da).
// Groups of four pixels whose coordinates lie far outside the texture go
// to `one(x)`, the scalar routine for pixel x.
template <int Tex, int Alpha, int Blend, class One>
inline void TexturedFlatSpan(const DrawContext& dc, const TexLevel& l, std::uint32_t* row, int x0, int x1, float ur,
                             float ux, float vr, float vx, std::uint32_t dr, std::uint32_t dg, std::uint32_t db,
                             std::uint32_t da, One one) {
  using namespace textured_detail;
  const __m128 vux = _mm_set1_ps(ux), vvx = _mm_set1_ps(vx), vur = _mm_set1_ps(ur), vvr = _mm_set1_ps(vr);
  // The modulation of each channel: the diffuse for colour; for alpha 255
  // (texture alpha), 0 then the diffuse alpha added (diffuse alpha), or
  // the diffuse alpha (their product).
  const std::uint32_t am = Alpha == 0 ? 255 : (Alpha == 1 ? 0 : da);
  const __m128i mod = _mm_setr_epi16(static_cast<short>(db), static_cast<short>(dg), static_cast<short>(dr),
                                     static_cast<short>(am), static_cast<short>(db), static_cast<short>(dg),
                                     static_cast<short>(dr), static_cast<short>(am));
  const __m128i alpha_add = _mm_setr_epi16(0, 0, 0, Alpha == 1 ? static_cast<short>(da) : 0, 0, 0, 0,
                                           Alpha == 1 ? static_cast<short>(da) : 0);
  const __m128i tex_or = _mm_set1_epi32(static_cast<int>(dc.tex_alpha_or));
  const __m128i force = _mm_set1_epi32(static_cast<int>(dc.color_alpha_or));
  const __m128i zero = _mm_setzero_si128();
  const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
  int x = x0;
  for (; x + 4 <= x1; x += 4) {
    const __m128 fx = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(x), lanes));
    const __m128 u = _mm_add_ps(vur, _mm_mul_ps(vux, fx)), v = _mm_add_ps(vvr, _mm_mul_ps(vvx, fx));
    __m128i sampled;
    if (!Sample4<Tex>(l, dc.wrap_u, dc.wrap_v, u, v, &sampled)) {
      for (int k = 0; k < 4; ++k) one(x + k);
      continue;
    }
    const __m128i texels = _mm_or_si128(sampled, tex_or);
    // Modulated colour and alpha, pixels 0, 1 and 2, 3.
    __m128i lo = _mm_add_epi16(Div255x8(_mm_mullo_epi16(_mm_unpacklo_epi8(texels, zero), mod)), alpha_add);
    __m128i hi = _mm_add_epi16(Div255x8(_mm_mullo_epi16(_mm_unpackhi_epi8(texels, zero), mod)), alpha_add);
    __m128i* p = reinterpret_cast<__m128i*>(row + x);
    if constexpr (Blend == kBlendOff) {
      _mm_storeu_si128(p, _mm_or_si128(_mm_packus_epi16(lo, hi), force));
    } else {
      const __m128i d = _mm_or_si128(_mm_loadu_si128(p), force);
      if constexpr (Blend == kBlendOneOne) {
        _mm_storeu_si128(p, _mm_or_si128(_mm_adds_epu8(d, _mm_packus_epi16(lo, hi)), force));
      } else {
        // Each pixel's alpha in all four of its lanes.
        const __m128i alo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo, 0xff), 0xff);
        const __m128i ahi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi, 0xff), 0xff);
        if constexpr (Blend == kBlendSrcAlpha) {
          const __m128i k255 = _mm_set1_epi16(255);
          const __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
          lo = Div255x8(_mm_add_epi16(_mm_mullo_epi16(lo, alo), _mm_mullo_epi16(dlo, _mm_sub_epi16(k255, alo))));
          hi = Div255x8(_mm_add_epi16(_mm_mullo_epi16(hi, ahi), _mm_mullo_epi16(dhi, _mm_sub_epi16(k255, ahi))));
          _mm_storeu_si128(p, _mm_or_si128(_mm_packus_epi16(lo, hi), force));
        } else {  // SRCALPHA / ONE: the destination plus s a / 255, saturated
          lo = Div255x8(_mm_mullo_epi16(lo, alo));
          hi = Div255x8(_mm_mullo_epi16(hi, ahi));
          _mm_storeu_si128(p, _mm_or_si128(_mm_adds_epu8(d, _mm_packus_epi16(lo, hi)), force));
        }
      }
    }
  }
  for (; x < x1; ++x) one(x);
}

}  // namespace d3d9_impl
