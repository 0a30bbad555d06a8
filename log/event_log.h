// The event log: time-stamped, depth-indented entries appended to
// "Logfile.txt", one open-append-close per entry.
#pragma once

#include <ctime>

// The log's process-wide state, zero at start.
struct LogState {
  static constexpr int kMaxDepth = 19;
  static constexpr int kMessageSize = 500;  // working buffer: 499 characters
  static constexpr int kLineSize = 532;     // one formatted line

  bool created;         // the file was created and its header written this run
  int sequence;         // formatted entries so far; printed, then incremented
  int depth;            // nesting depth, kept in 0..kMaxDepth
  bool lastWasStart;    // the last formatted entry was a START entry
  char line[kLineSize]; // the last formatted line
  const char* applicationName;  // first line of the header; null = "Unknown App"
};

extern LogState g_LogState;

// The broken-down local time of the most recent clock reading, refreshed by
// LogCreate and every LogFormat; the main loop reads it to see the
// wall-clock second change.
extern std::tm LastLocalTime;

constexpr const char* kLogFileName = "Logfile.txt";
constexpr const char* kLogVersion = "0.0.4.2238";

// Sets the application name written as the header's first line.
void LogSetApplicationName(const char* name);

// Creates (truncates) the log file and writes its header, once per run.
// Returns false when the log was already created or the file could not be
// created; in the latter case the next call tries again.
bool LogCreate(const char* startType);

// Appends one entry. False only when the file could not be opened after the
// third attempt (the entry is then shown in a message box and lost).
bool LogWrite(const char* message);

// Formats one entry into g_LogState.line and returns it.
const char* LogFormat(const char* message);

// Create-if-needed followed by a write, the way every part of the program
// logs. The typed forms format one value with a printf-style format first.
bool LogText(const char* message);
bool LogString(const char* format, const char* value);
bool LogUnsigned(const char* format, unsigned int value);
bool LogInt(const char* format, int value);

// The folder followed by the file name (no separator added) in one shared
// 512-byte buffer, cut to fit. Valid until the next call.
const char* JoinPath(const char* folder, const char* fileName);

// Forgets everything: the next log call creates the file again. For tests.
void LogResetForTesting();
