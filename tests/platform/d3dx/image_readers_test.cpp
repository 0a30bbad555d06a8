// Reading BMP, TGA, JPEG and PNG files of every supported layout, writing
// BMP and PNG, and refusing damaged or hostile files without overruns.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "platform/d3dx/image/image_io.h"
#include "tests/platform/d3dx/image_test_files.h"

namespace d3dx_image {
namespace {

using d3dx_test::BmpSpec;
using d3dx_test::Bytes;
using d3dx_test::MakeBmp;
using d3dx_test::PadRows;

bool Read(const Bytes& b, Image& out) { return ReadImage(b.data(), b.size(), out); }

TEST(BmpReader, PalettedDepthsBottomUp) {
  // 1 bit: 10 pixels per row crosses a byte; rows are stored bottom first.
  BmpSpec one{.width = 10, .height = 2, .bpp = 1, .palette = {0x000000, 0xFF8040}};
  one.pixels = PadRows({{0b10000000, 0b01000000}, {0b01010101, 0b11000000}});
  Image img;
  ASSERT_TRUE(Read(MakeBmp(one), img));
  EXPECT_EQ(img.width, 10);
  EXPECT_EQ(img.format, file_format::P8);
  EXPECT_EQ(img.at(0, 0), 0xFF000000u);  // top row = second stored row
  EXPECT_EQ(img.at(1, 0), 0xFFFF8040u);
  EXPECT_EQ(img.at(8, 0), 0xFFFF8040u);
  EXPECT_EQ(img.at(9, 0), 0xFFFF8040u);
  EXPECT_EQ(img.at(0, 1), 0xFFFF8040u);
  EXPECT_EQ(img.at(1, 1), 0xFF000000u);
  EXPECT_EQ(img.at(9, 1), 0xFFFF8040u);

  BmpSpec four{.width = 3, .height = 1, .bpp = 4, .palette = {0x0, 0x112233, 0x445566}};
  four.pixels = PadRows({{0x12, 0x00}});
  ASSERT_TRUE(Read(MakeBmp(four), img));
  EXPECT_EQ(img.at(0, 0), 0xFF112233u);
  EXPECT_EQ(img.at(1, 0), 0xFF445566u);
  EXPECT_EQ(img.at(2, 0), 0xFF000000u);

  // An index past the colours the file lists reads as black, not past the table.
  BmpSpec eight{.width = 2, .height = 1, .bpp = 8, .palette = {0xABCDEF}};
  eight.pixels = PadRows({{0, 200}});
  ASSERT_TRUE(Read(MakeBmp(eight), img));
  EXPECT_EQ(img.at(0, 0), 0xFFABCDEFu);
  EXPECT_EQ(img.at(1, 0), 0xFF000000u);

  // The OS/2 core header with three-byte palette entries.
  BmpSpec core{.width = 2, .height = 1, .bpp = 8, .headerSize = 12, .palette = {0x102030, 0x405060}};
  core.pixels = PadRows({{1, 0}});
  ASSERT_TRUE(Read(MakeBmp(core), img));
  EXPECT_EQ(img.at(0, 0), 0xFF405060u);
  EXPECT_EQ(img.at(1, 0), 0xFF102030u);
}

TEST(BmpReader, DirectColourDepthsAndMasks) {
  Image img;
  BmpSpec rgb24{.width = 2, .height = -2, .bpp = 24};  // top-down
  rgb24.pixels = PadRows({{0x01, 0x02, 0x03, 0x04, 0x05, 0x06}, {0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C}});
  ASSERT_TRUE(Read(MakeBmp(rgb24), img));
  EXPECT_EQ(img.format, file_format::R8G8B8);
  EXPECT_EQ(img.at(0, 0), 0xFF030201u);
  EXPECT_EQ(img.at(1, 1), 0xFF0C0B0Au);

  BmpSpec rgb555{.width = 1, .height = 1, .bpp = 16};
  rgb555.pixels = PadRows({{0x1F, 0x7C}});  // 0x7C1F: red and blue full
  ASSERT_TRUE(Read(MakeBmp(rgb555), img));
  EXPECT_EQ(img.format, file_format::X1R5G5B5);
  EXPECT_EQ(img.at(0, 0), 0xFFFF00FFu);

  BmpSpec rgb565{.width = 1, .height = 1, .bpp = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}};
  rgb565.pixels = PadRows({{0xE0, 0x07}});  // green full
  ASSERT_TRUE(Read(MakeBmp(rgb565), img));
  EXPECT_EQ(img.format, file_format::R5G6B5);
  EXPECT_EQ(img.at(0, 0), 0xFF00FF00u);

