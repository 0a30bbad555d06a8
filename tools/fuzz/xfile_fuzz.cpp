// libFuzzer entry: the text X-file parser and the mesh reader on the same
// bytes. Either may refuse the input; what the reader accepts must be
// consistent geometry: every index names a vertex, one attribute per
// triangle, one material for every attribute.
#include <cstdlib>

#include "platform/d3dx/xfile/mesh_reader.h"
#include "platform/d3dx/xfile/xfile_parser.h"

namespace {

void CheckGeometry(const d3dx_xfile::MeshGeometry& g) {
  const std::size_t n = g.positions.size();
  if (g.indices.size() % 3 != 0 || g.attributes.size() != g.indices.size() / 3) std::abort();
  for (DWORD i : g.indices)
    if (i >= n) std::abort();
  if ((g.hasNormals && g.normals.size() != n) || (g.hasUV && g.uv.size() != 2 * n) ||
      (g.hasColours && g.colours.size() != n) || g.origin.size() != n)
    std::abort();
  for (DWORD a : g.attributes)
    if (!g.materials.empty() && a >= g.materials.size()) std::abort();
  for (const d3dx_xfile::Bone& b : g.bones) {
    if (b.vertices.size() != b.weights.size()) std::abort();
    for (DWORD v : b.vertices)
      if (v >= n) std::abort();
  }
  const std::vector<DWORD> adj = d3dx_xfile::ComputeAdjacency(g);
  if (adj.size() != g.indices.size()) std::abort();
}

void Walk(const d3dx_xfile::Document& doc, const d3dx_xfile::DataObject& o, d3dx_xfile::MeshGeometry* all) {
  if (o.type == "Mesh") {
    d3dx_xfile::MeshGeometry g;
    if (d3dx_xfile::ReadMesh(doc, o, &g)) {
      CheckGeometry(g);
      d3dx_xfile::AppendGeometry(all, g);
      CheckGeometry(*all);
    }
  }
  for (const d3dx_xfile::DataObject& c : o.children) {
    (void)doc.Resolve(c);
    Walk(doc, c, all);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  d3dx_xfile::Document doc;
  if (!d3dx_xfile::ParseDocument(reinterpret_cast<const char*>(data), size, &doc)) return 0;
  d3dx_xfile::MeshGeometry all;
  for (const d3dx_xfile::DataObject& o : doc.objects) Walk(doc, o, &all);
  return 0;
}
