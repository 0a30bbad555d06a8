// Behaviours a program written for Windows relies on: a stage reading a
// texture that is not bound, flat shading of strips and fans, per-pixel mip
// levels, fog with equal start and end, depth ranges of zero width, clears
// with and without rectangles, Reset with only the device's own bindings
// left, stream and point-size state, second locks and unlocks, contradictory
// texture usages, and D3DCOLOR blend weights.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

DWORD F(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

using DocumentedTest = DeviceTest;

// ---------------------------------------------------------------------------
// Texture stage 0 without a texture.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, StageReadingAMissingTexturePassesTheDiffuseColourThrough) {
  dev_->SetTexture(0, nullptr);
  // The default MODULATE of texture and current: the diffuse colour.
  DrawQuad(0, 0, 8, 8, 0x80306090u);
  EXPECT_EQ(Pixel(3, 3), 0xff306090u);
  // SELECTARG1 of the texture is the diffuse colour too, not white.
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  DrawQuad(0, 0, 8, 8, 0xff204060u);
  EXPECT_EQ(Pixel(3, 3), 0xff204060u);
  // Alpha taken from the texture is the diffuse alpha: a transparent shape
  // blended by it leaves the target as it was.
  dev_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  dev_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  DrawQuad(0, 0, 8, 8, 0x00ffffffu);
  EXPECT_EQ(Pixel(3, 3), 0xff204060u);
  // Through the generic routine (a write mask sends it there) as well.
  dev_->SetRenderState(D3DRS_COLORWRITEENABLE, 0x7);
  DrawQuad(0, 0, 8, 8, 0x00ffffffu);
  EXPECT_EQ(Pixel(3, 3), 0xff204060u);
}

// ---------------------------------------------------------------------------
// Flat shading.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, FlatStripsAndFansTakeEachTrianglesFirstVertex) {
  dev_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  // Strip: triangle 0 is vertices 0, 1, 2 (red first); triangle 1 is
  // 1, 2, 3 and takes vertex 1 (green).
  const TLVertex strip[4] = {{0, 0, 0, 1, 0xffff0000u, 0, 0},
                             {8, 0, 0, 1, 0xff00ff00u, 0, 0},
                             {0, 8, 0, 1, 0xff0000ffu, 0, 0},
                             {8, 8, 0, 1, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(TLVertex)), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0xffff0000u);
  EXPECT_EQ(Pixel(6, 6), 0xff00ff00u);
  // Fan: triangle i takes vertex i + 1, not the shared centre.
  const TLVertex fan[4] = {{0, 0, 0, 1, 0xffff0000u, 0, 0},
                           {8, 0, 0, 1, 0xff00ff00u, 0, 0},
                           {8, 8, 0, 1, 0xff0000ffu, 0, 0},
                           {0, 8, 0, 1, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(TLVertex)), D3D_OK);
  EXPECT_EQ(Pixel(6, 1), 0xff00ff00u);
  EXPECT_EQ(Pixel(1, 6), 0xff0000ffu);
  // Gouraud strips are unchanged by the rule.
  dev_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, strip, sizeof(TLVertex)), D3D_OK);
  EXPECT_NE(Pixel(6, 6), 0xff00ff00u);
}

// ---------------------------------------------------------------------------
// Mip levels.
// ---------------------------------------------------------------------------

class MipTest : public DeviceTest {
 protected:
  static constexpr std::uint32_t kLevelColour[7] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffff00u,
                                                    0xffff00ffu, 0xff00ffffu, 0xffffffffu};
  void SetUp() override {
    Create(64, 64);
    ASSERT_EQ(dev_->CreateTexture(64, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex_, nullptr), D3D_OK);
    ASSERT_EQ(tex_->GetLevelCount(), 7u);
    for (UINT l = 0; l < 7; ++l) {
      D3DSURFACE_DESC d;
      tex_->GetLevelDesc(l, &d);
      D3DLOCKED_RECT lr;
      ASSERT_EQ(tex_->LockRect(l, &lr, nullptr, 0), D3D_OK);
      for (UINT y = 0; y < d.Height; ++y)
        for (UINT x = 0; x < d.Width; ++x)
          reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = kLevelColour[l];
      tex_->UnlockRect(l);
    }
    dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  }
  void TearDown() override {
    dev_->SetTexture(0, nullptr);
    if (tex_) tex_->Release();
    DeviceTest::TearDown();
  }
  // A floor receding towards the top, as a perspective projection draws a
  // square: 16 times as far at the top edge (rhw 1/16, 4 pixels wide) as at
  // the bottom one (rhw 1, the full width).
  void DrawFloor() {
    const TLVertex v[4] = {{30, 0, 0.5f, 1.f / 16, 0xffffffffu, 0, 0},
                           {34, 0, 0.5f, 1.f / 16, 0xffffffffu, 1, 0},
                           {0, 64, 0.5f, 1.f, 0xffffffffu, 0, 1},
                           {64, 64, 0.5f, 1.f, 0xffffffffu, 1, 1}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex)), D3D_OK);
  }
  int LevelAt(int x, int y) {
    const std::uint32_t c = Pixel(x, y);
    for (int l = 0; l < 7; ++l)
      if (kLevelColour[l] == c) return l;
    return -1;
  }
  IDirect3DTexture9* tex_ = nullptr;
};

