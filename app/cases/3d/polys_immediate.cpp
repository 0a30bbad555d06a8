// TestImmediate3DPolys: a 25 x 25 grid of cells of side 4, two triangles
// each, drawn one engine call per triangle, in the variant the selected
// menu id names.
#include <string>

#include "app/frame/engine_instance.h"
#include "app/frame/harness_state.h"
#include "app/cases/3d/frame.h"
#include "app/cases/3d/grid_cell.h"
#include "app/cases/3d/lit_scene.h"
#include "app/cases/3d/poly_variant.h"
#include "app/cases/3d/cases_3d.h"
#include "engine/vorn.h"

namespace {

constexpr float kCellSize = 4.0f;

Camera3D g_Camera;

void SetUpImmediatePolys(PolyVariant variant) {
  IDirect3DDevice9* d = Device3D();
  d->SetRenderState(D3DRS_ZENABLE, TRUE);
  if (IsTextured(variant))
    BindRandomPicture();
  else
    d->SetTexture(0, nullptr);
  if (IsLit(variant)) {
    PickPolyColour();
    if (variant == PolyVariant::kTexturedLit) g_PolyColour = {1.0f, 1.0f, 1.0f, 1.0f};
    SetUpPointLight();
  } else {
    d->LightEnable(0, TRUE);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  }
}

// The two triangles of one cell; plain and textured cells lie flat.
void DrawCell(PolyVariant variant, const GridCell& c) {
  Vorn& e = g_Engine;
  const PolyColour& k = g_PolyColour;
  for (int t = 0; t < 2; ++t) {
    const int i = kCellTriangles[t][0], j = kCellTriangles[t][1], l = kCellTriangles[t][2];
    const D3DXVECTOR3 &a = c.corner[i], &b = c.corner[j], &q = c.corner[l];
    const D3DXVECTOR3& n = c.faceNormal[t];
    switch (variant) {
      case PolyVariant::kPlain:
        e.DrawPoly3DImmediate(a.x, a.y, a.z, b.x, b.y, b.z, q.x, q.y, q.z, k.r, k.g, k.b, k.a);
        break;
      case PolyVariant::kTextured:
        e.DrawTexturedPoly3DImmediate(a.x, a.y, a.z, b.x, b.y, b.z, q.x, q.y, q.z, c.u[i], c.v[i],
                                      c.u[j], c.v[j], c.u[l], c.v[l], k.r, k.g, k.b, k.a);
        break;
      case PolyVariant::kLit:
        e.DrawLitPoly3DImmediate(a.x, a.y, a.z, b.x, b.y, b.z, q.x, q.y, q.z, n.x, n.y, n.z, 1.0f,
                                 1.0f, 1.0f, 1.0f, k.r, k.g, k.b, k.a);
        break;
      case PolyVariant::kTexturedLit:
        e.DrawTexturedLitPoly3DImmediate(a.x, a.y, a.z, b.x, b.y, b.z, q.x, q.y, q.z, c.u[i], c.v[i],
                                         c.u[j], c.v[j], c.u[l], c.v[l], n.x, n.y, n.z, 1.0f, 1.0f,
                                         1.0f, 1.0f, k.r, k.g, k.b, k.a);
        break;
      case PolyVariant::kTriLit: {
        const D3DXVECTOR3 &na = SmoothNormal(c, i), &nb = SmoothNormal(c, j), &nq = SmoothNormal(c, l);
        e.DrawTriLitPoly3DImmediate(a.x, a.y, a.z, b.x, b.y, b.z, q.x, q.y, q.z, na.x, na.y, na.z,
                                    nb.x, nb.y, nb.z, nq.x, nq.y, nq.z, 1.0f, 1.0f, 1.0f, 1.0f, k.r,
                                    k.g, k.b, k.a);
        break;
      }
    }
  }
}

// Plain cells get a new grey each, textured rows one per column of cells;
// the lit variants keep the colour of their set-up.
void DrawGrid(PolyVariant variant) {
  const bool wave = IsLit(variant);
  for (int x = -50; x < 50; x += 4) {
    if (variant == PolyVariant::kTextured) PickPolyColour();
    for (int y = -50; y < 50; y += 4) {
      if (variant == PolyVariant::kPlain) PickPolyColour();
      DrawCell(variant, MakeGridCell(static_cast<float>(x), static_cast<float>(y), kCellSize, wave));
    }
  }
}

}  // namespace

void TestImmediate3DPolys() {
  const UINT id = g_Harness.selectedTest;
  const PolyVariant variant = PolyVariantOf(id, kFirstImmediatePolyId);
  if (!StartFrame3D("void TestImmediate3DPolys(" + std::to_string(id) + ")")) return;
  if (g_Harness.needsInit) {
    CommonSetUp3D(g_Camera);
    SetUpImmediatePolys(variant);
    FinishSetUp();
  }
  if (IsLit(variant))
    LitCameraAndLight(g_Camera);
  else
    OrbitCamera(g_Camera);
  AdvanceAngle(g_Camera, kImmediatePolyRate);
  ClearAndOpenScene(g_Camera);
  SwingWorld(g_Camera);
  for (unsigned i = 0; i < g_Harness.callsPerFrame; ++i) DrawGrid(variant);
  if (IsLit(variant)) DrawLightMarker(g_Camera);
  CloseAndPresent(true);
}
