// Span routines of the pixel stage: the generic one, which evaluates every
// state per pixel, and specialised ones for a 32-bit target: untextured or
// textured (point or linear) with texture stage 0 modulating, alpha
// blending off, SRCALPHA / INVSRCALPHA, SRCALPHA / ONE or ONE / ONE, with
// or without depth test,
// vertex fog and specular, the mip level fixed per primitive or chosen at
// every pixel. Both kinds use the same arithmetic, so they give identical
// pixels.
#include "platform/d3d9/raster/pixel_stage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/raster/depth_spans.h"
#include "platform/d3d9/raster/flat_spans.h"
#include "platform/d3d9/raster/simd_spans.h"
#include "platform/d3d9/raster/texture_lod.h"
#include "platform/d3d9/raster/texture_sampler.h"
#include "platform/d3d9/raster/textured_spans.h"

namespace d3d9_impl {
namespace {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
inline std::uint32_t Div255(std::uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

inline std::uint32_t ToChannel(float c) {
  if (!(c > 0.f)) return 0;
  if (c >= 255.f) return 255;
  return static_cast<std::uint32_t>(c + 0.5f);
}

inline std::uint32_t Ch(std::uint32_t c, int i) { return (c >> (8 * i)) & 0xff; }  // 0 b, 1 g, 2 r, 3 a

inline std::uint32_t Pack(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// The interpolated values at one pixel.
struct Fragment {
  std::uint32_t diffuse;   // ARGB
  std::uint32_t specular;  // ARGB, the alpha holds the vertex fog factor
  float u, v;
  float z;
  float w;  // interpolated rhw (1 without perspective)
};

// Planes are evaluated row first, (a0 + ay y) + ax x, exactly as the
// specialised routines step them, so both give bit-identical values.
inline void Interpolate(const TriSetup& t, float fx, float fy, bool textured, Fragment* f) {
  float c[4];
  float inv = 1.f;
  if (t.perspective) {
    const float w = (t.w0 + t.wy * fy) + t.wx * fx;
    inv = w != 0.f ? 1.f / w : 0.f;
  }
  for (int i = 0; i < 4; ++i) c[i] = t.flat_rgba ? t.flat_c[i] : ((t.c0[i] + t.cy[i] * fy) + t.cx[i] * fx) * inv;
  if (textured) {
    f->u = ((t.u0 + t.uy * fy) + t.ux * fx) * inv;
    f->v = ((t.v0 + t.vy * fy) + t.vx * fx) * inv;
  }
  f->diffuse = Pack(ToChannel(c[3]), ToChannel(c[0]), ToChannel(c[1]), ToChannel(c[2]));
  f->z = (t.z0 + t.zy * fy) + t.zx * fx;
  f->w = inv != 0.f ? 1.f / inv : 0.f;
  for (int i = 0; i < 4; ++i) c[i] = ((t.s0[i] + t.sy[i] * fy) + t.sx[i] * fx) * inv;
  f->specular = Pack(ToChannel(c[3]), ToChannel(c[0]), ToChannel(c[1]), ToChannel(c[2]));
}

inline std::uint32_t SampleLevel(const DrawContext& dc, const TexLevel& l, bool linear, float u, float v) {
  return linear ? SampleLinearMode(l, u, v, dc.address_u, dc.address_v, dc.border)
                : SamplePointMode(l, u, v, dc.address_u, dc.address_v, dc.border);
}

// One filtered sample: anisotropic samples spread over the footprint's
// long axis and averaged, each from one level or two blended levels.
inline std::uint32_t Sample(const DrawContext& dc, const LevelChoice& t, float u, float v) {
  const bool linear = t.minify ? dc.min_linear : dc.mag_linear;
  auto one = [&](float su, float sv) {
    const std::uint32_t a = SampleLevel(dc, *t.level, linear, su, sv);
    if (t.level_frac == 0) return a;
    return LerpPacked(a, SampleLevel(dc, *t.level2, linear, su, sv), t.level_frac);
  };
  if (t.aniso_n <= 1) return one(u, v) | dc.tex_alpha_or;
  std::uint32_t sum[4] = {0, 0, 0, 0};
  const float n = static_cast<float>(t.aniso_n);
  for (int i = 0; i < t.aniso_n; ++i) {
    const float k = (static_cast<float>(i) + 0.5f) / n - 0.5f;
    const std::uint32_t s = one(u + k * t.aniso_du, v + k * t.aniso_dv);
    for (int c = 0; c < 4; ++c) sum[c] += Ch(s, c);
  }
  const std::uint32_t half = static_cast<std::uint32_t>(t.aniso_n) / 2, div = static_cast<std::uint32_t>(t.aniso_n);
  return Pack((sum[3] + half) / div, (sum[2] + half) / div, (sum[1] + half) / div, (sum[0] + half) / div) |
         dc.tex_alpha_or;
}

// ---------------------------------------------------------------------------
// Generic texture stage 0.
// ---------------------------------------------------------------------------

inline std::uint32_t Arg(DWORD arg, std::uint32_t diffuse, std::uint32_t tex, std::uint32_t tfactor,
                         std::uint32_t specular) {
  std::uint32_t v;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT:  // stage 0: current is the diffuse colour
      v = diffuse;
      break;
    case D3DTA_TEXTURE:
      v = tex;
      break;
    case D3DTA_TFACTOR:
      v = tfactor;
      break;
    case D3DTA_SPECULAR:
      v = specular | 0xff000000u;  // its alpha is the fog factor, not a colour
      break;
    default:  // temp register and stage constant start at zero
      v = 0;
      break;
  }
  if (arg & D3DTA_COMPLEMENT) v = ~v;
  if (arg & D3DTA_ALPHAREPLICATE) {
    const std::uint32_t a = v >> 24;
    v = Pack(a, a, a, a);
  }
  return v;
}

// One channel of a texture operation; `alpha_of_*` are the alphas used by
// the blend operations.
inline std::uint32_t Op(DWORD op, std::uint32_t a1, std::uint32_t a2, std::uint32_t a0, std::uint32_t da,
                        std::uint32_t ta, std::uint32_t fa, std::uint32_t a1_alpha) {
  int r;
  switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return Div255(a1 * a2);
    case D3DTOP_MODULATE2X: r = static_cast<int>(Div255(a1 * a2)) * 2; break;
    case D3DTOP_MODULATE4X: r = static_cast<int>(Div255(a1 * a2)) * 4; break;
    case D3DTOP_ADD: r = static_cast<int>(a1 + a2); break;
    case D3DTOP_ADDSIGNED: r = static_cast<int>(a1 + a2) - 128; break;
    case D3DTOP_ADDSIGNED2X: r = (static_cast<int>(a1 + a2) - 128) * 2; break;
    case D3DTOP_SUBTRACT: r = static_cast<int>(a1) - static_cast<int>(a2); break;
    case D3DTOP_ADDSMOOTH: r = static_cast<int>(a1 + a2 - Div255(a1 * a2)); break;
    case D3DTOP_BLENDDIFFUSEALPHA: return Div255(a1 * da + a2 * (255 - da));
    case D3DTOP_BLENDTEXTUREALPHA: return Div255(a1 * ta + a2 * (255 - ta));
    case D3DTOP_BLENDFACTORALPHA: return Div255(a1 * fa + a2 * (255 - fa));
    case D3DTOP_BLENDCURRENTALPHA: return Div255(a1 * da + a2 * (255 - da));
    case D3DTOP_BLENDTEXTUREALPHAPM: r = static_cast<int>(a1 + Div255(a2 * (255 - ta))); break;
    case D3DTOP_MODULATEALPHA_ADDCOLOR: r = static_cast<int>(a1 + Div255(a1_alpha * a2)); break;
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: r = static_cast<int>(a1 + Div255((255 - a1_alpha) * a2)); break;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: r = static_cast<int>(Div255((255 - a1) * a2) + a1_alpha); break;
    case D3DTOP_MODULATECOLOR_ADDALPHA: r = static_cast<int>(Div255(a1 * a2) + a1_alpha); break;
    case D3DTOP_MULTIPLYADD: r = static_cast<int>(a0 + Div255(a1 * a2)); break;
    case D3DTOP_LERP: return Div255(a0 * a1 + (255 - a0) * a2);
    default: return a1;
  }
  return static_cast<std::uint32_t>(std::clamp(r, 0, 255));
}

inline std::uint32_t CombineStage0(const DrawContext& dc, std::uint32_t diffuse, std::uint32_t tex,
                                   std::uint32_t specular) {
  if (dc.color_op == D3DTOP_DISABLE) return diffuse;
  const std::uint32_t tf = dc.tfactor;
  const std::uint32_t da = diffuse >> 24, ta = tex >> 24, fa = tf >> 24;
  std::uint32_t out_rgb;
  {
    const std::uint32_t c1 = Arg(dc.color_arg1, diffuse, tex, tf, specular), c2 = Arg(dc.color_arg2, diffuse, tex, tf, specular);
    if (dc.color_op == D3DTOP_DOTPRODUCT3) {
      int dot = 0;
      for (int i = 0; i < 3; ++i) dot += (static_cast<int>(Ch(c1, i)) - 128) * (static_cast<int>(Ch(c2, i)) - 128);
      const std::uint32_t d = static_cast<std::uint32_t>(std::clamp(dot * 4 / 255, 0, 255));
      return Pack(d, d, d, d);  // the dot product goes to alpha as well
    }
    const std::uint32_t c0 = dc.color_op == D3DTOP_MULTIPLYADD || dc.color_op == D3DTOP_LERP
                                 ? Arg(D3DTA_CURRENT, diffuse, tex, tf, specular)
                                 : 0;
    out_rgb = 0;
    for (int i = 0; i < 3; ++i)
      out_rgb |= Op(dc.color_op, Ch(c1, i), Ch(c2, i), Ch(c0, i), da, ta, fa, c1 >> 24) << (8 * i);
  }
  std::uint32_t out_a;
  if (dc.alpha_op == D3DTOP_DISABLE) {
    out_a = da;
  } else {
    const std::uint32_t a1 = Arg(dc.alpha_arg1, diffuse, tex, tf, specular) >> 24;
    const std::uint32_t a2 = Arg(dc.alpha_arg2, diffuse, tex, tf, specular) >> 24;
    out_a = Op(dc.alpha_op, a1, a2, da, da, ta, fa, a1);
  }
  return (out_a << 24) | out_rgb;
}

// ---------------------------------------------------------------------------
// Generic tests and blending.
// ---------------------------------------------------------------------------

inline bool Compare(DWORD func, float a, float b) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return a < b;
    case D3DCMP_EQUAL: return a == b;
    case D3DCMP_LESSEQUAL: return a <= b;
    case D3DCMP_GREATER: return a > b;
    case D3DCMP_NOTEQUAL: return a != b;
    case D3DCMP_GREATEREQUAL: return a >= b;
    default: return true;
  }
}

