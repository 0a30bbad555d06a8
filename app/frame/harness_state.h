// HarnessState: the harness's global settings record. The window procedure
// writes it between frames; the main loop and the test cases read it.
#pragma once

#include <ctime>
#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/win32/messages.h"
#include "platform/win32/windows.h"

struct Render;

// The input of "Create New Texture" (dialog 130) and of the command that
// creates the user-defined copy target from it.
struct UserTextureSettings {
  UINT width = 128;
  UINT height = 128;
  int formatIndex = 0;  // into FormatTable
  DWORD usage = 0;
  DWORD pool = 1;       // D3DPOOL_MANAGED
  char usageText[40] = {};
  char poolText[40] = {};
};

struct HarnessState {
  // The main loop and the test runner.
  UINT selectedTest = 0;       // menu command id of the current test; 0 none
  bool running = true;         // the selected test is called each frame
  bool stepping = false;       // running is cleared after each frame
  bool freeRunning = true;     // false: "On &Messages", wait before each frame
  bool fpsLogging = false;     // "FPS Logging to Text File"
  unsigned callsPerFrame = 1;  // 1, 10, 100, 200, 500 or 800
  DWORD textureFilter = 1;     // D3DTEXF_POINT; 2 linear, 3 anisotropic
  bool needsInit = false;      // the test does its one-time set-up this call
  unsigned frameCount = 0;     // frames counted in the current second
  std::tm savedTime{};         // copy of LastLocalTime; seconds compared
  std::string testName = "No Test";  // two words: "void TestTPrint()"
  RECT viewRect{};             // the drawing area above the status bar
  int statusPartCount = 1;
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  HWND statusBar = nullptr;
  HACCEL accelerators = nullptr;
  char title[100] = {};
  char windowClass[100] = {};
  MSG lastMessage{};

  // Settings the menu commands change.
  bool random = true;
  bool defined = false;
  bool transparentText = false;
  signed char noCopyRenderBuffer = 0;  // 0 copy the list, -1 draw the buffer
  int fillMode = 0;                    // 0 solid, 1 wireframe, 2 point
  bool flatShading = false;
  int copyTarget = 4;                  // 0..4 the pictures, 5 user defined
  bool copyFromTexture = false;
  UINT resolutionId = 32907;           // "1024 x 768"
  int resolutionWidth = 1024;
  int resolutionHeight = 768;
  UserTextureSettings userTexture;
  HMENU menu = nullptr;  // the menu of the last WM_INITMENU
};

extern HarnessState g_Harness;

// The shared Render record of the 2D tests' Not Random modes, created by
// WinMain (6408 vertices in each of its 2D and screen lists).
extern Render g_SharedRender;
