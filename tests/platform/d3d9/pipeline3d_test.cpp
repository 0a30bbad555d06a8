// The 3D pipeline around lighting: clipping at the near plane, depth
// compare functions, stencil operations, point size, point scaling and
// point sprites, vertex blending with world matrices (plain and indexed),
// vertex declarations and vertex programs standing in for shaders.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/vertex_program.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.f;
  return m;
}

D3DMATRIX Translation(float x, float y, float z) {
  D3DMATRIX m = Identity();
  m._41 = x, m._42 = y, m._43 = z;
  return m;
}

DWORD F(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

struct XyzColor {
  float x, y, z;
  D3DCOLOR color;
};
constexpr DWORD kXyzColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

class Pipeline3DTest : public DeviceTest {
 protected:
  void SetUp() override { Create(16, 16, D3DFMT_X8R8G8B8, true); }
};

TEST_F(Pipeline3DTest, TriangleCrossingTheNearPlaneIsClipped) {
  // 90-degree perspective, near 0.5, far 10; a floor triangle at y = -1
  // reaching from behind the eye to z = 4.
  D3DMATRIX p{};
  p._11 = p._22 = 1.f;
  p._33 = 10.f / 9.5f;
  p._34 = 1.f;
  p._43 = -0.5f * 10.f / 9.5f;
  dev_->SetTransform(D3DTS_PROJECTION, &p);
  dev_->SetFVF(kXyzColorFvf);
  const XyzColor tri[3] = {{-1, -1, -1, 0xffffffffu}, {1, -1, -1, 0xffffffffu}, {0, -1, 4, 0xffffffffu}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(XyzColor)), D3D_OK);
  const std::vector<std::string> rows = Coverage();
  // Above the far tip's row (y = 10) nothing; at row 14 (depth 4/3) the
  // floor spans |x - 8| < 3.2 pixels.
  for (int y = 0; y < 10; ++y) EXPECT_EQ(rows[y], "................") << y;
  EXPECT_EQ(rows[14], ".....#######....");
  // Every lower row is covered in its middle: the part in front of the
  // eye survived clipping.
  for (int y = 11; y < 16; ++y) EXPECT_EQ(rows[y][8], '#') << y;
}

TEST_F(Pipeline3DTest, DepthCompareFunctions) {
  struct Case {
    DWORD func;
    bool less, equal, greater;  // drawn when the new depth is less, equal, greater
  } cases[] = {
      {D3DCMP_NEVER, false, false, false},    {D3DCMP_LESS, true, false, false},
      {D3DCMP_EQUAL, false, true, false},     {D3DCMP_LESSEQUAL, true, true, false},
      {D3DCMP_GREATER, false, false, true},   {D3DCMP_NOTEQUAL, true, false, true},
      {D3DCMP_GREATEREQUAL, false, true, true}, {D3DCMP_ALWAYS, true, true, true},
  };
  auto quad = [&](float z, D3DCOLOR c) {
    const TLVertex v[4] = {{0, 0, z, 1, c, 0, 0}, {16, 0, z, 1, c, 0, 0}, {0, 16, z, 1, c, 0, 0}, {16, 16, z, 1, c, 0, 0}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex)), D3D_OK);
  };
  for (const Case& c : cases) {
    const float zs[3] = {0.25f, 0.5f, 0.75f};
    const bool want[3] = {c.less, c.equal, c.greater};
    for (int i = 0; i < 3; ++i) {
      dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000u, 1.f, 0);
      dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
      quad(0.5f, 0xff000080u);  // depth 0.5 everywhere
      dev_->SetRenderState(D3DRS_ZFUNC, c.func);
      quad(zs[i], 0xffffffffu);
      EXPECT_EQ(Pixel(5, 5), want[i] ? 0xffffffffu : 0xff000080u) << c.func << " at " << zs[i];
    }
  }
  // Depth writes off keep the old depth.
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000u, 1.f, 0);
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  dev_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  quad(0.25f, 0xff00ff00u);
  quad(0.5f, 0xffff0000u);
  EXPECT_EQ(Pixel(5, 5), 0xffff0000u);
}

