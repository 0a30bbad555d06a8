// The script runner: delivery of steps at the main loop's pace, the
// scripted answers of boxes and dialogs, screenshots and dumps.
#include "platform/win32/script/script_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/win32/backend.h"
#include "platform/win32/clock.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/files.h"
#include "platform/win32/menu.h"
#include "platform/win32/message_box.h"
#include "platform/win32/messages.h"
#include "platform/win32/png_file.h"
#include "platform/win32/status_bar.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace {

void DefaultScriptError(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  std::exit(2);
}

ScriptErrorHandler g_error_handler = DefaultScriptError;

std::string Where(const ScriptStep& s) { return "script:" + std::to_string(s.line) + ": "; }

bool IsAnswerStep(ScriptOp op) { return op == ScriptOp::kAnswer || op == ScriptOp::kOpenFile || op == ScriptOp::kDialog; }

bool AnswerFits(int answer, UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return answer == IDOK;
    case MB_OKCANCEL: return answer == IDOK || answer == IDCANCEL;
    case MB_ABORTRETRYIGNORE: return answer == IDABORT || answer == IDRETRY || answer == IDIGNORE;
    case MB_YESNOCANCEL: return answer == IDYES || answer == IDNO || answer == IDCANCEL;
    case MB_YESNO: return answer == IDYES || answer == IDNO;
    case MB_RETRYCANCEL: return answer == IDRETRY || answer == IDCANCEL;
    default: return false;
  }
}

bool FindExit(HMENU menu, UINT* id) {
  for (const MenuCommandEntry& e : ListMenuCommands(menu)) {
    size_t slash = e.path.find_last_of('/');
    std::string last = slash == std::string::npos ? e.path : e.path.substr(slash + 1);
    if (last == "E&xit") {
      *id = e.id;
      return true;
    }
  }
  return false;
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::FILE* f = OpenFile(path.c_str(), "wb");
  if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size()) {
    std::fprintf(stderr, "cannot write \"%s\"\n", path.c_str());
    if (f) std::fclose(f);
    return;
  }
  if (std::fclose(f) != 0) std::fprintf(stderr, "cannot write \"%s\"\n", path.c_str());
}

LPARAM KeyParam(bool alt, bool up) {
  LPARAM l = 1;
  if (alt) l |= KF_ALTDOWN_BIT;
  if (up) l |= KF_REPEAT_BIT | KF_UP_BIT;
  return l;
}

}  // namespace

void SetScriptErrorHandler(ScriptErrorHandler handler) { g_error_handler = handler ? handler : DefaultScriptError; }

ScriptRunner::ScriptRunner(Script script, ScriptRunnerOptions options)
    : script_(std::move(script)), options_(options) {
  if (options_.virtual_ms_per_pass <= 0) options_.virtual_ms_per_pass = 10;
}

void ScriptRunner::Fail(const std::string& message) {
  next_ = script_.steps.size();
  frames_until_ = sleep_until_ns_ = -1;
  g_error_handler(message);
}

// [SECTION] Delivery

bool ScriptRunner::WaitsOver(bool waiting) {
  if (frames_until_ >= 0) {
    if (!waiting && MainLoopPasses() < frames_until_) return false;
    frames_until_ = -1;
  }
  if (sleep_until_ns_ >= 0) {
    ClockSource& clock = ActiveClock();
    auto* virtual_clock = dynamic_cast<VirtualClock*>(&clock);
    LONGLONG left = sleep_until_ns_ - clock.MonotonicNanoseconds();
    if (left > 0) {
      if (waiting) {
        if (virtual_clock)
          virtual_clock->AdvanceNanoseconds(left);
        else
          Sleep(static_cast<DWORD>((left + 999999) / 1000000));
      } else if (virtual_clock) {
        virtual_clock->AdvanceNanoseconds(std::min<LONGLONG>(left, LONGLONG{options_.virtual_ms_per_pass} * 1000000));
        if (sleep_until_ns_ - clock.MonotonicNanoseconds() > 0) return false;
      } else {
        return false;
      }
    }
    sleep_until_ns_ = -1;
  }
  return true;
}

bool ScriptRunner::Validate(HWND window) {
  HMENU menu = GetMenu(window);
  for (size_t i = next_; i < script_.steps.size(); ++i) {
    const ScriptStep& s = script_.steps[i];
    if (s.op == ScriptOp::kMenu && !FindMenuCommand(menu, s.text, nullptr)) {
      Fail(Where(s) + "unknown menu path \"" + s.text + "\"");
      return false;
    }
    if (s.op == ScriptOp::kCommand && menu && !MenuHasCommand(menu, static_cast<UINT>(s.number))) {
      Fail(Where(s) + "command id " + std::to_string(s.number) + " is not in the menu");
      return false;
    }
  }
  return true;
}

