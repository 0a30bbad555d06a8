// SetPointScaling: the point-size states for sprites sized by distance
// (on) or drawn at their own size (off).
#include "engine/d3d9/com_helpers.h"
#include "engine/vorn.h"

void Vorn::SetPointScaling(bool on) {
  if (!m_pD3DDevice) return;
  IDirect3DDevice9* d = m_pD3DDevice;
  d->SetRenderState(D3DRS_POINTSCALEENABLE, on ? TRUE : FALSE);
  d->SetRenderState(D3DRS_POINTSIZE, FloatBits(0.0f));
  d->SetRenderState(D3DRS_POINTSIZE_MIN, FloatBits(on ? 1.0f : 0.0f));
  d->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(on ? 0.0f : 1.0f));
  d->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
  d->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(on ? 1.0f : 0.0f));
}
