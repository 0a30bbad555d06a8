// The per-draw context of the rasterizer: processed vertices, the vertex
// layout, the target, and the pixel-stage constants computed once per draw
// from the device state, with the key that picks the pixel routine.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

namespace d3d9_impl {

constexpr float kMaxPointSize = 256.f;
constexpr DWORD kMaxAnisotropy = 16;

// A vertex after the vertex stage. Transformed geometry keeps its clip-space
// position for clipping; every vertex carries its screen position (x, y in
// pixels with pixel centres at integer coordinates, z in the viewport's
// depth range, rhw = 1/w) and its attributes.
struct PVertex {
  float cx, cy, cz, cw;  // clip space
  float x, y, z, rhw;    // screen space
  float c[4];            // diffuse r, g, b, a in 0..255
  float s[4];            // specular r, g, b in 0..255; s[3] is the fog factor, 255 = no fog
  float u, v;            // texture coordinates of stage 0
  float psize;           // point size in pixels
  std::uint32_t clip;    // clip-plane outcodes; 0 inside
};
static_assert(sizeof(PVertex) == 80, "processed vertices stay compact");

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
  int position = 0;        // byte offset of the position
  int position_size = 3;   // floats of the position (4 with rhw or w)
  int weights_offset = -1;  // blend weights (floats, or a D3DCOLOR)
  int weights = 0;
  bool weights_color = false;  // packed as a D3DCOLOR: red, green, blue, alpha are weights 0 to 3
  int blend_indices = -1;      // byte offset of four packed matrix indices; -1 when absent
  bool indices_color = false;  // packed as a D3DCOLOR (index 0 in red) rather than UBYTE4
  int tex[8] = {-1, -1, -1, -1, -1, -1, -1, -1};  // every texture coordinate set, for vertex programs
  int tex_size[8] = {};
};

// Builds the layout of a vertex declaration's stream 0; false for elements
// the device cannot read (other streams, packed types it does not handle).
bool LayoutFromDeclaration(const D3DVERTEXELEMENT9* elements, UINT count, VertexLayout* out);

// Builds the layout of an FVF; false for a combination Direct3D refuses.
bool LayoutFromFvf(DWORD fvf, VertexLayout* out);

