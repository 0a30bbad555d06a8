// Immediate 2D primitives and prepared lists: capacities, what reaches the
// device, view switches, relative coordinates and pixels.
#include <algorithm>
#include <cstring>

#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

DWORD Pixel(HWND hwnd, int x, int y) {
  ClientPixels p{};
  if (!GetClientPixels(hwnd, &p) || x < 0 || y < 0 || x >= p.width || y >= p.height) return 0xDEADBEEF;
  return p.data[y * p.pitch + x] & 0x00FFFFFFu;
}

// A Render record with 2D and screen lists of the given capacity.
struct List {
  explicit List(int capacity, Vorn* engine = nullptr) {
    r = Render{};
    r.max2D = r.maxScreen = capacity;
    r.verts2D = new Vertex2D[capacity + 1]();
    r.vertsScreen = new VertexScreen[capacity + 1]();
    r.engine = engine;
  }
  ~List() { r.Free(); }
  Render r;
};

std::vector<std::string> Calls(const std::string& method) {
  std::vector<std::string> out;
  for (const auto& c : d3d9_hooks::CallTrace())
    if (c.method == method) out.push_back(c.args);
  return out;
}

TEST_F(EngineTest, ListsRefuseShapesThatDoNotFit) {
  Vorn& e = MakeEngine();
  List eight(8);
  e.PrepareBox(eight.r, 0, 0, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(eight.r.count2D, 0);  // 0 < 8 - 8 is false
  for (int i = 0; i < 9; ++i) e.PreparePoint(eight.r, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(eight.r.count2D, 8);

  List hundred(100);
  for (int i = 0; i < 17; ++i) e.PrepareBar(hundred.r, 0, 0, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(hundred.r.count2D, 96);
  Render three{};
  three.Allocate3D();
  for (int i = 0; i < 9000; ++i) e.PrepareLine3D(three, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(three.count3D, 16378);
  e.PreparePoint3D(three, 1, 2, 3, 1, 1, 1, 1);
  EXPECT_EQ(three.count3D, 16378);  // a point needs the room of two
  EXPECT_EQ(three.verts3D[0].specular, 0u);  // allocation zeroes; Clear3D sets it
  three.Clear3D();
  EXPECT_EQ(three.verts3D[16380].specular, 0xFFFFFFFFu);
  three.Free();
}

TEST_F(EngineTest, PreparedShapesWriteTheirVerticesInOrder) {
  Vorn& e = MakeEngine();  // 800 x 600
  List l(64, &e);
  e.PrepareTextureBar(l.r, -1, -1, 1, 1, 0, 0, 1, 1, 1, 0.5f, 0, 1);
  const Vertex2D& fourth = l.r.verts2D[3];
  EXPECT_EQ(fourth.x, -1.0f);
  EXPECT_EQ(fourth.v, 0.0f);
  EXPECT_EQ(l.r.verts2D[5].x, -1.0f);
  EXPECT_EQ(l.r.verts2D[5].y, 1.0f);
  EXPECT_EQ(l.r.verts2D[5].colour, 0xFFFF8000u);
  e.m_bRelativeScaling = true;
  e.PrepareScreenBar(l.r, -1, 1, 1, -1, 1, 1, 1, 1);
  EXPECT_EQ(l.r.vertsScreen[0].x, 0.0f);
  EXPECT_EQ(l.r.vertsScreen[0].y, 0.0f);
  EXPECT_EQ(l.r.vertsScreen[2].x, 800.0f);
  EXPECT_EQ(l.r.vertsScreen[2].y, 600.0f);
  EXPECT_EQ(l.r.vertsScreen[2].rhw, 1.0f);
  e.m_bRelativeScaling = false;  // prepared lists keep their pixels
  EXPECT_EQ(l.r.vertsScreen[2].x, 800.0f);
  e.PreparePolyCol(l.r, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1);
  EXPECT_EQ(l.r.verts2D[6].colour, 0xFFFF0000u);
  EXPECT_EQ(l.r.verts2D[8].colour, 0xFF0000FFu);
}

TEST_F(EngineTest, ListDrawsLockOnceAndRedrawWithoutLocking) {
  Vorn& e = StartEngine();
  List l(64);
  for (int i = 0; i < 5; ++i) e.PreparePoint(l.r, 0, 0, 1, 1, 1, 1);
  e.Set3DView(0, 0);
  d3d9_hooks::SetCallTrace(true);
  e.BeginScene();
  e.DrawRenderLines(l.r, 0);
  EXPECT_EQ(Calls("Lock"), std::vector<std::string>{"0, 120, &, 0x0"});
  EXPECT_EQ(Calls("DrawPrimitive"), std::vector<std::string>{"D3DPT_LINELIST, 0, 2"});
  EXPECT_TRUE(e.m_b2DViewActive);

  d3d9_hooks::ClearCallTrace();
  l.r.count2D = 0;
  for (int i = 0; i < 4; ++i) e.PrepareBar(l.r, 0, 0, 1, 1, 1, 1, 1, 1);
  e.DrawRenderBars(l.r, 0);
  e.Set3DView(0, 0);
  e.DrawRenderBars(l.r, -1);
  EXPECT_EQ(Calls("Lock").size(), 1u);
  EXPECT_EQ(Calls("DrawPrimitive"), (std::vector<std::string>{"D3DPT_TRIANGLELIST, 0, 8",
                                                              "D3DPT_TRIANGLELIST, 0, 8"}));
  EXPECT_FALSE(e.m_b2DViewActive);  // the redraw of bars does not switch views
  e.DrawRenderBars(l.r, 500);        // more than the list: cut to the list
  EXPECT_EQ(Calls("Lock").back(), "0, 576, &, 0x0");
  e.EndScene();
}

TEST_F(EngineTest, ImmediateShapesDrawOneCallEach) {
  Vorn& e = StartEngine();
  e.Set3DView(0, 0);
  d3d9_hooks::SetCallTrace(true);
  e.BeginScene();
  e.DrawLine(0.5f, 0.5f, 0.5f, 0.5f, 1, 1, 1, 1);
  EXPECT_TRUE(e.m_b2DViewActive);
  e.DrawBox(-0.5f, -0.5f, 0.5f, 0.5f, 1, 1, 1, 1);
  e.DrawScreenBar(0, 0, 10, 10, 1, 1, 1, 1);
  e.DrawScreenPoly(0, 0, 10, 0, 0, 10, 1, 1, 1, 1);
  e.EndScene();
  EXPECT_EQ(Calls("Lock"), (std::vector<std::string>{"0, 48, &, 0x0", "0, 192, &, 0x0",
                                                     "0, 112, &, 0x0", "0, 84, &, 0x0"}));
  EXPECT_EQ(Calls("DrawPrimitive"),
            (std::vector<std::string>{"D3DPT_LINESTRIP, 0, 1", "D3DPT_LINELIST, 0, 4",
                                      "D3DPT_TRIANGLEFAN, 0, 2", "D3DPT_TRIANGLELIST, 0, 1"}));
  DWORD fvf = 0;
  e.m_pD3DDevice->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x142u);  // the screen shapes set no format of their own
}

// The screen view as the screen tests select it.
void ScreenView(Vorn& e, bool relative) {
  e.m_pD3DDevice->SetFVF(kFvfScreen);
  e.m_pD3DDevice->SetStreamSource(0, e.m_pScreenVB, 0, e.m_nScreenStride);
  e.m_pD3DDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
  e.m_bRelativeScaling = relative;
}

TEST_F(EngineTest, ScreenBarsCoverTheirPixels) {
  Vorn& e = StartEngine();
  e.m_pD3DDevice->SetTexture(0, nullptr);
  ScreenView(e, true);
  e.ClearScreen();
  e.BeginScene();
  e.DrawScreenBar(-1, 1, 1, -1, 0, 1, 0, 1);
  e.EndScene();
  e.ScreenSwap();
  EXPECT_EQ(Pixel(hwnd_, 0, 0), 0x00FF00u);
  EXPECT_EQ(Pixel(hwnd_, 1023, 767), 0x00FF00u);

  ScreenView(e, false);
  e.ClearScreen();
  e.BeginScene();
  e.DrawScreenBar(-1, 1, 1, -1, 0, 1, 0, 1);  // the pixel square around the origin
  e.EndScene();
  e.ScreenSwap();
  EXPECT_EQ(Pixel(hwnd_, 0, 0), 0x00FF00u);
  EXPECT_EQ(Pixel(hwnd_, 1, 0), 0u);
  EXPECT_EQ(Pixel(hwnd_, 0, 1), 0u);
}

TEST_F(EngineTest, ScreenTextureBarMapsTexelsOneToOne) {
  Vorn& e = StartEngine();
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, 256, 256, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) static_cast<DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x] = 0xFF000000u | (x << 16) | (y << 8);
  t->UnlockRect(0);
  IDirect3DDevice9* d = e.m_pD3DDevice;
  d->SetTexture(0, t);
  d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  ScreenView(e, false);
  e.ClearScreen();
  e.BeginScene();
  e.DrawScreenTextureBar(0, 0, 256, 256, 0, 0, 1, 1, 1, 1, 1, 1);
  e.EndScene();
  e.ScreenSwap();
  for (int i : {0, 1, 37, 128, 254, 255}) {
    EXPECT_EQ(Pixel(hwnd_, i, 255 - i), static_cast<DWORD>((i << 16) | ((255 - i) << 8))) << i;
  }
  EXPECT_EQ(Pixel(hwnd_, 256, 10), 0u);
  EXPECT_EQ(Pixel(hwnd_, 10, 256), 0u);
  d->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(EngineTest, WithoutBuffersNothingIsDrawnAndThe3DListSaysSo) {
  Vorn& e = StartEngine();
  e.ClearVolatiles();  // as between a device loss and the rebuild
  d3d9_hooks::SetCallTrace(true);
  e.DrawLine(0, 0, 1, 1, 1, 1, 1, 1);
  e.DrawScreenTextureBar(0, 0, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1);
  List l(16);
  e.PrepareLine(l.r, 0, 0, 1, 1, 1, 1, 1, 1);
  e.DrawRenderLines(l.r, 0);
  EXPECT_EQ(d3d9_hooks::CallCount("DrawPrimitive"), 0u);
  Render three{};
  three.Allocate3D();
  e.DrawPoly3D(three, 0, D3DPT_TRIANGLELIST);
  e.DrawPoly3D(three, 0, D3DPT_TRIANGLELIST);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0].caption, "Fail!");
  EXPECT_EQ(g_boxes[0].text, "Failed to lock\nVornel::DrawPoly3D(Render &R,int vertcount,D3DPRIMITIVETYPE DT)");
  three.Free();
}

