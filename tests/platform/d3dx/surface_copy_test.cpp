// D3DXLoadSurfaceFromSurface and D3DXLoadSurfaceFromMemory on memory
// surfaces: rectangles, each filter, colour key, format conversion.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/d3dx/d3dx9.h"
#include "tests/platform/d3dx/memory_surface.h"

namespace {

using d3dx_test::MemorySurface;

MemorySurface Argb(UINT w, UINT h) { return MemorySurface(w, h, D3DFMT_A8R8G8B8, w * 4); }

// Texel (x, y) of the numbered pattern: distinct for every position.
DWORD Pattern(UINT x, UINT y) { return 0xFF000000u | (x * 16 + 1) << 16 | (y * 16 + 1) << 8 | (x * 4 + y); }

void Fill(MemorySurface& s, UINT w, UINT h) {
  for (UINT y = 0; y < h; ++y)
    for (UINT x = 0; x < w; ++x) s.Set32(x, y, Pattern(x, y));
}

int ChannelError(DWORD a, DWORD b) {
  int e = 0;
  for (int s = 0; s < 32; s += 8) e = std::max(e, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
  return e;
}

TEST(SurfaceCopy, PointAndNoneGiveExactTexels) {
  MemorySurface src = Argb(4, 4), up = Argb(8, 8), down = Argb(2, 2), none = Argb(6, 6);
  Fill(src, 4, 4);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&up, nullptr, nullptr, &src, nullptr, nullptr, D3DX_FILTER_POINT, 0), D3D_OK);
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 8; ++x) ASSERT_EQ(up.Get32(x, y), Pattern(x / 2, y / 2)) << x << "," << y;

  // Halving samples the texel under each centre: source 2x + 1.
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&down, nullptr, nullptr, &src, nullptr, nullptr, D3DX_FILTER_POINT, 0), D3D_OK);
  EXPECT_EQ(down.Get32(0, 0), Pattern(1, 1));
  EXPECT_EQ(down.Get32(1, 1), Pattern(3, 3));

  // No filter: no scaling; what the source does not cover is transparent black.
  for (UINT y = 0; y < 6; ++y)
    for (UINT x = 0; x < 6; ++x) none.Set32(x, y, 0x12345678u);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&none, nullptr, nullptr, &src, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
  EXPECT_EQ(none.Get32(3, 3), Pattern(3, 3));
  EXPECT_EQ(none.Get32(4, 0), 0u);
  EXPECT_EQ(none.Get32(0, 5), 0u);
}

// Same-format copies without a colour key take a texel-by-texel fast path;
// a key that matches nothing forces the float path on the same input.
TEST(SurfaceCopy, FastPathMatchesGeneralPath) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_R8G8B8, D3DFMT_A16B16G16R16}) {
    const UINT bpp = d3d9_formats::BytesPerPixel(*d3d9_formats::FindFormat(format));
    MemorySurface src(7, 5, format, 7 * bpp + 3), fast(16, 9, format, 16 * bpp), slow(16, 9, format, 16 * bpp);
    for (std::size_t i = 0; i < src.bytes().size(); ++i) src.bytes()[i] = static_cast<BYTE>(i * 37 + 11);
    RECT part{1, 1, 6, 5}, to{2, 1, 15, 8};
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(&fast, nullptr, &to, &src, nullptr, &part, D3DX_FILTER_POINT, 0), D3D_OK);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(&slow, nullptr, &to, &src, nullptr, &part, D3DX_FILTER_POINT, 0x01020304u),
              D3D_OK);
    EXPECT_EQ(fast.bytes(), slow.bytes()) << "format " << format;
  }
}

TEST(SurfaceCopy, RectanglesAndOverlap) {
  MemorySurface src = Argb(8, 8), dst = Argb(8, 8);
  Fill(src, 8, 8);
  RECT from{1, 2, 3, 4}, to{5, 5, 7, 7};
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, &to, &src, nullptr, &from, D3DX_FILTER_POINT, 0), D3D_OK);
  EXPECT_EQ(dst.Get32(5, 5), Pattern(1, 2));
  EXPECT_EQ(dst.Get32(6, 6), Pattern(2, 3));
  EXPECT_EQ(dst.Get32(4, 5), 0u) << "outside the destination rectangle";
  EXPECT_EQ(dst.Get32(7, 7), 0u);

  // A surface onto itself, shifted left by two: read before written.
  RECT right{2, 0, 8, 8}, left{0, 0, 6, 8};
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&src, nullptr, &left, &src, nullptr, &right, D3DX_FILTER_POINT, 0), D3D_OK);
  EXPECT_EQ(src.Get32(0, 0), Pattern(2, 0));
  EXPECT_EQ(src.Get32(5, 7), Pattern(7, 7));
  EXPECT_EQ(src.Get32(6, 3), Pattern(6, 3)) << "the uncovered strip keeps its pixels";
}

