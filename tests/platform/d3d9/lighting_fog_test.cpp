// The fixed-function vertex stage: lighting (directional, point, spot;
// ambient, diffuse, specular; attenuation and range; material colour
// sources), vertex and table fog, and pre-transformed fog through the
// specular alpha. Lit points take exactly their vertex colour, so most
// cases draw one point with identity transforms and read one pixel;
// expected values follow the documented equations, to within one step of
// rounding where stated.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

struct LitVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR color;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

D3DCOLORVALUE Col(float r, float g, float b, float a = 1.f) { return {r, g, b, a}; }

int Chan(std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xff); }

// Channel values r, g, b of `c` are within `tol` of the expected ones.
::testing::AssertionResult Near(std::uint32_t c, int r, int g, int b, int tol = 1) {
  if (std::abs(Chan(c, 16) - r) <= tol && std::abs(Chan(c, 8) - g) <= tol && std::abs(Chan(c, 0) - b) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::hex << "got 0x" << c << std::dec << ", expected (" << r << ", " << g
                                       << ", " << b << ") +-" << tol;
}

class LightingTest : public DeviceTest {
 protected:
  void SetUp() override {
    Create(16, 16);
    dev_->SetRenderState(D3DRS_LIGHTING, TRUE);
    dev_->SetFVF(kLitFvf);
    D3DMATERIAL9 m{};
    m.Diffuse = Col(1, 1, 1);
    dev_->SetMaterial(&m);
    // Colours from the material unless a case says otherwise.
    dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  }

  // Draws one lit point at (x, y, z) with the given normal; returns its
  // pixel (identity transforms: x, y in -1..1 map across the target).
  std::uint32_t LitPoint(float x, float y, float z, float nx, float ny, float nz, D3DCOLOR c = 0xffffffffu) {
    Clear(0xff000000u);
    LitVertex v{x, y, z, nx, ny, nz, c};
    EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
    const int px = static_cast<int>((1.f + x) * 8.f), py = static_cast<int>((1.f - y) * 8.f);
    return Pixel(px, py);
  }

  void SetLight(const D3DLIGHT9& l) {
    ASSERT_EQ(dev_->SetLight(0, &l), D3D_OK);
    ASSERT_EQ(dev_->LightEnable(0, TRUE), D3D_OK);
  }

  static D3DLIGHT9 Directional(float dx, float dy, float dz) {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = Col(1, 1, 1);
    l.Direction = {dx, dy, dz};
    return l;
  }

  static D3DLIGHT9 Point(float x, float y, float z, float range) {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = Col(1, 1, 1);
    l.Position = {x, y, z};
    l.Range = range;
    l.Attenuation0 = 1.f;
    return l;
  }
};

TEST_F(LightingTest, DirectionalDiffuseAmbientAndEmissive) {
  // No light enabled: global ambient times the material ambient, plus emissive.
  D3DMATERIAL9 m{};
  m.Diffuse = Col(1.f, 0.5f, 0.25f, 0.5f);
  m.Ambient = Col(1, 1, 1);
  m.Emissive = Col(0, 0, 0.25f);
  dev_->SetMaterial(&m);
  dev_->SetRenderState(D3DRS_AMBIENT, 0x00202020u);
  std::uint32_t c = LitPoint(0, 0, 0.5f, 0, 0, -1);
  EXPECT_TRUE(Near(c, 32, 32, 96));

  // A light shining along +z onto a normal facing -z: full diffuse.
  SetLight(Directional(0, 0, 1));
  c = LitPoint(0, 0, 0.5f, 0, 0, -1);
  EXPECT_TRUE(Near(c, 255, 160, 160));  // 32 + 255, 32 + 128, 32 + 64 + 64
  // At 60 degrees the diffuse term halves.
  dev_->SetRenderState(D3DRS_AMBIENT, 0);
  m.Emissive = Col(0, 0, 0);
  dev_->SetMaterial(&m);
  const float s = std::sin(3.14159265f / 3.f), k = std::cos(3.14159265f / 3.f);
  c = LitPoint(0, 0, 0.5f, 0, s, -k);
  EXPECT_TRUE(Near(c, 128, 64, 32));
  // Facing away: no diffuse at all.
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, 1), 0, 0, 0, 0));
  // A light's own ambient adds to the global one.
  D3DLIGHT9 l = Directional(0, 0, 1);
  l.Diffuse = Col(0, 0, 0);
  l.Ambient = Col(0.5f, 0.5f, 0.5f);
  SetLight(l);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 128, 128, 128));
  // A disabled light gives nothing.
  dev_->LightEnable(0, FALSE);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 0, 0, 0, 0));
}

