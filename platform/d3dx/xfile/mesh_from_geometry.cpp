// Building meshes and material buffers from X-file geometry.
#include "platform/d3dx/xfile/mesh_from_geometry.h"

#include <cstdio>
#include <cstring>

#include "platform/win32/files.h"

namespace d3dx_xfile {

HRESULT MeshFromGeometry(const MeshGeometry& g, DWORD options, IDirect3DDevice9* device, ID3DXMesh** out) {
  *out = nullptr;
  const DWORD vertices = static_cast<DWORD>(g.positions.size());
  const DWORD faces = static_cast<DWORD>(g.indices.size() / 3);
  if (vertices == 0 || faces == 0) return D3DXERR_LOADEDMESHASNODATA;
  DWORD fvf = D3DFVF_XYZ;
  if (g.hasNormals) fvf |= D3DFVF_NORMAL;
  if (g.hasColours) fvf |= D3DFVF_DIFFUSE;
  if (g.hasUV) fvf |= D3DFVF_TEX1;
  if (vertices > 0xFFFF) options |= D3DXMESH_32BIT;
  ID3DXMesh* mesh = nullptr;
  HRESULT hr = D3DXCreateMeshFVF(faces, vertices, options, fvf, device, &mesh);
  if (FAILED(hr)) return hr;
  const DWORD stride = mesh->GetNumBytesPerVertex();
  BYTE* v = nullptr;
  hr = mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&v));
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  for (DWORD i = 0; i < vertices; ++i) {
    BYTE* p = v + static_cast<std::size_t>(i) * stride;
    std::memcpy(p, &g.positions[i], 12);
    p += 12;
    if (g.hasNormals) {
      std::memcpy(p, &g.normals[i], 12);
      p += 12;
    }
    if (g.hasColours) {
      std::memcpy(p, &g.colours[i], 4);
      p += 4;
    }
    if (g.hasUV) std::memcpy(p, &g.uv[2 * static_cast<std::size_t>(i)], 8);
  }
  mesh->UnlockVertexBuffer();
  void* idx = nullptr;
  hr = mesh->LockIndexBuffer(0, &idx);
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  const bool i32 = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
  for (std::size_t i = 0; i < g.indices.size(); ++i) {
    if (i32)
      static_cast<DWORD*>(idx)[i] = g.indices[i];
    else
      static_cast<WORD*>(idx)[i] = static_cast<WORD>(g.indices[i]);
  }
  mesh->UnlockIndexBuffer();
  DWORD* attributes = nullptr;
  mesh->LockAttributeBuffer(0, &attributes);
  std::memcpy(attributes, g.attributes.data(), g.attributes.size() * sizeof(DWORD));
  mesh->UnlockAttributeBuffer();
  // The triangles are sorted by attribute: one range per run.
  std::vector<D3DXATTRIBUTERANGE> table;
  for (DWORD f = 0; f < faces;) {
    DWORD end = f;
    DWORD lo = 0xFFFFFFFFu, hi = 0;
    while (end < faces && g.attributes[end] == g.attributes[f]) {
      for (int k = 0; k < 3; ++k) {
        lo = std::min(lo, g.indices[3 * end + k]);
        hi = std::max(hi, g.indices[3 * end + k]);
      }
      ++end;
    }
    table.push_back({g.attributes[f], f, end - f, lo, hi - lo + 1});
    f = end;
  }
  mesh->SetAttributeTable(table.data(), static_cast<DWORD>(table.size()));
  *out = mesh;
  return D3D_OK;
}

HRESULT MaterialBuffer(const std::vector<Material>& materials, ID3DXBuffer** out) {
  *out = nullptr;
  std::size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
  for (const Material& m : materials)
    if (m.hasTexture) bytes += m.texture.size() + 1;
  if (bytes > 0x7FFFFFFF) return E_OUTOFMEMORY;
  ID3DXBuffer* buffer = nullptr;
  HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(bytes), &buffer);
  if (FAILED(hr)) return hr;
  auto* records = static_cast<D3DXMATERIAL*>(buffer->GetBufferPointer());
  char* names = reinterpret_cast<char*>(records + materials.size());
  for (std::size_t i = 0; i < materials.size(); ++i) {
    records[i].MatD3D = materials[i].mat;
    records[i].pTextureFilename = nullptr;
    if (materials[i].hasTexture) {
      std::memcpy(names, materials[i].texture.c_str(), materials[i].texture.size() + 1);
      records[i].pTextureFilename = names;
      names += materials[i].texture.size() + 1;
    }
  }
  *out = buffer;
  return D3D_OK;
}

bool ReadWholeFile(const char* path, std::vector<char>* out) {
  out->clear();
  if (!path) return false;
  std::FILE* f = OpenFile(path, "rb");
  if (!f) return false;
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out->insert(out->end(), chunk, chunk + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace d3dx_xfile
