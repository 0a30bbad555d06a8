// Deferred rasterization: the draws and clears since the last flush,
// binned by row band. A draw processes its vertices on the calling thread
// (so the application may refill its buffer at once) and appends its
// primitives to the bands their rows reach; a flush rasterizes the bands,
// one thread a band at a time and in the recorded order within each band,
// so every pixel sees its primitives in draw order. Bands stay in cache
// while they fill, and a clear becomes one more command of each band.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9/raster/draw_context.h"
#include "platform/d3d9/raster/raster_worker.h"
#include "platform/d3d9/raster/surface_ops.h"

namespace d3d9_impl {

// Rows of one band: 1024 pixels of colour and depth in 32 rows fit in the
// second-level cache, and 768 rows still give 24 bands to share.
constexpr int kBandRowShift = 5;

// A clear of colour, depth and stencil over one rectangle of each.
struct ClearCommand {
  PixelView color{};  // bits null: no colour clear
  RECT color_rect{};
  D3DCOLOR color_value = 0;
  float* depth = nullptr;  // null: no depth clear
  BYTE* stencil = nullptr;  // null: no stencil clear
  int depth_pitch = 0;      // elements a row of depth and stencil
  RECT depth_rect{};
  float z = 1.f;
  BYTE stencil_value = 0;
};

// Work done on each band's rows right after they are rasterized, while
// they are in cache (Present's copy into the window): `run(context, y0,
// y1)` for every band below `rows`, recorded commands or not.
struct BandHook {
  void (*run)(void* context, int y0, int y1) = nullptr;
  void* context = nullptr;
  int rows = 0;
};

class DeferredRaster {
 public:
  DeferredRaster();
  DeferredRaster(const DeferredRaster&) = delete;
  DeferredRaster& operator=(const DeferredRaster&) = delete;

  bool Empty() const { return prims_.empty(); }
  // Whether so much is recorded that the draw about to be recorded should
  // first flush what is there.
  bool Full(std::size_t vertices) const;

  // The context of the primitives recorded from now on: a copy of `dc`,
  // taken when `changed` or when none is held yet.
  void UseContext(const DrawContext& dc, bool changed);
  // Room for the processed vertices of one draw; valid until the flush.
  PVertex* Vertices(std::size_t count);

  // Primitives over vertices returned by Vertices, in the current context.
  void Triangle(const PVertex* a, const PVertex* b, const PVertex* c, const PVertex* first);
  void Line(const PVertex* a, const PVertex* b);
  void Point(const PVertex* p);
  void Clear(const ClearCommand& c);

  // Rasterizes everything recorded, on this thread and, when given, the
  // worker, with the hook after each band; then forgets it.
  void Flush(RasterWorker* worker, const BandHook* hook = nullptr);
  // Forgets everything recorded without drawing it.
  void Discard();

 private:
  enum Kind : std::uint8_t { kTriangle, kLine, kPoint, kClear };
  struct Prim {
    const PVertex* v[4];  // vertices; v[3] is a triangle's flat-shading vertex
    std::uint32_t context;  // index into contexts_, or into clears_ for a clear
    Kind kind;
  };
  struct Block {
    std::unique_ptr<PVertex[]> data;
    std::size_t capacity = 0, used = 0;
  };

  // Bins a primitive over rows y0 .. y1 (inclusive); `pixels` estimates its fill.
  void Add(const Prim& p, int y0, int y1, double pixels);
  void RasterizeBand(int band, DrawContext* local);
  static void RunBands(void* self);
  void DrainBands(DrawContext* local);

  std::vector<std::unique_ptr<DrawContext>> contexts_;  // pool; the first context_count_ are in use
  std::size_t context_count_ = 0;
  std::vector<ClearCommand> clears_;
  std::vector<Prim> prims_;
  std::vector<std::vector<std::uint32_t>> bins_;  // prim indices of each band, in order
  int used_bands_ = 0;                            // bands 0 .. used_bands_-1 may hold commands
  std::vector<Block> blocks_;
  std::size_t block_ = 0;  // the block vertices come from
  std::size_t vertices_ = 0;
  double work_ = 0.0;  // estimated pixels and set-up of what is recorded
  std::atomic<int> next_band_{0};
  int flush_bands_ = 0;               // bands the running flush goes through
  const BandHook* hook_ = nullptr;    // the running flush's hook
  DrawContext worker_local_;  // the worker's copy of a context, clipped to its band
  DrawContext caller_local_;
};

}  // namespace d3d9_impl