TEST_F(LightingTest, PointLightAttenuationAndRange) {
  // Light 2 units in front of the point: 1 / (1 + 0.5 d) = 1 / 2.
  D3DLIGHT9 l = Point(0, 0, -1.5f, 10.f);
  l.Attenuation1 = 0.5f;
  SetLight(l);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 128, 128, 128));
  // Quadratic: 1 / (1 + 0.25 d^2) = 1 / 2.
  l.Attenuation1 = 0.f;
  l.Attenuation2 = 0.25f;
  SetLight(l);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 128, 128, 128));
  // Out of range: nothing.
  l.Range = 1.9f;
  SetLight(l);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 0, 0, 0, 0));
  // The direction to a point light depends on the vertex: a light beside
  // the point at 45 degrees to the normal.
  l = Point(1.f, 0, -0.5f, 10.f);
  SetLight(l);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 180, 180, 180));  // cos 45 * 255
}

TEST_F(LightingTest, SpotConeInsideBetweenAndOutside) {
  D3DLIGHT9 l{};
  l.Type = D3DLIGHT_SPOT;
  l.Diffuse = Col(1, 1, 1);
  l.Position = {0, 0, -1.5f};
  l.Direction = {0, 0, 1};
  l.Range = 10.f;
  l.Attenuation0 = 1.f;
  l.Theta = 0.2f;
  l.Phi = 0.6f;
  l.Falloff = 1.f;
  SetLight(l);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 255, 255, 255));  // on the axis
  // At angle a off the axis: (cos a - cos(phi/2)) / (cos(theta/2) - cos(phi/2)) times cos a from the normal.
  const float a = std::atan2(0.5f, 2.f);
  const float spot = (std::cos(a) - std::cos(0.3f)) / (std::cos(0.1f) - std::cos(0.3f));
  const int want = static_cast<int>(255.f * spot * std::cos(a) + 0.5f);
  EXPECT_TRUE(Near(LitPoint(0.5f, 0, 0.5f, 0, 0, -1), want, want, want));
  EXPECT_TRUE(Near(LitPoint(0.875f, 0, 0.5f, 0, 0, -1), 0, 0, 0, 0));  // outside the outer cone
}

TEST_F(LightingTest, SpecularWithPowerAndSpecularEnable) {
  D3DMATERIAL9 m{};
  m.Specular = Col(1, 1, 1);
  m.Power = 10.f;
  dev_->SetMaterial(&m);
  SetLight([] {
    D3DLIGHT9 l = Directional(0, 0, 1);
    l.Diffuse = Col(0, 0, 0);
    l.Specular = Col(1, 1, 1);
    return l;
  }());
  // Normal tilted 30 degrees: the halfway vector is the view direction, so
  // the highlight is cos(30)^10.
  const float s = std::sin(3.14159265f / 6.f), k = std::cos(3.14159265f / 6.f);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, s, -k), 0, 0, 0, 0));  // specular off
  dev_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  const int want = static_cast<int>(255.f * std::pow(k, 10.f) + 0.5f);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, s, -k), want, want, want));
  // Higher power, narrower highlight.
  m.Power = 40.f;
  dev_->SetMaterial(&m);
  const int want40 = static_cast<int>(255.f * std::pow(k, 40.f) + 0.5f);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, s, -k), want40, want40, want40));
  // The specular colour adds to the diffuse one after texturing.
  m.Diffuse = Col(0.25f, 0.25f, 0.25f);
  dev_->SetMaterial(&m);
  D3DLIGHT9 l = Directional(0, 0, 1);
  l.Specular = Col(1, 1, 1);
  SetLight(l);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 255, 255, 255));  // 64 + 255, saturated
  m.Specular = Col(0.25f, 0, 0);
  dev_->SetMaterial(&m);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1), 128, 64, 64));
}

