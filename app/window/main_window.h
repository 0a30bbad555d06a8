// The main window: its class, its creation and its window procedure, and
// the handlers the procedure hands messages to.
#pragma once

#include "platform/win32/window.h"
#include "platform/win32/windows.h"

// Registers the main window class (string 109, menu 109, icons 107 and
// 108) and keeps its description for the engine's start-up.
ATOM RegisterMainClass(HINSTANCE instance);
const WNDCLASSEXA& MainWindowClass();
// Creates, shows and updates the main window; false when it could not be
// created.
bool CreateMainWindow(HINSTANCE instance, int showCommand);

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// WM_COMMAND: true when the command was handled (the procedure returns 0),
// false when it goes on to DefWindowProc.
bool HandleCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// WM_INITMENU: the check marks computed from the settings.
void UpdateCheckMarks();

// "&Load Texture": the open-file dialog and the load into slot 5.
void LoadTextureCommand();

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK UserTextureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
