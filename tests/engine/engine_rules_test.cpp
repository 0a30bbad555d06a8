// Engine rules a later change could break without notice: the default
// bitmap load, device and window bookkeeping, the view switches of list
// draws, vertex orders, the render path's sampler states, light and text.
#include <cstring>
#include <string>

#include "engine/d3d9/com_helpers.h"
#include "platform/win32/resources.h"
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

std::vector<std::string> Args(const std::string& method) {
  std::vector<std::string> out;
  for (const auto& c : d3d9_hooks::CallTrace())
    if (c.method == method) out.push_back(c.args);
  return out;
}

// The first n vertices of a vertex buffer, read back through a lock.
template <typename V>
std::vector<V> BufferVertices(IDirect3DVertexBuffer9* vb, int n) {
  std::vector<V> out(n);
  void* data = nullptr;
  if (vb->Lock(0, static_cast<UINT>(n * sizeof(V)), &data, D3DLOCK_READONLY) != D3D_OK) return {};
  std::memcpy(out.data(), data, n * sizeof(V));
  vb->Unlock();
  return out;
}

struct List {
  explicit List(int capacity, Vorn* engine = nullptr) {
    r = Render{};
    r.max2D = r.maxScreen = capacity;
    r.verts2D = new Vertex2D[capacity + 1]();
    r.vertsScreen = new VertexScreen[capacity + 1]();
    r.engine = engine;
    r.Allocate3D();
  }
  ~List() { r.Free(); }
  Render r;
};

TEST_F(EngineTest, DefaultBitmapFormIsABareLoadAt48) {
  Vorn& e = StartEngine();
  std::snprintf(e.m_szCaption, sizeof e.m_szCaption, "%s", "Caption before");
  // No pic5.bmp: the first try writes no load-failure line of its own.
  EXPECT_TRUE(e.LoadTexture());
  EXPECT_EQ(CountLines("LoadTexture(pic5.bmp)"), 0);
  EXPECT_EQ(CountLines("Loading default bitmap!!! Vorn::LoadTexture(bitmaps\\grass.jpg,int,rez)"), 1);
  EXPECT_STREQ(e.m_szCaption, "Caption before");

  // With a picture in place and slot 6 still holding a texture, the load
  // replaces it without the "already assigned" alert.
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, 64, 32, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  std::filesystem::create_directories("bitmaps");
  ASSERT_EQ(D3DXSaveTextureToFileA("bitmaps/grass.jpg", D3DXIFF_BMP, t, nullptr), D3D_OK);
  t->Release();
  ResetEngineGlobalsForTesting();  // the default-file name is "pic5.bmp" again
  ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, 8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                              &e.m_pTextures[6]),
            D3D_OK);
  std::filesystem::copy_file("bitmaps/grass.jpg", "pic5.bmp");
  g_boxes.clear();
  EXPECT_FALSE(e.LoadTexture());
  EXPECT_EQ(CountLines("already assigned"), 0);
  EXPECT_TRUE(g_boxes.empty());
  D3DSURFACE_DESC d{};
  ASSERT_NE(e.m_pTextures[6], nullptr);
  e.m_pTextures[6]->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Width, 48u);
  EXPECT_EQ(d.Height, 48u);
}

TEST_F(EngineTest, AnyCreationFailureLeavesTheDeviceNotReady) {
  Vorn& e = StartEngine();
  ASSERT_TRUE(e.m_bDeviceReady);
  d3d9_hooks::FailNextCalls("CreateDevice", D3DERR_NOTAVAILABLE);
  EXPECT_TRUE(e.InitD3D());
  EXPECT_EQ(e.m_pD3DDevice, nullptr);
  EXPECT_FALSE(e.m_bDeviceReady);
  d3d9_hooks::FailNextCalls("CreateDevice", E_FAIL);
  EXPECT_TRUE(e.InitD3D());
  EXPECT_FALSE(e.m_bDeviceReady);
}

