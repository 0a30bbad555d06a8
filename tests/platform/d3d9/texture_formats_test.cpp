// Sampling of every texture format the device offers, the formats it
// refuses, the address modes (wrap, mirror, clamp, border, mirror once),
// linear mip filtering and anisotropic filtering.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/d3d9/formats/dxt_codec.h"
#include "platform/d3d9/formats/row_codec.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

class TextureFormatsTest : public DeviceTest {
 protected:
  void SetUp() override { Create(16, 16, D3DFMT_A8R8G8B8); }

  // Draws a texture over pixels [0, w) x [0, h) with point sampling.
  void DrawTexture(IDirect3DTexture9* t, float w, float h) {
    dev_->SetTexture(0, t);
    Clear(0x00000000u);
    DrawQuad(0, 0, w, h, 0xffffffffu);
    dev_->SetTexture(0, nullptr);
  }
};

// Precision of one channel: bits, 0 for a channel the format lacks (it
// reads as `missing`), -1 for luminance (r, g, b all read L).
struct FormatCase {
  D3DFORMAT format;
  int a, r, g, b;
  int missing_rgb;  // value of absent colour channels
};

int Tolerance(int bits) { return bits >= 8 ? 1 : 255 / ((1 << bits) - 1) / 2 + 2; }

TEST_F(TextureFormatsTest, EveryTextureFormatSamplesItsChannels) {
  const FormatCase cases[] = {
      {D3DFMT_R8G8B8, 0, 8, 8, 8, 0},         {D3DFMT_A8R8G8B8, 8, 8, 8, 8, 0},
      {D3DFMT_X8R8G8B8, 0, 8, 8, 8, 0},       {D3DFMT_R5G6B5, 0, 5, 6, 5, 0},
      {D3DFMT_X1R5G5B5, 0, 5, 5, 5, 0},       {D3DFMT_A1R5G5B5, 1, 5, 5, 5, 0},
      {D3DFMT_A4R4G4B4, 4, 4, 4, 4, 0},       {D3DFMT_R3G3B2, 0, 3, 3, 2, 0},
      {D3DFMT_A8, 8, 0, 0, 0, 0},             {D3DFMT_A8R3G3B2, 8, 3, 3, 2, 0},
      {D3DFMT_X4R4G4B4, 0, 4, 4, 4, 0},       {D3DFMT_A2B10G10R10, 2, 10, 10, 10, 0},
      {D3DFMT_A8B8G8R8, 8, 8, 8, 8, 0},       {D3DFMT_X8B8G8R8, 0, 8, 8, 8, 0},
      {D3DFMT_G16R16, 0, 16, 16, 0, 255},     {D3DFMT_A2R10G10B10, 2, 10, 10, 10, 0},
      {D3DFMT_A16B16G16R16, 16, 16, 16, 16, 0}, {D3DFMT_L8, 0, -8, -8, -8, 0},
      {D3DFMT_A8L8, 8, -8, -8, -8, 0},        {D3DFMT_A4L4, 4, -4, -4, -4, 0},
      {D3DFMT_L16, 0, -16, -16, -16, 0},      {D3DFMT_R16F, 0, 10, 0, 0, 255},
      {D3DFMT_G16R16F, 0, 10, 10, 0, 255},    {D3DFMT_A16B16G16R16F, 10, 10, 10, 10, 0},
      {D3DFMT_R32F, 0, 16, 0, 0, 255},        {D3DFMT_G32R32F, 0, 16, 16, 0, 255},
      {D3DFMT_A32B32G32R32F, 16, 16, 16, 16, 0},
  };
  const std::uint32_t src[2] = {0x80ff4010u, 0xff10c0f0u};
  for (const FormatCase& c : cases) {
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(dev_->CreateTexture(2, 1, 1, 0, c.format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK) << c.format;
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    ASSERT_TRUE(d3d9_formats::EncodeRow(c.format, src, 2, lr.pBits)) << c.format;
    t->UnlockRect(0);
    DrawTexture(t, 2, 1);
    t->Release();
    for (int x = 0; x < 2; ++x) {
      const std::uint32_t got = Pixel(x, 0);
      const int s[4] = {static_cast<int>(src[x] & 0xff), static_cast<int>((src[x] >> 8) & 0xff),
                        static_cast<int>((src[x] >> 16) & 0xff), static_cast<int>(src[x] >> 24)};  // b g r a
      const int lum = static_cast<int>(0.2125 * s[2] + 0.7154 * s[1] + 0.0721 * s[0] + 0.5);
      const int bits[4] = {c.b, c.g, c.r, c.a};
      for (int ch = 0; ch < 4; ++ch) {
        const int g = static_cast<int>((got >> (8 * ch)) & 0xff);
        int want, tol;
        if (bits[ch] > 0) {
          want = s[ch], tol = Tolerance(bits[ch]);
        } else if (bits[ch] < 0) {
          want = lum, tol = Tolerance(-bits[ch]) + 1;
        } else {
          want = ch == 3 ? 255 : c.missing_rgb, tol = 0;
        }
        EXPECT_LE(std::abs(g - want), tol) << "format " << c.format << " texel " << x << " channel " << ch
                                           << " got " << g << " want " << want;
      }
    }
  }
}

TEST_F(TextureFormatsTest, BlockCompressedFormatsSampleTheirDecodedBlocks) {
  std::uint32_t texels[16];
  for (int i = 0; i < 16; ++i)
    texels[i] = (static_cast<std::uint32_t>(i * 16) << 24) | (static_cast<std::uint32_t>(255 - i * 12) << 16) |
                (static_cast<std::uint32_t>(i * 9) << 8) | 0x40u;
  const struct {
    D3DFORMAT format;
    d3d9_formats::BlockKind kind;
  } cases[] = {{D3DFMT_DXT1, d3d9_formats::BlockKind::Dxt1}, {D3DFMT_DXT2, d3d9_formats::BlockKind::Dxt2},
               {D3DFMT_DXT3, d3d9_formats::BlockKind::Dxt3}, {D3DFMT_DXT4, d3d9_formats::BlockKind::Dxt4},
               {D3DFMT_DXT5, d3d9_formats::BlockKind::Dxt5}};
  for (const auto& c : cases) {
    std::uint8_t block[16];
    d3d9_formats::EncodeBlock(c.kind, texels, block);
    std::uint32_t want[16];
    d3d9_formats::DecodeBlock(c.kind, block, want);
    // An 8 x 4 texture of two blocks: the second mirrors the first's bytes.
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(dev_->CreateTexture(8, 4, 1, 0, c.format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    const int bytes = d3d9_formats::BlockBytes(c.kind);
    std::memcpy(lr.pBits, block, bytes);
    std::memcpy(static_cast<BYTE*>(lr.pBits) + bytes, block, bytes);
    t->UnlockRect(0);
    DrawTexture(t, 8, 4);
    t->Release();
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(x, y), want[y * 4 + (x & 3)]) << c.format << " " << x << "," << y;
  }
}

TEST_F(TextureFormatsTest, PalettisedAndVideoFormatsAreRefused) {
  for (D3DFORMAT f : {D3DFMT_P8, D3DFMT_A8P8, D3DFMT_YUY2, D3DFMT_UYVY, D3DFMT_R8G8_B8G8, D3DFMT_G8R8_G8B8}) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(dev_->CreateTexture(4, 4, 1, 0, f, D3DPOOL_MANAGED, &t, nullptr), D3DERR_NOTAVAILABLE) << f;
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, f),
              D3DERR_NOTAVAILABLE)
        << f;
  }
}

