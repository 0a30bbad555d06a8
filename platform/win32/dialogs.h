// Modal dialogs from dialog descriptions, and the calls on their controls:
// texts, numbers and drop-down combo boxes.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/messages.h"
#include "platform/win32/window.h"
#include "platform/win32/windows.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

constexpr int IDC_STATIC = -1;

// Button notification in HIWORD(wParam) of WM_COMMAND.
constexpr WORD BN_CLICKED = 0;

// Combo box styles and messages.
constexpr DWORD CBS_SIMPLE = 0x0001;
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_SORT = 0x0100;
constexpr UINT CB_GETEDITSEL = 0x0140;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;

// Static control styles.
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
// Button styles.
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_GROUPBOX = 0x0007;
// Edit styles.
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_NUMBER = 0x2000;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
// Dialog styles.
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_CENTER = 0x0800;

// The kinds of controls a dialog description holds.
enum class DialogControlKind { kStatic, kIcon, kEdit, kComboBox, kButton, kDefaultButton, kGroupBox };

// One control: position and size in dialog units, its initial text (for an
// icon, the icon's resource id in `icon`), its styles (CBS_SORT, SS_CENTER,
// ...) and, for controls that a script may fill, its script key.
struct DialogControl {
  DialogControlKind kind = DialogControlKind::kStatic;
  int id = IDC_STATIC;
  std::string text;
  int x = 0, y = 0, cx = 0, cy = 0;
  DWORD style = 0;
  std::string script_key;
  UINT icon = 0;
};

// Controls for descriptions, in dialog units; the script key names a
// control a script may fill.
inline DialogControl DialogText(int id, std::string text, int x, int y, int cx, int cy, DWORD style = SS_LEFT) {
  return DialogControl{DialogControlKind::kStatic, id, std::move(text), x, y, cx, cy, style, "", 0};
}
inline DialogControl DialogIcon(UINT icon, int x, int y) {
  return DialogControl{DialogControlKind::kIcon, IDC_STATIC, "", x, y, 21, 20, SS_ICON, "", icon};
}
inline DialogControl DialogEdit(int id, int x, int y, int cx, int cy, std::string script_key = "", DWORD style = 0) {
  return DialogControl{DialogControlKind::kEdit, id, "", x, y, cx, cy, style | ES_AUTOHSCROLL, std::move(script_key), 0};
}
inline DialogControl DialogComboBox(int id, int x, int y, int cx, int cy, std::string script_key = "",
                                    DWORD style = CBS_DROPDOWN | CBS_SORT) {
  return DialogControl{DialogControlKind::kComboBox, id, "", x, y, cx, cy, style, std::move(script_key), 0};
}
inline DialogControl DialogButton(int id, std::string text, int x, int y, int cx, int cy, bool is_default = false) {
  return DialogControl{is_default ? DialogControlKind::kDefaultButton : DialogControlKind::kButton,
                       id, std::move(text), x, y, cx, cy, is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, "", 0};
}

// A dialog: caption, size in dialog units, font, and controls in tab order.
// `script_command` names the script command that gives the input of this
// dialog ("texture-dialog"); empty for dialogs a script only closes.
struct DialogTemplate {
  std::string caption;
  int cx = 0, cy = 0;
  std::string font = "MS Shell Dlg";
  int font_size = 8;
  DWORD style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  std::string script_command;
  std::vector<DialogControl> controls;
};

// Runs a modal dialog: creates it and its controls, sends WM_INITDIALOG
// (lParam = param) to the dialog procedure, disables the owner and runs the
// dialog's own message loop until EndDialog, sending WM_ENTERIDLE
// (MSGF_DIALOGBOX) to the owner whenever that loop finds its queue empty.
// A script, or the headless backend without one, answers the dialog; the
// Qt backend shows it. Returns the EndDialog result, -1 when the
// description does not exist.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const DialogTemplate* dialog, HWND owner, DLGPROC proc,
                                LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND control);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed);
// The number in the control's text: optional blanks, a "-" when signed,
// digits up to the end. *translated is FALSE (and 0 returned) otherwise.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL is_signed);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

// For backends and scripts: the description a dialog window was made from,
// and the list of a combo box.
const DialogTemplate* DialogTemplateOf(HWND dialog);
std::vector<std::string> ComboBoxItems(HWND combo);
int ComboBoxSelection(HWND combo);
// Presses a button of a dialog as a click would: WM_COMMAND (id, BN_CLICKED)
// to the dialog, sent at once.
void PressDialogButton(HWND dialog, int id);
// True while the dialog runs (EndDialog not yet called).
bool DialogIsRunning(HWND dialog);
