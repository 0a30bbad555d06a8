// Scenes, presentation into the window, the views and colour packing, and
// the texture table.
#include <cstring>
#include <fstream>

#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

DWORD Pixel(HWND hwnd, int x, int y) {
  ClientPixels p{};
  if (!GetClientPixels(hwnd, &p) || x < 0 || y < 0 || x >= p.width || y >= p.height) return 0xDEADBEEF;
  return p.data[y * p.pitch + x] & 0x00FFFFFFu;
}

// Fills the whole back buffer with one colour through a pre-transformed
// quad of the screen view.
void FillBackBuffer(Vorn& e, D3DCOLOR colour) {
  e.m_pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
}

TEST_F(EngineTest, PackColourRoundsAndClamps) {
  EXPECT_EQ(PackColour(1.0f, 0.5f, 0.0f, 2.0f), 0xFFFF8000u);
  EXPECT_EQ(PackColour(0.001f, -1.0f, 0.999f, 0.5f), 0x800000FFu);
}

TEST_F(EngineTest, BeginSceneTwiceReachesTheDeviceOnce) {
  Vorn& e = StartEngine();
  d3d9_hooks::SetCallTrace(true);
  EXPECT_EQ(e.EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(e.BeginScene(), D3D_OK);
  EXPECT_EQ(e.BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9_hooks::CallCount("BeginScene"), 1u);
  EXPECT_EQ(d3d9_hooks::CallCount("EndScene"), 0u);
  e.ScreenSwap();
  EXPECT_EQ(d3d9_hooks::CallCount("Present"), 0u);
  EXPECT_EQ(CountLines("---ERROR--- : Screenswap during a scene is not allowed"), 1);
  EXPECT_EQ(e.EndScene(), D3D_OK);
  EXPECT_FALSE(e.m_bInScene);
}

TEST_F(EngineTest, SizedSwapWithCopyScalesIntoTheRectangle) {
  Vorn& e = StartEngine();  // 1024 x 768 back buffer, 1024 x 768 window
  FillBackBuffer(e, 0xFF102030);
  e.ScreenSwap(800, 600);
  EXPECT_EQ(Pixel(hwnd_, 0, 0), 0x102030u);
  EXPECT_EQ(Pixel(hwnd_, 799, 599), 0x102030u);
  EXPECT_NE(Pixel(hwnd_, 900, 700), 0x102030u);  // outside the rectangle
  EXPECT_EQ(CountLines("Cannot flip a screen section"), 0);
}

TEST_F(EngineTest, SizedSwapWithFlipPresentsWholeAndWarnsUnlessPainting) {
  Vorn& e = StartEngine();
  e.m_PresentParams.SwapEffect = D3DSWAPEFFECT_FLIP;
  FillBackBuffer(e, 0xFF405060);
  e.ScreenSwap(800, 600);
  EXPECT_EQ(Pixel(hwnd_, 1000, 700), 0x405060u);
  EXPECT_EQ(CountLines("--->>  WARNING  <<--- : Cannot flip a screen section, defaulting to ScreenSwap()"), 1);
  e.m_bPainting = true;
  e.ScreenSwap(800, 600);
  EXPECT_EQ(CountLines("Cannot flip a screen section"), 1);
}

TEST_F(EngineTest, Scaled2DViewSpansTheWholeScreen) {
  Vorn& e = StartEngine();
  e.Set2DView(1.0f, 1.0f, 1.0f);
  const D3DXMATRIX& m = e.m_matOrtho2D;
  EXPECT_FLOAT_EQ(m._11, 1.0f);
  EXPECT_FLOAT_EQ(m._22, 1.0f);
  EXPECT_FLOAT_EQ(m._41, 0.0f);
  FillBackBuffer(e, 0xFF000000);
  e.m_pD3DDevice->SetTexture(0, nullptr);
  Vertex2D line[2] = {{-1.0f, -1.0f, 0.0f, 0xFFFFFFFF, 0, 0}, {1.0f, 1.0f, 0.0f, 0xFFFFFFFF, 0, 0}};
  void* data = nullptr;
  ASSERT_EQ(e.m_p2DVB->Lock(0, sizeof line, &data, 0), D3D_OK);
  std::memcpy(data, line, sizeof line);
  e.m_p2DVB->Unlock();
  e.BeginScene();
  EXPECT_EQ(e.m_pD3DDevice->DrawPrimitive(D3DPT_LINELIST, 0, 1), D3D_OK);
  e.EndScene();
  e.ScreenSwap();
  // Bottom-left to top-right corner of a 1024 x 768 screen: the line runs
  // from (0, 768) to (1024, 0), so with pixel centres at integer
  // coordinates its first pixel is (1, 767) and its last (1023, 1).
  EXPECT_EQ(Pixel(hwnd_, 1, 767), 0xFFFFFFu);
  EXPECT_EQ(Pixel(hwnd_, 1023, 1), 0xFFFFFFu);
  EXPECT_EQ(Pixel(hwnd_, 1023, 767), 0u);
  EXPECT_EQ(Pixel(hwnd_, 512, 384) | Pixel(hwnd_, 511, 384) | Pixel(hwnd_, 512, 383), 0xFFFFFFu);
  EXPECT_EQ(Pixel(hwnd_, 0, 0), 0u);

  // Without the override one unit is one pixel.
  e.Set2DView(1.0f, 0.0f, 1.0f);
  EXPECT_FLOAT_EQ(e.m_matOrtho2D._11, 2.0f / 1024.0f);
  EXPECT_FLOAT_EQ(e.m_matOrtho2D._22, 2.0f / 768.0f);
}

TEST_F(EngineTest, ThreeDViewReusesOrRebuildsTheProjection) {
  Vorn& e = StartEngine();
  e.Set3DView(1.7f, 4.0f / 3.0f);
  EXPECT_FALSE(e.m_b2DViewActive);
  EXPECT_FLOAT_EQ(e.m_fFieldOfView, 1.7f);
  D3DXMATRIX expected;
  D3DXMatrixPerspectiveFovRH(&expected, 1.7f, 4.0f / 3.0f, 0.02f, 2400.0f);
  EXPECT_FLOAT_EQ(e.m_matProjection3D._11, expected._11);
  EXPECT_FLOAT_EQ(e.m_matProjection3D._33, expected._33);
  e.Set3DView(0.0f, 0.0f);
  EXPECT_FLOAT_EQ(e.m_fFieldOfView, 1.7f);
  EXPECT_FLOAT_EQ(e.m_matProjection3D._22, expected._22);
  DWORD fvf = 0;
  e.m_pD3DDevice->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x1D2u);
}

