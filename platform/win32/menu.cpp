// Menus: the records behind menu handles, loading descriptions, item
// states by command id or position, and the command list of a menu bar.
#include "platform/win32/menu.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>

#include "platform/win32/backend.h"
#include "platform/win32/resources.h"
#include "platform/win32/ui_state.h"

namespace {

struct MenuItemRecord {
  std::string text;
  UINT id = 0;
  UINT type = MFT_STRING;
  UINT state = 0;
  HMENU popup = nullptr;
  ULONG_PTR data = 0;
};

struct MenuRecord {
  std::vector<MenuItemRecord> items;
};

std::map<HMENU, std::unique_ptr<MenuRecord>>& Menus() {
  static std::map<HMENU, std::unique_ptr<MenuRecord>> menus;
  return menus;
}

ULONG_PTR g_next_menu = 0x20000;

MenuRecord* Find(HMENU menu) {
  auto it = Menus().find(menu);
  return it == Menus().end() ? nullptr : it->second.get();
}

HMENU NewMenu() {
  HMENU h = reinterpret_cast<HMENU>(g_next_menu);
  g_next_menu += 4;
  Menus()[h] = std::make_unique<MenuRecord>();
  return h;
}

// The item by position, or by command id searched depth first.
MenuItemRecord* FindItem(HMENU menu, UINT item, bool by_position, HMENU* holder) {
  MenuRecord* m = Find(menu);
  if (!m) return nullptr;
  if (by_position) {
    if (item >= m->items.size()) return nullptr;
    if (holder) *holder = menu;
    return &m->items[item];
  }
  for (MenuItemRecord& it : m->items) {
    if (!it.popup && it.type != MFT_SEPARATOR && it.id == item) {
      if (holder) *holder = menu;
      return &it;
    }
    if (it.popup)
      if (MenuItemRecord* found = FindItem(it.popup, item, false, holder)) return found;
  }
  return nullptr;
}

void AddItems(HMENU menu, const std::vector<MenuTemplateItem>& items) {
  for (const MenuTemplateItem& t : items) {
    MenuItemRecord r;
    r.text = t.text;
    r.id = t.id;
    r.state = t.flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
    if (t.flags & MF_SEPARATOR) {
      r.type = MFT_SEPARATOR;
      r.text.clear();
    } else if ((t.flags & MF_POPUP) || !t.items.empty()) {
      r.popup = NewMenu();
      AddItems(r.popup, t.items);
    }
    Find(menu)->items.push_back(std::move(r));
  }
}

std::string Label(const std::string& text) { return text.substr(0, text.find('\t')); }

std::string WithoutMnemonics(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

void ListInto(HMENU menu, const std::string& prefix, std::vector<MenuCommandEntry>* out) {
  MenuRecord* m = Find(menu);
  if (!m) return;
  for (const MenuItemRecord& it : m->items) {
    if (it.type == MFT_SEPARATOR) continue;
    std::string path = prefix.empty() ? Label(it.text) : prefix + "/" + Label(it.text);
    if (it.popup)
      ListInto(it.popup, path, out);
    else
      out->push_back(MenuCommandEntry{it.id, it.state, path});
  }
}

bool PartMatches(const std::string& part, const std::string& text) {
  return part == text || part == Label(text) || WithoutMnemonics(part) == WithoutMnemonics(Label(text));
}

bool FindPath(HMENU menu, const std::vector<std::string>& parts, size_t at, UINT* id) {
  MenuRecord* m = Find(menu);
  if (!m || at >= parts.size()) return false;
  // Exact texts first, so that a loose match never hides an exact one.
  for (int pass = 0; pass < 2; ++pass) {
    for (const MenuItemRecord& it : m->items) {
      if (it.type == MFT_SEPARATOR) continue;
      bool match = pass == 0 ? parts[at] == it.text || parts[at] == Label(it.text) : PartMatches(parts[at], it.text);
      if (!match) continue;
      if (at + 1 == parts.size()) {
        if (it.popup) continue;
        *id = it.id;
        return true;
      }
      if (it.popup && FindPath(it.popup, parts, at + 1, id)) return true;
    }
  }
  return false;
}

}  // namespace

HMENU LoadMenuFromTemplate(const MenuTemplate& menu) {
  HMENU h = NewMenu();
  AddItems(h, menu);
  return h;
}

HMENU LoadMenuA(HINSTANCE, LPCSTR name) {
  const MenuTemplate* t = FindMenuResource(name);
  return t ? LoadMenuFromTemplate(*t) : nullptr;
}

HMENU CreateMenu() { return NewMenu(); }
HMENU CreatePopupMenu() { return NewMenu(); }

BOOL DestroyMenu(HMENU menu) {
  MenuRecord* m = Find(menu);
  if (!m) return FALSE;
  std::vector<HMENU> popups;
  for (const MenuItemRecord& it : m->items)
    if (it.popup) popups.push_back(it.popup);
  Menus().erase(menu);
  for (HMENU p : popups) DestroyMenu(p);
  return TRUE;
}

void DestroyMenuOfWindow(HMENU menu) { DestroyMenu(menu); }

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id_or_popup, LPCSTR text) {
  MenuRecord* m = Find(menu);
  if (!m) return FALSE;
  MenuItemRecord r;
  r.state = flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED);
  if (flags & MF_SEPARATOR) {
    r.type = MFT_SEPARATOR;
  } else {
    r.text = text ? text : "";
    if (flags & MF_POPUP) {
      r.popup = reinterpret_cast<HMENU>(id_or_popup);
      if (!Find(r.popup)) return FALSE;
    } else {
      r.id = static_cast<UINT>(id_or_popup);
    }
  }
  m->items.push_back(std::move(r));
  NotifyMenuChanged(menu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return Find(menu) ? TRUE : FALSE; }

