// FLATVNMesh: one static mesh of the engine, loaded from an X file with one
// material and one optional texture per subset.
#pragma once

#include "platform/d3d9/d3d9.h"

class Vorn;

// The folder the tree textures of every mesh fall back to, ending in its
// separator. The hosting application owns it; it starts as the working
// folder's "Bitmaps\TREES\", and an empty text turns the fallback off.
extern char g_TreeTextureFolder[260];
void SetTreeTextureFolder(const char* folder);
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
  // Loads one texture with the engine's colour key into entry `index`;
  // true when it was not loaded or the index is bad.
  bool FLATLoadTexturemask(const char* path, int index);

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
