// Runs a script against the main window: delivers its commands as the
// user's input, one at a time when the message queue is empty, answers
// message boxes, open-file dialogs and dialogs, writes screenshots and
// dumps, and closes the window when the script is spent. It reaches the
// window code as a backend (ScriptBackend) wrapped around the installed one.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "platform/win32/open_file_dialog.h"
#include "platform/win32/script/script.h"
#include "platform/win32/script/script_driver.h"
#include "platform/win32/windows.h"

// What a script error (an unknown menu path or command id, a dialog field
// that does not exist) does. The default writes the message to stderr and
// ends the program with status 2; tests install their own.
using ScriptErrorHandler = void (*)(const std::string& message);
void SetScriptErrorHandler(ScriptErrorHandler handler);

class ScriptRunner {
 public:
  explicit ScriptRunner(Script script, ScriptRunnerOptions options = {});

  // Called (through ScriptBackend::QueueIdle) whenever the message queue
  // is empty at the main loop's level. `waiting` is true when the loop waits for a message
  // (GetMessageA): a pending `frames` or `sleep` then ends at once (a sleep
  // lets its time pass first). Delivers due steps up to the first that
  // posts a message; returns true when something was posted.
  //
  // Menu paths and command ids are checked against the main window's menu
  // the first time this runs with a main window, before any step is
  // delivered; the first unknown one is reported as "script:LINE: ...".
  bool Deliver(bool waiting);

  // Answers from the script: the next `answer` (default: the box's first
  // button; an answer that is not one of the box's buttons also gives the
  // first button). Writes the box's line to stderr.
  int AnswerMessageBox(HWND owner, const char* text, const char* caption, UINT type);
  // The next `open-file` (default: cancel). True with the path.
  bool AnswerOpenFile(const OPENFILENAMEA& ofn, std::string* path);
  // A dialog ran WM_INITDIALOG: fills the controls named by the next input
  // for its script command, lets it paint, then presses OK or Cancel
  // (default: Cancel).
  void DialogStarted(HWND dialog);
  // The dialog's loop is idle and the dialog still runs (OK did not end
  // it): writes "Dialog [CAPTION] stayed open after IDOK | ID=TEXT ..."
  // with its numbered static texts to stderr and presses Cancel; if even
  // that does not end it, ends it with IDCANCEL.
  void DialogIdle(HWND dialog);

  // Every step has been delivered and the window has been asked to close.
  bool Finished() const { return closed_; }

 private:
  bool WaitsOver(bool waiting);
  bool Validate(HWND window);
  // Runs one step; true when it posted input.
  bool Run(const ScriptStep& step, HWND window);
  // Moves the answer steps that follow the current position into their
  // queues, so an answer given right after the command that needs it works.
  void TakeAnswersAhead();
  void Fail(const std::string& message);
  bool ChooseCommand(HWND window, UINT id);

  Script script_;
  ScriptRunnerOptions options_;
  size_t next_ = 0;
  LONGLONG frames_until_ = -1;
  LONGLONG sleep_until_ns_ = -1;
  std::deque<int> answers_;
  std::deque<const ScriptStep*> open_files_;
  std::deque<const ScriptStep*> dialogs_;
  bool validated_ = false;
  bool closed_ = false;
  POINT mouse_{0, 0};
  bool left_down_ = false;
  bool right_down_ = false;
  HWND dialog_ = nullptr;
  int dialog_pressed_ = 0;
};

// Wraps the active backend (or none) in a ScriptBackend of `runner`, or
// with null takes the wrapper off again, so the wrapped backend is the
// active one once more. Installing a runner replaces one installed before.
// The caller keeps ownership of the runner.
void InstallScriptRunner(ScriptRunner* runner);
