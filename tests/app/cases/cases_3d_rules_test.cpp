// The rules of the 3D cases read from the device: fog on set-up, the eyes
// and their paths, the light, the sprites' viewport, the random forms in
// their order, colours per cell or per row, and the states a lit case
// leaves for the plain render polygons.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/app/cases/cases_3d_fixture.h"
#include "tests/app/cases/cases_rules_helpers.h"

namespace app_test {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The three random forms: a coordinate, a bright channel, a channel.
float P(int r) { return static_cast<float>((r % 200 - 100) * 0.5); }
float K(int r) { return static_cast<float>((r % 100 + 100) / 200.0); }
float L(int r) { return static_cast<float>((r % 255) / 255.0); }

std::string Bits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof d);
  return std::to_string(d);
}

// Where a view matrix looks from: minus its translation in the view's axes.
D3DXVECTOR3 EyeOf(const D3DMATRIX& v) {
  const double tx = v._41, ty = v._42, tz = v._43;
  return D3DXVECTOR3(static_cast<float>(-(tx * v._11 + ty * v._12 + tz * v._13)),
                     static_cast<float>(-(tx * v._21 + ty * v._22 + tz * v._23)),
                     static_cast<float>(-(tx * v._31 + ty * v._32 + tz * v._33)));
}

// The view from `eye` at the origin with the up vector (0, -1, 0).
D3DXMATRIX LookingFrom(const D3DXVECTOR3& eye) {
  D3DXMATRIX m;
  const D3DXVECTOR3 at(0, 0, 0), up(0, -1, 0);
  D3DXMatrixLookAtRH(&m, &eye, &at, &up);
  return m;
}

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b, float tolerance = 1e-3f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(a.m[r][c] - b.m[r][c]) > tolerance) return false;
  return true;
}

D3DXVECTOR3 OrbitEye(double a) {
  return D3DXVECTOR3(static_cast<float>(100 * std::sin(a)), static_cast<float>(140 * std::sin(a / 3.2)),
                     static_cast<float>(100 * std::cos(a)));
}

// The whole angle of an orbit eye: its direction gives it modulo 2 pi, its
// height the turn.
double OrbitAngleOf(const D3DXVECTOR3& eye) {
  const double base = std::atan2(eye.x, eye.z);
  double best = 0, error = 1e9;
  for (int n = 0; n < 400; ++n) {
    const double a = base + 2 * kPi * n;
    if (a < 0) continue;
    const double e = std::fabs(140 * std::sin(a / 3.2) - eye.y);
    if (e < error) best = a, error = e;
  }
  return best;
}

D3DXVECTOR3 LitEye(double a) { return D3DXVECTOR3(0, static_cast<float>(140 * std::sin(a / 3.2)), 100); }
D3DVECTOR LightAt(double a) {
  return {static_cast<float>(20 * std::sin(2.7 * a)), static_cast<float>(60 * std::cos(a / 1.3)), 20.0f};
}

// The angle of a lit frame from its eye height and its light's place.
double LitAngleOf(const D3DXVECTOR3& eye, const D3DVECTOR& light) {
  const double s = std::asin(std::fmax(-1.0, std::fmin(1.0, eye.y / 140.0)));
  double best = 0, error = 1e9;
  for (int m = 0; m < 40; ++m)
    for (double t : {s, kPi - s}) {
      const double a = 3.2 * (t + 2 * kPi * m);
      if (a < 0) continue;
      const D3DVECTOR p = LightAt(a);
      const double e = std::fabs(p.x - light.x) + std::fabs(p.y - light.y);
      if (e < error) best = a, error = e;
    }
  return best;
}

std::vector<float> Numbers(const std::string& text) {
  std::vector<float> out;
  const char* p = text.c_str();
  while (*p) {
    char* end = nullptr;
    const float f = std::strtof(p, &end);
    if (end != p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-' || *p == '.')) {
      out.push_back(f);
      p = end;
    } else {
      ++p;
    }
  }
  return out;
}