TEST_F(Pipeline3DTest, StencilTestAndOperations) {
  dev_->Clear(0, nullptr, D3DCLEAR_STENCIL | D3DCLEAR_ZBUFFER, 0, 1.f, 1);
  dev_->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  dev_->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  dev_->SetRenderState(D3DRS_STENCILREF, 1);
  dev_->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
  DrawQuad(0, 0, 8, 16, 0xffff0000u);  // left half: stencil 1 -> 2
  EXPECT_EQ(Pixel(2, 2), 0xffff0000u);
  DrawQuad(0, 0, 16, 16, 0xff00ff00u);  // only the right half still equals 1
  EXPECT_EQ(Pixel(2, 2), 0xffff0000u);
  EXPECT_EQ(Pixel(12, 2), 0xff00ff00u);
  // Now left 2, right 2: a reference of 2 passes everywhere; the fail
  // operation applies where the test fails.
  dev_->SetRenderState(D3DRS_STENCILREF, 2);
  dev_->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  DrawQuad(0, 0, 16, 16, 0xff0000ffu);
  EXPECT_EQ(Pixel(2, 2), 0xff0000ffu);
  EXPECT_EQ(Pixel(12, 2), 0xff0000ffu);
  dev_->SetRenderState(D3DRS_STENCILREF, 5);
  dev_->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_REPLACE);
  DrawQuad(0, 0, 4, 16, 0xffffffffu);  // fails, writes 5 on the left quarter
  dev_->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
  DrawQuad(0, 0, 16, 16, 0xffffff00u);
  EXPECT_EQ(Pixel(2, 2), 0xffffff00u);
  EXPECT_EQ(Pixel(6, 2), 0xff0000ffu);
  // The depth-fail operation, with a masked comparison and write mask.
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL | D3DCLEAR_ZBUFFER, 0xff000000u, 0.f, 0x10);
  dev_->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  dev_->SetRenderState(D3DRS_STENCILMASK, 0x0f);
  dev_->SetRenderState(D3DRS_STENCILREF, 0);
  dev_->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_INVERT);
  dev_->SetRenderState(D3DRS_STENCILWRITEMASK, 0x03);
  DrawQuad(0, 0, 16, 16, 0xffffffffu);  // depth 0 passes LESSEQUAL against the cleared 0; stencil kept
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  DrawQuad(0, 0, 16, 16, 0xffffffffu);  // depth fails: stencil 0x10 -> 0x13
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  dev_->SetRenderState(D3DRS_STENCILREF, 3);
  Clear(0xff000000u);
  DrawQuad(0, 0, 16, 16, 0xff00ff00u);  // (0x13 & 0x0f) == 3
  EXPECT_EQ(Pixel(8, 8), 0xff00ff00u);
}

TEST_F(Pipeline3DTest, TwoSidedStencilUsesTheCounterClockwiseStateForBackFaces) {
  dev_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.f, 0);
  dev_->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  dev_->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, TRUE);
  dev_->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
  dev_->SetRenderState(D3DRS_CCW_STENCILPASS, D3DSTENCILOP_DECR);
  // Clockwise on the left half, counter-clockwise on the right.
  const TLVertex cw[3] = {{0, 0, 0, 1, 0xffffffffu, 0, 0}, {8, 0, 0, 1, 0xffffffffu, 0, 0}, {0, 16, 0, 1, 0xffffffffu, 0, 0}};
  const TLVertex ccw[3] = {{16, 0, 0, 1, 0xffffffffu, 0, 0}, {8, 0, 0, 1, 0xffffffffu, 0, 0}, {16, 16, 0, 1, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, sizeof(TLVertex)), D3D_OK);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof(TLVertex)), D3D_OK);
  // Stencil is now 1 on the left and 255 on the right.
  dev_->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, FALSE);
  dev_->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  dev_->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  dev_->SetRenderState(D3DRS_STENCILREF, 1);
  DrawQuad(0, 0, 16, 16, 0xffff0000u);
  dev_->SetRenderState(D3DRS_STENCILREF, 255);
  DrawQuad(0, 0, 16, 16, 0xff00ff00u);
  EXPECT_EQ(Pixel(1, 1), 0xffff0000u);
  EXPECT_EQ(Pixel(14, 1), 0xff00ff00u);
}

