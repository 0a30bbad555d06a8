// Pixel tests of the rasterizer on small render targets: coverage rules,
// primitive types, culling, fill and shade modes, texturing, blending,
// depth, and transformed 2D geometry.
#include <gtest/gtest.h>

#include <limits>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using Rows = std::vector<std::string>;

class RasterTest : public DeviceTest {};

TEST_F(RasterTest, ScreenQuadCoversExactlyItsPixels) {
  // Pixel centres at integer coordinates: (1,1)-(5,4) covers x 1..4, y 1..3.
  DrawQuad(1, 1, 5, 4, 0xffffffffu);
  EXPECT_EQ(Coverage(), (Rows{"........", ".####...", ".####...", ".####...", "........", "........", "........",
                              "........"}));
}

TEST_F(RasterTest, FullTargetQuadCoversEveryPixelOnce) {
  // Two triangles sharing a diagonal: with blending that adds, a pixel hit
  // twice would show.
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  DrawQuad(0, 0, 8, 8, 0xff101010u);
  for (std::uint32_t p : Pixels()) EXPECT_EQ(p, 0xff101010u);
}

TEST_F(RasterTest, HalfPixelEdgesFollowTheTopLeftRule) {
  // Edges through pixel centres: the left and top edges take the pixel,
  // the right and bottom ones leave it.
  DrawQuad(2, 2, 4, 4, 0xffffffffu);
  EXPECT_EQ(Coverage(), (Rows{"........", "........", "..##....", "..##....", "........", "........", "........",
                              "........"}));
  Clear(0xff000000u);
  DrawQuad(1.5f, 1.5f, 3.5f, 3.5f, 0xffffffffu);  // centres 2 and 3 inside
  EXPECT_EQ(Coverage()[2], "..##....");
  EXPECT_EQ(Coverage()[4], "........");
}

TEST_F(RasterTest, PointSamplingMapsTexelsOneToOne) {
  IDirect3DTexture9* t = MakeTexture(8, 8, [](UINT x, UINT y) { return 0xff000000u | (x << 16) | (y << 8) | 7u; });
  dev_->SetTexture(0, t);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  const auto px = Pixels();
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 8; ++x) EXPECT_EQ(px[y * 8 + x], 0xff000000u | (x << 16) | (y << 8) | 7u) << x << "," << y;
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(RasterTest, TextureModulatesDiffuseAndAlphaArgumentSelects) {
  IDirect3DTexture9* t = MakeTexture(2, 2, [](UINT, UINT) { return 0x80ff8040u; });
  dev_->SetTexture(0, t);
  // Default stage 0: colour = texture * diffuse, alpha = texture alpha.
  // Written to an X8R8G8B8 target the alpha shows as opaque.
  DrawQuad(0, 0, 8, 8, 0xff808080u);
  EXPECT_EQ(Pixel(3, 3), 0xff804020u);
  // With blending, alpha from the texture (0x80) or from diffuse decides.
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  Clear(0xff000000u);
  DrawQuad(0, 0, 8, 8, 0x00ffffffu);
  EXPECT_EQ(Pixel(0, 0), 0xff804020u);  // 0x80 of (ff,80,40) over black
  dev_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  Clear(0xff000000u);
  DrawQuad(0, 0, 8, 8, 0x00ffffffu);  // diffuse alpha 0: nothing shows
  EXPECT_EQ(Pixel(0, 0), 0xff000000u);
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(RasterTest, UntexturedDrawUsesDiffuseColour) {
  DrawQuad(0, 0, 8, 8, 0xff123456u);
  EXPECT_EQ(Pixel(7, 7), 0xff123456u);
}

TEST_F(RasterTest, BlendFactorsGiveDirect3DResults) {
  Clear(0xff204060u);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  // Untextured, the default alpha argument (the texture) reads 1; take the
  // diffuse alpha as the engine does.
  dev_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  struct Case {
    DWORD src, dst;
    D3DCOLOR colour, expect;
  } cases[] = {
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x80ffffffu, 0xff90a0b0u},
      {D3DBLEND_ONE, D3DBLEND_ONE, 0xff101010u, 0xff305070u},
      {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0xff808080u, 0xff102030u},
      {D3DBLEND_ONE, D3DBLEND_ZERO, 0x40abcdefu, 0xffabcdefu},
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0xffffffffu, 0xff204060u},
  };
  for (const Case& c : cases) {
    Clear(0xff204060u);
    dev_->SetRenderState(D3DRS_SRCBLEND, c.src);
    dev_->SetRenderState(D3DRS_DESTBLEND, c.dst);
    DrawQuad(0, 0, 8, 8, c.colour);
    EXPECT_EQ(Pixel(4, 4), c.expect) << c.src << " " << c.dst;
  }
}