class Tests3DRules : public Tests3DTest {
 protected:
  // A small back buffer and view for the tests that draw many frames; the
  // chosen resolution (and so the aspect) stays as it is.
  void SmallBackBuffer() {
    g_Engine.SetRez(160, 120);
    g_Harness.viewRect = {0, 0, 160, 120};
  }

  static DWORD State(D3DRENDERSTATETYPE s) {
    DWORD v = 0;
    g_Engine.m_pD3DDevice->GetRenderState(s, &v);
    return v;
  }

  // The index of the first (or last) traced call with this text, or -1.
  static int IndexOf(const std::vector<std::string>& trace, const std::string& text, bool last = false) {
    int found = -1;
    for (std::size_t i = 0; i < trace.size(); ++i)
      if (trace[i] == text) {
        found = static_cast<int>(i);
        if (!last) break;
      }
    return found;
  }
  static int IndexOfMethod(const std::vector<std::string>& trace, const std::string& method, bool last = false) {
    int found = -1;
    for (std::size_t i = 0; i < trace.size(); ++i)
      if (trace[i].rfind(method + "(", 0) == 0) {
        found = static_cast<int>(i);
        if (!last) break;
      }
    return found;
  }

  std::vector<DWORD> PresentedPixels() const {
    ClientPixels p{};
    std::vector<DWORD> out;
    if (!GetClientPixels(hwnd_, &p)) return out;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) out.push_back(p.data[y * p.pitch + x] & 0x00FFFFFFu);
    return out;
  }
};

struct Case3D {
  UINT id;
  double rate;
};

// ---------------------------------------------------------------------------
// Fog
// ---------------------------------------------------------------------------

TEST_F(Tests3DRules, SetUpTurnsBlackLinearFogOnFrom50To150AndEveryFrameEndsItOff) {
  SmallBackBuffer();
  std::vector<UINT> ids = {kPoints, kImmediateLines, kRenderLines};
  for (int i = 0; i < 5; ++i) ids.push_back(kImmediatePolys[i]), ids.push_back(kRenderPolys[i]);
  for (UINT id : ids) {
    SCOPED_TRACE(id);
    Select(id);
    TracedFrame();
    std::vector<std::string> t = d3d9_hooks::CallTraceTexts();
    const int on = IndexOf(t, "SetRenderState(D3DRS_FOGENABLE, 1)");
    ASSERT_GE(on, 0);
    EXPECT_LT(on, IndexOfMethod(t, "DrawPrimitive"));
    EXPECT_EQ(Calls("SetRenderState(D3DRS_FOGCOLOR, 4278190080)"), 1);
    EXPECT_EQ(Calls("SetRenderState(D3DRS_FOGVERTEXMODE, 3)"), 1);  // D3DFOG_LINEAR
    EXPECT_EQ(Calls("SetRenderState(D3DRS_FOGSTART, " + Bits(50.0f) + ")"), 1);
    EXPECT_EQ(Calls("SetRenderState(D3DRS_FOGEND, " + Bits(150.0f) + ")"), 1);
    EXPECT_GT(IndexOf(t, "SetRenderState(D3DRS_FOGENABLE, 0)", true), IndexOfMethod(t, "Present", true));
    // Later frames leave it off.
    TracedFrame();
    t = d3d9_hooks::CallTraceTexts();
    EXPECT_EQ(IndexOf(t, "SetRenderState(D3DRS_FOGENABLE, 1)"), -1);
    EXPECT_GT(IndexOf(t, "SetRenderState(D3DRS_FOGENABLE, 0)", true), IndexOfMethod(t, "Present", true));
  }
  // The sprites never touch fog.
  Select(kSprites);
  for (int i = 0; i < 2; ++i) {
    TracedFrame();
    for (const std::string& s : d3d9_hooks::CallTraceTexts()) EXPECT_EQ(s.find("D3DRS_FOG"), std::string::npos) << s;
  }
}

