// The headless backend: the desktop of SetHeadlessDesktopSize, message
// boxes answered with their first button, open-file dialogs and dialogs
// cancelled, and window screenshots made of the client pixels.
#include "platform/win32/headless/headless_backend.h"

#include <cstdio>

#include "platform/win32/message_box.h"
#include "platform/win32/png_file.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace {

class HeadlessBackend : public Backend {
 public:
  const char* Name() const override { return "headless"; }
  RECT DesktopRect() override { return HeadlessDesktopRect(); }

  // Nothing arrives from outside: only the script posts input.
  bool WaitForEvents() override { return false; }

  int ShowMessageBox(HWND, const char* text, const char* caption, UINT type) override {
    int answer = FirstButtonOf(type);
    std::fprintf(stderr, "%s\n", MessageBoxLine(caption, text, answer).c_str());
    std::fflush(stderr);
    return answer;
  }

  bool ShowOpenFileDialog(const OPENFILENAMEA&, std::string*) override { return false; }
  bool ShowsDialogs() const override { return false; }

  // There is no frame or menu bar to draw: the window's picture is its
  // client pixels.
  bool ScreenshotWindow(HWND hwnd, const std::string& path, std::string* error) override {
    ClientPixels px{};
    if (!GetClientPixels(hwnd, &px)) {
      if (error) *error = "the window has no pixels";
      return false;
    }
    return WritePixelsPng(path.c_str(), px.data, px.width, px.height, px.pitch, error);
  }
};

}  // namespace

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }
