// The backend a script runner puts around the installed one: the runner
// answers message boxes, open-file dialogs and dialogs and delivers its
// steps when the queue is idle; everything else goes to the wrapped
// backend.
#pragma once

#include <memory>
#include <string>

#include "platform/win32/backend.h"

class ScriptRunner;

class ScriptBackend : public Backend {
 public:
  // `inner` may be null (no backend: the window code's headless defaults).
  // The runner stays the caller's.
  ScriptBackend(std::unique_ptr<Backend> inner, ScriptRunner* runner);

  // Hands the wrapped backend back; this one forwards nothing afterwards.
  std::unique_ptr<Backend> ReleaseInner() { return std::move(inner_); }
  Backend* inner() const { return inner_.get(); }
  ScriptRunner* runner() const { return runner_; }

  const char* Name() const override;
  RECT DesktopRect() override;
  void WindowCreated(HWND hwnd) override;
  void WindowDestroyed(HWND hwnd) override;
  void WindowChanged(HWND hwnd) override;
  void MenuChanged(HWND hwnd) override;
  void StatusBarChanged(HWND hwnd) override;
  void PixelsChanged(HWND hwnd) override;
  void ControlChanged(HWND hwnd) override;
  void ProcessEvents() override;
  bool WaitForEvents() override;
  bool ScreenshotWindow(HWND hwnd, const std::string& path, std::string* error) override;

  // The runner's part. The wrapped backend never shows the dialogs the
  // script answers, so it hears neither their start nor their end.
  bool QueueIdle(bool waiting) override;
  void DialogStarted(HWND dialog) override;
  void DialogEnded(HWND) override {}
  bool DialogIdle(HWND dialog) override;
  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  bool ShowOpenFileDialog(const OPENFILENAMEA& ofn, std::string* path) override;
  bool ShowsDialogs() const override { return true; }

 private:
  std::unique_ptr<Backend> inner_;
  ScriptRunner* runner_;
};