inline std::uint32_t Factor(DWORD f, std::uint32_t src, std::uint32_t dst, std::uint32_t bf, int ch) {
  const std::uint32_t sa = src >> 24, da = dst >> 24;
  switch (f) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return Ch(src, ch);
    case D3DBLEND_INVSRCCOLOR: return 255 - Ch(src, ch);
    case D3DBLEND_SRCALPHA: return sa;
    case D3DBLEND_INVSRCALPHA: return 255 - sa;
    case D3DBLEND_DESTALPHA: return da;
    case D3DBLEND_INVDESTALPHA: return 255 - da;
    case D3DBLEND_DESTCOLOR: return Ch(dst, ch);
    case D3DBLEND_INVDESTCOLOR: return 255 - Ch(dst, ch);
    case D3DBLEND_SRCALPHASAT: return ch == 3 ? 255 : std::min(sa, 255 - da);
    case D3DBLEND_BOTHSRCALPHA: return sa;
    case D3DBLEND_BOTHINVSRCALPHA: return 255 - sa;
    case D3DBLEND_BLENDFACTOR: return Ch(bf, ch);
    case D3DBLEND_INVBLENDFACTOR: return 255 - Ch(bf, ch);
    default: return 255;
  }
}

inline std::uint32_t BlendGeneric(const DrawContext& dc, std::uint32_t src, std::uint32_t dst) {
  DWORD sf = dc.src_blend, df = dc.dest_blend;
  if (sf == D3DBLEND_BOTHSRCALPHA) sf = D3DBLEND_SRCALPHA, df = D3DBLEND_INVSRCALPHA;
  if (sf == D3DBLEND_BOTHINVSRCALPHA) sf = D3DBLEND_INVSRCALPHA, df = D3DBLEND_SRCALPHA;
  std::uint32_t out = 0;
  for (int ch = 0; ch < 4; ++ch) {
    const std::uint32_t s = Ch(src, ch), d = Ch(dst, ch);
    const std::uint32_t fs = Factor(sf, src, dst, dc.blend_factor, ch);
    const std::uint32_t fd = Factor(df, src, dst, dc.blend_factor, ch);
    int r;
    switch (dc.blend_op) {
      case D3DBLENDOP_SUBTRACT: r = static_cast<int>(Div255(s * fs)) - static_cast<int>(Div255(d * fd)); break;
      case D3DBLENDOP_REVSUBTRACT: r = static_cast<int>(Div255(d * fd)) - static_cast<int>(Div255(s * fs)); break;
      case D3DBLENDOP_MIN: r = static_cast<int>(std::min(s, d)); break;
      case D3DBLENDOP_MAX: r = static_cast<int>(std::max(s, d)); break;
      default: {
        const std::uint32_t sum = s * fs + d * fd;
        r = sum > 255u * 255u ? 255 : static_cast<int>(Div255(sum));
        break;
      }
    }
    out |= static_cast<std::uint32_t>(std::clamp(r, 0, 255)) << (8 * ch);
  }
  return out;
}

