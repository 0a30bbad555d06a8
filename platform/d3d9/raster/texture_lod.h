// Level-of-detail choice of stage 0: from the texture-coordinate
// derivatives at a point, the mip level (or two, with linear mip filtering),
// whether the minification filter applies, and the anisotropic footprint.
#pragma once

#include <algorithm>
#include <cmath>

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
// coordinates per pixel. The level of detail is log2 of the longer side of
// the pixel's footprint in texels; MAXMIPLEVEL and the texture's LOD have
// already cut the chain to the levels allowed, so level 0 here is the most
// detailed one allowed. Inline: the span routines that choose per pixel
// call it for every pixel, and all of them must compute the same choice.
inline LevelChoice ChooseLevel(const DrawContext& dc, float dudx, float dvdx, float dudy, float dvdy) {
  LevelChoice c{&dc.levels[0], &dc.levels[0], 0, false, 1, 0.f, 0.f};  // as NoLevelChoice
  if (!dc.textured) return c;
  const float w = static_cast<float>(dc.levels[0].width), h = static_cast<float>(dc.levels[0].height);
  const float rx = (dudx * w) * (dudx * w) + (dvdx * h) * (dvdx * h);
  const float ry = (dudy * w) * (dudy * w) + (dvdy * h) * (dvdy * h);
  float rho2 = std::max(rx, ry);
  c.minify = rho2 > 1.0001f;
  if (c.minify && dc.anisotropy > 1) {
    // Samples along the long axis; the level follows the short one.
    const float lo = std::max(std::min(rx, ry), 1e-20f);
    float ratio = std::sqrt(rho2 / lo);
    if (!(ratio < 64.f)) ratio = 64.f;  // also NaN
    const int n = std::min(dc.anisotropy, static_cast<int>(std::ceil(ratio - 0.01f)));
    if (n > 1) {
      c.aniso_n = n;
      const bool along_x = rx >= ry;
      c.aniso_du = along_x ? dudx : dudy;
      c.aniso_dv = along_x ? dvdx : dvdy;
      rho2 /= static_cast<float>(n) * static_cast<float>(n);
    }
  }
  if (!dc.mip || dc.level_count <= 1 || !c.minify) return c;
  const float lod = std::min(std::max(0.f, 0.5f * std::log2(std::max(rho2, 1e-20f))), 32.f);
  if (dc.mip_linear) {
    const int l0 = std::min(static_cast<int>(lod), dc.level_count - 1);
    const int l1 = std::min(l0 + 1, dc.level_count - 1);
    c.level = &dc.levels[l0];
    c.level2 = &dc.levels[l1];
    c.level_frac = l1 == l0 ? 0 : static_cast<std::uint32_t>((lod - static_cast<float>(l0)) * 256.f);
    return c;
  }
  const int level = std::clamp(static_cast<int>(std::floor(lod + 0.5f)), 0, dc.level_count - 1);
  c.level = c.level2 = &dc.levels[level];
  return c;
}

// Whether the choice can differ from pixel to pixel of a perspective
// primitive: more than one level to pick from, filters that differ between
// magnification and minification, or anisotropic filtering.
inline bool LodVariesPerPixel(const DrawContext& dc) {
  return dc.textured && (dc.mip || dc.mag_linear != dc.min_linear || dc.anisotropy > 1);
}

}  // namespace d3d9_impl