TEST_F(MipTest, ARecedingFloorShowsEveryLevelAcrossItsDepth) {
  dev_->SetTexture(0, tex_);
  dev_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  DrawFloor();
  // Down the middle column the level falls from the far edge to the near
  // one, one step at a time.
  std::set<int> seen;
  int last = 99;
  for (int y = 0; y < 64; ++y) {
    const int l = LevelAt(32, y);
    ASSERT_GE(l, 0) << y;
    EXPECT_LE(l, last) << y;
    last = l;
    seen.insert(l);
  }
  EXPECT_EQ(seen.size(), 5u);  // levels 0 to 4
  EXPECT_EQ(LevelAt(32, 63), 0);
  EXPECT_EQ(LevelAt(32, 0), 4);
  // The level does not depend on which triangle of the floor a pixel is
  // in: points mirrored about the middle agree.
  for (int y = 8; y < 64; y += 3) EXPECT_EQ(LevelAt(28, y), LevelAt(36, y)) << y;
  // MAXMIPLEVEL is the most detailed level allowed.
  dev_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 2);
  DrawFloor();
  EXPECT_EQ(LevelAt(32, 63), 2);
  EXPECT_EQ(LevelAt(32, 0), 4);
}

TEST_F(MipTest, WithoutMipFilteringTheTexturesLodIsTheLevel) {
  dev_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  dev_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 2);
  dev_->SetTexture(0, tex_);
  DrawFloor();
  EXPECT_EQ(LevelAt(32, 0), 0);
  EXPECT_EQ(LevelAt(32, 63), 0);
  tex_->SetLOD(1);  // while bound: the next draw uses it
  DrawFloor();
  EXPECT_EQ(LevelAt(32, 0), 1);
  EXPECT_EQ(LevelAt(32, 63), 1);
}

// ---------------------------------------------------------------------------
// Fog with FOGSTART equal to FOGEND.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, FogStartEqualToEndIsFullFog) {
  struct ColorVertex {
    float x, y, z;
    D3DCOLOR color;
  };
  dev_->SetRenderState(D3DRS_FOGENABLE, TRUE);
  dev_->SetRenderState(D3DRS_FOGCOLOR, 0xff0000ffu);
  dev_->SetRenderState(D3DRS_FOGSTART, F(0.5f));
  dev_->SetRenderState(D3DRS_FOGEND, F(0.5f));
  // Vertex fog, identity transforms: depth 0.25, before start and end.
  dev_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  dev_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  const ColorVertex tri[3] = {{-1, 1, 0.25f, 0xffffffffu}, {3, 1, 0.25f, 0xffffffffu}, {-1, -3, 0.25f, 0xffffffffu}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ColorVertex)), D3D_OK);
  EXPECT_EQ(Pixel(4, 4), 0xff0000ffu);
  // Table fog of pre-transformed vertices, depth 0.25 and 0.75.
  Clear(0xff000000u);
  dev_->SetFVF(kTLFvf);
  dev_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
  dev_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  for (float z : {0.25f, 0.75f}) {
    const TLVertex v[3] = {{0, 0, z, 1, 0xffffffffu, 0, 0}, {16, 0, z, 1, 0xffffffffu, 0, 0},
                           {0, 16, z, 1, 0xffffffffu, 0, 0}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(TLVertex)), D3D_OK);
    EXPECT_EQ(Pixel(2, 2), 0xff0000ffu) << z;
  }
}

// ---------------------------------------------------------------------------
// Viewports.
// ---------------------------------------------------------------------------

class DocumentedDepthTest : public DeviceTest {
 protected:
  void SetUp() override { Create(8, 8, D3DFMT_X8R8G8B8, true); }
};

