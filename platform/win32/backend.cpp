// The active backend, and the routes of message boxes and pixel updates to
// the script and the backend.
#include "platform/win32/backend.h"

#include <cstdio>

#include "platform/win32/message_box.h"
#include "platform/win32/script_runner.h"
#include "platform/win32/ui_state.h"
#include "platform/win32/window_pixels.h"

namespace {

std::unique_ptr<Backend> g_backend;

int RoutedMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  if (ScriptRunner* runner = ActiveScriptRunner()) return runner->AnswerMessageBox(owner, text, caption, type);
  if (g_backend) return g_backend->ShowMessageBox(owner, text, caption, type);
  int answer = FirstButtonOf(type);
  std::fprintf(stderr, "%s\n", MessageBoxLine(caption, text, answer).c_str());
  return answer;
}

void PixelsListener(HWND hwnd) {
  if (g_backend) g_backend->PixelsChanged(hwnd);
}

}  // namespace

void RefreshMessageBoxRoute() {
  SetMessageBoxRoute(g_backend || ActiveScriptRunner() ? RoutedMessageBox : nullptr);
}

void InstallBackend(std::unique_ptr<Backend> backend) {
  g_backend = std::move(backend);
  RefreshMessageBoxRoute();
  SetClientPixelsListener(g_backend ? PixelsListener : nullptr);
}

Backend* ActiveBackend() { return g_backend.get(); }
