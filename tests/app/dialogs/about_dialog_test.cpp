// The About box as "&About ..." opens it: dialog 103 with the application
// name put in by its procedure, the three-line text, and OK or Cancel
// ending it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/app/window/window_fixture.h"

namespace {

using app_test::WindowTest;
using AboutBox = WindowTest;

std::string Text(HWND window, int id) {
  char text[256] = {};
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

TEST_F(AboutBox, ShowsTheApplicationNameAndEndsWithOkOrCancel) {
  backend_->shows_dialogs = true;
  std::string caption, name;
  UINT press = IDOK;
  int shown = 0;
  backend_->on_dialog = [&](HWND dialog) {
    ++shown;
    char text[64] = {};
    GetWindowTextA(dialog, text, sizeof text);
    caption = text;
    name = Text(dialog, 1007);
    SendMessageA(dialog, WM_COMMAND, press, 0);
  };
  Command(ids::kAbout);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(caption, "About");
  EXPECT_EQ(name, "Vornel Tests V0.5");
  EXPECT_EQ(CountLogLines("IDM_ABOUT"), 1u);
  press = IDCANCEL;
  Command(ids::kAbout);
  EXPECT_EQ(shown, 2);
  // Both presses ended the dialog: its loop never had to give up on it.
  EXPECT_EQ(backend_->dialog_idles, 0);
}

TEST_F(AboutBox, ItsTextEndsWithTheResultsLine) {
  DialogTemplate about = AboutDialogTemplate();
  int threeLines = 0;
  for (const DialogControl& c : about.controls) {
    if (std::count(c.text.begin(), c.text.end(), '\n') != 2) continue;
    ++threeLines;
    EXPECT_EQ(c.text.substr(c.text.rfind('\n') + 1), "Post your RESULTS.TXT results file to the forum!");
  }
  EXPECT_EQ(threeLines, 1);
}

}  // namespace
