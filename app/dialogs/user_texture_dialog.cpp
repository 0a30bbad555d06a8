// UserTextureDialogProc: "Create New Texture" (dialog 130). It shows the
// settings of the user-defined copy target, previews the creation call
// and, on OK, creates the texture into slot 6; a failed creation leaves
// the dialog open with the error's name.
#include <cstdio>
#include <cstring>

#include "app/frame/engine_instance.h"
#include "app/dialogs/format_table.h"
#include "app/frame/harness_state.h"
#include "app/window/main_window.h"
#include "engine/vorn.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/message_box.h"

namespace {

constexpr int kWidth = 1001, kHeight = 1002, kUsage = 1003, kFormat = 1004, kPool = 1005;
constexpr int kError = 1006, kPreview = 1007;

const char* const kUsages[] = {"0", "D3DUSAGE_DYNAMIC", "D3DUSAGE_RENDERTARGET"};
const char* const kPools[] = {"D3DPOOL_DEFAULT", "D3DPOOL_MANAGED", "D3DPOOL_SCRATCH", "D3DPOOL_SYSTEMMEM"};

void InitDialog(HWND dialog) {
  UserTextureSettings& u = g_Harness.userTexture;
  SetDlgItemTextA(dialog, kUsage, u.usageText);
  SetDlgItemTextA(dialog, kPool, u.poolText);
  SetDlgItemInt(dialog, kWidth, u.width, FALSE);
  SetDlgItemInt(dialog, kHeight, u.height, FALSE);
  for (int i = 0; i < kFormatCount; ++i) {
    SendDlgItemMessageA(dialog, kFormat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FormatTable[i].name));
  }
  SendDlgItemMessageA(dialog, kFormat, CB_SETCURSEL, static_cast<WPARAM>(u.formatIndex), 0);
  SetDlgItemTextA(dialog, kFormat, FormatTable[u.formatIndex].name);
  for (const char* usage : kUsages) {
    SendDlgItemMessageA(dialog, kUsage, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(usage));
  }
  for (const char* pool : kPools) {
    SendDlgItemMessageA(dialog, kPool, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pool));
  }
}

void ShowPreview(HWND dialog) {
  UserTextureSettings& u = g_Harness.userTexture;
  GetDlgItemTextA(dialog, kUsage, u.usageText, sizeof u.usageText);
  GetDlgItemTextA(dialog, kPool, u.poolText, sizeof u.poolText);
  char preview[256];
  std::snprintf(preview, sizeof preview, "D3DXCreateTexture(Vorn.GetDevice(),%d,%d,0,%s,%s,%s,*Texture)",
                static_cast<int>(u.width), static_cast<int>(u.height), u.usageText,
                FormatTable[u.formatIndex].name, u.poolText);
  SetDlgItemTextA(dialog, kPreview, preview);
}

// OK: reads the controls into the settings and creates the texture.
void Create(HWND dialog) {
  UserTextureSettings& u = g_Harness.userTexture;
  g_Engine.ReleaseTexture(6);
  u.width = GetDlgItemInt(dialog, kWidth, nullptr, FALSE);
  u.height = GetDlgItemInt(dialog, kHeight, nullptr, FALSE);
  char text[64];
  GetDlgItemTextA(dialog, kFormat, text, sizeof text);
  int format = FindFormat(text);
  if (format >= 0) u.formatIndex = format;
  GetDlgItemTextA(dialog, kUsage, text, sizeof text);
  if (std::strcmp(text, "0") == 0) u.usage = 0;
  if (std::strcmp(text, "D3DUSAGE_DYNAMIC") == 0) u.usage = D3DUSAGE_DYNAMIC;
  if (std::strcmp(text, "D3DUSAGE_RENDERTARGET") == 0) u.usage = D3DUSAGE_RENDERTARGET;
  GetDlgItemTextA(dialog, kPool, text, sizeof text);
  if (std::strcmp(text, "D3DPOOL_DEFAULT") == 0) u.pool = D3DPOOL_DEFAULT;
  if (std::strcmp(text, "D3DPOOL_MANAGED") == 0) u.pool = D3DPOOL_MANAGED;
  if (std::strcmp(text, "D3DPOOL_SCRATCH") == 0) u.pool = D3DPOOL_SCRATCH;
  if (std::strcmp(text, "D3DPOOL_SYSTEMMEM") == 0) u.pool = D3DPOOL_SYSTEMMEM;

  HRESULT hr = D3DERR_INVALIDCALL;
  if (g_Engine.m_pD3DDevice && g_Engine.m_pTextures) {
    hr = D3DXCreateTexture(g_Engine.m_pD3DDevice, u.width, u.height, 0, u.usage, FormatTable[u.formatIndex].value,
                           static_cast<D3DPOOL>(u.pool), &g_Engine.m_pTextures[6]);
  }
  g_Harness.copyTarget = 5;
  if (SUCCEEDED(hr)) {
    EndDialog(dialog, IDOK);
  } else {
    SetDlgItemTextA(dialog, kError, DXGetErrorString9A(hr));
  }
}

}  // namespace

INT_PTR CALLBACK UserTextureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog);
      return TRUE;
    case WM_PAINT:
      ShowPreview(dialog);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        Create(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}
