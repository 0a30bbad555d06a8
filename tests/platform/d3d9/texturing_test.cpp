// Texturing beyond the basics: formats sampled through their ARGB copies
// and refreshed after a lock, mipmap level choice, alpha test, colour write
// mask, perspective-correct coordinates and indexed user-pointer draws.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

class TexturingTest : public DeviceTest {};

TEST_F(TexturingTest, SixteenBitAndLuminanceTexturesSampleAsArgb) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(dev_->CreateTexture(2, 2, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = 0xF800;
  t->UnlockRect(0);
  dev_->SetTexture(0, t);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  EXPECT_EQ(Pixel(2, 2), 0xffff0000u);
  // New contents after a lock are what the next draw samples.
  ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = 0x001F;
  t->UnlockRect(0);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  EXPECT_EQ(Pixel(2, 2), 0xff0000ffu);
  dev_->SetTexture(0, nullptr);
  t->Release();

  ASSERT_EQ(dev_->CreateTexture(1, 1, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  t->LockRect(0, &lr, nullptr, 0);
  *static_cast<BYTE*>(lr.pBits) = 0x40;
  t->UnlockRect(0);
  dev_->SetTexture(0, t);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  EXPECT_EQ(Pixel(0, 0), 0xff404040u);
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexturingTest, XrgbTexturesReadOpaque) {
  IDirect3DTexture9* t = MakeTexture(1, 1, [](UINT, UINT) { return 0x00336699u; }, D3DFMT_X8R8G8B8);
  dev_->SetTexture(0, t);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);  // alpha from the texture: its X byte reads 0xff
  EXPECT_EQ(Pixel(0, 0), 0xff336699u);
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexturingTest, MipLevelFollowsTheFootprint) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(dev_->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  const D3DCOLOR colours[5] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffff00u, 0xff00ffffu};
  for (UINT level = 0; level < 5; ++level) {
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
    const UINT size = 16u >> level;
    for (UINT y = 0; y < size; ++y)
      for (UINT x = 0; x < size; ++x)
        reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = colours[level];
    t->UnlockRect(level);
  }
  dev_->SetTexture(0, t);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);  // 16 texels over 8 pixels, mipmapping off: level 0
  EXPECT_EQ(Pixel(3, 3), colours[0]);
  dev_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);  // two texels a pixel: level 1
  EXPECT_EQ(Pixel(3, 3), colours[1]);
  DrawQuad(0, 0, 4, 4, 0xffffffffu);  // four texels a pixel: level 2
  EXPECT_EQ(Pixel(1, 1), colours[2]);
  dev_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 3);  // nothing more detailed than level 3
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  EXPECT_EQ(Pixel(3, 3), colours[3]);
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexturingTest, AlphaTestAndColourWriteMask) {
  dev_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  dev_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  dev_->SetRenderState(D3DRS_ALPHAREF, 0x80);
  dev_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  DrawQuad(0, 0, 4, 8, 0x7fffffffu);  // below the reference: rejected
  DrawQuad(4, 0, 8, 8, 0x80ffffffu);
  EXPECT_EQ(Coverage()[0], "....####");
  dev_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  dev_->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED);
  Clear(0xff000000u);
  DrawQuad(0, 0, 8, 8, 0xff123456u);
  EXPECT_EQ(Pixel(0, 0), 0xff120000u);
}

TEST_F(TexturingTest, PerspectiveCorrectCoordinates) {
  // A quad whose right side is four times as far away: the texture
  // boundary lies where the perspective puts it, not halfway.
  IDirect3DTexture9* t = MakeTexture(2, 1, [](UINT x, UINT) { return x ? 0xffffffffu : 0xff000000u; });
  dev_->SetTexture(0, t);
  dev_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  TLVertex v[4] = {{0, 0, 0, 1.f, 0xffffffffu, 0, 0}, {8, 0, 0, 0.25f, 0xffffffffu, 1, 0},
                   {0, 8, 0, 1.f, 0xffffffffu, 0, 1}, {8, 8, 0, 0.25f, 0xffffffffu, 1, 1}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex)), D3D_OK);
  // With t = x / 8, u = 0.25 t / (1 - 0.75 t) reaches 0.5 at x = 6.4, so
  // only the pixel centre at 7 samples the white texel (affine: from 4).
  const auto rows = Coverage();
  EXPECT_EQ(rows[4], ".......#");
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexturingTest, IndexedUserPointerDrawAndMultiplyTransform) {
  dev_->SetFVF(k2DFvf);
  Vertex2D v[4] = {{-1, 1, 0, 0xffffffffu, 0, 0}, {1, 1, 0, 0xffffffffu, 0, 0}, {-1, -1, 0, 0xffffffffu, 0, 0},
                   {1, -1, 0, 0xffffffffu, 0, 0}};
  const std::uint32_t idx[6] = {0, 1, 2, 2, 1, 3};
  D3DMATRIX half{};
  half._11 = half._22 = 0.5f;
  half._33 = half._44 = 1.f;
  ASSERT_EQ(dev_->MultiplyTransform(D3DTS_VIEW, &half), D3D_OK);  // identity times half
  ASSERT_EQ(dev_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, idx, D3DFMT_INDEX32, v, sizeof(Vertex2D)), D3D_OK);
  const auto rows = Coverage();
  EXPECT_EQ(rows[1], "........");
  EXPECT_EQ(rows[2], "..####..");
  EXPECT_EQ(rows[5], "..####..");
  EXPECT_EQ(dev_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, idx, D3DFMT_X8R8G8B8, v, sizeof(Vertex2D)),
            D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3d9_test
