// What a sweep will do, worked out before the bench starts: the tests in
// order (calls value, then table order, then mode) and the script of menu
// choices that runs them, with the places of each test's steps in it.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "app/sweep/sweep_options.h"
#include "app/cases/case_table.h"
#include "platform/win32/script/script.h"

struct SweepItem {
  UINT testId = 0;
  unsigned calls = 1;
  SweepMode mode;
  std::string frame;  // its first frame's picture, relative to the output folder
  // Indexes into the script: the first of its settings, its test command,
  // the wait after the screenshot, and the waits of the extra rounds (each
  // followed by its `frames` step).
  std::size_t settingsStep = 0;
  std::size_t testStep = 0;
  std::size_t sleepStep = 0;
  std::vector<std::size_t> extraSleepSteps;
};

// Rounds a test gets beyond its planned wait when its frames are so slow
// that whole seconds went by without a statistics line.
constexpr int kExtraRounds = 2;

struct SweepPlan {
  std::vector<SweepItem> items;
  Script script;
  int seconds = 2;
};

// The script, per test: the calls command, the mode command, the test
// command, a screenshot of its first frame, a wait (its length is set when
// it starts, see SweepWaitMilliseconds) and two more passes so the last
// second's statistics line is written before the next test is chosen. The
// first step turns "FPS Logging to Text File" on. Then kExtraRounds
// pairs of a wait and `frames 2`, which the run shortens to nothing once
// the test has its whole seconds (see ExtraWaitMilliseconds).
//
// False with *error set for a test id the table does not have.
bool BuildSweepPlan(const RunAllOptions& options, std::span<const TestEntry> table, SweepPlan* plan,
                    std::string* error);

// How long a test runs from the moment its wait begins: the rest of the
// current wall-clock second (its partial first statistics line), then
// `seconds` whole seconds, and a little more so the clock is surely past
// the last boundary. `millisecondsIntoSecond` is where the wall clock is.
long long SweepWaitMilliseconds(int seconds, int millisecondsIntoSecond);

// The wait of an extra round: 0 once `samples` whole seconds are in, else
// long enough for the missing ones.
long long ExtraWaitMilliseconds(int seconds, int samples, int millisecondsIntoSecond);
