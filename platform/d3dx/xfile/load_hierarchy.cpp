// D3DXLoadMeshHierarchyFromXA and D3DXFrameDestroy: the frame tree of a
// text X file built through the application's allocator, each mesh handed
// over with its materials, adjacency and skin info; and its teardown.
#include <new>
#include <vector>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/unknown_impl.h"
#include "platform/d3dx/xfile/mesh_from_geometry.h"
#include "platform/d3dx/xfile/mesh_reader.h"
#include "platform/d3dx/xfile/xfile_parser.h"

namespace {

using d3dx_xfile::DataObject;
using d3dx_xfile::Document;

// Holds the number of animation sets the file had; playing them is not
// offered.
class AnimationController final : public UnknownImpl<ID3DXAnimationController, IID_ID3DXAnimationController> {
 public:
  explicit AnimationController(UINT sets) : sets_(sets) {}
  UINT GetNumAnimationSets() override { return sets_; }

 private:
  UINT sets_;
};

class Builder {
 public:
  Builder(const Document& doc, DWORD options, IDirect3DDevice9* device, ID3DXAllocateHierarchy* alloc)
      : doc_(doc), options_(options), device_(device), alloc_(alloc) {}

  // A Frame object and everything in it; `*out` is set as soon as the frame
  // exists, so the caller can destroy a half-built tree.
  HRESULT Frame(const DataObject& o, D3DXFRAME** out) {
    *out = nullptr;
    D3DXFRAME* frame = nullptr;
    HRESULT hr = alloc_->CreateFrame(o.name.empty() ? nullptr : o.name.c_str(), &frame);
    if (FAILED(hr)) return hr;
    if (!frame) return E_FAIL;
    *out = frame;
    D3DXMatrixIdentity(&frame->TransformationMatrix);
    D3DXMESHCONTAINER** nextContainer = &frame->pMeshContainer;
    D3DXFRAME** nextChild = &frame->pFrameFirstChild;
    for (const DataObject& c : o.children) {
      if (c.type == "FrameTransformMatrix") {
        if (c.numbers.size() < 16) return D3DXERR_INVALIDDATA;
        float m[16];
        for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(c.numbers[i]);
        frame->TransformationMatrix = D3DXMATRIX(m);
      } else if (c.type == "Mesh") {
        D3DXMESHCONTAINER* container = nullptr;
        hr = Container(c, &container);
        if (FAILED(hr)) return hr;
        *nextContainer = container;
        while (*nextContainer) nextContainer = &(*nextContainer)->pNextMeshContainer;
      } else if (c.type == "Frame") {
        hr = Frame(c, nextChild);
        if (*nextChild) nextChild = &(*nextChild)->pFrameSibling;
        if (FAILED(hr)) return hr;
      }
    }
    return D3D_OK;
  }

  HRESULT Container(const DataObject& o, D3DXMESHCONTAINER** out) {
    *out = nullptr;
    d3dx_xfile::MeshGeometry g;
    if (!d3dx_xfile::ReadMesh(doc_, o, &g)) return D3DXERR_INVALIDDATA;
    ID3DXMesh* mesh = nullptr;
    HRESULT hr = d3dx_xfile::MeshFromGeometry(g, options_, device_, &mesh);
    if (FAILED(hr)) return hr == D3DXERR_LOADEDMESHASNODATA ? D3DXERR_INVALIDDATA : hr;
    std::vector<D3DXMATERIAL> materials(g.materials.size());
    for (std::size_t i = 0; i < materials.size(); ++i) {
      materials[i].MatD3D = g.materials[i].mat;
      materials[i].pTextureFilename =
          g.materials[i].hasTexture ? const_cast<char*>(g.materials[i].texture.c_str()) : nullptr;
    }
    const std::vector<DWORD> adjacency = d3dx_xfile::ComputeAdjacency(g);
    ID3DXSkinInfo* skin = nullptr;
    if (!g.bones.empty()) {
      hr = D3DXCreateSkinInfoFVF(mesh->GetNumVertices(), mesh->GetFVF(), static_cast<DWORD>(g.bones.size()), &skin);
      for (DWORD b = 0; SUCCEEDED(hr) && b < g.bones.size(); ++b) {
        const d3dx_xfile::Bone& bone = g.bones[b];
        skin->SetBoneName(b, bone.name.c_str());
        skin->SetBoneOffsetMatrix(b, &bone.offset);
        hr = skin->SetBoneInfluence(b, static_cast<DWORD>(bone.vertices.size()), bone.vertices.data(),
                                    bone.weights.data());
      }
      if (FAILED(hr)) {
        if (skin) skin->Release();
        mesh->Release();
        return hr;
      }
    }
    D3DXMESHDATA data{D3DXMESHTYPE_MESH, mesh};
    std::vector<D3DXEFFECTINSTANCE> effects(materials.size(), D3DXEFFECTINSTANCE{nullptr, 0, nullptr});
    hr = alloc_->CreateMeshContainer(o.name.empty() ? nullptr : o.name.c_str(), &data,
                                     materials.empty() ? nullptr : materials.data(),
                                     effects.empty() ? nullptr : effects.data(),
                                     static_cast<DWORD>(materials.size()), adjacency.data(), skin, out);
    // The allocator took its own references.
    if (skin) skin->Release();
    mesh->Release();
    if (FAILED(hr)) {
      *out = nullptr;
      return hr;
    }
    return *out ? D3D_OK : E_FAIL;
  }

