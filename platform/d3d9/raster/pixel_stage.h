// The pixel stage: the routine that shades, tests, blends and writes one
// span of a primitive, chosen once per draw from the pixel state.
#pragma once

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl {

// Decides the pixel key of the context and returns the routine for it: a
// specialised one for the common states, the generic one otherwise. Sets
// the context's pixel-list routine to the matching one. Without a texture,
// a stage operation that reads it first becomes a selection of the current
// colour.
SpanRoutine SelectSpanRoutine(DrawContext& dc);

// The routine that handles every state; the reference the specialised ones
// are tested against.
SpanRoutine GenericSpanRoutine();
PixelListRoutine GenericPixelListRoutine();

}  // namespace d3d9_impl
