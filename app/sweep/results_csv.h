// results.csv: the facts of a sweep as "# key: value" lines above one
// row per test, mode and calls value. Written after a sweep, read back by
// the comparison.
#pragma once

#include <string>

#include "app/sweep/sweep_results.h"

// The first line of every results file, and the row of column names.
constexpr const char* kResultsMagic = "# vornel sweep results";
constexpr const char* kResultsColumns =
    "test,command_id,menu_path,mode,calls,first_second,samples,median_fps,min_fps,max_fps,"
    "median_primitives_per_second,frame";

// The whole file as text. Samples are one field, blank-separated; fields
// are quoted only when they hold a comma or a quote (or start with "#" or
// start or end with a blank); line breaks in texts become blanks.
std::string FormatResultsCsv(const SweepResults& results);
// False with *error set when the file cannot be written.
bool WriteResultsCsv(const std::string& path, const SweepResults& results, std::string* error);

// The reverse of FormatResultsCsv. False with *error set to one line for a
// file that is not a results file or holds a malformed row ("line N: ...").
bool ParseResultsCsv(const std::string& text, SweepResults* out, std::string* error);
// Reads and parses a file; an unreadable file is an error too.
bool ReadResultsCsv(const std::string& path, SweepResults* out, std::string* error);

// A frame count or median as the file and the tables print it: whole
// numbers without a fraction, halves with one digit.
std::string FormatCount(double value);
