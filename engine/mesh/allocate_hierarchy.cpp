// CAllocateHierarchy: creating and destroying frames and mesh containers
// for the hierarchy loader, adapting their materials and finding their
// textures beside the mesh, in the media folders, or in the "Bitmaps" and
// "Buildings" folders above it.
#include "engine/mesh/allocate_hierarchy.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/d3d9/com_helpers.h"
#include "engine/mesh/path_parts.h"
#include "engine/mesh/skinned_mesh.h"
#include "engine/vorn.h"
#include "log/event_log.h"

HRESULT CopyName(const char* name, char** out) {
  *out = nullptr;
  if (!name) return S_OK;
  const std::size_t n = std::strlen(name) + 1;
  char* copy = new (std::nothrow) char[n];
  if (!copy) return E_OUTOFMEMORY;
  std::memcpy(copy, name, n);
  *out = copy;
  return S_OK;
}

HRESULT CAllocateHierarchy::CreateFrame(LPCSTR name, D3DXFRAME** out) {
  *out = nullptr;
  VNFrame* frame = new (std::nothrow) VNFrame();
  if (!frame) {
    LogText("!: CAllocateHierarchy::CreateFrame() - Out of Memory");
    return E_OUTOFMEMORY;
  }
  if (FAILED(CopyName(name, &frame->Name))) {
    LogText("!: CAllocateHierarchy::CreateFrame() - Could not allocate Name");
    delete frame;
    return E_OUTOFMEMORY;
  }
  D3DXMatrixIdentity(&frame->TransformationMatrix);
  D3DXMatrixIdentity(&frame->CombinedTransform);
  frame->pMeshContainer = nullptr;
  frame->pFrameSibling = nullptr;
  frame->pFrameFirstChild = nullptr;
  *out = frame;
  return S_OK;
}

// The folder above a folder, joined with a sub-folder and a name; with no
// folder above, the sub-folder of the current folder.
static void AboveFolder(char* out, std::size_t size, const char* above, const char* sub, const char* name) {
  if (above && above[0] != '\0')
    std::snprintf(out, size, "%s\\%s\\%s", above, sub, name);
  else
    std::snprintf(out, size, "%s\\%s", sub, name);
}

void CAllocateHierarchy::LoadMaterialTexture(VNMeshContainer* c, DWORD i, const char* name,
                                             IDirect3DDevice9* device) {
  char path[260] = {};
  FindMediaFile(path, name);  // whatever it leaves is tried
  if (SUCCEEDED(D3DXCreateTextureFromFileA(device, path, &c->ppMaterialTextures[i]))) return;
  c->ppMaterialTextures[i] = nullptr;
  PathParts parts;
  SplitPath(parts, m_pOwner ? m_pOwner->m_szFileName : "");
  const char* above = ParentFolder(parts.Folder, parts);
  char first[1024];
  AboveFolder(first, sizeof first, above, "Bitmaps", name);
  if (SUCCEEDED(D3DXCreateTextureFromFileA(device, first, &c->ppMaterialTextures[i]))) return;
  c->ppMaterialTextures[i] = nullptr;
  LogString("Failed to find bitmap in bitmap folder, trying back 1 (%s)", first);
  char second[1024];
  AboveFolder(second, sizeof second, above, "Buildings", name);
  if (FAILED(D3DXCreateTextureFromFileA(device, second, &c->ppMaterialTextures[i]))) {
    LogString("Failed to find bitmap on 2nd attempt [%s]", second);
    c->ppMaterialTextures[i] = nullptr;
  }
}

