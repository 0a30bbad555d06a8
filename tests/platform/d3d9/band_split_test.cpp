// The deferred device rasterizes each primitive once per band of rows it
// reaches, with the clip rectangle cut to the band. A primitive drawn band
// by band must paint exactly the pixels it paints whole: none twice (the
// blend below would show it), none lost at a band's edge.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/d3d9/raster/pixel_stage.h"
#include "platform/d3d9/raster/rasterizer.h"

namespace d3d9_impl {
namespace {

constexpr int kW = 96, kH = 160;

struct Target {
  std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kW * kH, 0xff000000u);
  DrawContext dc;
  Target() {
    dc.clip_x0 = dc.clip_y0 = 0;
    dc.clip_x1 = kW, dc.clip_y1 = kH;
    dc.cull = D3DCULL_NONE;
    dc.color = reinterpret_cast<std::uint8_t*>(pixels.data());
    dc.color_pitch = kW * 4;
    dc.color_format = D3DFMT_X8R8G8B8;
    // Additive blending: a pixel painted twice comes out brighter.
    dc.blend = true;
    dc.src_blend = D3DBLEND_SRCALPHA;
    dc.dest_blend = D3DBLEND_ONE;
    dc.span = SelectSpanRoutine(dc);
  }
};

PVertex Vertex(float x, float y, float size, std::uint32_t seed) {
  PVertex p{};
  p.x = x, p.y = y, p.z = 0.5f, p.rhw = 1.f, p.psize = size;
  p.c[0] = static_cast<float>(seed & 0xff), p.c[1] = static_cast<float>((seed >> 8) & 0xff);
  p.c[2] = static_cast<float>((seed >> 16) & 0xff), p.c[3] = 64.f;
  p.s[3] = 255.f;
  return p;
}

// Draws primitive `k` of a seeded set into `t`, whole or in bands of
// `band` rows.
void Draw(Target& t, int k, int band) {
  std::mt19937 r(static_cast<std::uint32_t>(k) * 7919u + 3u);
  auto f = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(r); };
  const int kind = k % 3;
  // Long, steep and shallow lines; thin slivers and big triangles; points
  // of several sizes, some reaching over the target's edges.
  const PVertex a = Vertex(f(-40, kW + 40), f(-40, kH + 40), f(1, 9), r());
  PVertex b = Vertex(f(-40, kW + 40), f(-40, kH + 40), 1, r());
  if (k % 7 == 1) b.y = a.y + f(-0.6f, 0.6f);  // nearly horizontal
  if (k % 7 == 2) b.x = a.x + f(-0.6f, 0.6f);  // nearly vertical
  const PVertex c = Vertex(f(-40, kW + 40), f(-40, kH + 40), 1, r());
  for (int y0 = band ? 0 : t.dc.clip_y0; y0 < kH; y0 += band ? band : kH) {
    DrawContext dc = t.dc;
    if (band) dc.clip_y0 = y0, dc.clip_y1 = std::min(kH, y0 + band);
    if (kind == 0) DrawLine(dc, a, b);
    if (kind == 1) DrawTriangle(dc, a, b, c);
    if (kind == 2) DrawPoint(dc, a);
  }
}

TEST(BandSplitTest, PrimitivesDrawnBandByBandPaintTheirPixelsOnce) {
  for (const int band : {32, 7, 1}) {
    for (int k = 0; k < 240; ++k) {
      Target whole, split;
      Draw(whole, k, 0);
      Draw(split, k, band);
      ASSERT_EQ(whole.pixels, split.pixels) << "primitive " << k << " in bands of " << band << " rows";
    }
  }
}

}  // namespace
}  // namespace d3d9_impl
