// Static meshes: loading X files, material adaptation, the tree, prop and
// ordinary texture searches with their log lines, texture masks, the path
// helpers and the reload across a resolution change.
#include <fstream>

#include "engine/mesh/path_parts.h"
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

// One quad per material; material i names textures[i] (empty: none).
std::string QuadMesh(const std::vector<std::string>& textures) {
  std::string s = "xof 0303txt 0032\nMesh {\n 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n";
  s += " " + std::to_string(textures.size()) + ";";
  for (std::size_t i = 0; i < textures.size(); ++i) s += std::string(i ? ", " : " ") + "3; 0,1,2";
  s += ";;\n MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n";
  s += " MeshMaterialList { " + std::to_string(textures.size()) + "; " + std::to_string(textures.size()) + ";";
  for (std::size_t i = 0; i < textures.size(); ++i) s += std::string(i ? ", " : " ") + std::to_string(i);
  s += ";;\n";
  for (const std::string& t : textures) {
    s += "  Material { 0.5; 0.25; 1.0; 0.75;; 33.0; 1;1;1;; 0.1;0.2;0.3;;";
    if (!t.empty()) s += " TextureFilename { \"" + t + "\"; }";
    s += " }\n";
  }
  return s + " }\n}\n";
}

void WriteText(const std::string& path, const std::string& text) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder);
  std::ofstream(path, std::ios::binary) << text;
}

// A 4 x 4 picture of one colour.
void WritePicture(Vorn& e, const std::string& path, DWORD colour) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder);
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(e.m_pD3DDevice, 4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT lr{};
  t->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) static_cast<DWORD*>(lr.pBits)[y * (lr.Pitch / 4) + x] = colour;
  t->UnlockRect(0);
  ASSERT_EQ(D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_BMP, t, nullptr), D3D_OK);
  t->Release();
}

// The log lines from the start of the last load of `path` on.
std::vector<std::string> LoadLines(const std::vector<std::string>& all, const std::string& path) {
  const std::string start = "START : FLATVNMesh::FLATLoad(" + path + ")";
  std::size_t at = all.size();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].find(start) != std::string::npos) at = i;
  return at == all.size() ? std::vector<std::string>{} : std::vector<std::string>(all.begin() + at, all.end());
}

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& l : lines)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

TEST(PathParts, SplitsAtTheLastBackslashAndDot) {
  PathParts p;
  SplitPath(p, "C:\\Game\\Meshes\\Huts\\hut.x");
  EXPECT_STREQ(p.Folder, "C:\\Game\\Meshes\\Huts");
  EXPECT_STREQ(p.Title, "hut");
  EXPECT_STREQ(p.Extension, ".x");
  EXPECT_STREQ(ParentFolder(p.Folder, p), "C:\\Game\\Meshes");
  SplitPath(p, "my.dir\\noext");  // a dot in a folder is not an extension
  EXPECT_STREQ(p.Folder, "my.dir");
  EXPECT_STREQ(p.Title, "noext");
  EXPECT_STREQ(p.Extension, "");
  SplitPath(p, "wall.bmp");
  EXPECT_STREQ(p.Folder, "");
  EXPECT_STREQ(p.Title, "wall");
  EXPECT_STREQ(ParentFolder("Meshes", p), "");
  EXPECT_EQ(ParentFolder(nullptr, p), nullptr);
  char out[64];
  BitmapsPath(out, sizeof out, "", "wall", ".bmp");
  EXPECT_STREQ(out, "Bitmaps\\wall.bmp");
  BitmapsPath(out, sizeof out, "Level", "wall", ".bmp");
  EXPECT_STREQ(out, "Level\\Bitmaps\\wall.bmp");
}

