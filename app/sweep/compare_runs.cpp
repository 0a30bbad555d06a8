// Matching two sweeps' rows and marking the changes that are not noise.
#include "app/sweep/compare_runs.h"

#include <cmath>
#include <cstdio>

#include "app/sweep/results_csv.h"
#include "app/sweep/text_table.h"

namespace {

bool SameTest(const SweepRow& a, const SweepRow& b) {
  return a.commandId == b.commandId && a.mode == b.mode && a.calls == b.calls;
}

std::string Ratio(double r) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", r);
  return buffer;
}

std::string Median(const SweepRow* row) {
  if (!row) return "";
  return row->stats.valid ? FormatCount(row->stats.median) : "-";
}

std::string Spread(const SweepRow* row) {
  if (!row || !row->stats.valid) return "";
  return std::to_string(row->stats.minimum) + "-" + std::to_string(row->stats.maximum);
}

}  // namespace

bool MovedBeyondNoise(const SampleStats& a, const SampleStats& b, double thresholdPercent) {
  if (!a.valid || !b.valid || a.median <= 0.0) return false;
  const double change = std::fabs(b.median - a.median);
  if (change / a.median * 100.0 <= thresholdPercent) return false;
  const double spread_a = static_cast<double>(a.maximum) - a.minimum;
  const double spread_b = static_cast<double>(b.maximum) - b.minimum;
  return change > spread_a && change > spread_b;
}

std::vector<ComparedTest> CompareRuns(const SweepResults& first, const SweepResults& second,
                                      double thresholdPercent) {
  std::vector<ComparedTest> out;
  auto entry = [](const SweepRow& r) {
    ComparedTest c;
    c.label = DisplayPath(r.menuPath);
    if (c.label.empty()) c.label = r.testName;
    c.mode = r.mode;
    c.calls = r.calls;
    c.commandId = r.commandId;
    return c;
  };
  for (const SweepRow& a : first.rows) {
    ComparedTest c = entry(a);
    c.first = &a;
    for (const SweepRow& b : second.rows)
      if (SameTest(a, b)) {
        c.second = &b;
        break;
      }
    if (c.second && a.stats.valid && c.second->stats.valid && a.stats.median > 0.0) {
      c.hasRatio = true;
      c.ratio = c.second->stats.median / a.stats.median;
      c.marked = MovedBeyondNoise(a.stats, c.second->stats, thresholdPercent);
    }
    out.push_back(std::move(c));
  }
  for (const SweepRow& b : second.rows) {
    bool matched = false;
    for (const SweepRow& a : first.rows) matched = matched || SameTest(a, b);
    if (matched) continue;
    ComparedTest c = entry(b);
    c.second = &b;
    out.push_back(std::move(c));
  }
  return out;
}

std::string FormatComparison(const std::string& firstName, const SweepResults& first, const std::string& secondName,
                             const SweepResults& second, double thresholdPercent) {
  std::string out;
  auto describe = [&](const char* letter, const std::string& name, const SweepResults& r) {
    out += std::string(letter) + ": " + name;
    for (const char* key : {"date", "renderer", "build type", "commit", "cpu", "load average at start"}) {
      std::string v = FactValue(r, key);
      if (!v.empty()) out += "\n   " + std::string(key) + ": " + v;
    }
    out += "\n";
  };
  describe("A", firstName, first);
  describe("B", secondName, second);
  char rule[160];
  std::snprintf(rule, sizeof rule,
                "marked (*): moved by more than %g%% and by more than the min-max spread of both runs\n\n",
                thresholdPercent);
  out += rule;

  std::vector<ComparedTest> tests = CompareRuns(first, second, thresholdPercent);
  TextTable table({"test", "mode", "calls", "A median", "A min-max", "B median", "B min-max", "B/A", ""},
                  {false, false, true, true, true, true, true, true, false});
  std::vector<const ComparedTest*> only_first, only_second;
  int marked = 0;
  for (const ComparedTest& c : tests) {
    if (!c.second) {
      only_first.push_back(&c);
      continue;
    }
    if (!c.first) {
      only_second.push_back(&c);
      continue;
    }
    marked += c.marked;
    std::string mark = c.marked ? (c.ratio > 1.0 ? "* faster" : "* slower") : "";
    table.AddRow({c.label, c.mode, std::to_string(c.calls), Median(c.first), Spread(c.first), Median(c.second),
                  Spread(c.second), c.hasRatio ? Ratio(c.ratio) : "-", mark});
  }
  out += table.Format();
  out += "\n" + std::to_string(marked) + " of " + std::to_string(tests.size() - only_first.size() - only_second.size()) +
         " tests in both runs marked\n";
  auto list = [&](const char* title, const std::vector<const ComparedTest*>& items) {
    if (items.empty()) return;
    out += std::string("\n") + title + "\n";
    for (const ComparedTest* c : items)
      out += "  " + c->label + "  " + c->mode + "  calls " + std::to_string(c->calls) + "\n";
  };
  list("only in A:", only_first);
  list("only in B:", only_second);
  return out;
}