// ---------------------------------------------------------------------------
// Addressing and filtering.
// ---------------------------------------------------------------------------

TEST_F(TextureFormatsTest, AddressModesWrapMirrorClampBorderMirrorOnce) {
  // A 4 x 1 texture with texels 0x10, 0x20, 0x30, 0x40 in red, stretched
  // from u = -1 to u = 2 over 12 pixels: one pixel per texel.
  IDirect3DTexture9* t = MakeTexture(4, 1, [](UINT x, UINT) { return 0xff000000u | ((x + 1) * 0x10u << 16); });
  dev_->SetTexture(0, t);
  dev_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0xff0000ffu);
  auto row = [&](DWORD mode) {
    dev_->SetSamplerState(0, D3DSAMP_ADDRESSU, mode);
    Clear(0xff000000u);
    DrawQuad(0, 0, 12, 1, 0xffffffffu, -1.f, 0.f, 2.f, 1.f);
    std::vector<std::uint32_t> px = Pixels();
    std::string s;
    for (int x = 0; x < 12; ++x) {
      const std::uint32_t c = px[x];
      s += (c & 0xff) ? 'B' : static_cast<char>('0' + ((c >> 16) & 0xff) / 0x10);
    }
    return s;
  };
  EXPECT_EQ(row(D3DTADDRESS_WRAP), "123412341234");
  EXPECT_EQ(row(D3DTADDRESS_MIRROR), "432112344321");
  EXPECT_EQ(row(D3DTADDRESS_CLAMP), "111112344444");
  EXPECT_EQ(row(D3DTADDRESS_BORDER), "BBBB1234BBBB");
  EXPECT_EQ(row(D3DTADDRESS_MIRRORONCE), "432112344444");
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TextureFormatsTest, LinearMipFilterBlendsTwoLevels) {
  // Level 0 black, level 1 white: a footprint of 1.5 texels per pixel sits
  // between them.
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(dev_->CreateTexture(16, 16, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  for (UINT level = 0; level < 2; ++level) {
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
    const UINT n = 16 >> level;
    for (UINT y = 0; y < n; ++y)
      for (UINT x = 0; x < n; ++x)
        reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] =
            level ? 0xffffffffu : 0xff000000u;
    t->UnlockRect(level);
  }
  dev_->SetTexture(0, t);
  dev_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  // 16 texels over 11 pixels: lod = log2(16 / 11) = 0.54.
  DrawQuad(0, 0, 11, 11, 0xffffffffu);
  const std::uint32_t point = Pixel(3, 3);
  EXPECT_EQ(point, 0xffffffffu);  // nearest level: 1
  dev_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  Clear(0xff000000u);
  DrawQuad(0, 0, 11, 11, 0xffffffffu);
  const int want = static_cast<int>(std::log2(16.f / 11.f) * 256.f) * 255 / 256;
  EXPECT_NEAR(static_cast<int>(Pixel(3, 3) & 0xff), want, 2);
  // MAXMIPLEVEL 1 leaves only the white level.
  dev_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 1);
  Clear(0xff000000u);
  DrawQuad(0, 0, 11, 11, 0xffffffffu);
  EXPECT_EQ(Pixel(3, 3), 0xffffffffu);
  dev_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TextureFormatsTest, AnisotropicFilteringAveragesAlongTheLongAxis) {
  D3DCAPS9 caps;
  dev_->GetDeviceCaps(&caps);
  ASSERT_GE(caps.MaxAnisotropy, 4u);
  EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC);
  // Vertical stripes, squeezed four times horizontally: each pixel covers
  // four texels, two black and two white.
  IDirect3DTexture9* t = MakeTexture(32, 8, [](UINT x, UINT) { return (x & 1) ? 0xffffffffu : 0xff000000u; });
  dev_->SetTexture(0, t);
  dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  const std::uint32_t point = Pixel(3, 3) & 0xff;
  EXPECT_TRUE(point == 0 || point == 0xff);
  dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
  dev_->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, 4);
  Clear(0xff000000u);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  for (int x = 0; x < 8; ++x) EXPECT_NEAR(static_cast<int>(Pixel(x, 3) & 0xff), 128, 2) << x;
  dev_->SetTexture(0, nullptr);
  t->Release();
}

}  // namespace
}  // namespace d3d9_test
