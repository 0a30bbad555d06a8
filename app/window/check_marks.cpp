// WM_INITMENU: the check marks that show the settings, recomputed each time
// a menu opens. Items not listed here keep what their commands set.
#include "app/window/command_ids.h"
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/window/main_window.h"
#include "app/window/menu_checks.h"
#include "engine/vorn.h"

void UpdateCheckMarks() {
  const HarnessState& h = g_Harness;
  SetMenuCheck(h.random, ids::kRandom);
  SetMenuCheck(!h.random && !h.defined, ids::kStatic);
  SetMenuCheck(h.defined, ids::kDefined);
  SetMenuCheck(h.noCopyRenderBuffer == 0, ids::kCopyRenderBuffer);
  SetMenuCheck(h.flatShading, ids::kShadeFlat);
  SetMenuCheck(!h.flatShading, ids::kShadeGouraud);
  SetMenuCheck(h.fillMode == 2, ids::kFillPoint);
  SetMenuCheck(h.fillMode == 1, ids::kFillWireFrame);
  SetMenuCheck(h.fillMode == 0, ids::kFillSolid);
  SetMenuCheck(!h.freeRunning, ids::kOnMessages);
  SetMenuCheck(h.transparentText, ids::kTransparent);
  SetMenuCheck(g_Engine.m_bFastCopy, ids::kAllowFastCopy);

  constexpr unsigned kCalls[] = {1, 10, 100, 200, 500, 800};
  for (UINT i = 0; i < 6; ++i) SetMenuCheck(h.callsPerFrame == kCalls[i], ids::kCalls1 + i);
  for (UINT i = 0; i < 5; ++i) SetMenuCheck(g_Engine.m_CopyFilter == i + 1, ids::kCopyFilterNone + i);
  for (UINT i = 0; i < 3; ++i) SetMenuCheck(h.textureFilter == i + 1, ids::kFilterPoint + i);
  for (int i = 0; i < 5; ++i) SetMenuCheck(h.copyTarget == i, ids::kTexture1 + static_cast<UINT>(i));
  SetMenuCheck(h.copyTarget == 5, ids::kUserTexture);
  SetMenuCheck(h.copyFromTexture, ids::kCopyFromTexture);

  DWORD cull = 0;
  if (g_Engine.m_pD3DDevice) g_Engine.m_pD3DDevice->GetRenderState(D3DRS_CULLMODE, &cull);
  SetMenuCheck(cull == D3DCULL_NONE, ids::kCullNone);
  SetMenuCheck(cull == D3DCULL_CW, ids::kCullCw);
  SetMenuCheck(cull == D3DCULL_CCW, ids::kCullCcw);
  SetMenuCheck(cull == D3DCULL_NONE, ids::kCullNone2);
  SetMenuCheck(cull == D3DCULL_CW, ids::kCullCw2);
  SetMenuCheck(cull == D3DCULL_CCW, ids::kCullCcw2);

  for (UINT id = ids::kRes640; id <= ids::kRes1920; ++id) SetMenuCheck(h.resolutionId == id, id);
}
