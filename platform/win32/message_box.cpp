// MessageBoxA and its default answer: a line on stderr and the first button.
#include "platform/win32/message_box.h"

#include <cstdio>

namespace {

int DefaultMessageBox(HWND, const char* text, const char* caption, UINT type) {
  int answer = FirstButtonOf(type);
  std::string line = MessageBoxLine(caption, text, answer);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  return answer;
}

MessageBoxHandler g_handler = nullptr;
MessageBoxHandler g_route = nullptr;

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  MessageBoxHandler handler = g_handler ? g_handler : g_route ? g_route : DefaultMessageBox;
  return handler(owner, text ? text : "", caption ? caption : "Error", type);
}

void SetMessageBoxHandler(MessageBoxHandler handler) { g_handler = handler; }
void SetMessageBoxRoute(MessageBoxHandler route) { g_route = route; }

int FirstButtonOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
  }
}

const char* AnswerName(int answer) {
  switch (answer) {
    case IDOK: return "IDOK";
    case IDCANCEL: return "IDCANCEL";
    case IDABORT: return "IDABORT";
    case IDRETRY: return "IDRETRY";
    case IDIGNORE: return "IDIGNORE";
    case IDYES: return "IDYES";
    case IDNO: return "IDNO";
    default: return "0";
  }
}

std::string MessageBoxLine(const char* caption, const char* text, int answer) {
  std::string line = "MessageBox [";
  line += caption ? caption : "";
  line += "] ";
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '\n')
      line += "\\n";
    else if (*p != '\r')
      line += *p;
  }
  line += " -> ";
  line += AnswerName(answer);
  return line;
}
