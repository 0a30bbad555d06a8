// Frame hierarchies and skinned meshes: the allocator's results, material
// rules and texture search, the media search, the skinning decisions of
// PrepareSkinnedMesh, and every skinning method drawing a two-bone strip
// over the same pixels as the software method.
#include <algorithm>
#include <cmath>
#include <fstream>

#include "engine/mesh/allocate_hierarchy.h"
#include "platform/win32/registry.h"
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

void WriteText(const std::string& path, const std::string& text) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder);
  std::ofstream(path, std::ios::binary) << text;
}

// A strip of 3 rows of 2 vertices from y = 0 to 2, x from -0.25 to 0.25:
// the bottom row follows "Lower", the top row "Upper", the middle both.
// Upper sits at y = 1 and is turned by `angle` radians about z.
std::string Strip(float angle, const std::string& materials) {
  const float c = std::cos(angle), s = std::sin(angle);
  char upper[256];
  std::snprintf(upper, sizeof upper, "%g,%g,0,0, %g,%g,0,0, 0,0,1,0, 0,1,0,1;;", c, s, -s, c);
  return std::string("xof 0303txt 0032\n") +
         "Frame Root {\n"
         " Mesh Strip {\n"
         "  6; -0.25;0;0;, 0.25;0;0;, -0.25;1;0;, 0.25;1;0;, -0.25;2;0;, 0.25;2;0;;\n"
         "  4; 3; 0,2,1;, 3; 1,2,3;, 3; 2,4,3;, 3; 3,4,5;;\n" +
         materials +
         "  XSkinMeshHeader { 2; 4; 2; }\n"
         "  SkinWeights { \"Lower\"; 4; 0,1,2,3; 1,1,0.5,0.5; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
         "  SkinWeights { \"Upper\"; 4; 2,3,4,5; 0.5,0.5,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-1,0,1;; }\n"
         " }\n"
         " Frame Lower { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
         "  Frame Upper { FrameTransformMatrix { " +
         upper +
         " } }\n"
         " }\n"
         "}\n";
}

const char* kWhite = "  MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 10; 1;1;1;; 0;0;0;; } }\n";

// A mesh container handed to the allocator directly.
struct LoadedMesh {
  ID3DXMesh* mesh = nullptr;
  ~LoadedMesh() {
    if (mesh) mesh->Release();
  }
};