TEST_F(EngineTest, FlatMeshAdaptsMaterialsAndFindsOrdinaryTextures) {
  Vorn& e = StartEngine();
  WriteText("Level/Huts/hut.x", QuadMesh({"roof.bmp", "wall.bmp", "", "gone.bmp"}));
  WritePicture(e, "Level/Huts/roof.bmp", 0xFFFF0000);
  WritePicture(e, "Level/Bitmaps/wall.bmp", 0xFF00FF00);
  FLATVNMesh& m = e.m_FlatMeshes[0];
  m.FLATLoad("Level\\Huts\\hut.x");
  ASSERT_TRUE(m.m_bLoaded);
  EXPECT_STREQ(m.m_szFileName, "Level\\Huts\\hut.x");
  ASSERT_EQ(m.m_NumMaterials, 4u);
  ASSERT_NE(m.m_pMesh, nullptr);
  EXPECT_EQ(m.m_pMaterialBuffer, nullptr);
  EXPECT_EQ(m.m_pD3DXMaterials, nullptr);
  const D3DMATERIAL9& mat = m.m_pMaterials[1];
  EXPECT_FLOAT_EQ(mat.Ambient.r, 0.5f * 0.4f);
  EXPECT_FLOAT_EQ(mat.Ambient.b, 0.4f);
  EXPECT_FLOAT_EQ(mat.Ambient.a, 0.75f);
  EXPECT_FLOAT_EQ(mat.Power, 20.0f);
  EXPECT_FLOAT_EQ(mat.Emissive.g, 0.2f);
  EXPECT_NE(m.m_ppTextures[0], nullptr);
  EXPECT_NE(m.m_ppTextures[1], nullptr);
  EXPECT_EQ(m.m_ppTextures[2], nullptr);
  EXPECT_EQ(m.m_ppTextures[3], nullptr);
  EXPECT_EQ(Texel(e, m.m_ppTextures[1], 0, 0) & 0xFFFFFF, 0x00FF00u);

  std::vector<std::string> lines = LoadLines(LogLines(), "Level\\Huts\\hut.x");
  const std::vector<std::string> expected = {
      "START : FLATVNMesh::FLATLoad(Level\\Huts\\hut.x)",
      "Preparing to load texture",
      "roof.bmp",
      "Mesh texture filename is not a tree texture",
      "Level\\Huts\\roof.bmp",
      "Preparing to load texture",
      "wall.bmp",
      "Mesh texture filename is not a tree texture",
      "Level\\Huts\\wall.bmp",
      "Failed to load mesh texture (wall.bmp) trying other folder",
      "New filename (Level\\Bitmaps\\wall.bmp)",
      "No mesh texture name for this material (index=2)",
      "Preparing to load texture",
      "gone.bmp",
      "Mesh texture filename is not a tree texture",
      "Level\\Huts\\gone.bmp",
      "Failed to load mesh texture (gone.bmp) trying other folder",
      "New filename (Level\\Bitmaps\\gone.bmp)",
      "Failed to load.",
      "END : FLATVNMesh::FLATLoad()",
  };
  ASSERT_GE(lines.size(), expected.size());
  std::size_t at = 0;
  for (const std::string& want : expected) {
    while (at < lines.size() && lines[at].find(want) == std::string::npos) ++at;
    ASSERT_LT(at, lines.size()) << "missing in order: " << want;
    ++at;
  }
  EXPECT_NE(lines.back().find("END : FLATVNMesh::FLATLoad()"), std::string::npos);
}

TEST_F(EngineTest, TreeAndPropTexturesTakeTheColourKeyAndTheirOwnFolders) {
  Vorn& e = StartEngine();
  WriteText("Level/Huts/hut.x", QuadMesh({"tree_oak.bmp", "prop_box.bmp", "TREE01.bmp", "Treetop.bmp"}));
  WritePicture(e, "Bitmaps/TREES/tree_oak.bmp", 0xFFFF00FF);  // the colour key: transparent
  WritePicture(e, "Level/Bitmaps/prop_box.bmp", 0xFF123456);
  WritePicture(e, "Level/Huts/TREE01.bmp", 0xFFFF00FF);        // ordinary: no colour key
  FLATVNMesh& m = e.m_FlatMeshes[1];
  m.FLATLoad("Level\\Huts\\hut.x");
  ASSERT_TRUE(m.m_bLoaded);
  ASSERT_NE(m.m_ppTextures[0], nullptr);
  EXPECT_EQ(Texel(e, m.m_ppTextures[0], 1, 1) & 0xFFFFFFu, 0u);  // keyed out to transparent black
  ASSERT_NE(m.m_ppTextures[1], nullptr);
  ASSERT_NE(m.m_ppTextures[2], nullptr);
  EXPECT_EQ(Texel(e, m.m_ppTextures[2], 1, 1), 0xFFFF00FFu);
  EXPECT_EQ(m.m_ppTextures[3], nullptr);
  std::vector<std::string> lines = LoadLines(LogLines(), "Level\\Huts\\hut.x");
  EXPECT_TRUE(Contains(lines, "Mesh texture filename suggests it's a Tree."));
  EXPECT_TRUE(Contains(lines, "--->>  WARNING  <<--- : Failed to load Flatmask Level\\Huts\\tree_oak.bmp"));
  EXPECT_TRUE(Contains(lines, "Did not find TREE texture tree_oak.bmp in this meshs' default Bitmaps folder."));
  EXPECT_TRUE(Contains(lines, "Tree Bitmap Found as Bitmaps\\TREES\\tree_oak.bmp"));
  EXPECT_TRUE(Contains(lines, "Mesh texture filename suggests it's a Prop."));
  EXPECT_TRUE(Contains(lines, "Did not find PROP texture prop_box.bmp in this meshs' default Bitmaps folder."));
  EXPECT_TRUE(Contains(lines, "Prop Bitmap Found as Level\\Bitmaps\\prop_box.bmp"));
  EXPECT_TRUE(Contains(lines, "---ERROR--- : Failed to load TREE Treetop.bmp from global Bitmaps\\TREES folder."));
  int ordinary = 0;
  for (const std::string& l : lines) ordinary += l.find("is not a tree texture") != std::string::npos;
  EXPECT_EQ(ordinary, 1);  // TREE01.bmp

  // Without a global folder the tree fallback only reports.
  SetTreeTextureFolder("");
  m.FLATLoad("Level\\Huts\\hut.x");
  EXPECT_EQ(m.m_ppTextures[0], nullptr);
  SetTreeTextureFolder("Bitmaps\\TREES\\");
}

