// Unblended spans with depth test and write over 32-bit ARGB pixels, four
// pixels at a time with SSE2: untextured or textured, Gouraud or one
// colour, with or without perspective and vertex fog. The arithmetic is that of the scalar routines, step
// for step, so the pixels and depths are the same.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "platform/d3d9/raster/draw_context.h"
#include "platform/d3d9/raster/textured_spans.h"

namespace d3d9_impl {

namespace depth_detail {

// Lanes where `func` passes for z against the stored depth d.
inline __m128 DepthPasses(DWORD func, __m128 z, __m128 d) {
  switch (func) {
    case D3DCMP_NEVER: return _mm_setzero_ps();
    case D3DCMP_LESS: return _mm_cmplt_ps(z, d);
    case D3DCMP_EQUAL: return _mm_cmpeq_ps(z, d);
    case D3DCMP_LESSEQUAL: return _mm_cmple_ps(z, d);
    case D3DCMP_GREATER: return _mm_cmpgt_ps(z, d);
    case D3DCMP_NOTEQUAL: return _mm_cmpneq_ps(z, d);
    case D3DCMP_GREATEREQUAL: return _mm_cmpge_ps(z, d);
    default: return _mm_castsi128_ps(_mm_set1_epi32(-1));
  }
}

// ToChannel of four floats: 0 below or at 0 (and NaN), 255 from 255 up,
// else rounded to nearest.
inline __m128i Channel4(__m128 c) {
  const __m128i i = _mm_cvttps_epi32(_mm_add_ps(c, _mm_set1_ps(0.5f)));
  const __m128i positive = _mm_castps_si128(_mm_cmpgt_ps(c, _mm_setzero_ps()));
  const __m128i full = _mm_castps_si128(_mm_cmpge_ps(c, _mm_set1_ps(255.f)));
  const __m128i v = _mm_and_si128(i, positive);
  return _mm_or_si128(_mm_and_si128(full, _mm_set1_epi32(255)), _mm_andnot_si128(full, v));
}

// Vertex fog on four pixels: colour channels become (c k + fog (255 - k))
// / 255 for each pixel's factor k (0..255); alpha stays.
inline __m128i Fog4(__m128i colour, __m128i k, __m128i fog) {
  const __m128i zero = _mm_setzero_si128(), k255 = _mm_set1_epi16(255);
  const __m128i keep_alpha = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);
  __m128i klo, khi;
  textured_detail::Spread(k, &klo, &khi);
  const __m128i f = _mm_unpacklo_epi8(fog, zero);  // the same for both halves
  auto half = [&](__m128i c, __m128i kk) {
    const __m128i mixed =
        textured_detail::Div255x8(_mm_add_epi16(_mm_mullo_epi16(c, kk), _mm_mullo_epi16(f, _mm_sub_epi16(k255, kk))));
    return _mm_or_si128(_mm_and_si128(keep_alpha, c), _mm_andnot_si128(keep_alpha, mixed));
  };
  return _mm_packus_epi16(half(_mm_unpacklo_epi8(colour, zero), klo), half(_mm_unpackhi_epi8(colour, zero), khi));
}

}  // namespace depth_detail

