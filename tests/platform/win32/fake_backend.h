// A backend for tests that records every call it gets, as one line each
// ("created", "message-box CAPTION", "idle waiting", ...), answers with
// what the test set, and counts how often it is destroyed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/backend.h"
#include "platform/win32/message_box.h"

namespace win32_test {

class FakeBackend : public Backend {
 public:
  struct Record {
    std::vector<std::string> calls;
    int destroyed = 0;
  };

  explicit FakeBackend(Record* record) : record_(record) {}
  ~FakeBackend() override { ++record_->destroyed; }

  // What it answers.
  RECT desktop{0, 0, 800, 600};
  int message_box_answer = IDNO;
  bool shows_dialogs = true;
  bool screenshot_result = true;
  // Run on QueueIdle; its result is QueueIdle's.
  std::function<bool(bool waiting)> on_queue_idle;

  const char* Name() const override { return "fake"; }
  RECT DesktopRect() override { return desktop; }
  void WindowCreated(HWND) override { Note("created"); }
  void WindowDestroyed(HWND) override { Note("destroyed"); }
  void WindowChanged(HWND) override { Note("window-changed"); }
  void MenuChanged(HWND) override { Note("menu-changed"); }
  void StatusBarChanged(HWND) override { Note("status-changed"); }
  void PixelsChanged(HWND) override { Note("pixels-changed"); }
  void ControlChanged(HWND) override { Note("control-changed"); }
  void DialogStarted(HWND) override { Note("dialog-started"); }
  void DialogEnded(HWND) override { Note("dialog-ended"); }
  void ProcessEvents() override { Note("process-events"); }
  bool WaitForEvents() override {
    Note("wait");
    return false;
  }
  bool QueueIdle(bool waiting) override {
    Note(waiting ? "idle waiting" : "idle");
    return on_queue_idle ? on_queue_idle(waiting) : false;
  }
  bool DialogIdle(HWND) override {
    Note("dialog-idle");
    return false;
  }
  int ShowMessageBox(HWND, const char*, const char* caption, UINT) override {
    Note(std::string("message-box ") + caption);
    return message_box_answer;
  }
  bool ShowOpenFileDialog(const OPENFILENAMEA&, std::string* path) override {
    Note("open-file");
    *path = "/from/the/fake.bmp";
    return true;
  }
  bool ShowsDialogs() const override { return shows_dialogs; }
  bool ScreenshotWindow(HWND, const std::string& path, std::string* error) override {
    Note("screenshot-window " + path);
    if (!screenshot_result && error) *error = "the fake says no";
    return screenshot_result;
  }

  // How many calls of `what` it got.
  int Count(const std::string& what) const {
    int n = 0;
    for (const std::string& c : record_->calls) n += c == what;
    return n;
  }

 private:
  void Note(std::string what) { record_->calls.push_back(std::move(what)); }
  Record* record_;
};

}  // namespace win32_test
