// The 3D line tests: a lattice of 800 lines drawn one engine call each, and
// 8,189 random lines uploaded once and drawn from the 3D buffer.
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/cases/3d/frame.h"
#include "app/cases/3d/list_upload.h"
#include "app/cases/3d/owned_render.h"
#include "app/cases/3d/random_forms.h"
#include "app/cases/3d/cases_3d.h"
#include "engine/vorn.h"

namespace {

constexpr int kRenderLines = 8189;

Camera3D g_ImmediateCamera;
Camera3D g_RenderCamera;
OwnedRender g_Lines;

// A bright grey of three random channels, drawn in r, g, b order.
struct Grey {
  float r, g, b;
};
Grey RandomGrey() {
  const float r = RandomBrightChannel();
  const float g = RandomBrightChannel();
  const float b = RandomBrightChannel();
  return {r, g, b};
}

// Two lines through each of 20 x 20 lattice positions, along y and along z.
void DrawLattice() {
  for (int x = -50; x < 50; x += 5) {
    for (int y = -50; y < 50; y += 5) {
      const float fx = static_cast<float>(x);
      const float fy = static_cast<float>(y);
      Grey c = RandomGrey();
      g_Engine.DrawLine3D(fx, -50.0f, fy, fx, 50.0f, fy, c.r, c.g, c.b, 1.0f);
      c = RandomGrey();
      g_Engine.DrawLine3D(fx, fy, -50.0f, fx, fy, 50.0f, c.r, c.g, c.b, 1.0f);
    }
  }
}

void SetUpRenderLines() {
  Device3D()->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  LookAtOrigin(g_RenderCamera, D3DXVECTOR3(100.0f, 140.0f, 100.0f));
  Device3D()->SetTransform(D3DTS_VIEW, &g_RenderCamera.view);
  Render& list = g_Lines.list;
  list.Allocate3D();
  list.Clear3D();
  Device3D()->SetTexture(0, nullptr);
  for (int i = 0; i < kRenderLines; ++i) {
    const Grey c = RandomGrey();
    const float z2 = RandomCoordinate();
    const float y2 = RandomCoordinate();
    const float x2 = RandomCoordinate();
    const float z1 = RandomCoordinate();
    const float y1 = RandomCoordinate();
    const float x1 = RandomCoordinate();
    g_Engine.PrepareLine3D(list, x1, y1, z1, x2, y2, z2, c.r, c.g, c.b, 1.0f);
  }
  UploadList3D(list, D3DPT_LINELIST, static_cast<UINT>(list.count3D / 2));
}

}  // namespace

void TestImmediate3DLines() {
  if (!StartFrame3D("void TestImmediate3DLines()")) return;
  Device3D()->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  if (g_Harness.needsInit) {
    CommonSetUp3D(g_ImmediateCamera);
    Device3D()->SetTexture(0, nullptr);
    FinishSetUp();
  }
  OrbitCamera(g_ImmediateCamera);
  AdvanceAngle(g_ImmediateCamera, kOrbitRate);
  ClearAndOpenScene(g_ImmediateCamera);
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) DrawLattice();
  CloseAndPresent(true);
}

void TestRender3DLines() {
  if (!StartFrame3D("void TestRender3DLines()")) return;
  IDirect3DDevice9* d = Device3D();
  d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  if (g_Harness.needsInit) {
    CommonSetUp3D(g_RenderCamera);
    SetUpRenderLines();
    FinishSetUp();
  }
  OrbitCamera(g_RenderCamera);
  AdvanceAngle(g_RenderCamera, kOrbitRate);
  ClearAndOpenScene(g_RenderCamera);
  const UINT lines = static_cast<UINT>(g_Lines.list.count3D / 2);
  if (lines > 0)
    for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) d->DrawPrimitive(D3DPT_LINELIST, 0, lines);
  CloseAndPresent(true);
}
