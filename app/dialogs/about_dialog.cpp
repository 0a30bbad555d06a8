// AboutDialogProc: dialog 103 with the application name; OK and Cancel
// end it.
#include "app/frame/application_name.h"
#include "app/window/main_window.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/message_box.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, 1007, kApplicationName);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}