  BmpSpec x32{.width = 1, .height = 1, .bpp = 32};
  x32.pixels = {0x30, 0x20, 0x10, 0x55};  // alpha byte of BI_RGB is not used
  ASSERT_TRUE(Read(MakeBmp(x32), img));
  EXPECT_EQ(img.format, file_format::X8R8G8B8);
  EXPECT_EQ(img.at(0, 0), 0xFF102030u);

  BmpSpec a32{.width = 1, .height = 1, .bpp = 32, .compression = 3, .headerSize = 124,
              .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}};
  a32.pixels = {0x30, 0x20, 0x10, 0x55};
  ASSERT_TRUE(Read(MakeBmp(a32), img));
  EXPECT_EQ(img.format, file_format::A8R8G8B8);
  EXPECT_EQ(img.at(0, 0), 0x55102030u);

  BmpSpec gappy{.width = 1, .height = 1, .bpp = 32, .compression = 3, .masks = {0x00FF00FF, 0xFF00, 0}};
  gappy.pixels = {0, 0, 0, 0};
  EXPECT_FALSE(Read(MakeBmp(gappy), img)) << "a mask with a hole is not a channel";
}

TEST(BmpReader, RunLengthEncoded) {
  Image img;
  // RLE8, 4 x 3: a run, a literal, end of line, a delta, end of bitmap.
  BmpSpec rle8{.width = 4, .height = 3, .bpp = 8, .compression = 1, .palette = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000}};
  rle8.pixels = {2, 1,  0, 3, 2, 3, 1, 0,  0, 0,  0, 2, 1, 1,  1, 3,  0, 1};
  ASSERT_TRUE(Read(MakeBmp(rle8), img));
  // Bottom row (y = 2): 1 1 2 3.
  EXPECT_EQ(img.at(0, 2), 0xFF0000FFu);
  EXPECT_EQ(img.at(1, 2), 0xFF0000FFu);
  EXPECT_EQ(img.at(2, 2), 0xFF00FF00u);
  EXPECT_EQ(img.at(3, 2), 0xFFFF0000u);
  // The delta skipped row 1 and moved to x = 1 of row 0 (top).
  EXPECT_EQ(img.at(1, 1), 0xFF000000u);
  EXPECT_EQ(img.at(1, 0), 0xFFFF0000u);
  EXPECT_EQ(img.at(0, 0), 0xFF000000u);

  // RLE4 with a run that overshoots the row: the overshoot is dropped.
  BmpSpec rle4{.width = 3, .height = 1, .bpp = 4, .compression = 2, .palette = {0x000000, 0x0000FF, 0x00FF00}};
  rle4.pixels = {9, 0x12, 0, 1};
  ASSERT_TRUE(Read(MakeBmp(rle4), img));
  EXPECT_EQ(img.at(0, 0), 0xFF0000FFu);
  EXPECT_EQ(img.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(img.at(2, 0), 0xFF0000FFu);

  rle8.pixels.resize(rle8.pixels.size() - 2);  // no end-of-bitmap mark
  EXPECT_FALSE(Read(MakeBmp(rle8), img));
}