bool ScriptRunner::Deliver(bool waiting) {
  HWND window = MainScriptWindow();
  if (!window) return false;
  if (!validated_) {
    validated_ = true;
    if (!Validate(window)) {
      closed_ = true;
      PostMessageA(window, WM_CLOSE, 0, 0);
      return true;
    }
  }
  for (;;) {
    if (!WaitsOver(waiting)) return false;
    if (next_ >= script_.steps.size()) break;
    const std::size_t index = next_++;
    ScriptStep& step = script_.steps[index];
    if (options_.before_step) options_.before_step(index, &step);
    if (Run(step, window)) return true;
  }
  if (closed_) return false;
  if (options_.before_step) options_.before_step(script_.steps.size(), nullptr);
  // Spent: close the window as its user would.
  closed_ = true;
  PostMessageA(window, WM_CLOSE, 0, 0);
  return true;
}

bool ScriptRunner::ChooseCommand(HWND window, UINT id) {
  // As a menu choice: the menu opens (WM_INITMENU, so the window procedure
  // sets its check marks), waits a moment, and the command follows.
  if (HMENU menu = GetMenu(window)) {
    SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    SendMessageA(window, WM_ENTERIDLE, MSGF_MENU, 0);
  }
  if (!IsWindow(window)) return false;
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return true;
}

bool ScriptRunner::Run(const ScriptStep& s, HWND window) {
  switch (s.op) {
    case ScriptOp::kCommand: return ChooseCommand(window, static_cast<UINT>(s.number));
    case ScriptOp::kMenu: {
      UINT id = 0;
      if (!FindMenuCommand(GetMenu(window), s.text, &id)) {
        Fail(Where(s) + "unknown menu path \"" + s.text + "\"");
        return false;
      }
      return ChooseCommand(window, id);
    }
    case ScriptOp::kQuit: {
      UINT id = 0;
      if (FindExit(GetMenu(window), &id)) return ChooseCommand(window, id);
      PostMessageA(window, WM_CLOSE, 0, 0);
      return true;
    }
    case ScriptOp::kKey: {
      const ScriptKey& k = s.key;
      if (k.shift) PostMessageA(window, k.alt ? WM_SYSKEYDOWN : WM_KEYDOWN, VK_SHIFT, KeyParam(k.alt, false));
      if (k.ctrl) PostMessageA(window, WM_KEYDOWN, VK_CONTROL, KeyParam(false, false));
      if (k.alt) PostMessageA(window, WM_SYSKEYDOWN, VK_MENU, KeyParam(true, false));
      UINT down = k.alt && !k.ctrl ? WM_SYSKEYDOWN : WM_KEYDOWN;
      UINT up = k.alt && !k.ctrl ? WM_SYSKEYUP : WM_KEYUP;
      PostMessageA(window, down, static_cast<WPARAM>(k.vk), KeyParam(k.alt, false));
      PostMessageA(window, up, static_cast<WPARAM>(k.vk), KeyParam(k.alt, true));
      if (k.alt) PostMessageA(window, WM_KEYUP, VK_MENU, KeyParam(false, true));
      if (k.ctrl) PostMessageA(window, WM_KEYUP, VK_CONTROL, KeyParam(false, true));
      if (k.shift) PostMessageA(window, WM_KEYUP, VK_SHIFT, KeyParam(false, true));
      return true;
    }
    case ScriptOp::kMouseMove:
    case ScriptOp::kMouseDown:
    case ScriptOp::kMouseUp: {
      UINT message = WM_MOUSEMOVE;
      if (s.op == ScriptOp::kMouseMove) {
        mouse_ = POINT{static_cast<LONG>(s.number), static_cast<LONG>(s.number2)};
      } else {
        bool down = s.op == ScriptOp::kMouseDown;
        (s.right ? right_down_ : left_down_) = down;
        message = s.right ? (down ? WM_RBUTTONDOWN : WM_RBUTTONUP) : (down ? WM_LBUTTONDOWN : WM_LBUTTONUP);
      }
      WPARAM buttons = (left_down_ ? MK_LBUTTON : 0) | (right_down_ ? MK_RBUTTON : 0);
      PostMessageA(window, message, buttons, MAKELPARAM(mouse_.x, mouse_.y));
      return true;
    }
    case ScriptOp::kFrames: frames_until_ = MainLoopPasses() + s.number; return false;
    case ScriptOp::kSleep:
      sleep_until_ns_ = ActiveClock().MonotonicNanoseconds() + s.number * 1000000;
      return false;
    case ScriptOp::kAnswer: answers_.push_back(s.answer); return false;
    case ScriptOp::kOpenFile: open_files_.push_back(&s); return false;
    case ScriptOp::kDialog: dialogs_.push_back(&s); return false;
    case ScriptOp::kScreenshot: {
      ClientPixels px{};
      std::string error = "the window has no pixels";
      if (!GetClientPixels(window, &px) || !WritePixelsPng(s.text.c_str(), px.data, px.width, px.height, px.pitch, &error))
        std::fprintf(stderr, "%sscreenshot \"%s\" not written: %s\n", Where(s).c_str(), s.text.c_str(), error.c_str());
      return false;
    }
    case ScriptOp::kScreenshotWindow: {
      std::string error = "no backend";
      Backend* b = ActiveBackend();
      if (!b || !b->ScreenshotWindow(window, s.text, &error))
        std::fprintf(stderr, "%sscreenshot-window \"%s\" not written: %s\n", Where(s).c_str(), s.text.c_str(),
                     error.c_str());
      return false;
    }
    case ScriptOp::kDumpMenu: {
      HMENU menu = GetMenu(window);
      if (menu) SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
      std::string text;
      if (IsWindow(window))
        for (const MenuCommandEntry& e : ListMenuCommands(GetMenu(window)))
          text += std::to_string(e.id) + "\t" + ((e.state & MFS_CHECKED) ? "1" : "0") + "\t" + e.path + "\n";
      WriteTextFile(s.text, text);
      return false;
    }
    case ScriptOp::kDumpStatus: {
      std::string text;
      std::vector<StatusBarPart> parts = StatusBarParts(FindStatusBar(window));
      for (size_t i = 0; i < parts.size(); ++i) text += std::to_string(i) + "\t" + parts[i].text + "\n";
      WriteTextFile(s.text, text);
      return false;
    }
  }
  return false;
}

