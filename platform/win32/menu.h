// Menus: descriptions as C++ data, loading them, the menu bar of a window,
// and the item states that the window procedure reads and sets by command id.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windows.h"

// Item flags of descriptions and of AppendMenuA.
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

// MENUITEMINFOA masks, types and states.
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_CHECKMARKS = 0x0008;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MIIM_DATA = 0x0020;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_BITMAP = 0x0080;
constexpr UINT MIIM_FTYPE = 0x0100;
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_SEPARATOR = 0x0800;
constexpr UINT MFS_ENABLED = 0x0000;
constexpr UINT MFS_UNCHECKED = 0x0000;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = 0x0003;
constexpr UINT MFS_CHECKED = 0x0008;
constexpr UINT MFS_HILITE = 0x0080;
constexpr UINT MFS_DEFAULT = 0x1000;

struct MENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  void* hbmpChecked;
  void* hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPSTR dwTypeData;
  UINT cch;
  void* hbmpItem;
};
using LPMENUITEMINFOA = MENUITEMINFOA*;
using LPCMENUITEMINFOA = const MENUITEMINFOA*;

// One entry of a menu description: a popup with its items, a command item
// or a separator. Texts keep their "&" mnemonics and "\t" shortcut texts.
struct MenuTemplateItem {
  std::string text;
  UINT id = 0;     // the command id; 0 for popups and separators
  UINT flags = 0;  // MF_POPUP, MF_SEPARATOR, MF_CHECKED, MF_GRAYED
  std::vector<MenuTemplateItem> items;
};
// A menu bar: its popups in order.
using MenuTemplate = std::vector<MenuTemplateItem>;

inline MenuTemplateItem MenuCommand(std::string text, UINT id, UINT flags = 0) {
  return MenuTemplateItem{std::move(text), id, flags & ~(MF_POPUP | MF_SEPARATOR), {}};
}
inline MenuTemplateItem MenuSeparator() { return MenuTemplateItem{"", 0, MF_SEPARATOR, {}}; }
inline MenuTemplateItem MenuPopup(std::string text, std::vector<MenuTemplateItem> items) {
  return MenuTemplateItem{std::move(text), 0, MF_POPUP, std::move(items)};
}

// Builds a menu bar from a description (no resource table involved).
HMENU LoadMenuFromTemplate(const MenuTemplate& menu);
// Loads the menu registered under this name (resources.h).
HMENU LoadMenuA(HINSTANCE instance, LPCSTR name);

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys a menu and its popups. A window's menu is destroyed with it.
BOOL DestroyMenu(HMENU menu);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id_or_popup, LPCSTR text);
BOOL IsMenu(HMENU menu);
HMENU GetMenu(HWND hwnd);
BOOL SetMenu(HWND hwnd, HMENU menu);
BOOL DrawMenuBar(HWND hwnd);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags);

// By command id (by_position FALSE) the item is looked for in the menu and
// all its popups, depth first. FALSE when there is no such item.
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL by_position, LPMENUITEMINFOA info);
BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL by_position, LPCMENUITEMINFOA info);
// Returns the previous check state (MF_CHECKED or MF_UNCHECKED), or -1.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);

// One command item of a menu bar, for dumps and scripts: its id, its state
// and its path, the item texts from the bar down joined with "/". The
// texts are given up to their "\t" (the shortcut text is left out).
struct MenuCommandEntry {
  UINT id;
  UINT state;
  std::string path;
};
std::vector<MenuCommandEntry> ListMenuCommands(HMENU menu);
// The command id of a path as ListMenuCommands writes it; each part may
// also be given with its "\t" shortcut text or without its "&" marks.
// False when no command item has that path.
bool FindMenuCommand(HMENU menu, const std::string& path, UINT* id);
// True when a command item with this id is in the menu or its popups.
bool MenuHasCommand(HMENU menu, UINT id);