TEST_F(DocumentedDepthTest, ViewportWithMinZEqualToMaxZStillSeparatesDepths) {
  ASSERT_EQ(dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0), D3D_OK);
  D3DVIEWPORT9 vp{0, 0, 8, 8, 0.5f, 0.5f};
  ASSERT_EQ(dev_->SetViewport(&vp), D3D_OK);
  D3DVIEWPORT9 got{};
  dev_->GetViewport(&got);
  EXPECT_EQ(got.MaxZ, 0.5f);  // reported as set
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  struct ColorVertex {
    float x, y, z;
    D3DCOLOR color;
  };
  // Untransformed, identity transforms: the far quad first, then the near one.
  dev_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  for (auto [z, c] : {std::pair{0.9f, 0xffff0000u}, std::pair{0.1f, 0xff00ff00u}}) {
    const ColorVertex v[4] = {{-1, 1, z, c}, {1, 1, z, c}, {-1, -1, z, c}, {1, -1, z, c}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ColorVertex)), D3D_OK);
  }
  EXPECT_EQ(Pixel(4, 4), 0xff00ff00u);
  // The same at the far end of the range.
  ASSERT_EQ(dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_TARGET, 0, 1.f, 0), D3D_OK);
  vp.MinZ = vp.MaxZ = 1.f;
  ASSERT_EQ(dev_->SetViewport(&vp), D3D_OK);
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  for (auto [z, c] : {std::pair{0.9f, 0xffff0000u}, std::pair{0.1f, 0xff00ff00u}}) {
    const ColorVertex v[4] = {{-1, 1, z, c}, {1, 1, z, c}, {-1, -1, z, c}, {1, -1, z, c}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ColorVertex)), D3D_OK);
  }
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  {
    const ColorVertex v[4] = {{-1, 1, 0.5f, 0xff0000ffu}, {1, 1, 0.5f, 0xff0000ffu}, {-1, -1, 0.5f, 0xff0000ffu},
                              {1, -1, 0.5f, 0xff0000ffu}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ColorVertex)), D3D_OK);
  }
  EXPECT_EQ(Pixel(4, 4), 0xff00ff00u);  // 0.5 lies behind 0.1
}

// ---------------------------------------------------------------------------
// Clear.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, ClearCountsAndRectanglePointers) {
  const D3DRECT r{0, 0, 4, 4};
  // No rectangles in a list: nothing is cleared.
  EXPECT_EQ(dev_->Clear(0, &r, D3DCLEAR_TARGET, 0xffffffffu, 1.f, 0), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0xff000000u);
  // A count without a list: the whole viewport.
  EXPECT_EQ(dev_->Clear(1, nullptr, D3DCLEAR_TARGET, 0xffffffffu, 1.f, 0), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0xffffffffu);
  EXPECT_EQ(Pixel(7, 7), 0xffffffffu);
}

// ---------------------------------------------------------------------------
// Reset.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, ResetUnbindsTargetsTheApplicationReleased) {
  dev_->EndScene();
  IDirect3DSurface9* rt = nullptr;
  IDirect3DSurface9* ds = nullptr;
  ASSERT_EQ(dev_->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &rt, nullptr), D3D_OK);
  ASSERT_EQ(dev_->CreateDepthStencilSurface(8, 8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE, &ds, nullptr), D3D_OK);
  ASSERT_EQ(dev_->SetRenderTarget(0, rt), D3D_OK);
  ASSERT_EQ(dev_->SetDepthStencilSurface(ds), D3D_OK);
  D3DPRESENT_PARAMETERS pp = WindowedParams(8, 8);
  // The application still holds the target: Reset fails.
  EXPECT_EQ(dev_->Reset(&pp), D3DERR_INVALIDCALL);
  rt->Release();
  ds->Release();
  // Only the device's bindings are left: Reset unbinds them and succeeds.
  pp = WindowedParams(8, 8);
  EXPECT_EQ(dev_->Reset(&pp), D3D_OK);
  IDirect3DSurface9* now = nullptr;
  ASSERT_EQ(dev_->GetRenderTarget(0, &now), D3D_OK);
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  EXPECT_EQ(now, back);
  now->Release();
  back->Release();
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
}

// ---------------------------------------------------------------------------
// State round trips.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, UnbindingAStreamKeepsItsOffsetAndStride) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(dev_->CreateVertexBuffer(256, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  ASSERT_EQ(dev_->SetStreamSource(0, vb, 32, 28), D3D_OK);
  ASSERT_EQ(dev_->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
  IDirect3DVertexBuffer9* got = vb;
  UINT offset = 0, stride = 0;
  ASSERT_EQ(dev_->GetStreamSource(0, &got, &offset, &stride), D3D_OK);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(offset, 32u);
  EXPECT_EQ(stride, 28u);
  vb->Release();
}