TEST_F(RasterTest, CullModesFollowScreenWinding) {
  // Clockwise on screen (y down): (0,0) (8,0) (0,8).
  TLVertex cw[3] = {{0, 0, 0, 1, 0xffffffffu, 0, 0}, {8, 0, 0, 1, 0xffffffffu, 0, 0}, {0, 8, 0, 1, 0xffffffffu, 0, 0}};
  TLVertex ccw[3] = {cw[0], cw[2], cw[1]};
  struct Case {
    DWORD cull;
    bool cw_drawn, ccw_drawn;
  } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
  for (const Case& c : cases) {
    dev_->SetRenderState(D3DRS_CULLMODE, c.cull);
    Clear(0xff000000u);
    dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, sizeof(TLVertex));
    EXPECT_EQ(Pixel(1, 1) != 0xff000000u, c.cw_drawn) << c.cull;
    Clear(0xff000000u);
    dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof(TLVertex));
    EXPECT_EQ(Pixel(1, 1) != 0xff000000u, c.ccw_drawn) << c.cull;
  }
}

TEST_F(RasterTest, StripAndFanKeepTheirWinding) {
  dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  // A strip quad drawn clockwise: both triangles survive counter-clockwise culling.
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  for (std::uint32_t p : Pixels()) EXPECT_EQ(p, 0xffffffffu);
  Clear(0xff000000u);
  TLVertex fan[4] = {{0, 0, 0, 1, 0xffffffffu, 0, 0},
                     {8, 0, 0, 1, 0xffffffffu, 0, 0},
                     {8, 8, 0, 1, 0xffffffffu, 0, 0},
                     {0, 8, 0, 1, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(TLVertex)), D3D_OK);
  for (std::uint32_t p : Pixels()) EXPECT_EQ(p, 0xffffffffu);
}

TEST_F(RasterTest, LinesCoverPixelsAlongTheMajorAxis) {
  TLVertex line[2] = {{1, 2, 0, 1, 0xffffffffu, 0, 0}, {6, 2, 0, 1, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(TLVertex)), D3D_OK);
  EXPECT_EQ(Coverage()[2], ".######.");  // last pixel drawn by default
  Clear(0xff000000u);
  dev_->SetRenderState(D3DRS_LASTPIXEL, FALSE);
  dev_->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(TLVertex));
  EXPECT_EQ(Coverage()[2], ".#####..");
  Clear(0xff000000u);
  TLVertex diag[2] = {{0, 0, 0, 1, 0xffffffffu, 0, 0}, {7, 7, 0, 1, 0xffffffffu, 0, 0}};
  dev_->DrawPrimitiveUP(D3DPT_LINELIST, 1, diag, sizeof(TLVertex));
  const Rows rows = Coverage();
  for (int i = 0; i < 7; ++i) EXPECT_EQ(rows[i][i], '#') << i;
  EXPECT_EQ(rows[7][7], '.');
}

