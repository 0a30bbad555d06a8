// Resampling a float picture to another size with the D3DX filters: none,
// point, linear, triangle and box, wrapping at the edges unless mirrored.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/pixels/pixel_codec.h"

namespace vornel::d3dx {

// Filter numbers and flags as D3DX defines them.
constexpr DWORD kFilterNone = 1;
constexpr DWORD kFilterPoint = 2;
constexpr DWORD kFilterLinear = 3;
constexpr DWORD kFilterTriangle = 4;
constexpr DWORD kFilterBox = 5;
constexpr DWORD kFilterMirrorU = 0x00010000;
constexpr DWORD kFilterMirrorV = 0x00020000;

// True when the low byte names one of the five filters.
inline bool ValidFilter(DWORD filter) {
  DWORD f = filter & 0xFF;
  return f >= kFilterNone && f <= kFilterBox;
}

// The source index point sampling picks for destination index `i`: the
// texel under the destination texel's centre, floor((i + 0.5) * src / dst),
// in exact integer arithmetic.
inline int PointSample(int i, int srcLen, int dstLen) {
  return static_cast<int>((2 * static_cast<long long>(i) + 1) * srcLen / (2 * static_cast<long long>(dstLen)));
}

// Fills `dst` (already sized) from `src`.
//  - none: no scaling; destination texels beyond the source are transparent
//    black.
//  - point: the source texel under each destination texel's centre.
//  - linear: bilinear blend of the four source texels around that centre.
//  - triangle: a tent filter as wide as the scale factor (at least one
//    texel), so every source texel contributes when shrinking.
//  - box: each destination texel is the area-weighted average of the source
//    texels it covers (a 2 x 2 average for a halving).
// Texels beyond the source edge wrap around, or mirror with the mirror flags.
void Resample(const TexelImage& src, TexelImage& dst, DWORD filter);

}  // namespace vornel::d3dx
