// Input a script makes: a menu choice that sends WM_INITMENU first, so the
// window procedure sets its checks, and keys that the program's accelerator
// table turns into commands.
#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/win32/script/script_test_support.h"

using namespace win32_test;

using Menus = ScriptUiTest;
using Accelerators = ScriptUiTest;

namespace {

void SetChecked(HMENU menu, UINT id, bool checked) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_STATE;
  mii.fState = checked ? MFS_CHECKED : 0;
  SetMenuItemInfoA(menu, id, FALSE, &mii);
}

}  // namespace

TEST_F(Menus, InitMenuLetsTheWindowProcedureSetChecksBeforeAScriptedChoice) {
  static int calls;
  calls = 10;
  Hook() = [](HWND, UINT m, WPARAM w, LPARAM) {
    if (m == WM_INITMENU) {
      HMENU menu = reinterpret_cast<HMENU>(w);
      SetChecked(menu, 32815, calls == 1);
      SetChecked(menu, 32816, calls == 10);
    }
    return false;
  };
  HWND w = MakeWindow();
  Script script;
  ASSERT_TRUE(ParseScript("menu \"&Settings/Step\"\n", &script, nullptr));
  ScriptRunner runner(std::move(script));
  InstallScriptRunner(&runner);
  RunLoop(w, nullptr, 50);
  std::vector<UINT> order;
  for (const Seen& s : Log())
    if (s.message == WM_INITMENU || s.message == WM_COMMAND || s.message == WM_DESTROY) order.push_back(s.message);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], WM_INITMENU);
  EXPECT_EQ(order[1], WM_COMMAND);
  EXPECT_EQ(order[2], WM_DESTROY);  // the spent script closes the window
}

TEST_F(Accelerators, VirtualKeysAndAltCharactersBecomeCommands) {
  HWND w = MakeWindow();
  HACCEL accel = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(kMenuId));
  ASSERT_NE(accel, nullptr);
  Script script;
  ASSERT_TRUE(ParseScript("key Home\nkey Space\nkey Enter\nkey Alt+/\nkey Alt+?\nkey a\n", &script, nullptr));
  ScriptRunner runner(std::move(script));
  InstallScriptRunner(&runner);
  RunLoop(w, accel, 200);
  std::vector<UINT> expected{32803, 32822, 32823, 104, 104};
  EXPECT_EQ(CommandsSeen(), expected);
  // Accelerator commands carry 1 in the high word; "a" made a character.
  for (const Seen& s : Log()) {
    if (s.message == WM_COMMAND) {
      EXPECT_EQ(HIWORD(s.wParam), 1);
    }
  }
  EXPECT_EQ(Count(WM_CHAR), 1);
  // Accelerators in the menu first send WM_INITMENU; Home (32803) is not in it.
  EXPECT_EQ(Count(WM_INITMENU), 4);
  DestroyAcceleratorTable(accel);
}

TEST_F(Accelerators, ModifiersMustMatchExactly) {
  HWND w = MakeWindow();
  ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'S', 1}, {FVIRTKEY, 'S', 2}};
  HACCEL accel = CreateAcceleratorTableA(entries, 2);
  Script script;
  ASSERT_TRUE(ParseScript("key Ctrl+S\nkey S\nkey Shift+S\n", &script, nullptr));
  ScriptRunner runner(std::move(script));
  InstallScriptRunner(&runner);
  RunLoop(w, accel, 200);
  std::vector<UINT> expected{1, 2};
  EXPECT_EQ(CommandsSeen(), expected);
  EXPECT_EQ(CreateAcceleratorTableA(entries, 0), nullptr);
}