HRESULT CAllocateHierarchy::CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* meshData,
                                                const D3DXMATERIAL* materials, const D3DXEFFECTINSTANCE*,
                                                DWORD numMaterials, const DWORD* adjacency,
                                                ID3DXSkinInfo* skinInfo, D3DXMESHCONTAINER** out) {
  *out = nullptr;
  if (!meshData || meshData->Type != D3DXMESHTYPE_MESH || !meshData->pMesh) return E_FAIL;
  ID3DXMesh* mesh = meshData->pMesh;
  if (mesh->GetFVF() == 0) {
    LogText("!: CAllocateHierarchy::CreateMeshContainer() - Could not get FVF()");
    return E_FAIL;
  }
  VNMeshContainer* c = new (std::nothrow) VNMeshContainer();
  if (!c) {
    LogText("!: CAllocateHierarchy::CreateMeshContainer() - out of memory");
    return E_OUTOFMEMORY;
  }
  IDirect3DDevice9* device = nullptr;
  HRESULT hr = CopyName(name, &c->Name);
  if (FAILED(hr)) {
    LogText("!: CAllocateHierarchy::CreateMeshContainer() - Could not allocate name");
    DestroyMeshContainer(c);
    return hr;
  }
  mesh->GetDevice(&device);
  const DWORD faces = mesh->GetNumFaces();
  c->MeshData.Type = D3DXMESHTYPE_MESH;

  auto fail = [&](HRESULT result) {
    DestroyMeshContainer(c);
    SafeRelease(device);
    return result;
  };

  if (!(mesh->GetFVF() & D3DFVF_NORMAL)) {
    hr = mesh->CloneMeshFVF(mesh->GetOptions(), mesh->GetFVF() | D3DFVF_NORMAL, device, &c->MeshData.pMesh);
    if (FAILED(hr)) {
      LogText("!: CAllocateHierarchy::CreateMeshContainer() - Failed to CloneMeshFVF()");
      return fail(hr);
    }
    D3DXComputeNormals(c->MeshData.pMesh, nullptr);
  } else {
    c->MeshData.pMesh = mesh;
    mesh->AddRef();
  }

  c->NumMaterials = numMaterials ? numMaterials : 1;
  c->pMaterials = new (std::nothrow) D3DXMATERIAL[c->NumMaterials]();
  c->ppMaterialTextures = new (std::nothrow) IDirect3DTexture9*[c->NumMaterials]();
  c->pAdjacency = new (std::nothrow) DWORD[3 * static_cast<std::size_t>(faces)]();
  if (!c->pMaterials || !c->ppMaterialTextures || !c->pAdjacency) {
    LogText("!: CAllocateHierarchy::CreateMeshContainer() - Out of RAM");
    return fail(E_OUTOFMEMORY);
  }
  if (adjacency) std::memcpy(c->pAdjacency, adjacency, 3 * static_cast<std::size_t>(faces) * sizeof(DWORD));

  if (numMaterials == 0 || !materials) {
    c->pMaterials[0] = D3DXMATERIAL{};
    c->pMaterials[0].MatD3D.Diffuse = D3DCOLORVALUE{0.5f, 0.1f, 0.1f, 0.0f};
    c->pMaterials[0].MatD3D.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    c->pMaterials[0].MatD3D.Power = 20.0f;
  } else {
    std::memcpy(c->pMaterials, materials, numMaterials * sizeof(D3DXMATERIAL));
    for (DWORD i = 0; i < numMaterials; ++i) {
      D3DMATERIAL9& m = c->pMaterials[i].MatD3D;
      if (m.Power != 0.0f) m.Power = 22.0f - m.Power * 0.2f;
      m.Ambient.a = m.Diffuse.a;
      m.Ambient.r = m.Diffuse.r * 0.4f;
      m.Ambient.g = m.Diffuse.g * 0.4f;
      m.Ambient.b = m.Diffuse.b * 0.4f;
      if (c->pMaterials[i].pTextureFilename) {
        LoadMaterialTexture(c, i, c->pMaterials[i].pTextureFilename, device);
        c->pMaterials[i].pTextureFilename = nullptr;  // the text belongs to the loader
      }
    }
  }

  if (skinInfo) {
    c->pSkinInfo = skinInfo;
    skinInfo->AddRef();
    c->pLoadedMesh = mesh;
    mesh->AddRef();
    const DWORD bones = skinInfo->GetNumBones();
    c->pBoneOffsets = new (std::nothrow) D3DXMATRIX[bones ? bones : 1];
    if (!c->pBoneOffsets) return fail(E_OUTOFMEMORY);
    for (DWORD b = 0; b < bones; ++b) c->pBoneOffsets[b] = *skinInfo->GetBoneOffsetMatrix(b);
    hr = m_pOwner ? m_pOwner->PrepareSkinnedMesh(c) : E_FAIL;
    if (FAILED(hr)) return fail(hr);
  }
  SafeRelease(device);
  *out = c;
  return hr;
}

HRESULT CAllocateHierarchy::DestroyFrame(D3DXFRAME* frame) {
  if (!frame) return S_OK;
  delete[] frame->Name;
  delete static_cast<VNFrame*>(frame);
  return S_OK;
}

HRESULT CAllocateHierarchy::DestroyMeshContainer(D3DXMESHCONTAINER* base) {
  if (!base) return S_OK;
  auto* c = static_cast<VNMeshContainer*>(base);
  delete[] c->Name;
  delete[] c->pAdjacency;
  delete[] c->pMaterials;
  delete[] c->pBoneOffsets;
  if (c->ppMaterialTextures) {
    for (DWORD i = 0; i < c->NumMaterials; ++i) SafeRelease(c->ppMaterialTextures[i]);
    delete[] c->ppMaterialTextures;
  }
  delete[] c->ppBoneTransforms;
  delete[] c->pAttribRanges;
  SafeRelease(c->pBoneCombos);
  SafeRelease(c->MeshData.pMesh);
  SafeRelease(c->pSkinInfo);
  SafeRelease(c->pLoadedMesh);
  delete c;
  return S_OK;
}
