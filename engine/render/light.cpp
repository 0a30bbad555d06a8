// The engine's light, material and fog settings.
#include "engine/d3d9/com_helpers.h"
#include "engine/vorn.h"

void Vorn::SetSpecular(float r, float g, float b, float a, float power) {
  m_Material.Specular = {r, g, b, a};
  m_Material.Power = power;
  if (m_pD3DDevice) {
    m_pD3DDevice->SetMaterial(&m_Material);
    m_pD3DDevice->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  }
}

// Fills m_Light; the caller hands it to the device.
void Vorn::SetLight(D3DLIGHTTYPE type, const float diffuse[4], const float specular[4],
                    const float ambient[4], float specularPower, const D3DVECTOR* position,
                    const D3DVECTOR* direction, float range, float attenuation0,
                    float attenuation1, float attenuation2) {
  m_Light.Type = type;
  m_Light.Diffuse = {diffuse[0], diffuse[1], diffuse[2], diffuse[3]};
  m_Light.Specular = {specular[0], specular[1], specular[2], specular[3]};
  m_Light.Ambient = {ambient[0], ambient[1], ambient[2], ambient[3]};
  SetSpecular(specular[0], specular[1], specular[2], specular[3], specularPower);
  m_Light.Range = range;
  const D3DVECTOR zero = {0.0f, 0.0f, 0.0f};
  switch (type) {
    case D3DLIGHT_POINT:
      if (position) m_Light.Position = *position;
      m_Light.Direction = zero;
      break;
    case D3DLIGHT_SPOT:
      if (position) m_Light.Position = *position;
      if (direction) m_Light.Direction = *direction;
      break;
    case D3DLIGHT_DIRECTIONAL:
      m_Light.Position = zero;
      if (direction) m_Light.Direction = *direction;
      break;
    default:
      break;
  }
  m_Light.Attenuation0 = attenuation0;
  m_Light.Attenuation1 = attenuation1;
  m_Light.Attenuation2 = attenuation2;
}

// Linear vertex fog of one colour; the caller turns fog on.
void Vorn::SetFog(float start, float end, unsigned char red, unsigned char green, unsigned char blue) {
  if (!m_pD3DDevice) return;
  m_pD3DDevice->SetRenderState(D3DRS_FOGCOLOR, 0xFF000000u | (DWORD{red} << 16) | (DWORD{green} << 8) | blue);
  m_pD3DDevice->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  m_pD3DDevice->SetRenderState(D3DRS_FOGSTART, FloatBits(start));
  m_pD3DDevice->SetRenderState(D3DRS_FOGEND, FloatBits(end));
}
