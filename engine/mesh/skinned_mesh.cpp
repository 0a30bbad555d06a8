// VNMesh: walking the frame tree and drawing each container rigidly or by
// the mesh's skinning method (fixed-function blending, indexed blending,
// CPU skinning, indexed skinning in vertex programs or in an effect), and
// destroying the tree.
#include "engine/mesh/skinned_mesh.h"

#include <new>

#include "engine/d3d9/com_helpers.h"
#include "engine/mesh/allocate_hierarchy.h"
#include "engine/vorn.h"
#include "platform/win32/message_box.h"

namespace {

constexpr DWORD kNoBone = 0xFFFFFFFFu;
constexpr const char* kUncodedCaption = "Skinning Jumped to uncoded bit.";

// The two "uncoded bit" notices would otherwise stop every frame with a
// modal box (they fire on the first group of every draw); each is shown
// once per run.
bool g_ShownPrevLoopBox = false;
bool g_ShownAttribLoopBox = false;

void NoticeOnce(bool& shown, HWND owner, const char* text) {
  if (shown) return;
  shown = true;
  MessageBoxA(owner, text, kUncodedCaption, MB_ICONHAND);
}

D3DXMATRIX Bone(const VNMeshContainer* c, DWORD b) {
  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &c->pBoneOffsets[b], c->ppBoneTransforms[b]);
  return m;
}

const D3DXBONECOMBINATION* Combos(const VNMeshContainer* c) {
  return c->pBoneCombos ? static_cast<const D3DXBONECOMBINATION*>(c->pBoneCombos->GetBufferPointer()) : nullptr;
}

}  // namespace

void ResetSkinningNoticesForTesting() { g_ShownPrevLoopBox = g_ShownAttribLoopBox = false; }

VNMesh::~VNMesh() { DestroyHierarchy(); }

void VNMesh::FreeBoneMatrices() {
  if (m_pBoneMatrices) ::operator delete[](m_pBoneMatrices, std::align_val_t{16});
  m_pBoneMatrices = nullptr;
  m_BoneMatrixCapacity = 0;
}

void VNMesh::DestroyHierarchy() {
  if (m_pFrameRoot) {
    CAllocateHierarchy alloc(this);
    D3DXFrameDestroy(m_pFrameRoot, &alloc);
  }
  m_pFrameRoot = nullptr;
  SafeRelease(m_pAnimController);
  SafeRelease(m_pEffect);
  for (IDirect3DVertexShader9*& s : m_pIndexedShaders) SafeRelease(s);
  FreeBoneMatrices();
}

void LoadSkinningConstants(VNMesh& mesh);

int VNMesh::Draw() {
  if (!m_pFrameRoot || !m_pEngine || !m_pEngine->m_pD3DDevice) return 0;
  LoadSkinningConstants(*this);
  DrawFrameTree(m_pFrameRoot);
  return 0;
}

void VNMesh::DrawFrameTree(VNFrame* frame) {
  while (frame) {
    for (auto* c = static_cast<VNMeshContainer*>(frame->pMeshContainer); c;
         c = static_cast<VNMeshContainer*>(c->pNextMeshContainer))
      DrawSkinnedContainer(c, frame);
    if (frame->pFrameSibling) DrawFrameTree(static_cast<VNFrame*>(frame->pFrameSibling));
    frame = static_cast<VNFrame*>(frame->pFrameFirstChild);
  }
}

void VNMesh::DrawSkinnedContainer(VNMeshContainer* c, VNFrame* frame) {
  if (!c || !c->MeshData.pMesh || !m_pEngine || !m_pEngine->m_pD3DDevice) return;
  if (!c->pSkinInfo) {
    DrawUnskinned(c, frame);
    return;
  }
  if (!c->ppBoneTransforms || !c->pBoneOffsets) return;  // bones never connected to frames
  switch (m_SkinningMethod) {
    case SkinNonIndexed: DrawNonIndexed(c, frame); break;
    case SkinIndexed: DrawIndexed(c); break;
    case SkinSoftware: DrawSoftware(c); break;
    case SkinIndexedShader: DrawIndexedShader(c); break;
    case SkinIndexedEffect: DrawIndexedEffect(c); break;
    default: break;
  }
}

