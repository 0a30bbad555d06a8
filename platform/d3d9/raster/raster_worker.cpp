// The rasterizer's worker thread.
#include "platform/d3d9/raster/raster_worker.h"

#include <atomic>

#include "platform/d3d9/test_hooks.h"

namespace d3d9_impl {
namespace {

std::atomic<bool> g_worker_allowed{true};

}  // namespace

bool RasterWorker::Available() {
  static const bool cores = std::thread::hardware_concurrency() > 1;
  return cores && g_worker_allowed.load(std::memory_order_relaxed);
}

RasterWorker::~RasterWorker() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void RasterWorker::Run(Job job, void* context) {
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = job;
    context_ = context;
    pending_ = true;
  }
  wake_.notify_one();
}

void RasterWorker::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return !pending_; });
}

void RasterWorker::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || quit_; });
    if (!pending_) return;  // quit with nothing left to do
    const Job job = job_;
    void* const context = context_;
    lock.unlock();
    job(context);
    lock.lock();
    pending_ = false;
    done_.notify_one();
  }
}

}  // namespace d3d9_impl

namespace d3d9_hooks {

void SetWorkerThread(bool on) { d3d9_impl::g_worker_allowed.store(on, std::memory_order_relaxed); }

}  // namespace d3d9_hooks