TEST(BmpReader, RefusesHostileHeaders) {
  Image img;
  BmpSpec huge{.width = 100000, .height = 1, .bpp = 24};
  huge.pixels.resize(64);
  EXPECT_FALSE(Read(MakeBmp(huge), img));

  BmpSpec tall{.width = 16384, .height = 16384, .bpp = 8, .compression = 1, .palette = {0}};
  tall.pixels = {0, 1};  // a tiny RLE file claiming 256 M texels
  EXPECT_FALSE(Read(MakeBmp(tall), img));

  BmpSpec palette{.width = 1, .height = 1, .bpp = 4, .colorsUsed = 300};
  palette.palette.assign(16, 0);
  palette.pixels = {0, 0, 0, 0};
  EXPECT_FALSE(Read(MakeBmp(palette), img)) << "more colours than four bits can index";

  BmpSpec noPixels{.width = 64, .height = 64, .bpp = 24};
  noPixels.pixels.resize(64 * 3 * 63);  // one row short
  EXPECT_FALSE(Read(MakeBmp(noPixels), img));

  BmpSpec zero{.width = 0, .height = 5, .bpp = 24};
  zero.pixels.resize(16);
  EXPECT_FALSE(Read(MakeBmp(zero), img));

  BmpSpec topDownRle{.width = 2, .height = -1, .bpp = 8, .compression = 1, .palette = {0}};
  topDownRle.pixels = {0, 1};
  EXPECT_FALSE(Read(MakeBmp(topDownRle), img));

  Bytes minInt = MakeBmp(BmpSpec{.width = 1, .height = 1, .bpp = 24, .pixels = {0, 0, 0, 0}});
  minInt[22] = 0, minInt[23] = 0, minInt[24] = 0, minInt[25] = 0x80;  // height INT32_MIN
  EXPECT_FALSE(Read(minInt, img));
}

