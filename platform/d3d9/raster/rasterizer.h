// Primitive rasterization: clipping of transformed primitives, triangle
// set-up with culling, fill modes and the top-left fill rule, lines and
// points. Pixels go to the span routine of the draw context.
#pragma once

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl {

// Clip-space guard band: transformed geometry is clipped to |x|, |y| <= 64 w,
// far enough outside any viewport that the scissor does the rest.
constexpr float kGuardBand = 64.f;

// Outcodes of a clip-space position.
std::uint32_t ClipCode(float x, float y, float z, float w);
// Fills the screen-space fields of a vertex from its clip-space position.
void ProjectVertex(const DrawContext& dc, PVertex* v);

// Primitives of processed vertices. Transformed vertices with a non-zero
// clip code are clipped first.
// Flat shading takes the colours of `first`, the vertex the primitive
// type defines as the triangle's first; the three-vertex form uses `a`.
void DrawTriangle(const DrawContext& dc, const PVertex& a, const PVertex& b, const PVertex& c,
                  const PVertex& first);
inline void DrawTriangle(const DrawContext& dc, const PVertex& a, const PVertex& b, const PVertex& c) {
  DrawTriangle(dc, a, b, c, a);
}
void DrawLine(const DrawContext& dc, const PVertex& a, const PVertex& b);

// The clipping DrawTriangle and DrawLine do for vertices with clip codes,
// for a caller that wants the screen-space pieces first. ClipTriangle
// writes the polygon left inside the clip volume, projected and with clear
// clip codes, into `out` (room for kMaxClipVertices) and returns its vertex
// count; its fan (0, i, i + 1) is what DrawTriangle draws. ClipLine writes
// the two ends of the part left, false when nothing is.
constexpr int kMaxClipVertices = 12;
int ClipTriangle(const DrawContext& dc, const PVertex& a, const PVertex& b, const PVertex& c, PVertex* out);
bool ClipLine(const DrawContext& dc, const PVertex& a, const PVertex& b, PVertex* out);
void DrawPoint(const DrawContext& dc, const PVertex& p);

}  // namespace d3d9_impl
