// Frame hierarchies from X files: the allocator's callbacks, the tree's
// shape and transforms, cleanup after a failed container, skin info with
// its bone combinations, and the effect substitute's passes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/d3d9/test_hooks.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/win32/window_pixels.h"
#include "tests/platform/d3dx/shared_device.h"

namespace {

// Plain D3DX records, counted, with one reference kept per container.
class CountingAllocator : public ID3DXAllocateHierarchy {
 public:
  HRESULT CreateFrame(LPCSTR name, D3DXFRAME** out) override {
    auto* f = new D3DXFRAME{};
    f->Name = name ? new char[std::strlen(name) + 1] : nullptr;
    if (name) std::strcpy(f->Name, name);
    *out = f;
    ++frames;
    calls.push_back(std::string("frame ") + (name ? name : "-"));
    return S_OK;
  }
  HRESULT CreateMeshContainer(LPCSTR name, const D3DXMESHDATA* data, const D3DXMATERIAL*, const D3DXEFFECTINSTANCE*,
                              DWORD numMaterials, const DWORD* adjacency, ID3DXSkinInfo* skin,
                              D3DXMESHCONTAINER** out) override {
    calls.push_back(std::string("mesh ") + (name ? name : "-"));
    if (failContainers) return E_OUTOFMEMORY;
    auto* c = new D3DXMESHCONTAINER{};
    c->MeshData = *data;
    data->pMesh->AddRef();
    c->pSkinInfo = skin;
    if (skin) skin->AddRef();
    c->NumMaterials = numMaterials;
    lastAdjacency0 = adjacency ? adjacency[0] : 0;
    *out = c;
    ++containers;
    return S_OK;
  }
  HRESULT DestroyFrame(D3DXFRAME* f) override {
    delete[] f->Name;
    delete f;
    --frames;
    return S_OK;
  }
  HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* c) override {
    c->MeshData.pMesh->Release();
    if (c->pSkinInfo) c->pSkinInfo->Release();
    delete c;
    --containers;
    return S_OK;
  }
  int frames = 0, containers = 0;
  bool failContainers = false;
  DWORD lastAdjacency0 = 0;
  std::vector<std::string> calls;
};

const char* kTwoBones = R"(xof 0303txt 0032
Frame Root {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,5,1;; }
 Mesh Strip {
  6; -1;0;0;, 1;0;0;, -1;1;0;, 1;1;0;, -1;2;0;, 1;2;0;;
  4; 3; 0,2,1;, 3; 1,2,3;, 3; 2,4,3;, 3; 3,4,5;;
  MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }
  SkinWeights { "A"; 4; 0,1,2,3; 1,1,0.5,0.5; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  SkinWeights { "B"; 4; 2,3,4,5; 0.5,0.5,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-1,0,1;; }
 }
 Frame A { Frame B { } }
 Frame C { }
}
AnimationSet Bend { Animation { { B } AnimationKey { 0; 1; 0; 4; 1,0,0,0;;; } } }
)";

class XFileHierarchy : public d3dx_test::SharedDeviceTest {
 protected:
  void SetUp() override {
    SharedDeviceTest::SetUp();
    file_ = (std::filesystem::temp_directory_path() / ("vornel_hier_" + std::to_string(::getpid()) + ".x")).string();
    std::ofstream(file_) << kTwoBones;
  }
  void TearDown() override {
    std::filesystem::remove(file_);
    SharedDeviceTest::TearDown();
  }
  std::string file_;
};

TEST_F(XFileHierarchy, BuildsTheTreeThroughTheAllocatorAndDestroysIt) {
  CountingAllocator alloc;
  D3DXFRAME* root = nullptr;
  ID3DXAnimationController* anim = nullptr;
  ASSERT_EQ(D3DXLoadMeshHierarchyFromXA(file_.c_str(), D3DXMESH_MANAGED, device_, &alloc, nullptr, &root, &anim),
            D3D_OK);
  EXPECT_EQ(alloc.calls, (std::vector<std::string>{"frame Root", "mesh Strip", "frame A", "frame B", "frame C"}));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->TransformationMatrix._43, 5.0f);
  ASSERT_NE(root->pFrameFirstChild, nullptr);
  EXPECT_STREQ(root->pFrameFirstChild->Name, "A");
  EXPECT_STREQ(root->pFrameFirstChild->pFrameFirstChild->Name, "B");
  EXPECT_STREQ(root->pFrameFirstChild->pFrameSibling->Name, "C");
  ASSERT_NE(root->pMeshContainer, nullptr);
  ID3DXSkinInfo* skin = root->pMeshContainer->pSkinInfo;
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->GetNumBones(), 2u);
  EXPECT_STREQ(skin->GetBoneName(1), "B");
  EXPECT_EQ(skin->GetBoneOffsetMatrix(1)->_42, -1.0f);
  DWORD most = 0;
  skin->GetMaxVertexInfluences(&most);
  EXPECT_EQ(most, 2u);
  ASSERT_NE(anim, nullptr);
  EXPECT_EQ(anim->GetNumAnimationSets(), 1u);
  anim->Release();
  EXPECT_EQ(D3DXFrameDestroy(root, &alloc), D3D_OK);
  EXPECT_EQ(alloc.frames, 0);
  EXPECT_EQ(alloc.containers, 0);
}