inline std::uint32_t ReadTarget(const DrawContext& dc, const std::uint8_t* p) {
  if (dc.color_format == D3DFMT_R5G6B5) {
    std::uint16_t w;
    std::memcpy(&w, p, 2);
    const std::uint32_t r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
    return Pack(255, (r * 510 + 31) / 62, (g * 510 + 63) / 126, (b * 510 + 31) / 62);
  }
  std::uint32_t c;
  std::memcpy(&c, p, 4);
  return c | dc.color_alpha_or;
}

inline void WriteTarget(const DrawContext& dc, std::uint8_t* p, std::uint32_t c) {
  if (dc.color_format == D3DFMT_R5G6B5) {
    const std::uint32_t r = (Ch(c, 2) * 62 + 255) / 510, g = (Ch(c, 1) * 126 + 255) / 510,
                        b = (Ch(c, 0) * 62 + 255) / 510;
    const std::uint16_t w = static_cast<std::uint16_t>((r << 11) | (g << 5) | b);
    std::memcpy(p, &w, 2);
    return;
  }
  c |= dc.color_alpha_or;
  std::memcpy(p, &c, 4);
}

inline std::uint8_t StencilOp(DWORD op, std::uint8_t v, std::uint8_t ref) {
  switch (op) {
    case D3DSTENCILOP_ZERO: return 0;
    case D3DSTENCILOP_REPLACE: return ref;
    case D3DSTENCILOP_INCRSAT: return v == 255 ? v : static_cast<std::uint8_t>(v + 1);
    case D3DSTENCILOP_DECRSAT: return v == 0 ? v : static_cast<std::uint8_t>(v - 1);
    case D3DSTENCILOP_INVERT: return static_cast<std::uint8_t>(~v);
    case D3DSTENCILOP_INCR: return static_cast<std::uint8_t>(v + 1);
    case D3DSTENCILOP_DECR: return static_cast<std::uint8_t>(v - 1);
    default: return v;  // keep
  }
}

inline void WriteStencil(const DrawContext& dc, std::uint8_t* s, DWORD op) {
  const std::uint8_t ref = static_cast<std::uint8_t>(dc.stencil_ref);
  const std::uint8_t nv = StencilOp(op, *s, ref);
  const std::uint8_t m = static_cast<std::uint8_t>(dc.stencil_write_mask);
  *s = static_cast<std::uint8_t>((*s & ~m) | (nv & m));
}

// The fog factor (0..255) of table fog at a pixel: from eye distance (1/w)
// under a perspective projection, else from depth.
inline std::uint32_t TableFog(const DrawContext& dc, const Fragment& f, bool perspective) {
  const float d = perspective && f.w > 0.f ? 1.f / f.w : f.z;
  float k;
  switch (dc.table_fog) {
    case D3DFOG_LINEAR: {
      const float s = dc.fog_start, e = dc.fog_end;
      k = e != s ? (e - d) / (e - s) : 0.f;  // start equal to end is full fog
      break;
    }
    case D3DFOG_EXP: k = std::exp(-d * dc.fog_density); break;
    default: {
      const float x = d * dc.fog_density;
      k = std::exp(-x * x);
      break;
    }
  }
  return ToChannel(255.f * std::clamp(k, 0.f, 1.f));
}

// Specular addition and fog after the texture stage.
inline std::uint32_t SpecularAndFog(const DrawContext& dc, const TriSetup& t, const Fragment& f, std::uint32_t c) {
  if (dc.specular) {
    std::uint32_t out = c & 0xff000000u;
    for (int i = 0; i < 3; ++i) out |= std::min<std::uint32_t>(255, Ch(c, i) + Ch(f.specular, i)) << (8 * i);
    c = out;
  }
  if (dc.fog) {
    const std::uint32_t k = dc.table_fog != D3DFOG_NONE ? TableFog(dc, f, t.perspective) : f.specular >> 24;
    std::uint32_t out = c & 0xff000000u;
    for (int i = 0; i < 3; ++i) out |= Div255(Ch(c, i) * k + Ch(dc.fog_color, i) * (255 - k)) << (8 * i);
    c = out;
  }
  return c;
}

