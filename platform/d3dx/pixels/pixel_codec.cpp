// Per-format texel conversion: bit-field formats through one table, half and
// single floats, palettes, DXT blocks and the two-pixel YUV/RGBG packings.
#include "platform/d3dx/pixels/pixel_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/formats/dxt_codec.h"

namespace vornel::d3dx {
namespace {

using Kind = FormatTraits::Kind;

// Where each channel sits in the little-endian pixel word.
struct Layout {
  FormatTraits traits;
  int rShift, gShift, bShift, aShift, lShift;
};

// Missing colour channels of two-channel formats read as 1, as the sampler
// returns them; alpha-only formats read black.
constexpr Layout kLayouts[] = {
    {{D3DFMT_R8G8B8, Kind::Packed, 3, 8, 8, 8, 0, 0}, 16, 8, 0, 0, 0},
    {{D3DFMT_A8R8G8B8, Kind::Packed, 4, 8, 8, 8, 8, 0}, 16, 8, 0, 24, 0},
    {{D3DFMT_X8R8G8B8, Kind::Packed, 4, 8, 8, 8, 0, 0}, 16, 8, 0, 0, 0},
    {{D3DFMT_R5G6B5, Kind::Packed, 2, 5, 6, 5, 0, 0}, 11, 5, 0, 0, 0},
    {{D3DFMT_X1R5G5B5, Kind::Packed, 2, 5, 5, 5, 0, 0}, 10, 5, 0, 0, 0},
    {{D3DFMT_A1R5G5B5, Kind::Packed, 2, 5, 5, 5, 1, 0}, 10, 5, 0, 15, 0},
    {{D3DFMT_A4R4G4B4, Kind::Packed, 2, 4, 4, 4, 4, 0}, 8, 4, 0, 12, 0},
    {{D3DFMT_R3G3B2, Kind::Packed, 1, 3, 3, 2, 0, 0}, 5, 2, 0, 0, 0},
    {{D3DFMT_A8, Kind::Packed, 1, 0, 0, 0, 8, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_A8R3G3B2, Kind::Packed, 2, 3, 3, 2, 8, 0}, 5, 2, 0, 8, 0},
    {{D3DFMT_X4R4G4B4, Kind::Packed, 2, 4, 4, 4, 0, 0}, 8, 4, 0, 0, 0},
    {{D3DFMT_A2B10G10R10, Kind::Packed, 4, 10, 10, 10, 2, 0}, 0, 10, 20, 30, 0},
    {{D3DFMT_A8B8G8R8, Kind::Packed, 4, 8, 8, 8, 8, 0}, 0, 8, 16, 24, 0},
    {{D3DFMT_X8B8G8R8, Kind::Packed, 4, 8, 8, 8, 0, 0}, 0, 8, 16, 0, 0},
    {{D3DFMT_G16R16, Kind::Packed, 4, 16, 16, 0, 0, 0}, 0, 16, 0, 0, 0},
    {{D3DFMT_A2R10G10B10, Kind::Packed, 4, 10, 10, 10, 2, 0}, 20, 10, 0, 30, 0},
    {{D3DFMT_A16B16G16R16, Kind::Packed, 8, 16, 16, 16, 16, 0}, 0, 16, 32, 48, 0},
    {{D3DFMT_L8, Kind::Packed, 1, 0, 0, 0, 0, 8}, 0, 0, 0, 0, 0},
    {{D3DFMT_A8L8, Kind::Packed, 2, 0, 0, 0, 8, 8}, 0, 0, 0, 8, 0},
    {{D3DFMT_A4L4, Kind::Packed, 1, 0, 0, 0, 4, 4}, 0, 0, 0, 4, 0},
    {{D3DFMT_L16, Kind::Packed, 2, 0, 0, 0, 0, 16}, 0, 0, 0, 0, 0},
    {{D3DFMT_P8, Kind::Palette, 1, 8, 8, 8, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_A8P8, Kind::Palette, 2, 8, 8, 8, 8, 0}, 0, 0, 0, 8, 0},
    {{D3DFMT_R16F, Kind::Float16, 2, 16, 0, 0, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_G16R16F, Kind::Float16, 4, 16, 16, 0, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_A16B16G16R16F, Kind::Float16, 8, 16, 16, 16, 16, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_R32F, Kind::Float32, 4, 32, 0, 0, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_G32R32F, Kind::Float32, 8, 32, 32, 0, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_A32B32G32R32F, Kind::Float32, 16, 32, 32, 32, 32, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_DXT1, Kind::Block, 8, 5, 6, 5, 1, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_DXT2, Kind::Block, 16, 5, 6, 5, 4, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_DXT3, Kind::Block, 16, 5, 6, 5, 4, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_DXT4, Kind::Block, 16, 5, 6, 5, 8, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_DXT5, Kind::Block, 16, 5, 6, 5, 8, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_YUY2, Kind::Pair, 4, 8, 8, 8, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_UYVY, Kind::Pair, 4, 8, 8, 8, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_R8G8_B8G8, Kind::Pair, 4, 8, 8, 8, 0, 0}, 0, 0, 0, 0, 0},
    {{D3DFMT_G8R8_G8B8, Kind::Pair, 4, 8, 8, 8, 0, 0}, 0, 0, 0, 0, 0},
};

const Layout* FindLayout(D3DFORMAT format) {
  for (const Layout& l : kLayouts)
    if (l.traits.format == format) return &l;
  return nullptr;
}

float Clamp01(float v) { return v < 0.f ? 0.f : (v > 1.f ? 1.f : v); }

// Round to nearest on the channel's scale; NaN counts as 0. Narrow channels
// go through a 32-bit conversion, which is much cheaper than a 64-bit one.
std::uint64_t Quantise(float v, int bits) {
  if (bits == 0) return 0;
  if (!(v > 0.f)) return 0;  // also NaN
  if (v >= 1.f) return (std::uint64_t{1} << bits) - 1;
  if (bits <= 16) return static_cast<std::uint32_t>(static_cast<std::int32_t>(v * static_cast<float>((1u << bits) - 1) + 0.5f));
  const double max = static_cast<double>((std::uint64_t{1} << bits) - 1);
  return static_cast<std::uint64_t>(v * max + 0.5);
}
float Expand(std::uint64_t word, int shift, int bits) {
  const std::uint64_t max = (std::uint64_t{1} << bits) - 1;
  return static_cast<float>((word >> shift) & max) / static_cast<float>(max);
}

std::uint64_t ReadWord(const BYTE* p, int bytes) {
  std::uint64_t w = 0;
  for (int i = 0; i < bytes; ++i) w |= std::uint64_t{p[i]} << (8 * i);
  return w;
}
void WriteWord(BYTE* p, int bytes, std::uint64_t w) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<BYTE>(w >> (8 * i));
}

float Luminance(const Texel& t) { return 0.2125f * t.r + 0.7154f * t.g + 0.0721f * t.b; }

Texel DecodePacked(const Layout& l, const BYTE* p) {
  const FormatTraits& f = l.traits;
  std::uint64_t w = ReadWord(p, f.bytes);
  Texel t{0, 0, 0, 1};
  if (f.lBits) {
    t.r = t.g = t.b = Expand(w, l.lShift, f.lBits);
  } else if (f.rBits || f.gBits || f.bBits) {
    t.r = f.rBits ? Expand(w, l.rShift, f.rBits) : 1.f;
    t.g = f.gBits ? Expand(w, l.gShift, f.gBits) : 1.f;
    t.b = f.bBits ? Expand(w, l.bShift, f.bBits) : 1.f;
  }
  if (f.aBits) t.a = Expand(w, l.aShift, f.aBits);
  return t;
}

void EncodePacked(const Layout& l, const Texel& t, BYTE* p) {
  const FormatTraits& f = l.traits;
  std::uint64_t w = 0;
  if (f.lBits) w |= Quantise(Luminance(t), f.lBits) << l.lShift;
  if (f.rBits) w |= Quantise(t.r, f.rBits) << l.rShift;
  if (f.gBits) w |= Quantise(t.g, f.gBits) << l.gShift;
  if (f.bBits) w |= Quantise(t.b, f.bBits) << l.bShift;
  if (f.aBits) w |= Quantise(t.a, f.aBits) << l.aShift;
  else if (f.bytes == 4 && !f.lBits && f.rBits == 8) w |= std::uint64_t{0xFF} << 24;  // X8 formats read as opaque
  WriteWord(p, f.bytes, w);
}

float HalfToFloat(std::uint16_t h) {
  int sign = h >> 15, exp = (h >> 10) & 31, mant = h & 1023;
  float v;
  if (exp == 0)
    v = std::ldexp(static_cast<float>(mant), -24);
  else if (exp == 31)
    v = mant ? NAN : INFINITY;
  else
    v = std::ldexp(static_cast<float>(mant | 1024), exp - 25);
  return sign ? -v : v;
}
std::uint16_t FloatToHalf(float f) {
  std::uint32_t x;
  std::memcpy(&x, &f, 4);
  std::uint32_t sign = (x >> 16) & 0x8000;
  if (std::isnan(f)) return static_cast<std::uint16_t>(sign | 0x7E00);
  float a = std::fabs(f);
  if (a >= 65520.f) return static_cast<std::uint16_t>(sign | 0x7C00);
  if (a < std::ldexp(1.f, -24) * 0.5f) return static_cast<std::uint16_t>(sign);
  int e;
  float m = std::frexp(a, &e);  // a = m * 2^e, m in [0.5, 1)
  if (e < -13) {                // subnormal half
    return static_cast<std::uint16_t>(sign | static_cast<std::uint32_t>(std::nearbyint(std::ldexp(a, 24))));
  }
  std::uint32_t mant = static_cast<std::uint32_t>(std::nearbyint((m * 2.f - 1.f) * 1024.f));
  std::uint32_t exp = static_cast<std::uint32_t>(e - 1 + 15);
  if (mant == 1024) mant = 0, ++exp;
  if (exp >= 31) return static_cast<std::uint16_t>(sign | 0x7C00);
  return static_cast<std::uint16_t>(sign | (exp << 10) | mant);
}

Texel DecodeFloat(const FormatTraits& f, const BYTE* p) {
  float c[4] = {1, 1, 1, 1};
  int n = (f.rBits > 0) + (f.gBits > 0) + (f.bBits > 0) + (f.aBits > 0);
  for (int i = 0; i < n; ++i) {
    if (f.kind == Kind::Float16) {
      c[i] = HalfToFloat(static_cast<std::uint16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
    } else {
      std::memcpy(&c[i], p + 4 * i, 4);
    }
  }
  return {c[0], c[1], c[2], c[3]};
}

void EncodeFloat(const FormatTraits& f, const Texel& t, BYTE* p) {
  const float c[4] = {t.r, t.g, t.b, t.a};
  int n = (f.rBits > 0) + (f.gBits > 0) + (f.bBits > 0) + (f.aBits > 0);
  for (int i = 0; i < n; ++i) {
    if (f.kind == Kind::Float16) {
      std::uint16_t h = FloatToHalf(c[i]);
      p[2 * i] = static_cast<BYTE>(h);
      p[2 * i + 1] = static_cast<BYTE>(h >> 8);
    } else {
      std::memcpy(p + 4 * i, &c[i], 4);
    }
  }
}

Texel DecodePalette(const FormatTraits& f, const BYTE* p, PaletteBytes palette) {
  BYTE index = p[0];
  Texel t;
  if (palette) {
    const BYTE* e = palette + 4 * index;
    t = {e[0] / 255.f, e[1] / 255.f, e[2] / 255.f, 1.f};
  } else {
    t = {index / 255.f, index / 255.f, index / 255.f, 1.f};
  }
  if (f.aBits) t.a = p[1] / 255.f;
  return t;
}

// The destination's palette is not at hand here, so indices are written as
// a grey ramp (index = luminance), the inverse of decoding without a palette.
void EncodePalette(const FormatTraits& f, const Texel& t, BYTE* p) {
  p[0] = static_cast<BYTE>(Quantise(Luminance(t), 8));
  if (f.aBits) p[1] = static_cast<BYTE>(Quantise(t.a, 8));
}

// Pixel pairs: which byte of the four holds each of Y0, Y1, and the two
// shared chroma (or red/blue) values.
struct PairOrder {
  int first, second, c0, c1;
};
PairOrder OrderOf(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_YUY2:
      return {0, 2, 1, 3};  // Y0 U Y1 V
    case D3DFMT_UYVY:
      return {1, 3, 0, 2};  // U Y0 V Y1
    case D3DFMT_R8G8_B8G8:
      return {1, 3, 0, 2};  // R G0 B G1
    default:
      return {0, 2, 1, 3};  // G0 R G1 B
  }
}
bool IsYuv(D3DFORMAT f) { return f == D3DFMT_YUY2 || f == D3DFMT_UYVY; }

void DecodePair(D3DFORMAT f, const BYTE* p, Texel out[2]) {
  PairOrder o = OrderOf(f);
  for (int i = 0; i < 2; ++i) {
    float y = p[i ? o.second : o.first];
    float c0 = p[o.c0], c1 = p[o.c1];
    if (IsYuv(f)) {
      float u = c0 - 128.f, v = c1 - 128.f;
      out[i] = {Clamp01((y + 1.402f * v) / 255.f), Clamp01((y - 0.344136f * u - 0.714136f * v) / 255.f),
                Clamp01((y + 1.772f * u) / 255.f), 1.f};
    } else {
      out[i] = {c0 / 255.f, y / 255.f, c1 / 255.f, 1.f};
    }
  }
}

void EncodePair(D3DFORMAT f, const Texel in[2], BYTE* p) {
  PairOrder o = OrderOf(f);
  auto byte = [](float v) { return static_cast<BYTE>(Quantise(v, 8)); };
  if (IsYuv(f)) {
    float y[2], u = 0, v = 0;
    for (int i = 0; i < 2; ++i) {
      float r = Clamp01(in[i].r), g = Clamp01(in[i].g), b = Clamp01(in[i].b);
      y[i] = 0.299f * r + 0.587f * g + 0.114f * b;
      u += (b - y[i]) / 1.772f * 0.5f;
      v += (r - y[i]) / 1.402f * 0.5f;
    }
    p[o.first] = byte(y[0]);
    p[o.second] = byte(y[1]);
    p[o.c0] = byte(u + 128.f / 255.f);
    p[o.c1] = byte(v + 128.f / 255.f);
  } else {
    p[o.first] = byte(in[0].g);
    p[o.second] = byte(in[1].g);
    p[o.c0] = byte((in[0].r + in[1].r) * 0.5f);
    p[o.c1] = byte((in[0].b + in[1].b) * 0.5f);
  }
}

dxt::BlockKind BlockKindOf(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_DXT1:
      return dxt::BlockKind::Dxt1;
    case D3DFMT_DXT2:
      return dxt::BlockKind::Dxt2;
    case D3DFMT_DXT3:
      return dxt::BlockKind::Dxt3;
    case D3DFMT_DXT4:
      return dxt::BlockKind::Dxt4;
    default:
      return dxt::BlockKind::Dxt5;
  }
}

