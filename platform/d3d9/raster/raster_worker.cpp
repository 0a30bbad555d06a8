// The rasterizer's worker thread.
#include "platform/d3d9/raster/raster_worker.h"

#include <chrono>

#include "platform/d3d9/test_hooks.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace d3d9_impl {
namespace {

std::atomic<bool> g_worker_allowed{true};

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

// Spins until `done()` or about `micros` microseconds have passed; true
// when done.
template <class Done>
bool SpinFor(int micros, Done done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(micros);
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (done()) return true;
      Pause();
    }
    if (std::chrono::steady_clock::now() >= until) return done();
  }
}

constexpr int kSpinMicros = 30;

}  // namespace

bool RasterWorker::Available() {
  static const bool cores = std::thread::hardware_concurrency() > 1;
  return cores && g_worker_allowed.load(std::memory_order_relaxed);
}

RasterWorker::~RasterWorker() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_.store(true);
  }
  wake_.notify_one();
  thread_.join();
}

void RasterWorker::Run(Job job, void* context) {
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  job_ = job;
  context_ = context;
  // Sequentially consistent: either the worker sees the job before it
  // sleeps, or this thread sees it sleeping and wakes it.
  pending_.store(true);
  if (worker_sleeping_.load()) {
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_one();
  }
}

void RasterWorker::Wait() {
  if (SpinFor(kSpinMicros, [this] { return !pending_.load(std::memory_order_acquire); })) return;
  std::unique_lock<std::mutex> lock(mutex_);
  caller_sleeping_.store(true);
  done_.wait(lock, [this] { return !pending_.load(); });
  caller_sleeping_.store(false);
}

void RasterWorker::Loop() {
  for (;;) {
    auto ready = [this] { return pending_.load(std::memory_order_acquire) || quit_.load(); };
    if (!SpinFor(kSpinMicros, ready)) {
      std::unique_lock<std::mutex> lock(mutex_);
      worker_sleeping_.store(true);
      wake_.wait(lock, [this] { return pending_.load() || quit_.load(); });
      worker_sleeping_.store(false);
    }
    if (!pending_.load()) return;  // quit with nothing left to do
    job_(context_);
    pending_.store(false);
    if (caller_sleeping_.load()) {
      std::lock_guard<std::mutex> lock(mutex_);
      done_.notify_one();
    }
  }
}

}  // namespace d3d9_impl

namespace d3d9_hooks {

void SetWorkerThread(bool on) { d3d9_impl::g_worker_allowed.store(on, std::memory_order_relaxed); }

}  // namespace d3d9_hooks