TEST_F(EngineTest, TPrintDrawsOneQuadPerCharacterFromTheFontGrid) {
  Vorn& e = StartEngine();
  e.m_nFirstChar = 0;
  d3d9_hooks::SetCallTrace(true);
  e.BeginScene();
  e.TPrint("A", 0, 0);
  e.EndScene();
  const Vertex2D& first = e.m_TextRender.verts2D[0];
  EXPECT_FLOAT_EQ(first.x, -1.0f);
  EXPECT_FLOAT_EQ(first.y, 0.96f);
  EXPECT_FLOAT_EQ(first.u, 0.0625f);
  EXPECT_FLOAT_EQ(first.v, 0.312f);
  EXPECT_FLOAT_EQ(e.m_TextRender.verts2D[2].u, 0.1207f);
  EXPECT_FLOAT_EQ(e.m_TextRender.verts2D[2].v, 0.252f);
  EXPECT_EQ(Calls("DrawPrimitive"), std::vector<std::string>{"D3DPT_TRIANGLELIST, 0, 2"});
  e.BeginScene();
  e.TPrint(std::string(200, 'x').c_str(), 0, 0);
  e.EndScene();
  EXPECT_EQ(e.m_TextRender.count2D, 84 * 6);  // the 85th would start at x = 1.1
}

}  // namespace
}  // namespace engine_test

