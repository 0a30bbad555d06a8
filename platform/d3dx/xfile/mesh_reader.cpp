// Reading the Mesh template and its children (MeshNormals,
// MeshTextureCoords, MeshVertexColors, MeshMaterialList with Material and
// TextureFilename, XSkinMeshHeader, SkinWeights) into triangle geometry.
#include "platform/d3dx/xfile/mesh_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>

namespace d3dx_xfile {
namespace {

// Reads the numbers of one data object in order, refusing to run past them.
class Numbers {
 public:
  explicit Numbers(const DataObject& o) : v_(o.numbers) {}
  bool Float(float* out) {
    if (at_ >= v_.size()) return false;
    *out = static_cast<float>(v_[at_++]);
    return true;
  }
  // A count or index: a whole number from 0 to `limit`.
  bool Count(DWORD* out, double limit) {
    if (at_ >= v_.size()) return false;
    const double d = v_[at_++];
    if (d < 0 || d > limit || d != std::floor(d)) return false;
    *out = static_cast<DWORD>(d);
    return true;
  }
  std::size_t Left() const { return v_.size() - at_; }

 private:
  const std::vector<double>& v_;
  std::size_t at_ = 0;
};

// Faces: a count, then per face its corner count and corners below `limit`.
bool ReadFaces(Numbers& n, DWORD limit, std::vector<std::vector<DWORD>>* faces) {
  DWORD count = 0;
  if (!n.Count(&count, static_cast<double>(n.Left()))) return false;
  faces->resize(count);
  for (DWORD f = 0; f < count; ++f) {
    DWORD corners = 0;
    if (!n.Count(&corners, static_cast<double>(n.Left())) || corners < 3) return false;
    (*faces)[f].resize(corners);
    for (DWORD& c : (*faces)[f])
      if (limit == 0 || !n.Count(&c, limit - 1)) return false;
  }
  return true;
}

bool ReadVectors(Numbers& n, std::vector<D3DXVECTOR3>* out) {
  DWORD count = 0;
  if (!n.Count(&count, static_cast<double>(n.Left() / 3))) return false;
  out->resize(count);
  for (D3DXVECTOR3& v : *out)
    if (!n.Float(&v.x) || !n.Float(&v.y) || !n.Float(&v.z)) return false;
  return true;
}

D3DCOLORVALUE Colour(float r, float g, float b, float a) { return D3DCOLORVALUE{r, g, b, a}; }

bool ReadMaterial(const DataObject& o, Material* out) {
  Numbers n(o);
  float v[11];
  for (float& f : v)
    if (!n.Float(&f)) return false;
  out->mat = D3DMATERIAL9{};
  out->mat.Diffuse = Colour(v[0], v[1], v[2], v[3]);
  out->mat.Power = v[4];
  out->mat.Specular = Colour(v[5], v[6], v[7], 1.0f);
  out->mat.Emissive = Colour(v[8], v[9], v[10], 1.0f);
  for (const DataObject& c : o.children)
    if (c.type == "TextureFilename" || c.type == "TextureFileName") {
      if (c.strings.empty()) return false;
      out->hasTexture = true;
      out->texture = c.strings[0];
    }
  return true;
}

Material DefaultMaterial() {
  Material m;
  m.mat.Diffuse = Colour(1, 1, 1, 1);
  m.mat.Specular = Colour(0, 0, 0, 1);
  m.mat.Emissive = Colour(0, 0, 0, 1);
  return m;
}

bool ReadMaterialList(const Document& doc, const DataObject& o, DWORD faceCount, std::vector<DWORD>* faceMaterial,
                      std::vector<Material>* materials) {
  Numbers n(o);
  DWORD count = 0, indexed = 0;
  if (!n.Count(&count, 65535.0) || !n.Count(&indexed, static_cast<double>(n.Left()))) return false;
  faceMaterial->assign(faceCount, 0);
  for (DWORD i = 0; i < indexed; ++i) {
    DWORD m = 0;
    if (!n.Count(&m, count == 0 ? 0.0 : count - 1.0)) return false;
    if (i < faceCount) (*faceMaterial)[i] = m;
  }
  // Fewer indices than faces: the last one stands for the rest.
  for (DWORD i = indexed; i < faceCount && indexed > 0; ++i) (*faceMaterial)[i] = (*faceMaterial)[indexed - 1];
  materials->clear();
  for (const DataObject& c : o.children) {
    const DataObject* m = doc.Resolve(c);
    if (!m || m->type != "Material" || materials->size() >= count) continue;
    Material mat;
    if (!ReadMaterial(*m, &mat)) return false;
    materials->push_back(mat);
  }
  while (materials->size() < count) materials->push_back(DefaultMaterial());
  return true;
}

}  // namespace

bool ReadMesh(const Document& doc, const DataObject& mesh, MeshGeometry* out) {
  *out = MeshGeometry{};
  out->name = mesh.name;
  Numbers n(mesh);
  std::vector<D3DXVECTOR3> positions;
  std::vector<std::vector<DWORD>> faces;
  if (!ReadVectors(n, &positions) || !ReadFaces(n, static_cast<DWORD>(positions.size()), &faces)) return false;
  const DWORD nPos = static_cast<DWORD>(positions.size());

  std::vector<D3DXVECTOR3> normals;
  std::vector<std::vector<DWORD>> normalFaces;
  std::vector<float> uv;
  std::vector<D3DCOLOR> colours;
  std::vector<DWORD> faceMaterial(faces.size(), 0);
  const DataObject* skinHeader = nullptr;
  std::vector<const DataObject*> skinWeights;
  for (const DataObject& c : mesh.children) {
    if (c.type == "MeshNormals") {
      Numbers m(c);
      if (!ReadVectors(m, &normals) || !ReadFaces(m, static_cast<DWORD>(normals.size()), &normalFaces)) return false;
      if (normalFaces.size() != faces.size()) return false;
      for (std::size_t f = 0; f < faces.size(); ++f)
        if (normalFaces[f].size() != faces[f].size()) return false;
      out->hasNormals = true;
    } else if (c.type == "MeshTextureCoords") {
      Numbers m(c);
      DWORD count = 0;
      if (!m.Count(&count, static_cast<double>(m.Left() / 2)) || count != nPos) return false;
      uv.resize(2 * static_cast<std::size_t>(count));
      for (float& f : uv)
        if (!m.Float(&f)) return false;
      out->hasUV = true;
    } else if (c.type == "MeshVertexColors") {
      Numbers m(c);
      DWORD count = 0;
      if (!m.Count(&count, static_cast<double>(m.Left() / 5))) return false;
      colours.assign(nPos, 0xFFFFFFFFu);
      for (DWORD i = 0; i < count; ++i) {
        DWORD at = 0;
        float rgba[4];
        if (nPos == 0 || !m.Count(&at, nPos - 1.0)) return false;
        for (float& f : rgba)
          if (!m.Float(&f)) return false;
        auto byte = [](float f) { return static_cast<DWORD>(std::clamp(f, 0.0f, 1.0f) * 255.0f + 0.5f); };
        colours[at] = (byte(rgba[3]) << 24) | (byte(rgba[0]) << 16) | (byte(rgba[1]) << 8) | byte(rgba[2]);
      }
      out->hasColours = true;
    } else if (c.type == "MeshMaterialList") {
      if (!ReadMaterialList(doc, c, static_cast<DWORD>(faces.size()), &faceMaterial, &out->materials)) return false;
    } else if (c.type == "XSkinMeshHeader") {
      skinHeader = &c;
    } else if (c.type == "SkinWeights") {
      skinWeights.push_back(&c);
    }
  }

  // Output vertices: vertex p stands for position p with the first normal
  // one of its corners names; a corner with another normal gets a copy.
  out->positions = positions;
  out->origin.resize(nPos);
  std::iota(out->origin.begin(), out->origin.end(), 0u);
  std::vector<std::int64_t> firstNormal(nPos, -1);
  if (out->hasNormals) out->normals.assign(nPos, D3DXVECTOR3{});
  std::unordered_map<std::uint64_t, DWORD> split;
  auto vertexFor = [&](DWORD p, std::size_t f, std::size_t k) -> DWORD {
    if (!out->hasNormals) return p;
    const DWORD ni = normalFaces[f][k];
    if (firstNormal[p] < 0) {
      firstNormal[p] = ni;
      out->normals[p] = normals[ni];
      return p;
    }
    if (firstNormal[p] == static_cast<std::int64_t>(ni)) return p;
    const std::uint64_t key = (static_cast<std::uint64_t>(p) << 32) | ni;
    auto it = split.find(key);
    if (it != split.end()) return it->second;
    const DWORD v = static_cast<DWORD>(out->positions.size());
    out->positions.push_back(positions[p]);
    out->normals.push_back(normals[ni]);
    out->origin.push_back(p);
    split.emplace(key, v);
    return v;
  };

  // Fan each face into triangles, then order the triangles by material.
  std::vector<DWORD> tris, triMaterial;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const std::vector<DWORD>& face = faces[f];
    const DWORD first = vertexFor(face[0], f, 0);
    for (std::size_t k = 1; k + 1 < face.size(); ++k) {
      tris.push_back(first);
      tris.push_back(vertexFor(face[k], f, k));
      tris.push_back(vertexFor(face[k + 1], f, k + 1));
      triMaterial.push_back(faceMaterial[f]);
    }
  }
  std::vector<DWORD> order(triMaterial.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return triMaterial[a] < triMaterial[b]; });
  out->indices.reserve(tris.size());
  for (DWORD t : order) {
    out->indices.insert(out->indices.end(), {tris[3 * t], tris[3 * t + 1], tris[3 * t + 2]});
    out->attributes.push_back(triMaterial[t]);
  }

  const std::size_t nOut = out->positions.size();
  if (out->hasUV) {
    out->uv.resize(2 * nOut);
    for (std::size_t v = 0; v < nOut; ++v) {
      out->uv[2 * v] = uv[2 * out->origin[v]];
      out->uv[2 * v + 1] = uv[2 * out->origin[v] + 1];
    }
  }
  if (out->hasColours) {
    out->colours.resize(nOut);
    for (std::size_t v = 0; v < nOut; ++v) out->colours[v] = colours[out->origin[v]];
  }

  if (skinHeader) {
    Numbers m(*skinHeader);
    DWORD bones = 0;
    if (!m.Count(&out->maxVertexInfluences, 65535.0) || !m.Count(&out->maxFaceInfluences, 65535.0) ||
        !m.Count(&bones, 65535.0))
      return false;
  }
  std::vector<std::vector<DWORD>> copies(nPos);
  for (std::size_t v = 0; v < nOut; ++v) copies[out->origin[v]].push_back(static_cast<DWORD>(v));
  for (const DataObject* w : skinWeights) {
    if (w->strings.empty()) return false;
    Numbers m(*w);
    DWORD count = 0;
    if (!m.Count(&count, static_cast<double>(m.Left() / 2))) return false;
    Bone bone;
    bone.name = w->strings[0];
    std::vector<DWORD> at(count);
    for (DWORD& a : at)
      if (nPos == 0 || !m.Count(&a, nPos - 1.0)) return false;
    std::vector<float> weight(count);
    for (float& f : weight)
      if (!m.Float(&f)) return false;
    float matrix[16];
    for (float& f : matrix)
      if (!m.Float(&f)) return false;
    bone.offset = D3DXMATRIX(matrix);
    for (DWORD i = 0; i < count; ++i)
      for (DWORD v : copies[at[i]]) {
        bone.vertices.push_back(v);
        bone.weights.push_back(weight[i]);
      }
    out->bones.push_back(std::move(bone));
  }
  return true;
}