bool RectInside(const RECT& r, UINT w, UINT h) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<UINT>(r.right) <= w &&
         static_cast<UINT>(r.bottom) <= h;
}

}  // namespace

Texel FromArgb(DWORD c) {
  constexpr float k = 1.f / 255.f;
  return {static_cast<float>((c >> 16) & 255) * k, static_cast<float>((c >> 8) & 255) * k,
          static_cast<float>(c & 255) * k, static_cast<float>(c >> 24) * k};
}

DWORD ToArgb(const Texel& t) {
  return static_cast<DWORD>((Quantise(t.a, 8) << 24) | (Quantise(t.r, 8) << 16) | (Quantise(t.g, 8) << 8) |
                            Quantise(t.b, 8));
}

const FormatTraits* FindTraits(D3DFORMAT format) {
  const Layout* l = FindLayout(format);
  return l ? &l->traits : nullptr;
}

bool DecodeRect(D3DFORMAT format, const BYTE* bits, INT pitch, UINT surfaceWidth, UINT surfaceHeight,
                const RECT& rect, PaletteBytes palette, TexelImage& out) {
  const Layout* l = FindLayout(format);
  if (!l || !bits || !RectInside(rect, surfaceWidth, surfaceHeight)) return false;
  const FormatTraits& f = l->traits;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  out.Resize(w, h);

  if (f.kind == Kind::Block) {
    const dxt::BlockKind kind = BlockKindOf(format);
    std::uint32_t block[16];
    for (int by = rect.top / 4; by * 4 < rect.bottom; ++by) {
      for (int bx = rect.left / 4; bx * 4 < rect.right; ++bx) {
        dxt::DecodeBlock(kind, bits + static_cast<std::ptrdiff_t>(by) * pitch + bx * f.bytes, block);
        for (int i = 0; i < 16; ++i) {
          int x = bx * 4 + (i & 3) - rect.left, y = by * 4 + (i >> 2) - rect.top;
          if (x >= 0 && y >= 0 && x < w && y < h) out.at(x, y) = FromArgb(block[i]);
        }
      }
    }
    return true;
  }
  for (int y = 0; y < h; ++y) {
    const BYTE* row = bits + static_cast<std::ptrdiff_t>(rect.top + y) * pitch;
    Texel* d = &out.at(0, y);
    if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
      const bool opaque = format == D3DFMT_X8R8G8B8;
      for (int x = 0; x < w; ++x) {
        DWORD c;
        std::memcpy(&c, row + 4 * (rect.left + x), 4);
        d[x] = FromArgb(opaque ? (c | 0xFF000000u) : c);
      }
      continue;
    }
    for (int x = 0; x < w; ++x) {
      const int sx = rect.left + x;
      switch (f.kind) {
        case Kind::Packed:
          d[x] = DecodePacked(*l, row + sx * f.bytes);
          break;
        case Kind::Float16:
        case Kind::Float32:
          d[x] = DecodeFloat(f, row + sx * f.bytes);
          break;
        case Kind::Palette:
          d[x] = DecodePalette(f, row + sx * f.bytes, palette);
          break;
        default: {
          Texel pair[2];
          DecodePair(format, row + (sx / 2) * 4, pair);
          d[x] = pair[sx & 1];
        }
      }
    }
  }
  return true;
}

