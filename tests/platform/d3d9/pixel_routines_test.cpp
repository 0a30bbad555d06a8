// The specialised span routines against the generic one: the same spans of
// the same primitives, in every state the fast routines claim, give the
// same pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9/raster/pixel_stage.h"
#include "platform/d3d9/raster/rasterizer.h"
#include "platform/d3d9/raster/simd_spans.h"

namespace d3d9_impl {
namespace {

struct Scene {
  std::vector<std::uint32_t> target;
  std::vector<std::uint32_t> texels;
  DrawContext dc;
};

Scene MakeScene() {
  Scene s;
  s.target.assign(32 * 32, 0x80402010u);
  for (int i = 0; i < 32 * 32; ++i) s.target[i] += static_cast<std::uint32_t>(i * 2654435761u) & 0x3f3f3f3fu;
  s.texels.resize(16 * 16);
  for (int i = 0; i < 16 * 16; ++i) s.texels[i] = static_cast<std::uint32_t>(i) * 2246822519u;
  DrawContext& dc = s.dc;
  dc.clip_x0 = dc.clip_y0 = 0;
  dc.clip_x1 = dc.clip_y1 = 32;
  dc.cull = D3DCULL_NONE;
  dc.color = reinterpret_cast<std::uint8_t*>(s.target.data());
  dc.color_pitch = 32 * 4;
  dc.color_format = D3DFMT_A8R8G8B8;
  dc.levels[0] = {s.texels.data(), 16, 16, 16};
  dc.level_count = 1;
  return s;
}

// Runs `body` with the eight-pixel AVX2 routines off, then on where the
// processor has them; leaves them on as the device starts.
template <class Body>
void WithEachSimdWidth(Body body) {
  for (bool avx2 : {false, true}) {
    SetAvx2SpansEnabled(avx2);
    if (avx2 && !Avx2SpansEnabled()) break;  // the processor has no AVX2
    body(avx2);
  }
  SetAvx2SpansEnabled(true);
}

void DrawSome(const DrawContext& dc) {
  auto v = [](float x, float y, float rhw, std::uint32_t c, float u, float vv) {
    PVertex p{};
    p.x = x, p.y = y, p.z = 0.5f, p.rhw = rhw;
    p.c[0] = static_cast<float>((c >> 16) & 0xff), p.c[1] = static_cast<float>((c >> 8) & 0xff);
    p.c[2] = static_cast<float>(c & 0xff), p.c[3] = static_cast<float>(c >> 24);
    p.u = u, p.v = vv, p.psize = 1.f;
    // Specular and fog factor vary with the colour, depth with position.
    p.s[0] = static_cast<float>(c & 0x7f), p.s[1] = static_cast<float>((c >> 9) & 0x7f);
    p.s[2] = static_cast<float>((c >> 17) & 0x7f), p.s[3] = static_cast<float>((c >> 3) & 0xff);
    p.z = 0.2f + 0.02f * x - 0.01f * y;
    return p;
  };
  DrawTriangle(dc, v(0.3f, 0.7f, 1.f, 0xff20c040u, -0.2f, 0.1f), v(31.2f, 3.1f, 1.f, 0x80ff0000u, 1.7f, -0.3f),
               v(5.5f, 29.9f, 1.f, 0x10ffffffu, 0.4f, 2.2f));
  DrawTriangle(dc, v(2.f, 30.f, 0.25f, 0xffffffffu, 0.f, 0.f), v(30.f, 28.f, 1.f, 0x40102030u, 3.f, 0.f),
               v(29.f, 2.f, 0.5f, 0xc0a0b0c0u, 3.f, 3.f));
  // One colour at every vertex under perspective: the constant-colour path.
  DrawTriangle(dc, v(4.f, 4.f, 0.3f, 0xc0408020u, 0.f, 0.f), v(28.f, 6.f, 1.f, 0xc0408020u, 2.f, 0.f),
               v(10.f, 27.f, 0.6f, 0xc0408020u, 0.f, 2.f));
  // One colour without perspective: the four-pixel routines, with texture
  // coordinates outside [0, 1] (wrapped or clamped), by white and by a
  // colour, and far outside (the scalar fallback).
  DrawTriangle(dc, v(0.5f, 1.f, 1.f, 0xa0c08040u, -1.3f, -0.7f), v(31.5f, 2.f, 1.f, 0xa0c08040u, 2.6f, 0.4f),
               v(3.f, 31.f, 1.f, 0xa0c08040u, 0.2f, 3.1f));
  DrawTriangle(dc, v(30.f, 31.f, 1.f, 0xffffffffu, 0.1f, 0.9f), v(1.f, 20.f, 1.f, 0xffffffffu, 0.9f, 0.3f),
               v(25.f, 3.f, 1.f, 0xffffffffu, -0.4f, 0.f));
  DrawTriangle(dc, v(0.f, 10.f, 1.f, 0x60ffffffu, -3.0e8f, 1.f), v(32.f, 12.f, 1.f, 0x60ffffffu, 3.0e8f, 2.f),
               v(16.f, 16.f, 1.f, 0x60ffffffu, 0.f, 1.5f));
  DrawLine(dc, v(1.f, 1.f, 1.f, 0xffff00ffu, 0.f, 0.f), v(30.f, 20.f, 1.f, 0x0000ff00u, 1.f, 1.f));
}

TEST(PixelRoutines, FastRoutinesMatchTheGenericOne) {
  int fast_seen = 0;
  // The whole target, or a clip rectangle whose edges cut groups of eight.
  WithEachSimdWidth([&](bool avx2) {
  for (int clip = 0; clip < 2; ++clip)
  for (int textured = 0; textured < 2; ++textured)
    for (int linear = 0; linear < 2; ++linear)
      for (int wrap = 0; wrap < 2; ++wrap)
        for (int alpha = 0; alpha < 3; ++alpha)
          for (int blend = 0; blend < 4; ++blend)  // off, SRCALPHA / INVSRCALPHA, SRCALPHA / ONE, ONE / ONE
            for (int xrgb = 0; xrgb < 2; ++xrgb) {
              Scene fast = MakeScene();
              DrawContext& dc = fast.dc;
              dc.textured = textured != 0;
              dc.mag_linear = dc.min_linear = linear != 0;
              dc.wrap_u = dc.wrap_v = wrap != 0;
              dc.address_u = dc.address_v = wrap ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
              dc.color_format = xrgb ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8;
              dc.color_alpha_or = xrgb ? 0xff000000u : 0u;
              dc.tex_alpha_or = xrgb ? 0xff000000u : 0u;
              dc.color_op = D3DTOP_MODULATE;
              dc.color_arg1 = D3DTA_TEXTURE;
              dc.color_arg2 = D3DTA_DIFFUSE;
              dc.alpha_op = alpha == 2 ? D3DTOP_MODULATE : D3DTOP_SELECTARG1;
              dc.alpha_arg1 = alpha == 1 ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
              dc.alpha_arg2 = D3DTA_DIFFUSE;
              dc.blend = blend != 0;
              dc.src_blend = blend == 3 ? D3DBLEND_ONE : D3DBLEND_SRCALPHA;
              dc.dest_blend = blend >= 2 ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA;
              if (clip) dc.clip_x0 = 3, dc.clip_x1 = 27, dc.clip_y1 = 30;
              dc.span = SelectSpanRoutine(dc);
              fast_seen += dc.key.generic == 0;
              Scene generic = MakeScene();
              generic.dc = dc;
              generic.dc.color = reinterpret_cast<std::uint8_t*>(generic.target.data());
              generic.dc.levels[0] = {generic.texels.data(), 16, 16, 16};
              generic.dc.span = GenericSpanRoutine();
              generic.dc.pixels = GenericPixelListRoutine();
              DrawSome(dc);
              DrawSome(generic.dc);
              ASSERT_EQ(fast.target, generic.target)
                  << avx2 << clip << textured << linear << wrap << alpha << blend << xrgb;
            }
  });
  EXPECT_GE(fast_seen, 80 * 2 * (Avx2SpansEnabled() ? 2 : 1));  // the fast routines did take these states
}

// A mip chain of 64 x 64 down to 1 x 1, each level its own colour with a
// texel pattern on top, so the level and the filter chosen show in every
// pixel.
std::vector<std::uint32_t> ColouredChain(DrawContext* dc) {
  static constexpr std::uint32_t kColours[7] = {0xff2040e0u, 0xc0e02040u, 0x8040e020u, 0xffe0e020u,
                                                0x6020e0e0u, 0xffe020e0u, 0xa0808080u};
  std::vector<std::uint32_t> texels;
  std::vector<std::size_t> starts;
  for (int l = 0, size = 64; size >= 1; ++l, size /= 2) {
    starts.push_back(texels.size());
    for (int i = 0; i < size * size; ++i)
      texels.push_back(kColours[l] ^ (static_cast<std::uint32_t>(i * 2654435761u) & 0x1f1f1f1fu));
  }
  dc->level_count = 7;
  for (int l = 0, size = 64; l < 7; ++l, size /= 2) dc->levels[l] = {texels.data() + starts[l], size, size, size};
  return texels;  // the vector's buffer moves with it, so the pointers stay valid
}

// Floors receding into the distance: rhw falls from near to far, from
// magnified texels at the front to the smallest levels at the back, over
// wrapped or clamped coordinates and colours that vary or not.
void DrawReceding(const DrawContext& dc) {
  auto v = [](float x, float y, float rhw, std::uint32_t c, float u, float vv) {
    PVertex p{};
    p.x = x, p.y = y, p.rhw = rhw;
    p.c[0] = static_cast<float>((c >> 16) & 0xff), p.c[1] = static_cast<float>((c >> 8) & 0xff);
    p.c[2] = static_cast<float>(c & 0xff), p.c[3] = static_cast<float>(c >> 24);
    p.u = u, p.v = vv, p.psize = 1.f;
    p.s[3] = static_cast<float>((c >> 3) & 0xff);
    p.z = 1.f - 0.9f * rhw;
    return p;
  };
  DrawTriangle(dc, v(-20.f, 31.5f, 1.f, 0xffffffffu, 0.f, 0.f), v(52.f, 31.5f, 1.f, 0xff80c0ffu, 2.f, 0.f),
               v(16.f, 0.5f, 0.02f, 0x40ff8020u, 1.f, 40.f));
  DrawTriangle(dc, v(0.f, 32.f, 1.f, 0xc0408020u, 0.f, 0.f), v(32.f, 32.f, 0.9f, 0xc0408020u, 0.3f, 0.f),
               v(31.f, 2.f, 0.05f, 0xc0408020u, 0.3f, 6.f));
  DrawTriangle(dc, v(1.f, 1.f, 0.1f, 0x80a0b0c0u, -3.f, -2.f), v(30.f, 4.f, 0.08f, 0xfff0f0f0u, 5.f, -2.f),
               v(2.f, 30.f, 1.f, 0x2030c0f0u, 0.1f, 0.2f));
}

TEST(PixelRoutines, PerPixelLevelRoutinesMatchTheGenericOne) {
  int fast_seen = 0;
  for (int filters = 0; filters < 4; ++filters)  // min linear (1), mag linear (2)
    for (int mip = 0; mip < 3; ++mip)            // none, point, linear
      for (int alpha = 0; alpha < 3; ++alpha)
        for (int blend = 0; blend < 2; ++blend)
          for (int ext = 0; ext < 4; ++ext)  // depth (1), vertex fog (2)
            for (int wrap = 0; wrap < 2; ++wrap) {
              std::vector<float> zf(32 * 32), zg(32 * 32);
              for (int i = 0; i < 32 * 32; ++i) zf[i] = zg[i] = 0.4f + static_cast<float>((i * 37) % 101) / 150.f;
              Scene fast = MakeScene();
              DrawContext& dc = fast.dc;
              const std::vector<std::uint32_t> chain = ColouredChain(&dc);
              dc.textured = true;
              dc.min_linear = (filters & 1) != 0;
              dc.mag_linear = (filters & 2) != 0;
              dc.mip = mip != 0;
              dc.mip_linear = mip == 2;
              dc.wrap_u = dc.wrap_v = wrap != 0;
              dc.address_u = dc.address_v = wrap ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
              dc.color_op = D3DTOP_MODULATE;
              dc.color_arg1 = D3DTA_TEXTURE;
              dc.color_arg2 = D3DTA_DIFFUSE;
              dc.alpha_op = alpha == 2 ? D3DTOP_MODULATE : D3DTOP_SELECTARG1;
              dc.alpha_arg1 = alpha == 1 ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
              dc.alpha_arg2 = D3DTA_DIFFUSE;
              dc.blend = blend != 0;
              dc.src_blend = D3DBLEND_SRCALPHA;
              dc.dest_blend = D3DBLEND_INVSRCALPHA;
              if (ext & 1) {
                dc.depth = zf.data(), dc.depth_pitch = 32;
                dc.z_test = true, dc.z_write = true, dc.z_func = D3DCMP_LESSEQUAL;
              }
              dc.fog = (ext & 2) != 0;
              dc.fog_color = 0xff3060f0u;
              dc.interp_specular = dc.fog;
              dc.span = SelectSpanRoutine(dc);
              fast_seen += dc.key.generic == 0;
              Scene generic = MakeScene();
              generic.dc = dc;
              generic.dc.color = reinterpret_cast<std::uint8_t*>(generic.target.data());
              if (ext & 1) generic.dc.depth = zg.data();
              generic.dc.span = GenericSpanRoutine();
              generic.dc.pixels = GenericPixelListRoutine();
              DrawReceding(dc);
              DrawReceding(generic.dc);
              ASSERT_EQ(fast.target, generic.target) << filters << mip << alpha << blend << ext << wrap;
              ASSERT_EQ(zf, zg) << filters << mip << alpha << blend << ext << wrap;
            }
  EXPECT_EQ(fast_seen, 4 * 3 * 3 * 2 * 4 * 2);
}

TEST(PixelRoutines, RecedingFloorsUseSeveralLevels) {
  // The comparison above means something only if the floors reach into
  // several levels: count the level colours that show.
  Scene s = MakeScene();
  const std::vector<std::uint32_t> chain = ColouredChain(&s.dc);
  s.dc.textured = true;
  s.dc.mip = true;
  s.dc.color_op = D3DTOP_SELECTARG1;
  s.dc.alpha_op = D3DTOP_SELECTARG1;
  s.dc.span = SelectSpanRoutine(s.dc);
  DrawReceding(s.dc);
  bool seen[7] = {};
  for (std::uint32_t c : s.target)
    for (int l = 0; l < 7; ++l)
      if (((c ^ (s.dc.levels[l].texels[0] & 0xe0e0e0e0u)) & 0xe0e0e0e0u) == 0) seen[l] = true;
  int levels = 0;
  for (bool b : seen) levels += b;
  EXPECT_GE(levels, 4);
}

TEST(PixelRoutines, StatesOutsideTheFastPathsGoGeneric) {
  Scene s = MakeScene();
  s.dc.textured = true;
  s.dc.color_op = D3DTOP_ADD;
  s.dc.color_arg1 = D3DTA_TEXTURE;
  s.dc.color_arg2 = D3DTA_DIFFUSE;
  EXPECT_EQ(SelectSpanRoutine(s.dc), GenericSpanRoutine());
  s.dc.color_op = D3DTOP_MODULATE;
  EXPECT_NE(SelectSpanRoutine(s.dc), GenericSpanRoutine());
  s.dc.alpha_test = true;
  EXPECT_EQ(SelectSpanRoutine(s.dc), GenericSpanRoutine());
  s.dc.alpha_test = false;
  s.dc.color_format = D3DFMT_R5G6B5;
  EXPECT_EQ(SelectSpanRoutine(s.dc), GenericSpanRoutine());
}

TEST(PixelRoutines, DepthFogAndSpecularRoutinesMatchTheGenericOne) {
  int fast_seen = 0, runs = 0;
  WithEachSimdWidth([&](bool avx2) {
  ++runs;
  for (int ext = 0; ext < 8; ++ext)
    for (int textured = 0; textured < 2; ++textured)
      for (int blend = 0; blend < 2; ++blend)
        for (int alpha = 0; alpha < 3; ++alpha)  // from the texture, the diffuse colour, both
          for (int linear = 0; linear < 2; ++linear)
            // Every comparison where the depth routines run, two of them elsewhere.
            for (DWORD func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func) {
              const bool depth_routine = (ext == 1 || ext == 3) && !blend;
              if (!depth_routine && func != D3DCMP_LESSEQUAL && func != D3DCMP_GREATER) continue;
              std::vector<float> zf(32 * 32), zg(32 * 32);
              for (int i = 0; i < 32 * 32; ++i) zf[i] = zg[i] = static_cast<float>((i * 37) % 101) / 100.f;
              Scene fast = MakeScene();
              DrawContext& dc = fast.dc;
              dc.textured = textured != 0;
              dc.mag_linear = dc.min_linear = linear != 0;
              dc.color_op = D3DTOP_MODULATE;
              dc.color_arg1 = D3DTA_TEXTURE;
              dc.color_arg2 = D3DTA_DIFFUSE;
              dc.alpha_op = alpha == 2 ? D3DTOP_MODULATE : D3DTOP_SELECTARG1;
              dc.alpha_arg1 = alpha == 1 ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
              dc.alpha_arg2 = D3DTA_DIFFUSE;
              dc.blend = blend != 0;
              dc.src_blend = D3DBLEND_SRCALPHA;
              dc.dest_blend = D3DBLEND_INVSRCALPHA;
              if (ext & 1) {
                dc.depth = zf.data(), dc.depth_pitch = 32;
                dc.z_test = true, dc.z_write = func <= D3DCMP_LESSEQUAL || func == D3DCMP_NOTEQUAL;
                dc.z_func = func;
              }
              dc.fog = (ext & 2) != 0;
              dc.fog_color = 0xff3060f0u;
              dc.specular = (ext & 4) != 0;
              dc.interp_specular = dc.fog || dc.specular;
              dc.span = SelectSpanRoutine(dc);
              fast_seen += dc.key.generic == 0 && dc.key.extras == ext;
              Scene generic = MakeScene();
              generic.dc = dc;
              generic.dc.color = reinterpret_cast<std::uint8_t*>(generic.target.data());
              generic.dc.levels[0] = {generic.texels.data(), 16, 16, 16};
              if (ext & 1) generic.dc.depth = zg.data();
              generic.dc.span = GenericSpanRoutine();
              generic.dc.pixels = GenericPixelListRoutine();
              DrawSome(dc);
              DrawSome(generic.dc);
              ASSERT_EQ(fast.target, generic.target) << avx2 << ext << textured << blend << alpha << linear << func;
              ASSERT_EQ(zf, zg) << avx2 << ext << textured << blend << alpha << linear << func;
            }
  });
  // Per run: 2 x 3 x 2 states for each ext and blend, eight comparisons
  // where the depth routines run (ext 1 and 3 unblended), two elsewhere.
  EXPECT_EQ(fast_seen, runs * (2 * 3 * 2) * (2 * 8 + 14 * 2));
}

// Textures whose rows are longer than their width and whose sizes differ
// by axis, wrapped (powers of two) or clamped (any size), under random
// triangles of every size, some reaching outside the target: the texel
// addressing and the filters of the four- and eight-pixel routines against
// the generic one, with and without depth and perspective.
TEST(PixelRoutines, OddTexturesUnderRandomTrianglesMatchTheGenericOne) {
  struct Shape {
    int width, height, pitch;
    bool wrap;
  };
  const Shape shapes[] = {{16, 4, 24, true}, {2, 32, 3, true}, {5, 3, 7, false}, {1, 1, 1, false}};
  int fast_seen = 0;
  WithEachSimdWidth([&](bool avx2) {
    for (const Shape& shape : shapes)
      for (int linear = 0; linear < 2; ++linear)
        for (int state = 0; state < 5; ++state) {  // blends 0..3 without depth; depth, fog and perspective
          std::vector<std::uint32_t> texels(static_cast<std::size_t>(shape.pitch * shape.height));
          for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint32_t>(i * 2654435761u);
          std::vector<float> zf(32 * 32, 0.6f), zg(32 * 32, 0.6f);
          Scene fast = MakeScene();
          DrawContext& dc = fast.dc;
          dc.textured = true;
          dc.levels[0] = {texels.data(), shape.pitch, shape.width, shape.height};
          dc.mag_linear = dc.min_linear = linear != 0;
          dc.wrap_u = dc.wrap_v = shape.wrap;
          dc.address_u = dc.address_v = shape.wrap ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
          dc.alpha_op = D3DTOP_MODULATE;
          dc.alpha_arg1 = D3DTA_TEXTURE;
          dc.alpha_arg2 = D3DTA_DIFFUSE;
          const bool depth = state == 4;
          dc.blend = !depth && state != 0;
          dc.src_blend = state == 3 ? D3DBLEND_ONE : D3DBLEND_SRCALPHA;
          dc.dest_blend = state >= 2 ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA;
          if (depth) {
            dc.depth = zf.data(), dc.depth_pitch = 32;
            dc.z_test = dc.z_write = true;
            dc.fog = dc.interp_specular = true;
            dc.fog_color = 0xff3060f0u;
          }
          dc.span = SelectSpanRoutine(dc);
          fast_seen += dc.key.generic == 0;
          Scene generic = MakeScene();
          generic.dc = dc;
          generic.dc.color = reinterpret_cast<std::uint8_t*>(generic.target.data());
          if (depth) generic.dc.depth = zg.data();
          generic.dc.span = GenericSpanRoutine();
          generic.dc.pixels = GenericPixelListRoutine();
          std::uint32_t seed = 12345;
          auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
          auto coord = [&](float lo, float hi) { return lo + (hi - lo) * static_cast<float>(next() >> 8) / 16777216.f; };
          for (int i = 0; i < 30; ++i) {
            PVertex v[3];
            // One colour per triangle without depth (the one-colour routine), per vertex with it.
            const std::uint32_t flat = next() | 0x20000000u;
            for (PVertex& p : v) {
              p = {};
              p.x = coord(-6.f, 38.f), p.y = coord(-6.f, 38.f), p.z = coord(0.f, 1.f);
              p.rhw = depth ? coord(0.1f, 1.f) : 1.f;
              const std::uint32_t c = depth ? next() : flat;
              for (int k = 0; k < 4; ++k) p.c[k] = static_cast<float>((c >> (8 * k)) & 0xff);
              p.s[3] = coord(0.f, 255.f);
              p.u = coord(-2.f, 3.f), p.v = coord(-2.f, 3.f), p.psize = 1.f;
            }
            DrawTriangle(dc, v[0], v[1], v[2]);
            DrawTriangle(generic.dc, v[0], v[1], v[2]);
          }
          ASSERT_EQ(fast.target, generic.target) << avx2 << shape.width << "x" << shape.height << linear << state;
          ASSERT_EQ(zf, zg) << avx2 << shape.width << "x" << shape.height << linear << state;
        }
  });
  EXPECT_GE(fast_seen, 4 * 2 * 5);
}

}  // namespace
}  // namespace d3d9_impl
