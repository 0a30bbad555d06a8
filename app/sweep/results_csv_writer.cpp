// Writing results.csv.
#include "app/sweep/results_csv.h"

#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

// A fact stays on its own line, and a field in its row.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string Field(const std::string& raw) {
  const std::string text = OneLine(raw);
  bool quote = text.find_first_of(",\"") != std::string::npos ||
               (!text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '#'));
  if (!quote) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string FormatCount(double value) {
  char buffer[64];
  if (std::floor(value) == value)
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
  else
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
  return buffer;
}

std::string FormatResultsCsv(const SweepResults& results) {
  std::string out = std::string(kResultsMagic) + "\n";
  for (const auto& [key, value] : results.facts) out += "# " + OneLine(key) + ": " + OneLine(value) + "\n";
  out += std::string(kResultsColumns) + "\n";
  for (const SweepRow& r : results.rows) {
    std::string samples;
    for (unsigned s : r.seconds.samples) samples += (samples.empty() ? "" : " ") + std::to_string(s);
    const bool stats = r.stats.valid;
    out += Field(r.testName) + "," + std::to_string(r.commandId) + "," + Field(r.menuPath) + "," + Field(r.mode) +
           "," + std::to_string(r.calls) + "," +
           (r.seconds.firstSecond ? std::to_string(*r.seconds.firstSecond) : std::string()) + "," + samples + "," +
           (stats ? FormatCount(r.stats.median) : "") + "," + (stats ? std::to_string(r.stats.minimum) : "") + "," +
           (stats ? std::to_string(r.stats.maximum) : "") + "," +
           (stats ? FormatCount(MedianPrimitivesPerSecond(r)) : "") + "," + Field(r.frame) + "\n";
  }
  return out;
}

bool WriteResultsCsv(const std::string& path, const SweepResults& results, std::string* error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  const std::string text = FormatResultsCsv(results);
  file << text;
  file.close();
  if (!file) {
    *error = "cannot write '" + path + "'";
    return false;
  }
  return true;
}