// Row vectors times the matrix, as D3DX does; written out here so the
// reader needs nothing but the matrix record.
void TransformGeometry(MeshGeometry* g, const D3DXMATRIX& m) {
  for (D3DXVECTOR3& p : g->positions) {
    const float x = p.x, y = p.y, z = p.z;
    float w = x * m._14 + y * m._24 + z * m._34 + m._44;
    if (w == 0.0f) w = 1.0f;
    p.x = (x * m._11 + y * m._21 + z * m._31 + m._41) / w;
    p.y = (x * m._12 + y * m._22 + z * m._32 + m._42) / w;
    p.z = (x * m._13 + y * m._23 + z * m._33 + m._43) / w;
  }
  for (D3DXVECTOR3& n : g->normals) {
    const float x = n.x, y = n.y, z = n.z;
    n.x = x * m._11 + y * m._21 + z * m._31;
    n.y = x * m._12 + y * m._22 + z * m._32;
    n.z = x * m._13 + y * m._23 + z * m._33;
    const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len > 0.0f) {
      n.x /= len;
      n.y /= len;
      n.z /= len;
    }
  }
}

void AppendGeometry(MeshGeometry* into, const MeshGeometry& from) {
  const std::size_t base = into->positions.size();
  const std::size_t add = from.positions.size();
  auto widen = [&](bool& has, bool other, auto& channel, std::size_t per, auto fill) {
    if (!has && other) {
      channel.assign(base * per, fill);
      has = true;
    }
  };
  widen(into->hasNormals, from.hasNormals, into->normals, 1, D3DXVECTOR3{});
  widen(into->hasUV, from.hasUV, into->uv, 2, 0.0f);
  widen(into->hasColours, from.hasColours, into->colours, 1, 0xFFFFFFFFu);
  into->positions.insert(into->positions.end(), from.positions.begin(), from.positions.end());
  if (into->hasNormals) {
    if (from.hasNormals) into->normals.insert(into->normals.end(), from.normals.begin(), from.normals.end());
    else into->normals.resize(base + add, D3DXVECTOR3{});
  }
  if (into->hasUV) {
    if (from.hasUV) into->uv.insert(into->uv.end(), from.uv.begin(), from.uv.end());
    else into->uv.resize(2 * (base + add), 0.0f);
  }
  if (into->hasColours) {
    if (from.hasColours) into->colours.insert(into->colours.end(), from.colours.begin(), from.colours.end());
    else into->colours.resize(base + add, 0xFFFFFFFFu);
  }
  for (DWORD o : from.origin) into->origin.push_back(static_cast<DWORD>(base) + o);
  // A mesh without materials still draws: it gets one default material.
  std::vector<Material> materials = from.materials;
  if (materials.empty()) materials.push_back(DefaultMaterial());
  if (into->materials.empty() && !into->attributes.empty()) into->materials.push_back(DefaultMaterial());
  const DWORD shift = static_cast<DWORD>(into->materials.size());
  into->materials.insert(into->materials.end(), materials.begin(), materials.end());
  // Keep the triangles ordered by material: the appended ones come after.
  for (DWORD i : from.indices) into->indices.push_back(static_cast<DWORD>(base) + i);
  for (DWORD a : from.attributes) into->attributes.push_back(shift + a);
}

