// The 3D buffer's upload: lock, copy and unlock, then one draw. The buffer
// is tagged with the list it holds, so a rebuilt buffer is noticed.
#include "app/tests_3d/list_upload.h"

#include <cstring>

#include "app/engine_instance.h"
#include "engine/vorn.h"

namespace {

// The private-data tag of the 3D buffer: the address of the list whose
// vertices it holds.
constexpr GUID kHeldListTag = {0x5f3a9c21, 0x7d4e, 0x4b1a, {0x9e, 0x42, 0x1c, 0x6d, 0x80, 0x3b, 0x27, 0xf5}};

// False when nothing was copied. The copy reads whole records from the
// list, never past it.
bool CopyList(const Render& list) {
  Vorn& e = g_Engine;
  if (!e.m_pD3DDevice || !e.m_p3DVB || !list.verts3D || list.count3D <= 0 ||
      e.m_n3DStride != static_cast<int>(sizeof(Vertex3D)))
    return false;
  const UINT bytes = static_cast<UINT>(list.count3D * e.m_n3DStride);
  void* data = nullptr;
  if (FAILED(e.m_p3DVB->Lock(0, bytes, &data, 0)) || !data) return false;
  std::memcpy(data, list.verts3D, bytes);
  e.m_p3DVB->Unlock();
  const Render* held = &list;
  e.m_p3DVB->SetPrivateData(kHeldListTag, &held, sizeof held, 0);
  return true;
}

}  // namespace

void UploadList3D(const Render& list, D3DPRIMITIVETYPE type, UINT primitives) {
  Vorn& e = g_Engine;
  if (!e.m_pD3DDevice) return;
  if (!e.m_bInScene) e.BeginScene();
  if (CopyList(list)) e.m_pD3DDevice->DrawPrimitive(type, 0, primitives);
  if (e.m_bInScene) e.EndScene();
}

void KeepListUploaded(const Render& list) {
  IDirect3DVertexBuffer9* buffer = g_Engine.m_p3DVB;
  if (!buffer || !list.verts3D) return;
  const Render* held = nullptr;
  DWORD size = sizeof held;
  if (buffer->GetPrivateData(kHeldListTag, &held, &size) == D3D_OK && size == sizeof held && held == &list)
    return;
  CopyList(list);
}
