// Whole-rectangle operations on pixel memory: colour fill (Clear,
// ColorFill), depth and stencil fill, and the copy with format conversion
// and point or linear stretching behind StretchRect, UpdateSurface,
// GetRenderTargetData and Present (the stretch module does the copying).
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/formats/stretch.h"

namespace d3d9_impl {

using PixelView = d3d9_formats::PixelBits;

// Fills `rect` (already inside the view) with an ARGB colour converted to
// the view's format. False for a format the row codec does not handle.
bool FillColor(const PixelView& v, const RECT& rect, D3DCOLOR color);

void FillDepth(float* depth, int pitch, const RECT& rect, float z);
void FillStencil(BYTE* stencil, int pitch, const RECT& rect, BYTE value);

// Copies `src_rect` of `src` into `dst_rect` of `dst`, converting formats
// and scaling with point sampling (or bilinear when `linear`). Both
// rectangles are inside their views and non-empty. Equal sizes and formats
// copy rows as they are. False when a format cannot be converted.
inline bool CopyRect(const PixelView& src, const RECT& src_rect, const PixelView& dst, const RECT& dst_rect,
                     bool linear) {
  return d3d9_formats::StretchPixels(src, src_rect, dst, dst_rect,
                                     linear ? d3d9_formats::StretchFilter::Linear : d3d9_formats::StretchFilter::Point);
}

// Copies `n` 32-bit ARGB pixels with their alpha forced to 0xff, as a
// window shows them.
void CopyOpaqueRow(const std::uint32_t* from, std::uint32_t* to, int n);

}  // namespace d3d9_impl
