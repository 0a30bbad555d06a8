// Test3DPoints: 16,370 random points of random grey levels, uploaded into
// the 3D buffer on set-up and drawn from it callsPerFrame times a frame.
#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/cases/3d/frame.h"
#include "app/cases/3d/list_upload.h"
#include "app/cases/3d/owned_render.h"
#include "app/cases/3d/random_forms.h"
#include "app/cases/3d/cases_3d.h"
#include "engine/vorn.h"

namespace {

constexpr int kPoints = 16370;

Camera3D g_Camera;
OwnedRender g_Points;

void SetUpPoints() {
  Render& list = g_Points.list;
  list.Allocate3D();
  list.Clear3D();
  Device3D()->SetTexture(0, nullptr);
  for (int i = 0; i < kPoints; ++i) {
    const float x = RandomCoordinate();
    const float y = RandomCoordinate();
    const float z = RandomCoordinate();
    const float r = RandomBrightChannel();
    const float g = RandomBrightChannel();
    const float b = RandomBrightChannel();
    g_Engine.PreparePoint3D(list, x, y, z, r, g, b, 1.0f);
  }
  UploadList3D(list, D3DPT_POINTLIST, static_cast<UINT>(list.count3D));
}

}  // namespace

void Test3DPoints() {
  if (!StartFrame3D("void Test3DPoints()")) return;
  IDirect3DDevice9* d = Device3D();
  d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  if (g_Harness.needsInit) {
    CommonSetUp3D(g_Camera);
    SetUpPoints();
    FinishSetUp();
  }
  OrbitCamera(g_Camera);
  AdvanceAngle(g_Camera, kOrbitRate);
  ClearAndOpenScene(g_Camera);
  const UINT points = static_cast<UINT>(g_Points.list.count3D);
  if (points > 0)
    for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) d->DrawPrimitive(D3DPT_POINTLIST, 0, points);
  CloseAndPresent(true);
}
