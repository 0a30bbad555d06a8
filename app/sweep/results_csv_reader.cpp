// Reading results.csv back: the facts, the column row and the rows, each
// value checked.
#include "app/sweep/results_csv.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr std::size_t kColumnCount = 12;

// Splits one record; false for an unclosed quote or text after a quote.
bool SplitRecord(const std::string& line, std::vector<std::string>* fields) {
  fields->clear();
  std::string field;
  std::size_t i = 0;
  for (;;) {
    field.clear();
    if (i < line.size() && line[i] == '"') {
      ++i;
      for (;;) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      if (i < line.size() && line[i] != ',') return false;
    } else {
      while (i < line.size() && line[i] != ',') field += line[i++];
    }
    fields->push_back(field);
    if (i >= line.size()) return true;
    ++i;  // the comma
  }
}

bool ParseUnsigned(const std::string& text, unsigned* value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(*value) && *value >= 0.0;
}

bool ParseSamples(const std::string& text, std::vector<unsigned>* samples) {
  samples->clear();
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    unsigned v = 0;
    if (!ParseUnsigned(word, &v)) return false;
    samples->push_back(v);
  }
  return true;
}

bool Bad(std::string* what, const std::string& why) {
  *what = why;
  return false;
}

// One row: its fields checked and turned into a SweepRow; *what names the
// first bad field.
bool ParseRow(const std::vector<std::string>& f, SweepRow* row, std::string* what) {
  if (f.size() != kColumnCount) {
    *what = std::to_string(f.size()) + " fields instead of " + std::to_string(kColumnCount);
    return false;
  }
  row->testName = f[0];
  row->menuPath = f[2];
  row->mode = f[3];
  row->frame = f[11];
  if (!ParseUnsigned(f[1], &row->commandId)) return Bad(what, "bad command_id '" + f[1] + "'");
  if (!ParseUnsigned(f[4], &row->calls)) return Bad(what, "bad calls '" + f[4] + "'");
  row->seconds.firstSecond.reset();
  if (!f[5].empty()) {
    unsigned first = 0;
    if (!ParseUnsigned(f[5], &first)) return Bad(what, "bad first_second '" + f[5] + "'");
    row->seconds.firstSecond = first;
  }
  if (!ParseSamples(f[6], &row->seconds.samples)) return Bad(what, "bad samples '" + f[6] + "'");
  row->stats = SampleStats{};
  const bool any = !f[7].empty() || !f[8].empty() || !f[9].empty();
  if (any) {
    double primitives = 0.0;
    if (!ParseNumber(f[7], &row->stats.median)) return Bad(what, "bad median_fps '" + f[7] + "'");
    if (!ParseUnsigned(f[8], &row->stats.minimum)) return Bad(what, "bad min_fps '" + f[8] + "'");
    if (!ParseUnsigned(f[9], &row->stats.maximum)) return Bad(what, "bad max_fps '" + f[9] + "'");
    if (!f[10].empty() && !ParseNumber(f[10], &primitives))
      return Bad(what, "bad median_primitives_per_second '" + f[10] + "'");
    if (row->stats.minimum > row->stats.maximum || row->stats.median < row->stats.minimum ||
        row->stats.median > row->stats.maximum)
      return Bad(what, "median_fps outside min_fps..max_fps");
    row->stats.valid = true;
  }
  return true;
}

}  // namespace

bool ParseResultsCsv(const std::string& text, SweepResults* out, std::string* error) {
  *out = SweepResults{};
  std::istringstream in(text);
  std::string line;
  int number = 0;
  auto next = [&] {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number;
    return true;
  };
  if (!next() || line != kResultsMagic) {
    *error = std::string("it is not a vornel results file (the first line is not \"") + kResultsMagic + "\")";
    return false;
  }
  bool columns = false;
  while (next()) {
    if (line.rfind("#", 0) == 0) {
      if (columns) continue;  // a remark among the rows
      std::string fact = line.substr(1);
      if (!fact.empty() && fact.front() == ' ') fact.erase(0, 1);
      std::size_t colon = fact.find(": ");
      if (colon == std::string::npos) {
        out->facts.emplace_back(fact, "");
      } else {
        out->facts.emplace_back(fact.substr(0, colon), fact.substr(colon + 2));
      }
      continue;
    }
    if (!columns) {
      if (line != kResultsColumns) {
        *error = "line " + std::to_string(number) + ": the column names are not those of a vornel results file";
        return false;
      }
      columns = true;
      continue;
    }
    if (line.empty()) continue;
    std::vector<std::string> fields;
    SweepRow row;
    std::string what = "a badly quoted field";
    if (!SplitRecord(line, &fields) || !ParseRow(fields, &row, &what)) {
      *error = "line " + std::to_string(number) + ": " + what;
      return false;
    }
    out->rows.push_back(std::move(row));
  }
  if (!columns) {
    *error = "it has no row of column names";
    return false;
  }
  return true;
}

bool ReadResultsCsv(const std::string& path, SweepResults* out, std::string* error) {
  std::error_code ec;
  std::ifstream file;
  if (!std::filesystem::is_directory(path, ec)) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    *error = "cannot read '" + path + "'";
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  if (file.bad()) {
    *error = "cannot read '" + path + "'";
    return false;
  }
  std::string why;
  if (!ParseResultsCsv(text.str(), out, &why)) {
    *error = "'" + path + "': " + why;
    return false;
  }
  return true;
}
