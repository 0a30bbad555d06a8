// VNMesh: one skinned, animated mesh of the engine: a frame tree drawn
// rigidly or with one of the skinning methods.
#pragma once

#include "engine/mesh/frame_records.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9.h"

class Vorn;

enum SkinningMethod : DWORD {
  SkinNonIndexed = 0,
  SkinIndexed,
  SkinSoftware,
  SkinIndexedShader,
  SkinIndexedEffect,
  SkinNone,
};

class VNMesh {
 public:
  VNMesh() = default;
  virtual ~VNMesh();
  VNMesh(const VNMesh&) = delete;
  VNMesh& operator=(const VNMesh&) = delete;

  // Draws the whole frame tree; returns 0. Does nothing without a tree.
  virtual int Draw();
  // One frame's containers, then its siblings and children.
  void DrawFrameTree(VNFrame* frame);
  // One container of a frame, by the mesh's skinning method.
  void DrawSkinnedContainer(VNMeshContainer* container, VNFrame* frame);
  // Converts a skinned container's mesh for the skinning method.
  HRESULT PrepareSkinnedMesh(VNMeshContainer* container);

  // Loads an X file's frame tree for `method`: reads the device caps, makes
  // the shaders and the effect the method needs, points every container's
  // bones at their frames and computes the combined transforms. A mesh
  // already loaded is destroyed first.
  HRESULT Load(const char* path, SkinningMethod method);
  // Combines each frame's transform with its parents' from `parent` down.
  void UpdateFrameMatrices(VNFrame* frame, const D3DXMATRIX& parent);
  // The frame of that name in the tree, or null.
  VNFrame* FindFrame(const char* name);

  // Destroys the frame tree and releases the controller and the effect.
  void DestroyHierarchy();

  Vorn* m_pEngine = nullptr;
  char m_szFileName[512] = {};
  VNFrame* m_pFrameRoot = nullptr;
  ID3DXAnimationController* m_pAnimController = nullptr;
  SkinningMethod m_SkinningMethod = SkinNonIndexed;
  D3DXMATRIX* m_pBoneMatrices = nullptr;
  DWORD m_BoneMatrixCapacity = 0;
  IDirect3DVertexShader9* m_pIndexedShaders[4] = {};
  ID3DXEffect* m_pEffect = nullptr;
  D3DXMATRIX m_matView = {};
  D3DCAPS9 m_Caps = {};
  DWORD m_AttachCount = 0;
  D3DXMATRIX* m_pAttachMatrices = nullptr;
  VNFrame** m_pAttachFrames = nullptr;

 private:
  void DrawUnskinned(VNMeshContainer* c, VNFrame* frame);
  void DrawNonIndexed(VNMeshContainer* c, VNFrame* frame);
  void DrawIndexed(VNMeshContainer* c);
  void DrawSoftware(VNMeshContainer* c);
  void DrawIndexedShader(VNMeshContainer* c);
  void DrawIndexedEffect(VNMeshContainer* c);
  void ConnectBones(VNFrame* frame);
  void FreeBoneMatrices();
};

// The "uncoded bit" notices show once per run; tests start them afresh.
void ResetSkinningNoticesForTesting();