TEST_F(EngineTest, AllocatorAdaptsMaterialsAndAddsNormals) {
  Vorn& e = StartEngine();
  const int live = d3d9_hooks::LiveObjectCount();
  VNMesh& owner = e.m_Meshes[0];
  std::snprintf(owner.m_szFileName, sizeof owner.m_szFileName, "%s", "Level\\Houses\\hut.x");
  CAllocateHierarchy alloc(&owner);

  D3DXFRAME* frame = nullptr;
  ASSERT_EQ(alloc.CreateFrame("Door", &frame), S_OK);
  EXPECT_STREQ(frame->Name, "Door");
  EXPECT_EQ(static_cast<VNFrame*>(frame)->CombinedTransform._44, 1.0f);
  EXPECT_EQ(frame->pFrameFirstChild, nullptr);
  alloc.DestroyFrame(frame);
  ASSERT_EQ(alloc.CreateFrame(nullptr, &frame), S_OK);
  EXPECT_EQ(frame->Name, nullptr);
  alloc.DestroyFrame(frame);

  LoadedMesh plain;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, D3DFVF_XYZ, e.m_pD3DDevice, &plain.mesh), D3D_OK);
  D3DXMESHDATA data{D3DXMESHTYPE_PMESH, plain.mesh};
  D3DXMESHCONTAINER* c = reinterpret_cast<D3DXMESHCONTAINER*>(1);
  EXPECT_EQ(alloc.CreateMeshContainer("m", &data, nullptr, nullptr, 0, nullptr, nullptr, &c), E_FAIL);
  EXPECT_EQ(c, nullptr);

  // No materials: one reddish default; no normals: a clone with normals.
  data.Type = D3DXMESHTYPE_MESH;
  const DWORD adjacency[3] = {7, 8, 9};
  ASSERT_EQ(alloc.CreateMeshContainer("m", &data, nullptr, nullptr, 0, adjacency, nullptr, &c), S_OK);
  auto* vc = static_cast<VNMeshContainer*>(c);
  EXPECT_STREQ(vc->Name, "m");
  EXPECT_NE(vc->MeshData.pMesh, plain.mesh);
  EXPECT_EQ(vc->MeshData.pMesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL));
  ASSERT_EQ(vc->NumMaterials, 1u);
  EXPECT_EQ(vc->pMaterials[0].MatD3D.Diffuse.r, 0.5f);
  EXPECT_EQ(vc->pMaterials[0].MatD3D.Diffuse.g, 0.1f);
  EXPECT_EQ(vc->pMaterials[0].MatD3D.Specular.b, 1.0f);
  EXPECT_EQ(vc->pMaterials[0].MatD3D.Power, 20.0f);
  EXPECT_EQ(vc->pAdjacency[2], 9u);
  EXPECT_EQ(vc->ppMaterialTextures[0], nullptr);
  alloc.DestroyMeshContainer(c);

  // With normals the mesh is shared; Power 10 -> 20, 0 stays, 110 -> 0.
  LoadedMesh normals;
  ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL, e.m_pD3DDevice, &normals.mesh),
            D3D_OK);
  data.pMesh = normals.mesh;
  D3DXMATERIAL m[3] = {};
  const float powers[3] = {10.0f, 0.0f, 110.0f};
  for (int i = 0; i < 3; ++i) {
    m[i].MatD3D.Diffuse = D3DCOLORVALUE{1.0f, 0.5f, 0.25f, 0.6f};
    m[i].MatD3D.Power = powers[i];
  }
  char roof[] = "roof.bmp";
  m[1].pTextureFilename = roof;
  ASSERT_EQ(alloc.CreateMeshContainer(nullptr, &data, m, nullptr, 3, adjacency, nullptr, &c), S_OK);
  vc = static_cast<VNMeshContainer*>(c);
  EXPECT_EQ(vc->MeshData.pMesh, normals.mesh);
  EXPECT_FLOAT_EQ(vc->pMaterials[0].MatD3D.Power, 20.0f);
  EXPECT_FLOAT_EQ(vc->pMaterials[1].MatD3D.Power, 0.0f);
  EXPECT_FLOAT_EQ(vc->pMaterials[2].MatD3D.Power, 0.0f);
  EXPECT_FLOAT_EQ(vc->pMaterials[0].MatD3D.Ambient.g, 0.2f);
  EXPECT_FLOAT_EQ(vc->pMaterials[0].MatD3D.Ambient.a, 0.6f);
  EXPECT_EQ(vc->pMaterials[1].pTextureFilename, nullptr);
  EXPECT_EQ(vc->ppMaterialTextures[1], nullptr);
  // The texture was looked for beside the mesh's parent folder, twice.
  EXPECT_EQ(CountLines("Failed to find bitmap in bitmap folder, trying back 1 (Level\\Bitmaps\\roof.bmp)"), 1);
  EXPECT_EQ(CountLines("Failed to find bitmap on 2nd attempt [Level\\Buildings\\roof.bmp]"), 1);
  alloc.DestroyMeshContainer(c);
  data.pMesh = nullptr;
  normals.mesh->Release();
  normals.mesh = nullptr;
  plain.mesh->Release();
  plain.mesh = nullptr;
  EXPECT_EQ(d3d9_hooks::LiveObjectCount(), live);
}

