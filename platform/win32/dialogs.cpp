// Modal dialogs: the dialog window and its controls made from a
// description, the dialog's own message loop, and the control calls.
#include "platform/win32/dialogs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/win32/backend.h"
#include "platform/win32/message_box.h"
#include "platform/win32/resources.h"
#include "platform/win32/ui_state.h"
#include "platform/win32/window.h"

namespace {

constexpr char kDialogClass[] = "#32770";

// A running (or ended, not yet destroyed) modal dialog.
struct DialogState {
  const DialogTemplate* description = nullptr;
  DLGPROC proc = nullptr;
  HWND owner = nullptr;
  bool ended = false;
  INT_PTR result = 0;
};

// A control's style from its description, and a combo box's list.
struct ControlState {
  DWORD style = 0;
  std::vector<std::string> combo_items;
  int combo_selection = -1;
};

std::map<HWND, DialogState>& Dialogs() {
  static std::map<HWND, DialogState> dialogs;
  return dialogs;
}

std::map<HWND, ControlState>& Controls() {
  static std::map<HWND, ControlState> controls;
  return controls;
}

DialogState* FindDialog(HWND hwnd) {
  auto it = Dialogs().find(hwnd);
  return it == Dialogs().end() ? nullptr : &it->second;
}

void ForgetDialogWindow(HWND hwnd) {
  Dialogs().erase(hwnd);
  Controls().erase(hwnd);
}

int ToPixelsX(int units) { return units * 3 / 2; }
int ToPixelsY(int units) { return units * 13 / 8; }

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

LRESULT TextControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT r = DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_SETTEXT) NotifyControlChanged(hwnd);
  return r;
}

LRESULT ComboProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w) return 0;
  ControlState& c = Controls()[hwnd];
  auto& items = c.combo_items;
  auto count = static_cast<LRESULT>(items.size());
  const char* text = reinterpret_cast<const char*>(lParam);
  auto index = static_cast<LRESULT>(static_cast<int>(wParam));
  switch (message) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      std::string s = text ? text : "";
      size_t at = items.size();
      if (message == CB_INSERTSTRING && index >= 0) {
        if (index > count) return CB_ERR;
        at = static_cast<size_t>(index);
      } else if (message == CB_ADDSTRING && (c.style & CBS_SORT)) {
        at = 0;
        while (at < items.size() && CompareNoCase(items[at], s) <= 0) ++at;
      }
      items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), s);
      if (c.combo_selection >= static_cast<int>(at)) ++c.combo_selection;
      NotifyControlChanged(hwnd);
      return static_cast<LRESULT>(at);
    }
    case CB_DELETESTRING:
      if (index < 0 || index >= count) return CB_ERR;
      items.erase(items.begin() + index);
      if (c.combo_selection == static_cast<int>(index)) c.combo_selection = -1;
      else if (c.combo_selection > static_cast<int>(index)) --c.combo_selection;
      NotifyControlChanged(hwnd);
      return count - 1;
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return c.combo_selection < 0 ? CB_ERR : c.combo_selection;
    case CB_SETCURSEL:
      if (index < 0 || index >= count) {
        c.combo_selection = -1;
        if (index < 0) w->text.clear();
        NotifyControlChanged(hwnd);
        return CB_ERR;
      }
      c.combo_selection = static_cast<int>(index);
      w->text = items[static_cast<size_t>(index)];
      NotifyControlChanged(hwnd);
      return index;
    case CB_GETLBTEXT:
      if (index < 0 || index >= count || !lParam) return CB_ERR;
      std::memcpy(reinterpret_cast<char*>(lParam), items[static_cast<size_t>(index)].c_str(),
                  items[static_cast<size_t>(index)].size() + 1);
      return static_cast<LRESULT>(items[static_cast<size_t>(index)].size());
    case CB_GETLBTEXTLEN:
      if (index < 0 || index >= count) return CB_ERR;
      return static_cast<LRESULT>(items[static_cast<size_t>(index)].size());
    case CB_RESETCONTENT:
      items.clear();
      c.combo_selection = -1;
      NotifyControlChanged(hwnd);
      return CB_OKAY;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SELECTSTRING: {
      std::string s = text ? text : "";
      // The search starts after `index` and wraps around, as Windows does.
      for (LRESULT k = 0; k < count; ++k) {
        LRESULT i = (index + 1 + k + count) % count;
        const std::string& item = items[static_cast<size_t>(i)];
        bool hit = message == CB_FINDSTRINGEXACT ? CompareNoCase(item, s) == 0
                                                 : CompareNoCase(item.substr(0, s.size()), s) == 0;
        if (!hit) continue;
        if (message == CB_SELECTSTRING) {
          c.combo_selection = static_cast<int>(i);
          w->text = item;
          NotifyControlChanged(hwnd);
        }
        return i;
      }
      return CB_ERR;
    }
    default: return TextControlProc(hwnd, message, wParam, lParam);
  }
}

void RegisterDialogClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  struct {
    const char* name;
    WNDPROC proc;
  } classes[] = {{"STATIC", TextControlProc}, {"EDIT", TextControlProc}, {"BUTTON", TextControlProc},
                 {"COMBOBOX", ComboProc}};
  for (auto& c : classes) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = c.proc;
    wc.lpszClassName = c.name;
    RegisterClassExA(&wc);
  }
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    DialogState* d = FindDialog(hwnd);
    if (d && d->proc) {
      INT_PTR handled = d->proc(hwnd, message, wParam, lParam);
      if (message == WM_INITDIALOG || handled) return handled;
    }
    // What the dialog procedure leaves alone: closing is Cancel, painting
    // validates, and nothing is destroyed before EndDialog.
    if (message == WM_CLOSE) {
      PressDialogButton(hwnd, IDCANCEL);
      return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  };
  wc.lpszClassName = kDialogClass;
  RegisterClassExA(&wc);
  AddWindowForgetter(ForgetDialogWindow);
}

const char* ClassOf(DialogControlKind kind) {
  switch (kind) {
    case DialogControlKind::kStatic:
    case DialogControlKind::kIcon: return "STATIC";
    case DialogControlKind::kEdit: return "EDIT";
    case DialogControlKind::kComboBox: return "COMBOBOX";
    default: return "BUTTON";
  }
}

HWND CreateDialogWindow(const DialogTemplate& t, HWND owner, DLGPROC proc) {
  RegisterDialogClasses();
  DWORD style = (t.style & ~(WS_VISIBLE | WS_CHILD)) | WS_POPUP;
  RECT r{0, 0, ToPixelsX(t.cx), ToPixelsY(t.cy)};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  int w = r.right - r.left, h = r.bottom - r.top;
  RECT centre{};
  if (!GetWindowRect(owner, &centre)) GetWindowRect(GetDesktopWindow(), &centre);
  int x = centre.left + ((centre.right - centre.left) - w) / 2;
  int y = centre.top + ((centre.bottom - centre.top) - h) / 2;
  HWND dlg = CreateWindowExA(0, kDialogClass, t.caption.c_str(), style, x, y, w, h, owner, nullptr, nullptr, nullptr);
  if (!dlg) return nullptr;
  FindWindowRecord(dlg)->is_dialog = true;
  Dialogs()[dlg] = DialogState{.description = &t, .proc = proc, .owner = owner};
  for (const DialogControl& c : t.controls) {
    DWORD cstyle = WS_CHILD | WS_VISIBLE | c.style;
    HWND ctl = CreateWindowExA(0, ClassOf(c.kind), c.kind == DialogControlKind::kIcon ? "" : c.text.c_str(), cstyle,
                               ToPixelsX(c.x), ToPixelsY(c.y), ToPixelsX(c.cx), ToPixelsY(c.cy), dlg,
                               reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(static_cast<WORD>(c.id))), nullptr,
                               nullptr);
    if (WindowRecord* cr = FindWindowRecord(ctl)) {
      Controls()[ctl].style = c.style;
      cr->id = c.id;
    }
  }
  return dlg;
}

bool Running(HWND dlg) {
  DialogState* d = FindDialog(dlg);
  return d && !d->ended;
}

}  // namespace

