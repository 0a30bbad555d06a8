// What the 3D tests put on the screen: textured variants show their
// picture, the lit grid carries a specular highlight that moves, and the
// states the 3D tests leave behind do not hide later 2D drawing.
#include <vector>

#include "tests/app/cases/cases_3d_fixture.h"

namespace app_test {
namespace {

struct Picture {
  std::vector<DWORD> pixels;
  int width = 0, height = 0;
};

Picture Presented(HWND hwnd) {
  Picture p;
  ClientPixels c{};
  if (!GetClientPixels(hwnd, &c)) return p;
  p.width = c.width;
  p.height = c.height;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) p.pixels.push_back(c.data[y * c.pitch + x] & 0x00FFFFFFu);
  return p;
}

int Red(DWORD c) { return static_cast<int>((c >> 16) & 0xFF); }
int Green(DWORD c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(DWORD c) { return static_cast<int>(c & 0xFF); }

// Pixels of the green test picture modulated by a vertex colour: no red,
// no blue, some green.
int PicturePixels(const Picture& p) {
  int n = 0;
  for (DWORD c : p.pixels) n += Red(c) == 0 && Blue(c) == 0 && Green(c) > 16;
  return n;
}

// Over the green picture only the specular highlight adds red: its weight
// and its centre.
struct Highlight {
  long weight = 0;
  double x = 0, y = 0;
};
Highlight FindHighlight(const Picture& p) {
  Highlight h;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const int r = Red(p.pixels[static_cast<std::size_t>(y * p.width + x)]);
      h.weight += r;
      h.x += static_cast<double>(x) * r;
      h.y += static_cast<double>(y) * r;
    }
  if (h.weight > 0) h.x /= h.weight, h.y /= h.weight;
  return h;
}

TEST_F(Tests3DTest, TexturedVariantsShowTheirPicture) {
  for (UINT id : {kImmediatePolys[1], kImmediatePolys[3], kRenderPolys[1], kRenderPolys[3]}) {
    SCOPED_TRACE(id);
    Select(id);
    Frame();
    EXPECT_GT(PicturePixels(Presented(hwnd_)), 5000);
  }
  // The plain grid's cells have colours of their own.
  Select(kImmediatePolys[0]);
  Frame();
  EXPECT_LT(PicturePixels(Presented(hwnd_)), 500);
}

TEST_F(Tests3DTest, TheLitGridCarriesAHighlightThatMoves) {
  for (UINT id : {kImmediatePolys[3], kRenderPolys[3]}) {
    SCOPED_TRACE(id);
    Select(id);
    Frame();
    Frame(0);
    const Highlight first = FindHighlight(Presented(hwnd_));
    Frame(1200);
    Frame(0);
    const Highlight later = FindHighlight(Presented(hwnd_));
    EXPECT_GT(first.weight, 255 * 50);
    EXPECT_GT(later.weight, 255 * 50);
    EXPECT_GT(std::hypot(later.x - first.x, later.y - first.y), 5.0);
  }
}

TEST_F(Tests3DTest, TwoDDrawingStillShowsAfterEveryThreeDTest) {
  std::vector<UINT> ids = {kPoints, kImmediateLines, kRenderLines, kSprites};
  for (int i = 0; i < 5; ++i) ids.push_back(kImmediatePolys[i]);
  for (int i = 2; i < 5; ++i) ids.push_back(kRenderPolys[i]);
  Vorn& e = g_Engine;
  for (UINT id : ids) {
    SCOPED_TRACE(id);
    Select(id);
    Frame();
    // A 2D frame as the 2D tests draw one, over whatever the 3D test left.
    e.Set2DView(1.0f, 1.0f, 1.0f);
    e.m_pD3DDevice->SetTexture(0, nullptr);
    e.BeginScene();
    e.DrawBar(-0.25f, -0.25f, 0.25f, 0.25f, 1.0f, 0.5f, 0.0f, 1.0f);
    e.DrawLine(-1.0f, 0.75f, 1.0f, 0.75f, 0.0f, 0.5f, 1.0f, 1.0f);
    e.EndScene();
    e.ScreenSwap(1024, 768);
    EXPECT_EQ(Pixel(512, 384), 0xFF8000u);
    EXPECT_EQ(Pixel(100, 96), 0x0080FFu);
  }
}

}  // namespace
}  // namespace app_test