TEST_F(Pipeline3DTest, PointSizeScalingAndSprites) {
  struct PV {
    float x, y, z, rhw;
    float size;
    D3DCOLOR color;
  };
  dev_->SetFVF(D3DFVF_XYZRHW | D3DFVF_PSIZE | D3DFVF_DIFFUSE);
  const PV p = {8, 8, 0.5f, 1, 4.f, 0xffffffffu};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &p, sizeof p), D3D_OK);
  std::vector<std::string> rows = Coverage();
  EXPECT_EQ(rows[5], "................");
  for (int y = 6; y < 10; ++y) EXPECT_EQ(rows[y], "......####......") << y;
  // POINTSIZE_MAX limits the per-vertex size.
  Clear(0xff000000u);
  dev_->SetRenderState(D3DRS_POINTSIZE_MAX, F(2.f));
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &p, sizeof p), D3D_OK);
  rows = Coverage();
  EXPECT_EQ(rows[7], ".......##.......");
  EXPECT_EQ(rows[6], "................");
  dev_->SetRenderState(D3DRS_POINTSIZE_MAX, F(64.f));

  // Sprites: texture coordinates cover the square, texel i on pixel i.
  IDirect3DTexture9* t = MakeTexture(4, 4, [](UINT x, UINT y) { return 0xff000000u | (x * 0x40u << 16) | (y * 0x40u); });
  dev_->SetTexture(0, t);
  dev_->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  Clear(0xff000000u);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &p, sizeof p), D3D_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(Pixel(6 + x, 6 + y), 0xff000000u | (x * 0x40u << 16) | (y * 0x40u)) << x << "," << y;
  dev_->SetTexture(0, nullptr);
  t->Release();
  dev_->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);

  // Scaling: size * viewport height * sqrt(1 / (A + B d + C d^2)); with
  // C = 1 and the point 2 units away, 1 * 16 / 2 = 8 pixels.
  dev_->SetFVF(kXyzColorFvf);
  dev_->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
  dev_->SetRenderState(D3DRS_POINTSCALE_A, F(0.f));
  dev_->SetRenderState(D3DRS_POINTSCALE_C, F(1.f));
  D3DMATRIX proj = Identity();
  proj._33 = 0.1f;  // keep z = 2 inside the clip volume
  dev_->SetTransform(D3DTS_PROJECTION, &proj);
  const XyzColor sp = {0, 0, 2.f, 0xffffffffu};
  Clear(0xff000000u);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &sp, sizeof sp), D3D_OK);
  rows = Coverage();
  EXPECT_EQ(rows[8], "....########....");
  EXPECT_EQ(rows[3], "................");
  EXPECT_EQ(rows[4], "....########....");
  // POINTSIZE_MIN raises the scaled size.
  dev_->SetRenderState(D3DRS_POINTSIZE_MIN, F(12.f));
  Clear(0xff000000u);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &sp, sizeof sp), D3D_OK);
  EXPECT_EQ(Coverage()[8], "..############..");
}

// ---------------------------------------------------------------------------
// Vertex blending.
// ---------------------------------------------------------------------------

TEST_F(Pipeline3DTest, VertexBlendingWithTwoMatrices) {
  struct BV {
    float x, y, z;
    float beta;
    D3DCOLOR color;
  };
  dev_->SetFVF(D3DFVF_XYZB1 | D3DFVF_DIFFUSE);
  const D3DMATRIX w0 = Translation(0.75f, 0, 0), w1 = Translation(-0.5f, 0.5f, 0);
  dev_->SetTransform(D3DTS_WORLDMATRIX(0), &w0);
  dev_->SetTransform(D3DTS_WORLDMATRIX(1), &w1);
  dev_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
  // Weight 0.5 for world 0 and the rest for world 1: x = 0.125, y = 0.25.
  const BV v = {0, 0, 0.5f, 0.5f, 0xffffffffu};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
  EXPECT_EQ(Pixel(9, 6), 0xffffffffu);
  // Weight 1: world 0 only.
  Clear(0xff000000u);
  const BV v1 = {0, 0, 0.5f, 1.f, 0xffffffffu};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v1, sizeof v1), D3D_OK);
  EXPECT_EQ(Pixel(14, 8), 0xffffffffu);
  // Blending off: the world matrix (world 0) alone.
  dev_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
  Clear(0xff000000u);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
  EXPECT_EQ(Pixel(14, 8), 0xffffffffu);
}

TEST_F(Pipeline3DTest, IndexedVertexBlendingPicksMatricesByIndex) {
  struct IV {
    float x, y, z;
    float beta;
    DWORD indices;
    D3DCOLOR color;
  };
  dev_->SetFVF(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_DIFFUSE);
  const D3DMATRIX a = Translation(0.5f, 0, 0), b = Translation(0, -0.5f, 0);
  dev_->SetTransform(D3DTS_WORLDMATRIX(3), &a);
  dev_->SetTransform(D3DTS_WORLDMATRIX(7), &b);
  dev_->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
  dev_->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
  // Indices 3 then 7, weights 0.5 each: (0.25, -0.25).
  const IV v = {0, 0, 0.5f, 0.5f, 0x00000703u, 0xffffffffu};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
  EXPECT_EQ(Pixel(10, 10), 0xffffffffu);
  // Indices packed as a D3DCOLOR: the first index is in red.
  dev_->SetFVF(D3DFVF_XYZB2 | D3DFVF_LASTBETA_D3DCOLOR | D3DFVF_DIFFUSE);
  const IV c = {0, 0, 0.5f, 1.f, 0x00030007u, 0xffffffffu};  // red 3 gets weight 1
  Clear(0xff000000u);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &c, sizeof c), D3D_OK);
  EXPECT_EQ(Pixel(12, 8), 0xffffffffu);
}

