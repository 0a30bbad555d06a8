// The program's entry point: options, the backend, the main window, and the
// engine's start-up, first frame and shutdown.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "app/engine_instance.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/backend_select.h"
#include "platform/win32/messages.h"
#include "platform/win32/window.h"

namespace {

constexpr const char* kUsage =
    "usage: vornel [--headless] [--script FILE]\n"
    "       vornel --help | --version\n"
    "\n"
    "  --headless      run without a window system (windows are memory only)\n"
    "  --script FILE   drive the program from a script of menu choices, keys,\n"
    "                  answers and screenshots\n";

struct Options {
  bool headless = false;
  const char* script = nullptr;
};

// Returns -1 to go on, or the exit status to end with.
int ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(a, "--version") == 0) {
      std::printf("vornel %s\n", kLogVersion);
      return 0;
    }
    if (std::strcmp(a, "--headless") == 0) {
      options->headless = true;
    } else if (std::strcmp(a, "--script") == 0 && i + 1 < argc) {
      options->script = argv[++i];
    } else {
      std::fprintf(stderr, "vornel: unknown option '%s'\n%s", a, kUsage);
      return 2;
    }
  }
  return -1;
}

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  return (x && *x) || (w && *w) || (qpa && *qpa);
}

}  // namespace

namespace {

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      RECT client{};
      GetClientRect(hwnd, &client);
      g_Engine.m_bPainting = true;
      g_Engine.ScreenSwap(client.right, client.bottom);
      g_Engine.m_bPainting = false;
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_DESTROY:
      LogText("W: WM_DESTROY");
      g_Engine.m_bQuit = true;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

namespace {

int Run(int argc, char** argv) {
  Options options;
  int status = ParseOptions(argc, argv, &options);
  if (status >= 0) return status;
  if (!options.headless && !HasDisplay()) {
    std::fputs("vornel: no display found; run with --headless\n", stderr);
    return 2;
  }
  std::string error;
  status = InitBackend(options.headless ? BackendKind::kHeadless : BackendKind::kQt, options.script, &error);
  if (status != 0) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return status;
  }

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainWindowProc;
  wc.lpszClassName = "VORNELTESTS";
  RegisterClassExA(&wc);
  RECT frame = {0, 0, 1024, 768};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND hwnd = CreateWindowExA(0, "VORNELTESTS", "VornelTests", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) {
    ShutdownBackend();
    return 0;
  }
  ShowWindow(hwnd, SW_SHOW);
  LogText(kApplicationName);

  g_Engine.m_PresentParams.SwapEffect = D3DSWAPEFFECT_COPY;
  g_Engine.m_nRenderTextureWidth = 256;
  g_Engine.m_nRenderTextureHeight = 256;
  g_Engine.m_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  g_StartupSettings.mainWindow = hwnd;
  Startup(g_Engine, wc);

  // The first frame: the working picture over the whole view (the default
  // bitmap when "pic5.bmp" is missing) with the program's name on it.
  RECT client{};
  GetClientRect(hwnd, &client);
  g_Engine.ClearScreen();
  if (g_Engine.m_pD3DDevice && g_Engine.m_pTextures) {
    IDirect3DDevice9* device = g_Engine.m_pD3DDevice;
    if (g_Engine.LoadTexture("pic5.bmp", 6)) g_Engine.LoadTexture();
    g_Engine.Set2DView(1.0f, 1.0f, 1.0f);
    g_Engine.BeginScene();
    device->SetTexture(0, g_Engine.m_pTextures[6]);
    g_Engine.m_nCurrentTexture = 6;
    g_Engine.DrawTextureBar(-1.0f, 1.0f, 1.0f, -1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    device->SetTexture(0, g_Engine.m_pTextures[0]);
    g_Engine.m_nFirstChar = 0;  // the font image starts at code 0
    g_Engine.TPrint(kApplicationName, 2.0f, 2.0f);
    g_Engine.EndScene();
  }
  g_Engine.ScreenSwap(client.right, client.bottom);
  g_Engine.CheckDeviceCaps();

  // With a script or a real window, messages run until the window closes;
  // headless without a script there is nobody to close it, so it closes now.
  if (options.headless && !options.script) DestroyWindow(hwnd);
  MSG msg{};
  while (!g_Engine.m_bQuit && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ShutdownBackend();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int status = Run(argc, argv);
  DestroyEngineAtExit();
  return status;
}
