// The engine's shadow placeholder: a full-screen darkening quad and a
// volume buffer that nothing creates yet, so the object stays empty.
#pragma once

#include "platform/d3d9/d3d9.h"

class ShadowVolume {
 public:
  ShadowVolume() = default;
  ~ShadowVolume();
  ShadowVolume(const ShadowVolume&) = delete;
  ShadowVolume& operator=(const ShadowVolume&) = delete;

  // Writes the four corners of a full-screen quad (rhw 5.0, colour
  // 0x7F000000) into the quad buffer, if there is one.
  void RefillQuad(float width, float height);

  int m_nVertices = 0;
  IDirect3DVertexBuffer9* m_pVolumeVB = nullptr;
  IDirect3DVertexBuffer9* m_pQuadVB = nullptr;
};
