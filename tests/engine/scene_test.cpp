// Scene resources: the buffers and their sizes, repeated creation, the
// creation failure alert, and the default states.
#include <cstring>

#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

float FloatOf(DWORD bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

TEST_F(EngineTest, BuffersHaveTheirSizesFormatsAndPools) {
  Vorn& e = StartEngine();
  struct Expect {
    IDirect3DVertexBuffer9* vb;
    UINT size;
    DWORD fvf;
  } expects[] = {{e.m_pScreenVB, 458752, 0x144}, {e.m_p2DVB, 393216, 0x142},
                 {e.m_p3DVB, 655360, 0x1D2},     {e.m_pPointSpriteVB, 60, 0x62}};
  for (const Expect& x : expects) {
    ASSERT_NE(x.vb, nullptr);
    D3DVERTEXBUFFER_DESC d{};
    x.vb->GetDesc(&d);
    EXPECT_EQ(d.Size, x.size);
    EXPECT_EQ(d.FVF, x.fvf);
    EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(d.Usage, 0u);
  }
  D3DINDEXBUFFER_DESC id{};
  e.m_pIndexBuffer->GetDesc(&id);
  EXPECT_EQ(id.Size, 2000u);
  EXPECT_EQ(id.Format, D3DFMT_INDEX16);
  ASSERT_NE(e.m_pTextureFileBuffer, nullptr);
  EXPECT_EQ(e.m_pTextureFileBuffer->GetBufferSize(), 0x100000u);
  D3DSURFACE_DESC rd{};
  e.m_pRenderToTexture->GetLevelDesc(0, &rd);
  EXPECT_EQ(rd.Width, 256u);
  EXPECT_EQ(rd.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(rd.Pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(rd.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(e.m_n3DStride, 40);
}

TEST_F(EngineTest, DefaultStatesAndFogFollowTheFarPlane) {
  Vorn& e = StartEngine();
  IDirect3DDevice9* d = e.m_pD3DDevice;
  DWORD v = 0;
  d->GetRenderState(D3DRS_FOGSTART, &v);
  EXPECT_FLOAT_EQ(FloatOf(v), 1680.0f);
  d->GetRenderState(D3DRS_FOGEND, &v);
  EXPECT_FLOAT_EQ(FloatOf(v), 2400.0f);
  d->GetRenderState(D3DRS_FOGCOLOR, &v);
  EXPECT_EQ(v, 0xFF6464F5u);
  d->GetRenderState(D3DRS_DESTBLEND, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
  d->GetTextureStageState(0, D3DTSS_ALPHAARG1, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTA_DIFFUSE));
  e.m_fFarZ = 1000.0f;
  e.InitScene();
  d->GetRenderState(D3DRS_FOGSTART, &v);
  EXPECT_FLOAT_EQ(FloatOf(v), 700.0f);
  d->GetRenderState(D3DRS_FOGEND, &v);
  EXPECT_FLOAT_EQ(FloatOf(v), 1000.0f);
}

TEST_F(EngineTest, AnisotropySurveyFollowsTheCaps) {
  Vorn& e = StartEngine();
  DWORD minf = 0, magf = 0;
  e.m_pD3DDevice->GetSamplerState(3, D3DSAMP_MINFILTER, &minf);
  e.m_pD3DDevice->GetSamplerState(3, D3DSAMP_MAGFILTER, &magf);
  // The software device filters anisotropically: every stage takes it, with
  // the device's largest degree.
  ASSERT_NE(e.m_Caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC, 0u);
  EXPECT_EQ(magf, static_cast<DWORD>(D3DTEXF_ANISOTROPIC));
  EXPECT_EQ(minf, static_cast<DWORD>(D3DTEXF_ANISOTROPIC));
  DWORD degree = 0;
  e.m_pD3DDevice->GetSamplerState(3, D3DSAMP_MAXANISOTROPY, &degree);
  EXPECT_GT(e.m_dwAnisotrophy, 1u);
  EXPECT_EQ(degree, e.m_dwAnisotrophy);
  EXPECT_EQ(CountLines("m_dwAnisotrophy is < 1"), 0);
  // Pretend the device cannot filter anisotropically: eight notes, linear.
  e.m_Caps.TextureFilterCaps = 0;
  e.m_dwAnisotrophy = 0;
  int before = CountLines("m_dwAnisotrophy is < 1");
  e.InitScene();
  EXPECT_EQ(CountLines("m_dwAnisotrophy is < 1") - before, 8);
  e.m_pD3DDevice->GetSamplerState(7, D3DSAMP_MINFILTER, &minf);
  EXPECT_EQ(minf, static_cast<DWORD>(D3DTEXF_LINEAR));
}

TEST_F(EngineTest, SecondInitSceneRecreatesBuffersAndFileBuffer) {
  Vorn& e = StartEngine();
  int live = d3d9_hooks::LiveObjectCount();
  std::size_t mark = LogLines().size();
  EXPECT_FALSE(e.InitScene());
  std::vector<std::string> lines = LogLines();
  std::vector<std::string> tail(lines.begin() + static_cast<long>(mark), lines.end());
  auto has = [&](const std::string& text) {
    for (const std::string& l : tail)
      if (l.find(text) != std::string::npos) return true;
    return false;
  };
  for (const char* t : {"POINTSPRITE buffer deleted", "SCREEN_VERTEX buffer deleted", "INDEX buffer deleted",
                        "3DVERTEXBUFFER buffer deleted", "2DVERTEXBUFFER buffer deleted",
                        "m_pTextureFileBuffer deleted.", "m_pTextureFileBuffer created.",
                        "Created Indexbuffer of size 2000"})
    EXPECT_TRUE(has(t)) << t;
  EXPECT_EQ(d3d9_hooks::LiveObjectCount(), live);  // nothing leaked
}

TEST_F(EngineTest, BufferFailureAlertsUntilCancelled) {
  Vorn& e = StartEngine();
  g_boxes.clear();
  g_answers = {IDCANCEL};
  d3d9_hooks::FailNextCalls("CreateIndexBuffer", D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_TRUE(e.InitScene());
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "IB create failed!");
  EXPECT_EQ(g_boxes[0].caption, "Vornel::InitScene()");
  EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONHAND));
  std::vector<std::string> tail = LinesFrom("failed to create IB");
  ASSERT_GE(tail.size(), 2u);
  EXPECT_EQ(tail[1], "[T] D3DERR_OUTOFVIDEOMEMORY");  // after its END, one level out
  // The buffers made before the failing one stay.
  EXPECT_NE(e.m_p3DVB, nullptr);
  EXPECT_EQ(e.m_pPointSpriteVB, nullptr);
  // After Cancel no further alert of this kind.
  d3d9_hooks::FailNextCalls("CreateVertexBuffer", E_OUTOFMEMORY);
  EXPECT_TRUE(e.InitScene());
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(CountLines("failed to create Screen VB"), 1);
}

TEST_F(EngineTest, RenderTextureFailureKeepsTheBuffers) {
  Vorn& e = StartEngine();
  e.ClearVolatiles();
  d3d9_hooks::FailNextCalls("CreateTexture", D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_FALSE(e.InitScene());
  EXPECT_EQ(e.m_pRenderToTexture, nullptr);
  EXPECT_NE(e.m_pScreenVB, nullptr);
  EXPECT_NE(e.m_pTextureFileBuffer, nullptr);
  EXPECT_EQ(CountLines("failed to create m_pRenderToTexture for a rendersurface."), 1);
}

}  // namespace
}  // namespace engine_test
