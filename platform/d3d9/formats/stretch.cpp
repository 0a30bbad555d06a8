// The device's 8-bit stretch and D3DX's float resampling, on the sampling
// rules they share (texel centres, the exact point-sampling index).
#include "platform/d3d9/formats/stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/row_codec.h"

namespace d3d9_formats {

// [SECTION] The device's copy: 8-bit ARGB words, clamped edges

namespace {

std::uint32_t LerpColor(std::uint32_t a, std::uint32_t b, std::uint32_t f) {  // f in 0..256
  std::uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    const std::uint32_t ca = (a >> sh) & 0xff, cb = (b >> sh) & 0xff;
    out |= ((ca * (256 - f) + cb * f + 128) >> 8) << sh;
  }
  return out;
}

}  // namespace

bool StretchPixels(const PixelBits& src, const RECT& sr, const PixelBits& dst, const RECT& dr, StretchFilter filter) {
  const bool linear = filter == StretchFilter::Linear;
  const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return true;
  const FormatInfo* sf = FindFormat(src.format);
  const FormatInfo* df = FindFormat(dst.format);
  if (!sf || !df) return false;

  // Same format and size: plain row copies (block formats copy block rows).
  if (src.format == dst.format && sw == dw && sh == dh) {
    if (sf->block_bytes) {
      const int bx = sr.left / 4, by = sr.top / 4, dbx = dr.left / 4, dby = dr.top / 4;
      const int bw = (sw + 3) / 4, bh = (sh + 3) / 4;
      for (int y = 0; y < bh; ++y)
        std::memcpy(dst.bits + static_cast<std::ptrdiff_t>(dby + y) * dst.pitch + dbx * static_cast<int>(df->block_bytes),
                    src.bits + static_cast<std::ptrdiff_t>(by + y) * src.pitch + bx * static_cast<int>(sf->block_bytes),
                    static_cast<std::size_t>(bw) * sf->block_bytes);
      return true;
    }
    if (sf->bits_per_pixel % 8 == 0) {
      const int bpp = static_cast<int>(sf->bits_per_pixel / 8);
      for (int y = 0; y < sh; ++y)
        std::memcpy(dst.bits + static_cast<std::ptrdiff_t>(dr.top + y) * dst.pitch + dr.left * bpp,
                    src.bits + static_cast<std::ptrdiff_t>(sr.top + y) * src.pitch + sr.left * bpp,
                    static_cast<std::size_t>(sw) * bpp);
      return true;
    }
  }
  if (!CanConvertRows(src.format) || !CanConvertRows(dst.format)) return false;
  if (sf->bits_per_pixel % 8 != 0 || df->bits_per_pixel % 8 != 0) return false;
  if (sf->pair_packed && (sr.left & 1)) return false;
  if (df->pair_packed && (dr.left & 1)) return false;
  const int sbpp = static_cast<int>(sf->bits_per_pixel / 8), dbpp = static_cast<int>(df->bits_per_pixel / 8);

  // Decode the source rows that are needed, scale horizontally, encode.
  // The row buffers are kept between calls, so a Present allocates nothing.
  static thread_local std::vector<std::uint32_t> row0, row1, out;
  row0.resize(static_cast<std::size_t>(sw));
  row1.resize(static_cast<std::size_t>(sw));
  out.resize(static_cast<std::size_t>(dw));
  auto decode = [&](int sy, std::vector<std::uint32_t>& row) {
    DecodeRow(src.format, src.bits + static_cast<std::ptrdiff_t>(sr.top + sy) * src.pitch + sr.left * sbpp,
              static_cast<UINT>(sw), row.data());
  };
  for (int y = 0; y < dh; ++y) {
    if (!linear) {
      // Destination pixel centre (y + 0.5) maps to source row floor((y + 0.5) sh / dh).
      const int sy = PointSample(y, sh, dh);
      decode(sy, row0);
      for (int x = 0; x < dw; ++x) {
        const int sx = PointSample(x, sw, dw);
        out[static_cast<std::size_t>(x)] = row0[static_cast<std::size_t>(sx)];
      }
    } else {
      const float fy = std::max(0.f, (static_cast<float>(y) + 0.5f) * static_cast<float>(sh) / static_cast<float>(dh) - 0.5f);
      const int y0 = std::min(static_cast<int>(fy), sh - 1), y1 = std::min(y0 + 1, sh - 1);
      const std::uint32_t wy = static_cast<std::uint32_t>((fy - static_cast<float>(y0)) * 256.f);
      decode(y0, row0);
      decode(y1, row1);
      for (int x = 0; x < dw; ++x) {
        const float fx = std::max(0.f, (static_cast<float>(x) + 0.5f) * static_cast<float>(sw) / static_cast<float>(dw) - 0.5f);
        const int x0 = std::min(static_cast<int>(fx), sw - 1), x1 = std::min(x0 + 1, sw - 1);
        const std::uint32_t wx = static_cast<std::uint32_t>((fx - static_cast<float>(x0)) * 256.f);
        const std::uint32_t top = LerpColor(row0[static_cast<std::size_t>(x0)], row0[static_cast<std::size_t>(x1)], wx);
        const std::uint32_t bot = LerpColor(row1[static_cast<std::size_t>(x0)], row1[static_cast<std::size_t>(x1)], wx);
        out[static_cast<std::size_t>(x)] = LerpColor(top, bot, wy);
      }
    }
    EncodeRow(dst.format, out.data(), static_cast<UINT>(dw),
              dst.bits + static_cast<std::ptrdiff_t>(dr.top + y) * dst.pitch + dr.left * dbpp);
  }
  return true;
}