// ---------------------------------------------------------------------------
// Eyes
// ---------------------------------------------------------------------------

TEST_F(Tests3DRules, TheOrbitEyeRisesAndFallsWith140SinAOver3Point2AndLooksWithYDown) {
  const Case3D cases[] = {{kPoints, 0.25},           {kImmediateLines, 0.25},   {kRenderLines, 0.25},
                          {kImmediatePolys[0], 0.5}, {kImmediatePolys[1], 0.5}, {kRenderPolys[0], 0.25},
                          {kRenderPolys[1], 0.25},   {kSprites, 0.25}};
  SmallBackBuffer();
  for (const Case3D& c : cases) {
    SCOPED_TRACE(c.id);
    Select(c.id);
    Frame();
    // A frame's view comes from the angle before its own advance.
    Frame(6000);
    const D3DMATRIX first = View();
    const D3DXVECTOR3 eye = EyeOf(first);
    EXPECT_NEAR(std::hypot(eye.x, eye.z), 100.0, 1e-2);
    const double a = OrbitAngleOf(eye);
    EXPECT_TRUE(SameMatrix(first, LookingFrom(OrbitEye(a))));
    Frame(0);
    EXPECT_TRUE(SameMatrix(View(), LookingFrom(OrbitEye(a + 6 * c.rate))));
  }
}

TEST_F(Tests3DRules, RenderLinesAndRandomTrianglesSetUpFromTheFixedEye) {
  const D3DXMATRIX fixed = LookingFrom(D3DXVECTOR3(100, 140, 100));
  for (UINT id : {kRenderLines, kRenderPolys[0], kRenderPolys[1]}) {
    SCOPED_TRACE(id);
    Select(id);
    TracedFrame();
    int fixedAt = -1, draw = -1, i = 0;
    for (const d3d9_hooks::CallRecord& r : d3d9_hooks::CallTrace()) {
      if (r.method == "SetTransform" && r.args.rfind("D3DTS_VIEW", 0) == 0 && fixedAt < 0) {
        const std::vector<float> m = Numbers(r.args.substr(10));
        if (m.size() == 16 && SameMatrix(*reinterpret_cast<const D3DMATRIX*>(m.data()), fixed)) fixedAt = i;
      }
      if (r.method == "DrawPrimitive" && draw < 0) draw = i;
      ++i;
    }
    EXPECT_GE(fixedAt, 0);
    // The lines' upload draws under it.
    if (id == kRenderLines) {
      EXPECT_LT(fixedAt, draw);
    }
  }
}

TEST_F(Tests3DRules, LitVariantsLookAlongZAndMoveTheirLightOnItsPath) {
  for (const Case3D& c : {Case3D{kImmediatePolys[2], 0.5}, Case3D{kImmediatePolys[3], 0.5},
                          Case3D{kImmediatePolys[4], 0.5}, Case3D{kRenderPolys[2], 0.25},
                          Case3D{kRenderPolys[3], 0.25}, Case3D{kRenderPolys[4], 0.25}}) {
    SCOPED_TRACE(c.id);
    Select(c.id);
    Frame();
    Frame(7000);
    const D3DMATRIX first = View();
    const D3DXVECTOR3 eye = EyeOf(first);
    const double a = LitAngleOf(eye, g_Engine.m_Light.Position);
    EXPECT_TRUE(SameMatrix(first, LookingFrom(LitEye(a))));
    EXPECT_NEAR(g_Engine.m_Light.Position.x, LightAt(a).x, 1e-3);
    EXPECT_NEAR(g_Engine.m_Light.Position.y, LightAt(a).y, 1e-3);
    Frame(0);
    const double b = a + 7 * c.rate;
    EXPECT_TRUE(SameMatrix(View(), LookingFrom(LitEye(b))));
    D3DLIGHT9 light{};
    g_Engine.m_pD3DDevice->GetLight(0, &light);
    EXPECT_NEAR(light.Position.x, LightAt(b).x, 1e-3);
    EXPECT_NEAR(light.Position.y, LightAt(b).y, 1e-3);
    EXPECT_EQ(light.Position.z, 20.0f);
  }
}

