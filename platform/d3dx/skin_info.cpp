// ID3DXSkinInfo: the bones of a skinned mesh with their influences and
// offsets; skinning vertices on the CPU, and converting a mesh into bone
// combinations for fixed-function blending (one weight set per face group)
// or indexed blending (a matrix palette per face group).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/mesh_fvf.h"
#include "platform/d3dx/unknown_impl.h"

namespace {

constexpr DWORD kNoBone = 0xFFFFFFFFu;

struct Influence {
  DWORD bone;
  float weight;
};

struct BoneData {
  std::string name;
  D3DXMATRIX offset;
  std::vector<DWORD> vertices;
  std::vector<float> weights;
};

// One group of faces that share a bone set small enough for the method.
struct Group {
  DWORD attrib;
  std::vector<DWORD> faces;
  std::set<DWORD> bones;
};

class SkinInfo final : public UnknownImpl<ID3DXSkinInfo, IID_ID3DXSkinInfo> {
 public:
  SkinInfo(DWORD vertices, DWORD fvf, DWORD bones) : numVertices_(vertices), fvf_(fvf), bones_(bones) {
    for (BoneData& b : bones_) D3DXMatrixIdentity(&b.offset);
  }

  // [SECTION] Bones
  HRESULT SetBoneInfluence(DWORD bone, DWORD n, const DWORD* vertices, const FLOAT* weights) override {
    if (bone >= bones_.size() || (n && (!vertices || !weights))) return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < n; ++i)
      if (vertices[i] >= numVertices_) return D3DERR_INVALIDCALL;
    bones_[bone].vertices.assign(vertices, vertices + n);
    bones_[bone].weights.assign(weights, weights + n);
    return D3D_OK;
  }
  HRESULT SetBoneName(DWORD bone, LPCSTR name) override {
    if (bone >= bones_.size() || !name) return D3DERR_INVALIDCALL;
    bones_[bone].name = name;
    return D3D_OK;
  }
  HRESULT SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* m) override {
    if (bone >= bones_.size() || !m) return D3DERR_INVALIDCALL;
    bones_[bone].offset = *m;
    return D3D_OK;
  }
  DWORD GetFVF() override { return fvf_; }
  DWORD GetNumBones() override { return static_cast<DWORD>(bones_.size()); }
  LPCSTR GetBoneName(DWORD bone) override { return bone < bones_.size() ? bones_[bone].name.c_str() : nullptr; }
  LPD3DXMATRIX GetBoneOffsetMatrix(DWORD bone) override {
    return bone < bones_.size() ? &bones_[bone].offset : nullptr;
  }
  DWORD GetNumBoneInfluences(DWORD bone) override {
    return bone < bones_.size() ? static_cast<DWORD>(bones_[bone].vertices.size()) : 0;
  }
  HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) override {
    if (bone >= bones_.size() || !vertices || !weights) return D3DERR_INVALIDCALL;
    std::copy(bones_[bone].vertices.begin(), bones_[bone].vertices.end(), vertices);
    std::copy(bones_[bone].weights.begin(), bones_[bone].weights.end(), weights);
    return D3D_OK;
  }
  HRESULT GetMaxVertexInfluences(DWORD* out) override {
    if (!out) return D3DERR_INVALIDCALL;
    DWORD most = 0;
    for (const auto& list : PerVertex()) most = std::max(most, static_cast<DWORD>(list.size()));
    *out = most;
    return D3D_OK;
  }
  HRESULT GetMaxFaceInfluences(IDirect3DIndexBuffer9* ib, DWORD numFaces, DWORD* out) override {
    if (!ib || !out) return D3DERR_INVALIDCALL;
    std::vector<DWORD> indices;
    HRESULT hr = ReadIndices(ib, numFaces, &indices);
    if (FAILED(hr)) return hr;
    const auto perVertex = PerVertex();
    DWORD most = 0;
    for (DWORD f = 0; f < numFaces; ++f)
      most = std::max(most, static_cast<DWORD>(FaceBones(perVertex, &indices[3 * f]).size()));
    *out = most;
    return D3D_OK;
  }

  // [SECTION] Software skinning
  HRESULT UpdateSkinnedMesh(const D3DXMATRIX* transforms, const D3DXMATRIX* invTranspose, LPCVOID src,
                            PVOID dst) override {
    FvfLayout l;
    if (!transforms || !src || !dst || !DescribeFvf(fvf_, &l)) return D3DERR_INVALIDCALL;
    const auto* s = static_cast<const BYTE*>(src);
    auto* d = static_cast<BYTE*>(dst);
    std::memcpy(d, s, static_cast<std::size_t>(numVertices_) * l.stride);
    const auto perVertex = PerVertex();
    for (DWORD v = 0; v < numVertices_; ++v) {
      if (perVertex[v].empty()) continue;
      const BYTE* in = s + static_cast<std::size_t>(v) * l.stride;
      BYTE* out = d + static_cast<std::size_t>(v) * l.stride;
      float p[3], n[3] = {0, 0, 0}, rp[3] = {0, 0, 0}, rn[3] = {0, 0, 0};
      std::memcpy(p, in, 12);
      if (l.normal >= 0) std::memcpy(n, in + l.normal, 12);
      for (const Influence& i : perVertex[v]) {
        const D3DXMATRIX& m = transforms[i.bone];
        const D3DXMATRIX& mn = invTranspose ? invTranspose[i.bone] : m;
        for (int c = 0; c < 3; ++c) {
          rp[c] += i.weight * (p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c]);
          rn[c] += i.weight * (n[0] * mn.m[0][c] + n[1] * mn.m[1][c] + n[2] * mn.m[2][c]);
        }
      }
      std::memcpy(out, rp, 12);
      if (l.normal >= 0) {
        const float len = std::sqrt(rn[0] * rn[0] + rn[1] * rn[1] + rn[2] * rn[2]);
        if (len > 0) for (float& c : rn) c /= len;
        std::memcpy(out + l.normal, rn, 12);
      }
    }
    return D3D_OK;
  }

  // [SECTION] Conversions
  HRESULT ConvertToBlendedMesh(ID3DXMesh* mesh, DWORD options, const DWORD*, DWORD* adjOut, DWORD* faceRemap,
                               ID3DXBuffer** vertexRemap, DWORD* maxFaceInfl, DWORD* numCombos,
                               ID3DXBuffer** comboTable, ID3DXMesh** out) override {
    return Convert(mesh, options, 0, adjOut, faceRemap, vertexRemap, maxFaceInfl, numCombos, comboTable, out);
  }
  HRESULT ConvertToIndexedBlendedMesh(ID3DXMesh* mesh, DWORD options, DWORD paletteSize, const DWORD*,
                                      DWORD* adjOut, DWORD* faceRemap, ID3DXBuffer** vertexRemap,
                                      DWORD* maxVertexInfl, DWORD* numCombos, ID3DXBuffer** comboTable,
                                      ID3DXMesh** out) override {
    if (paletteSize == 0) return D3DERR_INVALIDCALL;
    return Convert(mesh, options, paletteSize, adjOut, faceRemap, vertexRemap, maxVertexInfl, numCombos, comboTable,
                   out);
  }

 private:
  // Each vertex's bones, strongest first; zero weights do not count.
  std::vector<std::vector<Influence>> PerVertex() const {
    std::vector<std::vector<Influence>> out(numVertices_);
    for (DWORD b = 0; b < bones_.size(); ++b)
      for (std::size_t i = 0; i < bones_[b].vertices.size(); ++i)
        if (bones_[b].weights[i] != 0.0f) out[bones_[b].vertices[i]].push_back({b, bones_[b].weights[i]});
    for (auto& list : out)
      std::stable_sort(list.begin(), list.end(),
                       [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
    return out;
  }

  std::set<DWORD> FaceBones(const std::vector<std::vector<Influence>>& perVertex, const DWORD* corners) const {
    std::set<DWORD> bones;
    for (int k = 0; k < 3; ++k)
      if (corners[k] < perVertex.size())
        for (const Influence& i : perVertex[corners[k]]) bones.insert(i.bone);
    return bones;
  }

  static HRESULT ReadIndices(IDirect3DIndexBuffer9* ib, DWORD faces, std::vector<DWORD>* out) {
    D3DINDEXBUFFER_DESC desc{};
    ib->GetDesc(&desc);
    const bool i32 = desc.Format == D3DFMT_INDEX32;
    if (static_cast<std::size_t>(faces) * 3 * (i32 ? 4 : 2) > desc.Size) return D3DERR_INVALIDCALL;
    void* data = nullptr;
    HRESULT hr = ib->Lock(0, 0, &data, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    out->resize(static_cast<std::size_t>(faces) * 3);
    for (std::size_t i = 0; i < out->size(); ++i)
      (*out)[i] = i32 ? static_cast<const DWORD*>(data)[i] : static_cast<const WORD*>(data)[i];
    ib->Unlock();
    return D3D_OK;
  }

  // paletteSize 0: fixed-function blending, groups limited by the largest
  // face influence and one weight slot per bone of the group. Otherwise
  // indexed blending: groups limited by the palette, per-vertex indices.
  HRESULT Convert(ID3DXMesh* mesh, DWORD options, DWORD paletteSize, DWORD* adjOut, DWORD* faceRemap,
                  ID3DXBuffer** vertexRemap, DWORD* maxInfl, DWORD* numCombos, ID3DXBuffer** comboTable,
                  ID3DXMesh** out) {
    if (out) *out = nullptr;
    if (vertexRemap) *vertexRemap = nullptr;
    if (comboTable) *comboTable = nullptr;
    if (!mesh || !out || !maxInfl || !numCombos || !comboTable) return D3DERR_INVALIDCALL;
    if (mesh->GetNumVertices() != numVertices_) return D3DERR_INVALIDCALL;
    FvfLayout src;
    if (!DescribeFvf(mesh->GetFVF(), &src)) return D3DERR_INVALIDCALL;
    const DWORD faces = mesh->GetNumFaces();
    IDirect3DIndexBuffer9* ib = nullptr;
    HRESULT hr = mesh->GetIndexBuffer(&ib);
    if (FAILED(hr)) return hr;
    std::vector<DWORD> indices;
    hr = ReadIndices(ib, faces, &indices);
    ib->Release();
    if (FAILED(hr)) return hr;
    DWORD* attributes = nullptr;
    hr = mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes);
    if (FAILED(hr)) return hr;
    std::vector<DWORD> attrib(attributes, attributes + faces);
    mesh->UnlockAttributeBuffer();

    const auto perVertex = PerVertex();
    std::vector<std::set<DWORD>> faceBones(faces);
    DWORD faceMost = 1, vertexMost = 1;
    for (DWORD f = 0; f < faces; ++f) {
      faceBones[f] = FaceBones(perVertex, &indices[3 * f]);
      faceMost = std::max(faceMost, static_cast<DWORD>(faceBones[f].size()));
    }
    for (const auto& list : perVertex) vertexMost = std::max(vertexMost, static_cast<DWORD>(list.size()));
    const bool indexed = paletteSize != 0;
    if (indexed && faceMost > paletteSize) return D3DERR_INVALIDCALL;
    // Four indices fit the packed beta.
    const DWORD perVertexSlots = indexed ? std::min<DWORD>(vertexMost, 4) : faceMost;
    const DWORD limit = indexed ? paletteSize : faceMost;

    // Faces by material, then greedily into groups whose bones fit.
    std::vector<DWORD> order(faces);
    for (DWORD f = 0; f < faces; ++f) order[f] = f;
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return attrib[a] < attrib[b]; });
    std::vector<Group> groups;
    for (DWORD f : order) {
      bool fits = !groups.empty() && groups.back().attrib == attrib[f];
      if (fits) {
        std::set<DWORD> joined = groups.back().bones;
        joined.insert(faceBones[f].begin(), faceBones[f].end());
        fits = joined.size() <= limit;
      }
      if (!fits) groups.push_back({attrib[f], {}, {}});
      groups.back().faces.push_back(f);
      groups.back().bones.insert(faceBones[f].begin(), faceBones[f].end());
    }

    // The new layout: the position, the betas, then the rest of the source.
    const DWORD weights = perVertexSlots - 1;
    const DWORD betas = weights + (indexed ? 1 : 0);
    const DWORD rest = mesh->GetFVF() & ~(D3DFVF_POSITION_MASK | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR);
    const DWORD fvf = rest | (betas == 0 ? D3DFVF_XYZ : 0x4 + 2 * betas) | (indexed ? D3DFVF_LASTBETA_UBYTE4 : 0);
    if (betas > 5) return D3DXERR_TOOMANYINFLUENCES;
    const DWORD restOffset = 12 + 4 * static_cast<DWORD>(src.numBetas);

    // Every group gets its own copies of its vertices.
    std::vector<DWORD> origin, newIndices(indices.size());
    std::vector<std::vector<float>> slotWeights;
    std::vector<DWORD> packed;
    std::vector<DWORD> faceOrder;
    std::vector<D3DXATTRIBUTERANGE> table;
    std::vector<std::vector<DWORD>> ids;
    for (DWORD g = 0; g < groups.size(); ++g) {
      const Group& group = groups[g];
      std::vector<DWORD> boneIds(indexed ? paletteSize : faceMost, kNoBone);
      DWORD slot = 0;
      for (DWORD b : group.bones) boneIds[slot++] = b;
      const DWORD vertexStart = static_cast<DWORD>(origin.size());
      std::vector<DWORD> local(numVertices_, kNoBone);
      for (DWORD f : group.faces) {
        for (int k = 0; k < 3; ++k) {
          const DWORD v = indices[3 * f + k];
          if (local[v] == kNoBone) {
            local[v] = static_cast<DWORD>(origin.size());
            origin.push_back(v);
            std::vector<float> w(weights, 0.0f);
            DWORD pack = 0;
            if (indexed) {
              // Strongest influences first, as palette slots.
              const auto& list = perVertex[v];
              for (DWORD i = 0; i < perVertexSlots && i < list.size(); ++i) {
                const DWORD at = static_cast<DWORD>(std::find(boneIds.begin(), boneIds.end(), list[i].bone) -
                                                    boneIds.begin());
                pack |= (at & 0xFF) << (8 * i);
                if (i < weights) w[i] = list[i].weight;
              }
            } else {
              for (DWORD i = 0; i < weights; ++i)
                for (const Influence& inf : perVertex[v])
                  if (inf.bone == boneIds[i]) w[i] = inf.weight;
            }
            slotWeights.push_back(std::move(w));
            packed.push_back(pack);
          }
          newIndices[3 * faceOrder.size() + k] = local[v];
        }
        faceOrder.push_back(f);
      }
      const DWORD faceStart = static_cast<DWORD>(faceOrder.size() - group.faces.size());
      table.push_back({g, faceStart, static_cast<DWORD>(group.faces.size()), vertexStart,
                       static_cast<DWORD>(origin.size()) - vertexStart});
      ids.push_back(std::move(boneIds));
    }

    // Optimisation flags ask for nothing here: the groups are already in order.
    ID3DXMesh* result = nullptr;
    IDirect3DDevice9* device = nullptr;
    mesh->GetDevice(&device);
    hr = D3DXCreateMeshFVF(faces, static_cast<DWORD>(origin.size()),
                           (options & 0x00FFFFFFu) | (origin.size() > 0xFFFF ? D3DXMESH_32BIT : 0), fvf, device,
                           &result);
    if (device) device->Release();
    if (FAILED(hr)) return hr;
    FvfLayout dst;
    DescribeFvf(fvf, &dst);
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    if (FAILED(hr = mesh->LockVertexBuffer(D3DLOCK_READONLY, reinterpret_cast<void**>(&from)))) {
      result->Release();
      return hr;
    }
    if (FAILED(hr = result->LockVertexBuffer(0, reinterpret_cast<void**>(&to)))) {
      mesh->UnlockVertexBuffer();
      result->Release();
      return hr;
    }
    for (std::size_t v = 0; v < origin.size(); ++v) {
      const BYTE* s = from + static_cast<std::size_t>(origin[v]) * src.stride;
      BYTE* d = to + v * dst.stride;
      std::memcpy(d, s, 12);
      if (!slotWeights[v].empty()) std::memcpy(d + 12, slotWeights[v].data(), 4 * slotWeights[v].size());
      if (indexed) std::memcpy(d + 12 + 4 * weights, &packed[v], 4);
      std::memcpy(d + 12 + 4 * betas, s + restOffset, src.stride - restOffset);
    }
    result->UnlockVertexBuffer();
    mesh->UnlockVertexBuffer();
    void* idx = nullptr;
    if (FAILED(hr = result->LockIndexBuffer(0, &idx))) {
      result->Release();
      return hr;
    }
    const bool i32 = (result->GetOptions() & D3DXMESH_32BIT) != 0;
    for (std::size_t i = 0; i < newIndices.size(); ++i) {
      if (i32) static_cast<DWORD*>(idx)[i] = newIndices[i];
      else static_cast<WORD*>(idx)[i] = static_cast<WORD>(newIndices[i]);
    }
    result->UnlockIndexBuffer();
    DWORD* newAttrib = nullptr;
    result->LockAttributeBuffer(0, &newAttrib);
    for (const D3DXATTRIBUTERANGE& r : table)
      for (DWORD f = 0; f < r.FaceCount; ++f) newAttrib[r.FaceStart + f] = r.AttribId;
    result->UnlockAttributeBuffer();
    result->SetAttributeTable(table.data(), static_cast<DWORD>(table.size()));

    // The combination table: the records, then their bone id arrays.
    const std::size_t idCount = ids.empty() ? 0 : ids[0].size();
    ID3DXBuffer* combos = nullptr;
    hr = D3DXCreateBuffer(static_cast<DWORD>(groups.size() * (sizeof(D3DXBONECOMBINATION) + idCount * 4)), &combos);
    if (FAILED(hr)) {
      result->Release();
      return hr;
    }
    auto* records = static_cast<D3DXBONECOMBINATION*>(combos->GetBufferPointer());
    auto* idStore = reinterpret_cast<DWORD*>(records + groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
      records[g] = {groups[g].attrib, table[g].FaceStart, table[g].FaceCount, table[g].VertexStart,
                    table[g].VertexCount, idStore + g * idCount};
      std::copy(ids[g].begin(), ids[g].end(), records[g].BoneId);
    }
    if (faceRemap) std::copy(faceOrder.begin(), faceOrder.end(), faceRemap);
    if (adjOut) std::fill(adjOut, adjOut + 3 * static_cast<std::size_t>(faces), kNoBone);
    if (vertexRemap && SUCCEEDED(D3DXCreateBuffer(static_cast<DWORD>(origin.size() * 4), vertexRemap)))
      std::copy(origin.begin(), origin.end(), static_cast<DWORD*>((*vertexRemap)->GetBufferPointer()));
    *maxInfl = indexed ? perVertexSlots : faceMost;
    *numCombos = static_cast<DWORD>(groups.size());
    *comboTable = combos;
    *out = result;
    return D3D_OK;
  }

  DWORD numVertices_, fvf_;
  std::vector<BoneData> bones_;
};

}  // namespace

HRESULT D3DXCreateSkinInfoFVF(DWORD numVertices, DWORD fvf, DWORD numBones, ID3DXSkinInfo** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (numVertices == 0 || D3DXGetFVFVertexSize(fvf) == 0) return D3DERR_INVALIDCALL;
  auto* s = new (std::nothrow) SkinInfo(numVertices, fvf, numBones);
  if (!s) return E_OUTOFMEMORY;
  *out = s;
  return D3D_OK;
}
