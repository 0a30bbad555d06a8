// The statistics entries of the event log, parsed and attributed by their
// place in the file.
#include "app/sweep/stat_lines.h"

#include <algorithm>
#include <charconv>

namespace {

bool ReadUnsigned(std::string_view text, std::size_t* at, unsigned* value) {
  const char* first = text.data() + *at;
  const char* last = text.data() + text.size();
  auto [end, ec] = std::from_chars(first, last, *value);
  if (ec != std::errc() || end == first) return false;
  *at = static_cast<std::size_t>(end - text.data());
  return true;
}

}  // namespace

bool ParseStatLine(std::string_view line, StatLine* out) {
  constexpr std::string_view kWord = "TestStat ";
  std::size_t at = line.find(kWord);
  // The word stands alone: at the start, or after the stamp and indent.
  while (at != std::string_view::npos && at != 0 && line[at - 1] != ' ') at = line.find(kWord, at + 1);
  if (at == std::string_view::npos) return false;
  at += kWord.size();
  constexpr std::string_view kCalls = " : Calls ";
  std::size_t calls_at = line.find(kCalls, at);
  if (calls_at == std::string_view::npos || calls_at == at) return false;
  StatLine s;
  s.testName = std::string(line.substr(at, calls_at - at));
  at = calls_at + kCalls.size();
  if (!ReadUnsigned(line, &at, &s.calls)) return false;
  constexpr std::string_view kAt = " @ ";
  if (line.substr(at, kAt.size()) != kAt) return false;
  at += kAt.size();
  if (!ReadUnsigned(line, &at, &s.fps)) return false;
  constexpr std::string_view kFps = "FPS";
  if (line.substr(at, kFps.size()) != kFps) return false;
  at += kFps.size();
  // An entry that continues the line (";;") may follow after a blank.
  if (at < line.size() && line[at] != ' ' && line[at] != '\r') return false;
  *out = std::move(s);
  return true;
}

std::vector<StatLine> StatLinesIn(std::string_view logText) {
  std::vector<StatLine> lines;
  std::size_t start = 0;
  while (start <= logText.size()) {
    std::size_t end = logText.find('\n', start);
    if (end == std::string_view::npos) end = logText.size();
    StatLine s;
    if (ParseStatLine(logText.substr(start, end - start), &s)) lines.push_back(std::move(s));
    start = end + 1;
  }
  return lines;
}

TestLines LinesOfTest(std::string_view logText, LogSpan span, unsigned calls) {
  TestLines out;
  std::size_t begin = std::min(span.begin, logText.size());
  std::size_t end = std::clamp(span.end, begin, logText.size());
  for (StatLine& s : StatLinesIn(logText.substr(begin, end - begin))) {
    if (s.calls != calls) continue;
    if (out.counts.empty()) out.testName = s.testName;
    out.counts.push_back(s.fps);
  }
  return out;
}
