// The lit variants' light: its set-up, its path and its marker.
#include "app/cases/3d/lit_scene.h"

#include <cmath>

#include "app/frame/engine_instance.h"
#include "app/cases/3d/random_forms.h"
#include "engine/vorn.h"

PolyColour g_PolyColour{};

void PickPolyColour() {
  const float r = RandomChannel();
  const float g = RandomChannel();
  const float b = RandomChannel();
  g_PolyColour = {r, g, b, 1.0f};
}

void SetUpPointLight() {
  const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const D3DVECTOR position = {0.0f, 0.0f, 0.0f};
  const D3DVECTOR direction = {0.0f, 1.0f, 0.0f};
  g_Engine.SetLight(D3DLIGHT_POINT, white, white, ambient, 40.0f, &position, &direction, 1000.0f,
                    1.0f, 0.0f, 0.0f);
  Device3D()->SetLight(0, &g_Engine.m_Light);
  Device3D()->LightEnable(0, TRUE);
}

void LitCameraAndLight(Camera3D& camera) {
  const double a = camera.angle;
  LookAtOrigin(camera, D3DXVECTOR3(0.0f, static_cast<float>(140.0 * std::sin(a / 3.2)), 100.0f));
  g_Engine.m_Light.Position = {static_cast<float>(20.0 * std::sin(2.7 * a)),
                               static_cast<float>(60.0 * std::cos(a / 1.3)), 20.0f};
  IDirect3DDevice9* d = Device3D();
  d->SetLight(0, &g_Engine.m_Light);
  d->SetRenderState(D3DRS_LIGHTING, TRUE);
  d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
  d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
}

void DrawLightMarker(Camera3D& camera) {
  Device3D()->SetRenderState(D3DRS_LIGHTING, FALSE);
  ResetWorld(camera);
  const D3DVECTOR p = g_Engine.m_Light.Position;
  g_Engine.DrawLine3D(p.x - 1.0f, p.y, p.z, p.x + 1.0f, p.y, p.z, 1.0f, 1.0f, 1.0f, 1.0f);
  g_Engine.DrawLine3D(p.x, p.y - 1.0f, p.z, p.x, p.y + 1.0f, p.z, 1.0f, 1.0f, 1.0f, 1.0f);
  g_Engine.DrawLine3D(p.x, p.y, p.z - 1.0f, p.x, p.y, p.z + 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
}
