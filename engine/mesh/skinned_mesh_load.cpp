// Loading a VNMesh: the hierarchy from the X file through the engine's
// allocator, the skinning method's programs and effect, the bones pointed
// at their frames, and the frames' combined transforms; and the draw-time
// constants the programs read.
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/d3d9/com_helpers.h"
#include "engine/mesh/allocate_hierarchy.h"
#include "engine/mesh/skinned_mesh.h"
#include "engine/mesh/skinning_programs.h"
#include "engine/vorn.h"

namespace {

VNFrame* Find(VNFrame* frame, const char* name) {
  while (frame) {
    if (frame->Name && std::strcmp(frame->Name, name) == 0) return frame;
    if (VNFrame* found = Find(static_cast<VNFrame*>(frame->pFrameFirstChild), name)) return found;
    frame = static_cast<VNFrame*>(frame->pFrameSibling);
  }
  return nullptr;
}

}  // namespace

VNFrame* VNMesh::FindFrame(const char* name) { return name ? Find(m_pFrameRoot, name) : nullptr; }

void VNMesh::UpdateFrameMatrices(VNFrame* frame, const D3DXMATRIX& parent) {
  while (frame) {
    D3DXMatrixMultiply(&frame->CombinedTransform, &frame->TransformationMatrix, &parent);
    UpdateFrameMatrices(static_cast<VNFrame*>(frame->pFrameFirstChild), frame->CombinedTransform);
    frame = static_cast<VNFrame*>(frame->pFrameSibling);
  }
}

// Each bone's matrix is the combined transform of the frame of its name;
// a bone without a frame follows the container's own frame.
void VNMesh::ConnectBones(VNFrame* frame) {
  while (frame) {
    for (auto* c = static_cast<VNMeshContainer*>(frame->pMeshContainer); c;
         c = static_cast<VNMeshContainer*>(c->pNextMeshContainer)) {
      if (!c->pSkinInfo) continue;
      const DWORD bones = c->pSkinInfo->GetNumBones();
      delete[] c->ppBoneTransforms;
      c->ppBoneTransforms = new (std::nothrow) D3DXMATRIX*[bones ? bones : 1];
      if (!c->ppBoneTransforms) continue;
      for (DWORD b = 0; b < bones; ++b) {
        VNFrame* bone = FindFrame(c->pSkinInfo->GetBoneName(b));
        c->ppBoneTransforms[b] = bone ? &bone->CombinedTransform : &frame->CombinedTransform;
      }
    }
    ConnectBones(static_cast<VNFrame*>(frame->pFrameFirstChild));
    frame = static_cast<VNFrame*>(frame->pFrameSibling);
  }
}

HRESULT VNMesh::Load(const char* path, SkinningMethod method) {
  DestroyHierarchy();
  IDirect3DDevice9* d = m_pEngine ? m_pEngine->m_pD3DDevice : nullptr;
  if (!path || !d) return D3DERR_INVALIDCALL;
  std::snprintf(m_szFileName, sizeof m_szFileName, "%s", path);
  m_SkinningMethod = method;
  d->GetDeviceCaps(&m_Caps);
  d->GetTransform(D3DTS_VIEW, &m_matView);
  HRESULT hr = D3D_OK;
  if (method == SkinIndexedShader || method == SkinIndexedEffect) {
    for (int i = 0; i < 4 && SUCCEEDED(hr); ++i) hr = d->CreateVertexShader(SkinningProgram(i + 1), &m_pIndexedShaders[i]);
    if (SUCCEEDED(hr) && method == SkinIndexedEffect)
      hr = D3DXCreateEffectFromPasses(d, SkinningEffectPasses(m_pIndexedShaders), &m_pEffect);
    if (FAILED(hr)) {
      DestroyHierarchy();
      return hr;
    }
  }
  CAllocateHierarchy alloc(this);
  D3DXFRAME* root = nullptr;
  hr = D3DXLoadMeshHierarchyFromXA(path, D3DXMESH_MANAGED, d, &alloc, nullptr, &root, &m_pAnimController);
  if (FAILED(hr)) {
    DestroyHierarchy();
    return hr;
  }
  m_pFrameRoot = static_cast<VNFrame*>(root);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  UpdateFrameMatrices(m_pFrameRoot, identity);
  ConnectBones(m_pFrameRoot);
  return D3D_OK;
}

// The programs of the shader and effect methods take the projection and
// the light from the device as it stands when the mesh is drawn.
void LoadSkinningConstants(VNMesh& mesh) {
  IDirect3DDevice9* d = mesh.m_pEngine ? mesh.m_pEngine->m_pD3DDevice : nullptr;
  if (!d || (mesh.m_SkinningMethod != SkinIndexedShader && mesh.m_SkinningMethod != SkinIndexedEffect)) return;
  d->GetTransform(D3DTS_VIEW, &mesh.m_matView);
  D3DXMATRIX projection, transposed;
  d->GetTransform(D3DTS_PROJECTION, &projection);
  D3DXMatrixTranspose(&transposed, &projection);
  d->SetVertexShaderConstantF(kSkinProjectionRegister, &transposed._11, 4);
  D3DLIGHT9 light{};
  d->GetLight(0, &light);
  D3DXVECTOR3 towards(-light.Direction.x, -light.Direction.y, -light.Direction.z);
  D3DXVec3TransformNormal(&towards, &towards, &mesh.m_matView);
  D3DXVec3Normalize(&towards, &towards);
  const float c1[4] = {towards.x, towards.y, towards.z, 0.0f};
  d->SetVertexShaderConstantF(kSkinLightRegister, c1, 1);
}
