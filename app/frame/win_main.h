// WinMain: the bench's start-up, main loop and shut-down.
#pragma once

#include "platform/win32/windows.h"

// Runs the bench on the installed backend; returns the exit code. The
// program's resources must be registered first (RegisterResources).
int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
