// ScriptBackend: the runner's answers, and the wrapped backend for the rest;
// InstallScriptRunner puts it around the active backend and takes it off.
#include "platform/win32/script/script_backend.h"

#include "platform/win32/script/script_runner.h"
#include "platform/win32/window.h"

ScriptBackend::ScriptBackend(std::unique_ptr<Backend> inner, ScriptRunner* runner)
    : inner_(std::move(inner)), runner_(runner) {}

// [SECTION] Forwarded to the wrapped backend

const char* ScriptBackend::Name() const { return inner_ ? inner_->Name() : "none"; }
RECT ScriptBackend::DesktopRect() { return inner_ ? inner_->DesktopRect() : HeadlessDesktopRect(); }
void ScriptBackend::WindowCreated(HWND hwnd) {
  if (inner_) inner_->WindowCreated(hwnd);
}
void ScriptBackend::WindowDestroyed(HWND hwnd) {
  if (inner_) inner_->WindowDestroyed(hwnd);
}
void ScriptBackend::WindowChanged(HWND hwnd) {
  if (inner_) inner_->WindowChanged(hwnd);
}
void ScriptBackend::MenuChanged(HWND hwnd) {
  if (inner_) inner_->MenuChanged(hwnd);
}
void ScriptBackend::StatusBarChanged(HWND hwnd) {
  if (inner_) inner_->StatusBarChanged(hwnd);
}
void ScriptBackend::PixelsChanged(HWND hwnd) {
  if (inner_) inner_->PixelsChanged(hwnd);
}
void ScriptBackend::ControlChanged(HWND hwnd) {
  if (inner_) inner_->ControlChanged(hwnd);
}
void ScriptBackend::ProcessEvents() {
  if (inner_) inner_->ProcessEvents();
}
bool ScriptBackend::WaitForEvents() { return inner_ && inner_->WaitForEvents(); }
// Without a backend the error the caller set ("no backend") stays.
bool ScriptBackend::ScreenshotWindow(HWND hwnd, const std::string& path, std::string* error) {
  return inner_ && inner_->ScreenshotWindow(hwnd, path, error);
}

// [SECTION] Answered by the runner

bool ScriptBackend::QueueIdle(bool waiting) { return runner_->Deliver(waiting); }
void ScriptBackend::DialogStarted(HWND dialog) { runner_->DialogStarted(dialog); }
// The runner ends the dialog within two idle rounds, so the loop goes on.
bool ScriptBackend::DialogIdle(HWND dialog) {
  runner_->DialogIdle(dialog);
  return true;
}
int ScriptBackend::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return runner_->AnswerMessageBox(owner, text, caption, type);
}
bool ScriptBackend::ShowOpenFileDialog(const OPENFILENAMEA& ofn, std::string* path) {
  return runner_->AnswerOpenFile(ofn, path);
}

// [SECTION] Installing

void InstallScriptRunner(ScriptRunner* runner) {
  std::unique_ptr<Backend> backend = ReleaseBackend();
  if (auto* wrapper = dynamic_cast<ScriptBackend*>(backend.get())) backend = wrapper->ReleaseInner();
  if (runner) backend = std::make_unique<ScriptBackend>(std::move(backend), runner);
  InstallBackend(std::move(backend));
}