TEST_F(LightingTest, NormalizeNormalsAndMaterialSources) {
  SetLight(Directional(0, 0, 1));
  // A normal of length 0.5 lights at half strength unless normalised.
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -0.5f), 128, 128, 128));
  dev_->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -0.5f), 255, 255, 255));
  // A scaled world matrix scales the normal too; normalising undoes it.
  D3DMATRIX w{};
  w._11 = w._22 = w._33 = 0.5f;
  w._44 = 1.f;
  dev_->SetTransform(D3DTS_WORLD, &w);
  EXPECT_TRUE(Near(LitPoint(0, 0, 1.f, 0, 0, -1), 255, 255, 255));
  dev_->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  D3DMATRIX id{};
  id._11 = id._22 = id._33 = id._44 = 1.f;
  dev_->SetTransform(D3DTS_WORLD, &id);
  // The diffuse colour from the vertex (the default source).
  dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1, 0xff4080c0u), 0x40, 0x80, 0xc0));
  // From the material instead.
  dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1, 0xff4080c0u), 255, 255, 255));
  // D3DRS_COLORVERTEX off ignores vertex colours whatever the sources say.
  dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  dev_->SetRenderState(D3DRS_COLORVERTEX, FALSE);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1, 0xff4080c0u), 255, 255, 255));
  // Emissive from the vertex colour.
  dev_->SetRenderState(D3DRS_COLORVERTEX, TRUE);
  dev_->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
  dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  dev_->LightEnable(0, FALSE);
  EXPECT_TRUE(Near(LitPoint(0, 0, 0.5f, 0, 0, -1, 0xff4080c0u), 0x40, 0x80, 0xc0));
}

// ---------------------------------------------------------------------------
// Fog.
// ---------------------------------------------------------------------------

struct ColorVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  D3DCOLOR color;
};

class FogTest : public DeviceTest {
 protected:
  void SetUp() override {
    Create(16, 16);
    dev_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    dev_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    dev_->SetRenderState(D3DRS_FOGCOLOR, 0xff0000ffu);
  }
  static DWORD F(float f) {
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
  }
  std::uint32_t FoggedPoint(float x, float y, float z) {
    Clear(0xff000000u);
    ColorVertex v{x, y, z, 0xffffffffu};
    EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &v, sizeof v), D3D_OK);
    return Pixel(static_cast<int>((1.f + x) * 8.f), static_cast<int>((1.f - y) * 8.f));
  }
};

TEST_F(FogTest, LinearExpAndExp2VertexFog) {
  dev_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  dev_->SetRenderState(D3DRS_FOGSTART, F(0.f));
  dev_->SetRenderState(D3DRS_FOGEND, F(1.f));
  // Fog factor f = (end - d) / (end - start); colour f * c + (1 - f) * fog.
  EXPECT_TRUE(Near(FoggedPoint(0, 0, 0.25f), 191, 191, 255));
  EXPECT_TRUE(Near(FoggedPoint(0, 0, 0.75f), 64, 64, 255));
  dev_->SetRenderState(D3DRS_FOGSTART, F(0.5f));
  EXPECT_TRUE(Near(FoggedPoint(0, 0, 0.25f), 255, 255, 255));  // before the start: no fog
  dev_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP);
  dev_->SetRenderState(D3DRS_FOGDENSITY, F(2.f));
  int want = static_cast<int>(255.f * std::exp(-0.5f * 2.f) + 0.5f);
  EXPECT_TRUE(Near(FoggedPoint(0, 0, 0.5f), want, want, 255));
  dev_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP2);
  want = static_cast<int>(255.f * std::exp(-1.f) + 0.5f);
  EXPECT_TRUE(Near(FoggedPoint(0, 0, 0.5f), want, want, 255));
  // Fog off: the colour is untouched.
  dev_->SetRenderState(D3DRS_FOGENABLE, FALSE);
  EXPECT_TRUE(Near(FoggedPoint(0, 0, 0.5f), 255, 255, 255, 0));
}

