// Separable resampling: per axis, each destination texel gets a short list of
// source indices and weights; rows are filtered first, then columns.
#include "platform/d3dx/pixels/filters.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vornel::d3dx {
namespace {

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

AxisTaps MakeTaps(int srcLen, int dstLen, DWORD kind, bool mirror) {
  AxisTaps a;
  a.start.reserve(dstLen + 1);
  const double scale = static_cast<double>(srcLen) / dstLen;
  std::vector<Tap> local;
  for (int i = 0; i < dstLen; ++i) {
    a.start.push_back(static_cast<int>(a.taps.size()));
    local.clear();
    const double centre = (i + 0.5) * scale;  // in source texel units
    switch (kind) {
      case kFilterPoint:
        local.push_back({PointSample(i, srcLen, dstLen), 1.f});
        break;
      case kFilterLinear: {
        double u = centre - 0.5;
        int i0 = static_cast<int>(std::floor(u));
        float f = static_cast<float>(u - i0);
        local.push_back({i0, 1.f - f});
        local.push_back({i0 + 1, f});
        break;
      }
      case kFilterTriangle: {
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

void Resample(const TexelImage& src, TexelImage& dst, DWORD filter) {
  const DWORD kind = filter & 0xFF;
  if (dst.width <= 0 || dst.height <= 0 || src.width <= 0 || src.height <= 0) return;

  if (kind == kFilterNone || (src.width == dst.width && src.height == dst.height)) {
    // At the same size every filter samples texel centres exactly: a copy.
    for (int y = 0; y < dst.height; ++y)
      for (int x = 0; x < dst.width; ++x)
        dst.at(x, y) = (x < src.width && y < src.height) ? src.at(x, y) : Texel{0, 0, 0, 0};
    return;
  }

  if ((kind == kFilterBox) && HalvesExactly(src, dst)) {
    HalveBox(src, dst);
    return;
  }

  const AxisTaps tx = MakeTaps(src.width, dst.width, kind, (filter & kFilterMirrorU) != 0);
  const AxisTaps ty = MakeTaps(src.height, dst.height, kind, (filter & kFilterMirrorV) != 0);

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

}  // namespace vornel::d3dx
