// LogFormat: turns one message into one line of the log, with its lead,
// time stamp, sequence number, indent and kind text.
#include <cstdio>
#include <cstring>

#include "log/event_log.h"
#include "platform/win32/clock.h"

namespace {

struct Kind {
  char prefix;
  const char* text;
};

constexpr Kind kKinds[] = {
    {'S', "START"},
    {'E', "END"},
    {'M', "MESSAGE"},
    {'W', "WINDOWS_MESSAGE"},
    {'#', "--->>  WARNING  <<---"},
    {'!', "---ERROR---"},
};

int ClampDepth(int depth) {
  if (depth < 0) return 0;
  if (depth > LogState::kMaxDepth) return LogState::kMaxDepth;
  return depth;
}

}  // namespace

const char* LogFormat(const char* message) {
  LogState& log = g_LogState;
  log.depth = ClampDepth(log.depth);
  std::time_t now = ClockCalendarTime();
  ClockLocalTime(now, &LastLocalTime);

  char text[LogState::kMessageSize];
  std::snprintf(text, sizeof text, "%s", message ? message : "");
  std::size_t length = std::strlen(text);

  // A message ending in ";;" continues the line of the previous entry.
  const char* lead = "\n";
  if (length >= 2 && text[length - 1] == ';' && text[length - 2] == ';') {
    text[length - 2] = '\0';
    lead = " ";
  }

  // "X:" at the start names the kind; the letter itself becomes a blank.
  const char* kind = "";
  int depth = log.depth;
  int indent = depth;
  bool isStart = false;
  if (text[0] != '\0' && text[1] == ':') {
    for (const Kind& k : kKinds) {
      if (k.prefix != text[0]) continue;
      kind = k.text;
      text[0] = ' ';
      if (k.prefix == 'S') {
        isStart = true;
        indent = depth;
        depth = depth + 1;
      } else if (k.prefix == 'E') {
        depth = depth - 1;
        indent = depth;
        // An END right after its START closes the START's own line.
        if (log.lastWasStart) lead = "...";
      }
      break;
    }
  }
  indent = ClampDepth(indent);
  if (lead[0] == ' ') indent = 0;

  char blanks[LogState::kMaxDepth + 1];
  std::memset(blanks, ' ', static_cast<std::size_t>(indent));
  blanks[indent] = '\0';

  const std::tm& t = LastLocalTime;
  if (std::strcmp(lead, "...") == 0) {
    std::snprintf(log.line, sizeof log.line, "%s[%02d:%02d:%02d(%04d)] %s%s", lead, t.tm_hour,
                  t.tm_min, t.tm_sec, log.sequence, kind, text);
  } else {
    std::snprintf(log.line, sizeof log.line, "%s[%02d:%02d:%02d(%04d)] %s%s%s", lead, t.tm_hour,
                  t.tm_min, t.tm_sec, log.sequence, blanks, kind, text);
  }

  log.lastWasStart = isStart;
  ++log.sequence;
  log.depth = ClampDepth(depth);
  return log.line;
}
