// The run-time choice between the AVX2 and the SSE2 span routines.
#include <atomic>

#include "platform/d3d9/raster/simd_spans.h"

namespace d3d9_impl {
namespace {

bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

std::atomic<bool> avx2_on{CpuHasAvx2()};

}  // namespace

bool Avx2SpansEnabled() { return avx2_on.load(std::memory_order_relaxed); }

void SetAvx2SpansEnabled(bool on) { avx2_on.store(on && CpuHasAvx2(), std::memory_order_relaxed); }

}  // namespace d3d9_impl
