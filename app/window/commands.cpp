// WM_COMMAND: the command table of the menu and the accelerators. Each
// command changes HarnessState or an engine field; needsInit makes the
// running test set itself up again in its next call.
#include <cstring>

#include "app/window/command_ids.h"
#include "app/frame/engine_instance.h"
#include "app/dialogs/format_table.h"
#include "app/frame/harness_state.h"
#include "app/window/main_window.h"
#include "app/window/menu_checks.h"
#include "app/window/status_texts.h"
#include "app/cases/case_table.h"
#include "engine/vorn.h"
#include "log/event_log.h"
#include "platform/win32/clock.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/resources.h"

namespace {

struct Resolution {
  UINT id;
  int width;
  int height;
  const char* text;
};
constexpr Resolution kResolutions[] = {
    {32905, 640, 480, "640 x 480"},     {32906, 800, 600, "800 x 600"},
    {32907, 1024, 768, "1024 x 768"},   {32908, 1600, 900, "1600 x 900"},
    {32909, 1600, 1200, "1600 x 1200"}, {32910, 1680, 1050, "1680 x 1050"},
    {32911, 1920, 1200, "1920 x 1200"},
};

struct Picture {
  UINT id;
  const char* file;
  int width;
  int height;
};
constexpr Picture kPictures[] = {
    {32835, "pic1.jpg", 256, 512},
    {32836, "pic2.jpg", 512, 256},
    {32837, "pic3.bmp", 512, 512},
    {32838, "pic4.jpg", 256, 256},
};

constexpr unsigned kCallCounts[] = {1, 10, 100, 200, 500, 800};

void SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (g_Engine.m_pD3DDevice) g_Engine.m_pD3DDevice->SetRenderState(state, value);
}

DWORD GetRenderState(D3DRENDERSTATETYPE state) {
  DWORD value = 0;
  if (g_Engine.m_pD3DDevice) g_Engine.m_pD3DDevice->GetRenderState(state, &value);
  return value;
}

void SelectTest(UINT id) {
  g_Harness.selectedTest = id;
  g_Harness.needsInit = true;
  g_Harness.frameCount = 0;
  ClockLocalTime(ClockCalendarTime(), &LastLocalTime);
  g_Harness.savedTime = LastLocalTime;
}

// Ids that are neither commands nor tests but lie in the test ranges of
// the menu select "no test".
bool IsTestRange(UINT id) { return (id >= 32771 && id <= 32783) || id == 32799 || id > 32812; }

void SetSwapEffect(UINT checked, UINT unchecked, D3DSWAPEFFECT effect) {
  SetMenuCheck(true, checked);
  SetMenuCheck(false, unchecked);
  g_Engine.m_PresentParams.SwapEffect = effect;
  g_Engine.SetRez(g_Harness.resolutionWidth, g_Harness.resolutionHeight);
  SetRenderState(D3DRS_LIGHTING, FALSE);
}

void CreateUserTexture() {
  g_Engine.ReleaseTexture(6);
  const UserTextureSettings& u = g_Harness.userTexture;
  if (g_Engine.m_pD3DDevice && g_Engine.m_pTextures) {
    D3DXCreateTexture(g_Engine.m_pD3DDevice, u.width, u.height, 0, u.usage, FormatTable[u.formatIndex].value,
                      static_cast<D3DPOOL>(u.pool), &g_Engine.m_pTextures[6]);
  }
  g_Harness.needsInit = true;
  g_Harness.copyTarget = 5;
}

// The running-mode commands, which show the mode in the fourth part.
void ShowRunMode(const char* text) { SetStatusTexts("", "", "", text, nullptr); }

}  // namespace

