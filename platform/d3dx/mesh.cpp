// ID3DXMesh: a vertex buffer and an index buffer on the device, one
// attribute per face and an attribute table of face ranges; drawing,
// locking, cloning to another FVF and creating empty meshes.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/mesh_fvf.h"
#include "platform/d3dx/unknown_impl.h"

namespace {

D3DPOOL PoolFor(DWORD options, DWORD systemBit, DWORD managedBit) {
  if (options & systemBit) return D3DPOOL_SYSTEMMEM;
  if (options & managedBit) return D3DPOOL_MANAGED;
  return D3DPOOL_DEFAULT;
}

bool SameDeclaration(const D3DVERTEXELEMENT9* a, const D3DVERTEXELEMENT9* b) {
  for (DWORD i = 0; i < MAX_FVF_DECL_SIZE; ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof a[i]) != 0) return false;
    if (a[i].Stream == 0xFF) return true;
  }
  return true;
}

class Mesh final : public UnknownImpl<ID3DXMesh, IID_ID3DXMesh> {
 public:
  Mesh(IDirect3DDevice9* device, DWORD faces, DWORD vertices, DWORD options, DWORD fvf, const FvfLayout& layout)
      : device_(device), faces_(faces), vertices_(vertices), options_(options), fvf_(fvf), layout_(layout),
        attributes_(faces, 0) {
    device_->AddRef();
    D3DXDeclaratorFromFVF(fvf, decl_);
  }
  ~Mesh() override {
    if (declObject_) declObject_->Release();
    if (ib_) ib_->Release();
    if (vb_) vb_->Release();
    device_->Release();
  }

