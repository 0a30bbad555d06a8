// Choosing the backend at start: headless or Qt, with or without a script.
#pragma once

#include <string>

enum class BackendKind { kHeadless, kQt };

// Creates and installs the backend and, when script_path is given, loads
// the script and starts its driver around the backend (the script then
// answers every box and dialog, with either backend; script/script_driver.h
// starts one for a script made in the program). Returns 0, or the exit status the
// program should end with (2) and sets *error to a line for stderr:
// "script:LINE: what is wrong" for a bad script, or why the Qt backend
// cannot start (no display, or built without Qt).
int InitBackend(BackendKind kind, const char* script_path, std::string* error);
// Stops the script's driver and removes the backend (after the program's windows are gone).
void ShutdownBackend();
