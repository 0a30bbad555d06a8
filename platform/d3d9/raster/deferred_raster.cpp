// The deferred rasterizer's record and its flush.
#include "platform/d3d9/raster/deferred_raster.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d9/raster/rasterizer.h"

namespace d3d9_impl {
namespace {

constexpr std::size_t kBlockVertices = 16384;
// Beyond these a draw first flushes what is recorded. Each band walks the
// whole record, so the record must stay in cache (about 8 MB of vertices
// and primitives), and this bounds the memory a frame of huge draws holds.
constexpr std::size_t kMaxVertices = std::size_t{1} << 16;
constexpr std::size_t kMaxPrims = std::size_t{1} << 16;
// A flush shares its bands with the worker when its work, in pixels plus a
// set-up allowance per primitive and band, outweighs handing it over.
constexpr double kSetupPixels = 64.0;
constexpr double kShareWork = 16384.0;

// Rows [lo, hi] widened to whole pixel rows, or false when not finite.
bool RowSpan(float lo, float hi, float margin, int* y0, int* y1) {
  lo -= margin, hi += margin;
  if (!std::isfinite(lo) || !std::isfinite(hi)) return false;
  lo = std::clamp(lo, -1.f, 1048576.f), hi = std::clamp(hi, -1.f, 1048576.f);
  *y0 = static_cast<int>(std::floor(lo));
  *y1 = static_cast<int>(std::ceil(hi));
  return true;
}

void ClearRows(const ClearCommand& c, int y0, int y1) {
  if (c.color.bits) {
    RECT r = c.color_rect;
    r.top = std::max<LONG>(r.top, y0), r.bottom = std::min<LONG>(r.bottom, y1);
    if (r.top < r.bottom) FillColor(c.color, r, c.color_value);
  }
  if (c.depth || c.stencil) {
    RECT r = c.depth_rect;
    r.top = std::max<LONG>(r.top, y0), r.bottom = std::min<LONG>(r.bottom, y1);
    if (r.top < r.bottom) {
      if (c.depth) FillDepth(c.depth, c.depth_pitch, r, c.z);
      if (c.stencil) FillStencil(c.stencil, c.depth_pitch, r, c.stencil_value);
    }
  }
}

}  // namespace

DeferredRaster::DeferredRaster() {
  prims_.reserve(4096);
  bins_.resize(32);
}

bool DeferredRaster::Full(std::size_t vertices) const {
  return !prims_.empty() && (vertices_ + vertices > kMaxVertices || prims_.size() >= kMaxPrims);
}

void DeferredRaster::UseContext(const DrawContext& dc, bool changed) {
  if (!changed && context_count_ > 0) return;
  if (context_count_ == contexts_.size()) contexts_.push_back(std::make_unique<DrawContext>());
  DrawContext& c = *contexts_[context_count_++];
  c = dc;
}

PVertex* DeferredRaster::Vertices(std::size_t count) {
  vertices_ += count;
  while (block_ < blocks_.size()) {
    Block& b = blocks_[block_];
    if (b.capacity - b.used >= count) {
      PVertex* p = b.data.get() + b.used;
      b.used += count;
      return p;
    }
    // A block too small for a big draw that is not started yet grows.
    if (b.used == 0) {
      b.capacity = std::max(count, kBlockVertices);
      b.data = std::make_unique<PVertex[]>(b.capacity);
      continue;
    }
    ++block_;
  }
  Block b;
  b.capacity = std::max(count, kBlockVertices);
  b.data = std::make_unique<PVertex[]>(b.capacity);
  b.used = count;
  blocks_.push_back(std::move(b));
  return blocks_.back().data.get();
}

void DeferredRaster::Add(const Prim& p, int y0, int y1, double pixels) {
  if (y0 > y1) return;
  const int b0 = y0 >> kBandRowShift, b1 = y1 >> kBandRowShift;
  work_ += pixels + kSetupPixels * (b1 - b0 + 1);
  if (static_cast<std::size_t>(b1) >= bins_.size()) bins_.resize(static_cast<std::size_t>(b1) + 1);
  used_bands_ = std::max(used_bands_, b1 + 1);
  const auto index = static_cast<std::uint32_t>(prims_.size());
  prims_.push_back(p);
  for (int b = b0; b <= b1; ++b) bins_[static_cast<std::size_t>(b)].push_back(index);
}

void DeferredRaster::Triangle(const PVertex* a, const PVertex* b, const PVertex* c, const PVertex* first) {
  const DrawContext& dc = *contexts_[context_count_ - 1];
  if (a->clip | b->clip | c->clip) {
    // Clipped now, so that each piece reaches only the bands its rows do.
    PVertex poly[kMaxClipVertices];
    const int n = ClipTriangle(dc, *a, *b, *c, poly);
    if (n < 3) return;
    PVertex* pv = Vertices(static_cast<std::size_t>(n));
    std::copy(poly, poly + n, pv);
    for (int i = 1; i + 1 < n; ++i) Triangle(&pv[0], &pv[i], &pv[i + 1], first);
    return;
  }
  // Points of a point-filled triangle reach half the largest point size
  // beyond the vertices; lines and fills stay within a row of them.
  const float margin = dc.fill == D3DFILL_POINT ? kMaxPointSize * 0.5f + 1.f : 1.f;
  int r0, r1;
  if (!RowSpan(std::min({a->y, b->y, c->y}), std::max({a->y, b->y, c->y}), margin, &r0, &r1)) return;
  const int y0 = std::max(dc.clip_y0, r0), y1 = std::min(dc.clip_y1 - 1, r1);
  const double w = std::max({a->x, b->x, c->x}) - std::min({a->x, b->x, c->x});
  const double pixels = std::min<double>(dc.clip_x1 - dc.clip_x0, w) * 0.5 * (y1 - y0 + 1);
  Add(Prim{{a, b, c, first}, static_cast<std::uint32_t>(context_count_ - 1), kTriangle}, y0, y1, pixels);
}

void DeferredRaster::Line(const PVertex* a, const PVertex* b) {
  const DrawContext& dc = *contexts_[context_count_ - 1];
  if (a->clip | b->clip) {
    PVertex ends[2];
    if (!ClipLine(dc, *a, *b, ends)) return;
    PVertex* pv = Vertices(2);
    pv[0] = ends[0], pv[1] = ends[1];
    a = &pv[0], b = &pv[1];
  }
  int r0, r1;
  if (!RowSpan(std::min(a->y, b->y), std::max(a->y, b->y), 1.f, &r0, &r1)) return;
  const int y0 = std::max(dc.clip_y0, r0), y1 = std::min(dc.clip_y1 - 1, r1);
  const double pixels = std::max(std::fabs(a->x - b->x), std::fabs(a->y - b->y));
  Add(Prim{{a, b, nullptr, nullptr}, static_cast<std::uint32_t>(context_count_ - 1), kLine}, y0, y1, pixels);
}

void DeferredRaster::Point(const PVertex* p) {
  const DrawContext& dc = *contexts_[context_count_ - 1];
  float y = p->y;
  if (p->clip) {
    // Points are clipped at the near and far planes only; the others are
    // projected where they are, as DrawPoint does.
    if (p->clip & (ClipCode(0.f, 0.f, -1.f, 1.f) | ClipCode(0.f, 0.f, 2.f, 1.f))) return;
    PVertex q = *p;
    ProjectVertex(dc, &q);
    y = q.y;
  }
  const float size = std::clamp(std::isnan(p->psize) ? 1.f : p->psize, 1.f, kMaxPointSize);
  int r0, r1;
  if (!RowSpan(y, y, size * 0.5f + 1.f, &r0, &r1)) return;
  const int y0 = std::max(dc.clip_y0, r0), y1 = std::min(dc.clip_y1 - 1, r1);
  Add(Prim{{p, nullptr, nullptr, nullptr}, static_cast<std::uint32_t>(context_count_ - 1), kPoint}, y0, y1,
      static_cast<double>(size) * size);
}

void DeferredRaster::Clear(const ClearCommand& c) {
  int y0 = 0x7fffffff, y1 = -1;
  if (c.color.bits) y0 = std::min<int>(y0, c.color_rect.top), y1 = std::max<int>(y1, c.color_rect.bottom - 1);
  if (c.depth || c.stencil) y0 = std::min<int>(y0, c.depth_rect.top), y1 = std::max<int>(y1, c.depth_rect.bottom - 1);
  if (y0 > y1) return;
  auto area = [](const RECT& r) { return static_cast<double>(r.right - r.left) * (r.bottom - r.top); };
  const double pixels = (c.color.bits ? area(c.color_rect) : 0.0) + (c.depth || c.stencil ? area(c.depth_rect) : 0.0);
  Add(Prim{{}, static_cast<std::uint32_t>(clears_.size()), kClear}, std::max(y0, 0), y1, pixels * 0.25);
  clears_.push_back(c);
}

void DeferredRaster::RasterizeBand(int band, DrawContext* local) {
  const int y0 = band << kBandRowShift, y1 = y0 + (1 << kBandRowShift);
  std::uint32_t current = ~0u;
  const std::vector<std::uint32_t>& bin = bins_[static_cast<std::size_t>(band)];
  const std::size_t n = bin.size();
  for (std::size_t k = 0; k < n; ++k) {
    // A band reads every few primitives of the record: fetch the records
    // ahead, and the vertices of those nearer, before they are needed.
    if (k + 16 < n) __builtin_prefetch(&prims_[bin[k + 16]]);
    if (k + 8 < n) {
      const Prim& ahead = prims_[bin[k + 8]];
      for (const PVertex* v : ahead.v)
        if (v) __builtin_prefetch(v), __builtin_prefetch(reinterpret_cast<const char*>(v) + 64);
    }
    const Prim& p = prims_[bin[k]];
    if (p.kind == kClear) {
      ClearRows(clears_[p.context], y0, y1);
      continue;
    }
    if (p.context != current) {
      // The band's own copy of the context, its clip rectangle cut to the
      // band's rows: the rasterizer then writes only this band's pixels.
      current = p.context;
      *local = *contexts_[current];
      local->clip_y0 = std::max(local->clip_y0, y0);
      local->clip_y1 = std::min(local->clip_y1, y1);
    }
    switch (p.kind) {
      case kTriangle: DrawTriangle(*local, *p.v[0], *p.v[1], *p.v[2], *p.v[3]); break;
      case kLine: DrawLine(*local, *p.v[0], *p.v[1]); break;
      case kPoint: DrawPoint(*local, *p.v[0]); break;
      case kClear: break;
    }
  }
}

void DeferredRaster::DrainBands(DrawContext* local) {
  // The bands are taken one at a time from a shared counter, so a thread
  // that finishes early takes more.
  for (;;) {
    const int band = next_band_.fetch_add(1, std::memory_order_relaxed);
    if (band >= flush_bands_) return;
    if (band < used_bands_ && !bins_[static_cast<std::size_t>(band)].empty()) RasterizeBand(band, local);
    if (hook_) hook_->run(hook_->context, band << kBandRowShift, (band + 1) << kBandRowShift);
  }
}

void DeferredRaster::RunBands(void* self) {
  auto* d = static_cast<DeferredRaster*>(self);
  d->DrainBands(&d->worker_local_);
}

void DeferredRaster::Flush(RasterWorker* worker, const BandHook* hook) {
  const int hook_bands = hook ? (hook->rows + (1 << kBandRowShift) - 1) >> kBandRowShift : 0;
  if (prims_.empty() && hook_bands == 0) return;
  next_band_.store(0, std::memory_order_relaxed);
  flush_bands_ = std::max(used_bands_, hook_bands);
  hook_ = hook_bands ? hook : nullptr;
  const double work = work_ + (hook_ ? static_cast<double>(hook->rows) * 256.0 : 0.0);
  if (worker && flush_bands_ > 1 && work >= kShareWork) {
    worker->Run(RunBands, this);
    DrainBands(&caller_local_);
    worker->Wait();
  } else {
    DrainBands(&caller_local_);
  }
  hook_ = nullptr;
  Discard();
}

void DeferredRaster::Discard() {
  for (int b = 0; b < used_bands_; ++b) bins_[static_cast<std::size_t>(b)].clear();
  used_bands_ = 0;
  prims_.clear();
  clears_.clear();
  context_count_ = 0;
  for (Block& b : blocks_) b.used = 0;
  block_ = 0;
  vertices_ = 0;
  work_ = 0.0;
}

}  // namespace d3d9_impl