TEST_F(DocumentedTest, PointSizeMaxDefaultsToTheCapsMaximum) {
  D3DCAPS9 caps{};
  ASSERT_EQ(dev_->GetDeviceCaps(&caps), D3D_OK);
  DWORD v = 0;
  ASSERT_EQ(dev_->GetRenderState(D3DRS_POINTSIZE_MAX, &v), D3D_OK);
  EXPECT_EQ(v, F(caps.MaxPointSize));
}

// ---------------------------------------------------------------------------
// Locks.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, SecondLocksAndUnlocks) {
  for (D3DPOOL pool : {D3DPOOL_MANAGED, D3DPOOL_SYSTEMMEM, D3DPOOL_SCRATCH}) {
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(dev_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, pool, &t, nullptr), D3D_OK) << pool;
    D3DLOCKED_RECT first{}, second{};
    ASSERT_EQ(t->LockRect(0, &first, nullptr, 0), D3D_OK);
    second = first;
    EXPECT_EQ(t->LockRect(0, &second, nullptr, 0), D3DERR_INVALIDCALL) << pool;
    EXPECT_EQ(second.pBits, first.pBits) << pool;  // left as it was
    EXPECT_EQ(second.Pitch, first.Pitch) << pool;
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK) << pool;  // a second unlock is harmless
    t->Release();
  }
  // A default-pool texture still refuses an unlock without a lock.
  IDirect3DTexture9* dyn = nullptr;
  ASSERT_EQ(dev_->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &dyn, nullptr), D3D_OK);
  EXPECT_EQ(dyn->UnlockRect(0), D3DERR_INVALIDCALL);
  dyn->Release();
}

// ---------------------------------------------------------------------------
// Texture creation.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, ContradictoryTextureUsagesAreInvalid) {
  IDirect3DTexture9* t = nullptr;
  const struct {
    DWORD usage;
    D3DFORMAT format;
  } bad[] = {
      {D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8},
      {D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC, D3DFMT_D24S8},
      {D3DUSAGE_DEPTHSTENCIL, D3DFMT_A8R8G8B8},
      {D3DUSAGE_RENDERTARGET, D3DFMT_D16},
  };
  for (const auto& b : bad) {
    EXPECT_EQ(dev_->CreateTexture(8, 8, 1, b.usage, b.format, D3DPOOL_DEFAULT, &t, nullptr), D3DERR_INVALIDCALL)
        << std::hex << b.usage << " " << b.format;
    EXPECT_EQ(t, nullptr);
  }
  // A depth texture is either made, or the format check says it cannot be.
  const HRESULT made = dev_->CreateTexture(8, 8, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D24S8, D3DPOOL_DEFAULT, &t, nullptr);
  const HRESULT checked = d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                                  D3DRTYPE_TEXTURE, D3DFMT_D24S8);
  EXPECT_EQ(SUCCEEDED(made), SUCCEEDED(checked));
  if (t) t->Release();
  // Depth-stencil surfaces are still there.
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                    D3DFMT_D24S8),
            D3D_OK);
}

// ---------------------------------------------------------------------------
// Vertex declarations.
// ---------------------------------------------------------------------------

TEST_F(DocumentedTest, D3DColorBlendWeightsBlendTheWorldMatrices) {
  struct BlendVertex {
    float x, y, z;
    D3DCOLOR weights;
    D3DCOLOR color;
  };
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_BLENDWEIGHT, 0},
      {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      D3DDECL_END()};
  IDirect3DVertexDeclaration9* decl = nullptr;
  ASSERT_EQ(dev_->CreateVertexDeclaration(elements, &decl), D3D_OK);
  ASSERT_EQ(dev_->SetVertexDeclaration(decl), D3D_OK);
  // World 0 is the identity; world 1 moves points half the target right.
  D3DMATRIX id{}, moved{};
  for (int i = 0; i < 4; ++i) id.m[i][i] = moved.m[i][i] = 1.f;
  moved._41 = 1.f;
  dev_->SetTransform(D3DTS_WORLDMATRIX(0), &id);
  dev_->SetTransform(D3DTS_WORLDMATRIX(1), &moved);
  dev_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
  // Weight 0 in red: 1 keeps world 0, 0 takes world 1.
  const BlendVertex left{-0.5f, 0.f, 0.5f, 0x00ff0000u, 0xffff0000u};
  const BlendVertex right{-0.5f, 0.5f, 0.5f, 0x00000000u, 0xff00ff00u};
  EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &left, sizeof left), D3D_OK);
  EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &right, sizeof right), D3D_OK);
  EXPECT_EQ(Pixel(2, 4), 0xffff0000u);
  EXPECT_EQ(Pixel(6, 2), 0xff00ff00u);
  dev_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
  dev_->SetVertexDeclaration(nullptr);
  decl->Release();
}

}  // namespace
}  // namespace d3d9_test
