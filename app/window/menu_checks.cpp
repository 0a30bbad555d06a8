// Check marks of the captured menu by command id, through MENUITEMINFO
// with MIIM_STATE.
#include "app/window/menu_checks.h"

#include "app/frame/harness_state.h"
#include "platform/win32/menu.h"

void SetMenuCheck(bool checked, UINT id) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = checked ? MFS_CHECKED : 0;
  SetMenuItemInfoA(g_Harness.menu, id, FALSE, &info);
}

bool IsMenuChecked(UINT id) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  if (!GetMenuItemInfoA(g_Harness.menu, id, FALSE, &info)) return false;
  return info.fState != 0;
}
