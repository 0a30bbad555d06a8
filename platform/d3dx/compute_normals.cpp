// D3DXComputeNormals: each vertex normal is the normalised sum of the face
// normals around it, each weighted by its face's area.
#include <cstring>
#include <vector>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/mesh_fvf.h"

HRESULT D3DXComputeNormals(ID3DXMesh* mesh, const DWORD*) {
  if (!mesh) return D3DERR_INVALIDCALL;
  FvfLayout l;
  if (!DescribeFvf(mesh->GetFVF(), &l) || l.normal < 0) return D3DERR_INVALIDCALL;
  const DWORD nv = mesh->GetNumVertices(), nf = mesh->GetNumFaces();
  const bool i32 = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
  BYTE* v = nullptr;
  void* idx = nullptr;
  HRESULT hr = mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&v));
  if (FAILED(hr)) return hr;
  hr = mesh->LockIndexBuffer(D3DLOCK_READONLY, &idx);
  if (FAILED(hr)) {
    mesh->UnlockVertexBuffer();
    return hr;
  }
  auto pos = [&](DWORD i) {
    D3DXVECTOR3 p;
    std::memcpy(&p, v + static_cast<std::size_t>(i) * l.stride, 12);
    return p;
  };
  std::vector<D3DXVECTOR3> sum(nv, D3DXVECTOR3{});
  for (DWORD f = 0; f < nf; ++f) {
    DWORD c[3];
    for (int k = 0; k < 3; ++k)
      c[k] = i32 ? static_cast<const DWORD*>(idx)[3 * f + k] : static_cast<const WORD*>(idx)[3 * f + k];
    if (c[0] >= nv || c[1] >= nv || c[2] >= nv) continue;
    const D3DXVECTOR3 a = pos(c[0]), b = pos(c[1]), d = pos(c[2]);
    D3DXVECTOR3 e1{}, e2{}, n{};
    e1.x = b.x - a.x; e1.y = b.y - a.y; e1.z = b.z - a.z;
    e2.x = d.x - a.x; e2.y = d.y - a.y; e2.z = d.z - a.z;
    D3DXVec3Cross(&n, &e1, &e2);  // its length is twice the area
    for (DWORD k : c) {
      sum[k].x += n.x;
      sum[k].y += n.y;
      sum[k].z += n.z;
    }
  }
  for (DWORD i = 0; i < nv; ++i) {
    D3DXVECTOR3 n = sum[i];
    D3DXVec3Normalize(&n, &n);
    std::memcpy(v + static_cast<std::size_t>(i) * l.stride + l.normal, &n, 12);
  }
  mesh->UnlockIndexBuffer();
  mesh->UnlockVertexBuffer();
  return D3D_OK;
}