void GenericSpan(const DrawContext& dc, const TriSetup& t, int y, int x0, int x1) {
  const int bpp = dc.color_format == D3DFMT_R5G6B5 ? 2 : 4;
  std::uint8_t* row = dc.color + static_cast<std::ptrdiff_t>(y) * dc.color_pitch;
  float* zrow = dc.depth ? dc.depth + static_cast<std::ptrdiff_t>(y) * dc.depth_pitch : nullptr;
  std::uint8_t* srow =
      dc.stencil ? dc.stencil_bits + static_cast<std::ptrdiff_t>(y) * dc.stencil_pitch : nullptr;
  const bool back = dc.two_sided && t.ccw;
  const DWORD s_func = back ? dc.ccw_func : dc.stencil_func, s_fail = back ? dc.ccw_fail : dc.stencil_fail,
              s_zfail = back ? dc.ccw_zfail : dc.stencil_zfail, s_pass = back ? dc.ccw_pass : dc.stencil_pass;
  const float fy = static_cast<float>(y);
  std::uint32_t write_mask = 0;
  if (dc.color_write & D3DCOLORWRITEENABLE_BLUE) write_mask |= 0x000000ffu;
  if (dc.color_write & D3DCOLORWRITEENABLE_GREEN) write_mask |= 0x0000ff00u;
  if (dc.color_write & D3DCOLORWRITEENABLE_RED) write_mask |= 0x00ff0000u;
  if (dc.color_write & D3DCOLORWRITEENABLE_ALPHA) write_mask |= 0xff000000u;
  const LevelChoice primitive_level{t.level, t.level2, t.level_frac, t.minify, t.aniso_n, t.aniso_du, t.aniso_dv};
  for (int x = x0; x < x1; ++x) {
    Fragment f;
    Interpolate(t, static_cast<float>(x), fy, dc.textured, &f);
    std::uint32_t tex = f.diffuse;
    if (dc.textured) {
      if (t.lod_per_pixel) {
        // The footprint at this pixel: derivatives of u = U / W are
        // (U' - u W') / W.
        const float inv = f.w != 0.f ? 1.f / f.w : 0.f;
        tex = Sample(dc, ChooseLevel(dc, (t.ux - f.u * t.wx) * inv, (t.vx - f.v * t.wx) * inv,
                                     (t.uy - f.u * t.wy) * inv, (t.vy - f.v * t.wy) * inv),
                     f.u, f.v);
      } else {
        tex = Sample(dc, primitive_level, f.u, f.v);
      }
    }
    std::uint32_t c = CombineStage0(dc, f.diffuse, tex, f.specular);
    if (dc.alpha_test && !Compare(dc.alpha_func, static_cast<float>(c >> 24), static_cast<float>(dc.alpha_ref)))
      continue;
    std::uint8_t* sp = srow ? srow + x : nullptr;
    if (sp) {
      const float sv = static_cast<float>(*sp & dc.stencil_mask);
      if (!Compare(s_func, static_cast<float>(dc.stencil_ref & dc.stencil_mask), sv)) {
        WriteStencil(dc, sp, s_fail);
        continue;
      }
    }
    if (zrow) {
      if (dc.z_test && !Compare(dc.z_func, f.z, zrow[x])) {
        if (sp) WriteStencil(dc, sp, s_zfail);
        continue;
      }
      if (dc.z_write) zrow[x] = f.z;
    }
    if (sp) WriteStencil(dc, sp, s_pass);
    c = SpecularAndFog(dc, t, f, c);
    std::uint8_t* p = row + x * bpp;
    if (dc.blend || write_mask != 0xffffffffu) {
      const std::uint32_t dst = ReadTarget(dc, p);
      if (dc.blend) c = BlendGeneric(dc, c, dst);
      c = (c & write_mask) | (dst & ~write_mask);
    }
    WriteTarget(dc, p, c);
  }
}

void GenericPixels(const DrawContext& dc, const TriSetup& t, const std::int32_t* xy, int count) {
  for (int i = 0; i < count; ++i) GenericSpan(dc, t, xy[2 * i + 1], xy[2 * i], xy[2 * i] + 1);
}

// ---------------------------------------------------------------------------
// Specialised routines: 32-bit target, no depth, no alpha test, all colour
// channels written. Tex: 0 none, 1 point, 2 linear. Alpha: 0 texture,
// 1 diffuse, 2 product. Blend: a FastBlend (off, SRCALPHA / INVSRCALPHA,
// SRCALPHA / ONE, ONE / ONE).
// ---------------------------------------------------------------------------

// Extras of the specialised routines (bits of `Ext`): depth test and
// write, vertex fog, specular addition.
enum FastExtra { kExtDepth = 1, kExtFog = 2, kExtSpecular = 4 };

// The per-pixel values of the extras, interpolated like the generic
// routine interpolates them.
struct Extras {
  std::uint32_t sr, sg, sb;  // specular
  std::uint32_t fog;         // fog factor 0..255
};

// One pixel of the specialised routines from its diffuse channels and
// texture coordinates.
// Tex 3: `s` is the texel already sampled (with the texture alpha forced),
// as the routines choosing the level per pixel give it.
template <int Tex, int Alpha, int Blend, int Ext>
inline void ShadeFast(const DrawContext& dc, const TriSetup& t, std::uint32_t dr, std::uint32_t dg, std::uint32_t db,
                      std::uint32_t da, float u, float v, const Extras& e, std::uint32_t* p, std::uint32_t s = 0) {
  std::uint32_t r, g, b, a;
  if constexpr (Tex == 0) {
    // Without a texture the stage passes the diffuse colour through (the
    // device turns such a stage into SELECTARG1 of the current colour).
    (void)t, (void)u, (void)v, (void)s;
    r = dr, g = dg, b = db, a = da;
  } else {
    if constexpr (Tex == 1)
      s = SamplePoint(*t.level, u, v, dc.wrap_u, dc.wrap_v) | dc.tex_alpha_or;
    else if constexpr (Tex == 2)
      s = SampleLinear(*t.level, u, v, dc.wrap_u, dc.wrap_v) | dc.tex_alpha_or;
    else
      (void)t, (void)u, (void)v;
    if ((dr & dg & db) == 255) {  // modulating by white changes nothing
      r = Ch(s, 2), g = Ch(s, 1), b = Ch(s, 0);
    } else {
      r = Div255(Ch(s, 2) * dr), g = Div255(Ch(s, 1) * dg), b = Div255(Ch(s, 0) * db);
    }
    if constexpr (Alpha == 0) a = s >> 24;
    else if constexpr (Alpha == 1) a = da;
    else a = Div255((s >> 24) * da);
  }
  if constexpr ((Ext & kExtSpecular) != 0) {
    r = std::min<std::uint32_t>(255, r + e.sr);
    g = std::min<std::uint32_t>(255, g + e.sg);
    b = std::min<std::uint32_t>(255, b + e.sb);
  }
  if constexpr ((Ext & kExtFog) != 0) {
    const std::uint32_t k = e.fog, ik = 255 - k, fc = dc.fog_color;
    r = Div255(r * k + Ch(fc, 2) * ik);
    g = Div255(g * k + Ch(fc, 1) * ik);
    b = Div255(b * k + Ch(fc, 0) * ik);
  }
  (void)e;
  if constexpr (Blend == kBlendSrcAlpha) {
    const std::uint32_t d = *p | dc.color_alpha_or;
    const std::uint32_t ia = 255 - a;
    r = Div255(r * a + Ch(d, 2) * ia);
    g = Div255(g * a + Ch(d, 1) * ia);
    b = Div255(b * a + Ch(d, 0) * ia);
    a = Div255(a * a + Ch(d, 3) * ia);
  } else if constexpr (Blend == kBlendSrcAlphaOne || Blend == kBlendOneOne) {
    // Source times its alpha (or one) plus the destination, saturated.
    const std::uint32_t d = *p | dc.color_alpha_or;
    const std::uint32_t f = Blend == kBlendSrcAlphaOne ? a : 255;
    auto add = [f](std::uint32_t sc, std::uint32_t dc_) {
      const std::uint32_t sum = sc * f + dc_ * 255;
      return sum > 255u * 255u ? 255u : Div255(sum);
    };
    r = add(r, Ch(d, 2));
    g = add(g, Ch(d, 1));
    b = add(b, Ch(d, 0));
    a = add(a, Ch(d, 3));
  }
  *p = Pack(a, r, g, b) | dc.color_alpha_or;
}

