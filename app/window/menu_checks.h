// Check marks of the captured menu (the one of the last WM_INITMENU), by
// command id.
#pragma once

#include "platform/win32/windows.h"

void SetMenuCheck(bool checked, UINT id);
bool IsMenuChecked(UINT id);
