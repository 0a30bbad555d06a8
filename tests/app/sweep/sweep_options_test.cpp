// The sweep's command lines and its plan: defaults, every kind of bad
// input as one clear message, and the order of tests and steps.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/window/command_ids.h"
#include "app/sweep/sweep_options.h"
#include "app/sweep/sweep_plan.h"

namespace {

// argv for the parsers, with the program name first.
class Args {
 public:
  Args(std::initializer_list<const char*> args) : text_{"vornel"} {
    for (const char* a : args) text_.push_back(a);
    for (std::string& s : text_) argv_.push_back(s.data());
  }
  int argc() const { return static_cast<int>(argv_.size()); }
  char** argv() { return argv_.data(); }

 private:
  std::vector<std::string> text_;
  std::vector<char*> argv_;
};

std::string RunAllError(std::initializer_list<const char*> args) {
  Args a(args);
  RunAllOptions o;
  std::string error;
  EXPECT_FALSE(ParseRunAllOptions(a.argc(), a.argv(), &o, &error));
  return error;
}

std::string CompareError(std::initializer_list<const char*> args) {
  Args a(args);
  CompareOptions o;
  std::string error;
  EXPECT_FALSE(ParseCompareOptions(a.argc(), a.argv(), &o, &error));
  return error;
}

TEST(SweepOptions, DefaultsAndGivenValues) {
  Args plain({"--run-all"});
  EXPECT_EQ(FindSweepCommand(plain.argc(), plain.argv()), SweepCommandKind::kRunAll);
  RunAllOptions o;
  std::string error;
  ASSERT_TRUE(ParseRunAllOptions(plain.argc(), plain.argv(), &o, &error)) << error;
  EXPECT_EQ(o.seconds, 2);
  EXPECT_EQ(o.calls, (std::vector<unsigned>{1, 10, 100, 200, 500, 800}));
  EXPECT_TRUE(o.allTests);
  ASSERT_EQ(o.modes.size(), 1u);
  EXPECT_EQ(o.modes[0].command, ids::kRandom);
  EXPECT_EQ(o.outDir, ".");
  EXPECT_FALSE(o.headless);

  Args given({"--headless", "--run-all", "--seconds", "3", "--calls", "800,1,1", "--tests", "32773,32772",
              "--modes", "defined,static", "--out", "sweep dir"});
  ASSERT_TRUE(ParseRunAllOptions(given.argc(), given.argv(), &o, &error)) << error;
  EXPECT_EQ(o.seconds, 3);
  EXPECT_EQ(o.calls, (std::vector<unsigned>{800, 1}));
  EXPECT_FALSE(o.allTests);
  EXPECT_EQ(o.tests, (std::vector<UINT>{32773, 32772}));
  ASSERT_EQ(o.modes.size(), 2u);
  EXPECT_EQ(o.modes[0].command, ids::kDefined);
  EXPECT_EQ(o.modes[1].command, ids::kStatic);
  EXPECT_EQ(o.outDir, "sweep dir");
  EXPECT_TRUE(o.headless);

  Args compare({"--compare", "a.csv", "b.csv", "--threshold", "2.5"});
  EXPECT_EQ(FindSweepCommand(compare.argc(), compare.argv()), SweepCommandKind::kCompare);
  CompareOptions c;
  ASSERT_TRUE(ParseCompareOptions(compare.argc(), compare.argv(), &c, &error)) << error;
  EXPECT_EQ(c.first, "a.csv");
  EXPECT_EQ(c.second, "b.csv");
  EXPECT_EQ(c.thresholdPercent, 2.5);

  Args neither({"--headless", "--script", "x.txt"});
  EXPECT_EQ(FindSweepCommand(neither.argc(), neither.argv()), SweepCommandKind::kNone);
}

TEST(SweepOptions, BadInputGivesOneClearLine) {
  EXPECT_NE(RunAllError({"--run-all", "--calls", "7"}).find("'7' is not a calls-per-frame value"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--calls", "1,,10"}).find("'' is not"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--calls", "4294967297"}).find("is not a calls"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--calls", "10x"}).find("'10x'"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--calls"}).find("--calls needs a value"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--calls", "--headless"}).find("needs a value"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--seconds", "0"}).find("--seconds"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--seconds", "1.5"}).find("--seconds"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--tests", "32773,lines"}).find("'lines' is not a test id"),
            std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--modes", "random,wild"}).find("'wild' is not a test type"),
            std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--fast"}).find("unknown option '--fast'"), std::string::npos);
  EXPECT_NE(RunAllError({"--run-all", "--compare", "a", "b"}).find("cannot be combined"), std::string::npos);

  EXPECT_NE(CompareError({"--compare", "a.csv"}).find("needs two results files"), std::string::npos);
  EXPECT_NE(CompareError({"--compare", "a", "b", "c"}).find("needs two"), std::string::npos);
  EXPECT_NE(CompareError({"--compare", "a", "b", "--threshold", "-1"}).find("--threshold"), std::string::npos);
  EXPECT_NE(CompareError({"--compare", "a", "b", "--threshold", "five"}).find("'five'"), std::string::npos);
  EXPECT_NE(CompareError({"--compare", "a", "b", "--loud"}).find("unknown option"), std::string::npos);
  for (const std::string& e : {RunAllError({"--run-all", "--calls", "7"}), CompareError({"--compare"})})
    EXPECT_EQ(e.find('\n'), std::string::npos) << e;
}