TEST_F(EngineTest, RelativeCoordinatesMapToPixels) {
  Vorn& e = MakeEngine();
  EXPECT_FLOAT_EQ(e.RelativeToPixelX(1.0f), 800.0f);
  EXPECT_FLOAT_EQ(e.RelativeToPixelY(1.0f), 0.0f);
  EXPECT_FLOAT_EQ(e.RelativeToPixelX(-1.0f), 0.0f);
  EXPECT_FLOAT_EQ(e.RelativeToPixelY(-1.0f), 600.0f);
  D3DXVECTOR3 n;
  ComputeFaceNormal(n, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 2, 0), D3DXVECTOR3(2, 0, 0));
  EXPECT_FLOAT_EQ(n.z, -1.0f);  // (p - r) x (q - r) = (-2,0,0) x (-2,2,0)
}

TEST_F(EngineTest, TextureTableRefusesBadSlotsAndAlertsOnce) {
  Vorn& e = StartEngine();
  EXPECT_TRUE(e.LoadTexture("pic1.jpg", 10));
  EXPECT_TRUE(e.LoadTexture("pic1.jpg", -1));
  EXPECT_EQ(CountLines("---ERROR--- : Texture index out of range : 10"), 1);
  EXPECT_EQ(CountLines("---ERROR--- : Texture index out of range : -1"), 1);
  g_answers = {IDCANCEL};
  EXPECT_TRUE(e.LoadTexture("pic1.jpg", 0));  // the font is there
  EXPECT_TRUE(e.LoadTexture("pic1.jpg", 0));
  EXPECT_EQ(CountLines("Texture 0 already assigned."), 2);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, "Vornel::LoadTexture(char *file,int index)");
  EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONEXCLAMATION));
  // A second TextureBuffers leaves the table alone.
  IDirect3DTexture9* font = e.m_pTextures[0];
  e.TextureBuffers();
  EXPECT_EQ(e.m_pTextures[0], font);
}

TEST_F(EngineTest, LoadsScaleToTheAskedSizeAndReportFailuresByName) {
  Vorn& e = StartEngine();
  {
    std::ofstream bad("broken.jpg", std::ios::binary);
    bad << "not a picture at all";
  }
  EXPECT_TRUE(e.LoadTexture("broken.jpg", 7));
  EXPECT_EQ(CountLines("LoadTexture(broken.jpg) INVALIDDATA"), 1);
  EXPECT_EQ(e.m_pTextures[7], nullptr);
  // Save the font as a bitmap and load it back at another size.
  ASSERT_EQ(D3DXSaveTextureToFileA("font.bmp", D3DXIFF_BMP, e.m_pTextures[0], nullptr), D3D_OK);
  EXPECT_FALSE(e.LoadTexture("font.bmp", 7, 64, 32));
  D3DSURFACE_DESC d{};
  e.m_pTextures[7]->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Width, 64u);
  EXPECT_EQ(d.Height, 32u);
  EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
  e.ReleaseTexture(7);
  EXPECT_EQ(e.m_pTextures[7], nullptr);
  e.ReleaseTexture(42);  // outside the table: nothing happens
}

TEST_F(EngineTest, MissingWorkingTextureFallsBackToTheDefaultBitmap) {
  Vorn& e = StartEngine();
  EXPECT_TRUE(e.LoadTexture());
  EXPECT_EQ(CountLines("Loading default bitmap!!! Vorn::LoadTexture(bitmaps\\grass.jpg,int,rez)"), 1);
  EXPECT_STREQ(g_WorkingTextureFile, "bitmaps\\grass.jpg");
  // Every later call tries the default bitmap first.
  std::filesystem::create_directories("Bitmaps");
  ASSERT_EQ(D3DXSaveTextureToFileA("Bitmaps/Grass.jpg", D3DXIFF_BMP, e.m_pTextures[0], nullptr), D3D_OK);
  e.ReleaseTexture(6);
  EXPECT_FALSE(e.LoadTexture());
  D3DSURFACE_DESC d{};
  e.m_pTextures[6]->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Width, 48u);
}

}  // namespace
}  // namespace engine_test
