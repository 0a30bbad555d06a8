// D3DXLoadMeshFromXA: every mesh of a text X file, placed by the transforms
// of the frames around it, merged into one mesh with its materials.
#include <vector>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/xfile/mesh_from_geometry.h"
#include "platform/d3dx/xfile/mesh_reader.h"
#include "platform/d3dx/xfile/xfile_parser.h"

namespace {

using d3dx_xfile::DataObject;
using d3dx_xfile::Document;
using d3dx_xfile::MeshGeometry;

// Depth is bounded by the parser's nesting limit.
bool CollectMeshes(const Document& doc, const DataObject& o, const D3DXMATRIX& parent, MeshGeometry* all,
                   int* count) {
  if (o.type == "Mesh") {
    MeshGeometry g;
    if (!d3dx_xfile::ReadMesh(doc, o, &g)) return false;
    d3dx_xfile::TransformGeometry(&g, parent);
    d3dx_xfile::AppendGeometry(all, g);
    ++*count;
    return true;
  }
  if (o.type != "Frame") return true;
  D3DXMATRIX local;
  D3DXMatrixIdentity(&local);
  for (const DataObject& c : o.children)
    if (c.type == "FrameTransformMatrix") {
      if (c.numbers.size() < 16) return false;
      float m[16];
      for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(c.numbers[i]);
      local = D3DXMATRIX(m);
    }
  D3DXMATRIX combined;
  D3DXMatrixMultiply(&combined, &local, &parent);
  for (const DataObject& c : o.children) {
    const DataObject* child = doc.Resolve(c);
    if (child && child != &o && !CollectMeshes(doc, *child, combined, all, count)) return false;
  }
  return true;
}

}  // namespace

HRESULT D3DXLoadMeshFromXInMemory(LPCVOID memory, DWORD size, DWORD options, IDirect3DDevice9* device,
                                  ID3DXBuffer** adjacency, ID3DXBuffer** materials, ID3DXBuffer** effects,
                                  DWORD* numMaterials, ID3DXMesh** mesh) {
  if (adjacency) *adjacency = nullptr;
  if (materials) *materials = nullptr;
  if (effects) *effects = nullptr;
  if (numMaterials) *numMaterials = 0;
  if (!mesh) return D3DERR_INVALIDCALL;
  *mesh = nullptr;
  if (!memory || !device) return D3DERR_INVALIDCALL;
  Document doc;
  if (!d3dx_xfile::ParseDocument(static_cast<const char*>(memory), size, &doc)) return D3DXERR_INVALIDDATA;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  MeshGeometry all;
  int count = 0;
  for (const DataObject& o : doc.objects)
    if (!CollectMeshes(doc, o, identity, &all, &count)) return D3DXERR_INVALIDDATA;
  if (count == 0) return E_FAIL;
  ID3DXMesh* result = nullptr;
  HRESULT hr = d3dx_xfile::MeshFromGeometry(all, options, device, &result);
  if (FAILED(hr)) return hr == D3DXERR_LOADEDMESHASNODATA ? D3DXERR_INVALIDDATA : hr;

  ID3DXBuffer* adj = nullptr;
  ID3DXBuffer* mat = nullptr;
  ID3DXBuffer* fx = nullptr;
  if (adjacency) {
    std::vector<DWORD> a = d3dx_xfile::ComputeAdjacency(all);
    hr = D3DXCreateBuffer(static_cast<DWORD>(a.size() * sizeof(DWORD)), &adj);
    if (SUCCEEDED(hr)) std::copy(a.begin(), a.end(), static_cast<DWORD*>(adj->GetBufferPointer()));
  }
  if (SUCCEEDED(hr) && materials) hr = d3dx_xfile::MaterialBuffer(all.materials, &mat);
  if (SUCCEEDED(hr) && effects) {
    hr = D3DXCreateBuffer(static_cast<DWORD>(all.materials.size() * sizeof(D3DXEFFECTINSTANCE)), &fx);
  }
  if (FAILED(hr)) {
    if (adj) adj->Release();
    if (mat) mat->Release();
    if (fx) fx->Release();
    result->Release();
    return hr;
  }
  if (adjacency) *adjacency = adj;
  if (materials) *materials = mat;
  if (effects) *effects = fx;
  if (numMaterials) *numMaterials = static_cast<DWORD>(all.materials.size());
  *mesh = result;
  return D3D_OK;
}

HRESULT D3DXLoadMeshFromXA(LPCSTR filename, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                           ID3DXBuffer** materials, ID3DXBuffer** effects, DWORD* numMaterials, ID3DXMesh** mesh) {
  if (adjacency) *adjacency = nullptr;
  if (materials) *materials = nullptr;
  if (effects) *effects = nullptr;
  if (numMaterials) *numMaterials = 0;
  if (mesh) *mesh = nullptr;
  if (!filename || !mesh || !device) return D3DERR_INVALIDCALL;
  std::vector<char> bytes;
  if (!d3dx_xfile::ReadWholeFile(filename, &bytes)) return E_FAIL;
  if (bytes.size() > 0xFFFFFFFFu) return E_OUTOFMEMORY;
  return D3DXLoadMeshFromXInMemory(bytes.data(), static_cast<DWORD>(bytes.size()), options, device, adjacency,
                                   materials, effects, numMaterials, mesh);
}