// Depth test and write of the specialised routines; false when the pixel
// is rejected.
template <int Ext>
inline bool DepthFast(const DrawContext& dc, float* zp, float z) {
  if constexpr ((Ext & kExtDepth) != 0) {
    if (dc.z_test && !Compare(dc.z_func, z, *zp)) return false;
    if (dc.z_write) *zp = z;
  } else {
    (void)dc, (void)zp, (void)z;
  }
  return true;
}

template <int Tex, int Alpha, int Blend, int Ext, bool Persp>
inline void FastLoop(const DrawContext& dc, const TriSetup& t, int y, int x0, int x1) {
  std::uint32_t* row = reinterpret_cast<std::uint32_t*>(dc.color + static_cast<std::ptrdiff_t>(y) * dc.color_pitch);
  float* zrow = nullptr;
  if constexpr ((Ext & kExtDepth) != 0) zrow = dc.depth + static_cast<std::ptrdiff_t>(y) * dc.depth_pitch;
  const float fy = static_cast<float>(y);
  const float cr = t.c0[0] + t.cy[0] * fy, cg = t.c0[1] + t.cy[1] * fy, cb = t.c0[2] + t.cy[2] * fy,
              ca = t.c0[3] + t.cy[3] * fy;
  const float ur = t.u0 + t.uy * fy, vr = t.v0 + t.vy * fy, wr = t.w0 + t.wy * fy;
  const float zr = t.z0 + t.zy * fy;
  const float sr = t.s0[0] + t.sy[0] * fy, sg = t.s0[1] + t.sy[1] * fy, sb = t.s0[2] + t.sy[2] * fy,
              sf = t.s0[3] + t.sy[3] * fy;
  // A colour that does not vary along the row is converted once; the
  // result is the same as converting it at every pixel.
  const bool const_color =
      t.flat_rgba || (!Persp && t.cx[0] == 0.f && t.cx[1] == 0.f && t.cx[2] == 0.f && t.cx[3] == 0.f);
  const std::uint32_t kr = ToChannel(t.flat_rgba ? t.flat_c[0] : cr), kg = ToChannel(t.flat_rgba ? t.flat_c[1] : cg),
                      kb = ToChannel(t.flat_rgba ? t.flat_c[2] : cb), ka = ToChannel(t.flat_rgba ? t.flat_c[3] : ca);
  if constexpr (Tex == 0 && Ext == 0) {
    // One colour along the row and nothing per pixel but the blend: four
    // pixels at a time.
    if (const_color) return FlatSpan<Blend>(row + x0, x1 - x0, kr, kg, kb, ka, dc.color_alpha_or);
  }
  auto pixel = [&](int x) {
    const float fx = static_cast<float>(x);
    if constexpr ((Ext & kExtDepth) != 0)
      if (!DepthFast<Ext>(dc, zrow + x, zr + t.zx * fx)) return;
    float inv = 1.f;
    if constexpr (Persp) {
      const float w = wr + t.wx * fx;
      inv = w != 0.f ? 1.f / w : 0.f;
    }
    std::uint32_t dr = kr, dg = kg, db = kb, da = ka;
    if (!const_color) {
      dr = ToChannel((cr + t.cx[0] * fx) * inv), dg = ToChannel((cg + t.cx[1] * fx) * inv),
      db = ToChannel((cb + t.cx[2] * fx) * inv), da = ToChannel((ca + t.cx[3] * fx) * inv);
    }
    Extras e{};
    if constexpr ((Ext & kExtSpecular) != 0) {
      e.sr = ToChannel((sr + t.sx[0] * fx) * inv);
      e.sg = ToChannel((sg + t.sx[1] * fx) * inv);
      e.sb = ToChannel((sb + t.sx[2] * fx) * inv);
    }
    if constexpr ((Ext & kExtFog) != 0) e.fog = ToChannel((sf + t.sx[3] * fx) * inv);
    float u = 0.f, v = 0.f;
    if constexpr (Tex != 0) u = (ur + t.ux * fx) * inv, v = (vr + t.vx * fx) * inv;
    ShadeFast<Tex, Alpha, Blend, Ext>(dc, t, dr, dg, db, da, u, v, e, row + x);
  };
  // The row for the eight-pixel routines, which shade the pixels they
  // leave over through `pixel`.
  const bool avx2 = Avx2SpansEnabled();
  auto span_row = [&] {
    SpanRow r;
    r.row = row, r.zrow = zrow, r.x0 = x0, r.x1 = x1;
    r.c[0] = cr, r.c[1] = cg, r.c[2] = cb, r.c[3] = ca;
    r.u = ur, r.v = vr, r.fog = sf, r.w = wr, r.z = zr;
    r.const_color = const_color;
    r.k[0] = kr, r.k[1] = kg, r.k[2] = kb, r.k[3] = ka;
    r.ctx = &pixel;
    r.one = [](void* ctx, int x) { (*static_cast<decltype(pixel)*>(ctx))(x); };
    return r;
  };
  if constexpr (Tex != 0 && Ext == 0 && !Persp) {
    // One diffuse colour along the row: eight or four pixels at a time.
    if (const_color && TexturedSpanFits(dc, *t.level)) {
      if (avx2) return TexturedFlatSpanAvx2<Tex, Alpha, Blend>(dc, t, *t.level, span_row());
      return TexturedFlatSpan<Tex, Alpha, Blend>(dc, *t.level, row, x0, x1, ur, t.ux, vr, t.vx, kr, kg, kb, ka, pixel);
    }
  }
  constexpr bool kDepthOnly = Ext == kExtDepth || Ext == (kExtDepth | kExtFog);
  constexpr bool kFog = (Ext & kExtFog) != 0;
  if constexpr (Tex != 0 && kDepthOnly && Blend == kBlendOff) {
    // Depth-tested texturing without blending: eight or four pixels at a time.
    if (TexturedSpanFits(dc, *t.level)) {
      if (avx2) return DepthTexturedSpanAvx2<Tex, Alpha, Persp, kFog>(dc, t, *t.level, span_row());
      const float crow[4] = {cr, cg, cb, ca};
      const std::uint32_t k[4] = {kr, kg, kb, ka};
      return DepthTexturedSpan<Tex, Alpha, Persp, kFog>(dc, t, *t.level, row, zrow, x0, x1, crow, ur, vr, sf, wr, zr,
                                                        const_color, k, pixel);
    }
  }
  if constexpr (Tex == 0 && kDepthOnly && Blend == kBlendOff) {
    // Depth-tested colour without blending: eight or four pixels at a time.
    if (avx2) return DepthColourSpanAvx2<Persp, kFog>(dc, t, span_row());
    const float crow[4] = {cr, cg, cb, ca};
    const std::uint32_t k[4] = {kr, kg, kb, ka};
    return DepthColourSpan<Persp, kFog>(dc, t, row, zrow, x0, x1, crow, sf, wr, zr, const_color, k, pixel);
  }
  (void)avx2, (void)span_row;
  for (int x = x0; x < x1; ++x) pixel(x);
  (void)zr, (void)sr, (void)sg, (void)sb, (void)sf, (void)zrow, (void)wr;
}