TEST(SurfaceCopy, BadRectanglesAndFiltersAreInvalidCalls) {
  MemorySurface src = Argb(4, 4), dst = Argb(4, 4);
  Fill(src, 4, 4);
  const RECT bad[] = {{1, 1, 1, 3}, {2, 2, 1, 3}, {0, 0, 5, 4}, {-1, 0, 2, 2}, {0, 3, 4, 2}};
  for (const RECT& r : bad) {
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, nullptr, &src, nullptr, &r, D3DX_FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, &r, &src, nullptr, nullptr, D3DX_FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
  }
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, nullptr, &src, nullptr, nullptr, 0, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, nullptr, &src, nullptr, nullptr, 6, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(nullptr, nullptr, nullptr, &src, nullptr, nullptr, 2, 0), D3DERR_INVALIDCALL);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 4; ++x) ASSERT_EQ(dst.Get32(x, y), 0u) << "a refused copy writes nothing";
  // Dither and mirror flags ride along with any filter.
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, nullptr, &src, nullptr, nullptr,
                                       D3DX_FILTER_LINEAR | D3DX_FILTER_DITHER | D3DX_FILTER_MIRROR, 0),
            D3D_OK);
}

TEST(SurfaceCopy, LinearTriangleAndBoxAverages) {
  // Columns alternate black and white; rows are equal.
  MemorySurface stripes = Argb(8, 4), half = Argb(4, 2);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 8; ++x) stripes.Set32(x, y, (x & 1) ? 0xFFFFFFFFu : 0xFF000000u);
  for (DWORD filter : {D3DX_FILTER_BOX, D3DX_FILTER_LINEAR, D3DX_FILTER_TRIANGLE}) {
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(&half, nullptr, nullptr, &stripes, nullptr, nullptr, filter, 0), D3D_OK);
    for (UINT x = 0; x < 4; ++x) EXPECT_LE(ChannelError(half.Get32(x, 1), 0xFF808080u), 1) << filter << " at " << x;
  }

  // Doubling a ramp with linear: interior texels fall between their neighbours.
  MemorySurface ramp = Argb(4, 1), wide = Argb(8, 1);
  for (UINT x = 0; x < 4; ++x) ramp.Set32(x, 0, 0xFF000000u | (x * 64) << 16);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&wide, nullptr, nullptr, &ramp, nullptr, nullptr, D3DX_FILTER_LINEAR, 0),
            D3D_OK);
  // Destination 3 sits at source 1.25: 0.75 of 64 plus 0.25 of 128 = 80.
  EXPECT_LE(ChannelError(wide.Get32(3, 0), 0xFF500000u), 1);
  EXPECT_LE(ChannelError(wide.Get32(4, 0), 0xFF700000u), 1);

  // A uniform picture stays uniform whatever the filter and scale.
  MemorySurface flat = Argb(5, 3), odd = Argb(7, 2);
  for (UINT y = 0; y < 3; ++y)
    for (UINT x = 0; x < 5; ++x) flat.Set32(x, y, 0x80402010u);
  for (DWORD filter : {D3DX_FILTER_POINT, D3DX_FILTER_LINEAR, D3DX_FILTER_TRIANGLE, D3DX_FILTER_BOX}) {
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(&odd, nullptr, nullptr, &flat, nullptr, nullptr, filter, 0), D3D_OK);
    for (UINT x = 0; x < 7; ++x) EXPECT_LE(ChannelError(odd.Get32(x, 1), 0x80402010u), 1) << filter;
  }
}

TEST(SurfaceCopy, ColourKeyMakesTransparentBlack) {
  MemorySurface src = Argb(2, 1), dst = Argb(2, 1);
  src.Set32(0, 0, 0xFFFF00FFu);
  src.Set32(1, 0, 0xFF00FF00u);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, nullptr, &src, nullptr, nullptr, D3DX_FILTER_POINT, 0xFFFF00FFu),
            D3D_OK);
  EXPECT_EQ(dst.Get32(0, 0), 0u);
  EXPECT_EQ(dst.Get32(1, 0), 0xFF00FF00u);
}