// [SECTION] Answers

void ScriptRunner::TakeAnswersAhead() {
  while (next_ < script_.steps.size() && IsAnswerStep(script_.steps[next_].op)) {
    HWND none = nullptr;
    Run(script_.steps[next_++], none);
  }
}

int ScriptRunner::AnswerMessageBox(HWND, const char* text, const char* caption, UINT type) {
  if (answers_.empty()) TakeAnswersAhead();
  int answer = FirstButtonOf(type);
  if (!answers_.empty()) {
    if (AnswerFits(answers_.front(), type)) answer = answers_.front();
    answers_.pop_front();
  }
  std::fprintf(stderr, "%s\n", MessageBoxLine(caption, text, answer).c_str());
  std::fflush(stderr);
  return answer;
}

bool ScriptRunner::AnswerOpenFile(const OPENFILENAMEA&, std::string* path) {
  if (open_files_.empty()) TakeAnswersAhead();
  if (open_files_.empty()) return false;
  const ScriptStep* s = open_files_.front();
  open_files_.pop_front();
  if (s->cancel) return false;
  *path = s->text;
  return true;
}

void ScriptRunner::DialogStarted(HWND dialog) {
  const DialogTemplate* t = DialogTemplateOf(dialog);
  dialog_ = dialog;
  dialog_pressed_ = IDCANCEL;
  const ScriptStep* input = nullptr;
  auto take = [&] {
    for (auto it = dialogs_.begin(); it != dialogs_.end(); ++it)
      if (t && !t->script_command.empty() && (*it)->text == t->script_command) {
        input = *it;
        dialogs_.erase(it);
        return;
      }
  };
  take();
  if (!input) {
    TakeAnswersAhead();
    take();
  }
  if (input) {
    for (const auto& [key, value] : input->fields) {
      const DialogControl* control = nullptr;
      for (const DialogControl& c : t->controls)
        if (c.script_key == key) control = &c;
      if (!control) {
        PressDialogButton(dialog, IDCANCEL);
        Fail(Where(*input) + "the dialog \"" + t->caption + "\" has no field \"" + key + "\"");
        return;
      }
      HWND ctl = GetDlgItem(dialog, control->id);
      LRESULT at = control->kind == DialogControlKind::kComboBox
                       ? SendMessageA(ctl, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.c_str()))
                       : CB_ERR;
      if (at != CB_ERR)
        SendMessageA(ctl, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
      else
        SetWindowTextA(ctl, value.c_str());
    }
    dialog_pressed_ = input->answer;
  }
  // The dialog shows (and paints) before the user presses a button.
  InvalidateRect(dialog, nullptr, TRUE);
  UpdateWindow(dialog);
  if (DialogIsRunning(dialog)) PressDialogButton(dialog, dialog_pressed_);
}

void ScriptRunner::DialogIdle(HWND dialog) {
  if (dialog != dialog_ || dialog_pressed_ == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return;
  }
  const DialogTemplate* t = DialogTemplateOf(dialog);
  std::string line = "Dialog [" + (t ? t->caption : std::string()) + "] stayed open after " + AnswerName(dialog_pressed_);
  if (t)
    for (const DialogControl& c : t->controls)
      if (c.kind == DialogControlKind::kStatic && c.id != IDC_STATIC) {
        char text[512];
        GetDlgItemTextA(dialog, c.id, text, sizeof(text));
        line += " | " + std::to_string(c.id) + "=" + text;
      }
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  dialog_pressed_ = IDCANCEL;
  PressDialogButton(dialog, IDCANCEL);
}
