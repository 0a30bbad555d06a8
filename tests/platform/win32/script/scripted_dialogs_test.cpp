// Dialogs, message boxes and open-file dialogs answered by a script: the
// fields it fills, the buttons it presses, the answers it gives in order,
// and what it reports when a dialog will not end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/win32/open_file_dialog.h"
#include "tests/platform/win32/script/script_test_support.h"
#include "tests/platform/win32/texture_dialog_sample.h"

using namespace win32_test;

namespace {

std::string g_error;
void RecordError(const std::string& message) { g_error = message; }

class Dialogs : public ScriptUiTest {
 protected:
  void SetUp() override {
    ScriptUiTest::SetUp();
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