bool HandleCommand(HWND hwnd, UINT /*message*/, WPARAM wParam, LPARAM /*lParam*/) {
  const UINT id = LOWORD(wParam);
  HarnessState& h = g_Harness;

  for (const Resolution& r : kResolutions) {
    if (id != r.id) continue;
    h.resolutionId = id;
    g_Engine.SetRez(r.width, r.height);
    h.resolutionWidth = static_cast<int>(g_Engine.m_fScreenWidth);
    h.resolutionHeight = static_cast<int>(g_Engine.m_fScreenHeight);
    SetStatusTexts("", r.text, "", "", nullptr);
    return true;
  }
  for (const Picture& p : kPictures) {
    if (id != p.id) continue;
    g_Engine.ReleaseTexture(6);
    g_Engine.LoadTexture(p.file, 6, p.width, p.height);
    h.needsInit = true;
    h.copyTarget = static_cast<int>(id - ids::kTexture1);
    return true;
  }
  if (id >= ids::kCalls1 && id <= ids::kCalls800) {
    h.callsPerFrame = kCallCounts[id - ids::kCalls1];
    h.needsInit = true;
    LogUnsigned("Calls per frame=%d", h.callsPerFrame);
    return true;
  }
  if (id >= ids::kCopyFilterNone && id <= ids::kCopyFilterBox) {
    g_Engine.m_CopyFilter = id - ids::kCopyFilterNone + 1;
    return true;
  }

  switch (id) {
    case ids::kLoadTexture:
      LoadTextureCommand();
      return true;
    case ids::kExit:
      LogText("File->Exit");
      g_Engine.m_bQuit = true;
      DestroyWindow(hwnd);
      return true;
    case ids::kAbout:
      LogText("W: IDM_ABOUT");
      DialogBoxParamA(h.instance, MAKEINTRESOURCEA(ids::kDialogAbout), hwnd, AboutDialogProc, 0);
      return true;
    case ids::kStep:
      h.running = true;
      h.stepping = true;
      ShowRunMode("Stepping");
      return true;
    case ids::kResume:
      h.running = true;
      h.stepping = false;
      ShowRunMode("Free Running");
      return true;
    case ids::kOnMessages:
      h.freeRunning = !h.freeRunning;
      if (!h.freeRunning) {
        ShowRunMode("Update On Messages");
      } else {
        ShowRunMode(h.stepping ? "Stepping" : "Free Running");
      }
      return true;
    case ids::kFpsLogging:
      SetMenuCheck(!IsMenuChecked(ids::kFpsLogging), ids::kFpsLogging);
      h.fpsLogging = IsMenuChecked(ids::kFpsLogging);
      return true;
    case ids::kCullNone:
    case ids::kCullNone2:
      SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
      return true;
    case ids::kCullCw:
    case ids::kCullCw2:
      SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
      return true;
    case ids::kCullCcw:
    case ids::kCullCcw2:
      SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
      return true;
    case ids::kRandom:
      h.random = true;
      h.defined = false;
      h.needsInit = true;
      return true;
    case ids::kStatic:
      h.random = false;
      h.defined = false;
      h.needsInit = true;
      return true;
    case ids::kDefined:
      h.random = false;
      h.defined = true;
      h.needsInit = true;
      return true;
    case ids::kTexture5:
      g_Engine.ReleaseTexture(6);
      g_Engine.LoadTexture();
      h.needsInit = true;
      h.copyTarget = 4;
      return true;
    case ids::kUserTexture:
      CreateUserTexture();
      return true;
    case ids::kEditUserTexture:
      LogText("W: ID_COPYTOTESTTEXTURE_USERDEFINEDTEXTURE");
      DialogBoxParamA(h.instance, MAKEINTRESOURCEA(ids::kDialogUserTexture), hwnd, UserTextureDialogProc, 0);
      return true;
    case ids::kAllowFastCopy:
      g_Engine.m_bFastCopy = !g_Engine.m_bFastCopy;
      return true;
    case ids::kCopyFromTexture:
      h.copyFromTexture = !h.copyFromTexture;
      return true;
    case ids::kFillPoint:
      SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
      h.fillMode = 2;
      return true;
    case ids::kFillWireFrame:
      SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
      h.fillMode = 1;
      return true;
    case ids::kFillSolid:
      SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
      h.fillMode = 0;
      return true;
    case ids::kShadeGouraud:
      SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
      h.flatShading = false;
      return true;
    case ids::kShadeFlat:
      SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
      h.flatShading = true;
      return true;
    case ids::kFilterPoint:
    case ids::kFilterLinear:
    case ids::kFilterAnisotropic:
      h.textureFilter = id - ids::kFilterPoint + 1;
      return true;
    case ids::kSwapFlip:
      SetSwapEffect(ids::kSwapFlip, ids::kSwapCopy, D3DSWAPEFFECT_FLIP);
      return true;
    case ids::kSwapCopy:
      SetSwapEffect(ids::kSwapCopy, ids::kSwapFlip, D3DSWAPEFFECT_COPY);
      return true;
    case ids::kResizeWindow:
      g_Engine.m_bResizeWindow = !g_Engine.m_bResizeWindow;
      SetMenuCheck(g_Engine.m_bResizeWindow, ids::kResizeWindow);
      return true;
    case ids::kClearScreen:
      g_Engine.ClearScreen();
      InvalidateRect(g_Engine.m_hwnd, nullptr, FALSE);
      return true;
    case ids::kCopyRenderBuffer:
      h.noCopyRenderBuffer = h.noCopyRenderBuffer == 0 ? -1 : 0;
      return true;
    case ids::kDumpTextures:
      SetMenuCheck(!IsMenuChecked(ids::kDumpTextures), ids::kDumpTextures);
      g_Engine.m_bDumpTexturesOnReset = IsMenuChecked(ids::kDumpTextures);
      return true;
    case ids::kScaleSprites:
      g_Engine.SetPointScaling(GetRenderState(D3DRS_POINTSCALEENABLE) == FALSE);
      SetMenuCheck(GetRenderState(D3DRS_POINTSCALEENABLE) != FALSE, ids::kScaleSprites);
      return true;
    case ids::kTransparent:
      h.transparentText = !h.transparentText;
      h.needsInit = true;
      return true;
    case ids::kRelativeScaling:
      SetMenuCheck(!IsMenuChecked(ids::kRelativeScaling), ids::kRelativeScaling);
      return true;
    default:
      break;
  }

  // The tests, and the ids of the test ranges that select no test; both go
  // on to DefWindowProc.
  if (FindTest(id) || IsTestRange(id)) SelectTest(id);
  return false;
}