void NotifyControlChanged(HWND hwnd) {
  if (Backend* b = ActiveBackend()) b->ControlChanged(hwnd);
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  const DialogTemplate* t = FindDialogResource(name);
  if (!t) return -1;
  return DialogBoxIndirectParamA(instance, t, owner, proc, param);
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE, const DialogTemplate* t, HWND owner, DLGPROC proc, LPARAM param) {
  if (!t || !proc) return -1;
  HWND dlg = CreateDialogWindow(*t, owner, proc);
  if (!dlg) return -1;
  WindowRecord* rec = FindWindowRecord(dlg);
  HWND first = rec->children.empty() ? nullptr : rec->children.front();
  SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);

  bool owner_was_enabled = IsWindowEnabled(owner) != FALSE;
  if (owner) EnableWindow(owner, FALSE);
  ++ModalDepth();
  Backend* backend = ActiveBackend();
  bool shown_by_backend = false;
  if (Running(dlg)) {
    ShowWindow(dlg, SW_SHOW);
    // A user acts on a dialog once it waits for input, so the owner hears
    // of the idle dialog before anyone answers it.
    if (owner) SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dlg));
    if (!Running(dlg)) {
    } else if (backend && backend->ShowsDialogs()) {
      backend->DialogStarted(dlg);
      shown_by_backend = true;
    } else {
      // Nobody to answer: the dialog is cancelled.
      PressDialogButton(dlg, IDCANCEL);
    }
  }
  int idle_rounds = 0;
  while (Running(dlg)) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The quit message ends the dialog and stays for the outer loop.
        PostQuitMessage(static_cast<int>(msg.wParam));
        EndDialog(dlg, IDCANCEL);
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      idle_rounds = 0;
      continue;
    }
    if (owner) SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dlg));
    if (!Running(dlg)) break;
    if (shown_by_backend && backend->DialogIdle(dlg)) {
      continue;
    } else if (++idle_rounds > 1) {
      EndDialog(dlg, IDCANCEL);  // nothing can answer any more
    } else {
      PressDialogButton(dlg, IDCANCEL);
    }
  }
  --ModalDepth();
  INT_PTR result = IDCANCEL;
  if (DialogState* d = FindDialog(dlg)) {
    result = d->result;
    if (shown_by_backend) backend->DialogEnded(dlg);
    DestroyWindow(dlg);
  }
  if (owner && owner_was_enabled) EnableWindow(owner, TRUE);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  DialogState* d = FindDialog(dialog);
  if (!d) return FALSE;
  d->ended = true;
  d->result = result;
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  WindowRecord* w = FindWindowRecord(dialog);
  if (!w) return nullptr;
  for (HWND c : w->children)
    if (WindowRecord* cr = FindWindowRecord(c); cr && static_cast<WORD>(cr->id) == static_cast<WORD>(id)) return c;
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  WindowRecord* w = FindWindowRecord(control);
  return w && !w->top_level ? w->id : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) { return SetWindowTextA(GetDlgItem(dialog, id), text); }

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  if (buffer && size > 0) buffer[0] = '\0';
  return static_cast<UINT>(GetWindowTextA(GetDlgItem(dialog, id), buffer, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed) {
  char text[16];
  if (is_signed)
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(value));
  else
    std::snprintf(text, sizeof(text), "%u", value);
  return SetDlgItemTextA(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL is_signed) {
  if (translated) *translated = FALSE;
  HWND ctl = GetDlgItem(dialog, id);
  if (!ctl) return 0;
  std::string s(static_cast<size_t>(GetWindowTextLengthA(ctl)) + 1, '\0');
  GetWindowTextA(ctl, s.data(), static_cast<int>(s.size()));
  s.resize(std::strlen(s.c_str()));
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (is_signed && i < s.size() && s[i] == '-') {
    negative = true;
    ++i;
  }
  if (i >= s.size()) return 0;
  unsigned long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return 0;
    v = v * 10 + static_cast<unsigned>(s[i] - '0');
    if (v > (is_signed ? 0x80000000ull : 0xFFFFFFFFull)) return 0;  // does not fit
  }
  if (is_signed && !negative && v > 0x7FFFFFFFull) return 0;
  if (translated) *translated = TRUE;
  return negative ? static_cast<UINT>(-static_cast<long long>(v)) : static_cast<UINT>(v);
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

const DialogTemplate* DialogTemplateOf(HWND dialog) {
  DialogState* d = FindDialog(dialog);
  return d ? d->description : nullptr;
}

std::vector<std::string> ComboBoxItems(HWND combo) {
  auto it = Controls().find(combo);
  return it == Controls().end() ? std::vector<std::string>{} : it->second.combo_items;
}

int ComboBoxSelection(HWND combo) {
  auto it = Controls().find(combo);
  return it == Controls().end() ? -1 : it->second.combo_selection;
}

void PressDialogButton(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool DialogIsRunning(HWND dialog) { return Running(dialog); }
