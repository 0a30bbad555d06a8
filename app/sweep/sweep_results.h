// The results of a sweep as one record: the facts about the run (key and
// value pairs) and one row per test, mode and calls value.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/sweep/sample_statistics.h"

struct SweepRow {
  std::string testName;  // as the "TestStat" lines name it: "void TestRenderLines()"
  unsigned commandId = 0;
  std::string menuPath;  // "&Tests/&2D Tests/&Lines/&Render Lines"
  std::string mode;      // "random", "static" or "defined"
  unsigned calls = 1;    // calls per frame
  SecondCounts seconds;  // the partial first second and the full ones
  SampleStats stats;     // of seconds.samples
  std::string frame;     // the first frame's picture, relative to the output folder
};

struct SweepResults {
  std::vector<std::pair<std::string, std::string>> facts;  // the "# key: value" lines
  std::vector<SweepRow> rows;
};

// Primitives drawn per second at the median: one primitive per call (a
// line, a box, a bar, a polygon, a text, a copy), calls per frame times
// frames per second. 0 without statistics.
double MedianPrimitivesPerSecond(const SweepRow& row);

// The menu path as a reader wants it: without the "&Tests/" root and
// without the "&" marks ("2D Tests/Lines/Render Lines").
std::string DisplayPath(const std::string& menuPath);

// The value of a fact, or "" when the results do not have it.
std::string FactValue(const SweepResults& results, const std::string& key);
