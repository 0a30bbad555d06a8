// Textured spans of one diffuse colour without perspective, eight pixels at
// a time with AVX2: TexturedFlatSpan's arithmetic on twice the lanes.

#include "platform/d3d9/raster/simd_avx2.h"
#include "platform/d3d9/raster/simd_spans.h"

namespace d3d9_impl {
namespace {

// FastBlend's values (flat_spans.h), named here: that header's inline
// functions must not be built with AVX2 in this file, or the linker could
// keep these copies for the whole program.
constexpr int kBlendOff = 0, kBlendSrcAlpha = 1, kBlendOneOne = 3;

}  // namespace

template <int Tex, int Alpha, int Blend>
void TexturedFlatSpanAvx2(const DrawContext& dc, const TriSetup& t, const TexLevel& l, const SpanRow& r) {
  using namespace avx2;
  const __m256 vux = _mm256_set1_ps(t.ux), vvx = _mm256_set1_ps(t.vx), vur = _mm256_set1_ps(r.u),
               vvr = _mm256_set1_ps(r.v);
  const std::uint32_t dr = r.k[0], dg = r.k[1], db = r.k[2], da = r.k[3];
  // The modulation of each channel: the diffuse for colour; for alpha 255
  // (texture alpha), 0 then the diffuse alpha added (diffuse alpha), or
  // the diffuse alpha (their product).
  const short am = static_cast<short>(Alpha == 0 ? 255 : (Alpha == 1 ? 0 : da));
  const short sb = static_cast<short>(db), sg = static_cast<short>(dg), sr = static_cast<short>(dr);
  const __m256i mod = _mm256_setr_epi16(sb, sg, sr, am, sb, sg, sr, am, sb, sg, sr, am, sb, sg, sr, am);
  const short aa = Alpha == 1 ? static_cast<short>(da) : 0;
  const __m256i alpha_add = _mm256_setr_epi16(0, 0, 0, aa, 0, 0, 0, aa, 0, 0, 0, aa, 0, 0, 0, aa);
  const __m256i tex_or = _mm256_set1_epi32(static_cast<int>(dc.tex_alpha_or));
  const __m256i force = _mm256_set1_epi32(static_cast<int>(dc.color_alpha_or));
  const __m256i zero = _mm256_setzero_si256();
  if constexpr (Blend != kBlendOff) PrefetchNextRow(r.row, dc.color_pitch, r.x0, r.x1, 4);
  for (int x = r.x0; x < r.x1; x += 8) {
    const int n = r.x1 - x < 8 ? r.x1 - x : 8;
    if (n < 8 && x + 8 > dc.clip_x1) {
      for (int i = 0; i < n; ++i) r.one(r.ctx, x + i);
      break;
    }
    const __m256i active = FirstLanes(n);
    const __m256 fx = PixelX(x);
    const __m256 u = _mm256_add_ps(vur, _mm256_mul_ps(vux, fx)), v = _mm256_add_ps(vvr, _mm256_mul_ps(vvx, fx));
    __m256i sampled;
    if (!Sample8<Tex>(l, dc.wrap_u, dc.wrap_v, u, v, active, &sampled)) {
      for (int i = 0; i < n; ++i) r.one(r.ctx, x + i);
      continue;
    }
    const __m256i texels = _mm256_or_si256(sampled, tex_or);
    // Modulated colour and alpha, pixels 0, 1, 4, 5 and 2, 3, 6, 7.
    __m256i lo = _mm256_add_epi16(Div255x16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(texels, zero), mod)), alpha_add);
    __m256i hi = _mm256_add_epi16(Div255x16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(texels, zero), mod)), alpha_add);
    __m256i* p = reinterpret_cast<__m256i*>(r.row + x);
    __m256i out;
    if constexpr (Blend == kBlendOff) {
      out = _mm256_or_si256(_mm256_packus_epi16(lo, hi), force);
    } else {
      const __m256i d = _mm256_or_si256(_mm256_loadu_si256(p), force);
      if constexpr (Blend == kBlendOneOne) {
        out = _mm256_or_si256(_mm256_adds_epu8(d, _mm256_packus_epi16(lo, hi)), force);
      } else {
        // Each pixel's alpha in all four of its lanes.
        const __m256i alo = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(lo, 0xff), 0xff);
        const __m256i ahi = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(hi, 0xff), 0xff);
        if constexpr (Blend == kBlendSrcAlpha) {
          const __m256i k255 = _mm256_set1_epi16(255);
          const __m256i dlo = _mm256_unpacklo_epi8(d, zero), dhi = _mm256_unpackhi_epi8(d, zero);
          lo = Div255x16(
              _mm256_add_epi16(_mm256_mullo_epi16(lo, alo), _mm256_mullo_epi16(dlo, _mm256_sub_epi16(k255, alo))));
          hi = Div255x16(
              _mm256_add_epi16(_mm256_mullo_epi16(hi, ahi), _mm256_mullo_epi16(dhi, _mm256_sub_epi16(k255, ahi))));
          out = _mm256_or_si256(_mm256_packus_epi16(lo, hi), force);
        } else {  // SRCALPHA / ONE: the destination plus s a / 255, saturated
          lo = Div255x16(_mm256_mullo_epi16(lo, alo));
          hi = Div255x16(_mm256_mullo_epi16(hi, ahi));
          out = _mm256_or_si256(_mm256_adds_epu8(d, _mm256_packus_epi16(lo, hi)), force);
        }
      }
    }
    if (n < 8) out = _mm256_blendv_epi8(_mm256_loadu_si256(p), out, active);
    _mm256_storeu_si256(p, out);
  }
}

#define D3D9_TEXTURED_FLAT_AVX2(tex, alpha)                                                                    \
  template void TexturedFlatSpanAvx2<tex, alpha, 0>(const DrawContext&, const TriSetup&, const TexLevel&,     \
                                                    const SpanRow&);                                          \
  template void TexturedFlatSpanAvx2<tex, alpha, 1>(const DrawContext&, const TriSetup&, const TexLevel&,     \
                                                    const SpanRow&);                                          \
  template void TexturedFlatSpanAvx2<tex, alpha, 2>(const DrawContext&, const TriSetup&, const TexLevel&,     \
                                                    const SpanRow&);                                          \
  template void TexturedFlatSpanAvx2<tex, alpha, 3>(const DrawContext&, const TriSetup&, const TexLevel&,     \
                                                    const SpanRow&);
D3D9_TEXTURED_FLAT_AVX2(1, 0)
D3D9_TEXTURED_FLAT_AVX2(1, 1)
D3D9_TEXTURED_FLAT_AVX2(1, 2)
D3D9_TEXTURED_FLAT_AVX2(2, 0)
D3D9_TEXTURED_FLAT_AVX2(2, 1)
D3D9_TEXTURED_FLAT_AVX2(2, 2)
#undef D3D9_TEXTURED_FLAT_AVX2

}  // namespace d3d9_impl
