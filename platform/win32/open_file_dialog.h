// GetOpenFileNameA: the common open-file dialog, answered by a script, by
// the Qt file dialog, or cancelled by the headless backend.
#pragma once

#include "platform/win32/windows.h"

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_NOVALIDATE = 0x00000100;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// CommDlgExtendedError codes.
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// Shows the dialog. On a choice, writes the full path into lpstrFile
// (never more than nMaxFile characters with the terminator), sets
// nFileOffset and nFileExtension, fills lpstrFileTitle when given, and
// returns TRUE. Cancel, a path that does not fit, or (with
// OFN_FILEMUSTEXIST) a file that does not exist return FALSE.
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);
DWORD CommDlgExtendedError();

// The filter pairs of lpstrFilter ("All\0*.*\0Bitmaps\0*.bmp\0\0").
struct FileFilter {
  const char* name;
  const char* pattern;
};
int CountFileFilters(const char* filter);
FileFilter FileFilterAt(const char* filter, int index);

// Completes ofn for a chosen path, with the checks above. Backends and the
// script runner call this.
BOOL CompleteOpenFileName(LPOPENFILENAMEA ofn, const char* path);