TEST_F(EngineTest, EngineMakesItsOwnWindowWhenGivenNone) {
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  g_StartupSettings.mainWindow = nullptr;
  Vorn& e = MakeEngine();
  WNDCLASSEXA wc = wc_;
  wc.lpszClassName = "ClassName";
  Startup(e, wc);
  ASSERT_NE(e.m_hwnd, nullptr);
  char title[64] = {};
  GetWindowTextA(e.m_hwnd, title, sizeof title);
  EXPECT_STREQ(title, "Vornel new Tests");
  EXPECT_EQ(GetWindowLongA(e.m_hwnd, GWL_STYLE) & (WS_POPUP | WS_VISIBLE),
            static_cast<LONG>(WS_POPUP | WS_VISIBLE));
  EXPECT_EQ(CountLines("Failed to get Window Handle"), 0);
  // Start-up leaves the device unlit, without depth test, blending.
  DWORD lighting = 1, z = 1, blend = 0;
  e.m_pD3DDevice->GetRenderState(D3DRS_LIGHTING, &lighting);
  e.m_pD3DDevice->GetRenderState(D3DRS_ZENABLE, &z);
  e.m_pD3DDevice->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
  EXPECT_EQ(lighting, 0u);
  EXPECT_EQ(z, 0u);
  EXPECT_EQ(blend, 1u);
  hwnd_ = e.m_hwnd;  // the fixture closes it
}

TEST_F(EngineTest, WithoutAWindowStartupFailsAndSaysSo) {
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  g_StartupSettings.mainWindow = nullptr;
  Vorn& e = MakeEngine();
  WNDCLASSEXA wc = wc_;
  wc.lpszClassName = "NoSuchClassAnywhere";  // "ClassName" is never registered
  UnregisterClassA("ClassName", GetModuleHandleA(nullptr));
  EXPECT_FALSE(Startup(e, wc));
  ASSERT_FALSE(g_boxes.empty());
  EXPECT_EQ(g_boxes[0].text, "Failed to get a window handle.");
  EXPECT_EQ(g_boxes[0].caption, "Vorn.InitWindow()");
  EXPECT_EQ(CountLines("---ERROR--- : Failed to get Window Handle, no window created!!!"), 1);
  EXPECT_EQ(e.m_pD3DDevice, nullptr);
}

// Which list draws select the 2D view: boxes, bars and polygons after a
// copy only, lines in both paths, points and screen lists never. An empty
// list still selects it.
TEST_F(EngineTest, ListDrawsSwitchTo2DAsTheirColumnSays) {
  Vorn& e = StartEngine();
  List l(64, &e);
  e.PrepareBar(l.r, 0, 0, 1, 1, 1, 1, 1, 1);
  e.PrepareScreenBar(l.r, 0, 0, 1, 1, 1, 1, 1, 1);
  using Draw = void (Vorn::*)(Render&, int);
  struct Case {
    const char* name;
    Draw draw;
    bool afterCopy, onRedraw;
  };
  const Case cases[] = {
      {"points", &Vorn::DrawRenderPoints, false, false},
      {"screen points", &Vorn::DrawScreenRenderPoints, false, false},
      {"lines", &Vorn::DrawRenderLines, true, true},
      {"boxes", &Vorn::DrawRenderBoxes, true, false},
      {"screen lines", &Vorn::DrawScreenRenderLines, false, false},
      {"bars", &Vorn::DrawRenderBars, true, false},
      {"polys", &Vorn::DrawRenderPolys, true, false},
      {"screen bars", &Vorn::DrawScreenRenderBars, false, false},
  };
  for (const Case& c : cases) {
    e.Set3DView(0, 0);
    ASSERT_FALSE(e.m_b2DViewActive);
    (e.*c.draw)(l.r, 0);
    EXPECT_EQ(e.m_b2DViewActive, c.afterCopy) << c.name;
    e.Set3DView(0, 0);
    (e.*c.draw)(l.r, -1);
    EXPECT_EQ(e.m_b2DViewActive, c.onRedraw) << c.name << " redraw";
  }
  e.Set3DView(0, 0);
  e.DrawRenderText(l.r);
  EXPECT_TRUE(e.m_b2DViewActive);

  List empty(64, &e);
  e.Set3DView(0, 0);
  d3d9_hooks::SetCallTrace(true);
  e.DrawRenderBars(empty.r, 0);
  EXPECT_TRUE(e.m_b2DViewActive);
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 0u);
  EXPECT_EQ(d3d9_hooks::CallCount("DrawPrimitive"), 0u);
  e.Set3DView(0, 0);
  e.TPrint("off the screen", 200.0f, 0.0f);  // every glyph starts beyond 1.1
  EXPECT_TRUE(e.m_b2DViewActive);
}

