// WinMain: brings up the main window, the engine and the test pictures,
// shows the splash, runs the main loop, then shuts the engine down and
// condenses the log's statistics into "RESULTS.TXT".
#include "app/frame/win_main.h"

#include <cstring>

#include "app/window/command_ids.h"
#include "app/frame/engine_instance.h"
#include "app/dialogs/format_table.h"
#include "app/frame/harness_state.h"
#include "app/frame/main_loop.h"
#include "app/window/main_window.h"
#include "app/frame/results_file.h"
#include "app/window/status_texts.h"
#include "engine/render/render_list.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/accelerators.h"
#include "platform/win32/resources.h"

namespace {

constexpr int kSharedListVertices = 6408;

void CreateSharedRender() {
  Render& r = g_SharedRender;
  r = Render{};
  r.max2D = kSharedListVertices;
  r.maxScreen = kSharedListVertices;
  r.verts2D = new Vertex2D[kSharedListVertices + 1]();
  r.vertsScreen = new VertexScreen[kSharedListVertices + 1]();
  r.count2D = 0;
  r.countScreen = 0;
  r.engine = &g_Engine;
}

// The view: the main window's client area above the status bar.
void MeasureViewRect() {
  GetClientRect(g_Harness.mainWindow, &g_Harness.viewRect);
  RECT bar{};
  GetClientRect(g_Harness.statusBar, &bar);
  g_Harness.viewRect.bottom -= bar.bottom + 1;
}

void ShowSplash() {
  IDirect3DDevice9* device = g_Engine.m_pD3DDevice;
  if (!device) return;
  device->LightEnable(0, TRUE);
  g_Engine.Set2DView(1.0f, 1.0f, 1.0f);
  device->SetTexture(0, g_Engine.m_pTextures ? g_Engine.m_pTextures[6] : nullptr);
  g_Engine.m_nCurrentTexture = 6;
  if (!g_Engine.m_bInScene) g_Engine.BeginScene();
  g_Engine.DrawTextureBar(-1.0f, 1.0f, 1.0f, -1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
  if (g_Engine.m_bInScene) g_Engine.EndScene();
  g_Engine.ScreenSwap(g_Harness.viewRect.right, g_Harness.viewRect.bottom);
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int showCommand) {
  HarnessState& h = g_Harness;
  LoadStringA(instance, ids::kStringTitle, h.title, sizeof h.title);
  LoadStringA(instance, ids::kStringWindowClass, h.windowClass, sizeof h.windowClass);
  RegisterMainClass(instance);
  if (!CreateMainWindow(instance, showCommand)) return 0;
  h.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(ids::kAccelerators));

  // The 1024 x 768 rectangle centred on the desktop.
  RECT desktop{};
  GetClientRect(GetDesktopWindow(), &desktop);
  double w = desktop.right - desktop.left, hgt = desktop.bottom - desktop.top;
  h.viewRect.left = static_cast<LONG>(w / 2 - 512);
  h.viewRect.right = static_cast<LONG>(w / 2 + 512);
  h.viewRect.top = static_cast<LONG>(hgt / 2 - 384);
  h.viewRect.bottom = static_cast<LONG>(hgt / 2 + 384);

  LogText(kApplicationName);
  g_Engine.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
  g_Engine.m_nRenderTextureWidth = 256;
  g_Engine.m_nRenderTextureHeight = 256;
  g_Engine.m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  g_Engine.m_bResizeWindow = true;
  FillFormatTable();

  g_StartupSettings.mainWindow = h.mainWindow;
  Startup(g_Engine, MainWindowClass());
  if (IDirect3DDevice9* device = g_Engine.m_pD3DDevice) {
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }
  g_Engine.ScreenSwap(h.viewRect.right, h.viewRect.bottom);

  g_Engine.m_TexturePool = D3DPOOL_DEFAULT;
  g_Engine.m_TextureUsage = D3DUSAGE_RENDERTARGET;
  g_Engine.LoadTexture("pic1.jpg", 1, 256, 512);
  g_Engine.LoadTexture("pic2.jpg", 2, 512, 256);
  g_Engine.LoadTexture("pic3.bmp", 3, 512, 512);
  g_Engine.LoadTexture("pic4.jpg", 4, 256, 256);
  g_Engine.LoadTexture("pic5.bmp", 6);

  CreateSharedRender();
  ShowSplash();
  SetStatusTexts("No Test Running", nullptr);
  UpdateWindow(h.statusBar);
  ShowWindow(h.statusBar, SW_SHOW);
  MeasureViewRect();
  g_Engine.ScreenSwap(h.viewRect.right, h.viewRect.bottom);
  g_Engine.m_bResizeWindow = false;
  g_Engine.CheckDeviceCaps();
  LogText("\n\n********************************* STARTING MAIN LOOP ****************************************\n\n");

  RunMainLoop();

  DrainMessages();
  LogText("\n\n*********************************  ENDING MAIN LOOP  ****************************************\n\n");
  g_Engine.KillD3D();
  WriteResultsFile("logfile.txt", "RESULTS.TXT");
  g_SharedRender.Free();
  return static_cast<int>(h.lastMessage.wParam);
}
