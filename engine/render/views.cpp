// The scaled 2D and 3D views, colour packing, the relative-to-pixel
// conversion and face normals.
#include "engine/vorn.h"

void Vorn::Set2DView(float scaleX, float scaleY, float scaleZ) {
  D3DXMatrixOrthoRH(&m_matOrtho2D, m_fScreenWidth, m_fScreenHeight, 0.0f, 1.0f);
  // With all three overrides the ortho matrix, which has no translation,
  // becomes the identity: scaled space is the [-1, +1] square.
  if (scaleX != 0.0f && scaleY != 0.0f && scaleZ != 0.0f) {
    m_matOrtho2D._11 = scaleX;
    m_matOrtho2D._22 = scaleY;
    m_matOrtho2D._33 = scaleZ;
  }
  if (m_pD3DDevice) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_pD3DDevice->SetTransform(D3DTS_PROJECTION, &m_matOrtho2D);
    m_pD3DDevice->SetTransform(D3DTS_WORLD, &identity);
    m_pD3DDevice->SetTransform(D3DTS_VIEW, &identity);
    m_pD3DDevice->SetFVF(kFvf2D);
    m_pD3DDevice->SetStreamSource(0, m_p2DVB, 0, m_n2DStride);
  }
  m_b2DViewActive = true;
}

void Vorn::Set3DView(float fieldOfView, float aspect) {
  if (fieldOfView != 0.0f || aspect != 0.0f) {
    m_fFieldOfView = fieldOfView;
    m_fAspect = aspect;
    D3DXMatrixPerspectiveFovRH(&m_matProjection3D, m_fFieldOfView, m_fAspect, m_fNearZ, m_fFarZ);
  }
  if (m_pD3DDevice) {
    m_pD3DDevice->SetTransform(D3DTS_PROJECTION, &m_matProjection3D);
    m_pD3DDevice->SetFVF(kFvf3D);
    m_pD3DDevice->SetStreamSource(0, m_p3DVB, 0, m_n3DStride);
  }
  m_b2DViewActive = false;
}

float Vorn::RelativeToPixelX(float x) const { return (x * 0.5f + 0.5f) * m_fScreenWidth; }
float Vorn::RelativeToPixelY(float y) const { return (-y * 0.5f + 0.5f) * m_fScreenHeight; }

D3DCOLOR PackColour(float r, float g, float b, float a) {
  auto byte = [](float v) -> DWORD {
    if (v >= 1.0f) return 255;
    if (v <= 0.0f) return 0;
    return static_cast<DWORD>(v * 255.0f + 0.5f);
  };
  return (byte(a) << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

D3DXVECTOR3& ComputeFaceNormal(D3DXVECTOR3& out, const D3DXVECTOR3& p, const D3DXVECTOR3& q,
                               const D3DXVECTOR3& r) {
  D3DXVECTOR3 a(p.x - r.x, p.y - r.y, p.z - r.z);
  D3DXVECTOR3 b(q.x - r.x, q.y - r.y, q.z - r.z);
  D3DXVec3Cross(&out, &a, &b);
  D3DXVec3Normalize(&out, &out);
  return out;
}
