// Parsing the sweep's and the comparison's command lines.
#include "app/sweep/sweep_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/window/command_ids.h"

namespace {

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

bool ParseWhole(const std::string& text, unsigned long long* value) {
  if (text.empty() || text.size() > 12) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string CallsValuesText() {
  std::string s;
  for (unsigned v : kCallsValues) s += (s.empty() ? "" : ", ") + std::to_string(v);
  return s;
}

// The value after an option, or false when the line ends or another
// option follows.
bool TakeValue(int argc, char** argv, int* i, std::string* value, std::string* error) {
  const char* name = argv[*i];
  if (*i + 1 >= argc || std::strncmp(argv[*i + 1], "--", 2) == 0) {
    *error = std::string(name) + " needs a value";
    return false;
  }
  *value = argv[++*i];
  return true;
}

bool ParseCalls(const std::string& text, std::vector<unsigned>* calls, std::string* error) {
  calls->clear();
  for (const std::string& part : SplitList(text)) {
    unsigned long long v = 0;
    if (!ParseWhole(part, &v) || CallsCommand(static_cast<unsigned>(v)) == 0 || v > 800) {
      *error = "--calls: '" + part + "' is not a calls-per-frame value (" + CallsValuesText() + ")";
      return false;
    }
    if (std::find(calls->begin(), calls->end(), v) == calls->end()) calls->push_back(static_cast<unsigned>(v));
  }
  return true;
}

bool ParseTests(const std::string& text, RunAllOptions* out, std::string* error) {
  out->tests.clear();
  out->allTests = text == "all";
  if (out->allTests) return true;
  for (const std::string& part : SplitList(text)) {
    unsigned long long v = 0;
    if (!ParseWhole(part, &v) || v == 0 || v > 0xFFFFFFFFull) {
      *error = "--tests: '" + part + "' is not a test id (ids are the menu command numbers, or 'all')";
      return false;
    }
    out->tests.push_back(static_cast<UINT>(v));
  }
  return true;
}

bool ParseModes(const std::string& text, std::vector<SweepMode>* modes, std::string* error) {
  modes->clear();
  for (const std::string& part : SplitList(text)) {
    UINT command = ModeCommand(part);
    if (command == 0) {
      *error = "--modes: '" + part + "' is not a test type (random, static, defined)";
      return false;
    }
    bool seen = std::any_of(modes->begin(), modes->end(), [&](const SweepMode& m) { return m.name == part; });
    if (!seen) modes->push_back(SweepMode{part, command});
  }
  return true;
}

}  // namespace

UINT CallsCommand(unsigned calls) {
  for (std::size_t i = 0; i < std::size(kCallsValues); ++i)
    if (kCallsValues[i] == calls) return ids::kCalls1 + static_cast<UINT>(i);
  return 0;
}

UINT ModeCommand(const std::string& name) {
  if (name == "random") return ids::kRandom;
  if (name == "static") return ids::kStatic;
  if (name == "defined") return ids::kDefined;
  return 0;
}

SweepCommandKind FindSweepCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--run-all") == 0) return SweepCommandKind::kRunAll;
    if (std::strcmp(argv[i], "--compare") == 0) return SweepCommandKind::kCompare;
  }
  return SweepCommandKind::kNone;
}

bool ParseRunAllOptions(int argc, char** argv, RunAllOptions* out, std::string* error) {
  *out = RunAllOptions{};
  bool seen_run_all = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    std::string value;
    if (a == "--run-all") {
      if (seen_run_all) {
        *error = "--run-all is given twice";
        return false;
      }
      seen_run_all = true;
    } else if (a == "--headless") {
      out->headless = true;
    } else if (a == "--seconds") {
      unsigned long long v = 0;
      if (!TakeValue(argc, argv, &i, &value, error)) return false;
      if (!ParseWhole(value, &v) || v < 1 || v > 3600) {
        *error = "--seconds: '" + value + "' is not a whole number of seconds from 1 to 3600";
        return false;
      }
      out->seconds = static_cast<int>(v);
    } else if (a == "--calls") {
      if (!TakeValue(argc, argv, &i, &value, error) || !ParseCalls(value, &out->calls, error)) return false;
    } else if (a == "--tests") {
      if (!TakeValue(argc, argv, &i, &value, error) || !ParseTests(value, out, error)) return false;
    } else if (a == "--modes") {
      if (!TakeValue(argc, argv, &i, &value, error) || !ParseModes(value, &out->modes, error)) return false;
    } else if (a == "--out") {
      if (!TakeValue(argc, argv, &i, &value, error)) return false;
      if (value.empty()) {
        *error = "--out needs a folder";
        return false;
      }
      out->outDir = value;
    } else if (a == "--compare") {
      *error = "--run-all and --compare cannot be combined";
      return false;
    } else {
      *error = "--run-all: unknown option '" + a + "'";
      return false;
    }
  }
  if (out->modes.empty()) out->modes.push_back(SweepMode{"random", ModeCommand("random")});
  return true;
}

bool ParseCompareOptions(int argc, char** argv, CompareOptions* out, std::string* error) {
  *out = CompareOptions{};
  std::vector<std::string> files;
  bool seen_compare = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    std::string value;
    if (a == "--compare") {
      if (seen_compare) {
        *error = "--compare is given twice";
        return false;
      }
      seen_compare = true;
    } else if (a == "--threshold") {
      if (!TakeValue(argc, argv, &i, &value, error)) return false;
      char* end = nullptr;
      double p = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !std::isfinite(p) || p < 0.0 || p > 1000.0) {
        *error = "--threshold: '" + value + "' is not a percentage from 0 to 1000";
        return false;
      }
      out->thresholdPercent = p;
    } else if (a == "--run-all") {
      *error = "--run-all and --compare cannot be combined";
      return false;
    } else if (a.rfind("--", 0) == 0) {
      *error = "--compare: unknown option '" + a + "'";
      return false;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) {
    *error = "--compare needs two results files: vornel --compare A.csv B.csv [--threshold P]";
    return false;
  }
  out->first = files[0];
  out->second = files[1];
  return true;
}
