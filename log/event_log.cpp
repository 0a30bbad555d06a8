// The event log file: creation with its header, appending entries with
// retries, and the typed logging helpers.
#include "log/event_log.h"

#include <cstdio>
#include <cstring>

#include "platform/win32/clock.h"
#include "platform/win32/files.h"
#include "platform/win32/message_box.h"

LogState g_LogState;
std::tm LastLocalTime;

namespace {

constexpr int kPathSize = 512;
char g_path[kPathSize];

const char* ApplicationName() {
  return g_LogState.applicationName ? g_LogState.applicationName : "Unknown App";
}

// Opens the log for appending: up to three attempts 100 ms apart. The note
// of a recovered attempt is written into the file before the entry.
std::FILE* OpenForAppend() {
  static const char* const kRecovered[] = {
      nullptr,
      "1st stage MAJOR LOGFILE WRITE ERROR RECOVERED!!!!",
      "2nd stage MAJOR LOGFILE WRITE ERROR RECOVERED!!!!",
  };
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(100);
    if (std::FILE* f = OpenFile(kLogFileName, "a")) {
      if (kRecovered[attempt]) std::fputs(kRecovered[attempt], f);
      return f;
    }
  }
  return nullptr;
}

}  // namespace

void LogSetApplicationName(const char* name) { g_LogState.applicationName = name; }

bool LogCreate(const char* startType) {
  if (g_LogState.created) return false;
  std::FILE* f = OpenFile(kLogFileName, "wt");
  if (!f) return false;
  std::time_t now = ClockCalendarTime();
  ClockLocalTime(now, &LastLocalTime);
  const std::tm& t = LastLocalTime;
  std::fputs(ApplicationName(), f);
  std::fputs("\n============================\n[Event log]\n-----------\n\n", f);
  std::fprintf(f, "Compiled on %s at %s\n", __DATE__, __TIME__);
  std::fprintf(f,
               "Logfile Created at %02d:%02d:%02d on %02d:%02d:%04d\nVersion %s\nStart Type %s\n\n",
               t.tm_hour, t.tm_min, t.tm_sec, t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
               kLogVersion, startType ? startType : "");
  std::fclose(f);
  g_LogState.created = true;
  return true;
}

bool LogWrite(const char* message) {
  if (!message) message = "";
  std::FILE* f = OpenForAppend();
  if (!f) {
    MessageBoxA(nullptr, LogFormat(message), "Failed to write to log file!", MB_OK);
    return false;
  }
  if (message[0] == '\0')
    std::fputs("NULL EVENT...why???", f);
  else if (message[0] == ';')
    std::fputs(message + 1, f);
  else
    std::fputs(LogFormat(message), f);
  std::fclose(f);
  return true;
}

bool LogText(const char* message) {
  LogCreate("NULL");
  return LogWrite(message);
}

// The typed forms format their one value with the caller's format; the
// format comes from the program's own texts, never from input.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
bool LogString(const char* format, const char* value) {
  LogCreate("CHAR");
  char text[LogState::kMessageSize];
  std::snprintf(text, sizeof text, format ? format : "", value ? value : "(null)");
  return LogWrite(text);
}

bool LogUnsigned(const char* format, unsigned int value) {
  LogCreate("UNSIGNED INT");
  char text[LogState::kMessageSize];
  std::snprintf(text, sizeof text, format ? format : "", value);
  return LogWrite(text);
}

bool LogInt(const char* format, int value) {
  LogCreate("INT");
  char text[LogState::kMessageSize];
  std::snprintf(text, sizeof text, format ? format : "", value);
  return LogWrite(text);
}
#pragma GCC diagnostic pop

const char* JoinPath(const char* folder, const char* fileName) {
  if (!folder) LogText("!: path is null");
  std::snprintf(g_path, sizeof g_path, "%s%s", folder ? folder : "", fileName ? fileName : "");
  return g_path;
}

void LogResetForTesting() {
  g_LogState = LogState{};
  LastLocalTime = std::tm{};
}
