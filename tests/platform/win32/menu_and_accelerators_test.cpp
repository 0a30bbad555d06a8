// Menus loaded from descriptions, check states by command id set through
// WM_INITMENU, menu paths, and accelerator translation.
#include <gtest/gtest.h>

#include "tests/platform/win32/ui_test_support.h"

using namespace ui_test;

using Menus = UiTest;
using Accelerators = UiTest;

namespace {

UINT StateOf(HMENU menu, UINT id) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_STATE;
  if (!GetMenuItemInfoA(menu, id, FALSE, &mii)) return 0xDEAD;
  return mii.fState;
}

void SetChecked(HMENU menu, UINT id, bool checked) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_STATE;
  mii.fState = checked ? MFS_CHECKED : 0;
  SetMenuItemInfoA(menu, id, FALSE, &mii);
}

}  // namespace

TEST_F(Menus, DescriptionGivesPopupsItemsSeparatorsAndInitialChecks) {
  HMENU bar = LoadMenuA(nullptr, MAKEINTRESOURCEA(kMenuId));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 4);
  HMENU file = GetSubMenu(bar, 0);
  EXPECT_EQ(GetMenuItemCount(file), 3);
  EXPECT_EQ(GetMenuItemID(file, 0), 32861u);
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
  char text[32];
  EXPECT_EQ(GetMenuStringA(bar, 32822, text, sizeof(text), MF_BYCOMMAND), 10);
  EXPECT_STREQ(text, "Step\tSpace");
  // By command id the search goes through every popup.
  EXPECT_EQ(StateOf(bar, 32815), MFS_CHECKED);
  EXPECT_EQ(StateOf(bar, 32816), 0u);
  EXPECT_EQ(StateOf(bar, 9999), 0xDEADu);
  EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(555)), nullptr);
  DestroyMenu(bar);
  EXPECT_FALSE(IsMenu(file));
}

TEST_F(Menus, StatesChangeByIdAndTextsCopyWithinTheBuffer) {
  HMENU bar = LoadMenuFromTemplate(SampleMenu());
  SetChecked(bar, 32815, false);
  SetChecked(bar, 32816, true);
  EXPECT_EQ(StateOf(bar, 32815), 0u);
  EXPECT_EQ(StateOf(bar, 32816), MFS_CHECKED);
  EXPECT_EQ(CheckMenuItem(bar, 32816, MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(bar, 1, MF_CHECKED), static_cast<DWORD>(-1));
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_STRING | MIIM_ID;
  char small[4];
  mii.dwTypeData = small;
  mii.cch = sizeof(small);
  ASSERT_TRUE(GetMenuItemInfoA(bar, 105, FALSE, &mii));
  EXPECT_STREQ(small, "E&x");
  EXPECT_EQ(mii.wID, 105u);
  mii.cbSize = 4;  // too small a record is refused
  EXPECT_FALSE(GetMenuItemInfoA(bar, 105, FALSE, &mii));
  DestroyMenu(bar);
}

TEST_F(Menus, PathsListAndResolveWithOrWithoutShortcutsAndMnemonics) {
  HMENU bar = LoadMenuFromTemplate(SampleMenu());
  std::vector<MenuCommandEntry> all = ListMenuCommands(bar);
  ASSERT_EQ(all.size(), 10u);
  EXPECT_EQ(all[0].path, "&File/&Load Texture");
  EXPECT_EQ(all[3].path, "&Tests/&2D Tests/&Lines/&Render Lines");
  EXPECT_EQ(all[5].path, "&Settings/Step");
  EXPECT_EQ(all[7].state, MFS_CHECKED);
  UINT id = 0;
  EXPECT_TRUE(FindMenuCommand(bar, "&Tests/&2D Tests/&Lines/&Render Lines", &id));
  EXPECT_EQ(id, 32773u);
  EXPECT_TRUE(FindMenuCommand(bar, "&Tests/&Screen Tests/&Immediate Lines", &id));
  EXPECT_EQ(id, 32868u);
  EXPECT_TRUE(FindMenuCommand(bar, "&Settings/Step\tSpace", &id));
  EXPECT_EQ(id, 32822u);
  EXPECT_TRUE(FindMenuCommand(bar, "Settings/Calls Per Frame/10", &id));
  EXPECT_EQ(id, 32816u);
  EXPECT_FALSE(FindMenuCommand(bar, "&Tests/&2D Tests", &id));  // a popup, not a command
  EXPECT_FALSE(FindMenuCommand(bar, "&File/Nothing", &id));
  DestroyMenu(bar);
}

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