TEST_F(EngineTest, RedrawOf3DListLocksNothingSoNeverFailsToLock) {
  Vorn& e = StartEngine();
  List l(8, &e);
  e.PreparePoly3D(l.r, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 1, 1, 1);
  e.ClearVolatiles();
  e.DrawPoly3D(l.r, -1, D3DPT_TRIANGLELIST);
  EXPECT_TRUE(g_boxes.empty());
  e.DrawPoly3D(l.r, 0, D3DPT_TRIANGLELIST);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, "Fail!");
}

TEST_F(EngineTest, BoxesAndBarsKeepTheirVertexOrder) {
  Vorn& e = StartEngine();
  List l(64, &e);
  e.PrepareBox(l.r, 1, 2, 3, 4, 1, 1, 1, 1);
  const float box[8][2] = {{1, 2}, {3, 2}, {3, 2}, {3, 4}, {3, 4}, {1, 4}, {1, 4}, {1, 2}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(l.r.verts2D[i].x, box[i][0]) << i;
    EXPECT_EQ(l.r.verts2D[i].y, box[i][1]) << i;
  }
  d3d9_hooks::SetCallTrace(true);
  e.DrawBox(1, 2, 3, 4, 1, 1, 1, 1);
  std::vector<Vertex2D> drawn = BufferVertices<Vertex2D>(e.m_p2DVB, 8);
  ASSERT_EQ(drawn.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(drawn[i].x, box[i][0]) << i;
    EXPECT_EQ(drawn[i].y, box[i][1]) << i;
  }
  e.DrawBar(1, 2, 3, 4, 1, 1, 1, 1);
  drawn = BufferVertices<Vertex2D>(e.m_p2DVB, 4);
  const float fan[4][2] = {{1, 2}, {3, 2}, {3, 4}, {1, 4}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(drawn[i].x, fan[i][0]) << i;
    EXPECT_EQ(drawn[i].y, fan[i][1]) << i;
  }
  std::vector<std::string> draws = Args("DrawPrimitive");
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0], "D3DPT_LINELIST, 0, 4");
  EXPECT_EQ(draws[1], "D3DPT_TRIANGLEFAN, 0, 2");
}

