// The active backend, and the routes of message boxes and pixel updates to
// it.
#include "platform/win32/backend.h"

#include "platform/win32/message_box.h"
#include "platform/win32/window_pixels.h"

namespace {

std::unique_ptr<Backend> g_backend;

// Installed only while a backend is, so without one MessageBoxA keeps its
// default answer.
int RoutedMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return g_backend->ShowMessageBox(owner, text, caption, type);
}

void PixelsListener(HWND hwnd) {
  if (g_backend) g_backend->PixelsChanged(hwnd);
}

void RefreshRoutes() {
  SetMessageBoxRoute(g_backend ? RoutedMessageBox : nullptr);
  SetClientPixelsListener(g_backend ? PixelsListener : nullptr);
}

}  // namespace

void InstallBackend(std::unique_ptr<Backend> backend) {
  g_backend = std::move(backend);
  RefreshRoutes();
}

Backend* ActiveBackend() { return g_backend.get(); }

std::unique_ptr<Backend> ReleaseBackend() {
  std::unique_ptr<Backend> out = std::move(g_backend);
  RefreshRoutes();
  return out;
}
