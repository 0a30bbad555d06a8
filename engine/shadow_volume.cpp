// The shadow placeholder's quad refill and release.
#include "engine/shadow_volume.h"

#include <cstring>

ShadowVolume::~ShadowVolume() {
  if (m_pVolumeVB) m_pVolumeVB->Release();
  if (m_pQuadVB) m_pQuadVB->Release();
}

void ShadowVolume::RefillQuad(float width, float height) {
  if (!m_pQuadVB) return;
  struct QuadVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
  };
  const QuadVertex quad[4] = {
      {0.0f, height, 0.0f, 5.0f, 0x7F000000},
      {0.0f, 0.0f, 0.0f, 5.0f, 0x7F000000},
      {width, height, 0.0f, 5.0f, 0x7F000000},
      {width, 0.0f, 0.0f, 5.0f, 0x7F000000},
  };
  void* data = nullptr;
  if (FAILED(m_pQuadVB->Lock(0, sizeof quad, &data, 0)) || !data) return;
  std::memcpy(data, quad, sizeof quad);
  m_pQuadVB->Unlock();
}
