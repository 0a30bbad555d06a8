// Keyboard accelerator tables and their translation into WM_COMMAND.
#pragma once

#include "platform/win32/messages.h"
#include "platform/win32/windows.h"

constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct ACCEL {
  BYTE fVirt;
  WORD key;
  WORD cmd;
};
using LPACCEL = ACCEL*;

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// Loads the table registered under this name (resources.h).
HACCEL LoadAcceleratorsA(HINSTANCE instance, LPCSTR name);

// Virtual-key entries (FVIRTKEY) match WM_KEYDOWN / WM_SYSKEYDOWN whose
// Shift, Ctrl and Alt state equals the entry's; character entries match
// WM_CHAR, or WM_SYSCHAR when they carry FALT. A match sends WM_INITMENU
// first when the command is in the window's menu, then WM_COMMAND with
// HIWORD(wParam) 1, and returns nonzero.
int TranslateAcceleratorA(HWND hwnd, HACCEL table, LPMSG msg);
