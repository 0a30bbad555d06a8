// Turning a Mesh data object of an X file into triangles ready for a
// vertex and an index buffer: positions split where a corner's normal
// differs, faces fanned into triangles and sorted by material, materials
// with their texture names, and the skin weights of each bone.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9_math.h"
#include "platform/d3dx/xfile/xfile_parser.h"

namespace d3dx_xfile {

struct Material {
  D3DMATERIAL9 mat{};
  bool hasTexture = false;
  std::string texture;
};

struct Bone {
  std::string name;
  std::vector<DWORD> vertices;  // output vertex indices
  std::vector<float> weights;
  D3DXMATRIX offset;
};

struct MeshGeometry {
  std::string name;
  bool hasNormals = false, hasUV = false, hasColours = false;
  std::vector<D3DXVECTOR3> positions;  // one per output vertex
  std::vector<D3DXVECTOR3> normals;    // same count when hasNormals
  std::vector<float> uv;               // two per output vertex when hasUV
  std::vector<D3DCOLOR> colours;       // one per output vertex when hasColours
  std::vector<DWORD> indices;          // three per triangle, triangles sorted by attribute
  std::vector<DWORD> attributes;       // one per triangle
  std::vector<Material> materials;
  std::vector<Bone> bones;
  DWORD maxVertexInfluences = 0, maxFaceInfluences = 0;  // from XSkinMeshHeader
  // Output vertex -> position index of the file, to carry per-position data.
  std::vector<DWORD> origin;
};

// False (the file is malformed) when counts exceed the data, an index is
// out of range, a face has fewer than three corners, and so on.
bool ReadMesh(const Document& doc, const DataObject& mesh, MeshGeometry* out);

// Places the mesh by a frame transform: positions as points, normals as
// directions.
void TransformGeometry(MeshGeometry* g, const D3DXMATRIX& m);

// Appends `from` to `into`, shifting its indices and material ids; the
// result has a normal, coordinate and colour channel when either has one.
void AppendGeometry(MeshGeometry* into, const MeshGeometry& from);

// Three entries per triangle: the triangle across each edge sharing both
// end positions, or 0xFFFFFFFF.
std::vector<DWORD> ComputeAdjacency(const MeshGeometry& g);

}  // namespace d3dx_xfile
