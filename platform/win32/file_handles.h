// The kernel file calls of the media search (full path names, opening a
// file to test that it exists), last-error codes and debug output.
#pragma once

#include "platform/win32/windows.h"

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;

DWORD GetLastError();
void SetLastError(DWORD error);

// The absolute path of `name` against the working folder, with "." and
// ".." parts resolved and separators written as "/". Returns the length
// without the terminator when it fits in `size`, otherwise the size needed
// with it (and writes nothing). *file_part points at the last part.
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part);

// Opens an existing file for reading (OPEN_EXISTING), through the same
// name translation as every file of the program (files.h). Other
// dispositions create or truncate for writing. INVALID_HANDLE_VALUE and
// ERROR_FILE_NOT_FOUND when the file is not there.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE template_file);
BOOL CloseHandle(HANDLE handle);

// Debug output goes nowhere, as on Windows without a debugger, unless the
// environment variable VORNEL_DEBUG_OUTPUT is set: then to stderr.
void OutputDebugStringA(LPCSTR text);