TEST_F(XFileHierarchy, AFailedContainerLeavesNothingBehind) {
  CountingAllocator alloc;
  alloc.failContainers = true;
  D3DXFRAME* root = reinterpret_cast<D3DXFRAME*>(1);
  EXPECT_EQ(D3DXLoadMeshHierarchyFromXA(file_.c_str(), 0, device_, &alloc, nullptr, &root, nullptr), E_OUTOFMEMORY);
  EXPECT_EQ(root, nullptr);
  EXPECT_EQ(alloc.frames, 0);
  std::ofstream(file_) << "xof 0303txt 0032\nFrame R { Mesh { 3; 0;0;0;; } }";
  alloc.failContainers = false;
  EXPECT_EQ(D3DXLoadMeshHierarchyFromXA(file_.c_str(), 0, device_, &alloc, nullptr, &root, nullptr),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(alloc.frames, 0);
  EXPECT_EQ(D3DXLoadMeshHierarchyFromXA("no_such.x", 0, device_, &alloc, nullptr, &root, nullptr), E_FAIL);
}

// Blended groups hold the bones of their faces; indexed groups fit the
// palette, and the software skin moves only what its bones weigh.
TEST_F(XFileHierarchy, SkinInfoGroupsFacesByTheirBones) {
  CountingAllocator alloc;
  D3DXFRAME* root = nullptr;
  ASSERT_EQ(D3DXLoadMeshHierarchyFromXA(file_.c_str(), D3DXMESH_MANAGED, device_, &alloc, nullptr, &root, nullptr),
            D3D_OK);
  ID3DXMesh* mesh = root->pMeshContainer->MeshData.pMesh;
  ID3DXSkinInfo* skin = root->pMeshContainer->pSkinInfo;
  IDirect3DIndexBuffer9* ib = nullptr;
  mesh->GetIndexBuffer(&ib);
  DWORD faceMost = 0;
  ASSERT_EQ(skin->GetMaxFaceInfluences(ib, mesh->GetNumFaces(), &faceMost), D3D_OK);
  ib->Release();
  EXPECT_EQ(faceMost, 2u);

  DWORD influences = 0, groups = 0;
  ID3DXBuffer* table = nullptr;
  ID3DXMesh* blended = nullptr;
  ASSERT_EQ(skin->ConvertToBlendedMesh(mesh, D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, &influences,
                                       &groups, &table, &blended),
            D3D_OK);
  EXPECT_EQ(influences, 2u);
  EXPECT_EQ(groups, 1u);
  EXPECT_EQ(blended->GetFVF(), static_cast<DWORD>(D3DFVF_XYZB1));
  const auto* combo = static_cast<const D3DXBONECOMBINATION*>(table->GetBufferPointer());
  EXPECT_EQ(combo[0].BoneId[0], 0u);
  EXPECT_EQ(combo[0].BoneId[1], 1u);
  EXPECT_EQ(combo[0].FaceCount, 4u);
  table->Release();
  blended->Release();

  // A palette of one bone cannot hold a face of two.
  ID3DXMesh* indexed = nullptr;
  EXPECT_EQ(skin->ConvertToIndexedBlendedMesh(mesh, D3DXMESH_MANAGED, 1, nullptr, nullptr, nullptr, nullptr,
                                              &influences, &groups, &table, &indexed),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(skin->ConvertToIndexedBlendedMesh(mesh, D3DXMESH_MANAGED, 4, nullptr, nullptr, nullptr, nullptr,
                                              &influences, &groups, &table, &indexed),
            D3D_OK);
  EXPECT_EQ(indexed->GetFVF(), static_cast<DWORD>(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4));
  combo = static_cast<const D3DXBONECOMBINATION*>(table->GetBufferPointer());
  EXPECT_EQ(combo[0].BoneId[2], 0xFFFFFFFFu);
  table->Release();
  indexed->Release();

  // Bone B moved up by 1: the top row rises by 1, the middle by 0.5.
  D3DXMATRIX bones[2];
  D3DXMatrixIdentity(&bones[0]);
  D3DXMatrixTranslation(&bones[1], 0, 1, 0);
  std::vector<float> src(6 * 3), dst(6 * 3);
  void* data = nullptr;
  mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
  const DWORD stride = mesh->GetNumBytesPerVertex();
  ASSERT_EQ(stride, 12u);
  std::memcpy(src.data(), data, src.size() * 4);
  mesh->UnlockVertexBuffer();
  ASSERT_EQ(skin->UpdateSkinnedMesh(bones, nullptr, src.data(), dst.data()), D3D_OK);
  EXPECT_FLOAT_EQ(dst[1], 0.0f);        // vertex 0
  EXPECT_FLOAT_EQ(dst[2 * 3 + 1], 1.5f);  // vertex 2
  EXPECT_FLOAT_EQ(dst[4 * 3 + 1], 3.0f);  // vertex 4
  D3DXFrameDestroy(root, &alloc);
}

TEST_F(XFileHierarchy, EffectPassesSeeTheParameters) {
  float seen = 0;
  int ran = 0;
  std::vector<D3DXEffectPass> passes = {[&](IDirect3DDevice9*, const ID3DXEffectParameters& p) {
    UINT n = 0;
    const float* v = p.Get("CurNumBones", &n);
    seen = v && n == 1 ? v[0] : -1;
    ++ran;
    return D3D_OK;
  }};
  ID3DXEffect* effect = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromPasses(device_, passes, &effect), D3D_OK);
  effect->SetInt("CurNumBones", 3);
  UINT count = 0;
  EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);  // not begun
  ASSERT_EQ(effect->Begin(&count, D3DXFX_DONOTSAVESTATE), D3D_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(effect->BeginPass(0), D3D_OK);
  EXPECT_EQ(seen, 3.0f);
  EXPECT_EQ(effect->EndPass(), D3D_OK);
  EXPECT_EQ(effect->End(), D3D_OK);
  EXPECT_EQ(ran, 1);
  INT back = 0;
  EXPECT_EQ(effect->GetInt("CurNumBones", &back), D3D_OK);
  EXPECT_EQ(back, 3);
  effect->Release();
}

}  // namespace
