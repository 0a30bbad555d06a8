// The 3D tests' common frame over time: the camera follows the clock, not
// the frame rate; re-selecting rebuilds a list and keeps the angle; the lit
// variants move their light; "Scale Sprites" halves the sprites.
#include <cstring>

#include "tests/app/cases/cases_3d_fixture.h"

namespace app_test {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The difference of two angles taken modulo 2 pi, in (-pi, pi].
double AngleStep(double from, double to) { return std::remainder(to - from, 2.0 * kPi); }

// The first vertex the 3D buffer holds.
Vertex3D FirstBufferedVertex() {
  Vertex3D v{};
  void* data = nullptr;
  if (SUCCEEDED(g_Engine.m_p3DVB->Lock(0, sizeof v, &data, D3DLOCK_READONLY)) && data) {
    std::memcpy(&v, data, sizeof v);
    g_Engine.m_p3DVB->Unlock();
  }
  return v;
}

TEST_F(Tests3DTest, TheCameraTurnsWithWallClockTimeNotWithFrames) {
  Select(kPoints);
  Frame();
  Frame(1000);
  const double before = OrbitAngle(View());
  Frame(0);  // shows the second frame's advance
  EXPECT_NEAR(AngleStep(before, OrbitAngle(View())), 0.25, 1e-4);

  // The same second in four frames turns the camera as far.
  const double start = OrbitAngle(View());
  for (int i = 0; i < 4; ++i) Frame(250);
  Frame(0);
  EXPECT_NEAR(AngleStep(start, OrbitAngle(View())), 0.25, 1e-4);

  // Frames without time between them leave it where it is.
  const double still = OrbitAngle(View());
  for (int i = 0; i < 5; ++i) Frame(0);
  EXPECT_NEAR(AngleStep(still, OrbitAngle(View())), 0.0, 1e-6);
}

TEST_F(Tests3DTest, TheImmediatePolygonsTurnTwiceAsFast) {
  Select(kImmediatePolys[0]);
  Frame();
  Frame(1000);
  const double before = OrbitAngle(View());
  Frame(0);
  EXPECT_NEAR(AngleStep(before, OrbitAngle(View())), 0.5, 1e-4);
}

TEST_F(Tests3DTest, ReselectingRebuildsTheListButKeepsTheAngle) {
  Select(kPoints);
  Frame();
  const Vertex3D first = FirstBufferedVertex();
  Frame(2000);
  Frame(0);
  const double angle = OrbitAngle(View());

  Select(kPoints);
  TracedFrame(0);
  EXPECT_NEAR(AngleStep(angle, OrbitAngle(View())), 0.0, 1e-6);
  const Vertex3D again = FirstBufferedVertex();
  EXPECT_FALSE(first.x == again.x && first.y == again.y && first.z == again.z &&
               first.diffuse == again.diffuse);
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_POINTLIST, 0, 16370)"), 2);
}

// The device forgets buffers, textures and material across the reset of a
// resolution change; the next frame sets the test up again.
TEST_F(Tests3DTest, AResolutionChangeMakesTheNextFrameSetUpAgain) {
  auto changeResolution = [](int width, int height) {
    g_Engine.SetRez(width, height);
    g_Harness.resolutionWidth = width;
    g_Harness.resolutionHeight = height;
  };
  Select(kPoints);
  Frame();
  changeResolution(640, 480);
  TracedFrame();
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 1u);
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_POINTLIST, 0, 16370)"), 2);
  EXPECT_NE(FirstBufferedVertex().diffuse, 0u);
  TracedFrame();
  EXPECT_EQ(d3d9_hooks::CallCount("Lock"), 0u);

  Select(kRenderPolys[3]);
  Frame();
  changeResolution(1024, 768);
  Frame();
  IDirect3DBaseTexture9* bound = nullptr;
  g_Engine.m_pD3DDevice->GetTexture(0, &bound);
  EXPECT_NE(bound, nullptr);
  if (bound) bound->Release();
  D3DMATERIAL9 material{};
  g_Engine.m_pD3DDevice->GetMaterial(&material);
  EXPECT_EQ(material.Power, 40.0f);
}

TEST_F(Tests3DTest, LitVariantsMoveTheirLightWithTime) {
  for (UINT id : {kImmediatePolys[2], kRenderPolys[4]}) {
    SCOPED_TRACE(id);
    Select(id);
    Frame();
    const D3DVECTOR before = g_Engine.m_Light.Position;
    Frame(1500);
    Frame(0);
    const D3DVECTOR after = g_Engine.m_Light.Position;
    EXPECT_TRUE(before.x != after.x || before.y != after.y);
    EXPECT_EQ(after.z, 20.0f);
    EXPECT_LE(std::fabs(after.x), 20.0f);
    EXPECT_LE(std::fabs(after.y), 60.0f);
    D3DLIGHT9 device{};
    g_Engine.m_pD3DDevice->GetLight(0, &device);
    EXPECT_EQ(device.Position.x, after.x);
    EXPECT_EQ(device.Type, D3DLIGHT_POINT);
    // The lit eye looks along the z axis from z = 100.
    EXPECT_NEAR(OrbitAngle(View()), 0.0, 1e-6);
  }
}

TEST_F(Tests3DTest, ScaleSpritesHalvesTheSpriteSize) {
  auto bits = [](float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return std::to_string(d);
  };
  g_Engine.SetPointScaling(false);
  Select(kSprites);
  TracedFrame();
  EXPECT_EQ(g_Engine.m_fSpriteSize, 10.0f);
  EXPECT_EQ(Calls("SetRenderState(D3DRS_POINTSIZE, " + bits(10.0f) + ")"), 100);

  g_Engine.SetPointScaling(true);
  TracedFrame();
  EXPECT_EQ(g_Engine.m_fSpriteSize, 5.0f);
  EXPECT_EQ(Calls("SetRenderState(D3DRS_POINTSIZE, " + bits(10.0f) + ")"), 0);
  EXPECT_EQ(Calls("DrawPrimitive(D3DPT_POINTLIST, 0, 1)"), 100);
}

}  // namespace
}  // namespace app_test
