// Modal dialogs and their controls when nobody answers them (scripted
// dialogs, boxes and open-file answers are in script/).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/platform/win32/fake_backend.h"
#include "tests/platform/win32/texture_dialog_sample.h"
#include "tests/platform/win32/ui_test_support.h"

using namespace win32_test;

namespace {

class Dialogs : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    RegisterDialogResource(130, TextureDialog());
    g_input = TextureInput{};
  }
  INT_PTR Run(HWND owner) { return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), owner, TextureDialogProc, 0); }
};

}  // namespace

TEST_F(Dialogs, ControlsKeepTextsNumbersAndSortedLists) {
  static HWND seen_edit;
  static std::vector<std::string> formats;
  static UINT bad_number;
  static BOOL bad_translated;
  static int negative;
  DLGPROC proc = [](HWND dlg, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    if (m == WM_INITDIALOG) {
      TextureDialogProc(dlg, m, w, l);
      seen_edit = GetDlgItem(dlg, 1001);
      formats = ComboBoxItems(GetDlgItem(dlg, 1004));
      SetDlgItemTextA(dlg, 1002, "12x");
      bad_number = GetDlgItemInt(dlg, 1002, &bad_translated, FALSE);
      SetDlgItemInt(dlg, 1002, static_cast<UINT>(-5), TRUE);
      negative = static_cast<int>(GetDlgItemInt(dlg, 1002, nullptr, TRUE));
      return TRUE;
    }
    return TextureDialogProc(dlg, m, w, l);
  };
  HWND owner = MakeWindow();
  Log().clear();
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), owner, proc, 0), IDCANCEL);  // nobody answers
  EXPECT_NE(seen_edit, nullptr);
  EXPECT_FALSE(IsWindow(seen_edit));
  std::vector<std::string> sorted{"D3DFMT_A8R8G8B8", "D3DFMT_DXT1", "D3DFMT_X8R8G8B8"};
  EXPECT_EQ(formats, sorted);
  EXPECT_EQ(bad_number, 0u);
  EXPECT_FALSE(bad_translated);
  EXPECT_EQ(negative, -5);
  EXPECT_EQ(Count(WM_ENTERIDLE), 1);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(131), owner, proc, 0), -1);
}

TEST_F(Dialogs, ComboBoxMessagesFollowTheWindowsRules) {
  static LRESULT add_index, cursel_before, cursel, find, bad_set;
  static std::string text_after_set;
  DLGPROC proc = [](HWND dlg, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    if (m != WM_INITDIALOG) return TextureDialogProc(dlg, m, w, l);
    HWND combo = GetDlgItem(dlg, 1005);
    cursel_before = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b"));
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("D"));
    add_index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("c"));  // sorted, ignoring case
    cursel = SendMessageA(combo, CB_SETCURSEL, 1, 0);
    char text[16];
    GetWindowTextA(combo, text, sizeof(text));
    text_after_set = text;
    find = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("d"));
    bad_set = SendMessageA(combo, CB_SETCURSEL, 99, 0);
    return TRUE;
  };
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), nullptr, proc, 0), IDCANCEL);
  EXPECT_EQ(cursel_before, CB_ERR);
  EXPECT_EQ(add_index, 1);
  EXPECT_EQ(cursel, 1);
  EXPECT_EQ(text_after_set, "c");
  EXPECT_EQ(find, 2);
  EXPECT_EQ(bad_set, CB_ERR);
}

TEST_F(Dialogs, BackendThatShowsDialogsHearsStartIdleAndEnd) {
  // Outlives the test: the fake hears of the windows the fixture destroys.
  static FakeBackend::Record record;
  record = {};
  auto owned = std::make_unique<FakeBackend>(&record);
  FakeBackend* fake = owned.get();
  InstallBackend(std::move(owned));
  // Its idle hook says nobody can answer: the dialog is cancelled.
  EXPECT_EQ(Run(nullptr), IDCANCEL);
  auto at = [&](const std::string& what) {
    return std::find(record.calls.begin(), record.calls.end(), what) - record.calls.begin();
  };
  ASSERT_EQ(fake->Count("dialog-started"), 1);
  EXPECT_EQ(fake->Count("dialog-idle"), 1);
  ASSERT_EQ(fake->Count("dialog-ended"), 1);
  EXPECT_LT(at("dialog-started"), at("dialog-idle"));
  EXPECT_LT(at("dialog-idle"), at("dialog-ended"));
  EXPECT_LT(at("dialog-ended"), at("destroyed"));  // told before its windows go

  // One that shows none is never told; the dialog is cancelled at once.
  record.calls.clear();
  fake->shows_dialogs = false;
  EXPECT_EQ(Run(nullptr), IDCANCEL);
  EXPECT_EQ(fake->Count("dialog-started"), 0);
  EXPECT_EQ(fake->Count("dialog-idle"), 0);
  EXPECT_EQ(fake->Count("dialog-ended"), 0);
}
