// Row conversions between the uncompressed formats and ARGB words or floats,
// driven by the channel fields and kind of each format's table row.
#include "platform/d3d9/formats/row_codec.h"

#include <cstring>

#include "platform/d3d9/formats/format_table.h"

namespace d3d9_formats {
namespace {

// ---------------------------------------------------------------------------
// Packed integer formats: the channel fields of the format's row.
// ---------------------------------------------------------------------------

using Field = ChannelField;

inline std::uint64_t LoadWord(const std::uint8_t* p, int bytes) {
  std::uint64_t w = 0;
  for (int i = 0; i < bytes; ++i) w |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return w;
}

inline void StoreWord(std::uint8_t* p, int bytes, std::uint64_t w) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(w >> (8 * i));
}

inline std::uint32_t Max(Field f) { return (1u << f.bits) - 1u; }
inline std::uint32_t Raw(std::uint64_t w, Field f) { return static_cast<std::uint32_t>(w >> f.shift) & Max(f); }

// n-bit value to 8 bits and back, rounding to nearest: 8-bit values survive
// a round trip through any width of 8 bits or more, and n-bit values of
// narrower fields survive the trip through 8 bits.
inline std::uint32_t To8(std::uint32_t v, Field f) {
  if (f.bits == 8) return v;
  const std::uint64_t m = Max(f);
  return static_cast<std::uint32_t>((v * 510ull + m) / (2 * m));
}
inline std::uint64_t From8(std::uint32_t c, Field f) {
  if (f.bits == 8) return c;
  const std::uint64_t m = Max(f);
  return (c * m * 2 + 255) / 510;
}
inline std::uint64_t FromFloat(float v, Field f) {
  if (!(v > 0.f)) return 0;  // also NaN
  if (v >= 1.f) return Max(f);
  return static_cast<std::uint64_t>(v * static_cast<float>(Max(f)) + 0.5f);
}

inline std::uint8_t ToByte(float v) {
  if (!(v > 0.f)) return 0;
  if (v >= 1.f) return 255;
  return static_cast<std::uint8_t>(v * 255.f + 0.5f);
}

int BytesOf(const FormatInfo& f) { return static_cast<int>(f.bits_per_pixel / 8); }

// The 32-bit formats of four (or three and an X) 8-bit fields: a word load
// and shifts, the layout D3DX copies most.
bool IsByteWord(const FormatInfo& f) {
  const ChannelLayout& c = f.channels;
  return f.bits_per_pixel == 32 && c.r.bits == 8 && c.g.bits == 8 && c.b.bits == 8 && (c.a.bits | 8) == 8;
}

// The D3DCOLOR layout (A8R8G8B8, X8R8G8B8) reads as FromArgb reads a colour:
// channel times 1/255. Every other field reads as raw / (2^n - 1).
bool IsColourWord(const FormatInfo& f) { return IsByteWord(f) && f.channels.r.shift == 16 && f.channels.b.shift == 0; }

void DecodePacked(const FormatInfo& F, const std::uint8_t* s, UINT width, std::uint32_t* out) {
  const ChannelLayout& L = F.channels;
  const int bytes = BytesOf(F);
  for (UINT x = 0; x < width; ++x, s += bytes) {
    const std::uint64_t w = LoadWord(s, bytes);
    std::uint32_t r, g, b;
    if (L.l.bits) {
      r = g = b = To8(Raw(w, L.l), L.l);
    } else if (!L.r.bits) {
      r = g = b = 0;
    } else {
      r = To8(Raw(w, L.r), L.r);
      g = L.g.bits ? To8(Raw(w, L.g), L.g) : 255;
      b = L.b.bits ? To8(Raw(w, L.b), L.b) : 255;
    }
    const std::uint32_t a = L.a.bits ? To8(Raw(w, L.a), L.a) : 255;
    out[x] = (a << 24) | (r << 16) | (g << 8) | b;
  }
}

void DecodePackedFloat(const FormatInfo& F, const std::uint8_t* s, UINT width, float* out) {
  const ChannelLayout& L = F.channels;
  if (IsColourWord(F)) {
    constexpr float k = 1.f / 255.f;
    for (UINT x = 0; x < width; ++x, s += 4, out += 4) {
      std::uint32_t w;
      std::memcpy(&w, s, 4);
      out[0] = static_cast<float>((w >> 16) & 0xff) * k;
      out[1] = static_cast<float>((w >> 8) & 0xff) * k;
      out[2] = static_cast<float>(w & 0xff) * k;
      out[3] = L.a.bits ? static_cast<float>(w >> 24) * k : 1.f;
    }
    return;
  }
  auto unit = [](std::uint32_t v, Field f) { return static_cast<float>(v) / static_cast<float>(Max(f)); };
  const int bytes = BytesOf(F);
  for (UINT x = 0; x < width; ++x, s += bytes, out += 4) {
    const std::uint64_t w = LoadWord(s, bytes);
    if (L.l.bits) {
      out[0] = out[1] = out[2] = unit(Raw(w, L.l), L.l);
    } else if (!L.r.bits) {
      out[0] = out[1] = out[2] = 0.f;
    } else {
      out[0] = unit(Raw(w, L.r), L.r);
      out[1] = L.g.bits ? unit(Raw(w, L.g), L.g) : 1.f;
      out[2] = L.b.bits ? unit(Raw(w, L.b), L.b) : 1.f;
    }
    out[3] = L.a.bits ? unit(Raw(w, L.a), L.a) : 1.f;
  }
}

// Unused bits are written as the row's x field says: ones there, else zero.
inline std::uint64_t FillBits(Field x) { return x.bits ? static_cast<std::uint64_t>(Max(x)) << x.shift : 0; }

void EncodePacked(const FormatInfo& F, const std::uint32_t* in, UINT width, std::uint8_t* d) {
  const ChannelLayout& L = F.channels;
  const std::uint64_t fill = FillBits(L.x);
  const int bytes = BytesOf(F);
  for (UINT x = 0; x < width; ++x, d += bytes) {
    const std::uint32_t c = in[x];
    const std::uint32_t a = c >> 24, r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
    std::uint64_t w = 0;
    if (L.l.bits) {
      // Luminance is computed as the float path computes it, at the field's
      // own precision, so both paths store the same level.
      constexpr float k = 1.f / 255.f;
      const float l = Luminance(static_cast<float>(r) * k, static_cast<float>(g) * k, static_cast<float>(b) * k);
      w |= FromFloat(l, L.l) << L.l.shift;
    } else {
      if (L.r.bits) w |= From8(r, L.r) << L.r.shift;
      if (L.g.bits) w |= From8(g, L.g) << L.g.shift;
      if (L.b.bits) w |= From8(b, L.b) << L.b.shift;
    }
    if (L.a.bits) w |= From8(a, L.a) << L.a.shift;
    StoreWord(d, bytes, w | fill);
  }
}

void EncodePackedFloat(const FormatInfo& F, const float* in, UINT width, std::uint8_t* d) {
  const ChannelLayout& L = F.channels;
  const std::uint64_t fill = FillBits(L.x);
  if (IsByteWord(F)) {
    for (UINT x = 0; x < width; ++x, d += 4, in += 4) {
      std::uint32_t w = (static_cast<std::uint32_t>(ToByte(in[0])) << L.r.shift) |
                        (static_cast<std::uint32_t>(ToByte(in[1])) << L.g.shift) |
                        (static_cast<std::uint32_t>(ToByte(in[2])) << L.b.shift);
      if (L.a.bits) w |= static_cast<std::uint32_t>(ToByte(in[3])) << L.a.shift;
      w |= fill;
      std::memcpy(d, &w, 4);
    }
    return;
  }
  const int bytes = BytesOf(F);
  for (UINT x = 0; x < width; ++x, d += bytes, in += 4) {
    std::uint64_t w = 0;
    if (L.l.bits) {
      w |= FromFloat(Luminance(in[0], in[1], in[2]), L.l) << L.l.shift;
    } else {
      if (L.r.bits) w |= FromFloat(in[0], L.r) << L.r.shift;
      if (L.g.bits) w |= FromFloat(in[1], L.g) << L.g.shift;
      if (L.b.bits) w |= FromFloat(in[2], L.b) << L.b.shift;
    }
    if (L.a.bits) w |= FromFloat(in[3], L.a) << L.a.shift;
    StoreWord(d, bytes, w | fill);
  }
}

// ---------------------------------------------------------------------------
// Float formats: channels in the order r, g, b, a; 16 or 32 bits each.
// ---------------------------------------------------------------------------

int FloatChannels(const FormatInfo& F) {
  const ChannelLayout& L = F.channels;
  return (L.r.bits != 0) + (L.g.bits != 0) + (L.b.bits != 0) + (L.a.bits != 0);
}

void DecodeFloatRow(const FormatInfo& F, const std::uint8_t* s, UINT width, float* out) {
  const int channels = FloatChannels(F);
  const bool half = F.channels.r.bits == 16;
  for (UINT x = 0; x < width; ++x, out += 4) {
    out[0] = out[1] = out[2] = out[3] = 1.f;
    for (int c = 0; c < channels; ++c) {
      if (half) {
        std::uint16_t h;
        std::memcpy(&h, s, 2);
        out[c] = HalfToFloat(h);
        s += 2;
      } else {
        std::memcpy(&out[c], s, 4);
        s += 4;
      }
    }
  }
}

void EncodeFloatRow(const FormatInfo& F, const float* in, UINT width, std::uint8_t* d) {
  const int channels = FloatChannels(F);
  const bool half = F.channels.r.bits == 16;
  for (UINT x = 0; x < width; ++x, in += 4) {
    for (int c = 0; c < channels; ++c) {
      if (half) {
        const std::uint16_t h = FloatToHalf(in[c]);
        std::memcpy(d, &h, 2);
        d += 2;
      } else {
        std::memcpy(d, &in[c], 4);
        d += 4;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Two-pixel packed formats: YUV 4:2:2 and their RGB relatives.
// ---------------------------------------------------------------------------

inline std::uint32_t ClampByte(float v) { return ToByte(v / 255.f); }

std::uint32_t YuvToArgb(int y, int u, int v) {
  const float c = 1.164f * static_cast<float>(y - 16);
  const float d = static_cast<float>(u - 128), e = static_cast<float>(v - 128);
  const std::uint32_t r = ClampByte(c + 1.596f * e);
  const std::uint32_t g = ClampByte(c - 0.813f * e - 0.391f * d);
  const std::uint32_t b = ClampByte(c + 2.018f * d);
  return 0xff000000u | (r << 16) | (g << 8) | b;
}

void DecodePairs(D3DFORMAT f, const std::uint8_t* s, UINT width, std::uint32_t* out) {
  for (UINT x = 0; x < width; x += 2, s += 4) {
    std::uint32_t p0, p1;
    switch (f) {
      case D3DFMT_YUY2:
        p0 = YuvToArgb(s[0], s[1], s[3]);
        p1 = YuvToArgb(s[2], s[1], s[3]);
        break;
      case D3DFMT_UYVY:
        p0 = YuvToArgb(s[1], s[0], s[2]);
        p1 = YuvToArgb(s[3], s[0], s[2]);
        break;
      case D3DFMT_R8G8_B8G8:  // R, G0, B, G1
        p0 = 0xff000000u | (s[0] << 16) | (s[1] << 8) | s[2];
        p1 = 0xff000000u | (s[0] << 16) | (s[3] << 8) | s[2];
        break;
      default:  // G8R8_G8B8: G0, R, G1, B
        p0 = 0xff000000u | (s[1] << 16) | (s[0] << 8) | s[3];
        p1 = 0xff000000u | (s[1] << 16) | (s[2] << 8) | s[3];
        break;
    }
    out[x] = p0;
    if (x + 1 < width) out[x + 1] = p1;
  }
}

void EncodePairs(D3DFORMAT f, const std::uint32_t* in, UINT width, std::uint8_t* d) {
  for (UINT x = 0; x < width; x += 2, d += 4) {
    const std::uint32_t c0 = in[x], c1 = x + 1 < width ? in[x + 1] : in[x];
    const float r0 = static_cast<float>((c0 >> 16) & 0xff), g0 = static_cast<float>((c0 >> 8) & 0xff),
                b0 = static_cast<float>(c0 & 0xff);
    const float r1 = static_cast<float>((c1 >> 16) & 0xff), g1 = static_cast<float>((c1 >> 8) & 0xff),
                b1 = static_cast<float>(c1 & 0xff);
    if (f == D3DFMT_YUY2 || f == D3DFMT_UYVY) {
      auto Y = [](float r, float g, float b) { return ClampByte(0.257f * r + 0.504f * g + 0.098f * b + 16.f); };
      const float r = (r0 + r1) * 0.5f, g = (g0 + g1) * 0.5f, b = (b0 + b1) * 0.5f;
      const std::uint8_t u = static_cast<std::uint8_t>(ClampByte(-0.148f * r - 0.291f * g + 0.439f * b + 128.f));
      const std::uint8_t v = static_cast<std::uint8_t>(ClampByte(0.439f * r - 0.368f * g - 0.071f * b + 128.f));
      const std::uint8_t y0 = static_cast<std::uint8_t>(Y(r0, g0, b0)), y1 = static_cast<std::uint8_t>(Y(r1, g1, b1));
      if (f == D3DFMT_YUY2) {
        d[0] = y0, d[1] = u, d[2] = y1, d[3] = v;
      } else {
        d[0] = u, d[1] = y0, d[2] = v, d[3] = y1;
      }
    } else {
      const std::uint8_t r = static_cast<std::uint8_t>(ClampByte((r0 + r1) * 0.5f));
      const std::uint8_t b = static_cast<std::uint8_t>(ClampByte((b0 + b1) * 0.5f));
      const std::uint8_t ga = static_cast<std::uint8_t>(g0), gb = static_cast<std::uint8_t>(g1);
      if (f == D3DFMT_R8G8_B8G8) {
        d[0] = r, d[1] = ga, d[2] = b, d[3] = gb;
      } else {
        d[0] = ga, d[1] = r, d[2] = gb, d[3] = b;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Palette formats.
// ---------------------------------------------------------------------------

void DecodePalette(D3DFORMAT f, const std::uint8_t* s, UINT width, std::uint32_t* out, const std::uint32_t* pal) {
  const int step = f == D3DFMT_A8P8 ? 2 : 1;
  for (UINT x = 0; x < width; ++x, s += step) {
    const std::uint32_t i = s[0];
    std::uint32_t c = pal ? pal[i] : (0xff000000u | (i << 16) | (i << 8) | i);
    if (f == D3DFMT_A8P8) c = (c & 0x00ffffffu) | (static_cast<std::uint32_t>(s[1]) << 24);
    out[x] = c;
  }
}

std::uint8_t NearestEntry(std::uint32_t c, const std::uint32_t* pal, bool with_alpha) {
  int best = 0;
  long best_d = -1;
  for (int i = 0; i < 256; ++i) {
    long d = 0;
    for (int sh = 0; sh < (with_alpha ? 32 : 24); sh += 8) {
      const long e = static_cast<long>((c >> sh) & 0xff) - static_cast<long>((pal[i] >> sh) & 0xff);
      d += e * e;
    }
    if (best_d < 0 || d < best_d) best_d = d, best = i;
  }
  return static_cast<std::uint8_t>(best);
}

void EncodePalette(D3DFORMAT f, const std::uint32_t* in, UINT width, std::uint8_t* d, const std::uint32_t* pal) {
  const bool a8p8 = f == D3DFMT_A8P8;
  for (UINT x = 0; x < width; ++x) {
    *d++ = NearestEntry(in[x], pal, !a8p8);
    if (a8p8) *d++ = static_cast<std::uint8_t>(in[x] >> 24);
  }
}

// Rows of the pair-packed and palette formats go through 8-bit words when
// floats are asked for; a small fixed buffer keeps this allocation-free.
constexpr UINT kChunk = 256;

// The row of a format the codec converts, or null.
const FormatInfo* CodecRow(D3DFORMAT format) {
  const FormatInfo* f = FindFormat(format);
  return f && (f->uses & kUseRowCodec) ? f : nullptr;
}

}  // namespace

bool CanConvertRows(D3DFORMAT format) { return CodecRow(format) != nullptr; }

bool DecodeRow(D3DFORMAT format, const void* src, UINT width, std::uint32_t* argb, const std::uint32_t* palette) {
  const FormatInfo* f = CodecRow(format);
  if (!f) return false;
  const auto* s = static_cast<const std::uint8_t*>(src);
  switch (f->kind) {
    case FormatKind::Packed:
      DecodePacked(*f, s, width, argb);
      return true;
    case FormatKind::Float: {
      float px[4 * kChunk];
      const UINT bytes_per_px = f->bits_per_pixel / 8;
      for (UINT x = 0; x < width; x += kChunk) {
        const UINT n = width - x < kChunk ? width - x : kChunk;
        DecodeFloatRow(*f, s + x * bytes_per_px, n, px);
        for (UINT i = 0; i < n; ++i) {
          const float* q = px + 4 * i;
          argb[x + i] = (static_cast<std::uint32_t>(ToByte(q[3])) << 24) |
                        (static_cast<std::uint32_t>(ToByte(q[0])) << 16) |
                        (static_cast<std::uint32_t>(ToByte(q[1])) << 8) | ToByte(q[2]);
        }
      }
      return true;
    }
    case FormatKind::Pair:
      DecodePairs(format, s, width, argb);
      return true;
    case FormatKind::Palette:
      DecodePalette(format, s, width, argb, palette);
      return true;
    default:
      return false;
  }
}

bool DecodeRowFloat(D3DFORMAT format, const void* src, UINT width, float* rgba, const std::uint32_t* palette) {
  const FormatInfo* f = CodecRow(format);
  if (!f) return false;
  const auto* s = static_cast<const std::uint8_t*>(src);
  if (f->kind == FormatKind::Packed) {
    DecodePackedFloat(*f, s, width, rgba);
    return true;
  }
  if (f->kind == FormatKind::Float) {
    DecodeFloatRow(*f, s, width, rgba);
    return true;
  }
  if (f->kind != FormatKind::Pair && f->kind != FormatKind::Palette) return false;
  std::uint32_t words[kChunk];
  const UINT bytes_per_px = format == D3DFMT_P8 ? 1 : 2;
  for (UINT x = 0; x < width; x += kChunk) {
    const UINT n = width - x < kChunk ? width - x : kChunk;
    if (f->kind == FormatKind::Palette)
      DecodePalette(format, s + x * bytes_per_px, n, words, palette);
    else
      DecodePairs(format, s + x * 2, n, words);  // kChunk is even, so pairs stay whole
    for (UINT i = 0; i < n; ++i) {
      float* q = rgba + 4 * (x + i);
      q[0] = static_cast<float>((words[i] >> 16) & 0xff) / 255.f;
      q[1] = static_cast<float>((words[i] >> 8) & 0xff) / 255.f;
      q[2] = static_cast<float>(words[i] & 0xff) / 255.f;
      q[3] = static_cast<float>(words[i] >> 24) / 255.f;
    }
  }
  return true;
}

bool EncodeRow(D3DFORMAT format, const std::uint32_t* argb, UINT width, void* dst, const std::uint32_t* palette) {
  const FormatInfo* f = CodecRow(format);
  if (!f) return false;
  auto* d = static_cast<std::uint8_t*>(dst);
  switch (f->kind) {
    case FormatKind::Packed:
      EncodePacked(*f, argb, width, d);
      return true;
    case FormatKind::Float: {
      float px[4 * kChunk];
      const UINT bytes_per_px = f->bits_per_pixel / 8;
      for (UINT x = 0; x < width; x += kChunk) {
        const UINT n = width - x < kChunk ? width - x : kChunk;
        for (UINT i = 0; i < n; ++i) {
          const std::uint32_t c = argb[x + i];
          px[4 * i + 0] = static_cast<float>((c >> 16) & 0xff) / 255.f;
          px[4 * i + 1] = static_cast<float>((c >> 8) & 0xff) / 255.f;
          px[4 * i + 2] = static_cast<float>(c & 0xff) / 255.f;
          px[4 * i + 3] = static_cast<float>(c >> 24) / 255.f;
        }
        EncodeFloatRow(*f, px, n, d + x * bytes_per_px);
      }
      return true;
    }
    case FormatKind::Pair:
      EncodePairs(format, argb, width, d);
      return true;
    case FormatKind::Palette:
      if (!palette) return false;
      EncodePalette(format, argb, width, d, palette);
      return true;
    default:
      return false;
  }
}

bool EncodeRowFloat(D3DFORMAT format, const float* rgba, UINT width, void* dst, const std::uint32_t* palette) {
  const FormatInfo* f = CodecRow(format);
  if (!f) return false;
  auto* d = static_cast<std::uint8_t*>(dst);
  if (f->kind == FormatKind::Packed) {
    EncodePackedFloat(*f, rgba, width, d);
    return true;
  }
  if (f->kind == FormatKind::Float) {
    EncodeFloatRow(*f, rgba, width, d);
    return true;
  }
  const bool pal = f->kind == FormatKind::Palette;
  if (!(f->kind == FormatKind::Pair || (pal && palette))) return false;
  std::uint32_t words[kChunk];
  const UINT bytes_per_px = format == D3DFMT_P8 ? 1 : 2;
  for (UINT x = 0; x < width; x += kChunk) {
    const UINT n = width - x < kChunk ? width - x : kChunk;
    for (UINT i = 0; i < n; ++i) words[i] = FloatToArgb(rgba + 4 * (x + i));
    if (pal)
      EncodePalette(format, words, n, d + x * bytes_per_px, palette);
    else
      EncodePairs(format, words, n, d + x * 2);
  }
  return true;
}

std::uint32_t FloatToArgb(const float* rgba) {
  return (static_cast<std::uint32_t>(ToByte(rgba[3])) << 24) | (static_cast<std::uint32_t>(ToByte(rgba[0])) << 16) |
         (static_cast<std::uint32_t>(ToByte(rgba[1])) << 8) | ToByte(rgba[2]);
}

}  // namespace d3d9_formats