// Pixels [x0, x1) of row y. Row values of the planes (colour c*, rhw wr,
// depth zr) are those the scalar routine computes; `one(x)` shades the
// pixels left over at the end.
template <bool Persp, bool Fog, class One>
inline void DepthColourSpan(const DrawContext& dc, const TriSetup& t, std::uint32_t* row, float* zrow, int x0, int x1,
                            const float* crow, float frow, float wr, float zr, bool const_color, const std::uint32_t* k,
                            One one) {
  using namespace depth_detail;
  const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
  const __m128 zx = _mm_set1_ps(t.zx), vzr = _mm_set1_ps(zr), wx = _mm_set1_ps(t.wx), vwr = _mm_set1_ps(wr);
  const __m128i force = _mm_set1_epi32(static_cast<int>(dc.color_alpha_or));
  const __m128i constant = _mm_set1_epi32(static_cast<int>((k[3] << 24) | (k[0] << 16) | (k[1] << 8) | k[2]));
  int x = x0;
  for (; x + 4 <= x1; x += 4) {
    const __m128 fx = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(x), lanes));
    const __m128 z = _mm_add_ps(vzr, _mm_mul_ps(zx, fx));
    const __m128 stored = _mm_loadu_ps(zrow + x);
    const __m128 pass = dc.z_test ? DepthPasses(dc.z_func, z, stored) : _mm_castsi128_ps(_mm_set1_epi32(-1));
    const int bits = _mm_movemask_ps(pass);
    if (bits == 0) continue;
    if (dc.z_write) _mm_storeu_ps(zrow + x, _mm_or_ps(_mm_and_ps(pass, z), _mm_andnot_ps(pass, stored)));
    __m128i colour = constant;
    __m128 inv = _mm_set1_ps(1.f);
    if constexpr (Persp) {
      const __m128 w = _mm_add_ps(vwr, _mm_mul_ps(wx, fx));
      const __m128 nonzero = _mm_cmpneq_ps(w, _mm_setzero_ps());
      inv = _mm_and_ps(nonzero, _mm_div_ps(_mm_set1_ps(1.f), w));
    }
    if (!const_color) {
      __m128i ch[4];
      for (int i = 0; i < 4; ++i)
        ch[i] = Channel4(_mm_mul_ps(_mm_add_ps(_mm_set1_ps(crow[i]), _mm_mul_ps(_mm_set1_ps(t.cx[i]), fx)), inv));
      colour = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(ch[3], 24), _mm_slli_epi32(ch[0], 16)),
                            _mm_or_si128(_mm_slli_epi32(ch[1], 8), ch[2]));
    }
    if constexpr (Fog)
      colour = Fog4(colour, Channel4(_mm_mul_ps(_mm_add_ps(_mm_set1_ps(frow), _mm_mul_ps(_mm_set1_ps(t.sx[3]), fx)), inv)),
                    _mm_set1_epi32(static_cast<int>(dc.fog_color)));
    colour = _mm_or_si128(colour, force);
    __m128i* p = reinterpret_cast<__m128i*>(row + x);
    const __m128i m = _mm_castps_si128(pass);
    _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(m, colour), _mm_andnot_si128(m, _mm_loadu_si128(p))));
  }
  for (; x < x1; ++x) one(x);
}

