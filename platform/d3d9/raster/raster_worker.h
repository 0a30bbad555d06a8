// A second thread for the rasterizer: the device hands it one job at a time
// (its share of the bands of a flush, or half of a draw's vertices) and
// waits for it. The hand-over spins a few microseconds before it sleeps,
// since jobs often come back to back and waking a thread costs more.
#pragma once

#include <atomic>
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
  // Set by Run, cleared by the worker when the job is done. The sleeping
  // flags say who must be woken through the condition variables.
  std::atomic<bool> pending_{false};
  std::atomic<bool> quit_{false};
  std::atomic<bool> worker_sleeping_{false};
  std::atomic<bool> caller_sleeping_{false};
};

}  // namespace d3d9_impl
