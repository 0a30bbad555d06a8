// The program's resources as C++ data: strings, menus, accelerator tables,
// dialog descriptions and icons, registered by id and loaded by the Windows
// calls that name them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/accelerators.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/menu.h"
#include "platform/win32/window.h"
#include "platform/win32/windows.h"

// An icon: ARGB words (0xAARRGGBB), rows top-down, width * height of them.
struct IconResource {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// Registering an id again replaces the earlier resource. The instance
// handle of the loaders is not consulted: there is one module.
void RegisterStringResource(UINT id, const char* text);
void RegisterMenuResource(UINT id, const MenuTemplate& menu);
void RegisterAcceleratorResource(UINT id, const std::vector<ACCEL>& table);
void RegisterDialogResource(UINT id, const DialogTemplate& dialog);
void RegisterIconResource(UINT id, const IconResource& icon);
// Forgets every registered resource; for tests.
void ClearResources();

// Copies string `id` into buffer (at most size - 1 characters, always
// terminated) and returns its length; 0 and an empty buffer when there is
// no such string.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
// A handle for the icon registered under this name (null when none);
// IDI_APPLICATION gives a built-in icon.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// The icon behind a handle, or null.
const IconResource* IconOf(HICON icon);

// The registered descriptions, or null.
const MenuTemplate* FindMenuResource(LPCSTR name);
const std::vector<ACCEL>* FindAcceleratorResource(LPCSTR name);
const DialogTemplate* FindDialogResource(LPCSTR name);

HINSTANCE GetModuleHandleA(LPCSTR name);