// ---------------------------------------------------------------------------
// The light
// ---------------------------------------------------------------------------

TEST_F(Tests3DRules, LitVariantsSetUpAWhitePointLightAndMarkItWithLightingOff) {
  for (UINT id : {kImmediatePolys[2], kImmediatePolys[3], kImmediatePolys[4], kRenderPolys[2],
                  kRenderPolys[3], kRenderPolys[4]}) {
    SCOPED_TRACE(id);
    Select(id);
    TracedFrame();
    D3DLIGHT9 l{};
    g_Engine.m_pD3DDevice->GetLight(0, &l);
    EXPECT_EQ(l.Type, D3DLIGHT_POINT);
    EXPECT_TRUE(l.Diffuse.r == 1 && l.Diffuse.g == 1 && l.Diffuse.b == 1 && l.Diffuse.a == 1);
    EXPECT_TRUE(l.Specular.r == 1 && l.Specular.g == 1 && l.Specular.b == 1 && l.Specular.a == 1);
    EXPECT_TRUE(l.Ambient.r == 0.2f && l.Ambient.g == 0.2f && l.Ambient.b == 0.2f && l.Ambient.a == 1);
    EXPECT_TRUE(l.Direction.x == 0 && l.Direction.y == 0 && l.Direction.z == 0);
    EXPECT_EQ(l.Range, 1000.0f);
    EXPECT_TRUE(l.Attenuation0 == 1 && l.Attenuation1 == 0 && l.Attenuation2 == 0);
    D3DMATERIAL9 m{};
    g_Engine.m_pD3DDevice->GetMaterial(&m);
    EXPECT_TRUE(m.Specular.r == 1 && m.Specular.g == 1 && m.Specular.b == 1 && m.Specular.a == 1);
    EXPECT_EQ(m.Power, 40.0f);
    EXPECT_EQ(State(D3DRS_SPECULARENABLE), 1u);
    EXPECT_EQ(State(D3DRS_DIFFUSEMATERIALSOURCE), static_cast<DWORD>(D3DMCS_COLOR1));
    EXPECT_EQ(State(D3DRS_AMBIENTMATERIALSOURCE), static_cast<DWORD>(D3DMCS_COLOR1));
    EXPECT_EQ(State(D3DRS_SPECULARMATERIALSOURCE), static_cast<DWORD>(D3DMCS_MATERIAL));
    // Lit triangles, then the marker unlit.
    const std::vector<std::string> t = d3d9_hooks::CallTraceTexts();
    const int lightingOn = IndexOf(t, "SetRenderState(D3DRS_LIGHTING, 1)");
    const int lightingOff = IndexOf(t, "SetRenderState(D3DRS_LIGHTING, 0)", true);
    int firstTriangle = -1, lastTriangle = -1, firstLine = -1;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (t[i].rfind("DrawPrimitive(D3DPT_TRIANGLELIST", 0) == 0) {
        if (firstTriangle < 0) firstTriangle = static_cast<int>(i);
        lastTriangle = static_cast<int>(i);
      }
      if (t[i].rfind("DrawPrimitive(D3DPT_LINELIST", 0) == 0 && firstLine < 0) firstLine = static_cast<int>(i);
    }
    EXPECT_TRUE(lightingOn >= 0 && lightingOn < firstTriangle);
    EXPECT_TRUE(lastTriangle < lightingOff && lightingOff < firstLine);
    // The last marker line runs along z through the light, in an identity world.
    const std::vector<Vertex3D> line = BufferedVertices<Vertex3D>(g_Engine.m_p3DVB, 2);
    const D3DVECTOR p = g_Engine.m_Light.Position;
    EXPECT_TRUE(line[0].x == p.x && line[0].y == p.y && line[0].z == p.z - 1);
    EXPECT_TRUE(line[1].x == p.x && line[1].y == p.y && line[1].z == p.z + 1);
    EXPECT_EQ(line[0].diffuse, 0xFFFFFFFFu);
    D3DMATRIX world{};
    g_Engine.m_pD3DDevice->GetTransform(D3DTS_WORLD, &world);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(SameMatrix(world, identity, 0));
  }
}

