// FLATVNMesh: one static mesh of the engine, loaded from an X file with one
// material and one optional texture per subset.
#pragma once

#include "platform/d3d9/d3d9.h"

class Vorn;
struct ID3DXBuffer;
struct ID3DXMesh;
struct D3DXMATERIAL;

class FLATVNMesh {
 public:
  FLATVNMesh();
  ~FLATVNMesh();
  FLATVNMesh(const FLATVNMesh&) = delete;
  FLATVNMesh& operator=(const FLATVNMesh&) = delete;

  // Loads the X file into this mesh; success shows in m_bLoaded.
  void FLATLoad(const char* path);
  // Releases everything loaded; keeps the file name and the loaded flag.
  void FLATRelease();

  ID3DXBuffer* m_pMaterialBuffer = nullptr;
  ID3DXMesh* m_pMesh = nullptr;
  D3DXMATERIAL* m_pD3DXMaterials = nullptr;
  D3DMATERIAL9* m_pMaterials = nullptr;
  IDirect3DTexture9** m_ppTextures = nullptr;
  DWORD m_NumMaterials = 0;
  Vorn* m_pEngine = nullptr;
  char m_szFileName[512] = {};
  bool m_bLoaded = false;
};