// [SECTION] D3DX's resampling: float texels, separable taps, wrapped edges

namespace {

// Separable resampling: per axis, each destination texel gets a short list
// of source indices and weights; rows are filtered first, then columns.
struct Tap {
  int index;
  float weight;
};

// Taps of one destination texel along one axis.
struct AxisTaps {
  std::vector<int> start;  // first tap of texel i; start[n] ends the list
  std::vector<Tap> taps;
};

int Address(int i, int n, bool mirror) {
  if (!mirror) {
    i %= n;
    return i < 0 ? i + n : i;
  }
  int period = 2 * n;
  i %= period;
  if (i < 0) i += period;
  return i < n ? i : period - 1 - i;
}

AxisTaps MakeTaps(int srcLen, int dstLen, StretchFilter kind, bool mirror) {
  AxisTaps a;
  a.start.reserve(dstLen + 1);
  const double scale = static_cast<double>(srcLen) / dstLen;
  std::vector<Tap> local;
  for (int i = 0; i < dstLen; ++i) {
    a.start.push_back(static_cast<int>(a.taps.size()));
    local.clear();
    const double centre = (i + 0.5) * scale;  // in source texel units
    switch (kind) {
      case StretchFilter::Point:
        local.push_back({PointSample(i, srcLen, dstLen), 1.f});
        break;
      case StretchFilter::Linear: {
        double u = centre - 0.5;
        int i0 = static_cast<int>(std::floor(u));
        float f = static_cast<float>(u - i0);
        local.push_back({i0, 1.f - f});
        local.push_back({i0 + 1, f});
        break;
      }
      case StretchFilter::Triangle: {
        const double radius = std::max(1.0, scale);
        const double c = centre - 0.5;
        for (int k = static_cast<int>(std::ceil(c - radius)); k <= static_cast<int>(std::floor(c + radius)); ++k) {
          double w = 1.0 - std::fabs(k - c) / radius;
          if (w > 0) local.push_back({k, static_cast<float>(w)});
        }
        break;
      }
      default: {  // box: overlap of [i, i + 1) * scale with each source texel
        const double lo = i * scale, hi = (i + 1) * scale;
        for (int k = static_cast<int>(std::floor(lo)); k < hi; ++k) {
          double w = std::min<double>(hi, k + 1) - std::max<double>(lo, k);
          if (w > 1e-9) local.push_back({k, static_cast<float>(w)});
        }
      }
    }
    float sum = 0;
    for (const Tap& t : local) sum += t.weight;
    for (Tap t : local) {
      if (t.weight == 0.f) continue;
      t.index = Address(t.index, srcLen, mirror);
      t.weight /= sum;
      a.taps.push_back(t);
    }
  }
  a.start.push_back(static_cast<int>(a.taps.size()));
  return a;
}

void Accumulate(Texel& acc, const Texel& t, float w) {
  acc.r += t.r * w;
  acc.g += t.g * w;
  acc.b += t.b * w;
  acc.a += t.a * w;
}

// A mip step: each side halves (a side of 1 stays 1).
bool HalvesExactly(const TexelImage& src, const TexelImage& dst) {
  auto halves = [](int s, int d) { return (s == 2 * d) || (s == 1 && d == 1); };
  return halves(src.width, dst.width) && halves(src.height, dst.height);
}

// The box filter of a mip step, without the tap lists: the mean of each
// 2 x 2 (or 2 x 1, 1 x 2) block.
void HalveBox(const TexelImage& src, TexelImage& dst) {
  const int sx = src.width > dst.width ? 2 : 1, sy = src.height > dst.height ? 2 : 1;
  const float w = 1.f / static_cast<float>(sx * sy);
  for (int y = 0; y < dst.height; ++y) {
    for (int x = 0; x < dst.width; ++x) {
      Texel acc{0, 0, 0, 0};
      for (int j = 0; j < sy; ++j)
        for (int i = 0; i < sx; ++i) Accumulate(acc, src.at(x * sx + i, y * sy + j), w);
      dst.at(x, y) = acc;
    }
  }
}

}  // namespace