// ---------------------------------------------------------------------------
// The sprites' viewport
// ---------------------------------------------------------------------------

TEST_F(Tests3DRules, SpritesSetTheirViewportOfTheChosenResolutionWithDepthTo200) {
  g_Harness.resolutionWidth = 640;
  g_Harness.resolutionHeight = 480;
  Select(kSprites);
  TracedFrame();
  EXPECT_EQ(Calls("SetViewport({0,0,640,480,0,200})"), 1);
  const D3DVIEWPORT9& v = g_Engine.m_Viewport;
  EXPECT_TRUE(v.X == 0 && v.Y == 0 && v.Width == 640 && v.Height == 480 && v.MinZ == 0 && v.MaxZ == 200);
  TracedFrame();
  EXPECT_EQ(d3d9_hooks::CallCount("SetViewport"), 0u) << "only on set-up";
}

// ---------------------------------------------------------------------------
// Random forms and their order
// ---------------------------------------------------------------------------

TEST_F(Tests3DRules, PreparedListsDrawTheirRandomFormsInTheirOrder) {
  const unsigned seed = 4242;
  {
    SCOPED_TRACE("points: x, y, z, then r, g, b");
    const std::vector<int> r = SeededRands(seed, 16370 * 6);
    Select(kPoints);
    Frame();
    const std::vector<Vertex3D> v = BufferedVertices<Vertex3D>(g_Engine.m_p3DVB, 16370);
    int wrong = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
      const int* q = &r[i * 6];
      wrong += !(v[i].x == P(q[0]) && v[i].y == P(q[1]) && v[i].z == P(q[2]) &&
                 v[i].diffuse == PackColour(K(q[3]), K(q[4]), K(q[5]), 1));
    }
    EXPECT_EQ(wrong, 0);
  }
  {
    SCOPED_TRACE("lines: r, g, b, then z2, y2, x2, z1, y1, x1");
    const std::vector<int> r = SeededRands(seed, 8189 * 9);
    Select(kRenderLines);
    Frame();
    const std::vector<Vertex3D> v = BufferedVertices<Vertex3D>(g_Engine.m_p3DVB, 8189 * 2);
    int wrong = 0;
    for (std::size_t i = 0; i < 8189; ++i) {
      const int* q = &r[i * 9];
      const D3DCOLOR c = PackColour(K(q[0]), K(q[1]), K(q[2]), 1);
      const Vertex3D &a = v[2 * i], &b = v[2 * i + 1];
      wrong += !(a.x == P(q[8]) && a.y == P(q[7]) && a.z == P(q[6]) && b.x == P(q[5]) &&
                 b.y == P(q[4]) && b.z == P(q[3]) && a.diffuse == c && b.diffuse == c);
    }
    EXPECT_EQ(wrong, 0);
  }
  for (bool textured : {false, true}) {
    SCOPED_TRACE(textured ? "textured triangles" : "plain triangles");
    const std::vector<int> r = SeededRands(seed, 5458 * 12 + 1);
    Select(kRenderPolys[textured ? 1 : 0]);
    Frame();
    // The textured variant draws its picture slot first.
    const int* q = &r[textured ? 1 : 0];
    if (textured) {
      EXPECT_EQ(g_Engine.m_nCurrentTexture, r[0] % 4 + 1);
    }
    const std::vector<Vertex3D> v = BufferedVertices<Vertex3D>(g_Engine.m_p3DVB, 5458 * 3);
    const float u[3] = {0, 1, 1}, w[3] = {0, 0, 1};
    int wrong = 0;
    for (std::size_t t = 0; t < 5458; ++t, q += 12) {
      const D3DCOLOR c = PackColour(K(q[0]), K(q[1]), K(q[2]), 1);
      for (int corner = 0; corner < 3; ++corner) {
        const Vertex3D& x = v[t * 3 + static_cast<std::size_t>(corner)];
        const int* p = q + 3 + corner * 3;
        wrong += !(x.x == P(p[0]) && x.y == P(p[1]) && x.z == P(p[2]) && x.diffuse == c &&
                   x.specular == c && x.u == (textured ? u[corner] : 0.0f) &&
                   x.v == (textured ? w[corner] : 0.0f));
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// The immediate cases draw their colours as they go: one bright grey of
// three channels per lattice line, a new grey (L) per plain cell, one per
// row of textured cells, none per frame in the lit variants.
TEST_F(Tests3DRules, ImmediateCasesDrawOneColourPerLinePerCellOrPerRow) {
  struct Case {
    UINT id;
    int perRepetition;  // rand() values a repetition draws
    bool bright;        // K rather than L
  };
  const Case cases[] = {{kImmediateLines, 800 * 3, true},
                        {kImmediatePolys[0], 25 * 25 * 3, false},
                        {kImmediatePolys[1], 25 * 3, false},
                        {kImmediatePolys[2], 0, false},
                        {kImmediatePolys[3], 0, false},
                        {kImmediatePolys[4], 0, false}};
  const unsigned seed = 99;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Select(c.id, 2);
    Frame();
    const std::vector<int> r = SeededRands(seed, 2 * 2400 + 1);
    Frame();
    EXPECT_EQ(RandsDrawnSince(seed, 2 * 2400 + 1), 2 * c.perRepetition);
    if (c.perRepetition == 0) continue;
    // The buffer keeps the last primitive: the last colour drawn.
    const int n = 2 * c.perRepetition;
    const D3DCOLOR last = c.bright ? PackColour(K(r[n - 3]), K(r[n - 2]), K(r[n - 1]), 1)
                                   : PackColour(L(r[n - 3]), L(r[n - 2]), L(r[n - 1]), 1);
    EXPECT_EQ(BufferedVertices<Vertex3D>(g_Engine.m_p3DVB, 1)[0].diffuse, last);
  }
}

// ---------------------------------------------------------------------------
// States a lit case leaves on
// ---------------------------------------------------------------------------

// The random triangles keep their colour in the vertex specular field as
// well: with specular left on by a lit case they would come out about
// twice as bright, so their set-up switches it off. The picture after a
// lit case is the picture of a fresh start.
TEST_F(Tests3DRules, RandomTrianglesAfterALitCaseLookAsFromAFreshStart) {
  SmallBackBuffer();
  for (int variant : {0, 1}) {
    SCOPED_TRACE(variant);
    // Frames without time between them keep every camera where it is.
    const unsigned seed = 31;
    SeededRands(seed, 1);
    Select(kRenderPolys[variant]);
    Frame(0);
    const std::vector<DWORD> fresh = PresentedPixels();
    ASSERT_FALSE(fresh.empty());
    for (UINT lit : {kRenderPolys[3], kImmediatePolys[2]}) {
      Select(lit);
      Frame(0);
      Frame(0);
      ASSERT_EQ(State(D3DRS_SPECULARENABLE), 1u);
      SeededRands(seed, 1);
      Select(kRenderPolys[variant]);
      Frame(0);
      const std::vector<DWORD> after = PresentedPixels();
      long differing = 0;
      for (std::size_t i = 0; i < fresh.size() && i < after.size(); ++i) differing += fresh[i] != after[i];
      EXPECT_EQ(differing, 0) << "after " << lit;
    }
  }
}

}  // namespace
}  // namespace app_test