TEST_F(EngineTest, MediaSearchTriesThePathTheFolderAndTheSdk) {
  MakeEngine();
  ClearRegistry();
  char out[260];
  EXPECT_EQ(GetSdkMediaFolder(out), E_FAIL);
  EXPECT_EQ(FindMediaFile(out, "nowhere.bmp"), E_FAIL);  // no SDK folder: its failure comes back
  EXPECT_EQ(FindMediaFile(nullptr, "a"), E_INVALIDARG);
  SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX SDK", "DX9SDK Samples Path", "sdk");
  ASSERT_EQ(GetSdkMediaFolder(out), S_OK);
  EXPECT_STREQ(out, "sdk\\Media\\");
  WriteText("sdk/Media/wood.bmp", "x");
  EXPECT_EQ(FindMediaFile(out, "wood.bmp"), S_OK);
  EXPECT_STREQ(out, "sdk\\Media\\wood.bmp");
  EXPECT_EQ(FindMediaFile(out, "other.bmp"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_STREQ(out, "other.bmp");
  WriteText("here.bmp", "x");
  EXPECT_EQ(FindMediaFile(out, "here.bmp"), S_OK);
  ClearRegistry();
}

TEST_F(EngineTest, PrepareChoosesPalettesAndSoftwareProcessing) {
  Vorn& e = StartEngine();
  WriteText("strip.x", Strip(0.5f, kWhite));
  VNMesh& mesh = e.m_Meshes[1];
  ASSERT_EQ(mesh.Load("strip.x", SkinIndexed), D3D_OK);
  auto* c = static_cast<VNMeshContainer*>(mesh.m_pFrameRoot->pMeshContainer);
  ASSERT_NE(c, nullptr);
  ASSERT_NE(c->pSkinInfo, nullptr);
  EXPECT_EQ(c->pSkinInfo->GetNumBones(), 2u);
  EXPECT_EQ(c->PaletteSize, 2u);  // min(256 / 2, bones)
  EXPECT_FALSE(c->SoftwareVertexProcessing);
  EXPECT_EQ(c->MaxInfluences, 2u);
  EXPECT_EQ(c->AttribGroupCount, 1u);
  EXPECT_EQ(c->MeshData.pMesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4));
  EXPECT_STREQ(c->pSkinInfo->GetBoneName(1), "Upper");
  EXPECT_EQ(c->ppBoneTransforms[1], &mesh.FindFrame("Upper")->CombinedTransform);

  // A device without blend indices: faces of two bones go to software.
  mesh.m_Caps.MaxVertexBlendMatrixIndex = 0;
  ASSERT_EQ(mesh.PrepareSkinnedMesh(c), S_OK);
  EXPECT_TRUE(c->SoftwareVertexProcessing);
  EXPECT_EQ(c->PaletteSize, 2u);
  EXPECT_EQ(c->MeshData.pMesh->GetOptions() & D3DXMESH_SYSTEMMEM, D3DXMESH_SYSTEMMEM);

  mesh.m_SkinningMethod = SkinIndexedShader;
  mesh.m_Caps.VertexShaderVersion = D3DVS_VERSION(1, 0);
  ASSERT_EQ(mesh.PrepareSkinnedMesh(c), S_OK);
  EXPECT_TRUE(c->SoftwareVertexProcessing);
  EXPECT_EQ(c->MeshData.pMesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZB2 | D3DFVF_NORMAL | D3DFVF_TEX1 |
                                                           D3DFVF_LASTBETA_UBYTE4));
  D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
  c->MeshData.pMesh->GetDeclaration(decl);
  EXPECT_EQ(decl[2].Usage, D3DDECLUSAGE_BLENDINDICES);
  EXPECT_EQ(decl[2].Type, D3DDECLTYPE_D3DCOLOR);
  EXPECT_GE(mesh.m_BoneMatrixCapacity, 2u);

  mesh.m_SkinningMethod = SkinNonIndexed;
  mesh.m_Caps.MaxVertexBlendMatrices = 1;  // two-bone groups need more
  ASSERT_EQ(mesh.PrepareSkinnedMesh(c), S_OK);
  EXPECT_EQ(c->FirstSoftwareGroup, 0u);
  EXPECT_EQ(c->MeshData.pMesh->GetOptions() & D3DXMESH_SOFTWAREPROCESSING, D3DXMESH_SOFTWAREPROCESSING);
  mesh.m_SkinningMethod = SkinNone;
  EXPECT_EQ(mesh.PrepareSkinnedMesh(c), E_INVALIDARG);
  mesh.DestroyHierarchy();
  EXPECT_EQ(mesh.m_pFrameRoot, nullptr);
}