void VNMesh::DrawUnskinned(VNMeshContainer* c, VNFrame* frame) {
  IDirect3DDevice9* d = m_pEngine->m_pD3DDevice;
  d->SetTransform(D3DTS_WORLD, &frame->CombinedTransform);
  for (DWORD i = 0; i < c->NumMaterials; ++i) {
    const D3DMATERIAL9& m = c->pMaterials[i].MatD3D;
    d->SetRenderState(D3DRS_SPECULARENABLE, m.Power != 0.0f ? TRUE : FALSE);
    d->SetMaterial(&m);
    d->SetTexture(0, c->ppMaterialTextures[i]);
    d->SetRenderState(D3DRS_ZWRITEENABLE, m.Diffuse.a > 0.7f ? TRUE : FALSE);
    c->MeshData.pMesh->DrawSubset(i);
  }
}

void VNMesh::DrawNonIndexed(VNMeshContainer* c, VNFrame* frame) {
  IDirect3DDevice9* d = m_pEngine->m_pD3DDevice;
  const D3DXBONECOMBINATION* combos = Combos(c);
  if (!combos) return;
  // The highest bone slot a combination uses.
  auto highest = [&](DWORD g) {
    DWORD n = 0;
    for (DWORD i = 0; i < c->MaxInfluences; ++i)
      if (combos[g].BoneId[i] != kNoBone) n = i;
    return n;
  };
  auto setMatrices = [&](DWORD g) {
    for (DWORD i = 0; i < c->MaxInfluences; ++i) {
      const DWORD b = combos[g].BoneId[i];
      if (b == kNoBone) continue;
      D3DXMATRIX m = Bone(c, b);
      for (DWORD k = 0; k < m_AttachCount; ++k)
        if (m_pAttachFrames && m_pAttachFrames[k] == frame && b == c->MaxInfluences - 1) {
          D3DXMATRIX attached;
          D3DXMatrixMultiply(&attached, &m_pAttachMatrices[k], c->ppBoneTransforms[b]);
          D3DXMatrixMultiply(&m, &c->pBoneOffsets[b], &attached);
        }
      d->SetTransform(D3DTS_WORLDMATRIX(i), &m);
    }
  };
  DWORD prev = kNoBone;
  for (DWORD g = 0; g < c->AttribGroupCount; ++g) {
    const DWORD n = highest(g);
    if (m_Caps.MaxVertexBlendMatrices < n + 1) continue;
    setMatrices(g);
    d->SetRenderState(D3DRS_VERTEXBLEND, n);
    if (prev != combos[g].AttribId || prev == kNoBone) {
      NoticeOnce(g_ShownPrevLoopBox, m_pEngine->m_hwnd, "Got to the AttribIdPrevLoop, Ooops (Search for LOOPY2)");
      d->SetMaterial(&c->pMaterials[combos[g].AttribId].MatD3D);
      d->SetTexture(0, c->ppMaterialTextures[combos[g].AttribId]);
      prev = combos[g].AttribId;
    }
    c->MeshData.pMesh->DrawSubset(g);
  }
  if (c->FirstSoftwareGroup < c->AttribGroupCount) {
    d->SetSoftwareVertexProcessing(TRUE);
    for (DWORD g = c->FirstSoftwareGroup; g < c->AttribGroupCount; ++g) {
      const DWORD n = highest(g);
      if (n + 1 <= m_Caps.MaxVertexBlendMatrices) continue;
      setMatrices(g);
      d->SetRenderState(D3DRS_VERTEXBLEND, n);
      if (prev != combos[g].AttribId || prev == kNoBone) {
        const D3DMATERIAL9& m = c->pMaterials[combos[g].AttribId].MatD3D;
        d->SetMaterial(&m);
        d->SetTexture(0, c->ppMaterialTextures[combos[g].AttribId]);
        d->SetRenderState(D3DRS_SPECULARENABLE, m.Power != 0.0f ? TRUE : FALSE);
        prev = combos[g].AttribId;
      }
      c->MeshData.pMesh->DrawSubset(g);
    }
    d->SetSoftwareVertexProcessing(FALSE);
  }
  d->SetRenderState(D3DRS_VERTEXBLEND, 0);
}

