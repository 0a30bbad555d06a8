// Modal dialogs and their controls, scripted dialog input, message box
// answers and the open-file dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/open_file_dialog.h"
#include "tests/platform/win32/ui_test_support.h"

using namespace ui_test;

namespace {

DialogTemplate TextureDialog() {
  DialogTemplate t;
  t.caption = "Create New Texture";
  t.cx = 451;
  t.cy = 157;
  t.script_command = "texture-dialog";
  t.controls = {
      DialogText(IDC_STATIC, "Width", 7, 7, 30, 8),
      DialogEdit(1001, 40, 7, 40, 12, "width"),
      DialogEdit(1002, 40, 22, 40, 12, "height"),
      DialogComboBox(1004, 90, 7, 90, 80, "format"),
      DialogComboBox(1005, 190, 7, 90, 80, "pool"),
      DialogText(1006, "Click OK to attempt the creation of the texture", 7, 60, 300, 8),
      DialogButton(IDOK, "OK", 340, 130, 50, 14, true),
      DialogButton(IDCANCEL, "Cancel", 394, 130, 50, 14),
  };
  return t;
}

struct TextureInput {
  UINT width = 128, height = 128;
  std::string format, pool, pool_at_paint;
  int paints = 0;
  int oks = 0;
} g_input;

INT_PTR CALLBACK TextureDialogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemInt(dlg, 1001, g_input.width, FALSE);
      SetDlgItemInt(dlg, 1002, g_input.height, FALSE);
      for (const char* f : {"D3DFMT_X8R8G8B8", "D3DFMT_A8R8G8B8", "D3DFMT_DXT1"})
        SendDlgItemMessageA(dlg, 1004, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f));
      SendDlgItemMessageA(dlg, 1004, CB_SETCURSEL, 0, 0);
      for (const char* p : {"D3DPOOL_SYSTEMMEM", "D3DPOOL_DEFAULT", "D3DPOOL_MANAGED", "D3DPOOL_SCRATCH"})
        SendDlgItemMessageA(dlg, 1005, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
      SetDlgItemTextA(dlg, 1005, "D3DPOOL_MANAGED");
      return TRUE;
    case WM_PAINT: {
      char text[41];
      GetDlgItemTextA(dlg, 1005, text, sizeof(text));
      g_input.pool_at_paint = text;
      ++g_input.paints;
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        ++g_input.oks;
        BOOL ok = FALSE;
        g_input.width = GetDlgItemInt(dlg, 1001, &ok, FALSE);
        g_input.height = GetDlgItemInt(dlg, 1002, &ok, FALSE);
        char text[41];
        GetDlgItemTextA(dlg, 1004, text, sizeof(text));
        g_input.format = text;
        GetDlgItemTextA(dlg, 1005, text, sizeof(text));
        g_input.pool = text;
        if (g_input.pool == "D3DPOOL_SCRATCH") {
          SetDlgItemTextA(dlg, 1006, "D3DERR_INVALIDCALL");  // creation failed: stay open
          return TRUE;
        }
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

std::string g_error;
void RecordError(const std::string& message) { g_error = message; }

class Dialogs : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    RegisterDialogResource(130, TextureDialog());
    g_input = TextureInput{};
    g_error.clear();
    SetScriptErrorHandler(RecordError);
  }
  INT_PTR Run(HWND owner) { return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), owner, TextureDialogProc, 0); }
  void UseScript(const char* text) {
    Script script;
    ASSERT_TRUE(ParseScript(text, &script, &g_error)) << g_error;
    runner_ = std::make_unique<ScriptRunner>(std::move(script));
    InstallScriptRunner(runner_.get());
  }
  std::unique_ptr<ScriptRunner> runner_;
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

TEST_F(Dialogs, ScriptFillsControlsLetsThemPaintAndPressesOk) {
  HWND owner = MakeWindow();
  UseScript("texture-dialog width=256 height=64 format=D3DFMT_DXT1 pool=\"D3DPOOL_DEFAULT\" ok\n");
  EXPECT_EQ(Run(owner), IDOK);
  EXPECT_EQ(g_input.width, 256u);
  EXPECT_EQ(g_input.height, 64u);
  EXPECT_EQ(g_input.format, "D3DFMT_DXT1");
  EXPECT_EQ(g_input.pool, "D3DPOOL_DEFAULT");
  EXPECT_EQ(g_input.pool_at_paint, "D3DPOOL_DEFAULT");  // painted after the fields were set
  // Without further input the next dialog is cancelled.
  EXPECT_EQ(Run(owner), IDCANCEL);
  EXPECT_TRUE(g_error.empty());
}