// Which pixels of the view the strip covers, drawn by `method`.
std::vector<bool> Coverage(EngineTest* t, Vorn& e, HWND hwnd, SkinningMethod method) {
  (void)t;
  VNMesh& mesh = e.m_Meshes[2];
  IDirect3DDevice9* d = e.m_pD3DDevice;
  D3DXMATRIX view, projection, identity;
  D3DXVECTOR3 eye(0, 1, -4), at(0, 1, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1024.0f / 768.0f, 0.5f, 20.0f);
  D3DXMatrixIdentity(&identity);
  d->SetTransform(D3DTS_VIEW, &view);
  d->SetTransform(D3DTS_PROJECTION, &projection);
  d->SetTransform(D3DTS_WORLD, &identity);
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  d->SetTexture(0, nullptr);
  EXPECT_EQ(mesh.Load("strip.x", method), D3D_OK) << method;
  d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  d->BeginScene();
  mesh.Draw();
  d->EndScene();
  d->Present(nullptr, nullptr, nullptr, nullptr);
  mesh.DestroyHierarchy();
  ClientPixels p{};
  std::vector<bool> covered;
  if (!GetClientPixels(hwnd, &p)) return covered;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) covered.push_back((p.data[y * p.pitch + x] & 0xFFFFFF) != 0x0000FF);
  return covered;
}

TEST_F(EngineTest, EverySkinningMethodBendsTheStripLikeSoftware) {
  Vorn& e = StartEngine();
  ResetSkinningNoticesForTesting();
  WriteText("strip.x", Strip(0.8f, kWhite));
  const std::vector<bool> software = Coverage(this, e, hwnd_, SkinSoftware);
  ASSERT_FALSE(software.empty());
  int count = 0;
  for (bool b : software) count += b;
  EXPECT_GT(count, 1000);
  // Bent: the top of the strip leans left of the straight strip's column.
  const std::vector<bool> straight = [&] {
    WriteText("strip.x", Strip(0.0f, kWhite));
    std::vector<bool> s = Coverage(this, e, hwnd_, SkinSoftware);
    WriteText("strip.x", Strip(0.8f, kWhite));
    return s;
  }();
  EXPECT_NE(straight, software);
  for (SkinningMethod m : {SkinNonIndexed, SkinIndexed, SkinIndexedShader, SkinIndexedEffect}) {
    const std::vector<bool> other = Coverage(this, e, hwnd_, m);
    ASSERT_EQ(other.size(), software.size());
    int differ = 0;
    for (std::size_t i = 0; i < other.size(); ++i) differ += other[i] != software[i];
    // Edges may round differently between the paths; the shape is the same.
    EXPECT_LT(differ, count / 50 + 20) << "method " << m << " covers " << std::count(other.begin(), other.end(), true) << " of " << count;
  }
  // The "uncoded bit" notices came once each, not once per draw.
  int notices = 0;
  for (const Box& b : g_boxes) notices += b.caption == "Skinning Jumped to uncoded bit.";
  EXPECT_EQ(notices, 2);
}

TEST_F(EngineTest, UnskinnedContainersDrawPerMaterialWithTheirFrames) {
  Vorn& e = StartEngine();
  WriteText("box.x",
            "xof 0303txt 0032\nFrame Box { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 3,0,0,1;; }\n"
            " Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 2; 3; 0,1,2;, 3; 0,2,1;;\n"
            "  MeshMaterialList { 2; 2; 0,1;; Material { 1;1;1;0.7;; 0; 0;0;0;; 0;0;0;; }\n"
            "   Material { 1;1;1;0.71;; 5; 0;0;0;; 0;0;0;; } } } }\n");
  VNMesh& mesh = e.m_Meshes[3];
  ASSERT_EQ(mesh.Load("box.x", SkinNonIndexed), D3D_OK);
  d3d9_hooks::SetCallTrace(true);
  e.m_pD3DDevice->BeginScene();
  mesh.Draw();
  e.m_pD3DDevice->EndScene();
  std::vector<std::string> states, transforms;
  int draws = 0;
  for (const auto& c : d3d9_hooks::CallTrace()) {
    if (c.method == "SetRenderState") states.push_back(c.args);
    if (c.method == "SetTransform") transforms.push_back(c.args);
    draws += c.method == "DrawIndexedPrimitive";
  }
  EXPECT_EQ(draws, 2);
  EXPECT_EQ(states, (std::vector<std::string>{"D3DRS_SPECULARENABLE, 0", "D3DRS_ZWRITEENABLE, 0",
                                              "D3DRS_SPECULARENABLE, 1", "D3DRS_ZWRITEENABLE, 1"}));
  ASSERT_FALSE(transforms.empty());
  EXPECT_NE(transforms[0].find("D3DTS_WORLD"), std::string::npos);
  EXPECT_NE(transforms[0].find("3,0,0,1}"), std::string::npos) << transforms[0];
  EXPECT_EQ(mesh.m_pAnimController, nullptr);
}

}  // namespace
}  // namespace engine_test

