// The DXT block decoder on hand-built blocks, and encode-decode round trips.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/d3d9/formats/dxt_codec.h"

namespace {

using d3d9_formats::BlockKind;
using d3d9_formats::DecodeBlock;
using d3d9_formats::EncodeBlock;

TEST(DxtCodec, DecodesFourAndThreeColourBlocks) {
  std::uint32_t t[16];
  // c0 red > c1 blue: four colours; indices 0, 1, 2, 3 in the first row.
  const std::uint8_t four[8] = {0x00, 0xF8, 0x1F, 0x00, 0b11100100, 0, 0, 0};
  DecodeBlock(BlockKind::Dxt1, four, t);
  EXPECT_EQ(t[0], 0xFFFF0000u);
  EXPECT_EQ(t[1], 0xFF0000FFu);
  EXPECT_EQ(t[2], 0xFFAA0055u);  // (2 red + blue) / 3
  EXPECT_EQ(t[3], 0xFF5500AAu);
  EXPECT_EQ(t[4], 0xFFFF0000u);
  // c0 <= c1: three colours and transparent black.
  const std::uint8_t three[8] = {0x1F, 0x00, 0x00, 0xF8, 0b11100100, 0, 0, 0};
  DecodeBlock(BlockKind::Dxt1, three, t);
  EXPECT_EQ(t[2], 0xFF7F007Fu);  // (red + blue) / 2
  EXPECT_EQ(t[3], 0x00000000u);
  // The same colour block in DXT3 is always four colours.
  std::uint8_t dxt3[16] = {0x10, 0x32, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::copy(three, three + 8, dxt3 + 8);
  DecodeBlock(BlockKind::Dxt3, dxt3, t);
  EXPECT_EQ(t[0] >> 24, 0x00u);
  EXPECT_EQ(t[1] >> 24, 0x11u);
  EXPECT_EQ(t[2] >> 24, 0x22u);
  EXPECT_EQ(t[3], 0x33AA0055u) << "index 3 is a colour here, not transparency";
}

TEST(DxtCodec, InterpolatedAlpha) {
  std::uint32_t t[16];
  // a0 = 255 > a1 = 0: eight steps. Indices 0..7 for texels 0..7.
  std::uint8_t block[16] = {255, 0, 0x88, 0xC6, 0xFA, 0, 0, 0};
  // 3-bit indices 0,1,2,3,4,5,6,7 packed little-endian: 0xFAC688.
  const std::uint8_t colour[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  std::copy(colour, colour + 8, block + 8);
  DecodeBlock(BlockKind::Dxt5, block, t);
  const std::uint32_t want[8] = {255, 0, 218, 182, 145, 109, 72, 36};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(t[i] >> 24, want[i]) << i;
  block[0] = 0;
  block[1] = 255;  // a0 <= a1: six steps, then 0 and 255
  DecodeBlock(BlockKind::Dxt5, block, t);
  EXPECT_EQ(t[6] >> 24, 0u);
  EXPECT_EQ(t[7] >> 24, 255u);
}

int MaxError(const std::uint32_t* a, const std::uint32_t* b) {
  int e = 0;
  for (int i = 0; i < 16; ++i)
    for (int s = 0; s < 32; s += 8) e = std::max(e, std::abs(int((a[i] >> s) & 255) - int((b[i] >> s) & 255)));
  return e;
}

TEST(DxtCodec, RoundTrips) {
  std::uint32_t ramp[16], back[16];
  for (int i = 0; i < 16; ++i) {
    std::uint32_t v = static_cast<std::uint32_t>(i * 4);
    ramp[i] = (v << 24) | (v << 16) | ((255 - v) << 8) | 0x40;
  }
  std::uint8_t block[16];
  for (BlockKind k : {BlockKind::Dxt3, BlockKind::Dxt5}) {
    EncodeBlock(k, ramp, block);
    DecodeBlock(k, block, back);
    EXPECT_LE(MaxError(ramp, back), 16) << static_cast<int>(k);
  }
  // Premultiplied kinds give back the straight colour.
  std::uint32_t half[16];
  for (auto& v : half) v = 0x80FF8000u;
  for (BlockKind k : {BlockKind::Dxt2, BlockKind::Dxt4}) {
    EncodeBlock(k, half, block);
    DecodeBlock(k, block, back);
    EXPECT_LE(MaxError(half, back), 12) << static_cast<int>(k);
  }
  // DXT1 keeps one bit of alpha: cut-out texels survive as transparent black.
  std::uint32_t cut[16];
  for (int i = 0; i < 16; ++i) cut[i] = (i % 3 == 0) ? 0x00123456u : 0xFF00FF00u;
  EncodeBlock(BlockKind::Dxt1, cut, block);
  DecodeBlock(BlockKind::Dxt1, block, back);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], (i % 3 == 0) ? 0u : 0xFF00FF00u) << i;
  // A solid colour that 5:6:5 represents exactly is stored exactly.
  std::uint32_t solid[16];
  for (auto& v : solid) v = 0xFF08FB10u;
  EncodeBlock(BlockKind::Dxt1, solid, block);
  DecodeBlock(BlockKind::Dxt1, block, back);
  EXPECT_EQ(MaxError(solid, back), 0);
}

}  // namespace
