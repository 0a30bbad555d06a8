// Filling a new ID3DXMesh from geometry read from an X file, and the
// material records and buffers the loaders hand out.
#pragma once

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/xfile/mesh_reader.h"

namespace d3dx_xfile {

// A mesh with position, the normals, colours and one coordinate set the
// geometry holds, its triangles and its attribute table. 32-bit indices are
// chosen when the vertices do not fit 16 bits.
HRESULT MeshFromGeometry(const MeshGeometry& g, DWORD options, IDirect3DDevice9* device, ID3DXMesh** out);

// One buffer with `materials.size()` D3DXMATERIAL records followed by their
// texture names; null name pointers for materials without a texture.
HRESULT MaterialBuffer(const std::vector<Material>& materials, ID3DXBuffer** out);

// Reads a whole file through the file layer (backslashes allowed).
bool ReadWholeFile(const char* path, std::vector<char>* out);

}  // namespace d3dx_xfile