namespace engine_test {
namespace {

TEST_F(EngineTest, ScreenTextCentresInPixelsAndSkipsWhatLiesBeyond) {
  Vorn& e = StartEngine();
  e.SetRez(800, 600);
  e.m_nFirstChar = 0;
  e.m_pD3DDevice->SetFVF(kFvfScreen);
  e.m_pD3DDevice->SetStreamSource(0, e.m_pScreenVB, 0, e.m_nScreenStride);
  d3d9_hooks::SetCallTrace(true);
  e.BeginScene();
  e.ScreenTPrint("Hello", 400, 300, 1);
  EXPECT_FLOAT_EQ(e.m_TextRender.vertsScreen[0].x, 375.0f);  // 5 cells of 10 pixels, halved
  EXPECT_FLOAT_EQ(e.m_TextRender.vertsScreen[0].y, 300.0f);
  EXPECT_FLOAT_EQ(e.m_TextRender.vertsScreen[2].y, 312.0f);
  EXPECT_FLOAT_EQ(e.m_TextRender.vertsScreen[0].v, 4 * 0.0625f + 0.002f);  // 'H' is row 4, top edge
  EXPECT_EQ(e.m_TextRender.countScreen, 30);
  d3d9_hooks::ClearCallTrace();
  e.ScreenTPrint("far away", 900, 10, 0);
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 0u);
  EXPECT_EQ(d3d9_hooks::CallCount("DrawPrimitive"), 0u);
  e.EndScene();
}

TEST_F(EngineTest, PreparedTextAppendsWithItsOwnInsets) {
  Vorn& e = StartEngine();
  e.m_nFirstChar = 0;
  e.m_bUpperGlyphs = true;
  List l(64, &e);
  e.TPreparePrint(l.r, "A", 0, 0);
  // 'A' (65) with the upper half is glyph 193: column 1, row 12.
  EXPECT_FLOAT_EQ(l.r.verts2D[0].u, 0.0625f);
  EXPECT_FLOAT_EQ(l.r.verts2D[0].v, 12 * 0.0625f + 0.0605f);
  EXPECT_FLOAT_EQ(l.r.verts2D[2].v, 12 * 0.0625f + 0.01f);
  e.m_bUpperGlyphs = false;
  e.TPreparePrint(l.r, "BC", 1, 0);
  EXPECT_EQ(l.r.count2D, 18);  // appended after the first text
  EXPECT_FLOAT_EQ(l.r.verts2D[6].x, -0.975f);
  e.m_bRelativeScaling = false;
  e.ScreenTPreparePrint(l.r, "xy", 20, 30);
  EXPECT_EQ(l.r.countScreen, 12);
  EXPECT_FLOAT_EQ(l.r.vertsScreen[6].x, 20.0f + 1024.0f / 80.0f);
}

}  // namespace
}  // namespace engine_test
