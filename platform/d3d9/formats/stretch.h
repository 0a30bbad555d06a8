// Stretching and filtering pictures between rectangles: the one module
// behind the device's StretchRect (and the copies of UpdateSurface,
// GetRenderTargetData and Present) and behind D3DX's surface loads. Two
// arithmetics share its sampling rules: the device's works on 8-bit ARGB
// words and clamps at the rectangle's edges, as StretchRect does; D3DX's
// works on float texels and wraps (or mirrors) at the picture's edges.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/formats/texel_image.h"

namespace d3d9_formats {

enum class StretchFilter : std::uint8_t {
  None,      // no scaling: texels beyond the source are transparent black
  Point,     // the source texel under each destination texel's centre
  Linear,    // bilinear blend of the four source texels around that centre
  Triangle,  // a tent as wide as the scale factor (at least one texel)
  Box,       // the area-weighted average of the source texels covered
};

// Pixel memory of one surface.
struct PixelBits {
  BYTE* bits;
  int pitch;  // bytes
  D3DFORMAT format;
  int width;
  int height;
};

// The source index point sampling picks for destination index `i`: the
// texel under the destination texel's centre, floor((i + 0.5) * src / dst),
// in exact integer arithmetic.
inline int PointSample(int i, int src_len, int dst_len) {
  return static_cast<int>((2 * static_cast<long long>(i) + 1) * src_len / (2 * static_cast<long long>(dst_len)));
}

// The device's copy: `src_rect` of `src` into `dst_rect` of `dst`, both
// inside their views and non-empty, converting formats through 8-bit words
// and scaling with Point or Linear. Equal sizes and formats copy rows as
// they are (the direct copy, block formats included). False when a format
// cannot be converted.
bool StretchPixels(const PixelBits& src, const RECT& src_rect, const PixelBits& dst, const RECT& dst_rect,
                   StretchFilter filter);

// D3DX's resampling: fills `dst` (already sized) from `src` with any of the
// five filters. Texels beyond the source edge wrap around, or mirror along
// the axes asked for.
void Resample(const TexelImage& src, TexelImage& dst, StretchFilter filter, bool mirror_u = false,
              bool mirror_v = false);

}  // namespace d3d9_formats