void Resample(const TexelImage& src, TexelImage& dst, StretchFilter kind, bool mirror_u, bool mirror_v) {
  if (dst.width <= 0 || dst.height <= 0 || src.width <= 0 || src.height <= 0) return;

  if (kind == StretchFilter::None || (src.width == dst.width && src.height == dst.height)) {
    // At the same size every filter samples texel centres exactly: a copy.
    for (int y = 0; y < dst.height; ++y)
      for (int x = 0; x < dst.width; ++x)
        dst.at(x, y) = (x < src.width && y < src.height) ? src.at(x, y) : Texel{0, 0, 0, 0};
    return;
  }

  if (kind == StretchFilter::Box && HalvesExactly(src, dst)) {
    HalveBox(src, dst);
    return;
  }

  const AxisTaps tx = MakeTaps(src.width, dst.width, kind, mirror_u);
  const AxisTaps ty = MakeTaps(src.height, dst.height, kind, mirror_v);

  // Rows first: src.height rows of dst.width texels.
  TexelImage mid;
  mid.Resize(dst.width, src.height);
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < dst.width; ++x) {
      Texel acc{0, 0, 0, 0};
      for (int k = tx.start[x]; k < tx.start[x + 1]; ++k) Accumulate(acc, src.at(tx.taps[k].index, y), tx.taps[k].weight);
      mid.at(x, y) = acc;
    }
  }
  // Columns: every texel of a destination row takes the same source rows
  // with the same weights, so whole rows are blended at once.
  for (int y = 0; y < dst.height; ++y) {
    Texel* d = &dst.at(0, y);
    for (int x = 0; x < dst.width; ++x) d[x] = Texel{0, 0, 0, 0};
    for (int k = ty.start[y]; k < ty.start[y + 1]; ++k) {
      const Texel* s = &mid.at(0, ty.taps[k].index);
      const float w = ty.taps[k].weight;
      for (int x = 0; x < dst.width; ++x) Accumulate(d[x], s[x], w);
    }
  }
}

}  // namespace d3d9_formats
