// D3DX's filter argument: the filter number in the low byte (none, point,
// linear, triangle, box) and the mirror flags, turned into the stretch
// module's terms.
#pragma once

#include "platform/d3d9/formats/stretch.h"
#include "platform/d3dx/d3dx9.h"

namespace d3dx_impl {

// True when the low byte names one of the five filters.
inline bool ValidFilter(DWORD filter) {
  const DWORD f = filter & 0xFF;
  return f >= D3DX_FILTER_NONE && f <= D3DX_FILTER_BOX;
}

// The filter of a valid argument.
inline d3d9_formats::StretchFilter FilterKind(DWORD filter) {
  static_assert(static_cast<DWORD>(d3d9_formats::StretchFilter::Box) == D3DX_FILTER_BOX - D3DX_FILTER_NONE);
  return static_cast<d3d9_formats::StretchFilter>((filter & 0xFF) - D3DX_FILTER_NONE);
}

// Scales `src` into `dst` (already sized) as `filter` says.
inline void Resample(const d3d9_formats::TexelImage& src, d3d9_formats::TexelImage& dst, DWORD filter) {
  d3d9_formats::Resample(src, dst, FilterKind(filter), (filter & D3DX_FILTER_MIRROR_U) != 0,
                         (filter & D3DX_FILTER_MIRROR_V) != 0);
}

}  // namespace d3dx_impl