  HRESULT Create() {
    const DWORD usage = ((options_ & D3DXMESH_VB_SOFTWAREPROCESSING) ? D3DUSAGE_SOFTWAREPROCESSING : 0) |
                        ((options_ & D3DXMESH_VB_DYNAMIC) ? D3DUSAGE_DYNAMIC : 0);
    HRESULT hr = device_->CreateVertexBuffer(vertices_ * layout_.stride, usage, fvf_,
                                             PoolFor(options_, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &vb_,
                                             nullptr);
    if (FAILED(hr)) return hr;
    const DWORD iusage = ((options_ & D3DXMESH_IB_SOFTWAREPROCESSING) ? D3DUSAGE_SOFTWAREPROCESSING : 0) |
                         ((options_ & D3DXMESH_IB_DYNAMIC) ? D3DUSAGE_DYNAMIC : 0);
    return device_->CreateIndexBuffer(faces_ * 3 * IndexSize(), iusage, Use32() ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                      PoolFor(options_, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), &ib_, nullptr);
  }

  // [SECTION] Drawing
  HRESULT DrawSubset(DWORD attribId) override {
    HRESULT hr = BindForDraw();
    if (FAILED(hr)) return hr;
    for (const D3DXATTRIBUTERANGE& r : table_) {
      if (r.AttribId != attribId || r.FaceCount == 0) continue;
      hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, r.VertexStart, r.VertexCount, r.FaceStart * 3,
                                         r.FaceCount);
      if (FAILED(hr)) return hr;
    }
    if (!table_.empty()) return D3D_OK;
    // No table yet: draw the faces of that attribute in runs.
    for (DWORD f = 0; f < faces_;) {
      if (attributes_[f] != attribId) {
        ++f;
        continue;
      }
      DWORD end = f;
      while (end < faces_ && attributes_[end] == attribId) ++end;
      hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertices_, f * 3, end - f);
      if (FAILED(hr)) return hr;
      f = end;
    }
    return D3D_OK;
  }

  // [SECTION] Description
  DWORD GetNumFaces() override { return faces_; }
  DWORD GetNumVertices() override { return vertices_; }
  DWORD GetFVF() override { return fvf_; }
  HRESULT GetDeclaration(D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE]) override {
    if (!decl) return D3DERR_INVALIDCALL;
    std::memcpy(decl, decl_, sizeof decl_);
    return D3D_OK;
  }
  DWORD GetNumBytesPerVertex() override { return layout_.stride; }
  DWORD GetOptions() override { return options_; }
  HRESULT GetDevice(IDirect3DDevice9** out) override {
    if (!out) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *out = device_;
    return D3D_OK;
  }
  HRESULT UpdateSemantics(D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE]) override {
    if (!decl) return D3DERR_INVALIDCALL;
    DWORD n = 0;
    while (n < MAX_FVF_DECL_SIZE && decl[n].Stream != 0xFF) ++n;
    if (n == MAX_FVF_DECL_SIZE) return D3DERR_INVALIDCALL;
    std::memset(decl_, 0, sizeof decl_);
    std::memcpy(decl_, decl, (n + 1) * sizeof decl[0]);
    if (declObject_) declObject_->Release();
    declObject_ = nullptr;
    return D3D_OK;
  }

  // [SECTION] Buffers
  HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** out) override { return Hand(vb_, out); }
  HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** out) override { return Hand(ib_, out); }
  HRESULT LockVertexBuffer(DWORD flags, LPVOID* data) override {
    if (!data) return D3DERR_INVALIDCALL;
    return vb_->Lock(0, 0, data, flags);
  }
  HRESULT UnlockVertexBuffer() override { return vb_->Unlock(); }
  HRESULT LockIndexBuffer(DWORD flags, LPVOID* data) override {
    if (!data) return D3DERR_INVALIDCALL;
    return ib_->Lock(0, 0, data, flags);
  }
  HRESULT UnlockIndexBuffer() override { return ib_->Unlock(); }
  HRESULT LockAttributeBuffer(DWORD, DWORD** data) override {
    if (!data) return D3DERR_INVALIDCALL;
    *data = attributes_.data();
    return D3D_OK;
  }
  HRESULT UnlockAttributeBuffer() override { return D3D_OK; }

  // [SECTION] Attribute table
  HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override {
    if (!size) return D3DERR_INVALIDCALL;
    if (table) std::copy(table_.begin(), table_.end(), table);
    *size = static_cast<DWORD>(table_.size());
    return D3D_OK;
  }
  HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size) override {
    if (!table && size) return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < size; ++i) {
      const D3DXATTRIBUTERANGE& r = table[i];
      if (r.FaceStart > faces_ || r.FaceCount > faces_ - r.FaceStart || r.VertexStart > vertices_ ||
          r.VertexCount > vertices_ - r.VertexStart)
        return D3DERR_INVALIDCALL;
    }
    table_.assign(table, table + size);
    return D3D_OK;
  }

  // [SECTION] Cloning
  HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    ID3DXMesh* clone = nullptr;
    HRESULT hr = D3DXCreateMeshFVF(faces_, vertices_, options, fvf, device ? device : device_, &clone);
    if (FAILED(hr)) return hr;
    hr = CopyInto(static_cast<Mesh*>(clone));
    if (FAILED(hr)) {
      clone->Release();
      return hr;
    }
    *out = clone;
    return D3D_OK;
  }

 private:
  bool Use32() const { return (options_ & D3DXMESH_32BIT) != 0; }
  UINT IndexSize() const { return Use32() ? 4 : 2; }

  template <typename T>
  static HRESULT Hand(T* object, T** out) {
    if (!out) return D3DERR_INVALIDCALL;
    object->AddRef();
    *out = object;
    return D3D_OK;
  }

  HRESULT BindForDraw() {
    D3DVERTEXELEMENT9 fromFvf[MAX_FVF_DECL_SIZE];
    D3DXDeclaratorFromFVF(fvf_, fromFvf);
    HRESULT hr;
    if (SameDeclaration(fromFvf, decl_)) {
      hr = device_->SetFVF(fvf_);
    } else {
      if (!declObject_) {
        hr = device_->CreateVertexDeclaration(decl_, &declObject_);
        if (FAILED(hr)) return hr;
      }
      hr = device_->SetVertexDeclaration(declObject_);
    }
    if (FAILED(hr)) return hr;
    hr = device_->SetStreamSource(0, vb_, 0, layout_.stride);
    if (FAILED(hr)) return hr;
    return device_->SetIndices(ib_);
  }

  // Copies vertices component by component (what both layouts hold),
  // indices, attributes and the table into a mesh of the same size.
  HRESULT CopyInto(Mesh* to) {
    BYTE* src = nullptr;
    BYTE* dst = nullptr;
    HRESULT hr = vb_->Lock(0, 0, reinterpret_cast<void**>(&src), D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    hr = to->vb_->Lock(0, 0, reinterpret_cast<void**>(&dst), 0);
    if (FAILED(hr)) {
      vb_->Unlock();
      return hr;
    }
    const FvfLayout& a = layout_;
    const FvfLayout& b = to->layout_;
    std::memset(dst, 0, static_cast<std::size_t>(vertices_) * b.stride);
    for (DWORD v = 0; v < vertices_; ++v) {
      const BYTE* s = src + static_cast<std::size_t>(v) * a.stride;
      BYTE* d = dst + static_cast<std::size_t>(v) * b.stride;
      auto copy = [&](int from, int into, std::size_t bytes) {
        if (from >= 0 && into >= 0) std::memcpy(d + into, s + from, bytes);
      };
      copy(a.position, b.position, 12);
      // Blend weights: as many as both hold; packed indices last beta to last beta.
      const int wa = a.numBetas - (a.lastBetaIndices ? 1 : 0), wb = b.numBetas - (b.lastBetaIndices ? 1 : 0);
      copy(a.weights, b.weights, 4 * static_cast<std::size_t>(std::max(0, std::min(wa, wb))));
      if (a.lastBetaIndices && b.lastBetaIndices) copy(a.weights + 4 * wa, b.weights + 4 * wb, 4);
      copy(a.normal, b.normal, 12);
      copy(a.psize, b.psize, 4);
      copy(a.diffuse, b.diffuse, 4);
      if (a.diffuse < 0 && b.diffuse >= 0) {
        const DWORD white = 0xFFFFFFFFu;
        std::memcpy(d + b.diffuse, &white, 4);
      }
      copy(a.specular, b.specular, 4);
      int oa = a.tex0, ob = b.tex0;
      for (int t = 0; t < std::min(a.texCount, b.texCount); ++t) {
        copy(oa, ob, 4 * static_cast<std::size_t>(std::min(a.texSize[t], b.texSize[t])));
        oa += 4 * a.texSize[t];
        ob += 4 * b.texSize[t];
      }
    }
    to->vb_->Unlock();
    vb_->Unlock();

    void* is = nullptr;
    void* id = nullptr;
    hr = ib_->Lock(0, 0, &is, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    hr = to->ib_->Lock(0, 0, &id, 0);
    if (FAILED(hr)) {
      ib_->Unlock();
      return hr;
    }
    const std::size_t n = static_cast<std::size_t>(faces_) * 3;
    for (std::size_t i = 0; i < n; ++i) {
      const DWORD index = Use32() ? static_cast<const DWORD*>(is)[i] : static_cast<const WORD*>(is)[i];
      if (to->Use32())
        static_cast<DWORD*>(id)[i] = index;
      else
        static_cast<WORD*>(id)[i] = static_cast<WORD>(index);
    }
    to->ib_->Unlock();
    ib_->Unlock();
    to->attributes_ = attributes_;
    to->table_ = table_;
    return D3D_OK;
  }

  IDirect3DDevice9* device_;
  DWORD faces_, vertices_, options_, fvf_;
  FvfLayout layout_;
  std::vector<DWORD> attributes_;
  std::vector<D3DXATTRIBUTERANGE> table_;
  D3DVERTEXELEMENT9 decl_[MAX_FVF_DECL_SIZE] = {};
  IDirect3DVertexDeclaration9* declObject_ = nullptr;
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
};

}  // namespace

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                          ID3DXMesh** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  FvfLayout layout;
  if (!device || numFaces == 0 || numVertices == 0 || !DescribeFvf(fvf, &layout)) return D3DERR_INVALIDCALL;
  // 16-bit indices reach 65535 vertices; the buffers' sizes must fit a UINT.
  if (!(options & D3DXMESH_32BIT) && numVertices > 0xFFFF) return D3DERR_INVALIDCALL;
  if (numVertices > 0xFFFFFFFFu / layout.stride || numFaces > 0xFFFFFFFFu / 12) return D3DERR_INVALIDCALL;
  auto* mesh = new (std::nothrow) Mesh(device, numFaces, numVertices, options, fvf, layout);
  if (!mesh) return E_OUTOFMEMORY;
  HRESULT hr = mesh->Create();
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  *out = mesh;
  return D3D_OK;
}
