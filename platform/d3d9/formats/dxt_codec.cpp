// DXT1 to DXT5 block decoding and a bounding-box block encoder.
#include "platform/d3d9/formats/dxt_codec.h"

#include <cstddef>

namespace d3d9_formats {
namespace {

template <typename T>
void Swap(T& a, T& b) {
  T t = a;
  a = b;
  b = t;
}

struct Rgb {
  int r, g, b;
};

Rgb Expand565(std::uint32_t c) {
  int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
  return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

std::uint32_t Pack565(const Rgb& c) {
  auto q = [](int v, int max) { return static_cast<std::uint32_t>((v * max + 127) / 255); };
  return (q(c.r, 31) << 11) | (q(c.g, 63) << 5) | q(c.b, 31);
}

std::uint32_t Read16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Read32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Write16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Write32(std::uint8_t* p, std::uint32_t v) {
  Write16(p, v & 0xFFFF);
  Write16(p + 2, v >> 16);
}

// The four colours of a colour block; `threeColour` selects the mode with
// a transparent fourth entry (DXT1 only, when c0 <= c1).
void Palette(std::uint32_t c0, std::uint32_t c1, bool threeColour, Rgb out[4], bool& transparent3) {
  out[0] = Expand565(c0);
  out[1] = Expand565(c1);
  transparent3 = threeColour;
  if (!threeColour) {
    out[2] = {(2 * out[0].r + out[1].r) / 3, (2 * out[0].g + out[1].g) / 3, (2 * out[0].b + out[1].b) / 3};
    out[3] = {(out[0].r + 2 * out[1].r) / 3, (out[0].g + 2 * out[1].g) / 3, (out[0].b + 2 * out[1].b) / 3};
  } else {
    out[2] = {(out[0].r + out[1].r) / 2, (out[0].g + out[1].g) / 2, (out[0].b + out[1].b) / 2};
    out[3] = {0, 0, 0};
  }
}

void DecodeColour(const std::uint8_t* p, bool dxt1, std::uint32_t texels[16]) {
  std::uint32_t c0 = Read16(p), c1 = Read16(p + 2), bits = Read32(p + 4);
  Rgb pal[4];
  bool transparent3 = false;
  Palette(c0, c1, dxt1 && c0 <= c1, pal, transparent3);
  for (int i = 0; i < 16; ++i) {
    int k = (bits >> (2 * i)) & 3;
    std::uint32_t a = (transparent3 && k == 3) ? 0 : 255;
    texels[i] = (a << 24) | (static_cast<std::uint32_t>(pal[k].r) << 16) |
                (static_cast<std::uint32_t>(pal[k].g) << 8) | static_cast<std::uint32_t>(pal[k].b);
  }
}

void AlphaPalette(int a0, int a1, int out[8]) {
  out[0] = a0;
  out[1] = a1;
  if (a0 > a1) {
    for (int i = 1; i < 7; ++i) out[i + 1] = ((7 - i) * a0 + i * a1) / 7;
  } else {
    for (int i = 1; i < 5; ++i) out[i + 1] = ((5 - i) * a0 + i * a1) / 5;
    out[6] = 0;
    out[7] = 255;
  }
}

void SetAlpha(std::uint32_t& t, std::uint32_t a) { t = (t & 0x00FFFFFFu) | (a << 24); }

// Premultiplied kinds keep colour times alpha; undo that on the way out and
// apply it on the way in.
void Unpremultiply(std::uint32_t& t) {
  std::uint32_t a = t >> 24;
  if (a == 0 || a == 255) return;
  auto ch = [&](int s) {
    std::uint32_t v = ((t >> s) & 255) * 255 / a;
    return (v > 255 ? 255 : v) << s;
  };
  t = (a << 24) | ch(16) | ch(8) | ch(0);
}
std::uint32_t Premultiply(std::uint32_t t) {
  std::uint32_t a = t >> 24;
  auto ch = [&](int s) { return ((((t >> s) & 255) * a + 127) / 255) << s; };
  return (a << 24) | ch(16) | ch(8) | ch(0);
}

int Distance(const Rgb& a, const Rgb& b) {
  int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

void EncodeColour(const std::uint32_t texels[16], bool dxt1, std::uint8_t* p) {
  Rgb px[16];
  bool transparent[16];
  bool anyTransparent = false;
  Rgb lo{255, 255, 255}, hi{0, 0, 0};
  int opaque = 0;
  for (int i = 0; i < 16; ++i) {
    std::uint32_t t = texels[i];
    px[i] = {static_cast<int>((t >> 16) & 255), static_cast<int>((t >> 8) & 255), static_cast<int>(t & 255)};
    transparent[i] = dxt1 && (t >> 24) < 128;
    anyTransparent |= transparent[i];
    if (transparent[i]) continue;
    ++opaque;
    lo = {px[i].r < lo.r ? px[i].r : lo.r, px[i].g < lo.g ? px[i].g : lo.g, px[i].b < lo.b ? px[i].b : lo.b};
    hi = {px[i].r > hi.r ? px[i].r : hi.r, px[i].g > hi.g ? px[i].g : hi.g, px[i].b > hi.b ? px[i].b : hi.b};
  }
  if (opaque == 0) lo = hi = {0, 0, 0};

  // The box's diagonal runs along the colours' main direction: flip green
  // and blue against red where they fall as red rises.
  long crg = 0, crb = 0, cr = 0;
  Rgb mean{(lo.r + hi.r) / 2, (lo.g + hi.g) / 2, (lo.b + hi.b) / 2};
  for (int i = 0; i < 16; ++i) {
    if (transparent[i]) continue;
    int dr = px[i].r - mean.r;
    crg += dr * (px[i].g - mean.g);
    crb += dr * (px[i].b - mean.b);
    cr += dr * dr;
  }
  Rgb e0 = hi, e1 = lo;
  if (cr > 0) {
    if (crg < 0) Swap(e0.g, e1.g);
    if (crb < 0) Swap(e0.b, e1.b);
  }
  std::uint32_t c0 = Pack565(e0), c1 = Pack565(e1);

  bool three = dxt1 && anyTransparent;
  if (three ? c0 > c1 : c0 < c1) Swap(c0, c1);
  Rgb pal[4];
  bool transparent3 = false;
  Palette(c0, c1, dxt1 && c0 <= c1, pal, transparent3);
  int usable = transparent3 ? 3 : 4;

  std::uint32_t bits = 0;
  for (int i = 0; i < 16; ++i) {
    int best = 0;
    if (transparent[i]) {
      best = 3;
    } else {
      int bestD = Distance(px[i], pal[0]);
      for (int k = 1; k < usable; ++k) {
        int d = Distance(px[i], pal[k]);
        if (d < bestD) bestD = d, best = k;
      }
    }
    bits |= static_cast<std::uint32_t>(best) << (2 * i);
  }
  Write16(p, c0);
  Write16(p + 2, c1);
  Write32(p + 4, bits);
}

void EncodeExplicitAlpha(const std::uint32_t texels[16], std::uint8_t* p) {
  for (int i = 0; i < 16; i += 2) {
    std::uint32_t a0 = ((texels[i] >> 24) * 15 + 127) / 255;
    std::uint32_t a1 = ((texels[i + 1] >> 24) * 15 + 127) / 255;
    p[i / 2] = static_cast<std::uint8_t>(a0 | (a1 << 4));
  }
}

void EncodeInterpolatedAlpha(const std::uint32_t texels[16], std::uint8_t* p) {
  int lo = 255, hi = 0;
  for (int i = 0; i < 16; ++i) {
    int a = static_cast<int>(texels[i] >> 24);
    lo = a < lo ? a : lo;
    hi = a > hi ? a : hi;
  }
  int pal[8];
  AlphaPalette(hi, lo, pal);
  std::uint64_t bits = 0;
  for (int i = 0; i < 16; ++i) {
    int a = static_cast<int>(texels[i] >> 24);
    int best = 0, bestD = 256;
    for (int k = 0; k < 8; ++k) {
      int d = a > pal[k] ? a - pal[k] : pal[k] - a;
      if (d < bestD) bestD = d, best = k;
    }
    bits |= static_cast<std::uint64_t>(best) << (3 * i);
  }
  p[0] = static_cast<std::uint8_t>(hi);
  p[1] = static_cast<std::uint8_t>(lo);
  for (int i = 0; i < 6; ++i) p[2 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace

void DecodeBlock(BlockKind kind, const std::uint8_t* block, std::uint32_t texels[16]) {
  if (kind == BlockKind::Dxt1) {
    DecodeColour(block, true, texels);
    return;
  }
  DecodeColour(block + 8, false, texels);
  if (kind == BlockKind::Dxt2 || kind == BlockKind::Dxt3) {
    for (int i = 0; i < 16; ++i) {
      std::uint32_t a = (block[i / 2] >> ((i & 1) * 4)) & 15;
      SetAlpha(texels[i], a * 17);
    }
  } else {
    int pal[8];
    AlphaPalette(block[0], block[1], pal);
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) SetAlpha(texels[i], static_cast<std::uint32_t>(pal[(bits >> (3 * i)) & 7]));
  }
  if (kind == BlockKind::Dxt2 || kind == BlockKind::Dxt4)
    for (int i = 0; i < 16; ++i) Unpremultiply(texels[i]);
}

void EncodeBlock(BlockKind kind, const std::uint32_t texels[16], std::uint8_t* block) {
  if (kind == BlockKind::Dxt1) {
    EncodeColour(texels, true, block);
    return;
  }
  std::uint32_t colour[16];
  const bool premultiplied = kind == BlockKind::Dxt2 || kind == BlockKind::Dxt4;
  for (int i = 0; i < 16; ++i) colour[i] = premultiplied ? Premultiply(texels[i]) : texels[i];
  if (kind == BlockKind::Dxt2 || kind == BlockKind::Dxt3)
    EncodeExplicitAlpha(texels, block);
  else
    EncodeInterpolatedAlpha(texels, block);
  EncodeColour(colour, false, block + 8);
}

bool BlockKindOfFourCC(std::uint32_t format, BlockKind* kind) {
  constexpr auto FourCC = [](char d) {
    return std::uint32_t{'D'} | std::uint32_t{'X'} << 8 | std::uint32_t{'T'} << 16 | std::uint32_t(d) << 24;
  };
  const BlockKind kinds[] = {BlockKind::Dxt1, BlockKind::Dxt2, BlockKind::Dxt3, BlockKind::Dxt4, BlockKind::Dxt5};
  for (int i = 0; i < 5; ++i)
    if (format == FourCC(static_cast<char>('1' + i))) {
      *kind = kinds[i];
      return true;
    }
  return false;
}

void DecodeBlockPicture(BlockKind kind, const std::uint8_t* bits, int pitch, unsigned width, unsigned height,
                        std::uint32_t* texels) {
  const unsigned block_bytes = static_cast<unsigned>(BlockBytes(kind));
  std::uint32_t block[16];
  for (unsigned by = 0; by < (height + 3) / 4; ++by)
    for (unsigned bx = 0; bx < (width + 3) / 4; ++bx) {
      DecodeBlock(kind, bits + static_cast<std::ptrdiff_t>(by) * pitch + bx * block_bytes, block);
      for (unsigned y = 0; y < 4 && by * 4 + y < height; ++y)
        for (unsigned x = 0; x < 4 && bx * 4 + x < width; ++x)
          texels[static_cast<std::size_t>(by * 4 + y) * width + bx * 4 + x] = block[y * 4 + x];
    }
}

}  // namespace d3d9_formats