std::vector<DWORD> ComputeAdjacency(const MeshGeometry& g) {
  const std::size_t tris = g.indices.size() / 3;
  std::vector<DWORD> adj(3 * tris, 0xFFFFFFFFu);
  std::unordered_map<std::uint64_t, std::vector<std::pair<DWORD, int>>> edges;
  auto pos = [&](DWORD v) -> std::uint64_t { return v < g.origin.size() ? g.origin[v] : v; };
  auto key = [&](DWORD a, DWORD b) {
    std::uint64_t pa = pos(a), pb = pos(b);
    if (pa > pb) std::swap(pa, pb);
    return (pa << 32) | pb;
  };
  for (std::size_t t = 0; t < tris; ++t)
    for (int e = 0; e < 3; ++e)
      edges[key(g.indices[3 * t + e], g.indices[3 * t + (e + 1) % 3])].push_back({static_cast<DWORD>(t), e});
  for (const auto& [k, list] : edges) {
    (void)k;
    if (list.size() < 2) continue;
    for (std::size_t i = 0; i < list.size(); ++i) {
      const auto& other = list[(i + 1) % list.size()];
      if (other.first != list[i].first) adj[3 * list[i].first + list[i].second] = other.first;
    }
  }
  return adj;
}

}  // namespace d3dx_xfile
