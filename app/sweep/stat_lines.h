// Reading the main loop's "TestStat %s : Calls %u @ %uFPS" entries back
// from the event log, and giving each test of a sweep the ones written
// while it ran.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct StatLine {
  std::string testName;  // "void TestRenderLines()"
  unsigned calls = 0;
  unsigned fps = 0;
};

// One line of the log (its time stamp and indent may come first). False
// for anything that is not a whole statistics entry.
bool ParseStatLine(std::string_view line, StatLine* out);

// Every statistics entry in a piece of the log, in order.
std::vector<StatLine> StatLinesIn(std::string_view logText);

// The part of the log one test of a sweep owns: from the byte where the
// log stood when its command was given to where it stood when the next
// test's settings began.
struct LogSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The frame counts of the statistics entries in the span taken at this
// calls value, and the test name the first of them gives.
struct TestLines {
  std::string testName;
  std::vector<unsigned> counts;
};
TestLines LinesOfTest(std::string_view logText, LogSpan span, unsigned calls);