HMENU GetMenu(HWND hwnd) {
  WindowRecord* w = FindWindowRecord(hwnd);
  return w && w->top_level ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  WindowRecord* w = FindWindowRecord(hwnd);
  if (!w || !w->top_level || (menu && !Find(menu))) return FALSE;
  w->menu = menu;
  if (Backend* b = ActiveBackend()) b->MenuChanged(hwnd);
  // The client area changes with the menu bar.
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) { return FindWindowRecord(hwnd) ? TRUE : FALSE; }

HMENU GetSubMenu(HMENU menu, int position) {
  MenuRecord* m = Find(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return nullptr;
  return m->items[static_cast<size_t>(position)].popup;
}

int GetMenuItemCount(HMENU menu) {
  MenuRecord* m = Find(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  MenuRecord* m = Find(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return static_cast<UINT>(-1);
  const MenuItemRecord& it = m->items[static_cast<size_t>(position)];
  return it.popup ? static_cast<UINT>(-1) : it.id;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
  MenuItemRecord* it = FindItem(menu, item, (flags & MF_BYPOSITION) != 0, nullptr);
  if (!it) return 0;
  if (!buffer || size <= 0) return static_cast<int>(it->text.size());
  size_t n = std::min<size_t>(it->text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, it->text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL by_position, LPMENUITEMINFOA info) {
  if (!info || info->cbSize < offsetof(MENUITEMINFOA, hbmpItem)) return FALSE;
  MenuItemRecord* it = FindItem(menu, item, by_position != FALSE, nullptr);
  if (!it) return FALSE;
  if (info->fMask & MIIM_STATE) info->fState = it->state;
  if (info->fMask & MIIM_ID) info->wID = it->id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it->popup;
  if (info->fMask & (MIIM_FTYPE | MIIM_TYPE)) info->fType = it->type;
  if (info->fMask & MIIM_DATA) info->dwItemData = it->data;
  if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
    if (info->dwTypeData && info->cch > 0) {
      size_t n = std::min<size_t>(it->text.size(), info->cch - 1);
      std::memcpy(info->dwTypeData, it->text.data(), n);
      info->dwTypeData[n] = '\0';
      info->cch = static_cast<UINT>(n);
    } else {
      info->cch = static_cast<UINT>(it->text.size());
    }
  }
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL by_position, LPCMENUITEMINFOA info) {
  if (!info || info->cbSize < offsetof(MENUITEMINFOA, hbmpItem)) return FALSE;
  HMENU holder = nullptr;
  MenuItemRecord* it = FindItem(menu, item, by_position != FALSE, &holder);
  if (!it) return FALSE;
  if (info->fMask & MIIM_STATE) it->state = info->fState;
  if (info->fMask & MIIM_ID) it->id = info->wID;
  if (info->fMask & MIIM_SUBMENU) it->popup = info->hSubMenu;
  if (info->fMask & MIIM_FTYPE) it->type = info->fType & MFT_SEPARATOR;
  if (info->fMask & MIIM_DATA) it->data = info->dwItemData;
  if ((info->fMask & (MIIM_STRING | MIIM_TYPE)) && info->dwTypeData) it->text = info->dwTypeData;
  NotifyMenuChanged(holder);
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  HMENU holder = nullptr;
  MenuItemRecord* it = FindItem(menu, item, (flags & MF_BYPOSITION) != 0, &holder);
  if (!it) return static_cast<DWORD>(-1);
  DWORD old = it->state & MF_CHECKED;
  it->state = (it->state & ~MF_CHECKED) | (flags & MF_CHECKED);
  NotifyMenuChanged(holder);
  return old;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  MenuItemRecord* it = FindItem(menu, item, (flags & MF_BYPOSITION) != 0, nullptr);
  if (!it) return static_cast<UINT>(-1);
  UINT state = it->state | it->type;
  if (it->popup) state |= MF_POPUP | (static_cast<UINT>(GetMenuItemCount(it->popup)) << 8);
  return state;
}

std::vector<MenuCommandEntry> ListMenuCommands(HMENU menu) {
  std::vector<MenuCommandEntry> out;
  ListInto(menu, "", &out);
  return out;
}

bool FindMenuCommand(HMENU menu, const std::string& path, UINT* id) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  UINT found = 0;
  if (!FindPath(menu, parts, 0, &found)) return false;
  if (id) *id = found;
  return true;
}

bool MenuHasCommand(HMENU menu, UINT id) { return FindItem(menu, id, false, nullptr) != nullptr; }

HWND OwnerOfMenu(HMENU menu) {
  for (HWND h : AllWindows()) {
    WindowRecord* w = FindWindowRecord(h);
    if (!w->top_level || !w->menu) continue;
    if (w->menu == menu) return h;
    // A popup of the bar, at any depth.
    std::vector<HMENU> stack{w->menu};
    while (!stack.empty()) {
      MenuRecord* m = Find(stack.back());
      stack.pop_back();
      if (!m) continue;
      for (const MenuItemRecord& it : m->items)
        if (it.popup) {
          if (it.popup == menu) return h;
          stack.push_back(it.popup);
        }
    }
  }
  return nullptr;
}

void NotifyMenuChanged(HMENU menu) {
  Backend* b = ActiveBackend();
  if (!b) return;
  if (HWND owner = OwnerOfMenu(menu)) b->MenuChanged(owner);
}
