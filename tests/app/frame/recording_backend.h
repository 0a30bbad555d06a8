// A backend for the harness's in-process runs: it answers as the headless
// one does unless a test gives it something to do on an event (a present,
// a status-bar change, the queue running empty, a dialog, the open-file
// dialog, a window going away), and writes a 24-bit bitmap file for the
// pictures the program reads.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/backend.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"

namespace app_test {

class RecordingBackend : public Backend {
 public:
  RECT desktop{0, 0, 1600, 1000};
  bool shows_dialogs = false;
  std::function<void(HWND)> on_pixels, on_status, on_window_changed, on_destroyed, on_dialog;
  // Its result is QueueIdle's: true when it posted something.
  std::function<bool(bool waiting)> on_queue_idle;
  // The open-file answer: empty cancels. Each request is kept.
  std::string open_file_path;
  std::vector<OPENFILENAMEA> open_file_requests;
  std::vector<std::string> open_file_buffers;  // lpstrFile as the dialog found it

  const char* Name() const override { return "recording"; }
  RECT DesktopRect() override { return desktop; }
  void WindowDestroyed(HWND hwnd) override {
    if (on_destroyed) on_destroyed(hwnd);
  }
  void WindowChanged(HWND hwnd) override {
    if (on_window_changed) on_window_changed(hwnd);
  }
  void StatusBarChanged(HWND hwnd) override {
    if (on_status) on_status(hwnd);
  }
  void PixelsChanged(HWND hwnd) override {
    if (on_pixels) on_pixels(hwnd);
  }
  void DialogStarted(HWND dialog) override {
    if (on_dialog) on_dialog(dialog);
  }
  // A dialog's loop found nothing to do: it is cancelled.
  int dialog_idles = 0;
  bool DialogIdle(HWND) override {
    ++dialog_idles;
    return false;
  }
  bool QueueIdle(bool waiting) override { return on_queue_idle ? on_queue_idle(waiting) : false; }
  int ShowMessageBox(HWND, const char*, const char*, UINT type) override { return FirstButtonOf(type); }
  bool ShowOpenFileDialog(const OPENFILENAMEA& ofn, std::string* path) override {
    open_file_requests.push_back(ofn);
    open_file_buffers.push_back(ofn.lpstrFile ? ofn.lpstrFile : "");
    if (open_file_path.empty()) return false;
    *path = open_file_path;
    return true;
  }
  bool ShowsDialogs() const override { return shows_dialogs; }
  bool ScreenshotWindow(HWND, const std::string&, std::string*) override { return false; }
};

// A bottom-up 24-bit bitmap whose pixel (x, y), y from the top, is
// colour(x, y) as 0x00RRGGBB.
inline void WriteBitmap(const std::string& name, int width, int height,
                        const std::function<std::uint32_t(int, int)>& colour) {
  const int row = (width * 3 + 3) & ~3;
  const std::uint32_t size = 54u + static_cast<std::uint32_t>(row * height);
  std::vector<unsigned char> b(size, 0);
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = 24;
  put32(34, static_cast<std::uint32_t>(row * height));
  for (int y = 0; y < height; ++y) {
    unsigned char* p = &b[54 + (height - 1 - y) * row];
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = colour(x, y);
      p[3 * x] = static_cast<unsigned char>(c);
      p[3 * x + 1] = static_cast<unsigned char>(c >> 8);
      p[3 * x + 2] = static_cast<unsigned char>(c >> 16);
    }
  }
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), size);
}

// Colour of a picture in four quadrants: red, green above; blue, white below.
inline std::uint32_t Quadrant(int x, int y, int width, int height) {
  const bool right = x >= width / 2, lower = y >= height / 2;
  if (!lower) return right ? 0x00FF00u : 0xFF0000u;
  return right ? 0xFFFFFFu : 0x0000FFu;
}

}  // namespace app_test