// Textured pixels [x0, x1) of row y with depth test and write, no blend:
// perspective or not, Gouraud or one colour, stage 0 modulating the texture
// (point, Tex 1, or bilinear, Tex 2) by the diffuse colour, alpha as
// `Alpha` says (0 texture, 1 diffuse, 2 their product). `urow`, `vrow` are
// the row values of the texture-coordinate planes.
template <int Tex, int Alpha, bool Persp, bool Fog, class One>
inline void DepthTexturedSpan(const DrawContext& dc, const TriSetup& t, const TexLevel& l, std::uint32_t* row,
                              float* zrow, int x0, int x1, const float* crow, float urow, float vrow, float frow,
                              float wr, float zr, bool const_color, const std::uint32_t* k, One one) {
  using namespace depth_detail;
  const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
  const __m128 zx = _mm_set1_ps(t.zx), vzr = _mm_set1_ps(zr), wx = _mm_set1_ps(t.wx), vwr = _mm_set1_ps(wr);
  const __m128i force = _mm_set1_epi32(static_cast<int>(dc.color_alpha_or));
  const __m128i tex_or = _mm_set1_epi32(static_cast<int>(dc.tex_alpha_or));
  const __m128i constant = _mm_set1_epi32(static_cast<int>((k[3] << 24) | (k[0] << 16) | (k[1] << 8) | k[2]));
  const __m128i zero = _mm_setzero_si128();
  // The alpha byte of the modulating colour: 255 keeps the texture's alpha,
  // 0 clears it for the diffuse alpha added after, the diffuse alpha itself
  // multiplies.
  const __m128i rgb_mask = _mm_set1_epi32(0x00ffffff);
  int x = x0;
  for (; x + 4 <= x1; x += 4) {
    const __m128 fx = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(x), lanes));
    const __m128 z = _mm_add_ps(vzr, _mm_mul_ps(zx, fx));
    const __m128 stored = _mm_loadu_ps(zrow + x);
    const __m128 pass = dc.z_test ? DepthPasses(dc.z_func, z, stored) : _mm_castsi128_ps(_mm_set1_epi32(-1));
    if (_mm_movemask_ps(pass) == 0) continue;
    __m128 inv = _mm_set1_ps(1.f);
    if constexpr (Persp) {
      const __m128 w = _mm_add_ps(vwr, _mm_mul_ps(wx, fx));
      inv = _mm_and_ps(_mm_cmpneq_ps(w, _mm_setzero_ps()), _mm_div_ps(_mm_set1_ps(1.f), w));
    }
    const __m128 u = _mm_mul_ps(_mm_add_ps(_mm_set1_ps(urow), _mm_mul_ps(_mm_set1_ps(t.ux), fx)), inv);
    const __m128 v = _mm_mul_ps(_mm_add_ps(_mm_set1_ps(vrow), _mm_mul_ps(_mm_set1_ps(t.vx), fx)), inv);
    __m128i sampled;
    if (!textured_detail::Sample4<Tex>(l, dc.wrap_u, dc.wrap_v, u, v, &sampled)) {
      for (int i = 0; i < 4; ++i) one(x + i);
      continue;
    }
    if (dc.z_write) _mm_storeu_ps(zrow + x, _mm_or_ps(_mm_and_ps(pass, z), _mm_andnot_ps(pass, stored)));
    __m128i colour = constant;
    if (!const_color) {
      __m128i ch[4];
      for (int i = 0; i < 4; ++i)
        ch[i] = Channel4(_mm_mul_ps(_mm_add_ps(_mm_set1_ps(crow[i]), _mm_mul_ps(_mm_set1_ps(t.cx[i]), fx)), inv));
      colour = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(ch[3], 24), _mm_slli_epi32(ch[0], 16)),
                            _mm_or_si128(_mm_slli_epi32(ch[1], 8), ch[2]));
    }
    const __m128i texels = _mm_or_si128(sampled, tex_or);
    __m128i mod = colour, add = zero;
    if constexpr (Alpha == 0) mod = _mm_or_si128(colour, _mm_andnot_si128(rgb_mask, _mm_set1_epi32(-1)));
    if constexpr (Alpha == 1) mod = _mm_and_si128(colour, rgb_mask), add = _mm_andnot_si128(rgb_mask, colour);
    const __m128i lo = textured_detail::Div255x8(
        _mm_mullo_epi16(_mm_unpacklo_epi8(texels, zero), _mm_unpacklo_epi8(mod, zero)));
    const __m128i hi = textured_detail::Div255x8(
        _mm_mullo_epi16(_mm_unpackhi_epi8(texels, zero), _mm_unpackhi_epi8(mod, zero)));
    __m128i out = _mm_or_si128(_mm_packus_epi16(lo, hi), add);
    if constexpr (Fog)
      out = Fog4(out, Channel4(_mm_mul_ps(_mm_add_ps(_mm_set1_ps(frow), _mm_mul_ps(_mm_set1_ps(t.sx[3]), fx)), inv)),
                 _mm_set1_epi32(static_cast<int>(dc.fog_color)));
    out = _mm_or_si128(out, force);
    __m128i* p = reinterpret_cast<__m128i*>(row + x);
    const __m128i m = _mm_castps_si128(pass);
    _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(m, out), _mm_andnot_si128(m, _mm_loadu_si128(p))));
  }
  for (; x < x1; ++x) one(x);
}

}  // namespace d3d9_impl
