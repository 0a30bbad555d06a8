// The common frame of the 3D tests, step by step.
#include "app/cases/3d/frame.h"

#include <cmath>
#include <cstdlib>

#include "app/frame/engine_instance.h"
#include "app/frame/frame_timer.h"
#include "app/frame/harness_state.h"
#include "engine/vorn.h"

namespace {

// The private-data mark a set-up leaves on the 3D buffer.
constexpr GUID kSetUpMark = {0x5f3a9c21, 0x7d4e, 0x4b1a, {0x9e, 0x42, 0x1c, 0x6d, 0x80, 0x3b, 0x27, 0xf5}};

bool BufferMarked() {
  IDirect3DVertexBuffer9* buffer = g_Engine.m_p3DVB;
  if (!buffer) return true;  // nothing to set up again into
  DWORD mark = 0;
  DWORD size = sizeof mark;
  return buffer->GetPrivateData(kSetUpMark, &mark, &size) == D3D_OK && size == sizeof mark && mark == 1;
}

}  // namespace

IDirect3DDevice9* Device3D() { return g_Engine.m_pD3DDevice; }

bool StartFrame3D(const std::string& testName) {
  IDirect3DDevice9* d = Device3D();
  if (!d) {
    g_Harness.needsInit = false;
    return false;
  }
  if (!BufferMarked()) g_Harness.needsInit = true;
  if (g_Harness.needsInit) g_Harness.testName = testName;
  d->LightEnable(0, TRUE);
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  // Integer pixels divided in floating point; a zero height keeps the
  // projection finite.
  const int height = g_Harness.resolutionHeight > 0 ? g_Harness.resolutionHeight : 1;
  g_Engine.Set3DView(1.7f, static_cast<float>(g_Harness.resolutionWidth) / static_cast<float>(height));
  return true;
}

void FinishSetUp() {
  const DWORD mark = 1;
  if (g_Engine.m_p3DVB) g_Engine.m_p3DVB->SetPrivateData(kSetUpMark, &mark, sizeof mark, 0);
  g_Harness.needsInit = false;
}

void CommonSetUp3D(Camera3D& camera) {
  IDirect3DDevice9* d = Device3D();
  d->SetRenderState(D3DRS_FOGENABLE, TRUE);
  g_Engine.SetFog(50.0f, 150.0f, 0, 0, 0);
  ResetWorld(camera);
  d->SetTransform(D3DTS_VIEW, &camera.view);
}

void LookAtOrigin(Camera3D& camera, const D3DXVECTOR3& eye) {
  const D3DXVECTOR3 target(0.0f, 0.0f, 0.0f);
  const D3DXVECTOR3 up(0.0f, -1.0f, 0.0f);
  D3DXMatrixLookAtRH(&camera.view, &eye, &target, &up);
}

void OrbitCamera(Camera3D& camera) {
  const double a = camera.angle;
  LookAtOrigin(camera, D3DXVECTOR3(static_cast<float>(100.0 * std::sin(a)),
                                   static_cast<float>(140.0 * std::sin(a / 3.2)),
                                   static_cast<float>(100.0 * std::cos(a))));
}

void AdvanceAngle(Camera3D& camera, double rate) {
  camera.angle += static_cast<double>(g_FrameTimer.GetElapsedTime()) * rate;
}

void ClearAndOpenScene(const Camera3D& camera) {
  IDirect3DDevice9* d = Device3D();
  d->SetTransform(D3DTS_VIEW, &camera.view);
  d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
  if (!g_Engine.m_bInScene) g_Engine.BeginScene();
}

void CloseAndPresent(bool fogOff) {
  if (g_Engine.m_bInScene) g_Engine.EndScene();
  g_Engine.ScreenSwap(g_Harness.viewRect.right, g_Harness.viewRect.bottom);
  if (fogOff) Device3D()->SetRenderState(D3DRS_FOGENABLE, FALSE);
}

void BindRandomPicture() {
  const int slot = std::rand() % (4 + (g_Harness.copyFromTexture ? 1 : 0)) + 1;
  IDirect3DTexture9* picture =
      g_Engine.m_pTextures && slot < g_Engine.m_nTextures ? g_Engine.m_pTextures[slot] : nullptr;
  Device3D()->SetTexture(0, picture);
  g_Engine.m_nCurrentTexture = slot;
}

void SwingWorld(Camera3D& camera) {
  D3DXMatrixRotationY(&camera.world, static_cast<float>(std::sin(camera.angle)));
  Device3D()->SetTransform(D3DTS_WORLD, &camera.world);
}

void ResetWorld(Camera3D& camera) {
  D3DXMatrixIdentity(&camera.world);
  Device3D()->SetTransform(D3DTS_WORLD, &camera.world);
}
