// Text X files into meshes: the parser's refusals, vertex splitting by
// normals, fans, materials and texture names, frames' transforms, cloning,
// computed normals and drawing subsets.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/test_hooks.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/xfile/xfile_parser.h"
#include "platform/win32/window_pixels.h"
#include "tests/platform/d3dx/shared_device.h"

namespace {

constexpr const char* kHeader = "xof 0303txt 0032\n";

// A quad of two materials: faces 0 (red, textured) and 1 (green), with one
// normal per corner (so no splitting) and texture coordinates.
const std::string kQuad = std::string(kHeader) + R"(
template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433> DWORD nVertices; [...] }
Material Red { 1.0; 0.0; 0.0; 1.0;; 10.0; 0.5; 0.5; 0.5;; 0.0; 0.0; 0.0;; TextureFilename { "roof.bmp"; } }
Mesh Quad {
  4; -1.0; -1.0; 0.0;, 1.0; -1.0; 0.0;, 1.0; 1.0; 0.0;, -1.0; 1.0; 0.0;;
  2; 3; 0, 1, 2;, 3; 0, 2, 3;;
  MeshNormals { 1; 0.0; 0.0; -1.0;; 2; 3; 0, 0, 0;, 3; 0, 0, 0;; }
  MeshTextureCoords { 4; 0.0; 1.0;, 1.0; 1.0;, 1.0; 0.0;, 0.0; 0.0;; }
  MeshMaterialList { 2; 2; 0, 1;;
    { Red }
    Material { 0.0; 1.0; 0.0; 0.5;; 0.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;; }
  }
}
)";

class XFileMesh : public d3dx_test::SharedDeviceTest {
 protected:
  HRESULT Load(const std::string& text, ID3DXMesh** mesh, ID3DXBuffer** materials = nullptr, DWORD* count = nullptr,
               ID3DXBuffer** adjacency = nullptr, DWORD options = D3DXMESH_SYSTEMMEM) {
    return D3DXLoadMeshFromXInMemory(text.data(), static_cast<DWORD>(text.size()), options, device_, adjacency,
                                     materials, nullptr, count, mesh);
  }

  template <typename V>
  static std::vector<V> Vertices(ID3DXMesh* m) {
    std::vector<V> out(m->GetNumVertices());
    void* data = nullptr;
    EXPECT_EQ(m->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    std::memcpy(out.data(), data, out.size() * sizeof(V));
    m->UnlockVertexBuffer();
    return out;
  }

  static std::vector<WORD> Indices(ID3DXMesh* m) {
    std::vector<WORD> out(m->GetNumFaces() * 3);
    void* data = nullptr;
    EXPECT_EQ(m->LockIndexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    std::memcpy(out.data(), data, out.size() * sizeof(WORD));
    m->UnlockIndexBuffer();
    return out;
  }

};

struct PosNormTex {
  float x, y, z, nx, ny, nz, u, v;
};

TEST(XFileParser, RefusesWhatIsNotAWellFormedTextFile) {
  d3dx_xfile::Document doc;
  const std::string good = std::string(kHeader) + "Frame A { Frame B { } }";
  ASSERT_TRUE(d3dx_xfile::ParseDocument(good.data(), good.size(), &doc));
  ASSERT_EQ(doc.objects.size(), 1u);
  EXPECT_EQ(doc.objects[0].children[0].name, "B");
  EXPECT_NE(doc.Find("B"), nullptr);
  const std::vector<std::string> bad = {
      "",
      "xof 0303bin 0032 ....",
      "xof 0303tzip0032 ....",
      std::string(kHeader) + "Frame A { ",
      std::string(kHeader) + "Frame A { } }",
      std::string(kHeader) + "Frame A { \"open string }",
      std::string(kHeader) + "Frame A { <guid }",
      std::string(kHeader) + "Frame A { 1.0e999; }",
      std::string(kHeader) + "Frame A { @ }",
      std::string(kHeader) + "template T { <G> ",
      std::string(kHeader) + std::string(2000, '{'),
  };
  for (const std::string& text : bad) EXPECT_FALSE(d3dx_xfile::ParseDocument(text.data(), text.size(), &doc)) << text;
  // Nesting deeper than any exporter writes is refused, not recursed into.
  std::string deep = kHeader;
  for (int i = 0; i < 100; ++i) deep += "Frame { ";
  for (int i = 0; i < 100; ++i) deep += "} ";
  EXPECT_FALSE(d3dx_xfile::ParseDocument(deep.data(), deep.size(), &doc));
}

TEST(MeshFvf, SizesAndDeclarationsFollowTheComponents) {
  EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ), 12u);
  EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB1), 16u);
  EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1), 40u);
  EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB5 | D3DFVF_DIFFUSE | D3DFVF_SPECULAR), 40u);
  EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1)), 32u);
  EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZRHW), 0u);  // not a mesh vertex
  D3DVERTEXELEMENT9 d[MAX_FVF_DECL_SIZE];
  ASSERT_EQ(D3DXDeclaratorFromFVF(D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL, d), D3D_OK);
  EXPECT_EQ(d[1].Usage, D3DDECLUSAGE_BLENDWEIGHT);
  EXPECT_EQ(d[1].Type, D3DDECLTYPE_FLOAT2);
  EXPECT_EQ(d[2].Usage, D3DDECLUSAGE_BLENDINDICES);
  EXPECT_EQ(d[2].Offset, 20);
  EXPECT_EQ(d[3].Offset, 24);
  EXPECT_EQ(d[4].Stream, 0xFF);
}