// The render path's sampler 0 filters by copy filter, and MAXMIPLEVEL only
// in the rectangle form; every state comes back afterwards.
TEST_F(EngineTest, RenderPathFiltersFollowTheCopyFilter) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 1, 16, 16);
  MakeDefaultPoolTexture(e, 6, 16, 16);
  e.m_bFastCopy = true;
  struct Case {
    DWORD filter, mag, min;
  };
  const Case cases[] = {{1, D3DTEXF_POINT, D3DTEXF_POINT},      {2, D3DTEXF_POINT, D3DTEXF_POINT},
                        {3, D3DTEXF_LINEAR, D3DTEXF_LINEAR},    {4, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC},
                        {5, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC}, {9, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC}};
  for (const Case& c : cases) {
    e.m_CopyFilter = c.filter;
    d3d9_hooks::SetCallTrace(true);
    d3d9_hooks::ClearCallTrace();
    e.CopyTexture(1, 6);
    const std::string mag = "0, D3DSAMP_MAGFILTER, " + std::to_string(c.mag);
    const std::string min = "0, D3DSAMP_MINFILTER, " + std::to_string(c.min);
    const std::string mip = "0, D3DSAMP_MIPFILTER, " + std::to_string(c.filter <= 2 ? D3DTEXF_POINT : D3DTEXF_LINEAR);
    std::vector<std::string> sets = Args("SetSamplerState");
    ASSERT_GE(sets.size(), 5u) << c.filter;
    EXPECT_EQ(sets[2], mag) << c.filter;
    EXPECT_EQ(sets[3], min) << c.filter;
    EXPECT_EQ(sets[4], mip) << c.filter;
    for (const std::string& s : sets) EXPECT_EQ(s.find("MAXMIPLEVEL"), std::string::npos) << s;
  }
  DWORD before = 0;
  e.m_pD3DDevice->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 3);
  d3d9_hooks::ClearCallTrace();
  e.CopyTexture(1, 6, 2, 2, 8, 8);
  int maxmip = 0;
  for (const std::string& s : Args("SetSamplerState"))
    if (s.find("MAXMIPLEVEL") != std::string::npos) ++maxmip;
  EXPECT_EQ(maxmip, 2);  // set to 0, then restored
  e.m_pD3DDevice->GetSamplerState(0, D3DSAMP_MAXMIPLEVEL, &before);
  EXPECT_EQ(before, 3u);
  d3d9_hooks::ClearCallTrace();
  e.CopyTextureSection(1, 6, 2, 2, 8, 8);
  for (const std::string& s : Args("SetSamplerState")) EXPECT_EQ(s.find("MAXMIPLEVEL"), std::string::npos);
}

TEST_F(EngineTest, FractionalCopyTruncatesAndSectionMapsItsTexels) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 1, 16, 16);
  MakeDefaultPoolTexture(e, 6, 10, 10);
  e.m_bFastCopy = true;
  d3d9_hooks::SetCallTrace(true);
  e.CopyTexture(1, 0.19f, 0.25f, 0.5f, 0.99f);  // 1.9, 2.5, 5, 9.9 pixels
  std::vector<VertexScreen> q = BufferVertices<VertexScreen>(e.m_pScreenVB, 4);
  ASSERT_EQ(q.size(), 4u);
  EXPECT_EQ(q[0].x, 1.0f);
  EXPECT_EQ(q[0].y, 2.0f);
  EXPECT_EQ(q[2].x, 6.0f);   // min(1 + 5, 10)
  EXPECT_EQ(q[2].y, 10.0f);  // min(2 + 9, 10)

  e.CopyTextureSection(1, 6, 4, 8, 8, 16);  // x2 = 12, y2 = min(24, 16)
  q = BufferVertices<VertexScreen>(e.m_pScreenVB, 4);
  EXPECT_FLOAT_EQ(q[0].u, 4.0f / 16);
  EXPECT_FLOAT_EQ(q[0].v, 8.0f / 16);
  EXPECT_FLOAT_EQ(q[2].u, 12.0f / 16);
  EXPECT_FLOAT_EQ(q[2].v, 1.0f);
  EXPECT_EQ(q[2].x, 10.0f);
  EXPECT_EQ(q[2].y, 10.0f);
}

TEST_F(EngineTest, PaintingSilencesTheMissingDestinationLines) {
  Vorn& e = StartEngine();
  MakeDefaultPoolTexture(e, 1, 16, 16);
  e.m_bPainting = true;
  e.CopyTexture(1, 7);
  e.CopyTexture(1, 8, 0, 0, 4, 4);
  e.CopyTextureSection(1, 9, 0, 0, 4, 4);
  EXPECT_EQ(CountLines("Destination texture was NULL"), 0);
  for (int i = 7; i <= 9; ++i) SafeRelease(e.m_pTextures[i]);
  e.m_bPainting = false;
  std::size_t mark = LogLines().size();
  e.CopyTexture(1, 7);
  e.CopyTexture(1, 8, 0, 0, 4, 4);
  e.CopyTextureSection(1, 9, 0, 0, 4, 4);
  std::vector<std::string> lines = LogLines();
  std::vector<std::string> notes;
  for (std::size_t i = mark; i < lines.size(); ++i)
    if (lines[i].find("Destination texture was NULL") != std::string::npos) notes.push_back(lines[i]);
  const std::string head = "[T] --->>  WARNING  <<--- : Destination texture was NULL, making new texture from source attributes ";
  EXPECT_EQ(notes, (std::vector<std::string>{head + "(Vorn::CopyTexture(src,dest)",
                                             head + "(Vorn::CopyTexture(src,dest,int,int,int,int)",
                                             head + "(Vorn::CopyTextureSection(src,dest,int,int,int,int)"}));
}

