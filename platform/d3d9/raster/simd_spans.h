// The eight-pixel AVX2 span routines and the run-time choice of them. They
// serve the same states as the four-pixel SSE2 routines of
// textured_spans.h and depth_spans.h, with the same arithmetic per pixel,
// so they give identical pixels and depths; the SSE2 routines remain for
// processors without AVX2.
//
// A group of eight pixels reads and rewrites the colour and depth of its
// whole group, unchanged where a lane is outside the span: a group that
// would reach past the clip rectangle's right edge goes to the scalar
// routine instead, so nothing outside the row's drawable pixels is touched.
#pragma once

#include <cstdint>

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl {

// Whether the AVX2 routines run: the processor has AVX2 and the tests have
// not turned them off.
bool Avx2SpansEnabled();
// Turns the AVX2 routines off (or back on, where the processor has AVX2),
// so tests can compare both kinds with the generic routine.
void SetAvx2SpansEnabled(bool on);

// The row values of one span, as the scalar routine computes them, and the
// scalar routine for one pixel, for the pixels the eight-pixel arithmetic
// leaves to it.
struct SpanRow {
  std::uint32_t* row = nullptr;  // the target row
  float* zrow = nullptr;         // the depth row (depth-tested spans)
  int x0 = 0, x1 = 0;            // pixels [x0, x1)
  float c[4] = {};               // diffuse planes r, g, b, a at x = 0 of this row
  float u = 0, v = 0;            // texture-coordinate planes
  float fog = 0;                 // fog-factor plane
  float w = 0;                   // rhw plane (perspective)
  float z = 0;                   // depth plane
  bool const_color = false;      // the colour `k` holds everywhere on the row
  std::uint32_t k[4] = {};       // that colour: r, g, b, a
  void (*one)(void* ctx, int x) = nullptr;
  void* ctx = nullptr;
};

// Textured pixels of one diffuse colour without perspective (TexturedFlatSpan).
template <int Tex, int Alpha, int Blend>
void TexturedFlatSpanAvx2(const DrawContext& dc, const TriSetup& t, const TexLevel& l, const SpanRow& r);

// Depth-tested unblended colour (DepthColourSpan).
template <bool Persp, bool Fog>
void DepthColourSpanAvx2(const DrawContext& dc, const TriSetup& t, const SpanRow& r);

// Depth-tested unblended texturing (DepthTexturedSpan).
template <int Tex, int Alpha, bool Persp, bool Fog>
void DepthTexturedSpanAvx2(const DrawContext& dc, const TriSetup& t, const TexLevel& l, const SpanRow& r);

}  // namespace d3d9_impl
