// Every convertible row of the format table, through both codec paths: the
// integer path (8-bit ARGB words, the device's) and the float path (D3DX's)
// read the same colour from the same bytes, encode an 8-bit colour to the
// same bytes, and every value a format holds survives its own round trip.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/row_codec.h"
#include "platform/d3d9/formats/texel_image.h"

namespace d3d9_formats {
namespace {

// The rows the row codec converts.
std::vector<const FormatInfo*> CodecRows() {
  UINT count = 0;
  const FormatInfo* all = AllFormats(&count);
  std::vector<const FormatInfo*> rows;
  for (UINT i = 0; i < count; ++i)
    if (all[i].uses & kUseRowCodec) rows.push_back(&all[i]);
  return rows;
}

// A palette of distinct entries, alpha included.
const std::uint32_t* TestPalette() {
  static std::uint32_t p[256];
  for (std::uint32_t i = 0; i < 256; ++i) p[i] = ((255 - i) << 24) | (i << 16) | ((i * 7) & 0xff) << 8 | ((i * 13) & 0xff);
  return p;
}

// `n` pixels of bytes a format can hold: every value for pixels of up to 16
// bits, else pseudo-random words; float formats get finite values only.
std::vector<std::uint8_t> Pixels(const FormatInfo& f, UINT n) {
  const UINT bpp = f.bits_per_pixel / 8;
  std::vector<std::uint8_t> bytes(RowPitch(f.format, n));
  std::uint32_t seed = 0x9e3779b9u;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (UINT i = 0; i < n; ++i) {
    std::uint8_t* p = bytes.data() + static_cast<std::size_t>(i) * (f.kind == FormatKind::Pair ? 2 : bpp);
    if (f.kind == FormatKind::Float) {
      const bool half = f.channels.r.bits == 16;
      for (UINT c = 0; c < bpp / (half ? 2 : 4); ++c) {
        const float v = static_cast<float>(static_cast<int>(next() >> 20) - 2048) / 512.f;
        if (half) {
          const std::uint16_t h = FloatToHalf(v);
          std::memcpy(p + 2 * c, &h, 2);
        } else {
          std::memcpy(p + 4 * c, &v, 4);
        }
      }
    } else if (bpp <= 2 && f.kind != FormatKind::Pair) {
      const std::uint32_t v = i;  // every value in turn
      std::memcpy(p, &v, bpp);
    } else {
      const std::uint32_t a = next(), b = next();
      std::memcpy(p, &a, std::min<UINT>(bpp, 4));
      if (bpp > 4) std::memcpy(p + 4, &b, std::min<UINT>(bpp - 4, 4));
    }
  }
  return bytes;
}

UINT Count(const FormatInfo& f) { return f.bits_per_pixel <= 16 && f.kind != FormatKind::Pair ? (1u << f.bits_per_pixel) : 4096u; }

TEST(FormatAgreement, IntegerAndFloatDecodersReadTheSameColour) {
  for (const FormatInfo* f : CodecRows()) {
    const UINT n = Count(*f);
    const std::vector<std::uint8_t> bytes = Pixels(*f, n);
    std::vector<std::uint32_t> words(n);
    std::vector<float> rgba(4 * static_cast<std::size_t>(n));
    ASSERT_TRUE(DecodeRow(f->format, bytes.data(), n, words.data(), TestPalette())) << f->name;
    ASSERT_TRUE(DecodeRowFloat(f->format, bytes.data(), n, rgba.data(), TestPalette())) << f->name;
    int mismatches = 0;
    for (UINT i = 0; i < n; ++i)
      if (words[i] != FloatToArgb(&rgba[4 * static_cast<std::size_t>(i)]) && ++mismatches <= 3)
        ADD_FAILURE() << f->name << " pixel " << i << ": " << std::hex << words[i] << " vs "
                      << FloatToArgb(&rgba[4 * static_cast<std::size_t>(i)]);
  }
}

TEST(FormatAgreement, IntegerAndFloatEncodersWriteTheSameBytes) {
  // Every 8-bit level in every channel, each channel moving on its own
  // stride so that the colours mix.
  constexpr UINT n = 4096;
  std::vector<std::uint32_t> words(n);
  std::vector<float> rgba(4 * n);
  for (UINT i = 0; i < n; ++i) {
    words[i] = ((i * 3) & 0xff) << 24 | (i & 0xff) << 16 | ((i * 7 + (i >> 8)) & 0xff) << 8 | ((i * 11 + (i >> 4)) & 0xff);
    const Texel t = FromArgb(words[i]);
    std::memcpy(&rgba[4 * i], &t, sizeof t);
  }
  for (const FormatInfo* f : CodecRows()) {
    std::vector<std::uint8_t> a(RowPitch(f->format, n)), b(a.size());
    ASSERT_TRUE(EncodeRow(f->format, words.data(), n, a.data(), TestPalette())) << f->name;
    ASSERT_TRUE(EncodeRowFloat(f->format, rgba.data(), n, b.data(), TestPalette())) << f->name;
    if (f->kind == FormatKind::Float) {
      // Floats keep the quotient each path computes: equal to the last bit
      // for halves, within one unit in the last place for singles.
      for (std::size_t k = 0; k + 4 <= a.size(); k += 4) {
        float x, y;
        std::memcpy(&x, &a[k], 4);
        std::memcpy(&y, &b[k], 4);
        if (f->channels.r.bits == 32) {
          ASSERT_LE(std::fabs(x - y), std::fabs(x) * 1.2e-7f) << f->name << " at byte " << k;
        } else {
          ASSERT_EQ(std::memcmp(&a[k], &b[k], 4), 0) << f->name << " at byte " << k;
        }
      }
      continue;
    }
    EXPECT_EQ(a, b) << f->name;
  }
}

TEST(FormatAgreement, LuminanceFormatsAgreeOnEveryColour) {
  // Luminance mixes three channels, so its rounding is checked on every
  // 24-bit colour rather than a sample.
  constexpr UINT n = 1u << 16;
  std::vector<std::uint32_t> words(n);
  std::vector<float> rgba(4 * n);
  for (D3DFORMAT format : {D3DFMT_L8, D3DFMT_A8L8, D3DFMT_A4L4, D3DFMT_L16}) {
    std::vector<std::uint8_t> a(RowPitch(format, n)), b(a.size());
    for (std::uint32_t red = 0; red < 256; ++red) {
      for (UINT i = 0; i < n; ++i) {
        words[i] = (i & 0xff) << 24 | red << 16 | i;
        const Texel t = FromArgb(words[i]);
        std::memcpy(&rgba[4 * i], &t, sizeof t);
      }
      EncodeRow(format, words.data(), n, a.data());
      EncodeRowFloat(format, rgba.data(), n, b.data());
      ASSERT_EQ(a, b) << format << " red " << red;
    }
  }
}

TEST(FormatAgreement, EveryValueSurvivesTheFloatPath) {
  for (const FormatInfo* f : CodecRows()) {
    if (f->kind == FormatKind::Pair) continue;  // shared chroma: see below
    const UINT n = Count(*f);
    const std::vector<std::uint8_t> bytes = Pixels(*f, n);
    std::vector<float> rgba(4 * static_cast<std::size_t>(n));
    std::vector<std::uint8_t> back(bytes.size());
    ASSERT_TRUE(DecodeRowFloat(f->format, bytes.data(), n, rgba.data(), TestPalette()));
    ASSERT_TRUE(EncodeRowFloat(f->format, rgba.data(), n, back.data(), TestPalette()));
    // Unused bits come back as the row says (ones in its x field).
    const UINT bpp = f->bits_per_pixel / 8;
    const ChannelLayout& c = f->channels;
    std::uint64_t used = 0;
    for (ChannelField field : {c.r, c.g, c.b, c.a, c.l})
      if (field.bits && f->kind == FormatKind::Packed) used |= ((std::uint64_t{1} << field.bits) - 1) << field.shift;
    const std::uint64_t ones = c.x.bits ? ((std::uint64_t{1} << c.x.bits) - 1) << c.x.shift : 0;
    for (UINT i = 0; i < n; ++i) {
      const std::uint8_t* p = bytes.data() + static_cast<std::size_t>(i) * bpp;
      const std::uint8_t* q = back.data() + static_cast<std::size_t>(i) * bpp;
      if (f->kind != FormatKind::Packed) {
        ASSERT_EQ(std::memcmp(p, q, bpp), 0) << f->name << " pixel " << i;
        continue;
      }
      std::uint64_t want = 0, got = 0;
      std::memcpy(&want, p, bpp);
      std::memcpy(&got, q, bpp);
      ASSERT_EQ(got, (want & used) | ones) << f->name << " pixel " << i;
    }
  }
}

TEST(FormatAgreement, EightBitFieldsSurviveTheIntegerPath) {
  // Fields of up to 8 bits hold nothing an 8-bit word cannot: the device's
  // path keeps them exactly.
  for (const FormatInfo* f : CodecRows()) {
    if (f->kind != FormatKind::Packed) continue;
    const ChannelLayout& c = f->channels;
    bool narrow = true;
    for (ChannelField field : {c.r, c.g, c.b, c.a, c.l}) narrow = narrow && field.bits <= 8;
    if (!narrow) continue;
    const UINT n = Count(*f);
    const std::vector<std::uint8_t> bytes = Pixels(*f, n);
    std::vector<std::uint32_t> words(n);
    std::vector<std::uint8_t> back(bytes.size());
    DecodeRow(f->format, bytes.data(), n, words.data());
    EncodeRow(f->format, words.data(), n, back.data());
    std::vector<std::uint32_t> again(n);
    DecodeRow(f->format, back.data(), n, again.data());
    EXPECT_EQ(words, again) << f->name;
  }
}

TEST(FormatAgreement, PairFormatsKeepSharedChromaAndBothHalves) {
  // Two pixels that differ only where a pair keeps one value each: the
  // luma (green for RGBG) of each half survives both paths.
  for (D3DFORMAT format : {D3DFMT_R8G8_B8G8, D3DFMT_G8R8_G8B8}) {
    const std::uint32_t in[2] = {0xff402080u, 0xff40c080u};
    std::uint8_t bytes[4];
    std::uint32_t out[2];
    ASSERT_TRUE(EncodeRow(format, in, 2, bytes));
    ASSERT_TRUE(DecodeRow(format, bytes, 2, out));
    EXPECT_EQ(out[0], in[0]) << format;
    EXPECT_EQ(out[1], in[1]) << format;
  }
}

TEST(FormatAgreement, HalfFloatsRoundTripEveryValue) {
  for (std::uint32_t h = 0; h < 0x10000u; ++h) {
    const float f = HalfToFloat(static_cast<std::uint16_t>(h));
    if (std::isnan(f)) {
      EXPECT_TRUE(std::isnan(HalfToFloat(FloatToHalf(f)))) << h;
      continue;
    }
    ASSERT_EQ(FloatToHalf(f), h) << h;
  }
  // Halfway between two halves rounds to the even one; past the largest
  // half, to infinity.
  EXPECT_EQ(FloatToHalf(1.f + 1.f / 2048.f), 0x3c00u);
  EXPECT_EQ(FloatToHalf(1.f + 3.f / 2048.f), 0x3c02u);
  EXPECT_EQ(FloatToHalf(65520.f), 0x7c00u);
  EXPECT_EQ(FloatToHalf(65519.f), 0x7bffu);
  EXPECT_EQ(FloatToHalf(std::ldexp(1.f, -25)), 0u);  // half the smallest subnormal: to even
  EXPECT_EQ(FloatToHalf(std::ldexp(1.5f, -25)), 1u);
}

TEST(FormatAgreement, TexelRectanglesAgreeWithRows) {
  // The rectangle codec is the float row path plus edges: a rectangle of a
  // pair format starting and ending on odd columns keeps the halves outside.
  const std::uint32_t row[6] = {0xff102030u, 0xff405060u, 0xff708090u, 0xffa0b0c0u, 0xffd0e0f0u, 0xff203040u};
  std::uint8_t bytes[12];
  ASSERT_TRUE(EncodeRow(D3DFMT_G8R8_G8B8, row, 6, bytes));
  std::uint8_t before[12];
  std::memcpy(before, bytes, 12);
  TexelImage in;
  in.Resize(2, 1);
  for (int x = 0; x < 2; ++x) in.at(x, 0) = FromArgb(0xff808080u);
  const RECT rect{1, 0, 3, 1};
  ASSERT_TRUE(EncodeRect(D3DFMT_G8R8_G8B8, bytes, 12, 6, 1, rect, in));
  EXPECT_EQ(bytes[0], before[0]) << "G0 of the first pair is outside";
  EXPECT_EQ(bytes[6], before[6]) << "G1 of the second pair is outside";
  EXPECT_EQ(std::memcmp(bytes + 8, before + 8, 4), 0) << "the third pair is outside";
  TexelImage back;
  ASSERT_TRUE(DecodeRect(D3DFMT_G8R8_G8B8, bytes, 12, 6, 1, RECT{0, 0, 6, 1}, nullptr, back));
  std::uint32_t words[6];
  ASSERT_TRUE(DecodeRow(D3DFMT_G8R8_G8B8, bytes, 6, words));
  for (int x = 0; x < 6; ++x) EXPECT_EQ(ToArgb(back.at(x, 0)), words[x]) << x;
  EXPECT_EQ(words[1] & 0x00ff00u, 0x008000u);
  EXPECT_EQ(words[2] & 0x00ff00u, 0x008000u);
  EXPECT_FALSE(EncodeRect(D3DFMT_P8, bytes, 12, 6, 1, rect, in)) << "a palette format needs its palette";
}

}  // namespace
}  // namespace d3d9_formats
