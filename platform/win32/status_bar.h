// The status bar control "msctls_statusbar32": parts set by SB_SETPARTS,
// texts set by SB_SETTEXT, laid out along the bottom of its parent.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/messages.h"
#include "platform/win32/windows.h"

#define STATUSCLASSNAMEA "msctls_statusbar32"

constexpr DWORD SBARS_SIZEGRIP = 0x0100;
constexpr UINT SB_SETTEXTA = WM_USER + 1;
constexpr UINT SB_GETTEXTA = WM_USER + 2;
constexpr UINT SB_GETTEXTLENGTHA = WM_USER + 3;
constexpr UINT SB_SETPARTS = WM_USER + 4;
constexpr UINT SB_GETPARTS = WM_USER + 6;
constexpr UINT SB_SETMINHEIGHT = WM_USER + 8;
constexpr UINT SB_SIMPLE = WM_USER + 9;
constexpr UINT SB_GETRECT = WM_USER + 10;
constexpr UINT SB_SETTEXT = SB_SETTEXTA;
constexpr UINT SB_GETTEXT = SB_GETTEXTA;
// Drawing types in the high byte of SB_SETTEXT's wParam.
constexpr WPARAM SBT_NOBORDERS = 0x0100;
constexpr WPARAM SBT_POPOUT = 0x0200;

// The bar's height in pixels (both backends).
constexpr int kStatusBarHeight = 22;
// At most this many parts, as the control allows.
constexpr int kStatusBarMaxParts = 256;

// The bar's parts as shown: right edges (-1: to the bar's end) and texts.
struct StatusBarPart {
  int right;
  std::string text;
};
std::vector<StatusBarPart> StatusBarParts(HWND status_bar);
// The first status bar among a window's children, or null.
HWND FindStatusBar(HWND parent);

// The class's registration, done once by the window code.
void RegisterStatusBarClass();
