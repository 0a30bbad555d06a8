// FrameTimer: the stopwatch of the 3D tests' animation, on the performance
// counter (timeGetTime when that is missing).
#pragma once

#include "platform/win32/clock.h"
#include "platform/win32/windows.h"

class FrameTimer {
 public:
  // Reads the clock; a stopped timer starts; the reading becomes the last.
  void Start();
  // Seconds since the last reading (or the stop time when one is set);
  // that moment becomes the last reading.
  float GetElapsedTime();

  bool stopped = true;
  double stopTime = 0;
  double lastReading = 0;

  // The probe of the performance counter, asked once on first use. Tests
  // put a failing one here to run the timer on timeGetTime.
  BOOL (*queryFrequency)(LARGE_INTEGER*) = QueryPerformanceFrequency;

 private:
  double Now();
  bool probed_ = false;
  bool usePerformanceCounter_ = false;
  double ticksPerSecond_ = 1.0;
};

extern FrameTimer g_FrameTimer;
