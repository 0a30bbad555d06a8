// The steps every 2D test frame shares around its drawing.
#include "app/cases/2d/test_frame.h"

#include "app/window/command_ids.h"
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/window/menu_checks.h"
#include "engine/vorn.h"

bool NameAndLightFrame(const char* signature) {
  const bool init = g_Harness.needsInit;
  if (init) g_Harness.testName = signature;
  SetTestLighting();
  return init;
}

void OpenTestScene() {
  if (!g_Engine.m_bInScene) g_Engine.BeginScene();
}

bool DeviceReady() { return g_Engine.m_pD3DDevice != nullptr; }

void SetTestLighting() {
  IDirect3DDevice9* d = g_Engine.m_pD3DDevice;
  d->LightEnable(0, TRUE);
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
}

void SelectScreenView(bool relative) {
  Vorn& e = g_Engine;
  e.m_bRelativeScaling = relative;
  e.m_pD3DDevice->SetFVF(kFvfScreen);
  e.m_pD3DDevice->SetStreamSource(0, e.m_pScreenVB, 0, e.m_nScreenStride);
  e.m_pD3DDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

bool BeginScaledFrame(const char* signature) {
  const bool init = NameAndLightFrame(signature);
  g_Engine.Set2DView(1.0f, 1.0f, 1.0f);
  OpenTestScene();
  return init;
}

bool BeginScreenFrame(const char* signature) {
  const bool init = NameAndLightFrame(signature);
  SelectScreenView(IsMenuChecked(ids::kRelativeScaling));
  OpenTestScene();
  return init;
}

void UnbindTexture() { g_Engine.m_pD3DDevice->SetTexture(0, nullptr); }

void EndTestFrame() {
  if (g_Engine.m_bInScene) g_Engine.EndScene();
  g_Engine.ScreenSwap(g_Harness.viewRect.right, g_Harness.viewRect.bottom);
  g_Harness.needsInit = false;
}