TEST(TgaReader, RawRleAndColourMapped) {
  using d3dx_test::MakeTga;
  using d3dx_test::TgaSpec;
  Image img;
  // 24-bit, bottom-up (descriptor 0): first stored row is the bottom one.
  TgaSpec raw{.imageType = 2, .width = 2, .height = 2, .bpp = 24,
              .data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
  ASSERT_TRUE(Read(MakeTga(raw), img));
  EXPECT_EQ(img.format, file_format::R8G8B8);
  EXPECT_EQ(img.at(0, 1), 0xFF030201u);
  EXPECT_EQ(img.at(1, 0), 0xFF0C0B0Au);

  // 32-bit RLE, top-down, 8 alpha bits: a run of 3 and a raw packet of 1.
  TgaSpec rle{.imageType = 10, .width = 2, .height = 2, .bpp = 32, .descriptor = 0x28,
              .data = {0x82, 1, 2, 3, 0x80, 0x00, 9, 8, 7, 0x40}};
  ASSERT_TRUE(Read(MakeTga(rle), img));
  EXPECT_EQ(img.format, file_format::A8R8G8B8);
  EXPECT_EQ(img.at(0, 0), 0x80030201u);
  EXPECT_EQ(img.at(0, 1), 0x80030201u);
  EXPECT_EQ(img.at(1, 1), 0x40070809u);

  TgaSpec mapped{.imageType = 1, .width = 2, .height = 1, .bpp = 8, .descriptor = 0x20,
                 .colourMap = {0x112233, 0x445566}, .data = {1, 7}};
  ASSERT_TRUE(Read(MakeTga(mapped), img));
  EXPECT_EQ(img.at(0, 0), 0xFF445566u);
  EXPECT_EQ(img.at(1, 0), 0xFF000000u) << "index outside the map";

  TgaSpec grey{.imageType = 3, .width = 1, .height = 1, .bpp = 8, .data = {0x7F}};
  ASSERT_TRUE(Read(MakeTga(grey), img));
  EXPECT_EQ(img.at(0, 0), 0xFF7F7F7Fu);

  rle.data.pop_back();
  EXPECT_FALSE(Read(MakeTga(rle), img));

  // A true-colour picture may carry a colour map of odd-sized entries; it is
  // skipped (found by fuzzing: it used to be decoded past the data's end).
  Bytes mapped8 = {0, 1, 2, 0, 0, 2, 0, 8, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 0xAA, 0xBB, 0x30, 0x20, 0x10};
  ASSERT_TRUE(Read(mapped8, img));
  EXPECT_EQ(img.at(0, 0), 0xFF102030u);
}

std::vector<std::uint32_t> Gradient(int w, int h) {
  std::vector<std::uint32_t> v(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      v[static_cast<std::size_t>(y) * w + x] =
          0xFF000000u | (static_cast<std::uint32_t>(x * 255 / (w - 1)) << 16) |
          (static_cast<std::uint32_t>(y * 255 / (h - 1)) << 8) | 0x80;
  return v;
}

int MaxChannelError(std::uint32_t a, std::uint32_t b) {
  int e = 0;
  for (int s = 0; s < 32; s += 8) e = std::max(e, std::abs(static_cast<int>((a >> s) & 255) - static_cast<int>((b >> s) & 255)));
  return e;
}

TEST(JpegReader, ColourGreyAndProgressive) {
  auto pixels = Gradient(32, 24);
  for (bool progressive : {false, true}) {
    Bytes jpg = d3dx_test::MakeJpeg(32, 24, pixels, false, progressive);
    Image img;
    ASSERT_TRUE(Read(jpg, img));
    EXPECT_EQ(img.kind, FileKind::Jpg);
    EXPECT_EQ(img.format, file_format::X8R8G8B8);
    ASSERT_EQ(img.width, 32);
    ASSERT_EQ(img.height, 24);
    int worst = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 32; ++x) worst = std::max(worst, MaxChannelError(img.at(x, y), pixels[y * 32 + x]));
    EXPECT_LE(worst, 12);
  }
  std::vector<std::uint32_t> greyPixels(16 * 8, 0xFF000064u);
  Image grey;
  ASSERT_TRUE(Read(d3dx_test::MakeJpeg(16, 8, greyPixels, true), grey));
  EXPECT_EQ(grey.format, file_format::L8);
  EXPECT_LE(MaxChannelError(grey.at(5, 5), 0xFF646464u), 2);
}

TEST(PngCodec, RoundTripWithAndWithoutAlpha) {
  Image src;
  src.width = 5;
  src.height = 3;
  for (int i = 0; i < 15; ++i) src.argb.push_back(0x10203040u * static_cast<std::uint32_t>(i + 1) + 0x01000000u * i);
  for (bool alpha : {false, true}) {
    Bytes png = WritePng(src, alpha);
    ASSERT_FALSE(png.empty());
    Image back;
    ASSERT_TRUE(Read(png, back));
    EXPECT_EQ(back.kind, FileKind::Png);
    EXPECT_EQ(back.format, alpha ? file_format::A8R8G8B8 : file_format::X8R8G8B8);
    ASSERT_EQ(back.argb.size(), src.argb.size());
    for (std::size_t i = 0; i < src.argb.size(); ++i)
      EXPECT_EQ(back.argb[i], alpha ? src.argb[i] : (src.argb[i] | 0xFF000000u)) << i;
  }
}

TEST(BmpWriter, RoundTripKeepsPixelsAndPadding) {
  Image src;
  src.width = 3;  // 9 bytes per 24-bit row: exercises the padding
  src.height = 2;
  src.argb = {0xFF010203u, 0x80FFFFFFu, 0x00000000u, 0x12345678u, 0xFFABCDEFu, 0x7F7F7F7Fu};
  for (bool alpha : {false, true}) {
    Bytes bmp = WriteBmp(src, alpha);
    Image back;
    ASSERT_TRUE(ReadBmp(bmp.data(), bmp.size(), back));
    EXPECT_EQ(back.format, alpha ? file_format::A8R8G8B8 : file_format::R8G8B8);
    for (std::size_t i = 0; i < src.argb.size(); ++i)
      EXPECT_EQ(back.argb[i], alpha ? src.argb[i] : (src.argb[i] | 0xFF000000u)) << i;
  }
}

TEST(ImageKind, DecidedByContentNotName) {
  Bytes bmp = WriteBmp(Image{.width = 1, .height = 1, .argb = {0xFF00FF00u}}, false);
  EXPECT_EQ(DetectKind(bmp.data(), bmp.size()), FileKind::Bmp);
  Bytes jpg = d3dx_test::MakeJpeg(8, 8, std::vector<std::uint32_t>(64, 0xFFFFFFFFu));
  EXPECT_EQ(DetectKind(jpg.data(), jpg.size()), FileKind::Jpg);
  const std::uint8_t text[] = "hello, this is not a picture at all";
  EXPECT_FALSE(DetectKind(text, sizeof text).has_value());
  Image img;
  EXPECT_FALSE(ReadImage(text, sizeof text, img));
  EXPECT_FALSE(ReadImage(nullptr, 0, img));
}

// Every proper prefix of a valid file is refused, and random damage never
// reads outside the buffer (the sanitizer build checks the latter).
TEST(ImageHardening, TruncationAndDamage) {
  std::vector<Bytes> files;
  files.push_back(WriteBmp(Image{.width = 7, .height = 5, .argb = Gradient(7, 5)}, false));
  files.push_back(WriteBmp(Image{.width = 7, .height = 5, .argb = Gradient(7, 5)}, true));
  files.push_back(d3dx_test::MakeJpeg(24, 16, Gradient(24, 16)));
  files.push_back(d3dx_test::MakeJpeg(24, 16, Gradient(24, 16), false, true));
  files.push_back(WritePng(Image{.width = 9, .height = 4, .argb = Gradient(9, 4)}, true));
  BmpSpec rle{.width = 4, .height = 2, .bpp = 8, .compression = 1, .palette = {0, 0xFF}};
  rle.pixels = {4, 1, 0, 0, 0, 4, 1, 0, 1, 0, 0, 1};
  files.push_back(MakeBmp(rle));

  for (std::size_t f = 0; f < files.size(); ++f) {
    const Bytes& file = files[f];
    Image img;
    ASSERT_TRUE(Read(file, img)) << "file " << f;
    for (std::size_t n = 0; n < file.size(); ++n) {
      Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_FALSE(Read(prefix, img)) << "file " << f << " cut at " << n;
    }
  }
  std::mt19937 rng(1234);
  for (const Bytes& file : files) {
    for (int round = 0; round < 300; ++round) {
      Bytes damaged = file;
      int flips = 1 + static_cast<int>(rng() % 8);
      for (int i = 0; i < flips; ++i) damaged[rng() % damaged.size()] = static_cast<std::uint8_t>(rng());
      Image img;
      if (Read(damaged, img)) {
        EXPECT_EQ(img.argb.size(), static_cast<std::size_t>(img.width) * img.height);
      }
    }
  }
}

}  // namespace
}  // namespace d3dx_image

