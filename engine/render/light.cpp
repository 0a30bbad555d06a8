// The engine's material: specular colour and power.
#include "engine/vorn.h"

void Vorn::SetSpecular(float r, float g, float b, float a, float power) {
  m_Material.Specular = {r, g, b, a};
  m_Material.Power = power;
  if (m_pD3DDevice) {
    m_pD3DDevice->SetMaterial(&m_Material);
    m_pD3DDevice->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  }
}
