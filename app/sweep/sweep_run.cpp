// Running the sweep: the script's steps tracked as they are delivered (the
// log's size when each test starts and ends, the device facts, the menu
// paths, the waits set to whole seconds), then the reports.
#include "app/sweep/sweep_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "app/frame/engine_instance.h"
#include "app/resources/resources.h"
#include "app/sweep/contact_sheet.h"
#include "app/sweep/results_chart.h"
#include "app/sweep/results_csv.h"
#include "app/sweep/results_table.h"
#include "app/sweep/run_facts.h"
#include "app/sweep/stat_lines.h"
#include "app/sweep/sweep_plan.h"
#include "app/cases/case_table.h"
#include "app/frame/win_main.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/backend_select.h"
#include "platform/win32/files.h"
#include "platform/win32/menu.h"
#include "platform/win32/script/script_driver.h"
#include "platform/win32/window.h"

namespace fs = std::filesystem;

namespace {

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  return (x && *x) || (w && *w) || (qpa && *qpa);
}

std::size_t LogSize() {
  std::error_code ec;
  auto size = fs::file_size(TranslatePath(kLogFileName), ec);
  return ec ? 0 : static_cast<std::size_t>(size);
}

std::string ReadLog(std::size_t begin = 0, std::size_t end = std::string::npos) {
  std::ifstream file(TranslatePath(kLogFileName), std::ios::binary);
  if (!file) return "";
  file.seekg(static_cast<std::streamoff>(begin));
  std::string text;
  if (end == std::string::npos) {
    std::stringstream s;
    s << file.rdbuf();
    return s.str();
  }
  text.resize(end > begin ? end - begin : 0);
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

int MillisecondsIntoSecond() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000);
}

// Follows the script as the runner delivers it.
class SweepTracker {
 public:
  explicit SweepTracker(const SweepPlan& plan) : plan_(plan), spans_(plan.items.size()), ended_(plan.items.size()) {
    for (std::size_t k = 0; k < plan.items.size(); ++k) {
      settings_[plan.items[k].settingsStep] = k;
      tests_[plan.items[k].testStep] = k;
      sleeps_[plan.items[k].sleepStep] = k;
      for (std::size_t at : plan.items[k].extraSleepSteps) extra_sleeps_[at] = k;
    }
  }

  void BeforeStep(std::size_t index, ScriptStep* step) {
    if (!step) {
      EndCurrent();
      return;
    }
    if (auto it = settings_.find(index); it != settings_.end()) {
      EndCurrent();
    } else if (auto it = tests_.find(index); it != tests_.end()) {
      if (!facts_taken_) TakeFacts();
      current_ = static_cast<long long>(it->second);
      spans_[it->second].begin = LogSize();
    } else if (auto it = sleeps_.find(index); it != sleeps_.end()) {
      step->number = SweepWaitMilliseconds(plan_.seconds, MillisecondsIntoSecond());
    } else if (auto it = extra_sleeps_.find(index); it != extra_sleeps_.end()) {
      // Frames slower than a second leave seconds without a line: wait on
      // for the missing ones, and let the two passes after it write them.
      const SweepItem& item = plan_.items[it->second];
      TestLines lines = LinesOfTest(ReadLog(spans_[it->second].begin, LogSize()), LogSpan{0, std::string::npos},
                                    item.calls);
      const int samples = std::max(0, static_cast<int>(lines.counts.size()) - 1);
      step->number = ExtraWaitMilliseconds(plan_.seconds, samples, MillisecondsIntoSecond());
      extra_frames_ = step->number > 0 ? 2 : 0;
      extra_frames_step_ = index + 1;
    } else if (index == extra_frames_step_) {
      step->number = extra_frames_;
    }
  }

  const std::vector<LogSpan>& spans() const { return spans_; }
  bool Ended(std::size_t k) const { return ended_[k]; }
  const Facts& deviceFacts() const { return device_facts_; }
  std::string MenuPath(UINT id) const {
    auto it = menu_paths_.find(id);
    return it == menu_paths_.end() ? "" : it->second;
  }

 private:
  void TakeFacts() {
    facts_taken_ = true;
    Vorn& engine = g_Engine;
    device_facts_ = DeviceFacts(engine.m_pDirect3DObject, static_cast<UINT>(engine.m_Adapter), engine.m_pD3DDevice,
                                engine.m_PresentParams);
    if (HWND window = MainScriptWindow())
      for (const MenuCommandEntry& e : ListMenuCommands(GetMenu(window))) menu_paths_[e.id] = e.path;
  }

  // The current test's span ends here; its last second is in the log.
  void EndCurrent() {
    if (current_ < 0) return;
    const std::size_t k = static_cast<std::size_t>(current_);
    current_ = -1;
    spans_[k].end = LogSize();
    ended_[k] = true;
    const SweepItem& item = plan_.items[k];
    TestLines lines = LinesOfTest(ReadLog(spans_[k].begin, spans_[k].end), LogSpan{0, std::string::npos}, item.calls);
    std::string path = DisplayPath(MenuPath(item.testId));
    std::string last = lines.counts.empty() ? "no statistics line" : std::to_string(lines.counts.back()) + " FPS";
    std::fprintf(stderr, "sweep: test %zu of %zu: %s, calls %u, %s: last %s\n", k + 1, plan_.items.size(),
                 path.empty() ? std::to_string(item.testId).c_str() : path.c_str(), item.calls,
                 item.mode.name.c_str(), last.c_str());
    std::fflush(stderr);
  }

