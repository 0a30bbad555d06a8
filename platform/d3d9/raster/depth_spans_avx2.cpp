// Unblended depth-tested spans, eight pixels at a time with AVX2:
// DepthColourSpan's and DepthTexturedSpan's arithmetic on twice the lanes.
// A group whose depth test fails everywhere costs only the depth read.

#include "platform/d3d9/raster/simd_avx2.h"
#include "platform/d3d9/raster/simd_spans.h"

namespace d3d9_impl {
namespace {

using namespace avx2;

// The diffuse colour of eight pixels as ARGB words: the row's constant or
// the planes at fx, divided by w under perspective.
inline __m256i Diffuse8(const TriSetup& t, const SpanRow& r, __m256 fx, __m256 inv, __m256i constant) {
  if (r.const_color) return constant;
  __m256i ch[4];
  for (int i = 0; i < 4; ++i)
    ch[i] = Channel8(
        _mm256_mul_ps(_mm256_add_ps(_mm256_set1_ps(r.c[i]), _mm256_mul_ps(_mm256_set1_ps(t.cx[i]), fx)), inv));
  return PackArgb(ch);
}

inline __m256i FogFactor8(const TriSetup& t, const SpanRow& r, __m256 fx, __m256 inv) {
  return Channel8(
      _mm256_mul_ps(_mm256_add_ps(_mm256_set1_ps(r.fog), _mm256_mul_ps(_mm256_set1_ps(t.sx[3]), fx)), inv));
}

inline __m256i ConstantColour(const SpanRow& r) {
  return _mm256_set1_epi32(static_cast<int>((r.k[3] << 24) | (r.k[0] << 16) | (r.k[1] << 8) | r.k[2]));
}

// The group of eight pixels at x: how many of them the span holds, or 0
// when the group must go to the scalar routine (it would reach past the
// clip rectangle).
inline int GroupSize(const DrawContext& dc, const SpanRow& r, int x) {
  const int n = r.x1 - x < 8 ? r.x1 - x : 8;
  return n < 8 && x + 8 > dc.clip_x1 ? 0 : n;
}

// The depth and colour of the next row's pixels, which the next span most
// likely reads.
inline void PrefetchNextRows(const DrawContext& dc, const SpanRow& r) {
  PrefetchNextRow(r.zrow, dc.depth_pitch * 4, r.x0, r.x1, 4);
  PrefetchNextRow(r.row, dc.color_pitch, r.x0, r.x1, 4);
}

// Where the depth test passes among the group's lanes, and the depth
// written there.
struct DepthGroup {
  __m256 z, stored, pass;
};

inline bool TestDepth(const DrawContext& dc, const TriSetup& t, const SpanRow& r, int x, __m256 fx, __m256i active,
                      DepthGroup* g) {
  g->z = _mm256_add_ps(_mm256_set1_ps(r.z), _mm256_mul_ps(_mm256_set1_ps(t.zx), fx));
  g->stored = _mm256_loadu_ps(r.zrow + x);
  const __m256 pass = dc.z_test ? DepthPasses8(dc.z_func, g->z, g->stored) : _mm256_castsi256_ps(active);
  g->pass = _mm256_and_ps(pass, _mm256_castsi256_ps(active));
  return _mm256_movemask_ps(g->pass) != 0;
}

inline void WriteGroup(const DrawContext& dc, const SpanRow& r, int x, const DepthGroup& g, __m256i colour) {
  if (dc.z_write) _mm256_storeu_ps(r.zrow + x, _mm256_blendv_ps(g.stored, g.z, g.pass));
  __m256i* p = reinterpret_cast<__m256i*>(r.row + x);
  _mm256_storeu_si256(p, _mm256_blendv_epi8(_mm256_loadu_si256(p), colour, _mm256_castps_si256(g.pass)));
}

}  // namespace

template <bool Persp, bool Fog>
void DepthColourSpanAvx2(const DrawContext& dc, const TriSetup& t, const SpanRow& r) {
  const __m256i force = _mm256_set1_epi32(static_cast<int>(dc.color_alpha_or));
  const __m256i fog = _mm256_set1_epi32(static_cast<int>(dc.fog_color));
  const __m256i constant = ConstantColour(r);
  PrefetchNextRows(dc, r);
  for (int x = r.x0; x < r.x1; x += 8) {
    const int n = GroupSize(dc, r, x);
    if (n == 0) {
      for (; x < r.x1; ++x) r.one(r.ctx, x);
      break;
    }
    const __m256 fx = PixelX(x);
    DepthGroup g;
    if (!TestDepth(dc, t, r, x, fx, FirstLanes(n), &g)) continue;
    __m256 inv = _mm256_set1_ps(1.f);
    if constexpr (Persp) inv = InverseW(_mm256_add_ps(_mm256_set1_ps(r.w), _mm256_mul_ps(_mm256_set1_ps(t.wx), fx)));
    __m256i colour = Diffuse8(t, r, fx, inv, constant);
    if constexpr (Fog) colour = Fog8(colour, FogFactor8(t, r, fx, inv), fog);
    WriteGroup(dc, r, x, g, _mm256_or_si256(colour, force));
  }
}

template <int Tex, int Alpha, bool Persp, bool Fog>
void DepthTexturedSpanAvx2(const DrawContext& dc, const TriSetup& t, const TexLevel& l, const SpanRow& r) {
  const __m256i force = _mm256_set1_epi32(static_cast<int>(dc.color_alpha_or));
  const __m256i tex_or = _mm256_set1_epi32(static_cast<int>(dc.tex_alpha_or));
  const __m256i fog = _mm256_set1_epi32(static_cast<int>(dc.fog_color));
  const __m256i constant = ConstantColour(r);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i rgb_mask = _mm256_set1_epi32(0x00ffffff), alpha_mask = _mm256_set1_epi32(static_cast<int>(0xff000000u));
  PrefetchNextRows(dc, r);
  for (int x = r.x0; x < r.x1; x += 8) {
    const int n = GroupSize(dc, r, x);
    if (n == 0) {
      for (; x < r.x1; ++x) r.one(r.ctx, x);
      break;
    }
    const __m256i active = FirstLanes(n);
    const __m256 fx = PixelX(x);
    DepthGroup g;
    if (!TestDepth(dc, t, r, x, fx, active, &g)) continue;
    __m256 inv = _mm256_set1_ps(1.f);
    if constexpr (Persp) inv = InverseW(_mm256_add_ps(_mm256_set1_ps(r.w), _mm256_mul_ps(_mm256_set1_ps(t.wx), fx)));
    const __m256 u = _mm256_mul_ps(_mm256_add_ps(_mm256_set1_ps(r.u), _mm256_mul_ps(_mm256_set1_ps(t.ux), fx)), inv);
    const __m256 v = _mm256_mul_ps(_mm256_add_ps(_mm256_set1_ps(r.v), _mm256_mul_ps(_mm256_set1_ps(t.vx), fx)), inv);
    __m256i sampled;
    // Only the lanes that passed need their texels.
    if (!Sample8<Tex>(l, dc.wrap_u, dc.wrap_v, u, v, _mm256_castps_si256(g.pass), &sampled)) {
      for (int i = 0; i < n; ++i) r.one(r.ctx, x + i);
      continue;
    }
    const __m256i colour = Diffuse8(t, r, fx, inv, constant);
    const __m256i texels = _mm256_or_si256(sampled, tex_or);
    // The alpha byte of the modulating colour: 255 keeps the texture's
    // alpha, 0 clears it for the diffuse alpha added after, the diffuse
    // alpha itself multiplies.
    __m256i mod = colour, add = zero;
    if constexpr (Alpha == 0) mod = _mm256_or_si256(colour, alpha_mask);
    if constexpr (Alpha == 1) mod = _mm256_and_si256(colour, rgb_mask), add = _mm256_and_si256(colour, alpha_mask);
    const __m256i lo =
        Div255x16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(texels, zero), _mm256_unpacklo_epi8(mod, zero)));
    const __m256i hi =
        Div255x16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(texels, zero), _mm256_unpackhi_epi8(mod, zero)));
    __m256i out = _mm256_or_si256(_mm256_packus_epi16(lo, hi), add);
    if constexpr (Fog) out = Fog8(out, FogFactor8(t, r, fx, inv), fog);
    WriteGroup(dc, r, x, g, _mm256_or_si256(out, force));
  }
}

