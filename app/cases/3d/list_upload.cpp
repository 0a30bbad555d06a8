// UploadList3D: lock, copy and unlock the 3D buffer, then one draw.
#include "app/cases/3d/list_upload.h"

#include <cstring>

#include "app/frame/engine_instance.h"
#include "engine/vorn.h"

void UploadList3D(const Render& list, D3DPRIMITIVETYPE type, UINT primitives) {
  Vorn& e = g_Engine;
  // The copy reads whole records from the list, never past it.
  if (!e.m_pD3DDevice || !e.m_p3DVB || !list.verts3D || list.count3D <= 0 ||
      e.m_n3DStride != static_cast<int>(sizeof(Vertex3D)))
    return;
  if (!e.m_bInScene) e.BeginScene();
  const UINT bytes = static_cast<UINT>(list.count3D * e.m_n3DStride);
  void* data = nullptr;
  if (SUCCEEDED(e.m_p3DVB->Lock(0, bytes, &data, 0)) && data) {
    std::memcpy(data, list.verts3D, bytes);
    e.m_p3DVB->Unlock();
    e.m_pD3DDevice->DrawPrimitive(type, 0, primitives);
  }
  if (e.m_bInScene) e.EndScene();
}
