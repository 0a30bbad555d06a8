// VNMesh: one skinned, animated mesh of the engine: a frame tree drawn
// rigidly or with one of the skinning methods.
#pragma once

#include "platform/d3d9/d3d9.h"

class Vorn;
struct VNFrame;
struct ID3DXEffect;
struct ID3DXAnimationController;

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

  // Destroys the frame tree and releases the controller and the effect.
  void DestroyHierarchy();

  Vorn* m_pEngine = nullptr;
  char m_szFileName[512] = {};
  VNFrame* m_pFrameRoot = nullptr;
  IUnknown* m_pAnimController = nullptr;
  SkinningMethod m_SkinningMethod = SkinNonIndexed;
  D3DMATRIX* m_pBoneMatrices = nullptr;
  DWORD m_BoneMatrixCapacity = 0;
  IDirect3DVertexShader9* m_pIndexedShaders[4] = {};
  IUnknown* m_pEffect = nullptr;
  D3DMATRIX m_matView = {};
  D3DCAPS9 m_Caps = {};
  DWORD m_AttachCount = 0;
  D3DMATRIX* m_pAttachMatrices = nullptr;
  VNFrame** m_pAttachFrames = nullptr;
};