TEST_F(Dialogs, OkThatKeepsTheDialogOpenIsReportedAndCancelled) {
  UseScript("texture-dialog pool=D3DPOOL_SCRATCH ok\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run(nullptr), IDCANCEL);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(g_input.oks, 1);
  EXPECT_EQ(err, "Dialog [Create New Texture] stayed open after IDOK | 1006=D3DERR_INVALIDCALL\n");
}

TEST_F(Dialogs, UnknownFieldIsAScriptError) {
  UseScript("\n\ntexture-dialog depth=3 ok\n");
  EXPECT_EQ(Run(nullptr), IDCANCEL);
  EXPECT_EQ(g_error, "script:3: the dialog \"Create New Texture\" has no field \"depth\"");
}

TEST_F(Dialogs, MessageBoxesTakeScriptedAnswersInOrderAndLogALine) {
  UseScript("answer retry\nanswer cancel\nanswer retry\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Lost\nthe device", "Vorn::SetRez()", MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
  EXPECT_EQ(MessageBoxA(nullptr, "Again", "Cap", MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Only OK", "Cap", MB_OK), IDOK);  // "retry" is not a button here
  EXPECT_EQ(MessageBoxA(nullptr, "Default", "Cap", MB_RETRYCANCEL), IDRETRY);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "MessageBox [Vorn::SetRez()] Lost\\nthe device -> IDRETRY\n"
            "MessageBox [Cap] Again -> IDCANCEL\n"
            "MessageBox [Cap] Only OK -> IDOK\n"
            "MessageBox [Cap] Default -> IDRETRY\n");
}

TEST_F(Dialogs, OpenFileAnswersFillTheCallersBufferSafely) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("vornel_open_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "Pic.BMP") << "x";
  std::string file = (dir / "pic.bmp").string();  // found without regard to case
  std::string script = "open-file \"" + file + "\"\nopen-file cancel\nopen-file \"" + file + "\"\nopen-file /no/such.bmp\n";
  UseScript(script.c_str());
  char buffer[512] = "keep";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFilter = "All\0*.*\0Bitmaps (*.bmp)\0*.bmp\0Jpegs (*.jpg)\0*.jpg\0";
  ofn.nFilterIndex = 2;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = sizeof(buffer);
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  EXPECT_EQ(CountFileFilters(ofn.lpstrFilter), 3);
  EXPECT_STREQ(FileFilterAt(ofn.lpstrFilter, 1).pattern, "*.bmp");
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(std::string(buffer), file);
  EXPECT_EQ(std::string(buffer + ofn.nFileOffset), "pic.bmp");
  EXPECT_EQ(std::string(buffer + ofn.nFileExtension), "bmp");
  EXPECT_FALSE(GetOpenFileNameA(&ofn));  // cancel
  ofn.nMaxFile = 8;                      // too small: refused, nothing written past it
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  ofn.nMaxFile = sizeof(buffer);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(GetOpenFileNameA(&ofn));  // must exist
  EXPECT_NE(testing::internal::GetCapturedStderr().find("does not exist"), std::string::npos);
  EXPECT_FALSE(GetOpenFileNameA(&ofn));  // no more answers: cancel
  fs::remove_all(dir);
}

TEST_F(Dialogs, QuitDuringADialogEndsItAndStaysForTheOuterLoop) {
  DLGPROC proc = [](HWND dlg, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    if (m == WM_INITDIALOG) PostQuitMessage(3);
    if (m == WM_COMMAND) return FALSE;  // ignores every button
    return TextureDialogProc(dlg, m, w, l);
  };
  Script script;  // a script that presses nothing the procedure accepts
  runner_ = std::make_unique<ScriptRunner>(std::move(script));
  InstallScriptRunner(runner_.get());
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), nullptr, proc, 0), IDCANCEL);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(Dialogs, DialogThatIgnoresCancelIsEndedAllTheSame) {
  DLGPROC proc = [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_INITDIALOG; };
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), nullptr, proc, 0), IDCANCEL);  // headless, no script
  UseScript("texture-dialog width=1 ok\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(130), nullptr, proc, 0), IDCANCEL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Dialog [Create New Texture] stayed open after IDOK | 1006=Click OK to attempt the creation of the texture\n");
}