TEST_F(EngineTest, SpotLightSpecularAndTheImmediate3DVariants) {
  Vorn& e = StartEngine();
  const float diffuse[4] = {0.1f, 0.2f, 0.3f, 0.4f}, specular[4] = {0.5f, 0.6f, 0.7f, 0.8f},
              ambient[4] = {0, 0, 0, 1};
  const D3DVECTOR pos{1, 2, 3}, dir{0, -1, 0};
  e.m_Light.Theta = 0.25f;
  d3d9_hooks::SetCallTrace(true);
  e.SetLight(D3DLIGHT_SPOT, diffuse, specular, ambient, 12.0f, &pos, &dir, 50.0f, 1, 0.5f, 0.25f);
  EXPECT_EQ(e.m_Light.Type, D3DLIGHT_SPOT);
  EXPECT_EQ(e.m_Light.Position.z, 3.0f);
  EXPECT_EQ(e.m_Light.Direction.y, -1.0f);
  EXPECT_EQ(e.m_Light.Range, 50.0f);
  EXPECT_EQ(e.m_Light.Attenuation2, 0.25f);
  EXPECT_EQ(e.m_Light.Theta, 0.25f);  // untouched
  EXPECT_EQ(e.m_Material.Power, 12.0f);
  EXPECT_EQ(e.m_Material.Specular.b, 0.7f);
  std::vector<std::string> states = Args("SetRenderState");
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), "D3DRS_SPECULARMATERIALSOURCE, 0");
  EXPECT_EQ(d3d9_hooks::CallCount("SetLight"), 0u);  // the caller hands it over

  e.Set3DView(0, 0);
  d3d9_hooks::ClearCallTrace();
  e.DrawLine3D(0, 0, 0, 1, 2, 3, 1, 0, 0, 1);
  e.DrawTexturedPoly3DImmediate(0, 0, 0, 1, 0, 0, 0, 1, 0, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 1, 1, 1, 1);
  std::vector<Vertex3D> v = BufferVertices<Vertex3D>(e.m_p3DVB, 3);
  EXPECT_FLOAT_EQ(v[2].v, 0.6f);
  EXPECT_EQ(v[2].diffuse, 0xFFFFFFFFu);
  e.DrawTexturedLitPoly3DImmediate(0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1,
                                   0, 0, 1, 1);
  v = BufferVertices<Vertex3D>(e.m_p3DVB, 3);
  EXPECT_EQ(v[1].nz, 1.0f);
  EXPECT_EQ(v[1].specular, 0xFFFF0000u);
  EXPECT_EQ(v[1].diffuse, 0xFF0000FFu);
  std::vector<std::string> draws = Args("DrawPrimitive");
  EXPECT_EQ(draws, (std::vector<std::string>{"D3DPT_LINELIST, 0, 1", "D3DPT_TRIANGLELIST, 0, 1",
                                             "D3DPT_TRIANGLELIST, 0, 1"}));
}

