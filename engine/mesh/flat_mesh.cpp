// FLATVNMesh: the static mesh record, its release, and its load. There is
// no X-file loader yet, so a load reports that the mesh could not be read.
#include "engine/mesh/flat_mesh.h"

#include "engine/d3d9/com_helpers.h"
#include "log/event_log.h"

FLATVNMesh::FLATVNMesh() = default;

FLATVNMesh::~FLATVNMesh() { FLATRelease(); }

void FLATVNMesh::FLATRelease() {
  delete[] m_pMaterials;
  m_pMaterials = nullptr;
  if (m_ppTextures) {
    for (DWORD i = 0; i < m_NumMaterials; ++i) SafeRelease(m_ppTextures[i]);
    delete[] m_ppTextures;
    m_ppTextures = nullptr;
  }
  m_NumMaterials = 0;
  m_pD3DXMaterials = nullptr;
  if (m_pMaterialBuffer) {
    reinterpret_cast<IUnknown*>(m_pMaterialBuffer)->Release();
    m_pMaterialBuffer = nullptr;
  }
  if (m_pMesh) {
    reinterpret_cast<IUnknown*>(m_pMesh)->Release();
    m_pMesh = nullptr;
  }
}

void FLATVNMesh::FLATLoad(const char* path) {
  LogString("S: FLATVNMesh::FLATLoad(%s)", path ? path : "");
  FLATRelease();
  m_bLoaded = false;
  LogString("E: FLATVNMesh::FLATLoad(%s) Failed to load mesh!!!!", path ? path : "");
}