// ---------------------------------------------------------------------------
// Vertex declarations and vertex programs.
// ---------------------------------------------------------------------------

TEST_F(Pipeline3DTest, DrawingThroughAVertexDeclaration) {
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      D3DDECL_END()};
  IDirect3DVertexDeclaration9* decl = nullptr;
  ASSERT_EQ(dev_->CreateVertexDeclaration(elements, &decl), D3D_OK);
  D3DVERTEXELEMENT9 back[MAXD3DDECLLENGTH];
  UINT n = 0;
  ASSERT_EQ(decl->GetDeclaration(nullptr, &n), D3D_OK);
  EXPECT_EQ(n, 3u);
  ASSERT_EQ(decl->GetDeclaration(back, &n), D3D_OK);
  EXPECT_EQ(std::memcmp(back, elements, sizeof elements), 0);
  ASSERT_EQ(dev_->SetVertexDeclaration(decl), D3D_OK);
  const XyzColor tri[3] = {{-1, 1, 0.5f, 0xff00ff00u}, {1, 1, 0.5f, 0xff00ff00u}, {-1, -1, 0.5f, 0xff00ff00u}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(XyzColor)), D3D_OK);
  EXPECT_EQ(Pixel(2, 2), 0xff00ff00u);
  EXPECT_EQ(Pixel(14, 14), 0xff000000u);
  // A declaration the device cannot read is refused at creation or draw.
  const D3DVERTEXELEMENT9 two_streams[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
      {1, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
      D3DDECL_END()};
  IDirect3DVertexDeclaration9* bad = nullptr;
  ASSERT_EQ(dev_->CreateVertexDeclaration(two_streams, &bad), D3D_OK);
  ASSERT_EQ(dev_->SetVertexDeclaration(bad), D3D_OK);
  EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(XyzColor)), D3DERR_INVALIDCALL);
  dev_->SetVertexDeclaration(nullptr);
  bad->Release();
  decl->Release();
}

TEST_F(Pipeline3DTest, VertexProgramStandsInForAShader) {
  D3DCAPS9 caps;
  dev_->GetDeviceCaps(&caps);
  EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(1, 1));
  // Position offset by c0, colour from c1 times the vertex colour.
  static const DWORD* tokens = d3d9_program::RegisterVertexProgram(
      [](const d3d9_program::VertexInputs& in, d3d9_program::Constants c, d3d9_program::VertexOutputs& out) {
        for (int i = 0; i < 4; ++i) out.position[i] = in.position[i] + c[0][i];
        for (int i = 0; i < 4; ++i) out.diffuse[i] = in.color[0][i] * c[1][i];
      });
  ASSERT_NE(tokens, nullptr);
  EXPECT_TRUE(d3d9_program::IsVertexProgram(tokens));
  IDirect3DVertexShader9* vs = nullptr;
  ASSERT_EQ(dev_->CreateVertexShader(tokens, &vs), D3D_OK);
  UINT size = 0;
  ASSERT_EQ(vs->GetFunction(nullptr, &size), D3D_OK);
  EXPECT_GT(size, 0u);
  // Bytecode that names no program is refused.
  const DWORD other[] = {0xFFFE0101u, 0x0000FFFFu};
  IDirect3DVertexShader9* none = nullptr;
  EXPECT_EQ(dev_->CreateVertexShader(other, &none), D3DERR_INVALIDCALL);
  EXPECT_EQ(none, nullptr);

  dev_->SetFVF(kXyzColorFvf);
  ASSERT_EQ(dev_->SetVertexShader(vs), D3D_OK);
  const float c0[4] = {0.5f, -0.5f, 0.f, 0.f}, c1[4] = {1.f, 0.5f, 0.f, 1.f};
  ASSERT_EQ(dev_->SetVertexShaderConstantF(0, c0, 1), D3D_OK);
  ASSERT_EQ(dev_->SetVertexShaderConstantF(1, c1, 1), D3D_OK);
  float back[8];
  ASSERT_EQ(dev_->GetVertexShaderConstantF(0, back, 2), D3D_OK);
  EXPECT_EQ(back[4], 1.f);
  EXPECT_EQ(back[5], 0.5f);
  const XyzColor v = {0, 0, 0.5f, 0xffffffffu};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
  EXPECT_EQ(Pixel(12, 12), 0xffff8000u);
  // Constants changed between draws take effect.
  const float c0b[4] = {-0.5f, 0.5f, 0.f, 0.f};
  dev_->SetVertexShaderConstantF(0, c0b, 1);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
  EXPECT_EQ(Pixel(4, 4), 0xffff8000u);
  // No shader: fixed function again.
  dev_->SetVertexShader(nullptr);
  Clear(0xff000000u);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
  EXPECT_EQ(Pixel(8, 8), 0xffffffffu);
  vs->Release();
}

