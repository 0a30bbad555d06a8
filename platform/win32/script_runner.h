// Runs a script against the main window: delivers its commands as the
// user's input, one at a time when the message queue is empty, answers
// message boxes, open-file dialogs and dialogs, writes screenshots and
// dumps, and closes the window when the script is spent.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

#include "platform/win32/open_file_dialog.h"
#include "platform/win32/script.h"
#include "platform/win32/windows.h"

struct ScriptRunnerOptions {
  // While a `sleep` runs under a VirtualClock, each pass of the main loop
  // moves the clock on by this many milliseconds (so a second of virtual
  // time is 100 passes by default). With the system clock the loop simply
  // runs until the time has passed.
  int virtual_ms_per_pass = 10;
  // Called just before each step runs, with its index and the step itself
  // (which it may still adjust, say the length of a sleep), and once more
  // with the number of steps and null when the script is spent. For a
  // driver that follows the run as it goes; null for none.
  std::function<void(std::size_t index, ScriptStep* step)> before_step;
};

// What a script error (an unknown menu path or command id, a dialog field
// that does not exist) does. The default writes the message to stderr and
// ends the program with status 2; tests install their own.
using ScriptErrorHandler = void (*)(const std::string& message);
void SetScriptErrorHandler(ScriptErrorHandler handler);

class ScriptRunner {
 public:
  explicit ScriptRunner(Script script, ScriptRunnerOptions options = {});

  // Called by the message queue whenever it is empty at the main loop's
  // level. `waiting` is true when the loop waits for a message
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

// Makes `runner` the one the message queue consults (null: none). The
// caller keeps ownership.
void InstallScriptRunner(ScriptRunner* runner);