void VNMesh::DrawIndexed(VNMeshContainer* c) {
  IDirect3DDevice9* d = m_pEngine->m_pD3DDevice;
  const D3DXBONECOMBINATION* combos = Combos(c);
  if (!combos) return;
  if (c->SoftwareVertexProcessing) d->SetSoftwareVertexProcessing(TRUE);
  d->SetRenderState(D3DRS_VERTEXBLEND, c->MaxInfluences == 1 ? static_cast<DWORD>(D3DVBF_0WEIGHTS) : c->MaxInfluences - 1);
  if (c->MaxInfluences != 0) d->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
  for (DWORD g = 0; g < c->AttribGroupCount; ++g) {
    for (DWORD p = 0; p < c->PaletteSize; ++p) {
      const DWORD b = combos[g].BoneId[p];
      if (b == kNoBone) continue;
      const D3DXMATRIX m = Bone(c, b);
      d->SetTransform(D3DTS_WORLDMATRIX(p), &m);
    }
    D3DMATERIAL9& m = c->pMaterials[combos[g].AttribId].MatD3D;
    m.Ambient = m.Diffuse;  // the container's material keeps this
    d->SetMaterial(&m);
    d->SetTexture(0, c->ppMaterialTextures[combos[g].AttribId]);
    c->MeshData.pMesh->DrawSubset(g);
  }
  d->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
  d->SetRenderState(D3DRS_VERTEXBLEND, 0);
  if (c->SoftwareVertexProcessing) d->SetSoftwareVertexProcessing(FALSE);
}

void VNMesh::DrawSoftware(VNMeshContainer* c) {
  IDirect3DDevice9* d = m_pEngine->m_pD3DDevice;
  const DWORD bones = c->pSkinInfo->GetNumBones();
  if (!m_pBoneMatrices || m_BoneMatrixCapacity < bones || !c->pLoadedMesh) return;
  for (DWORD b = 0; b < bones; ++b) m_pBoneMatrices[b] = Bone(c, b);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  d->SetTransform(D3DTS_WORLD, &identity);
  void* src = nullptr;
  void* dst = nullptr;
  if (SUCCEEDED(c->pLoadedMesh->LockVertexBuffer(D3DLOCK_READONLY, &src))) {
    if (SUCCEEDED(c->MeshData.pMesh->LockVertexBuffer(0, &dst))) {
      c->pSkinInfo->UpdateSkinnedMesh(m_pBoneMatrices, nullptr, src, dst);
      c->MeshData.pMesh->UnlockVertexBuffer();
    }
    c->pLoadedMesh->UnlockVertexBuffer();
  }
  for (DWORD g = 0; g < c->AttribGroupCount; ++g) {
    NoticeOnce(g_ShownAttribLoopBox, m_pEngine->m_hwnd, "Got to the iAttribLoop, Ooops (Search for LOOPY1)");
    const DWORD a = c->pAttribRanges[g].AttribId;
    if (a >= c->NumMaterials) continue;
    d->SetMaterial(&c->pMaterials[a].MatD3D);
    d->SetTexture(0, c->ppMaterialTextures[a]);
    c->MeshData.pMesh->DrawSubset(a);
  }
}

