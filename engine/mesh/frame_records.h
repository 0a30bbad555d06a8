// VNFrame and VNMeshContainer: the D3DX frame and mesh-container records
// extended with what the skinned draw needs (combined transforms, textures,
// bone combinations, palettes and offsets).
#pragma once

#include "platform/d3dx/d3dx9.h"

struct VNFrame : D3DXFRAME {
  D3DXMATRIX CombinedTransform;
};

struct VNMeshContainer : D3DXMESHCONTAINER {
  IDirect3DTexture9** ppMaterialTextures;
  ID3DXMesh* pLoadedMesh;
  D3DXATTRIBUTERANGE* pAttribRanges;
  DWORD AttribGroupCount;
  DWORD MaxInfluences;
  ID3DXBuffer* pBoneCombos;
  D3DXMATRIX** ppBoneTransforms;
  D3DXMATRIX* pBoneOffsets;
  DWORD PaletteSize;
  bool SoftwareVertexProcessing;
  DWORD FirstSoftwareGroup;
};
