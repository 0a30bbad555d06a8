// The program's resources as C++ data: menu 109, accelerators 109, the
// string table, dialogs 103 and 130 and icons 107 and 108.
#pragma once

#include <vector>

#include "platform/win32/accelerators.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/menu.h"
#include "platform/win32/resources.h"

MenuTemplate MainMenuTemplate();
std::vector<ACCEL> MainAccelerators();
DialogTemplate AboutDialogTemplate();
DialogTemplate UserTextureDialogTemplate();
IconResource ApplicationIcon(int size);

// Registers every resource above under its id, with the strings.
void RegisterResources();