template <bool Linear>
inline std::uint32_t SampleFilter(const DrawContext& dc, const TexLevel& l, float u, float v) {
  if constexpr (Linear)
    return SampleLinear(l, u, v, dc.wrap_u, dc.wrap_v);
  else
    return SamplePoint(l, u, v, dc.wrap_u, dc.wrap_v);
}

// Perspective spans whose mip level (and with it the filter) is chosen at
// every pixel from the footprint there, without anisotropy: the level
// choice and the sampling of the generic routine, the rest as FastLoop
// shades a pixel. MinLinear and MagLinear are the two filters.
template <bool MinLinear, bool MagLinear, int Alpha, int Blend, int Ext>
void LodSpan(const DrawContext& dc, const TriSetup& t, int y, int x0, int x1) {
  std::uint32_t* row = reinterpret_cast<std::uint32_t*>(dc.color + static_cast<std::ptrdiff_t>(y) * dc.color_pitch);
  float* zrow = nullptr;
  if constexpr ((Ext & kExtDepth) != 0) zrow = dc.depth + static_cast<std::ptrdiff_t>(y) * dc.depth_pitch;
  const float fy = static_cast<float>(y);
  const float cr = t.c0[0] + t.cy[0] * fy, cg = t.c0[1] + t.cy[1] * fy, cb = t.c0[2] + t.cy[2] * fy,
              ca = t.c0[3] + t.cy[3] * fy;
  const float ur = t.u0 + t.uy * fy, vr = t.v0 + t.vy * fy, wr = t.w0 + t.wy * fy;
  const float zr = t.z0 + t.zy * fy;
  const float sr = t.s0[0] + t.sy[0] * fy, sg = t.s0[1] + t.sy[1] * fy, sb = t.s0[2] + t.sy[2] * fy,
              sf = t.s0[3] + t.sy[3] * fy;
  const bool flat = t.flat_rgba;
  const std::uint32_t kr = ToChannel(t.flat_c[0]), kg = ToChannel(t.flat_c[1]), kb = ToChannel(t.flat_c[2]),
                      ka = ToChannel(t.flat_c[3]);
  const std::uint32_t tex_or = dc.tex_alpha_or;
  for (int x = x0; x < x1; ++x) {
    const float fx = static_cast<float>(x);
    if constexpr ((Ext & kExtDepth) != 0)
      if (!DepthFast<Ext>(dc, zrow + x, zr + t.zx * fx)) continue;
    const float w = wr + t.wx * fx;
    const float inv = w != 0.f ? 1.f / w : 0.f;
    std::uint32_t dr = kr, dg = kg, db = kb, da = ka;
    if (!flat) {
      dr = ToChannel((cr + t.cx[0] * fx) * inv), dg = ToChannel((cg + t.cx[1] * fx) * inv),
      db = ToChannel((cb + t.cx[2] * fx) * inv), da = ToChannel((ca + t.cx[3] * fx) * inv);
    }
    Extras e{};
    if constexpr ((Ext & kExtSpecular) != 0) {
      e.sr = ToChannel((sr + t.sx[0] * fx) * inv);
      e.sg = ToChannel((sg + t.sx[1] * fx) * inv);
      e.sb = ToChannel((sb + t.sx[2] * fx) * inv);
    }
    if constexpr ((Ext & kExtFog) != 0) e.fog = ToChannel((sf + t.sx[3] * fx) * inv);
    const float u = (ur + t.ux * fx) * inv, v = (vr + t.vx * fx) * inv;
    // The footprint as the generic routine derives it: from the rhw it
    // interpolates (the reciprocal of 1 / w) back to 1 / w.
    const float rhw = inv != 0.f ? 1.f / inv : 0.f;
    const float k = rhw != 0.f ? 1.f / rhw : 0.f;
    const LevelChoice c =
        ChooseLevel(dc, (t.ux - u * t.wx) * k, (t.vx - v * t.wx) * k, (t.uy - u * t.wy) * k, (t.vy - v * t.wy) * k);
    std::uint32_t s;
    if (c.minify) {
      s = SampleFilter<MinLinear>(dc, *c.level, u, v);
      if (c.level_frac != 0) s = LerpPacked(s, SampleFilter<MinLinear>(dc, *c.level2, u, v), c.level_frac);
    } else {
      s = SampleFilter<MagLinear>(dc, *c.level, u, v);
      if (c.level_frac != 0) s = LerpPacked(s, SampleFilter<MagLinear>(dc, *c.level2, u, v), c.level_frac);
    }
    ShadeFast<3, Alpha, Blend, Ext>(dc, t, dr, dg, db, da, u, v, e, row + x, s | tex_or);
  }
  (void)sr, (void)sg, (void)sb, (void)sf, (void)zr;
}