void Nothing() {}

TEST(SweepPlan, RunsCallsThenTableOrderThenModesWithTheirSteps) {
  const TestEntry table[] = {{32772, Nothing}, {32773, Nothing}, {32891, Nothing}};
  RunAllOptions o;
  o.calls = {10, 1};
  o.allTests = false;
  o.tests = {32891, 32772, 32891};
  o.modes = {SweepMode{"static", ids::kStatic}, SweepMode{"random", ids::kRandom}};
  o.outDir = "out";
  SweepPlan plan;
  std::string error;
  ASSERT_TRUE(BuildSweepPlan(o, table, &plan, &error)) << error;
  ASSERT_EQ(plan.items.size(), 8u);
  EXPECT_EQ(plan.items[0].calls, 10u);
  EXPECT_EQ(plan.items[0].testId, 32772u);
  EXPECT_EQ(plan.items[0].mode.name, "static");
  EXPECT_EQ(plan.items[1].mode.name, "random");
  EXPECT_EQ(plan.items[2].testId, 32891u);
  EXPECT_EQ(plan.items[4].calls, 1u);
  EXPECT_EQ(plan.items[7].frame, "frames/008_32891_random_c1.png");

  const std::vector<ScriptStep>& s = plan.script.steps;
  ASSERT_EQ(s.size(), 1 + 8 * (6u + 2 * kExtraRounds));
  EXPECT_EQ(s[0].op, ScriptOp::kCommand);
  EXPECT_EQ(s[0].number, ids::kFpsLogging);  // turned on once: it is a toggle
  const SweepItem& item = plan.items[5];
  EXPECT_EQ(s[item.settingsStep].number, ids::kCalls1);
  EXPECT_EQ(s[item.settingsStep + 1].number, ids::kRandom);
  EXPECT_EQ(item.testStep, item.settingsStep + 2);
  EXPECT_EQ(s[item.testStep].number, 32772);
  EXPECT_EQ(s[item.testStep + 1].op, ScriptOp::kScreenshot);
  EXPECT_EQ(s[item.testStep + 1].text, "out/" + item.frame);
  EXPECT_EQ(s[item.sleepStep].op, ScriptOp::kSleep);
  EXPECT_EQ(s[item.sleepStep + 1].op, ScriptOp::kFrames);
  EXPECT_EQ(s[item.sleepStep + 1].number, 2);
  ASSERT_EQ(item.extraSleepSteps.size(), static_cast<std::size_t>(kExtraRounds));
  EXPECT_EQ(item.extraSleepSteps[0], item.sleepStep + 2);
  for (std::size_t at : item.extraSleepSteps) {
    EXPECT_EQ(s[at].op, ScriptOp::kSleep);
    EXPECT_EQ(s[at + 1].op, ScriptOp::kFrames);
  }
  EXPECT_EQ(plan.items[6].settingsStep, item.extraSleepSteps.back() + 2);
  EXPECT_EQ(s[plan.items[6].settingsStep].number, ids::kCalls1);

  o.tests = {32773, 12345};
  EXPECT_FALSE(BuildSweepPlan(o, table, &plan, &error));
  EXPECT_EQ(error, "--tests: no test has the id 12345");
  o.allTests = true;
  ASSERT_TRUE(BuildSweepPlan(o, table, &plan, &error));
  EXPECT_EQ(plan.items.size(), 3u * 2 * 2);
}

TEST(SweepPlan, AWaitCoversThePartialSecondAndWholeOnes) {
  // From 300 ms into a second: 700 ms to its end, two whole seconds, and
  // a margin past the last boundary.
  long long wait = SweepWaitMilliseconds(2, 300);
  EXPECT_GT(wait, 2700);
  EXPECT_LT(wait, 2800);
  EXPECT_EQ(SweepWaitMilliseconds(1, 999) - SweepWaitMilliseconds(1, 0), -999);
  EXPECT_EQ(SweepWaitMilliseconds(1, 5000), SweepWaitMilliseconds(1, 999));
  // Extra rounds: nothing once the seconds are in; otherwise the missing
  // ones, the first of them from where the clock stands.
  EXPECT_EQ(ExtraWaitMilliseconds(2, 2, 300), 0);
  EXPECT_EQ(ExtraWaitMilliseconds(2, 3, 300), 0);
  EXPECT_EQ(ExtraWaitMilliseconds(2, 1, 300), SweepWaitMilliseconds(0, 300));
  EXPECT_EQ(ExtraWaitMilliseconds(3, 0, 300), SweepWaitMilliseconds(2, 300));
}

}  // namespace
