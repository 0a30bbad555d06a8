// TestRender3DPolys: a prepared list of triangles drawn with one DrawPoly3D
// per repetition. The plain and textured variants hold 5,458 random
// triangles; the lit ones a wave-shaped grid of cells of side 2, prepared
// once per call of a frame until the list is full.
#include <string>

#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/cases/3d/frame.h"
#include "app/cases/3d/grid_cell.h"
#include "app/cases/3d/lit_scene.h"
#include "app/cases/3d/owned_render.h"
#include "app/cases/3d/poly_variant.h"
#include "app/cases/3d/random_forms.h"
#include "app/cases/3d/cases_3d.h"
#include "engine/vorn.h"

namespace {

constexpr int kRandomTriangles = 5458;
constexpr float kCellSize = 2.0f;

Camera3D g_Camera;
OwnedRender g_Triangles;

void SetUpRandomTriangles(PolyVariant variant) {
  IDirect3DDevice9* d = Device3D();
  d->SetRenderState(D3DRS_ZENABLE, TRUE);
  // Vertex specular holds the triangle's own colour: left on from a lit
  // test it would brighten every triangle.
  d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  LookAtOrigin(g_Camera, D3DXVECTOR3(100.0f, 140.0f, 100.0f));
  d->SetTransform(D3DTS_VIEW, &g_Camera.view);
  Render& list = g_Triangles.list;
  list.Allocate3D();
  list.Clear3D();
  const bool textured = variant == PolyVariant::kTextured;
  if (textured)
    BindRandomPicture();
  else
    d->SetTexture(0, nullptr);
  const float u2 = textured ? 1.0f : 0.0f;
  const float u3 = u2, v3 = u2;
  for (int i = 0; i < kRandomTriangles; ++i) {
    const float r = RandomBrightChannel();
    const float g = RandomBrightChannel();
    const float b = RandomBrightChannel();
    float p[9];
    for (float& coordinate : p) coordinate = RandomCoordinate();
    g_Engine.PreparePoly3D(list, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], 0.0f, 0.0f,
                           u2, 0.0f, u3, v3, r, g, b, 1.0f);
  }
}

// One pass over the 50 x 50 cells; appends stop once the list is full.
void PrepareLitGrid(PolyVariant variant) {
  Vorn& e = g_Engine;
  Render& list = g_Triangles.list;
  const PolyColour& k = g_PolyColour;
  for (int x = -50; x < 50; x += 2) {
    for (int y = -50; y < 50; y += 2) {
      const GridCell c = MakeGridCell(static_cast<float>(x), static_cast<float>(y), kCellSize, true);
      for (int t = 0; t < 2; ++t) {
        const int i = kCellTriangles[t][0], j = kCellTriangles[t][1], l = kCellTriangles[t][2];
        const D3DXVECTOR3 &a = c.corner[i], &b = c.corner[j], &q = c.corner[l];
        if (variant == PolyVariant::kTriLit) {
          const D3DXVECTOR3 &na = SmoothNormal(c, i), &nb = SmoothNormal(c, j), &nq = SmoothNormal(c, l);
          e.PrepareTriLitPoly3D(list, a.x, a.y, a.z, b.x, b.y, b.z, q.x, q.y, q.z, c.u[i], c.v[i],
                                c.u[j], c.v[j], c.u[l], c.v[l], na.x, na.y, na.z, nb.x, nb.y, nb.z,
                                nq.x, nq.y, nq.z, 1.0f, 1.0f, 1.0f, 1.0f, k.r, k.g, k.b, k.a);
        } else {
          const D3DXVECTOR3& n = c.faceNormal[t];
          e.PrepareLitPoly3D(list, a.x, a.y, a.z, b.x, b.y, b.z, q.x, q.y, q.z, c.u[i], c.v[i],
                             c.u[j], c.v[j], c.u[l], c.v[l], n.x, n.y, n.z, 1.0f, 1.0f, 1.0f, 1.0f,
                             k.r, k.g, k.b, k.a);
        }
      }
    }
  }
}

void SetUpLitGrid(PolyVariant variant) {
  IDirect3DDevice9* d = Device3D();
  d->SetRenderState(D3DRS_ZENABLE, TRUE);
  if (variant == PolyVariant::kTexturedLit)
    BindRandomPicture();
  else
    d->SetTexture(0, nullptr);
  PickPolyColour();
  if (variant == PolyVariant::kTexturedLit) g_PolyColour = {1.0f, 1.0f, 1.0f, 1.0f};
  SetUpPointLight();
  g_Triangles.list.Allocate3D();
  g_Triangles.list.Clear3D();
  // Passes after the list is full would append nothing.
  const Render& list = g_Triangles.list;
  for (unsigned pass = 0; pass < g_Harness.callsPerFrame && list.count3D < list.max3D - 3; ++pass)
    PrepareLitGrid(variant);
}

}  // namespace

void TestRender3DPolys() {
  const UINT id = g_Harness.selectedTest;
  const PolyVariant variant = PolyVariantOf(id, kFirstRenderPolyId);
  if (!StartFrame3D("void TestRender3DPolys(" + std::to_string(id) + ")")) return;
  if (g_Harness.needsInit) {
    CommonSetUp3D(g_Camera);
    if (IsLit(variant))
      SetUpLitGrid(variant);
    else
      SetUpRandomTriangles(variant);
    FinishSetUp();
  }
  if (IsLit(variant))
    LitCameraAndLight(g_Camera);
  else
    OrbitCamera(g_Camera);
  AdvanceAngle(g_Camera, kOrbitRate);
  ClearAndOpenScene(g_Camera);
  SwingWorld(g_Camera);
  if (g_Triangles.list.verts3D)
    for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i)
      g_Engine.DrawPoly3D(g_Triangles.list, 0, D3DPT_TRIANGLELIST);
  if (IsLit(variant)) DrawLightMarker(g_Camera);
  CloseAndPresent(true);
}