template <int Tex, int Alpha, int Blend, int Ext>
void FastSpan(const DrawContext& dc, const TriSetup& t, int y, int x0, int x1) {
  // Routines of one texture filter serve only primitives that use it.
  if constexpr (Tex != 0) {
    if (t.lod_per_pixel) {
      // Anisotropic footprints, specular and the additive blends stay generic.
      constexpr bool kLod = (Ext & kExtSpecular) == 0 && (Blend == kBlendOff || Blend == kBlendSrcAlpha);
      if constexpr (kLod) {
        if (dc.anisotropy <= 1) {
          if constexpr (Tex == 1) {
            return LodSpan<false, false, Alpha, Blend, Ext>(dc, t, y, x0, x1);
          } else {
            if (dc.min_linear && dc.mag_linear) return LodSpan<true, true, Alpha, Blend, Ext>(dc, t, y, x0, x1);
            if (dc.min_linear) return LodSpan<true, false, Alpha, Blend, Ext>(dc, t, y, x0, x1);
            return LodSpan<false, true, Alpha, Blend, Ext>(dc, t, y, x0, x1);
          }
        }
      }
      return GenericSpan(dc, t, y, x0, x1);
    }
    const bool linear = t.minify ? dc.min_linear : dc.mag_linear;
    if (linear != (Tex == 2) || t.aniso_n > 1 || t.level_frac != 0) return GenericSpan(dc, t, y, x0, x1);
  }
  if (t.perspective)
    FastLoop<Tex, Alpha, Blend, Ext, true>(dc, t, y, x0, x1);
  else
    FastLoop<Tex, Alpha, Blend, Ext, false>(dc, t, y, x0, x1);
}

// Scattered pixels with the arithmetic of FastLoop, one pixel at a time.
template <int Tex, int Alpha, int Blend, int Ext>
void FastPixels(const DrawContext& dc, const TriSetup& t, const std::int32_t* xy, int count) {
  if constexpr (Tex != 0) {
    const bool linear = t.minify ? dc.min_linear : dc.mag_linear;
    if (linear != (Tex == 2) || t.aniso_n > 1 || t.level_frac != 0 || t.lod_per_pixel)
      return GenericPixels(dc, t, xy, count);
  }
  for (int i = 0; i < count; ++i) {
    const int x = xy[2 * i], y = xy[2 * i + 1];
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    if constexpr ((Ext & kExtDepth) != 0) {
      float* zp = dc.depth + static_cast<std::ptrdiff_t>(y) * dc.depth_pitch + x;
      if (!DepthFast<Ext>(dc, zp, (t.z0 + t.zy * fy) + t.zx * fx)) continue;
    }
    float inv = 1.f;
    if (t.perspective) {
      const float w = (t.w0 + t.wy * fy) + t.wx * fx;
      inv = w != 0.f ? 1.f / w : 0.f;
    }
    float c[4];
    for (int k = 0; k < 4; ++k) c[k] = t.flat_rgba ? t.flat_c[k] : ((t.c0[k] + t.cy[k] * fy) + t.cx[k] * fx) * inv;
    const std::uint32_t dr = ToChannel(c[0]), dg = ToChannel(c[1]), db = ToChannel(c[2]), da = ToChannel(c[3]);
    Extras e{};
    if constexpr ((Ext & kExtSpecular) != 0) {
      e.sr = ToChannel(((t.s0[0] + t.sy[0] * fy) + t.sx[0] * fx) * inv);
      e.sg = ToChannel(((t.s0[1] + t.sy[1] * fy) + t.sx[1] * fx) * inv);
      e.sb = ToChannel(((t.s0[2] + t.sy[2] * fy) + t.sx[2] * fx) * inv);
    }
    if constexpr ((Ext & kExtFog) != 0) e.fog = ToChannel(((t.s0[3] + t.sy[3] * fy) + t.sx[3] * fx) * inv);
    float u = 0.f, v = 0.f;
    if constexpr (Tex != 0) {
      u = ((t.u0 + t.uy * fy) + t.ux * fx) * inv;
      v = ((t.v0 + t.vy * fy) + t.vx * fx) * inv;
    }
    auto* p = reinterpret_cast<std::uint32_t*>(dc.color + static_cast<std::ptrdiff_t>(y) * dc.color_pitch) + x;
    ShadeFast<Tex, Alpha, Blend, Ext>(dc, t, dr, dg, db, da, u, v, e, p);
  }
}