TEST_F(RasterTest, LineStripAndPointList) {
  TLVertex strip[3] = {{0, 0, 0, 1, 0xffffffffu, 0, 0}, {4, 0, 0, 1, 0xffffffffu, 0, 0}, {4, 4, 0, 1, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_LINESTRIP, 2, strip, sizeof(TLVertex)), D3D_OK);
  const Rows rows = Coverage();
  EXPECT_EQ(rows[0], "#####...");
  EXPECT_EQ(rows[3], "....#...");
  Clear(0xff000000u);
  TLVertex pts[2] = {{2, 3, 0, 1, 0xffff0000u, 0, 0}, {6.4f, 5.6f, 0, 1, 0xff00ff00u, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 2, pts, sizeof(TLVertex)), D3D_OK);
  EXPECT_EQ(Pixel(2, 3), 0xffff0000u);
  EXPECT_EQ(Pixel(6, 6), 0xff00ff00u);
  int lit = 0;
  for (std::uint32_t p : Pixels()) lit += p != 0xff000000u;
  EXPECT_EQ(lit, 2);
}

TEST_F(RasterTest, FillModesWireframeAndPoint) {
  dev_->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  DrawQuad(1, 1, 6, 6, 0xffffffffu);
  Rows rows = Coverage();
  EXPECT_EQ(rows[1], ".######.");  // the top edge, and the right edge starting at its end
  EXPECT_EQ(rows[6], ".######.");
  EXPECT_EQ(rows[3][1], '#');
  EXPECT_EQ(rows[3][2], '.');  // interior left empty (off the diagonal)
  dev_->SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
  Clear(0xff000000u);
  DrawQuad(1, 1, 6, 6, 0xffffffffu);
  rows = Coverage();
  EXPECT_EQ(rows[1], ".#....#.");
  EXPECT_EQ(rows[6], ".#....#.");
  EXPECT_EQ(rows[3], "........");
}

TEST_F(RasterTest, FlatShadingTakesTheFirstVertexColour) {
  TLVertex tri[3] = {{0, 0, 0, 1, 0xffff0000u, 0, 0}, {8, 0, 0, 1, 0xff00ff00u, 0, 0}, {0, 8, 0, 1, 0xff0000ffu, 0, 0}};
  dev_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(TLVertex));
  EXPECT_EQ(Pixel(1, 1), 0xffff0000u);
  EXPECT_EQ(Pixel(5, 1), 0xffff0000u);
  dev_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(TLVertex));
  EXPECT_EQ(Pixel(0, 0), 0xffff0000u);  // exactly at the red vertex
  const std::uint32_t mid = Pixel(4, 0);  // halfway to green
  EXPECT_NEAR(static_cast<int>((mid >> 16) & 0xff), 128, 1);
  EXPECT_NEAR(static_cast<int>((mid >> 8) & 0xff), 128, 1);
}