TEST_F(XFileMesh, QuadLoadsWithItsMaterialsInOrder) {
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  ID3DXBuffer* adjacency = nullptr;
  DWORD count = 0;
  ASSERT_EQ(Load(kQuad, &mesh, &materials, &count, &adjacency), D3D_OK);
  EXPECT_EQ(mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
  EXPECT_EQ(mesh->GetOptions(), D3DXMESH_SYSTEMMEM);
  EXPECT_EQ(mesh->GetNumVertices(), 4u);
  EXPECT_EQ(mesh->GetNumFaces(), 2u);
  ASSERT_EQ(count, 2u);
  const auto* m = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_EQ(m[0].MatD3D.Diffuse.r, 1.0f);
  EXPECT_EQ(m[0].MatD3D.Power, 10.0f);
  EXPECT_EQ(m[0].MatD3D.Specular.g, 0.5f);
  ASSERT_NE(m[0].pTextureFilename, nullptr);
  EXPECT_STREQ(m[0].pTextureFilename, "roof.bmp");
  EXPECT_EQ(m[1].MatD3D.Diffuse.a, 0.5f);
  EXPECT_EQ(m[1].pTextureFilename, nullptr);
  std::vector<PosNormTex> v = Vertices<PosNormTex>(mesh);
  EXPECT_EQ(v[2].x, 1.0f);
  EXPECT_EQ(v[2].nz, -1.0f);
  EXPECT_EQ(v[3].u, 0.0f);
  EXPECT_EQ(Indices(mesh), (std::vector<WORD>{0, 1, 2, 0, 2, 3}));
  D3DXATTRIBUTERANGE table[4];
  DWORD size = 0;
  ASSERT_EQ(mesh->GetAttributeTable(table, &size), D3D_OK);
  ASSERT_EQ(size, 2u);
  EXPECT_EQ(table[1].AttribId, 1u);
  EXPECT_EQ(table[1].FaceStart, 1u);
  EXPECT_EQ(table[1].FaceCount, 1u);
  // The two triangles share the diagonal 0-2.
  const auto* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  EXPECT_EQ(adj[2], 1u);   // edge 2-0 of face 0
  EXPECT_EQ(adj[3], 0u);   // edge 0-2 of face 1
  EXPECT_EQ(adj[0], 0xFFFFFFFFu);
  IDirect3DDevice9* d = nullptr;
  ASSERT_EQ(mesh->GetDevice(&d), D3D_OK);
  EXPECT_EQ(d, device_);
  d->Release();
  adjacency->Release();
  materials->Release();
  mesh->Release();
}

// Corners of one position with different normals become separate
// vertices; a pentagon is fanned; a short material list repeats its last
// index; a mesh inside frames is placed by their transforms.
TEST_F(XFileMesh, SplitsFansRepeatsAndPlaces) {
  const std::string text = std::string(kHeader) + R"(
Frame Outer {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
  Frame Inner {
    FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,1,0,1;; }
    Mesh {
      6; 0;0;0;, 1;0;0;, 1;1;0;, 0.5;1.5;0;, 0;1;0;, 0;0;1;;
      2; 5; 0,1,2,3,4;, 3; 0,4,5;;
      MeshNormals { 2; 0;0;1;, 1;0;0;; 2; 5; 0,0,0,0,0;, 3; 1,1,1;; }
      MeshMaterialList { 2; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }
    }
  }
}
)";
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  DWORD count = 0;
  ASSERT_EQ(Load(text, &mesh, &materials, &count), D3D_OK);
  EXPECT_EQ(mesh->GetNumFaces(), 4u);      // 3 from the pentagon, 1 triangle
  EXPECT_EQ(mesh->GetNumVertices(), 8u);   // 6, plus 0 and 4 again with the second normal
  struct PosNorm {
    float x, y, z, nx, ny, nz;
  };
  std::vector<PosNorm> v = Vertices<PosNorm>(mesh);
  // Inner scales by 2 and lifts by 1, Outer moves by 10: (1,1,0) -> (12,3,0).
  EXPECT_FLOAT_EQ(v[2].x, 12.0f);
  EXPECT_FLOAT_EQ(v[2].y, 3.0f);
  EXPECT_FLOAT_EQ(v[6].x, 10.0f);  // position 0 again
  EXPECT_FLOAT_EQ(v[6].nx, 1.0f);
  EXPECT_EQ(Indices(mesh), (std::vector<WORD>{0, 1, 2, 0, 2, 3, 0, 3, 4, 6, 7, 5}));
  DWORD* attributes = nullptr;
  ASSERT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
  EXPECT_EQ(attributes[3], 1u);  // the index 1 stands for both faces
  mesh->UnlockAttributeBuffer();
  materials->Release();
  mesh->Release();
}

