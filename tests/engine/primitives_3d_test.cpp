// 3D primitives, 3D lists, light, fog and sprites: what they write and what
// they ask of the device.
#include <cstring>

#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

float FloatOf(DWORD bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

TEST_F(EngineTest, ImmediateTrianglesSwitchTo3DOnlyFrom2D) {
  Vorn& e = StartEngine();
  e.BeginScene();
  e.DrawLine(0, 0, 1, 1, 1, 1, 1, 1);
  d3d9_hooks::SetCallTrace(true);
  e.DrawPoly3DImmediate(0, 0, -5, 1, 0, -5, 0, 1, -5, 1, 0, 0, 1);
  EXPECT_FALSE(e.m_b2DViewActive);
  DWORD fvf = 0;
  e.m_pD3DDevice->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x1D2u);
  const std::size_t transforms = d3d9_hooks::CallCount("SetTransform");
  EXPECT_EQ(transforms, 1u);  // the projection
  e.DrawLitPoly3DImmediate(0, 0, -5, 1, 0, -5, 0, 1, -5, 0, 0, 1, 1, 1, 1, 1, 0.5f, 0.5f, 0.5f, 1);
  EXPECT_EQ(d3d9_hooks::CallCount("SetTransform"), transforms);
  EXPECT_EQ(d3d9_hooks::CallCount("DrawPrimitive"), 2u);
  e.EndScene();
  const Vertex3D* v = reinterpret_cast<const Vertex3D*>(e.m_p3DVerts);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(v[i].specular, 0xFFFFFFFFu);
    EXPECT_EQ(v[i].diffuse, 0xFF808080u);
    EXPECT_EQ(v[i].nz, 1.0f);
  }
}

TEST_F(EngineTest, ThreeDListsHoldTheirTrianglesAndColours) {
  Vorn& e = MakeEngine();
  Render r{};
  r.Allocate3D();
  e.PreparePoly3D(r, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 0.5f, 0, 1);
  EXPECT_EQ(r.verts3D[1].diffuse, 0xFFFF8000u);
  EXPECT_EQ(r.verts3D[1].specular, 0xFFFF8000u);
  EXPECT_EQ(r.verts3D[1].u, 1.0f);
  for (int i = 0; i < 6000; ++i) e.PrepareTriLitPoly3D(r, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1,
                                                      0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(r.count3D, 5459 * 3);
  EXPECT_EQ(r.verts3D[5].nx, 1.0f);  // the third vertex's own normal
  r.Free();
}

TEST_F(EngineTest, LightFogAndSpritesSetTheirStates) {
  Vorn& e = StartEngine();
  const float white[4] = {1, 1, 1, 1};
  const float grey[4] = {0.2f, 0.2f, 0.2f, 1};
  const D3DVECTOR position = {5, 6, 7};
  const D3DVECTOR direction = {0, -1, 0};
  e.SetLight(D3DLIGHT_DIRECTIONAL, white, white, grey, 40.0f, &position, &direction, 1000, 1, 0, 0);
  EXPECT_EQ(e.m_Light.Position.x, 0.0f);
  EXPECT_EQ(e.m_Light.Direction.y, -1.0f);
  EXPECT_EQ(e.m_Material.Power, 40.0f);
  e.SetLight(D3DLIGHT_POINT, white, white, grey, 10.0f, &position, &direction, 1000, 1, 0, 0);
  EXPECT_EQ(e.m_Light.Position.z, 7.0f);
  EXPECT_EQ(e.m_Light.Direction.y, 0.0f);

  IDirect3DDevice9* d = e.m_pD3DDevice;
  e.SetFog(50, 150, 0, 0, 0);
  DWORD v = 0;
  d->GetRenderState(D3DRS_FOGCOLOR, &v);
  EXPECT_EQ(v, 0xFF000000u);
  d->GetRenderState(D3DRS_FOGSTART, &v);
  EXPECT_EQ(FloatOf(v), 50.0f);
  d->GetRenderState(D3DRS_FOGVERTEXMODE, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DFOG_LINEAR));

  d3d9_hooks::SetCallTrace(true);
  e.BeginScene();
  e.DrawSprite(0, 0, -10, 8.0f, 1, 1, 1, 1);
  e.EndScene();
  std::vector<std::string> sizes;
  for (const auto& c : d3d9_hooks::CallTrace())
    if (c.method == "SetRenderState" && c.args.rfind("D3DRS_POINTSIZE,", 0) == 0) sizes.push_back(c.args);
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(sizes[0], "D3DRS_POINTSIZE, 1090519040");  // 8.0f
  EXPECT_EQ(sizes[1], "D3DRS_POINTSIZE, 0");
  EXPECT_EQ(d3d9_hooks::CallCount("DrawPrimitive"), 1u);
  EXPECT_EQ(e.m_fSpriteSize, 8.0f);
}

}  // namespace
}  // namespace engine_test