TEST_F(EngineTest, RelativeScreenPrintUsesCellsAndOnePrintHoldsAtMost133) {
  Vorn& e = StartEngine();  // 1024 x 768
  e.m_nFirstChar = 0;
  e.m_bRelativeScaling = true;
  d3d9_hooks::SetCallTrace(true);
  e.ScreenTPrint("AB", 40, 25, 0);  // column 40: x = 0.0 in scaled units
  std::vector<VertexScreen> q = BufferVertices<VertexScreen>(e.m_pScreenVB, 12);
  EXPECT_FLOAT_EQ(q[0].x, 512.0f);
  EXPECT_FLOAT_EQ(q[6].x, 512.0f + 0.025f * 0.5f * 1024);
  // Row 25: the bottom edge is 1 - 0.04 - 1.0 = -0.04 in scaled units.
  EXPECT_FLOAT_EQ(q[0].y, (0.04f * 0.5f + 0.5f) * 768);
  e.ScreenTPrint("AB", 40, 25, 1);  // centred: one cell to the left
  q = BufferVertices<VertexScreen>(e.m_pScreenVB, 1);
  EXPECT_FLOAT_EQ(q[0].x, 512.0f - 0.025f * 0.5f * 1024);

  e.m_bRelativeScaling = false;
  e.m_fTextColumns = 1000.0f;  // small cells: the list is the limit, not the screen
  d3d9_hooks::ClearCallTrace();
  e.ScreenTPrint(std::string(200, 'x').c_str(), 0, 0, 0);
  EXPECT_EQ(e.m_TextRender.countScreen, 133 * 6);
  EXPECT_EQ(Args("DrawPrimitive"), (std::vector<std::string>{"D3DPT_TRIANGLELIST, 0, 266"}));
}

}  // namespace
}  // namespace engine_test

namespace engine_test {
namespace {

// Full screen takes the popup style and remembers the windowed rectangle,
// which the next windowed change with resizing puts back.
TEST_F(EngineTest, FullScreenRemembersTheWindowForTheNextWindowedChange) {
  Vorn& e = StartEngine();
  SetWindowPos(hwnd_, nullptr, 100, 50, 640, 480, 0);
  e.m_bWindowed = false;
  e.SetRez(800, 600);
  EXPECT_EQ(CountLines("reset is D3D_OK. Windowed status=0"), 1);
  // SWP_SHOWWINDOW adds WS_VISIBLE to the popup, border and system-menu style.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)) & ~WS_VISIBLE, 0x80880000u);
  e.m_bWindowed = true;
  e.m_bResizeWindow = true;
  e.SetRez(800, 600);
  RECT r{};
  GetWindowRect(hwnd_, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 480);
}

TEST_F(EngineTest, EachResetFailureOfCheckDeviceCapsHasItsLine) {
  Vorn& e = StartEngine();
  const std::pair<HRESULT, const char*> cases[] = {
      {D3DERR_DRIVERINTERNALERROR, "Reset() failed! DRIVERINTERNALERROR CheckDeviceCaps()"},
      {D3DERR_OUTOFVIDEOMEMORY, "Reset() failed! OUTOFVIDEOMEMORY CheckDeviceCaps()"},
      {E_OUTOFMEMORY, "Reset() failed! OUTOFMEMORY CheckDeviceCaps()"},
      {D3DERR_DEVICELOST, "Reset() failed! DEVICELOST CheckDeviceCaps()"},
      {D3DERR_INVALIDCALL, "Reset() failed! INVALID CALL CheckDeviceCaps()"},
  };
  for (const auto& [hr, line] : cases) {
    d3d9_hooks::SimulateDeviceLost(0);
    d3d9_hooks::FailNextCalls("Reset", hr);
    const std::size_t mark = LogLines().size();
    EXPECT_TRUE(e.CheckDeviceCaps()) << line;
    std::vector<std::string> lines = LogLines();
    ASSERT_GT(lines.size(), mark);
    int found = 0;
    for (std::size_t i = mark; i < lines.size(); ++i) found += lines[i].find(line) != std::string::npos;
    EXPECT_EQ(found, 1) << line;
  }
  // Any other failure is not reported and counts as usable.
  d3d9_hooks::SimulateDeviceLost(0);
  d3d9_hooks::FailNextCalls("Reset", E_FAIL);
  const std::size_t mark = LogLines().size();
  EXPECT_FALSE(e.CheckDeviceCaps());
  std::vector<std::string> lines = LogLines();
  for (std::size_t i = mark; i < lines.size(); ++i) EXPECT_EQ(lines[i].find("Reset() failed!"), std::string::npos);
}

}  // namespace
}  // namespace engine_test