// Whether a texture operation reads D3DTA_TEXTURE through the arguments it uses.
bool OpReadsTexture(DWORD op, DWORD arg1, DWORD arg2) {
  const bool t1 = (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE, t2 = (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  switch (op) {
    case D3DTOP_DISABLE: return false;
    case D3DTOP_SELECTARG1: return t1;
    case D3DTOP_SELECTARG2: return t2;
    default: return t1 || t2;
  }
}

bool IsModulateTexture(const DrawContext& dc) {
  const bool a1t = dc.color_arg1 == D3DTA_TEXTURE && (dc.color_arg2 == D3DTA_DIFFUSE || dc.color_arg2 == D3DTA_CURRENT);
  const bool a2t = dc.color_arg2 == D3DTA_TEXTURE && (dc.color_arg1 == D3DTA_DIFFUSE || dc.color_arg1 == D3DTA_CURRENT);
  return dc.color_op == D3DTOP_MODULATE && (a1t || a2t);
}

// The alpha choice of the fast routines, or -1.
int FastAlpha(const DrawContext& dc) {
  auto is_diffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
  if (dc.alpha_op == D3DTOP_DISABLE) return 1;
  if (dc.alpha_op == D3DTOP_SELECTARG1) {
    if (dc.alpha_arg1 == D3DTA_TEXTURE) return 0;
    if (is_diffuse(dc.alpha_arg1)) return 1;
  }
  if (dc.alpha_op == D3DTOP_SELECTARG2) {
    if (dc.alpha_arg2 == D3DTA_TEXTURE) return 0;
    if (is_diffuse(dc.alpha_arg2)) return 1;
  }
  if (dc.alpha_op == D3DTOP_MODULATE &&
      ((dc.alpha_arg1 == D3DTA_TEXTURE && is_diffuse(dc.alpha_arg2)) ||
       (dc.alpha_arg2 == D3DTA_TEXTURE && is_diffuse(dc.alpha_arg1))))
    return 2;
  return -1;
}

template <int Tex, int Alpha, int Ext>
struct FastRow {
  static constexpr SpanRoutine kSpans[4] = {FastSpan<Tex, Alpha, 0, Ext>, FastSpan<Tex, Alpha, 1, Ext>,
                                            FastSpan<Tex, Alpha, 2, Ext>, FastSpan<Tex, Alpha, 3, Ext>};
  static constexpr PixelListRoutine kPixels[4] = {FastPixels<Tex, Alpha, 0, Ext>, FastPixels<Tex, Alpha, 1, Ext>,
                                                  FastPixels<Tex, Alpha, 2, Ext>, FastPixels<Tex, Alpha, 3, Ext>};
};

template <int Tex, int Ext>
SpanRoutine PickFastExt(int alpha, int blend, PixelListRoutine* pixels) {
  static constexpr const SpanRoutine* kSpans[3] = {FastRow<Tex, 0, Ext>::kSpans, FastRow<Tex, 1, Ext>::kSpans,
                                                   FastRow<Tex, 2, Ext>::kSpans};
  static constexpr const PixelListRoutine* kPixels[3] = {FastRow<Tex, 0, Ext>::kPixels, FastRow<Tex, 1, Ext>::kPixels,
                                                         FastRow<Tex, 2, Ext>::kPixels};
  *pixels = kPixels[alpha][blend];
  return kSpans[alpha][blend];
}

template <int Tex>
SpanRoutine PickFast(int alpha, int blend, int ext, PixelListRoutine* pixels) {
  switch (ext) {
    case 0: return PickFastExt<Tex, 0>(alpha, blend, pixels);
    case 1: return PickFastExt<Tex, 1>(alpha, blend, pixels);
    case 2: return PickFastExt<Tex, 2>(alpha, blend, pixels);
    case 3: return PickFastExt<Tex, 3>(alpha, blend, pixels);
    case 4: return PickFastExt<Tex, 4>(alpha, blend, pixels);
    case 5: return PickFastExt<Tex, 5>(alpha, blend, pixels);
    case 6: return PickFastExt<Tex, 6>(alpha, blend, pixels);
    default: return PickFastExt<Tex, 7>(alpha, blend, pixels);
  }
}

}  // namespace

SpanRoutine GenericSpanRoutine() { return GenericSpan; }
PixelListRoutine GenericPixelListRoutine() { return GenericPixels; }

SpanRoutine SelectSpanRoutine(DrawContext& dc) {
  if (!dc.textured) {
    // A stage that reads its texture with none bound passes the current
    // colour (the diffuse colour at stage 0) through, for colour and alpha
    // separately.
    if (OpReadsTexture(dc.color_op, dc.color_arg1, dc.color_arg2))
      dc.color_op = D3DTOP_SELECTARG1, dc.color_arg1 = D3DTA_CURRENT;
    if (OpReadsTexture(dc.alpha_op, dc.alpha_arg1, dc.alpha_arg2))
      dc.alpha_op = D3DTOP_SELECTARG1, dc.alpha_arg1 = D3DTA_CURRENT;
  }
  PixelKey k{};
  k.texture = dc.textured ? (dc.mag_linear || dc.min_linear ? 2 : 1) : 0;
  const auto plain_address = [](DWORD m) { return m == D3DTADDRESS_WRAP || m == D3DTADDRESS_CLAMP; };
  // Depth, vertex fog and specular have specialised routines; table fog,
  // stencil, alpha test and write masks go generic.
  bool fast = dc.color_format != D3DFMT_R5G6B5 && !dc.alpha_test && (dc.color_write & 0xf) == 0xf && !dc.stencil &&
              !(dc.fog && dc.table_fog != D3DFOG_NONE);
  if (dc.textured) fast = fast && plain_address(dc.address_u) && plain_address(dc.address_v);
  int ext = 0;
  if (dc.depth && (dc.z_test || dc.z_write)) ext |= kExtDepth;
  if (dc.fog) ext |= kExtFog;
  if (dc.specular) ext |= kExtSpecular;
  k.extras = static_cast<std::uint8_t>(ext);
  if (dc.blend) {
    // The blends with their own routines, all adding.
    int kind = -1;
    if (dc.blend_op == D3DBLENDOP_ADD) {
      if (dc.src_blend == D3DBLEND_SRCALPHA && dc.dest_blend == D3DBLEND_INVSRCALPHA) kind = kBlendSrcAlpha;
      if (dc.src_blend == D3DBLEND_SRCALPHA && dc.dest_blend == D3DBLEND_ONE) kind = kBlendSrcAlphaOne;
      if (dc.src_blend == D3DBLEND_ONE && dc.dest_blend == D3DBLEND_ONE) kind = kBlendOneOne;
    }
    fast = fast && kind >= 0;
    k.blend = static_cast<std::uint8_t>(kind < 0 ? kBlendSrcAlpha : kind);
  }
  int alpha = 1;
  if (dc.textured) {
    alpha = FastAlpha(dc);
    fast = fast && IsModulateTexture(dc) && alpha >= 0;
  } else {
    // A stage reading a texture that is not there has become a plain
    // selection of the current colour: only the diffuse colour and alpha
    // reach the fast routines.
    const auto is_diffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
    const bool colour_ok = dc.color_op == D3DTOP_DISABLE || (dc.color_op == D3DTOP_SELECTARG1 && is_diffuse(dc.color_arg1)) ||
                           (dc.color_op == D3DTOP_SELECTARG2 && is_diffuse(dc.color_arg2));
    fast = fast && colour_ok && FastAlpha(dc) == 1;
    alpha = 1;
  }
  k.alpha = static_cast<std::uint8_t>(alpha < 0 ? 0 : alpha);
  k.generic = fast ? 0 : 1;
  dc.key = k;
  dc.pixels = GenericPixels;
  if (!fast) return GenericSpan;
  switch (k.texture) {
    case 0:
      return PickFast<0>(k.alpha, k.blend, ext, &dc.pixels);
    case 1:
      return PickFast<1>(k.alpha, k.blend, ext, &dc.pixels);
    default:
      return PickFast<2>(k.alpha, k.blend, ext, &dc.pixels);
  }
}

}  // namespace d3d9_impl
