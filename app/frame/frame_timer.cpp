// FrameTimer: performance-counter ticks when the counter exists (probed
// once), otherwise timeGetTime's milliseconds as seconds.
#include "app/frame/frame_timer.h"

#include "platform/win32/clock.h"

FrameTimer g_FrameTimer;

double FrameTimer::Now() {
  if (!probed_) {
    probed_ = true;
    LARGE_INTEGER frequency{};
    usePerformanceCounter_ = queryFrequency(&frequency) && frequency.QuadPart > 0;
    if (usePerformanceCounter_) ticksPerSecond_ = static_cast<double>(frequency.QuadPart);
  }
  if (usePerformanceCounter_) {
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart);
  }
  // The millisecond count as an unsigned number, in seconds.
  return static_cast<double>(timeGetTime()) * 0.001;
}

void FrameTimer::Start() {
  double now = Now();
  if (stopped) {
    stopped = false;
    stopTime = 0;
  }
  lastReading = now;
}

float FrameTimer::GetElapsedTime() {
  double now = stopTime != 0 ? stopTime : Now();
  double elapsed = now - lastReading;
  if (usePerformanceCounter_) elapsed /= ticksPerSecond_;
  lastReading = now;
  return static_cast<float>(elapsed);
}
