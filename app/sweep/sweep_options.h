// The command lines of the sweep (--run-all ...) and of the comparison
// (--compare A B ...), parsed into plain records with one clear line for
// anything wrong.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windows.h"

// The calls-per-frame values the menu offers, in menu order.
constexpr unsigned kCallsValues[] = {1, 10, 100, 200, 500, 800};
// The command id of a calls-per-frame value, or 0 for one the menu lacks.
UINT CallsCommand(unsigned calls);

// A test type as the menu offers it: its name on the command line and the
// command that chooses it.
struct SweepMode {
  std::string name;  // "random", "static", "defined"
  UINT command;
};
// The command of a test-type name, or 0 for an unknown name.
UINT ModeCommand(const std::string& name);

struct RunAllOptions {
  int seconds = 2;
  std::vector<unsigned> calls{1, 10, 100, 200, 500, 800};
  bool allTests = true;
  std::vector<UINT> tests;  // when not allTests: the ids asked for, in the order given
  std::vector<SweepMode> modes;  // empty after parsing means random
  std::string outDir = ".";
  bool headless = false;
};

struct CompareOptions {
  std::string first;
  std::string second;
  double thresholdPercent = 5.0;
};

enum class SweepCommandKind { kNone, kRunAll, kCompare };

// Which of the two the command line asks for (kNone: neither).
SweepCommandKind FindSweepCommand(int argc, char** argv);

// Both return false with *error set to one line (without a program-name
// prefix) for an unknown option, a missing or malformed value, a calls
// value the menu does not offer, an unknown test type or a repeated file.
bool ParseRunAllOptions(int argc, char** argv, RunAllOptions* out, std::string* error);
bool ParseCompareOptions(int argc, char** argv, CompareOptions* out, std::string* error);