TEST_F(Pipeline3DTest, SoftwareVertexProcessingOnAMixedDevice) {
  // The fixture's device uses hardware processing: only that setting is allowed.
  EXPECT_EQ(dev_->SetSoftwareVertexProcessing(FALSE), D3D_OK);
  EXPECT_EQ(dev_->SetSoftwareVertexProcessing(TRUE), D3DERR_INVALIDCALL);
  IDirect3DDevice9* mixed = nullptr;
  D3DPRESENT_PARAMETERS pp = WindowedParams(16, 16);
  dev_->EndScene();
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &mixed), D3D_OK);
  EXPECT_EQ(mixed->SetSoftwareVertexProcessing(TRUE), D3D_OK);
  EXPECT_EQ(mixed->GetSoftwareVertexProcessing(), TRUE);
  EXPECT_EQ(mixed->Release(), 0u);
  dev_->BeginScene();
}

// Big draws share rows with the worker thread; the picture is the same as
// one thread draws it, depth, fog, blending and all.
TEST(WorkerThread, SharedDrawsGiveTheSamePicture) {
  auto render = [](bool worker) {
    d3d9_hooks::SetWorkerThread(worker);
    SetClientPixelsSize(TestWindow(), 96, 80);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp = WindowedParams(96, 80, D3DFMT_X8R8G8B8, true);
    IDirect3DDevice9* dev = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    dev->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    dev->SetRenderState(D3DRS_FOGSTART, F(0.2f));
    dev->SetRenderState(D3DRS_FOGEND, F(1.f));
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetFVF(kXyzColorFvf);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff102030u, 1.f, 0);
    dev->BeginScene();
    std::vector<XyzColor> v(3 * 400);
    std::uint32_t seed = 12345;
    auto rnd = [&] {
      seed = seed * 1664525u + 1013904223u;
      return static_cast<float>(seed >> 8) / 16777216.f;
    };
    for (XyzColor& p : v) p = {rnd() * 2.4f - 1.2f, rnd() * 2.4f - 1.2f, rnd(), 0x80000000u | (static_cast<DWORD>(rnd() * 16777215.f))};
    EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 400, v.data(), sizeof(XyzColor)), D3D_OK);
    EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_LINELIST, 600, v.data(), sizeof(XyzColor)), D3D_OK);
    dev->SetRenderState(D3DRS_POINTSIZE, F(3.f));
    EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_POINTLIST, 1200, v.data(), sizeof(XyzColor)), D3D_OK);
    dev->EndScene();
    IDirect3DSurface9* rt = nullptr;
    dev->GetRenderTarget(0, &rt);
    IDirect3DSurface9* copy = nullptr;
    dev->CreateOffscreenPlainSurface(96, 80, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
    dev->GetRenderTargetData(rt, copy);
    D3DLOCKED_RECT lr;
    copy->LockRect(&lr, nullptr, D3DLOCK_READONLY);
    std::vector<std::uint32_t> px(96 * 80);
    for (int y = 0; y < 80; ++y) std::memcpy(&px[y * 96], static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, 96 * 4);
    copy->UnlockRect();
    copy->Release();
    rt->Release();
    dev->Release();
    d3d->Release();
    ReleaseClientPixels(TestWindow());
    d3d9_hooks::SetWorkerThread(true);
    return px;
  };
  const std::vector<std::uint32_t> one = render(false), two = render(true);
  EXPECT_EQ(one, two);
  int drawn = 0;
  for (std::uint32_t c : one) drawn += c != 0xff102030u;
  EXPECT_GT(drawn, 96 * 80 / 2);
}

}  // namespace
}  // namespace d3d9_test
