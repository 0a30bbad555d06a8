// Menus loaded from descriptions, check states by command id, and menu
// paths (WM_INITMENU before a choice and accelerator translation of keys are
// in script/, where a script makes the choices and presses the keys).
#include <gtest/gtest.h>

#include "tests/platform/win32/ui_test_support.h"

using namespace win32_test;

using Menus = UiTest;

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
