// Level-of-detail choice of stage 0: from the texture-coordinate
// derivatives at a point, the mip level (or two, with linear mip filtering),
// whether the minification filter applies, and the anisotropic footprint.
#pragma once

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl {

struct LevelChoice {
  const TexLevel* level;   // the level sampled
  const TexLevel* level2;  // the next level, blended by `level_frac` (0..256)
  std::uint32_t level_frac;
  bool minify;              // sample with the minification filter
  int aniso_n;              // anisotropic samples (1: none) spread along (aniso_du, aniso_dv)
  float aniso_du, aniso_dv;
};

// The most detailed level with no filtering choice: magnified, one sample.
LevelChoice NoLevelChoice(const DrawContext& dc);

// The choice for derivatives d(u, v)/dx and d(u, v)/dy in texture
// coordinates per pixel.
LevelChoice ChooseLevel(const DrawContext& dc, float dudx, float dvdx, float dudy, float dvdy);

// Whether the choice can differ from pixel to pixel of a perspective
// primitive: more than one level to pick from, filters that differ between
// magnification and minification, or anisotropic filtering.
inline bool LodVariesPerPixel(const DrawContext& dc) {
  return dc.textured && (dc.mip || dc.mag_linear != dc.min_linear || dc.anisotropy > 1);
}

}  // namespace d3d9_impl
