// The format table and the row codec: sizes and pitches, exact decodes of
// packed formats, channel defaults, and round trips through every format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/row_codec.h"

namespace d3d9_formats {
namespace {

TEST(FormatTable, KnowsTheFormatsOfTheTextureMenu) {
  const D3DFORMAT menu[] = {
      D3DFMT_R8G8B8,      D3DFMT_A8R8G8B8,     D3DFMT_X8R8G8B8,     D3DFMT_R5G6B5,    D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5,    D3DFMT_A4R4G4B4,     D3DFMT_R3G3B2,       D3DFMT_A8,        D3DFMT_A8R3G3B2,
      D3DFMT_X4R4G4B4,    D3DFMT_A2B10G10R10,  D3DFMT_A8B8G8R8,     D3DFMT_X8B8G8R8,  D3DFMT_G16R16,
      D3DFMT_A2R10G10B10, D3DFMT_A16B16G16R16, D3DFMT_A8P8,         D3DFMT_P8,        D3DFMT_L8,
      D3DFMT_A8L8,        D3DFMT_A4L4,         D3DFMT_R8G8_B8G8,    D3DFMT_YUY2,      D3DFMT_G8R8_G8B8,
      D3DFMT_DXT1,        D3DFMT_DXT2,         D3DFMT_DXT3,         D3DFMT_DXT4,      D3DFMT_DXT5,
      D3DFMT_L16,         D3DFMT_R16F,         D3DFMT_G16R16F,      D3DFMT_A16B16G16R16F, D3DFMT_R32F,
      D3DFMT_G32R32F,     D3DFMT_A32B32G32R32F};
  EXPECT_EQ(sizeof(menu) / sizeof(menu[0]), 37u);
  for (D3DFORMAT f : menu) {
    const FormatInfo* info = FindFormat(f);
    ASSERT_NE(info, nullptr) << f;
    EXPECT_EQ(std::string(info->name).rfind("D3DFMT_", 0), 0u);
    EXPECT_TRUE(info->uses & kUseScratch) << info->name;
  }
  EXPECT_EQ(static_cast<DWORD>(D3DFMT_DXT1), 0x31545844u);
  EXPECT_EQ(std::string(FormatName(D3DFMT_A32B32G32R32F)), "D3DFMT_A32B32G32R32F");
  EXPECT_EQ(FindFormat(static_cast<D3DFORMAT>(12345)), nullptr);
}

TEST(FormatTable, PitchesAndSizes) {
  EXPECT_EQ(RowPitch(D3DFMT_X8R8G8B8, 3), 12u);
  EXPECT_EQ(RowPitch(D3DFMT_R8G8B8, 3), 12u);  // 9 bytes padded to 4
  EXPECT_EQ(RowPitch(D3DFMT_R5G6B5, 3), 8u);
  EXPECT_EQ(RowPitch(D3DFMT_A32B32G32R32F, 2), 32u);
  EXPECT_EQ(RowPitch(D3DFMT_YUY2, 3), 8u);       // whole pairs
  EXPECT_EQ(RowPitch(D3DFMT_DXT1, 5), 16u);      // two 8-byte blocks
  EXPECT_EQ(RowPitch(D3DFMT_DXT5, 8), 32u);
  EXPECT_EQ(RowCount(D3DFMT_DXT3, 5), 2u);
  EXPECT_EQ(SurfaceBytes(D3DFMT_DXT1, 4, 4), 8u);
  EXPECT_EQ(SurfaceBytes(D3DFMT_L8, 4, 4), 16u);
  EXPECT_EQ(RowPitch(static_cast<D3DFORMAT>(12345), 4), 0u);
}

TEST(RowCodec, DecodesPackedFormatsExactly) {
  std::uint32_t out[2];
  const std::uint16_t rgb565[2] = {0xF800, 0x07E0};
  ASSERT_TRUE(DecodeRow(D3DFMT_R5G6B5, rgb565, 2, out));
  EXPECT_EQ(out[0], 0xffff0000u);
  EXPECT_EQ(out[1], 0xff00ff00u);
  const std::uint16_t a1[2] = {0x801F, 0x7C00};
  DecodeRow(D3DFMT_A1R5G5B5, a1, 2, out);
  EXPECT_EQ(out[0], 0xff0000ffu);
  EXPECT_EQ(out[1], 0x00ff0000u);
  const std::uint8_t rgb[6] = {0x33, 0x22, 0x11, 0xcc, 0xbb, 0xaa};  // b, g, r in memory
  DecodeRow(D3DFMT_R8G8B8, rgb, 2, out);
  EXPECT_EQ(out[0], 0xff112233u);
  EXPECT_EQ(out[1], 0xffaabbccu);
  const std::uint16_t a4[1] = {0x8F0A};
  DecodeRow(D3DFMT_A4R4G4B4, a4, 1, out);
  EXPECT_EQ(out[0], 0x88ff00aau);
  const std::uint8_t l8[1] = {0x40}, a8[1] = {0x40};
  DecodeRow(D3DFMT_L8, l8, 1, out);
  EXPECT_EQ(out[0], 0xff404040u);
  DecodeRow(D3DFMT_A8, a8, 1, out);
  EXPECT_EQ(out[0], 0x40000000u);  // alpha only: colour reads black
  const std::uint32_t g16r16 = 0xFFFF0000u;  // green full, red zero; blue missing reads 1
  DecodeRow(D3DFMT_G16R16, &g16r16, 1, out);
  EXPECT_EQ(out[0], 0xff00ffffu);
  const std::uint32_t abgr = 0x80112233u;
  DecodeRow(D3DFMT_A8B8G8R8, &abgr, 1, out);
  EXPECT_EQ(out[0], 0x80332211u);
}

TEST(RowCodec, FloatFormatsKeepRangeAndDefaults) {
  const std::uint16_t half[1] = {FloatToHalf(2.5f)};
  float f[4];
  ASSERT_TRUE(DecodeRowFloat(D3DFMT_R16F, half, 1, f));
  EXPECT_EQ(f[0], 2.5f);
  EXPECT_EQ(f[1], 1.f);
  EXPECT_EQ(f[3], 1.f);
  std::uint32_t c;
  DecodeRow(D3DFMT_R16F, half, 1, &c);
  EXPECT_EQ(c, 0xffffffffu);  // clamped to 1 for 8-bit words
  EXPECT_EQ(HalfToFloat(FloatToHalf(-0.375f)), -0.375f);
  EXPECT_EQ(HalfToFloat(FloatToHalf(65504.f)), 65504.f);
  EXPECT_EQ(HalfToFloat(0x0001), 5.9604645e-8f);  // smallest subnormal
  EXPECT_TRUE(std::isinf(HalfToFloat(FloatToHalf(1e6f))));
  const float in[4] = {0.25f, -3.f, 7.f, 0.5f};
  std::uint8_t bytes[16];
  ASSERT_TRUE(EncodeRowFloat(D3DFMT_A32B32G32R32F, in, 1, bytes));
  float back[4];
  DecodeRowFloat(D3DFMT_A32B32G32R32F, bytes, 1, back);
  EXPECT_EQ(std::memcmp(in, back, sizeof in), 0);
}

TEST(RowCodec, EveryConvertibleFormatRoundTripsItsOwnValues) {
  // Encoding what was decoded gives the same bytes back, for every value
  // a format can hold (sampled for the wide formats).
  UINT count = 0;
  const FormatInfo* all = AllFormats(&count);
  std::uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = 0xff000000u | (static_cast<std::uint32_t>(i) * 0x010203u);
  for (UINT i = 0; i < count; ++i) {
    const FormatInfo& f = all[i];
    if (!(f.uses & kUseRowCodec)) continue;
    ASSERT_TRUE(CanConvertRows(f.format)) << f.name;
    const UINT width = 64;
    const UINT bytes = RowPitch(f.format, width);
    std::vector<std::uint8_t> src(bytes), dst(bytes);
    std::uint32_t seed = 12345;
    for (auto& b : src) b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    if (f.is_float) {
      for (UINT k = 0; k < bytes; k += 4) {  // finite values only
        const float v = static_cast<float>(k) * 0.125f - 3.f;
        if (f.format == D3DFMT_R16F || f.format == D3DFMT_G16R16F || f.format == D3DFMT_A16B16G16R16F) {
          const std::uint16_t h[2] = {FloatToHalf(v), FloatToHalf(-v)};
          std::memcpy(&src[k], h, 4);
        } else {
          std::memcpy(&src[k], &v, 4);
        }
      }
      std::vector<float> px(4 * width);
      ASSERT_TRUE(DecodeRowFloat(f.format, src.data(), width, px.data(), palette));
      ASSERT_TRUE(EncodeRowFloat(f.format, px.data(), width, dst.data(), palette));
      EXPECT_EQ(src, dst) << f.name;
      continue;
    }
    if (f.pair_packed) continue;  // chroma is shared: not lossless, checked below
    if (f.format == D3DFMT_P8 || f.format == D3DFMT_A8P8)
      for (UINT k = 0; k < bytes; k += f.format == D3DFMT_P8 ? 1 : 2) src[k] = static_cast<std::uint8_t>(k);
    std::vector<float> px(4 * width);
    ASSERT_TRUE(DecodeRowFloat(f.format, src.data(), width, px.data(), palette));
    ASSERT_TRUE(EncodeRowFloat(f.format, px.data(), width, dst.data(), palette));
    const UINT used = (width * f.bits_per_pixel) / 8;
    // Bits a format leaves unused (X channels) are written as its row says
    // and play no part in decoding.
    std::vector<std::uint32_t> w1(width), w2(width);
    DecodeRow(f.format, src.data(), width, w1.data(), palette);
    DecodeRow(f.format, dst.data(), width, w2.data(), palette);
    EXPECT_EQ(w1, w2) << f.name;
    if (f.has_alpha && f.format != D3DFMT_A8P8 && f.format != D3DFMT_A8R3G3B2) {
      EXPECT_EQ(std::memcmp(src.data(), dst.data(), used), 0) << f.name;
    }
  }
}

TEST(RowCodec, EightBitWordsSurviveEveryPackedFormat) {
  // ARGB words already representable in a format survive a round trip.
  const D3DFORMAT fmts[] = {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2, D3DFMT_A8R3G3B2,
                            D3DFMT_A2R10G10B10, D3DFMT_A16B16G16R16, D3DFMT_L16};
  for (D3DFORMAT f : fmts) {
    std::vector<std::uint8_t> bytes(RowPitch(f, 256));
    std::vector<std::uint32_t> words(256), once(256), twice(256);
    for (std::uint32_t i = 0; i < 256; ++i) words[i] = (i << 24) | (i << 16) | ((255 - i) << 8) | (i * 7 & 0xff);
    EncodeRow(f, words.data(), 256, bytes.data());
    DecodeRow(f, bytes.data(), 256, once.data());
    EncodeRow(f, once.data(), 256, bytes.data());
    DecodeRow(f, bytes.data(), 256, twice.data());
    EXPECT_EQ(once, twice) << f;
  }
}

TEST(RowCodec, YuvAndPairFormats) {
  // Grey levels survive YUY2 exactly enough; pairs share chroma.
  std::uint32_t in[3] = {0xff808080u, 0xff808080u, 0xffffffffu};
  std::uint8_t bytes[8];
  ASSERT_TRUE(EncodeRow(D3DFMT_YUY2, in, 3, bytes));
  std::uint32_t out[3];
  ASSERT_TRUE(DecodeRow(D3DFMT_YUY2, bytes, 3, out));
  for (int i = 0; i < 3; ++i)
    for (int sh = 0; sh < 24; sh += 8)
      EXPECT_NEAR(static_cast<int>((out[i] >> sh) & 0xff), static_cast<int>((in[i] >> sh) & 0xff), 2) << i;
  const std::uint8_t rgbg[4] = {0x10, 0x20, 0x30, 0x40};  // R, G0, B, G1
  ASSERT_TRUE(DecodeRow(D3DFMT_R8G8_B8G8, rgbg, 2, out));
  EXPECT_EQ(out[0], 0xff102030u);
  EXPECT_EQ(out[1], 0xff104030u);
  EXPECT_FALSE(DecodeRow(D3DFMT_DXT1, rgbg, 2, out));
  EXPECT_FALSE(EncodeRow(D3DFMT_P8, in, 1, bytes));  // no palette to match
}

}  // namespace
}  // namespace d3d9_formats