bool EncodeRect(D3DFORMAT format, BYTE* bits, INT pitch, UINT surfaceWidth, UINT surfaceHeight, const RECT& rect,
                const TexelImage& in) {
  const Layout* l = FindLayout(format);
  if (!l || !bits || !RectInside(rect, surfaceWidth, surfaceHeight)) return false;
  const FormatTraits& f = l->traits;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (in.width != w || in.height != h) return false;

  if (f.kind == Kind::Block) {
    // Blocks the rect covers only in part are decoded first, so the texels
    // outside the rect keep their values.
    const dxt::BlockKind kind = BlockKindOf(format);
    std::uint32_t block[16];
    for (int by = rect.top / 4; by * 4 < rect.bottom; ++by) {
      for (int bx = rect.left / 4; bx * 4 < rect.right; ++bx) {
        BYTE* p = bits + static_cast<std::ptrdiff_t>(by) * pitch + bx * f.bytes;
        const bool whole = bx * 4 >= rect.left && by * 4 >= rect.top && bx * 4 + 4 <= rect.right &&
                           by * 4 + 4 <= rect.bottom;
        if (!whole) dxt::DecodeBlock(kind, p, block);
        for (int i = 0; i < 16; ++i) {
          int x = bx * 4 + (i & 3) - rect.left, y = by * 4 + (i >> 2) - rect.top;
          if (x >= 0 && y >= 0 && x < w && y < h) {
            block[i] = ToArgb(in.at(x, y));
          } else if (whole) {
            block[i] = 0;
          } else if (static_cast<UINT>(bx * 4 + (i & 3)) >= surfaceWidth ||
                     static_cast<UINT>(by * 4 + (i >> 2)) >= surfaceHeight) {
            // Padding texels past the surface edge repeat the nearest real
            // one, so they do not pull the block's end points away.
            int cx = std::clamp(x, 0, w - 1), cy = std::clamp(y, 0, h - 1);
            block[i] = ToArgb(in.at(cx, cy));
          }
        }
        dxt::EncodeBlock(kind, block, p);
      }
    }
    return true;
  }
  for (int y = 0; y < h; ++y) {
    BYTE* row = bits + static_cast<std::ptrdiff_t>(rect.top + y) * pitch;
    const Texel* s = &in.at(0, y);
    if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
      const DWORD opaque = format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0;
      for (int x = 0; x < w; ++x) {
        DWORD c = ToArgb(s[x]) | opaque;
        std::memcpy(row + 4 * (rect.left + x), &c, 4);
      }
      continue;
    }
    for (int x = 0; x < w; ++x) {
      const int dx = rect.left + x;
      switch (f.kind) {
        case Kind::Packed:
          EncodePacked(*l, s[x], row + dx * f.bytes);
          break;
        case Kind::Float16:
        case Kind::Float32:
          EncodeFloat(f, s[x], row + dx * f.bytes);
          break;
        case Kind::Palette:
          EncodePalette(f, s[x], row + dx * f.bytes);
          break;
        default: {
          BYTE* p = row + (dx / 2) * 4;
          Texel pair[2];
          DecodePair(format, p, pair);
          pair[dx & 1] = s[x];
          if ((dx & 1) == 0 && x + 1 < w) pair[1] = s[++x];
          EncodePair(format, pair, p);
        }
      }
    }
  }
  return true;
}

}  // namespace vornel::d3dx