void VNMesh::DrawIndexedShader(VNMeshContainer* c) {
  IDirect3DDevice9* d = m_pEngine->m_pD3DDevice;
  const D3DXBONECOMBINATION* combos = Combos(c);
  if (!combos || c->MaxInfluences == 0 || c->MaxInfluences > 4) return;
  float c0[4] = {1.0f, 0.0f, 0.0f, 765.01f};
  if (c->SoftwareVertexProcessing) d->SetSoftwareVertexProcessing(TRUE);
  d->SetVertexShader(m_pIndexedShaders[c->MaxInfluences - 1]);
  for (DWORD g = 0; g < c->AttribGroupCount; ++g) {
    for (DWORD p = 0; p < c->PaletteSize; ++p) {
      const DWORD b = combos[g].BoneId[p];
      if (b == kNoBone) continue;
      const D3DXMATRIX bone = Bone(c, b);
      D3DXMATRIX m;
      D3DXMatrixMultiplyTranspose(&m, &bone, &m_matView);
      d->SetVertexShaderConstantF(9 + 3 * p, &m._11, 3);
    }
    const D3DMATERIAL9& m = c->pMaterials[combos[g].AttribId].MatD3D;
    d->SetVertexShaderConstantF(8, &m.Diffuse.r, 1);
    const float ambient[4] = {0.25f * m.Ambient.r, 0.25f * m.Ambient.g, 0.25f * m.Ambient.b, m.Ambient.a};
    d->SetVertexShaderConstantF(7, ambient, 1);
    c0[1] = m.Power;
    d->SetVertexShaderConstantF(0, c0, 1);
    d->SetTexture(0, c->ppMaterialTextures[combos[g].AttribId]);
    c->MeshData.pMesh->DrawSubset(g);
  }
  if (c->SoftwareVertexProcessing) d->SetSoftwareVertexProcessing(FALSE);
  d->SetVertexShader(nullptr);
}

void VNMesh::DrawIndexedEffect(VNMeshContainer* c) {
  IDirect3DDevice9* d = m_pEngine->m_pD3DDevice;
  const D3DXBONECOMBINATION* combos = Combos(c);
  if (!combos || !m_pEffect || !m_pBoneMatrices || m_BoneMatrixCapacity < c->PaletteSize) return;
  if (c->SoftwareVertexProcessing) d->SetSoftwareVertexProcessing(TRUE);
  for (DWORD g = 0; g < c->AttribGroupCount; ++g) {
    for (DWORD p = 0; p < c->PaletteSize; ++p) {
      const DWORD b = combos[g].BoneId[p];
      if (b == kNoBone) continue;
      const D3DXMATRIX bone = Bone(c, b);
      D3DXMatrixMultiply(&m_pBoneMatrices[p], &bone, &m_matView);
    }
    m_pEffect->SetMatrixArray("mWorldMatrixArray", m_pBoneMatrices, c->PaletteSize);
    const D3DMATERIAL9& m = c->pMaterials[combos[g].AttribId].MatD3D;
    const D3DXVECTOR4 diffuse(m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a);
    m_pEffect->SetVector("MaterialDiffuse", &diffuse);
    const D3DXVECTOR4 ambient(0.25f * m.Ambient.r + m.Emissive.r, 0.25f * m.Ambient.g + m.Emissive.g,
                              0.25f * m.Ambient.b + m.Emissive.b, m.Ambient.a + m.Emissive.a);
    m_pEffect->SetVector("MaterialAmbient", &ambient);
    d->SetTexture(0, c->ppMaterialTextures[combos[g].AttribId]);
    m_pEffect->SetInt("CurNumBones", static_cast<INT>(c->MaxInfluences) - 1);
    UINT passes = 0;
    if (SUCCEEDED(m_pEffect->Begin(&passes, D3DXFX_DONOTSAVESTATE))) {
      for (UINT p = 0; p < passes; ++p) {
        m_pEffect->BeginPass(p);
        c->MeshData.pMesh->DrawSubset(g);
        m_pEffect->EndPass();
      }
      m_pEffect->End();
    }
    d->SetVertexShader(nullptr);
  }
  if (c->SoftwareVertexProcessing) d->SetSoftwareVertexProcessing(FALSE);
}
