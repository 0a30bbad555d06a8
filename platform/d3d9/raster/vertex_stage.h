// The vertex stage: reads flexible-vertex-format vertices and gives
// processed vertices (clip and screen positions, diffuse colour, texture
// coordinates, point size).
#pragma once

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl {

// Processes `count` vertices starting at `data`, `stride` bytes apart.
// Pre-transformed vertices are already in screen space; the others go
// through world, view and projection and the viewport.
void ProcessVertices(const DrawContext& dc, const BYTE* data, UINT stride, UINT count, PVertex* out);

}  // namespace d3d9_impl
