// "&Load Texture": the open-file dialog, then the chosen picture into
// texture slot 5 at its own size. The file buffer keeps the last choice.
#include "app/frame/engine_instance.h"
#include "app/window/main_window.h"
#include "engine/vorn.h"
#include "platform/win32/open_file_dialog.h"

void LoadTextureCommand() {
  static char file[512];
  OPENFILENAMEA ofn{};
  ofn.lStructSize = 88;
  ofn.hwndOwner = g_Engine.m_hwnd;
  ofn.lpstrFilter = "All\0*.*\0Bitmaps (*.bmp)\0*.bmp\0Jpegs (*.jpg)\0*.jpg\0";
  ofn.nFilterIndex = 2;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrFileTitle = nullptr;
  ofn.lpstrInitialDir = "/0";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&ofn)) return;
  g_Engine.ReleaseTexture(5);
  g_Engine.LoadTexture(file, 5);
}
