// The resource tables the program registers, and the loaders that read
// them: strings and icons here; menus, accelerators and dialogs in their
// own files.
#include "platform/win32/resources.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

// Resources are registered by number and looked up by MAKEINTRESOURCE,
// "#number" or a plain name; all three become one text key.
using Key = std::string;

Key KeyOf(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  if (name && name[0] == '#') return name;
  return name ? name : "";
}
Key KeyOf(UINT id) { return "#" + std::to_string(id); }

std::map<UINT, std::string>& Strings() {
  static std::map<UINT, std::string> m;
  return m;
}
std::map<Key, MenuTemplate>& Menus() {
  static std::map<Key, MenuTemplate> m;
  return m;
}
std::map<Key, std::vector<ACCEL>>& Accels() {
  static std::map<Key, std::vector<ACCEL>> m;
  return m;
}
std::map<Key, std::unique_ptr<DialogTemplate>>& Dialogs() {
  static std::map<Key, std::unique_ptr<DialogTemplate>> m;
  return m;
}
std::map<Key, std::unique_ptr<IconResource>>& Icons() {
  static std::map<Key, std::unique_ptr<IconResource>> m;
  return m;
}

// A plain 32 x 32 icon for IDI_APPLICATION and icons nobody registered.
const IconResource& BuiltinIcon() {
  static IconResource icon = [] {
    IconResource i;
    i.width = i.height = 32;
    i.argb.assign(32 * 32, 0xFF3060C0u);
    for (int k = 0; k < 32; ++k) {
      i.argb[static_cast<size_t>(k)] = i.argb[static_cast<size_t>(31 * 32 + k)] = 0xFF000000u;
      i.argb[static_cast<size_t>(k * 32)] = i.argb[static_cast<size_t>(k * 32 + 31)] = 0xFF000000u;
    }
    return i;
  }();
  return icon;
}

}  // namespace

void RegisterStringResource(UINT id, const char* text) { Strings()[id] = text ? text : ""; }
void RegisterMenuResource(UINT id, const MenuTemplate& menu) { Menus()[KeyOf(id)] = menu; }
void RegisterAcceleratorResource(UINT id, const std::vector<ACCEL>& table) { Accels()[KeyOf(id)] = table; }
// Dialog descriptions are kept at stable addresses: running dialogs point
// at them. Registering the id again while its dialog runs is not allowed.
void RegisterDialogResource(UINT id, const DialogTemplate& dialog) {
  Dialogs()[KeyOf(id)] = std::make_unique<DialogTemplate>(dialog);
}
void RegisterIconResource(UINT id, const IconResource& icon) {
  Icons()[KeyOf(id)] = std::make_unique<IconResource>(icon);
}

void ClearResources() {
  Strings().clear();
  Menus().clear();
  Accels().clear();
  Dialogs().clear();
  Icons().clear();
}

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  auto it = Strings().find(id);
  if (it == Strings().end()) {
    buffer[0] = '\0';
    return 0;
  }
  size_t n = std::min<size_t>(it->second.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, it->second.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
  auto it = Icons().find(KeyOf(name));
  if (it != Icons().end()) return reinterpret_cast<HICON>(it->second.get());
  if (IS_INTRESOURCE(name) && reinterpret_cast<ULONG_PTR>(name) == 32512)
    return reinterpret_cast<HICON>(const_cast<IconResource*>(&BuiltinIcon()));
  return nullptr;
}

const IconResource* IconOf(HICON icon) {
  if (!icon) return nullptr;
  if (reinterpret_cast<const IconResource*>(icon) == &BuiltinIcon()) return &BuiltinIcon();
  for (auto& [key, value] : Icons())
    if (reinterpret_cast<HICON>(value.get()) == icon) return value.get();
  return nullptr;
}

const MenuTemplate* FindMenuResource(LPCSTR name) {
  auto it = Menus().find(KeyOf(name));
  return it == Menus().end() ? nullptr : &it->second;
}

const std::vector<ACCEL>* FindAcceleratorResource(LPCSTR name) {
  auto it = Accels().find(KeyOf(name));
  return it == Accels().end() ? nullptr : &it->second;
}

const DialogTemplate* FindDialogResource(LPCSTR name) {
  auto it = Dialogs().find(KeyOf(name));
  return it == Dialogs().end() ? nullptr : it->second.get();
}

HINSTANCE GetModuleHandleA(LPCSTR) { return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x400000)); }
