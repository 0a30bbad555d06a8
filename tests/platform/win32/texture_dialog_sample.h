// The sample dialog of the dialog tests: a "Create New Texture" dialog
// description with edits, combo boxes and a status text, and a procedure
// that fills it, records what it sees and keeps the dialog open when the
// pool is D3DPOOL_SCRATCH (as a failed creation does).
#pragma once

#include <string>

#include "platform/win32/dialogs.h"
#include "platform/win32/message_box.h"
#include "platform/win32/messages.h"

namespace win32_test {

inline DialogTemplate TextureDialog() {
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
};

inline TextureInput g_input;

inline INT_PTR CALLBACK TextureDialogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
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

}  // namespace win32_test