namespace engine_test {
namespace {

// The demonstration meshes of assets/meshes load as the search and the
// skinning expect: the house finds both textures in its neighbouring
// "Bitmaps" folder, and the arm's forearm is turned at the elbow.
TEST_F(EngineTest, ShippedDemoMeshesLoad) {
  Vorn& e = StartEngine();
  std::filesystem::copy(std::string(VORNEL_TEST_DATA) + "/../../../assets/meshes", "meshes",
                        std::filesystem::copy_options::recursive);
  FLATVNMesh& house = e.m_FlatMeshes[0];
  house.FLATLoad("meshes\\house\\house.x");
  ASSERT_TRUE(house.m_bLoaded);
  ASSERT_EQ(house.m_NumMaterials, 2u);
  EXPECT_NE(house.m_ppTextures[0], nullptr);
  EXPECT_NE(house.m_ppTextures[1], nullptr);
  EXPECT_EQ(CountLines("New filename (meshes\\Bitmaps\\wall.bmp)"), 1);

  VNMesh& arm = e.m_Meshes[0];
  ASSERT_EQ(arm.Load("meshes\\arm.x", SkinIndexed), D3D_OK);
  VNFrame* forearm = arm.FindFrame("Forearm");
  ASSERT_NE(forearm, nullptr);
  EXPECT_NEAR(forearm->CombinedTransform._11, std::cos(50.0 * 3.14159265 / 180.0), 1e-4);
  EXPECT_FLOAT_EQ(forearm->CombinedTransform._42, 1.0f);
  auto* c = static_cast<VNMeshContainer*>(arm.m_pFrameRoot->pMeshContainer);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->pSkinInfo->GetNumBones(), 2u);
  EXPECT_GT(c->MeshData.pMesh->GetNumVertices(), 12u);  // split by its face normals
}

}  // namespace
}  // namespace engine_test

namespace engine_test {
namespace {

// With one influence per vertex the indexed draw asks for no weights
// (D3DVBF_0WEIGHTS) and leaves blending off afterwards.
TEST_F(EngineTest, IndexedDrawOfOneInfluenceUsesZeroWeights) {
  Vorn& e = StartEngine();
  WriteText("rigid.x", std::string("xof 0303txt 0032\nFrame Root {\n Mesh {\n") +
                           "  3; 0;0;0;, 1;0;0;, 0;1;0;;\n  1; 3; 0,1,2;;\n" +
                           "  SkinWeights { \"Bone\"; 3; 0,1,2; 1,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
                           " }\n Frame Bone { }\n}\n");
  VNMesh& mesh = e.m_Meshes[4];
  ASSERT_EQ(mesh.Load("rigid.x", SkinIndexed), D3D_OK);
  auto* c = static_cast<VNMeshContainer*>(mesh.m_pFrameRoot->pMeshContainer);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->MaxInfluences, 1u);
  d3d9_hooks::SetCallTrace(true);
  e.m_pD3DDevice->BeginScene();
  mesh.Draw();
  e.m_pD3DDevice->EndScene();
  std::vector<std::string> states;
  for (const auto& call : d3d9_hooks::CallTrace())
    if (call.method == "SetRenderState") states.push_back(call.args);
  EXPECT_EQ(states, (std::vector<std::string>{"D3DRS_VERTEXBLEND, 256", "D3DRS_INDEXEDVERTEXBLENDENABLE, 1",
                                              "D3DRS_INDEXEDVERTEXBLENDENABLE, 0", "D3DRS_VERTEXBLEND, 0"}));
  // The container's material took its diffuse colour as ambient.
  EXPECT_EQ(c->pMaterials[0].MatD3D.Ambient.r, c->pMaterials[0].MatD3D.Diffuse.r);
}

}  // namespace
}  // namespace engine_test
