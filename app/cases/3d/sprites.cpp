// TestSprites: a 10 x 10 square of white point sprites textured with a
// test picture, drawn once a frame whatever the calls per frame; their size
// halves while "Scale Sprites" sizes them by distance.
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/cases/3d/frame.h"
#include "app/cases/3d/cases_3d.h"
#include "engine/vorn.h"

namespace {

Camera3D g_Camera;

void SetUpSprites() {
  IDirect3DDevice9* d = Device3D();
  d->SetRenderState(D3DRS_ZENABLE, TRUE);
  BindRandomPicture();
  D3DVIEWPORT9& vp = g_Engine.m_Viewport;
  vp.X = 0;
  vp.Y = 0;
  vp.Width = static_cast<DWORD>(g_Harness.resolutionWidth);
  vp.Height = static_cast<DWORD>(g_Harness.resolutionHeight);
  vp.MinZ = 0.0f;
  vp.MaxZ = 200.0f;
  // A device that keeps depth within 0 to 1 refuses this and keeps the
  // viewport it has.
  d->SetViewport(&vp);
}

void DrawSprites() {
  IDirect3DDevice9* d = Device3D();
  for (int y = -100; y < 100; y += 20) {
    for (int x = -100; x < 100; x += 20) {
      DWORD scaling = FALSE;
      d->GetRenderState(D3DRS_POINTSCALEENABLE, &scaling);
      const float size = scaling ? 5.0f : 10.0f;
      g_Engine.DrawSprite(static_cast<float>(x), static_cast<float>(y), 0.0f, size, 1.0f, 1.0f, 1.0f,
                          1.0f);
    }
  }
}

}  // namespace

void TestSprites() {
  if (!StartFrame3D("void TestSprites()")) return;
  if (g_Harness.needsInit) {
    SetUpSprites();
    FinishSetUp();
  }
  SwingWorld(g_Camera);
  OrbitCamera(g_Camera);
  AdvanceAngle(g_Camera, kOrbitRate);
  ClearAndOpenScene(g_Camera);
  DrawSprites();
  CloseAndPresent(false);
}
