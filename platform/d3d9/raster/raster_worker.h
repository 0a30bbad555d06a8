// A second thread for the rasterizer: the device hands it one job at a time
// (the odd row bands of a draw, or half of its vertices) and waits for it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace d3d9_impl {

class RasterWorker {
 public:
  using Job = void (*)(void* context);

  RasterWorker() = default;
  RasterWorker(const RasterWorker&) = delete;
  RasterWorker& operator=(const RasterWorker&) = delete;
  ~RasterWorker();

  // Whether a second thread is worth having: more than one core, and not
  // switched off with d3d9_hooks::SetWorkerThread.
  static bool Available();

  // Starts `job(context)` on the worker thread (starting the thread on first
  // use). Each Run must be followed by Wait before the next Run.
  void Run(Job job, void* context);
  void Wait();

 private:
  void Loop();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  Job job_ = nullptr;
  void* context_ = nullptr;
  bool pending_ = false;
  bool quit_ = false;
};

}  // namespace d3d9_impl
