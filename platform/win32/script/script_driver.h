// Driving a run by a script: a runner of the script wrapped around the
// installed backend, so that the script stands in for the user with the Qt
// or the headless backend alike. What a program needs to start one.
#pragma once

#include <cstddef>
#include <functional>

#include "platform/win32/script/script.h"

struct ScriptRunnerOptions {
  // While a `sleep` runs under a VirtualClock, each pass of the main loop
  // moves the clock on by this many milliseconds (so a second of virtual
  // time is 100 passes by default). With the system clock the loop simply
  // runs until the time has passed.
  int virtual_ms_per_pass = 10;
  // Called just before each step runs, with its index and the step itself
  // (which it may still adjust, say the length of a sleep), and once more
  // with the number of steps and null when the script is spent. For a
  // driver that follows the run as it goes; null for none.
  std::function<void(std::size_t index, ScriptStep* step)> before_step;
};

// Makes a runner of `script` deliver its steps and answer every box and
// dialog, around whatever backend is installed now; replaces a driver
// started before. The runner lives until StopScriptDriver (ShutdownBackend
// calls it).
void StartScriptDriver(Script script, ScriptRunnerOptions options = {});
// Takes the runner off and destroys it; the backend it wrapped is the
// active one again. Nothing happens when none runs.
void StopScriptDriver();
