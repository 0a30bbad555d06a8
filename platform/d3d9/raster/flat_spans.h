// Spans of one colour over 32-bit ARGB pixels, four pixels at a time with
// SSE2: plain fills and the three blends the fast routines know, with the
// arithmetic of the scalar routines, so they give identical pixels.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace d3d9_impl {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
inline std::uint32_t Div255Exact(std::uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// The blends of the fast routines, all with D3DBLENDOP_ADD.
enum FastBlend { kBlendOff = 0, kBlendSrcAlpha = 1, kBlendSrcAlphaOne = 2, kBlendOneOne = 3 };

// Writes `n` pixels of the colour (r, g, b, a) at `p`, blended by `Blend`
// with what is there; `alpha_or` is forced into every pixel read and
// written (0xff000000 for targets without alpha).
//
// SRCALPHA / ONE adds d + s a / 255 with saturation: since d is whole,
// rounding (255 d + s a) / 255 is d plus the rounded s a / 255, so a
// saturating byte add of one constant gives the same pixels. ONE / ONE is
// the saturating add of the colour itself.
template <int Blend>
inline void FlatSpan(std::uint32_t* p, int n, std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a,
                     std::uint32_t alpha_or) {
  if constexpr (Blend == kBlendOff) {
    std::fill_n(p, n, ((a << 24) | (r << 16) | (g << 8) | b) | alpha_or);
  } else if constexpr (Blend == kBlendSrcAlpha) {
    const std::uint32_t ia = 255 - a;
    // Per channel in memory order (b, g, r, a): s * a + 128, then the
    // destination times 1 - a, then the rounding division by 255.
    const std::uint32_t sb = b * a + 128, sg = g * a + 128, sr = r * a + 128, sa = a * a + 128;
    const __m128i add = _mm_setr_epi16(static_cast<short>(sb), static_cast<short>(sg), static_cast<short>(sr),
                                       static_cast<short>(sa), static_cast<short>(sb), static_cast<short>(sg),
                                       static_cast<short>(sr), static_cast<short>(sa));
    const __m128i mul = _mm_set1_epi16(static_cast<short>(ia));
    const __m128i force = _mm_set1_epi32(static_cast<int>(alpha_or));
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      const __m128i d = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), force);
      __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), mul), add);
      __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), mul), add);
      lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
      hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_or_si128(_mm_packus_epi16(lo, hi), force));
    }
    for (; i < n; ++i) {
      const std::uint32_t d = p[i] | alpha_or;
      auto ch = [&](std::uint32_t s_plus, int shift) {
        const std::uint32_t x = s_plus + ((d >> shift) & 0xff) * ia;  // already holds + 128
        return (x + (x >> 8)) >> 8;
      };
      p[i] = ((ch(sa, 24) << 24) | (ch(sr, 16) << 16) | (ch(sg, 8) << 8) | ch(sb, 0)) | alpha_or;
    }
  } else {
    std::uint32_t k;
    if constexpr (Blend == kBlendSrcAlphaOne)
      k = (Div255Exact(a * a) << 24) | (Div255Exact(r * a) << 16) | (Div255Exact(g * a) << 8) | Div255Exact(b * a);
    else
      k = (a << 24) | (r << 16) | (g << 8) | b;
    const __m128i add = _mm_set1_epi32(static_cast<int>(k));
    const __m128i force = _mm_set1_epi32(static_cast<int>(alpha_or));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      const __m128i d = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), force);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_or_si128(_mm_adds_epu8(d, add), force));
    }
    for (; i < n; ++i) {
      const std::uint32_t d = p[i] | alpha_or;
      std::uint32_t out = 0;
      for (int s = 0; s < 32; s += 8) out |= std::min<std::uint32_t>(255, ((d >> s) & 0xff) + ((k >> s) & 0xff)) << s;
      p[i] = out | alpha_or;
    }
  }
}

}  // namespace d3d9_impl
