// VNMesh::PrepareSkinnedMesh: converting a skinned container's mesh for the
// mesh's skinning method, with the palette sizes and software-processing
// decisions each method makes, and the shared bone-matrix array.
#include <algorithm>
#include <new>

#include "engine/d3d9/com_helpers.h"
#include "engine/mesh/skinned_mesh.h"
#include "engine/vorn.h"

namespace {

constexpr DWORD kManagedCached = D3DXMESH_MANAGED | D3DXMESHOPT_VERTEXCACHE;     // 0x4000220
constexpr DWORD kSystemMemCached = D3DXMESHOPT_VERTEXCACHE | D3DXMESH_SYSTEMMEM;  // 0x4000110

}  // namespace

HRESULT VNMesh::PrepareSkinnedMesh(VNMeshContainer* c) {
  if (!c || !c->pSkinInfo) return S_OK;
  IDirect3DDevice9* device = m_pEngine ? m_pEngine->m_pD3DDevice : nullptr;
  const DWORD bones = c->pSkinInfo->GetNumBones();
  SafeRelease(c->MeshData.pMesh);
  SafeRelease(c->pBoneCombos);
  HRESULT hr = S_OK;

  switch (m_SkinningMethod) {
    case SkinNonIndexed: {
      hr = c->pSkinInfo->ConvertToBlendedMesh(c->pLoadedMesh, kManagedCached, c->pAdjacency, nullptr, nullptr,
                                              nullptr, &c->MaxInfluences, &c->AttribGroupCount, &c->pBoneCombos,
                                              &c->MeshData.pMesh);
      if (FAILED(hr)) return hr;
      const auto* combos = static_cast<const D3DXBONECOMBINATION*>(c->pBoneCombos->GetBufferPointer());
      for (c->FirstSoftwareGroup = 0; c->FirstSoftwareGroup < c->AttribGroupCount; ++c->FirstSoftwareGroup) {
        DWORD influences = 0;
        for (DWORD i = 0; i < c->MaxInfluences; ++i)
          if (combos[c->FirstSoftwareGroup].BoneId[i] != 0xFFFFFFFFu) ++influences;
        if (influences > m_Caps.MaxVertexBlendMatrices) break;
      }
      if (c->FirstSoftwareGroup < c->AttribGroupCount) {
        ID3DXMesh* clone = nullptr;
        hr = c->MeshData.pMesh->CloneMeshFVF(c->MeshData.pMesh->GetOptions() | D3DXMESH_SOFTWAREPROCESSING,
                                             c->MeshData.pMesh->GetFVF(), device, &clone);
        if (FAILED(hr)) return hr;
        c->MeshData.pMesh->Release();
        c->MeshData.pMesh = clone;
      }
      return hr;
    }
    case SkinIndexed: {
      IDirect3DIndexBuffer9* ib = nullptr;
      hr = c->pLoadedMesh->GetIndexBuffer(&ib);
      if (FAILED(hr)) return hr;
      DWORD most = 0;
      hr = c->pSkinInfo->GetMaxFaceInfluences(ib, c->pLoadedMesh->GetNumFaces(), &most);
      ib->Release();
      if (FAILED(hr)) return hr;
      most = std::min<DWORD>(most, 12);
      DWORD options;
      if (m_Caps.MaxVertexBlendMatrixIndex + 1 < most) {
        c->PaletteSize = std::min<DWORD>(256, bones);
        c->SoftwareVertexProcessing = true;
        options = kSystemMemCached;
      } else {
        c->PaletteSize = std::min<DWORD>((m_Caps.MaxVertexBlendMatrixIndex + 1) / 2, bones);
        c->SoftwareVertexProcessing = false;
        options = kManagedCached;
      }
      return c->pSkinInfo->ConvertToIndexedBlendedMesh(c->pLoadedMesh, options, c->PaletteSize, c->pAdjacency,
                                                       nullptr, nullptr, nullptr, &c->MaxInfluences,
                                                       &c->AttribGroupCount, &c->pBoneCombos, &c->MeshData.pMesh);
    }
    case SkinSoftware: {
      hr = c->pLoadedMesh->CloneMeshFVF(D3DXMESH_MANAGED, c->pLoadedMesh->GetFVF(), device, &c->MeshData.pMesh);
      if (FAILED(hr)) return hr;
      hr = c->MeshData.pMesh->GetAttributeTable(nullptr, &c->AttribGroupCount);
      if (FAILED(hr)) return hr;
      delete[] c->pAttribRanges;
      c->pAttribRanges = new (std::nothrow) D3DXATTRIBUTERANGE[c->AttribGroupCount ? c->AttribGroupCount : 1];
      if (!c->pAttribRanges) return E_OUTOFMEMORY;
      hr = c->MeshData.pMesh->GetAttributeTable(c->pAttribRanges, &c->AttribGroupCount);
      if (FAILED(hr)) return hr;
      break;
    }
    case SkinIndexedShader:
    case SkinIndexedEffect: {
      c->PaletteSize = std::min<DWORD>(26, bones);
      DWORD options;
      if (m_Caps.VertexShaderVersion >= D3DVS_VERSION(1, 1)) {
        c->SoftwareVertexProcessing = false;
        options = kManagedCached;
      } else {
        c->SoftwareVertexProcessing = true;
        options = kSystemMemCached;
      }
      hr = c->pSkinInfo->ConvertToIndexedBlendedMesh(c->pLoadedMesh, options, c->PaletteSize, c->pAdjacency,
                                                     nullptr, nullptr, nullptr, &c->MaxInfluences,
                                                     &c->AttribGroupCount, &c->pBoneCombos, &c->MeshData.pMesh);
      if (FAILED(hr)) return hr;
      const DWORD wanted = (c->MeshData.pMesh->GetFVF() & D3DFVF_POSITION_MASK) | D3DFVF_NORMAL | D3DFVF_TEX1 |
                           D3DFVF_LASTBETA_UBYTE4;
      if (c->MeshData.pMesh->GetFVF() != wanted) {
        ID3DXMesh* clone = nullptr;
        if (SUCCEEDED(c->MeshData.pMesh->CloneMeshFVF(c->MeshData.pMesh->GetOptions(), wanted, device, &clone))) {
          c->MeshData.pMesh->Release();
          c->MeshData.pMesh = clone;
        }
      }
      D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
      hr = c->MeshData.pMesh->GetDeclaration(decl);
      if (FAILED(hr)) return hr;
      for (D3DVERTEXELEMENT9* e = decl; e->Stream != 0xFF; ++e)
        if (e->Usage == D3DDECLUSAGE_BLENDINDICES && e->UsageIndex == 0) e->Type = D3DDECLTYPE_D3DCOLOR;
      hr = c->MeshData.pMesh->UpdateSemantics(decl);
      if (FAILED(hr)) return hr;
      break;
    }
    default:
      return E_INVALIDARG;
  }

  // The shared palette of the software, shader and effect methods only grows.
  if (m_BoneMatrixCapacity < bones) {
    FreeBoneMatrices();
    m_pBoneMatrices = static_cast<D3DXMATRIX*>(
        ::operator new[](sizeof(D3DXMATRIX) * bones, std::align_val_t{16}, std::nothrow));
    if (!m_pBoneMatrices) return E_OUTOFMEMORY;
    m_BoneMatrixCapacity = bones;
  }
  return hr;
}
