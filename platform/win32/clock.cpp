// The system clock and the virtual clock behind the time functions.
#include "platform/win32/clock.h"

#include <chrono>
#include <thread>

namespace {

class SystemClock : public ClockSource {
 public:
  std::time_t CalendarTime() override { return std::time(nullptr); }
  void ToLocalTime(std::time_t t, std::tm* out) override { localtime_r(&t, out); }
  LONGLONG MonotonicNanoseconds() override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void SleepMilliseconds(DWORD ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

SystemClock g_system_clock;
ClockSource* g_clock = nullptr;

// The performance counter ticks in nanoseconds on every clock.
constexpr LONGLONG kCounterFrequency = 1000000000;

}  // namespace

VirtualClock::VirtualClock(std::time_t start) : start_(start) {}

std::time_t VirtualClock::CalendarTime() {
  return start_ + static_cast<std::time_t>(elapsed_ns_ / 1000000000);
}

void VirtualClock::ToLocalTime(std::time_t t, std::tm* out) { gmtime_r(&t, out); }

LONGLONG VirtualClock::MonotonicNanoseconds() { return elapsed_ns_; }

void VirtualClock::SleepMilliseconds(DWORD ms) {
  slept_ms_ += ms;
  AdvanceMilliseconds(ms);
}

void VirtualClock::AdvanceMilliseconds(LONGLONG ms) { elapsed_ns_ += ms * 1000000; }
void VirtualClock::AdvanceNanoseconds(LONGLONG ns) { elapsed_ns_ += ns; }

void InstallClock(ClockSource* clock) { g_clock = clock; }

ClockSource& ActiveClock() { return g_clock ? *g_clock : g_system_clock; }

ScopedClock::ScopedClock(ClockSource* clock) : previous_(g_clock) { g_clock = clock; }
ScopedClock::~ScopedClock() { g_clock = previous_; }

std::time_t ClockCalendarTime() { return ActiveClock().CalendarTime(); }

void ClockLocalTime(std::time_t t, std::tm* out) { ActiveClock().ToLocalTime(t, out); }

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = kCounterFrequency;
  return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  count->QuadPart = ActiveClock().MonotonicNanoseconds();
  return TRUE;
}

DWORD timeGetTime() {
  return static_cast<DWORD>(static_cast<ULONGLONG>(ActiveClock().MonotonicNanoseconds() / 1000000));
}

void Sleep(DWORD milliseconds) { ActiveClock().SleepMilliseconds(milliseconds); }
