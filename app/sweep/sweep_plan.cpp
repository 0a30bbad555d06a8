// Building the sweep's list of tests and its script.
#include "app/sweep/sweep_plan.h"

#include <algorithm>
#include <cstdio>

#include "app/window/command_ids.h"

namespace {

// Past the second boundary by this much: the log's clock may be a coarse
// one that changes its second a few milliseconds late.
constexpr int kBoundaryMargin = 60;

ScriptStep Step(ScriptOp op, long long number = 0, std::string text = {}) {
  ScriptStep s;
  s.op = op;
  s.number = number;
  s.text = std::move(text);
  return s;
}

std::string FrameName(std::size_t index, const SweepItem& item) {
  char name[96];
  std::snprintf(name, sizeof name, "frames/%03zu_%u_%s_c%u.png", index + 1, item.testId, item.mode.name.c_str(),
                item.calls);
  return name;
}

}  // namespace

bool BuildSweepPlan(const RunAllOptions& options, std::span<const TestEntry> table, SweepPlan* plan,
                    std::string* error) {
  *plan = SweepPlan{};
  plan->seconds = options.seconds;
  std::vector<UINT> chosen;
  if (options.allTests) {
    for (const TestEntry& e : table) chosen.push_back(e.id);
  } else {
    for (UINT id : options.tests)
      if (std::none_of(table.begin(), table.end(), [&](const TestEntry& e) { return e.id == id; })) {
        *error = "--tests: no test has the id " + std::to_string(id);
        return false;
      }
    // In table order, each once.
    for (const TestEntry& e : table)
      if (std::find(options.tests.begin(), options.tests.end(), e.id) != options.tests.end()) chosen.push_back(e.id);
  }
  if (chosen.empty()) {
    *error = "--run-all: there are no tests to run";
    return false;
  }
  std::vector<SweepMode> modes = options.modes;
  if (modes.empty()) modes.push_back(SweepMode{"random", ModeCommand("random")});

  std::vector<ScriptStep>& steps = plan->script.steps;
  steps.push_back(Step(ScriptOp::kCommand, ids::kFpsLogging));
  for (unsigned calls : options.calls)
    for (UINT id : chosen)
      for (const SweepMode& mode : modes) {
        SweepItem item;
        item.testId = id;
        item.calls = calls;
        item.mode = mode;
        item.frame = FrameName(plan->items.size(), item);
        item.settingsStep = steps.size();
        steps.push_back(Step(ScriptOp::kCommand, CallsCommand(calls)));
        steps.push_back(Step(ScriptOp::kCommand, mode.command));
        item.testStep = steps.size();
        steps.push_back(Step(ScriptOp::kCommand, id));
        const std::string folder = options.outDir.empty() ? "." : options.outDir;
        steps.push_back(Step(ScriptOp::kScreenshot, 0, folder + "/" + item.frame));
        item.sleepStep = steps.size();
        steps.push_back(Step(ScriptOp::kSleep, 1000LL * options.seconds));
        steps.push_back(Step(ScriptOp::kFrames, 2));
        for (int round = 0; round < kExtraRounds; ++round) {
          item.extraSleepSteps.push_back(steps.size());
          steps.push_back(Step(ScriptOp::kSleep, 0));
          steps.push_back(Step(ScriptOp::kFrames, 0));
        }
        plan->items.push_back(std::move(item));
      }
  // Line numbers for messages about the script: one step a line.
  for (std::size_t i = 0; i < steps.size(); ++i) steps[i].line = static_cast<int>(i + 1);
  return true;
}

long long SweepWaitMilliseconds(int seconds, int millisecondsIntoSecond) {
  const int into = std::clamp(millisecondsIntoSecond, 0, 999);
  return (1000 - into) + 1000LL * seconds + kBoundaryMargin;
}

long long ExtraWaitMilliseconds(int seconds, int samples, int millisecondsIntoSecond) {
  if (samples >= seconds) return 0;
  return SweepWaitMilliseconds(seconds - samples - 1, millisecondsIntoSecond);
}