template void DepthColourSpanAvx2<false, false>(const DrawContext&, const TriSetup&, const SpanRow&);
template void DepthColourSpanAvx2<false, true>(const DrawContext&, const TriSetup&, const SpanRow&);
template void DepthColourSpanAvx2<true, false>(const DrawContext&, const TriSetup&, const SpanRow&);
template void DepthColourSpanAvx2<true, true>(const DrawContext&, const TriSetup&, const SpanRow&);

#define D3D9_DEPTH_TEXTURED_AVX2(tex, alpha)                                                                   \
  template void DepthTexturedSpanAvx2<tex, alpha, false, false>(const DrawContext&, const TriSetup&,          \
                                                                const TexLevel&, const SpanRow&);             \
  template void DepthTexturedSpanAvx2<tex, alpha, false, true>(const DrawContext&, const TriSetup&,           \
                                                               const TexLevel&, const SpanRow&);              \
  template void DepthTexturedSpanAvx2<tex, alpha, true, false>(const DrawContext&, const TriSetup&,           \
                                                               const TexLevel&, const SpanRow&);              \
  template void DepthTexturedSpanAvx2<tex, alpha, true, true>(const DrawContext&, const TriSetup&,            \
                                                              const TexLevel&, const SpanRow&);
D3D9_DEPTH_TEXTURED_AVX2(1, 0)
D3D9_DEPTH_TEXTURED_AVX2(1, 1)
D3D9_DEPTH_TEXTURED_AVX2(1, 2)
D3D9_DEPTH_TEXTURED_AVX2(2, 0)
D3D9_DEPTH_TEXTURED_AVX2(2, 1)
D3D9_DEPTH_TEXTURED_AVX2(2, 2)
#undef D3D9_DEPTH_TEXTURED_AVX2

}  // namespace d3d9_impl
