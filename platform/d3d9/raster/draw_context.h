// The per-draw context of the rasterizer: processed vertices, the vertex
// layout, the target, and the pixel-stage constants computed once per draw
// from the device state, with the key that picks the pixel routine.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

namespace d3d9_impl {

// A vertex after the vertex stage. Transformed geometry keeps its clip-space
// position for clipping; every vertex carries its screen position (x, y in
// pixels with pixel centres at integer coordinates, z in the viewport's
// depth range, rhw = 1/w) and its attributes.
struct PVertex {
  float cx, cy, cz, cw;  // clip space
  float x, y, z, rhw;    // screen space
  float c[4];            // diffuse r, g, b, a in 0..255
  float u, v;            // texture coordinates of stage 0
  float psize;           // point size in pixels
  std::uint32_t clip;    // clip-plane outcodes; 0 inside
};
static_assert(sizeof(PVertex) == 64, "processed vertices fill one cache line");

// Where each element of a flexible-vertex-format vertex lies.
struct VertexLayout {
  DWORD fvf = 0;
  UINT stride = 0;
  bool pretransformed = false;  // D3DFVF_XYZRHW
  int diffuse = -1;             // byte offsets; -1 when absent
  int specular = -1;
  int texcoord0 = -1;
  int texcoord0_size = 2;  // floats
  int psize = -1;
  int normal = -1;
};

// Builds the layout of an FVF; false for a combination Direct3D refuses.
bool LayoutFromFvf(DWORD fvf, VertexLayout* out);

// The pixel routine's choice, packed so the table lookup is one compare.
struct PixelKey {
  std::uint8_t texture;  // 0 none, 1 point, 2 linear
  std::uint8_t alpha;    // fast paths: 0 alpha from texture, 1 from diffuse, 2 their product
  std::uint8_t blend;    // fast paths: 0 off, 1 SRCALPHA / INVSRCALPHA with ADD
  std::uint8_t generic;  // 1: only the generic routine handles this state
  bool operator==(const PixelKey&) const = default;
};

// One mip level of the bound texture, as 32-bit ARGB texels.
struct TexLevel {
  const std::uint32_t* texels = nullptr;
  int pitch = 0;  // in texels
  int width = 0;
  int height = 0;
};

struct DrawContext;
struct TriSetup;
using SpanRoutine = void (*)(const DrawContext& dc, const TriSetup& t, int y, int x0, int x1);
// Shades scattered pixels (the pixels of a line): `xy` holds x, y pairs.
using PixelListRoutine = void (*)(const DrawContext& dc, const TriSetup& t, const std::int32_t* xy, int count);

struct DrawContext {
  // Vertex stage.
  VertexLayout layout;
  D3DMATRIX wvp;  // world * view * projection
  bool lighting = false;
  std::uint32_t unlit_color = 0;  // the colour of lit vertices until lighting is built
  float vp_x = 0, vp_y = 0, vp_half_w = 0, vp_half_h = 0, vp_min_z = 0, vp_max_z = 1;
  float point_size = 1.f;

  // Raster stage: the pixels that may be written, [x0, x1) x [y0, y1).
  int clip_x0 = 0, clip_y0 = 0, clip_x1 = 0, clip_y1 = 0;
  DWORD cull = D3DCULL_CCW;
  DWORD fill = D3DFILL_SOLID;
  bool flat = false;
  bool last_pixel = true;

  // Target.
  std::uint8_t* color = nullptr;
  int color_pitch = 0;  // bytes
  D3DFORMAT color_format = D3DFMT_X8R8G8B8;
  std::uint32_t color_alpha_or = 0;  // 0xff000000 for X8R8G8B8 targets
  float* depth = nullptr;            // one float per pixel, `depth_pitch` floats a row
  int depth_pitch = 0;

  // Pixel stage.
  PixelKey key{};
  SpanRoutine span = nullptr;
  PixelListRoutine pixels = nullptr;
  bool textured = false;
  TexLevel levels[16];
  int level_count = 0;
  bool mip = false;  // choose a level per triangle
  std::uint32_t tex_alpha_or = 0;  // 0xff000000 for textures without alpha
  bool wrap_u = true, wrap_v = true;
  bool mag_linear = false, min_linear = false;
  std::uint32_t border = 0;
  DWORD color_op = D3DTOP_MODULATE, color_arg1 = D3DTA_TEXTURE, color_arg2 = D3DTA_CURRENT;
  DWORD alpha_op = D3DTOP_SELECTARG1, alpha_arg1 = D3DTA_TEXTURE, alpha_arg2 = D3DTA_CURRENT;
  std::uint32_t tfactor = 0xffffffffu;
  bool blend = false;
  DWORD src_blend = D3DBLEND_ONE, dest_blend = D3DBLEND_ZERO, blend_op = D3DBLENDOP_ADD;
  std::uint32_t blend_factor = 0xffffffffu;
  bool alpha_test = false;
  DWORD alpha_func = D3DCMP_ALWAYS;
  std::uint32_t alpha_ref = 0;
  bool z_test = false, z_write = false;
  DWORD z_func = D3DCMP_LESSEQUAL;
  DWORD color_write = 0xf;
};

// The plane equations of one triangle (or the span of a line or point):
// each attribute is a0 + ax * x + ay * y at pixel centre (x, y).
struct TriSetup {
  float z0, zx, zy;
  float w0, wx, wy;  // rhw, when perspective-correct
  float c0[4], cx[4], cy[4];
  float u0, ux, uy, v0, vx, vy;
  bool perspective;
  const TexLevel* level;  // the mip level used for this primitive
  bool minify;            // sample with the minification filter
};

}  // namespace d3d9_impl