TEST_F(RasterTest, LinearSamplingBlendsNeighbours) {
  IDirect3DTexture9* t = MakeTexture(2, 1, [](UINT x, UINT) { return x ? 0xffffffffu : 0xff000000u; });
  dev_->SetTexture(0, t);
  dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  dev_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  // Texel centres at x = 2 and 6 (in pixels): clamped outside, ramp between.
  EXPECT_EQ(Pixel(0, 0), 0xff000000u);
  EXPECT_EQ(Pixel(7, 0), 0xffffffffu);
  EXPECT_EQ(Pixel(4, 0) & 0xff, 0x80u);
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(RasterTest, WrapAndClampAddressing) {
  IDirect3DTexture9* t = MakeTexture(2, 2, [](UINT x, UINT) { return x ? 0xffffffffu : 0xffff0000u; });
  dev_->SetTexture(0, t);
  DrawQuad(0, 0, 8, 8, 0xffffffffu, 0, 0, 2, 1);  // u 0..2: the pattern twice
  EXPECT_EQ(Pixel(0, 0), 0xffff0000u);
  EXPECT_EQ(Pixel(2, 0), 0xffffffffu);
  EXPECT_EQ(Pixel(4, 0), 0xffff0000u);
  dev_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  DrawQuad(0, 0, 8, 8, 0xffffffffu, 0, 0, 2, 1);
  EXPECT_EQ(Pixel(4, 0), 0xffffffffu);  // past the edge: the last texel
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(RasterTest, ClearWithRectanglesAndViewport) {
  D3DRECT r[2] = {{0, 0, 2, 2}, {6, 6, 10, 10}};
  ASSERT_EQ(dev_->Clear(2, r, D3DCLEAR_TARGET, 0xffffffffu, 1.f, 0), D3D_OK);
  Rows rows = Coverage();
  EXPECT_EQ(rows[0], "##......");
  EXPECT_EQ(rows[7], "......##");
  EXPECT_EQ(dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.f, 0), D3DERR_INVALIDCALL);  // no depth buffer
  D3DVIEWPORT9 vp{2, 2, 4, 4, 0.f, 1.f};
  ASSERT_EQ(dev_->SetViewport(&vp), D3D_OK);
  Clear(0xff000000u);
  rows = Coverage();
  EXPECT_EQ(rows[0], "##......");  // outside the viewport: untouched
  EXPECT_EQ(rows[2], "........");
}

TEST_F(RasterTest, ViewportAndProjectionMapScaled2DSpace) {
  // Identity transforms: x, y in [-1, 1] cover the viewport.
  dev_->SetFVF(k2DFvf);
  Vertex2D quad[4] = {{-1, 1, 0, 0xffffffffu, 0, 0}, {1, 1, 0, 0xffffffffu, 1, 0}, {-1, -1, 0, 0xffffffffu, 0, 1},
                      {1, -1, 0, 0xffffffffu, 1, 1}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex2D)), D3D_OK);
  for (std::uint32_t p : Pixels()) EXPECT_EQ(p, 0xffffffffu);
  // The right half only: x from 0 to 1, y up.
  Clear(0xff000000u);
  Vertex2D half[4] = {{0, 1, 0, 0xffffffffu, 0, 0}, {1, 1, 0, 0xffffffffu, 1, 0}, {0, -1, 0, 0xffffffffu, 0, 1},
                      {1, -1, 0, 0xffffffffu, 1, 1}};
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, half, sizeof(Vertex2D));
  EXPECT_EQ(Coverage()[0], "....####");
  // A world translation moves it.
  D3DMATRIX world{};
  world._11 = world._22 = world._33 = world._44 = 1.f;
  world._41 = -1.f;
  dev_->SetTransform(D3DTS_WORLD, &world);
  Clear(0xff000000u);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, half, sizeof(Vertex2D));
  EXPECT_EQ(Coverage()[0], "####....");
}

TEST_F(RasterTest, GeometryBehindTheNearPlaneIsClipped) {
  dev_->SetFVF(k2DFvf);
  // z below 0 is in front of the near plane; a triangle reaching there is
  // cut, not dropped and not wrapped around.
  Vertex2D tri[3] = {{-1, 1, -1, 0xffffffffu, 0, 0}, {1, 1, 0.5f, 0xffffffffu, 0, 0}, {-1, -1, 0.5f, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(Vertex2D)), D3D_OK);
  const Rows rows = Coverage();
  EXPECT_EQ(rows[7][0], '#');
  EXPECT_EQ(rows[0][7], '#');
  EXPECT_EQ(rows[0][0], '.');
  Vertex2D behind[3] = {{-1, 1, -1, 0xffffffffu, 0, 0}, {1, 1, -1, 0xffffffffu, 0, 0}, {-1, -1, -1, 0xffffffffu, 0, 0}};
  Clear(0xff000000u);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, behind, sizeof(Vertex2D));
  for (std::uint32_t p : Pixels()) EXPECT_EQ(p, 0xff000000u);
}