TEST_F(FogTest, RangeFogMeasuresDistanceToTheEye) {
  dev_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  dev_->SetRenderState(D3DRS_FOGSTART, F(0.f));
  dev_->SetRenderState(D3DRS_FOGEND, F(2.f));
  // At (0.6, 0, 0.8): depth 0.8 gives f = 0.6, distance 1 gives f = 0.5.
  EXPECT_TRUE(Near(FoggedPoint(0.625f, 0, 0.8f), 153, 153, 255));
  dev_->SetRenderState(D3DRS_RANGEFOGENABLE, TRUE);
  const float d = std::sqrt(0.625f * 0.625f + 0.64f);
  const int want = static_cast<int>(255.f * (2.f - d) / 2.f + 0.5f);
  EXPECT_TRUE(Near(FoggedPoint(0.625f, 0, 0.8f), want, want, 255));
}

TEST_F(FogTest, PretransformedVerticesFogByTheirSpecularAlpha) {
  struct TLSpec {
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
  };
  dev_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
  const TLSpec v[4] = {{0, 0, 0.5f, 1, 0xffffffffu, 0x40000000u},
                       {16, 0, 0.5f, 1, 0xffffffffu, 0x40000000u},
                       {0, 16, 0.5f, 1, 0xffffffffu, 0xff000000u},
                       {16, 16, 0.5f, 1, 0xffffffffu, 0xff000000u}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLSpec)), D3D_OK);
  EXPECT_TRUE(Near(Pixel(4, 0), 64, 64, 255));      // factor 0x40 / 255 at the top
  EXPECT_TRUE(Near(Pixel(4, 8), 160, 160, 255, 2));  // halfway down: (64 + 255) / 2
  // The specular colour itself is added when specular is enabled.
  dev_->SetRenderState(D3DRS_FOGENABLE, FALSE);
  dev_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  const TLSpec w[3] = {{0, 0, 0.5f, 1, 0xff000000u, 0x00102030u},
                       {32, 0, 0.5f, 1, 0xff000000u, 0x00102030u},
                       {0, 32, 0.5f, 1, 0xff000000u, 0x00102030u}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, w, sizeof(TLSpec)), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0xff102030u);
}

TEST_F(FogTest, TableFogUsesDepthPerPixel) {
  dev_->SetFVF(kTLFvf);
  dev_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  dev_->SetRenderState(D3DRS_FOGSTART, F(0.f));
  dev_->SetRenderState(D3DRS_FOGEND, F(1.f));
  const TLVertex v[4] = {{0, 0, 0.f, 1, 0xffffffffu, 0, 0},
                         {16, 0, 0.f, 1, 0xffffffffu, 0, 0},
                         {0, 16, 1.f, 1, 0xffffffffu, 0, 0},
                         {16, 16, 1.f, 1, 0xffffffffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex)), D3D_OK);
  // Depth at row y is y / 16: fog factor 1 - y / 16.
  for (int y : {0, 4, 8, 12}) {
    const int want = static_cast<int>(255.f * (1.f - static_cast<float>(y) / 16.f) + 0.5f);
    EXPECT_TRUE(Near(Pixel(8, y), want, want, 255)) << y;
  }
}

}  // namespace
}  // namespace d3d9_test