TEST_F(XFileMesh, MalformedFilesGiveInvalidDataAndLeaveNothing) {
  const std::vector<std::string> bad = {
      "not an x file at all",
      std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,7;; }",       // index out of range
      std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2; 0,1;; }",         // two corners
      std::string(kHeader) + "Mesh { 99; 0;0;0;; 1; 3; 0,1,2;; }",                      // too few positions
      std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 4000000000; }",         // face count
      std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;; "
                             "MeshNormals { 1; 0;0;1;; 1; 3; 0,0,5;; } }",               // normal index
      std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;; "
                             "MeshTextureCoords { 2; 0;0;, 1;1;; } }",                   // fewer coordinates
      std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;; "
                             "MeshMaterialList { 1; 1; 3;; } }",                          // material index
      std::string(kHeader) + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0.5,1,2;; }",     // fractional index
      std::string(kHeader) + "Frame { FrameTransformMatrix { 1; 2; } Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;; } }",
  };
  for (const std::string& text : bad) {
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    EXPECT_EQ(Load(text, &mesh), D3DXERR_INVALIDDATA) << text;
    EXPECT_EQ(mesh, nullptr);
  }
  ID3DXMesh* mesh = nullptr;
  EXPECT_EQ(Load(std::string(kHeader) + "Frame { }", &mesh), E_FAIL);  // no mesh at all
  EXPECT_EQ(D3DXLoadMeshFromXA("no_such_file.x", 0, device_, nullptr, nullptr, nullptr, nullptr, &mesh), E_FAIL);
  EXPECT_EQ(mesh, nullptr);
}

TEST_F(XFileMesh, CloneAddsNormalsAndComputeNormalsFillsThem) {
  const std::string text = std::string(kHeader) +
                           "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3; 0,1,2;, 3; 0,2,3;; }";
  ID3DXMesh* mesh = nullptr;
  ID3DXBuffer* materials = nullptr;
  DWORD count = 0;
  ASSERT_EQ(Load(text, &mesh, &materials, &count), D3D_OK);
  EXPECT_EQ(mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ));
  EXPECT_EQ(count, 1u);  // a mesh without materials gets one plain white one
  const auto* m = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
  EXPECT_EQ(m[0].MatD3D.Diffuse.g, 1.0f);
  ID3DXMesh* clone = nullptr;
  ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, device_, &clone),
            D3D_OK);
  EXPECT_EQ(clone->GetOptions(), D3DXMESH_MANAGED);
  EXPECT_EQ(clone->GetNumBytesPerVertex(), 28u);
  ASSERT_EQ(D3DXComputeNormals(clone, nullptr), D3D_OK);
  struct PosNormCol {
    float x, y, z, nx, ny, nz;
    DWORD colour;
  };
  std::vector<PosNormCol> v = Vertices<PosNormCol>(clone);
  EXPECT_FLOAT_EQ(v[1].x, 1.0f);
  EXPECT_FLOAT_EQ(v[1].nz, 1.0f);  // counter-clockwise seen from +z
  EXPECT_EQ(v[1].colour, 0xFFFFFFFFu);
  D3DXATTRIBUTERANGE table[2];
  DWORD size = 0;
  clone->GetAttributeTable(table, &size);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(D3DXComputeNormals(mesh, nullptr), D3DERR_INVALIDCALL);  // no normals to fill
  D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
  ASSERT_EQ(clone->GetDeclaration(decl), D3D_OK);
  EXPECT_EQ(decl[1].Usage, D3DDECLUSAGE_NORMAL);
  EXPECT_EQ(decl[2].Type, D3DDECLTYPE_D3DCOLOR);
  EXPECT_EQ(decl[3].Stream, 0xFF);
  clone->Release();
  materials->Release();
  mesh->Release();
}

TEST_F(XFileMesh, DrawSubsetDrawsOnlyItsFaces) {
  ID3DXMesh* mesh = nullptr;
  ASSERT_EQ(Load(kQuad, &mesh, nullptr, nullptr, nullptr, D3DXMESH_MANAGED), D3D_OK);
  d3d9_hooks::SetCallTrace(true);
  d3d9_hooks::ClearCallTrace();
  device_->BeginScene();
  EXPECT_EQ(mesh->DrawSubset(1), D3D_OK);
  EXPECT_EQ(mesh->DrawSubset(7), D3D_OK);  // no such subset: nothing drawn
  device_->EndScene();
  std::vector<std::string> draws;
  for (const auto& c : d3d9_hooks::CallTrace())
    if (c.method == "DrawIndexedPrimitive") draws.push_back(c.args);
  d3d9_hooks::SetCallTrace(false);
  EXPECT_EQ(draws, (std::vector<std::string>{"D3DPT_TRIANGLELIST, 0, 0, 4, 3, 1"}));
  // The device holds what is bound; unbind so the buffers go with the mesh.
  device_->SetStreamSource(0, nullptr, 0, 0);
  device_->SetIndices(nullptr);
  mesh->Release();
}

}  // namespace