TEST_F(EngineTest, FlatMeshFailuresLeaveItReleased) {
  Vorn& e = StartEngine();
  FLATVNMesh& m = e.m_FlatMeshes[2];
  WriteText("broken.x", "xof 0303txt 0032\nMesh { 3; 0;0;0;; }");
  m.FLATLoad("broken.x");
  EXPECT_FALSE(m.m_bLoaded);
  EXPECT_EQ(m.m_pMesh, nullptr);
  EXPECT_EQ(m.m_NumMaterials, 0u);
  EXPECT_NE(LogLines().back().find("END : FLATVNMesh::FLATLoad(broken.x) Failed to load mesh!!!!"), std::string::npos);
  m.FLATLoad("missing\\nothing.x");
  EXPECT_FALSE(m.m_bLoaded);
  EXPECT_TRUE(m.FLATLoadTexturemask("a.bmp", 0));  // nothing loaded: every index is bad
  std::vector<std::string> lines = LogLines();
  EXPECT_NE(lines[lines.size() - 2].find("FLATLoadTexturemask(a.bmp) has an invalid index!"), std::string::npos);
  EXPECT_NE(lines.back().find("The index is 0"), std::string::npos);
}

TEST_F(EngineTest, SetRezReloadsStaticMeshesFromTheirFiles) {
  Vorn& e = StartEngine();
  WriteText("hut.x", QuadMesh({"wall.bmp"}));
  WritePicture(e, "wall.bmp", 0xFF0000FF);
  e.m_FlatMeshes[3].FLATLoad("hut.x");
  ASSERT_TRUE(e.m_FlatMeshes[3].m_bLoaded);
  ID3DXMesh* before = e.m_FlatMeshes[3].m_pMesh;
  EXPECT_NE(e.m_FlatMeshes[3].m_ppTextures[0], nullptr);  // beside the mesh in the current folder
  int live = d3d9_hooks::LiveObjectCount();
  WriteText("hut.x", QuadMesh({"wall.bmp", ""}));  // the file changed: the reload reads it again
  e.SetRez(800, 600);
  FLATVNMesh& m = e.m_FlatMeshes[3];
  EXPECT_TRUE(m.m_bLoaded);
  EXPECT_STREQ(m.m_szFileName, "hut.x");
  EXPECT_EQ(m.m_NumMaterials, 2u);
  EXPECT_NE(m.m_pMesh, nullptr);
  (void)before;
  EXPECT_EQ(CountLines("START : FLATVNMesh::FLATLoad(hut.x)"), 2);
  EXPECT_EQ(e.m_FlatMeshes[4].m_pMesh, nullptr);  // empty slots are not loaded
  e.ClearVolatiles();
  EXPECT_EQ(m.m_pMesh, nullptr);
  EXPECT_STREQ(m.m_szFileName, "hut.x");
  EXPECT_LE(d3d9_hooks::LiveObjectCount(), live);
}

}  // namespace
}  // namespace engine_test
