// CAllocateHierarchy: the engine's allocator of frames and mesh containers
// for the D3DX hierarchy routines, with the material texture search and
// the media-folder lookup it uses.
#pragma once

#include "engine/mesh/frame_records.h"

class VNMesh;

class CAllocateHierarchy : public ID3DXAllocateHierarchy {
 public:
  explicit CAllocateHierarchy(VNMesh* owner) : m_pOwner(owner) {}
  virtual ~CAllocateHierarchy() = default;

  HRESULT CreateFrame(LPCSTR name, D3DXFRAME** out) override;
  HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                              const D3DXEFFECTINSTANCE* effects, DWORD numMaterials, const DWORD* adjacency,
                              ID3DXSkinInfo* skinInfo, D3DXMESHCONTAINER** out) override;
  HRESULT DestroyFrame(D3DXFRAME* frame) override;
  HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* container) override;

  VNMesh* m_pOwner;

 private:
  void LoadMaterialTexture(VNMeshContainer* c, DWORD i, const char* name, IDirect3DDevice9* device);
};

// A heap copy of `name` (null for null), freed with delete[].
HRESULT CopyName(const char* name, char** out);
// Where a media file is: the full path, the file in the current folder,
// or the SDK media folder; `out` holds 260 characters.
HRESULT FindMediaFile(char* out, const char* name);
// The DirectX SDK samples folder from the registry, with "\Media\" added.
HRESULT GetSdkMediaFolder(char* out);
