// FrameTimer on both of its clocks: the performance counter, and
// timeGetTime's milliseconds when the counter's probe fails; the stop time
// standing in for the clock.
#include <gtest/gtest.h>

#include "app/frame/frame_timer.h"
#include "platform/win32/clock.h"

namespace {

int g_Probes = 0;

BOOL NoCounter(LARGE_INTEGER* frequency) {
  ++g_Probes;
  frequency->QuadPart = 0;
  return FALSE;
}

TEST(FrameTimer, WithoutACounterItCountsUnsignedMillisecondsAsSeconds) {
  VirtualClock clock;
  ScopedClock scoped(&clock);
  // Past 2^31 ms the millisecond count is negative as a signed number.
  const LONGLONG start = (LONGLONG{1} << 31) + 5000;
  clock.AdvanceMilliseconds(start);
  g_Probes = 0;
  FrameTimer t;
  t.queryFrequency = NoCounter;
  EXPECT_TRUE(t.stopped);
  t.Start();
  EXPECT_FALSE(t.stopped);
  EXPECT_DOUBLE_EQ(t.lastReading, static_cast<double>(start) * 0.001);
  clock.AdvanceMilliseconds(250);
  EXPECT_NEAR(t.GetElapsedTime(), 0.25f, 1e-3f);
  clock.AdvanceMilliseconds(1000);
  EXPECT_NEAR(t.GetElapsedTime(), 1.0f, 1e-3f);
  EXPECT_EQ(g_Probes, 1);  // probed once, on first use

  // The stop time is in the same unit: seconds.
  t.stopTime = t.lastReading + 1.5;
  clock.AdvanceMilliseconds(9000);
  EXPECT_NEAR(t.GetElapsedTime(), 1.5f, 1e-3f);
}

TEST(FrameTimer, AStopTimeStandsInForTheClockUntilAStoppedTimerStarts) {
  VirtualClock clock;
  ScopedClock scoped(&clock);
  clock.AdvanceMilliseconds(1000);
  FrameTimer t;  // the counter ticks in nanoseconds
  t.Start();
  EXPECT_DOUBLE_EQ(t.lastReading, 1e9);
  clock.AdvanceMilliseconds(500);
  EXPECT_NEAR(t.GetElapsedTime(), 0.5f, 1e-4f);

  t.stopTime = t.lastReading + 2e9;
  clock.AdvanceMilliseconds(10000);
  EXPECT_NEAR(t.GetElapsedTime(), 2.0f, 1e-4f);
  EXPECT_DOUBLE_EQ(t.lastReading, t.stopTime);
  EXPECT_EQ(t.GetElapsedTime(), 0.0f);  // the clock is not read while it is set

  // A running timer keeps its stop time across Start; a stopped one drops it.
  t.Start();
  EXPECT_NE(t.stopTime, 0.0);
  t.stopped = true;
  t.Start();
  EXPECT_FALSE(t.stopped);
  EXPECT_EQ(t.stopTime, 0.0);
  clock.AdvanceMilliseconds(300);
  EXPECT_NEAR(t.GetElapsedTime(), 0.3f, 1e-4f);
}

}  // namespace
