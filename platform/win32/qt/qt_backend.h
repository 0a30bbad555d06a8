// The Qt 6 Widgets backend: real windows, menus, status bars and dialogs
// for the window code. This header names no Qt type.
#pragma once

#include <memory>
#include <string>

#include "platform/win32/backend.h"

// Creates the backend (and the QApplication when none exists). Null with a
// message when no display can be reached: neither DISPLAY nor
// WAYLAND_DISPLAY is set and QT_QPA_PLATFORM names no other platform.
std::unique_ptr<Backend> CreateQtBackend(std::string* error);