// The pixel routine's choice, packed so the table lookup is one compare.
struct PixelKey {
  std::uint8_t texture;  // 0 none, 1 point, 2 linear
  std::uint8_t alpha;    // fast paths: 0 alpha from texture, 1 from diffuse, 2 their product
  std::uint8_t blend;    // fast paths: 0 off, 1 SRCALPHA / INVSRCALPHA, 2 SRCALPHA / ONE, 3 ONE / ONE, with ADD
  std::uint8_t generic;  // 1: only the generic routine handles this state
  std::uint8_t extras;   // fast paths: depth (1), vertex fog (2), specular (4)
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

// One enabled light in view space, ready for the vertex stage.
struct LightData {
  DWORD type;                         // D3DLIGHT_POINT, SPOT or DIRECTIONAL
  float diffuse[3], specular[3], ambient[3];
  float pos[3];                       // view-space position (point and spot)
  float dir[3];                       // view-space unit vector towards the light (directional, spot axis reversed)
  float range;
  float att0, att1, att2;
  float cos_theta, cos_phi, falloff;  // spot cone: cosines of the half angles
};

// A C++ vertex program standing in for a vertex shader (see vertex_program.h).
struct VertexProgramData;

struct DrawContext {
  // Vertex stage.
  VertexLayout layout;
  D3DMATRIX wvp;  // world * view * projection
  D3DMATRIX wv;   // world * view
  D3DMATRIX proj;
  D3DMATRIX normal_wv;  // inverse transpose of world * view (3 x 3 used)
  // Vertex blending: matrices indexed by blend index, each world(n) * view,
  // and the matrices of their normals. Null when blending is off.
  const D3DMATRIX* blend_wv = nullptr;
  const D3DMATRIX* blend_normal = nullptr;
  int blend_matrices = 0;   // matrices a vertex blends (weights + 1); 0 off
  bool blend_indexed = false;
  bool view_space = false;  // positions go through view space (lighting, fog, point scaling, blending)
  bool lighting = false;
  bool specular_lighting = false;  // D3DRS_SPECULARENABLE with lighting
  bool local_viewer = true;
  bool normalize_normals = false;
  bool color_vertex = true;
  DWORD diffuse_source = D3DMCS_COLOR1, specular_source = D3DMCS_COLOR2, ambient_source = D3DMCS_MATERIAL,
        emissive_source = D3DMCS_MATERIAL;
  D3DMATERIAL9 material{};
  float global_ambient[3] = {0, 0, 0};
  LightData lights[8];
  int light_count = 0;
  // Vertex fog: mode (D3DFOG_*), 0 when the factor comes from the specular
  // alpha. Range fog measures the distance to the eye instead of depth.
  DWORD vertex_fog = D3DFOG_NONE;
  bool range_fog = false;
  float fog_start = 0.f, fog_end = 1.f, fog_density = 1.f;
  float vp_x = 0, vp_y = 0, vp_half_w = 0, vp_half_h = 0, vp_min_z = 0, vp_max_z = 1;
  float vp_height = 0;
  float point_size = 1.f;
  float point_min = 1.f, point_max = 64.f;
  bool point_scale = false;
  float point_a = 1.f, point_b = 0.f, point_c = 0.f;
  bool point_sprite = false;
  const VertexProgramData* program = nullptr;  // the bound vertex program
  const float (*constants)[4] = nullptr;       // its constant registers

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
  bool mip = false;  // choose among the levels by the texel footprint
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
  // Specular colour added after texturing (D3DRS_SPECULARENABLE).
  bool specular = false;
  bool interp_specular = false;  // the specular colour or fog factor is read per pixel
  // Fog: on when D3DRS_FOGENABLE. Table (per-pixel) fog uses `table_fog`,
  // else the interpolated vertex factor.
  bool fog = false;
  DWORD table_fog = D3DFOG_NONE;
  std::uint32_t fog_color = 0;
  // Stencil test on the depth buffer's stencil bytes.
  bool stencil = false;
  std::uint8_t* stencil_bits = nullptr;
  int stencil_pitch = 0;  // bytes a row
  DWORD stencil_func = D3DCMP_ALWAYS, stencil_fail = D3DSTENCILOP_KEEP, stencil_zfail = D3DSTENCILOP_KEEP,
        stencil_pass = D3DSTENCILOP_KEEP;
  std::uint32_t stencil_ref = 0, stencil_mask = 0xff, stencil_write_mask = 0xff;
  // Two-sided stencil: counter-clockwise triangles use these instead.
  bool two_sided = false;
  DWORD ccw_func = D3DCMP_ALWAYS, ccw_fail = D3DSTENCILOP_KEEP, ccw_zfail = D3DSTENCILOP_KEEP,
        ccw_pass = D3DSTENCILOP_KEEP;
  // Texture addressing (D3DTADDRESS_*) and mip filtering.
  DWORD address_u = D3DTADDRESS_WRAP, address_v = D3DTADDRESS_WRAP;
  bool mip_linear = false;   // blend the two nearest levels
  int anisotropy = 1;        // samples along the footprint's long axis when the filter is anisotropic
};

// The plane equations of one triangle (or the span of a line or point):
// each attribute is a0 + ax * x + ay * y at pixel centre (x, y).
struct TriSetup {
  float z0, zx, zy;
  float w0, wx, wy;  // rhw, when perspective-correct
  float c0[4], cx[4], cy[4];
  float s0[4], sx[4], sy[4];  // specular and fog factor
  float u0, ux, uy, v0, vx, vy;
  bool perspective;
  const TexLevel* level;  // the mip level used for this primitive
  bool minify;            // sample with the minification filter
  const TexLevel* level2;  // the next level, blended by `level_frac` (0..256), with linear mip filtering
  std::uint32_t level_frac;
  // The level, filter and footprint above hold at the centroid only: each
  // pixel chooses its own (perspective primitives of a mipmapped or
  // anisotropic texture, or with filters that differ by direction).
  bool lod_per_pixel = false;
  // The diffuse colour is the same everywhere (flat shading, or equal
  // vertex colours): `flat_c` holds it and the planes are not evaluated.
  bool flat_rgba = false;
  float flat_c[4];
  bool ccw = false;        // counter-clockwise on screen (two-sided stencil); false for lines and points
  int aniso_n;             // anisotropic samples (1: none) spread along (aniso_du, aniso_dv)
  float aniso_du, aniso_dv;
};

}  // namespace d3d9_impl
