// What a sweep will do, worked out before the bench starts: the tests in
// order (calls value, then table order, then mode) and the script of menu
// choices that runs them, with the places of each test's steps in it.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "app/sweep/sweep_options.h"
#include "app/test_table.h"
#include "platform/win32/script.h"

struct SweepItem {
  UINT testId = 0;
  unsigned calls = 1;
  SweepMode mode;
  std::string frame;  // its first frame's picture, relative to the output folder
  // Indexes into the script: the first of its settings, its test command,
  // and the wait after the screenshot.
  std::size_t settingsStep = 0;
  std::size_t testStep = 0;
  std::size_t sleepStep = 0;
};

struct SweepPlan {
  std::vector<SweepItem> items;
  Script script;
  int seconds = 2;
};

// The script, per test: the calls command, the mode command, the test
// command, a screenshot of its first frame, a wait (its length is set when
// it starts, see SweepWaitMilliseconds) and two more passes so the last
// second's statistics line is written before the next test is chosen. The
// first step turns "FPS Logging to Text File" on.
//
// False with *error set for a test id the table does not have.
bool BuildSweepPlan(const RunAllOptions& options, std::span<const TestEntry> table, SweepPlan* plan,
                    std::string* error);

// How long a test runs from the moment its wait begins: the rest of the
// current wall-clock second (its partial first statistics line), then
// `seconds` whole seconds, and a little more so the clock is surely past
// the last boundary. `millisecondsIntoSecond` is where the wall clock is.
long long SweepWaitMilliseconds(int seconds, int millisecondsIntoSecond);