namespace d3dx_image {
namespace {

// The pictures the bench ships: sizes as their generator makes them, and the
// white corner mark at the top left (so rows are not flipped).
TEST(ShippedPictures, ReadWithTheirSizesAndOrientation) {
  struct Case {
    const char* name;
    int w, h;
    FileKind kind;
  } cases[] = {{"pic1.jpg", 256, 512, FileKind::Jpg}, {"pic2.jpg", 512, 256, FileKind::Jpg},
               {"pic3.bmp", 512, 512, FileKind::Bmp}, {"pic4.jpg", 256, 256, FileKind::Jpg},
               {"pic5.bmp", 128, 128, FileKind::Bmp}, {"bitmaps/grass.jpg", 64, 64, FileKind::Jpg}};
  for (const Case& c : cases) {
    std::string path = std::string(VORNEL_SOURCE_DIR) + "/assets/" + c.name;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) GTEST_SKIP() << "no " << path;
    Bytes bytes;
    std::uint8_t chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    Image img;
    ASSERT_TRUE(ReadImage(bytes.data(), bytes.size(), img)) << c.name;
    EXPECT_EQ(img.kind, c.kind) << c.name;
    EXPECT_EQ(img.width, c.w) << c.name;
    EXPECT_EQ(img.height, c.h) << c.name;
    if (c.kind == FileKind::Bmp || std::string(c.name).starts_with("pic")) {
      EXPECT_GT(img.at(2, 2) & 0xFF, 200u) << c.name << ": the white corner mark is at the top left";
      EXPECT_GT((img.at(2, 2) >> 8) & 0xFF, 200u) << c.name;
    }
  }
}

}  // namespace
}  // namespace d3dx_image