 private:
  const Document& doc_;
  DWORD options_;
  IDirect3DDevice9* device_;
  ID3DXAllocateHierarchy* alloc_;
};

UINT CountAnimationSets(const Document& doc) {
  UINT n = 0;
  for (const DataObject& o : doc.objects) n += o.type == "AnimationSet";
  return n;
}

// Containers, children and siblings first, then the frame itself. Siblings
// are walked in a loop, children by recursion (bounded by the file's depth).
void DestroyTree(D3DXFRAME* frame, ID3DXAllocateHierarchy* alloc) {
  while (frame) {
    D3DXFRAME* sibling = frame->pFrameSibling;
    D3DXMESHCONTAINER* c = frame->pMeshContainer;
    while (c) {
      D3DXMESHCONTAINER* next = c->pNextMeshContainer;
      alloc->DestroyMeshContainer(c);
      c = next;
    }
    DestroyTree(frame->pFrameFirstChild, alloc);
    alloc->DestroyFrame(frame);
    frame = sibling;
  }
}

}  // namespace

HRESULT D3DXFrameDestroy(D3DXFRAME* root, ID3DXAllocateHierarchy* alloc) {
  if (!root || !alloc) return D3DERR_INVALIDCALL;
  DestroyTree(root, alloc);
  return D3D_OK;
}

HRESULT D3DXLoadMeshHierarchyFromXA(LPCSTR filename, DWORD options, IDirect3DDevice9* device,
                                    ID3DXAllocateHierarchy* alloc, void*, D3DXFRAME** root,
                                    ID3DXAnimationController** controller) {
  if (root) *root = nullptr;
  if (controller) *controller = nullptr;
  if (!filename || !device || !alloc || !root) return D3DERR_INVALIDCALL;
  std::vector<char> bytes;
  if (!d3dx_xfile::ReadWholeFile(filename, &bytes)) return E_FAIL;
  Document doc;
  if (!d3dx_xfile::ParseDocument(bytes.data(), bytes.size(), &doc)) return D3DXERR_INVALIDDATA;

  // Top-level frames become siblings; top-level meshes get a frame without
  // a name of their own.
  Builder builder(doc, options, device, alloc);
  D3DXFRAME* first = nullptr;
  D3DXFRAME** next = &first;
  HRESULT hr = D3D_OK;
  for (const DataObject& o : doc.objects) {
    if (o.type == "Frame") {
      hr = builder.Frame(o, next);
    } else if (o.type == "Mesh") {
      DataObject wrapper;
      wrapper.type = "Frame";
      wrapper.children.push_back(o);
      hr = builder.Frame(wrapper, next);
    } else {
      continue;
    }
    if (*next) next = &(*next)->pFrameSibling;
    if (FAILED(hr)) break;
  }
  if (SUCCEEDED(hr) && !first) hr = E_FAIL;
  if (FAILED(hr)) {
    if (first) DestroyTree(first, alloc);
    return hr;
  }
  if (controller) {
    const UINT sets = CountAnimationSets(doc);
    if (sets > 0) *controller = new (std::nothrow) AnimationController(sets);
  }
  *root = first;
  return D3D_OK;
}