TEST_F(RasterTest, HugeAndNonFiniteCoordinatesAreHarmless) {
  const float inf = std::numeric_limits<float>::infinity();
  TLVertex tri[3] = {{-1e30f, -1e30f, 0, 1, 0xffffffffu, 0, 0}, {inf, 0, 0, 1, 0xffffffffu, 0, 0},
                     {0, std::numeric_limits<float>::quiet_NaN(), 0, 1, 0xffffffffu, 0, 0}};
  EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(TLVertex)), D3D_OK);
  EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_LINELIST, 1, tri, sizeof(TLVertex)), D3D_OK);
  EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 3, tri, sizeof(TLVertex)), D3D_OK);
  DrawQuad(-1000, -1000, 1000, 1000, 0xff00ff00u);  // far outside: clipped to the target
  for (std::uint32_t p : Pixels()) EXPECT_EQ(p, 0xff00ff00u);
}

class DepthTest : public DeviceTest {
 protected:
  void SetUp() override { Create(8, 8, D3DFMT_X8R8G8B8, true); }
};

TEST_F(DepthTest, DepthTestAndWrite) {
  ASSERT_EQ(dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.f, 0), D3D_OK);
  DWORD z = 0;
  dev_->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_TRUE));  // on by default with an automatic depth buffer
  auto quad_at = [&](float depth, D3DCOLOR c) {
    TLVertex v[4] = {{0, 0, depth, 1, c, 0, 0}, {8, 0, depth, 1, c, 0, 0}, {0, 8, depth, 1, c, 0, 0},
                     {8, 8, depth, 1, c, 0, 0}};
    dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex));
  };
  quad_at(0.5f, 0xffff0000u);
  quad_at(0.7f, 0xff00ff00u);  // behind: rejected
  EXPECT_EQ(Pixel(3, 3), 0xffff0000u);
  quad_at(0.3f, 0xff0000ffu);  // in front
  EXPECT_EQ(Pixel(3, 3), 0xff0000ffu);
  dev_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  quad_at(0.1f, 0xffffffffu);
  quad_at(0.2f, 0xff00ff00u);  // still in front of 0.3, since 0.1 was not written
  EXPECT_EQ(Pixel(3, 3), 0xff00ff00u);
  dev_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  quad_at(0.9f, 0xff123456u);
  EXPECT_EQ(Pixel(3, 3), 0xff123456u);
}

class Target16Test : public DeviceTest {
 protected:
  void SetUp() override { Create(8, 8, D3DFMT_R5G6B5); }
};

TEST_F(Target16Test, SixteenBitTargetStoresNearestColour) {
  DrawQuad(0, 0, 8, 8, 0xffff8000u);
  IDirect3DSurface9* rt = nullptr;
  dev_->GetRenderTarget(0, &rt);
  IDirect3DSurface9* copy = nullptr;
  ASSERT_EQ(dev_->CreateOffscreenPlainSurface(8, 8, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
  ASSERT_EQ(dev_->GetRenderTargetData(rt, copy), D3D_OK);
  D3DLOCKED_RECT lr;
  copy->LockRect(&lr, nullptr, 0);
  EXPECT_EQ(static_cast<std::uint16_t*>(lr.pBits)[0], (31u << 11) | (32u << 5));
  copy->UnlockRect();
  copy->Release();
  rt->Release();
}

TEST_F(RasterTest, RenderingIntoATextureLevel) {
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(dev_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  IDirect3DSurface9* level = nullptr;
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
  ASSERT_EQ(dev_->GetRenderTarget(0, &back), D3D_OK);
  ASSERT_EQ(dev_->SetRenderTarget(0, level), D3D_OK);
  D3DVIEWPORT9 vp;
  dev_->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 4u);  // the viewport follows the new target
  Clear(0xff0000ffu);
  DrawQuad(0, 0, 2, 4, 0xffff0000u);
  ASSERT_EQ(dev_->SetRenderTarget(0, back), D3D_OK);
  // Now draw the texture onto the back buffer, point sampled 2:1.
  dev_->SetTexture(0, target);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  EXPECT_EQ(Pixel(1, 1), 0xffff0000u);
  EXPECT_EQ(Pixel(6, 6), 0xff0000ffu);
  dev_->SetTexture(0, nullptr);
  level->Release();
  back->Release();
  target->Release();
}

}  // namespace
}  // namespace d3d9_test