  const SweepPlan& plan_;
  std::map<std::size_t, std::size_t> settings_, tests_, sleeps_, extra_sleeps_;
  std::size_t extra_frames_step_ = static_cast<std::size_t>(-1);
  long long extra_frames_ = 0;
  std::vector<LogSpan> spans_;
  std::vector<bool> ended_;
  long long current_ = -1;
  bool facts_taken_ = false;
  Facts device_facts_;
  std::map<UINT, std::string> menu_paths_;
};

std::string JoinList(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& s : items) out += (out.empty() ? "" : ",") + s;
  return out;
}

SweepResults Collect(const RunAllOptions& options, const SweepPlan& plan, const SweepTracker& tracker,
                     std::time_t started, const std::string& load) {
  SweepResults r;
  r.facts.emplace_back("date", UtcDate(started));
  for (const auto& f : tracker.deviceFacts()) r.facts.push_back(f);
  for (const auto& f : BuildAndHostFacts()) r.facts.push_back(f);
  r.facts.emplace_back("load average at start", load);
  std::vector<std::string> calls, modes;
  for (unsigned c : options.calls) calls.push_back(std::to_string(c));
  for (const SweepMode& m : options.modes) modes.push_back(m.name);
  r.facts.emplace_back("seconds per test", std::to_string(options.seconds));
  r.facts.emplace_back("calls", JoinList(calls));
  r.facts.emplace_back("modes", JoinList(modes));
  r.facts.emplace_back("samples", "frames counted in each whole wall-clock second after a test was chosen; "
                                  "first_second is the partial second before them, left out of the statistics");
  r.facts.emplace_back("primitives per second", "calls per frame x median FPS (one primitive per call)");

  const std::string log = ReadLog();
  for (std::size_t k = 0; k < plan.items.size(); ++k) {
    if (!tracker.Ended(k)) continue;
    const SweepItem& item = plan.items[k];
    TestLines lines = LinesOfTest(log, tracker.spans()[k], item.calls);
    SweepRow row;
    row.testName = lines.testName;
    row.commandId = item.testId;
    row.menuPath = tracker.MenuPath(item.testId);
    row.mode = item.mode.name;
    row.calls = item.calls;
    row.seconds = SplitFirstSecond(lines.counts);
    row.stats = ComputeStats(row.seconds.samples);
    row.frame = item.frame;
    r.rows.push_back(std::move(row));
  }
  return r;
}

std::vector<ContactItem> ContactItems(const std::string& folder, const SweepResults& results) {
  std::vector<ContactItem> items;
  for (const SweepRow& row : results.rows) {
    std::string path = DisplayPath(row.menuPath);
    std::string group = path.substr(0, path.find('/'));
    if (auto at = group.find(" Tests"); at != std::string::npos) group.erase(at);
    std::string name = path.substr(path.find_last_of('/') + 1);
    ContactItem c;
    c.picture = folder + "/" + row.frame;
    c.title = path.empty() ? row.testName : group + ": " + name;
    c.detail = std::to_string(row.commandId) + "  calls " + std::to_string(row.calls) + "  " + row.mode +
               (row.stats.valid ? "  " + FormatCount(row.stats.median) + " FPS" : "");
    items.push_back(std::move(c));
  }
  return items;
}

}  // namespace

int RunSweep(const RunAllOptions& options) {
  SweepPlan plan;
  std::string error;
  if (!BuildSweepPlan(options, TestTable(), &plan, &error)) {
    std::fprintf(stderr, "vornel: %s\n", error.c_str());
    return 2;
  }
  if (!options.headless && !HasDisplay()) {
    std::fputs("vornel: no display found; run with --headless\n", stderr);
    return 2;
  }
  const std::string folder = options.outDir.empty() ? "." : options.outDir;
  std::error_code ec;
  fs::create_directories(fs::path(folder) / "frames", ec);
  if (ec || !fs::is_directory(fs::path(folder) / "frames")) {
    std::fprintf(stderr, "vornel: --out: cannot create the folder '%s/frames'\n", folder.c_str());
    return 2;
  }

  RegisterResources();
  int status = InitBackend(options.headless ? BackendKind::kHeadless : BackendKind::kQt, nullptr, &error);
  if (status != 0) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return status;
  }
  const std::time_t started = std::time(nullptr);
  const std::string load = LoadAverages();
  std::fprintf(stderr, "sweep: %zu tests, about %d seconds each\n", plan.items.size(), options.seconds + 1);
  SweepTracker tracker(plan);
  ScriptRunnerOptions runner_options;
  runner_options.before_step = [&tracker](std::size_t index, ScriptStep* step) { tracker.BeforeStep(index, step); };
  StartScriptDriver(plan.script, runner_options);
  status = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW);
  ShutdownBackend();

  SweepResults results = Collect(options, plan, tracker, started, load);
  int outcome = status;
  if (results.rows.size() < plan.items.size()) {
    std::fprintf(stderr, "sweep: stopped after %zu of %zu tests\n", results.rows.size(), plan.items.size());
    outcome = outcome ? outcome : 1;
  }
  const std::string csv = folder + "/results.csv", svg = folder + "/results.svg", sheet = folder + "/contact.png";
  bool written = WriteResultsCsv(csv, results, &error);
  if (written) written = WriteResultsSvg(svg, results, &error);
  if (written)
    written = WriteContactSheet(sheet, "vornel sweep, first frames: " + FactValue(results, "date"),
                                ContactItems(folder, results), &error);
  std::fputs(FormatResultsTable(results).c_str(), stdout);
  std::fflush(stdout);
  if (!written) {
    std::fprintf(stderr, "vornel: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "sweep: results %s, chart %s, frames %s/frames, contact sheet %s\n", csv.c_str(), svg.c_str(),
               folder.c_str(), sheet.c_str());
  return outcome;
}
