// The clock service: calendar time, local time, the performance counter,
// millisecond time and Sleep, from the system or from a virtual clock that
// tests install and advance by hand.
#pragma once

#include <ctime>

#include "platform/win32/windows.h"

// A source of time. The system clock reads the real clocks; a test installs
// a VirtualClock so that time stamps and waits are exact and instant.
class ClockSource {
 public:
  virtual ~ClockSource() = default;
  // Seconds since the epoch, as time() gives them.
  virtual std::time_t CalendarTime() = 0;
  // The broken-down local time of a calendar time.
  virtual void ToLocalTime(std::time_t t, std::tm* out) = 0;
  // Monotonic nanoseconds since an arbitrary origin.
  virtual LONGLONG MonotonicNanoseconds() = 0;
  // Lets at least this many milliseconds pass.
  virtual void SleepMilliseconds(DWORD ms) = 0;
};

// Time that moves only when told to: Advance, or a Sleep of the program.
// Local time is computed as UTC so results do not depend on the time zone.
class VirtualClock : public ClockSource {
 public:
  explicit VirtualClock(std::time_t start = 1286000000);  // some day in 2010
  std::time_t CalendarTime() override;
  void ToLocalTime(std::time_t t, std::tm* out) override;
  LONGLONG MonotonicNanoseconds() override;
  void SleepMilliseconds(DWORD ms) override;

  void AdvanceMilliseconds(LONGLONG ms);
  void AdvanceNanoseconds(LONGLONG ns);
  // Total milliseconds the program asked to sleep.
  LONGLONG SleptMilliseconds() const { return slept_ms_; }

 private:
  std::time_t start_;
  LONGLONG elapsed_ns_ = 0;
  LONGLONG slept_ms_ = 0;
};

// Makes `clock` the source of every time function; null restores the system
// clock. The caller keeps ownership.
void InstallClock(ClockSource* clock);
ClockSource& ActiveClock();

// Installs a clock for the lifetime of a scope and restores the previous one.
class ScopedClock {
 public:
  explicit ScopedClock(ClockSource* clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  ClockSource* previous_;
};

// The calendar-time and local-time pair of the C runtime, through the
// active clock.
std::time_t ClockCalendarTime();
void ClockLocalTime(std::time_t t, std::tm* out);

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
// Milliseconds since the clock's origin, wrapping at 2^32 as on Windows.
DWORD timeGetTime();
void Sleep(DWORD milliseconds);
