// Texture sampling of stage 0: texel addressing (wrap, clamp, mirror,
// border, mirror once) and the point and linear filters over 32-bit ARGB texels. Texel centres lie at
// (i + 0.5) / size, so point sampling at u = i / size hits texel i exactly.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/d3d9/raster/draw_context.h"

namespace d3d9_impl {

inline int AddressTexel(int i, int size, bool wrap) {
  if (wrap) {
    if ((size & (size - 1)) == 0) return i & (size - 1);  // powers of two: a mask
    i %= size;
    return i < 0 ? i + size : i;
  }
  return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

// Float to int for texel positions, safe for huge and non-finite values.
inline int FloorToInt(float f) {
  if (!(f > -1.0e9f)) return -1000000000;
  if (f > 1.0e9f) return 1000000000;
  const int i = static_cast<int>(f);  // truncates towards zero
  return f < static_cast<float>(i) ? i - 1 : i;
}

inline std::uint32_t SamplePoint(const TexLevel& l, float u, float v, bool wrap_u, bool wrap_v) {
  const int x = AddressTexel(FloorToInt(u * static_cast<float>(l.width)), l.width, wrap_u);
  const int y = AddressTexel(FloorToInt(v * static_cast<float>(l.height)), l.height, wrap_v);
  return l.texels[y * l.pitch + x];
}

// Linear blend of two ARGB words, f in 0..256, two channels per multiply:
// each 16-bit lane holds one channel times a weight, at most 255 * 256.
inline std::uint32_t LerpPacked(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
  const std::uint32_t g = 256 - f;
  const std::uint32_t rb = (((a & 0x00ff00ffu) * g + (b & 0x00ff00ffu) * f + 0x00800080u) >> 8) & 0x00ff00ffu;
  const std::uint32_t ag = (((a >> 8) & 0x00ff00ffu) * g + ((b >> 8) & 0x00ff00ffu) * f + 0x00800080u) & 0xff00ff00u;
  return rb | ag;
}

// Bilinear blend of a 2 x 2 texel block: rows first, then between them.
inline std::uint32_t Lerp2(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t fx,
                           std::uint32_t fy) {
  return LerpPacked(LerpPacked(a, b, fx), LerpPacked(c, d, fx), fy);
}

inline std::uint32_t SampleLinear(const TexLevel& l, float u, float v, bool wrap_u, bool wrap_v) {
  const float fu = u * static_cast<float>(l.width) - 0.5f;
  const float fv = v * static_cast<float>(l.height) - 0.5f;
  const int iu = FloorToInt(fu), iv = FloorToInt(fv);
  const std::uint32_t fx = static_cast<std::uint32_t>((fu - static_cast<float>(iu)) * 256.f) & 0x1ff;
  const std::uint32_t fy = static_cast<std::uint32_t>((fv - static_cast<float>(iv)) * 256.f) & 0x1ff;
  const int x0 = AddressTexel(iu, l.width, wrap_u), x1 = AddressTexel(iu + 1, l.width, wrap_u);
  const int y0 = AddressTexel(iv, l.height, wrap_v), y1 = AddressTexel(iv + 1, l.height, wrap_v);
  const std::uint32_t* r0 = l.texels + y0 * l.pitch;
  const std::uint32_t* r1 = l.texels + y1 * l.pitch;
  return Lerp2(r0[x0], r0[x1], r1[x0], r1[x1], fx > 256 ? 256 : fx, fy > 256 ? 256 : fy);
}

// Texel index under any address mode; -1 where the border colour shows.
inline int AddressMode(int i, int size, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_WRAP:
      return AddressTexel(i, size, true);
    case D3DTADDRESS_MIRROR: {
      const int period = 2 * size;
      int k = i % period;
      if (k < 0) k += period;
      return k < size ? k : period - 1 - k;
    }
    case D3DTADDRESS_BORDER:
      return i < 0 || i >= size ? -1 : i;
    case D3DTADDRESS_MIRRORONCE:
      if (i < 0) i = i < -size ? size - 1 : -i - 1;
      return i >= size ? size - 1 : i;
    default:
      return AddressTexel(i, size, false);
  }
}

inline std::uint32_t TexelAt(const TexLevel& l, int x, int y, std::uint32_t border) {
  return x < 0 || y < 0 ? border : l.texels[y * l.pitch + x];
}

inline std::uint32_t SamplePointMode(const TexLevel& l, float u, float v, DWORD mu, DWORD mv, std::uint32_t border) {
  const int x = AddressMode(FloorToInt(u * static_cast<float>(l.width)), l.width, mu);
  const int y = AddressMode(FloorToInt(v * static_cast<float>(l.height)), l.height, mv);
  return TexelAt(l, x, y, border);
}

inline std::uint32_t SampleLinearMode(const TexLevel& l, float u, float v, DWORD mu, DWORD mv, std::uint32_t border) {
  const float fu = u * static_cast<float>(l.width) - 0.5f;
  const float fv = v * static_cast<float>(l.height) - 0.5f;
  const int iu = FloorToInt(fu), iv = FloorToInt(fv);
  const std::uint32_t fx = static_cast<std::uint32_t>((fu - static_cast<float>(iu)) * 256.f) & 0x1ff;
  const std::uint32_t fy = static_cast<std::uint32_t>((fv - static_cast<float>(iv)) * 256.f) & 0x1ff;
  const int x0 = AddressMode(iu, l.width, mu), x1 = AddressMode(iu + 1, l.width, mu);
  const int y0 = AddressMode(iv, l.height, mv), y1 = AddressMode(iv + 1, l.height, mv);
  return Lerp2(TexelAt(l, x0, y0, border), TexelAt(l, x1, y0, border), TexelAt(l, x0, y1, border),
               TexelAt(l, x1, y1, border), fx > 256 ? 256 : fx, fy > 256 ? 256 : fy);
}

}  // namespace d3d9_impl
