// Accelerator tables: creation, loading by resource id, and translation of
// key messages into WM_COMMAND.
#include "platform/win32/accelerators.h"

#include <map>
#include <memory>
#include <vector>

#include "platform/win32/menu.h"
#include "platform/win32/resources.h"
#include "platform/win32/window.h"

namespace {

std::map<HACCEL, std::vector<ACCEL>>& Tables() {
  static std::map<HACCEL, std::vector<ACCEL>> tables;
  return tables;
}
ULONG_PTR g_next_table = 0x30000;

bool Down(int vk) { return GetKeyState(vk) < 0; }

bool Matches(const ACCEL& a, const MSG& msg) {
  bool alt = Down(VK_MENU) || (msg.lParam & KF_ALTDOWN_BIT) != 0;
  if (a.fVirt & FVIRTKEY) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (msg.wParam != a.key) return false;
    return Down(VK_SHIFT) == ((a.fVirt & FSHIFT) != 0) && Down(VK_CONTROL) == ((a.fVirt & FCONTROL) != 0) &&
           alt == ((a.fVirt & FALT) != 0);
  }
  // A character entry: Alt entries match the system character message.
  UINT wanted = (a.fVirt & FALT) ? WM_SYSCHAR : WM_CHAR;
  return msg.message == wanted && msg.wParam == a.key;
}

}  // namespace

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count) {
  if (!entries || count <= 0) return nullptr;
  HACCEL h = reinterpret_cast<HACCEL>(g_next_table);
  g_next_table += 4;
  Tables()[h] = std::vector<ACCEL>(entries, entries + count);
  return h;
}

BOOL DestroyAcceleratorTable(HACCEL table) { return Tables().erase(table) ? TRUE : FALSE; }

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR name) {
  const std::vector<ACCEL>* t = FindAcceleratorResource(name);
  if (!t || t->empty()) return nullptr;
  return CreateAcceleratorTableA(t->data(), static_cast<int>(t->size()));
}

int TranslateAcceleratorA(HWND hwnd, HACCEL table, LPMSG msg) {
  if (!msg || !IsWindow(hwnd)) return 0;
  auto it = Tables().find(table);
  if (it == Tables().end()) return 0;
  for (const ACCEL& a : it->second) {
    if (!Matches(a, *msg)) continue;
    // As if the user opened the menu: the window procedure sets the items'
    // states before the command arrives.
    HMENU menu = GetMenu(hwnd);
    if (menu && MenuHasCommand(menu, a.cmd)) SendMessageA(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
    return 1;
  }
  return 0;
}