TEST(SurfaceCopy, ConversionToPackedFormatsIsExact) {
  const DWORD colour = 0x80FF8040u;  // a = 128, r = 255, g = 128, b = 64
  struct Case {
    D3DFORMAT format;
    UINT bytes;
    DWORD expected;  // the stored word
  } cases[] = {
      {D3DFMT_R5G6B5, 2, (31u << 11) | (32u << 5) | 8u},
      {D3DFMT_X1R5G5B5, 2, (31u << 10) | (16u << 5) | 8u},
      {D3DFMT_A1R5G5B5, 2, 0x8000u | (31u << 10) | (16u << 5) | 8u},
      {D3DFMT_A4R4G4B4, 2, (8u << 12) | (15u << 8) | (8u << 4) | 4u},
      {D3DFMT_R3G3B2, 1, (7u << 5) | (4u << 2) | 1u},
      {D3DFMT_A8, 1, 0x80u},
      {D3DFMT_L8, 1, 150u},  // 255 * (0.2125 + 0.7154 * 128/255 + 0.0721 * 64/255)
      {D3DFMT_A8L8, 2, 0x8000u | 150u},
      {D3DFMT_A8B8G8R8, 4, 0x804080FFu},
      {D3DFMT_X8R8G8B8, 4, 0xFFFF8040u},
      {D3DFMT_A2R10G10B10, 4, (2u << 30) | (1023u << 20) | (514u << 10) | 257u},
  };
  MemorySurface src = Argb(1, 1);
  src.Set32(0, 0, colour);
  for (const Case& c : cases) {
    MemorySurface dst(1, 1, c.format, 4);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(&dst, nullptr, nullptr, &src, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
    DWORD word = 0;
    std::memcpy(&word, dst.bytes().data(), c.bytes);
    EXPECT_EQ(word, c.expected) << "format " << c.format;
  }
}

TEST(SurfaceCopy, RoundTripThroughEveryFormat) {
  // Each format keeps the colour to within its precision; formats without a
  // channel give that channel's default back.
  struct Case {
    D3DFORMAT format;
    UINT bytesPerTexel;
    int tolerance;
  } cases[] = {
      {D3DFMT_R8G8B8, 3, 0},       {D3DFMT_A8R8G8B8, 4, 0},       {D3DFMT_A1R5G5B5, 2, 63},
      {D3DFMT_A4R4G4B4, 2, 9},     {D3DFMT_A8R3G3B2, 2, 37},      {D3DFMT_A2B10G10R10, 4, 43},
      {D3DFMT_A16B16G16R16, 8, 0}, {D3DFMT_A16B16G16R16F, 8, 1},  {D3DFMT_A32B32G32R32F, 16, 0},
      {D3DFMT_DXT3, 4, 17},        {D3DFMT_DXT5, 4, 20},
  };
  MemorySurface src = Argb(4, 4), back = Argb(4, 4);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 4; ++x) src.Set32(x, y, 0xC0000000u | 0x00604020u);
  for (const Case& c : cases) {
    MemorySurface mid(4, 4, c.format, c.format == D3DFMT_DXT3 || c.format == D3DFMT_DXT5 ? 16 : 4 * c.bytesPerTexel);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(&mid, nullptr, nullptr, &src, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(&back, nullptr, nullptr, &mid, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
    DWORD want = src.Get32(2, 1);
    if (d3d9_formats::FindFormat(c.format)->channels.a.bits == 0) want |= 0xFF000000u;
    EXPECT_LE(ChannelError(back.Get32(2, 1), want), c.tolerance) << "format " << c.format;
  }
  MemorySurface grey(4, 4, D3DFMT_L16, 8);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&grey, nullptr, nullptr, &src, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&back, nullptr, nullptr, &grey, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
  EXPECT_EQ(back.Get32(0, 0) >> 24, 0xFFu) << "luminance formats are opaque";
}

TEST(SurfaceCopy, DxtPartialBlocksKeepTheirNeighbours) {
  MemorySurface dxt(8, 4, D3DFMT_DXT1, 16), red = Argb(8, 4), blue = Argb(4, 4), back = Argb(8, 4);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 8; ++x) red.Set32(x, y, 0xFFFF0000u);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 4; ++x) blue.Set32(x, y, 0xFF0000FFu);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&dxt, nullptr, nullptr, &red, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
  RECT corner{6, 2, 8, 4}, from{0, 0, 2, 2};
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&dxt, nullptr, &corner, &blue, nullptr, &from, D3DX_FILTER_POINT, 0), D3D_OK);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(&back, nullptr, nullptr, &dxt, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
  EXPECT_EQ(back.Get32(0, 0), 0xFFFF0000u);
  EXPECT_EQ(back.Get32(5, 3), 0xFFFF0000u);
  EXPECT_EQ(back.Get32(6, 2), 0xFF0000FFu);
  EXPECT_EQ(back.Get32(7, 3), 0xFF0000FFu);
}

TEST(SurfaceCopy, FromMemoryReadsTheGivenPitch) {
  // Three 16-bit texels per row, rows 8 bytes apart.
  const WORD memory[] = {0xF800, 0x07E0, 0x001F, 0xDEAD, 0xFFFF, 0x0000, 0xF81F, 0xBEEF};
  MemorySurface dst = Argb(3, 2);
  RECT r{0, 0, 3, 2};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(&dst, nullptr, nullptr, memory, D3DFMT_R5G6B5, 8, nullptr, &r,
                                      D3DX_FILTER_NONE, 0),
            D3D_OK);
  EXPECT_EQ(dst.Get32(0, 0), 0xFFFF0000u);
  EXPECT_EQ(dst.Get32(1, 0), 0xFF00FF00u);
  EXPECT_EQ(dst.Get32(2, 0), 0xFF0000FFu);
  EXPECT_EQ(dst.Get32(0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(dst.Get32(2, 1), 0xFFFF00FFu);
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(&dst, nullptr, nullptr, memory, D3DFMT_R5G6B5, 8, nullptr, nullptr,
                                      D3DX_FILTER_NONE, 0),
            D3DERR_INVALIDCALL);
}

}  // namespace
