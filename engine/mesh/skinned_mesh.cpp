// VNMesh: the skinned mesh record and its destruction. No loader builds a
// frame tree yet, so the tree is always empty and Draw has nothing to do.
#include "engine/mesh/skinned_mesh.h"

#include "engine/d3d9/com_helpers.h"

VNMesh::~VNMesh() { DestroyHierarchy(); }

int VNMesh::Draw() { return 0; }

void VNMesh::DestroyHierarchy() {
  m_pFrameRoot = nullptr;  // no frame tree can exist without a loader
  SafeRelease(m_pAnimController);
  SafeRelease(m_pEffect);
  delete[] m_pBoneMatrices;
  m_pBoneMatrices = nullptr;
  m_BoneMatrixCapacity = 0;
}
