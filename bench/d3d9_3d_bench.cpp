// Benchmarks of the device's 3D pipeline on the bench's 3D workloads at
// 1024 x 768 with a depth buffer and linear vertex fog from 50 to 150:
// 16,370 points, 8,189 lines and 5,458 random triangles per call from one
// vertex buffer; the lit 5,000-triangle grid with a moving point light and
// specular highlights; 800 immediate lines and 1,250 immediate triangles
// (one lock, copy and draw each); 100 point sprites. Counters report
// primitives and draws per second of wall-clock time (the device may use a
// second thread).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_device.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/raster/simd_spans.h"
#include "platform/win32/window_pixels.h"

namespace {

HWND BenchWindow3D() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xbe7d)); }

struct Vertex3D {  // XYZ | NORMAL | DIFFUSE | SPECULAR | TEX1, the engine's 3D layout
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR diffuse, specular;
  float u, v;
};
constexpr DWORD k3DFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

struct SpriteVertex {
  float x, y, z, size;
  D3DCOLOR color;
};
constexpr DWORD kSpriteFvf = D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE;

DWORD Bits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

struct V3 {
  float x, y, z;
};
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Norm(V3 a) {
  const float l = std::sqrt(Dot(a, a));
  return l > 0.f ? V3{a.x / l, a.y / l, a.z / l} : a;
}

// Right-handed look-at and perspective matrices (row vectors).
D3DMATRIX LookAtRH(V3 eye, V3 at, V3 up) {
  const V3 z = Norm(Sub(eye, at)), x = Norm(Cross(up, z)), y = Cross(z, x);
  D3DMATRIX m{};
  m._11 = x.x, m._12 = y.x, m._13 = z.x;
  m._21 = x.y, m._22 = y.y, m._23 = z.y;
  m._31 = x.z, m._32 = y.z, m._33 = z.z;
  m._41 = -Dot(x, eye), m._42 = -Dot(y, eye), m._43 = -Dot(z, eye), m._44 = 1.f;
  return m;
}

D3DMATRIX PerspectiveFovRH(float fov, float aspect, float zn, float zf) {
  const float ys = 1.f / std::tan(fov * 0.5f), xs = ys / aspect;
  D3DMATRIX m{};
  m._11 = xs, m._22 = ys, m._33 = zf / (zn - zf), m._34 = -1.f, m._43 = zn * zf / (zn - zf);
  return m;
}

D3DMATRIX RotationY(float a) {
  D3DMATRIX m{};
  m._11 = std::cos(a), m._13 = -std::sin(a), m._22 = 1.f, m._31 = std::sin(a), m._33 = std::cos(a), m._44 = 1.f;
  return m;
}

float P() { return static_cast<float>(std::rand() % 200 - 100) * 0.5f; }
float K() { return static_cast<float>(std::rand() % 100 + 100) / 200.f; }
D3DCOLOR Grey(float r, float g, float b) {
  return 0xff000000u | (static_cast<DWORD>(r * 255.f) << 16) | (static_cast<DWORD>(g * 255.f) << 8) |
         static_cast<DWORD>(b * 255.f);
}

// A 1024 x 768 device with a D24S8 depth buffer, set up as the 3D tests
// set it: lighting off, depth on, fog linear from 50 to 150, the camera at
// (100, 140, 100) looking at the origin, field of view 1.7.
class Bench3D {
 public:
  Bench3D() : device(BenchWindow3D(), true), dev(device.dev) {
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // as the engine sets it
    dev->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    dev->SetRenderState(D3DRS_FOGCOLOR, 0xff000000u);
    dev->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    dev->SetRenderState(D3DRS_FOGSTART, Bits(50.f));
    dev->SetRenderState(D3DRS_FOGEND, Bits(150.f));
    const D3DMATRIX proj = PerspectiveFovRH(1.7f, 1024.f / 768.f, 1.f, 2400.f);
    dev->SetTransform(D3DTS_PROJECTION, &proj);
    SetEye({100.f, 140.f, 100.f});
    dev->SetFVF(k3DFvf);
    dev->CreateVertexBuffer(sizeof(Vertex3D) * 16384, D3DUSAGE_WRITEONLY, k3DFvf, D3DPOOL_MANAGED, &vb, nullptr);
    dev->SetStreamSource(0, vb, 0, sizeof(Vertex3D));
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xff000000u, 1.f, 0);
    dev->BeginScene();
    std::srand(1);
  }
  ~Bench3D() {
    dev->EndScene();
    if (texture) texture->Release();
    vb->Release();
  }

  void SetEye(V3 eye) {
    const D3DMATRIX view = LookAtRH(eye, {0, 0, 0}, {0, -1, 0});
    dev->SetTransform(D3DTS_VIEW, &view);
  }

  void Upload(const std::vector<Vertex3D>& v) {
    void* p = nullptr;
    vb->Lock(0, static_cast<UINT>(v.size() * sizeof(Vertex3D)), &p, 0);
    std::memcpy(p, v.data(), v.size() * sizeof(Vertex3D));
    vb->Unlock();
  }

  void BindTexture() {
    dev->CreateTexture(256, 256, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
      D3DLOCKED_RECT lr;
      texture->LockRect(level, &lr, nullptr, 0);
      const int n = 256 >> level;
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
          reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] =
              0xff000000u | static_cast<std::uint32_t>((x * 255 / n) << 16 | (y * 255 / n) << 8 | ((x ^ y) & 0xff));
      texture->UnlockRect(level);
    }
    dev->SetTexture(0, texture);
    dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    dev->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  }

  // A point light at the origin with specular power 40, as the lit tests use.
  void SetUpLight() {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = {1, 1, 1, 1};
    l.Specular = {1, 1, 1, 1};
    l.Ambient = {0.2f, 0.2f, 0.2f, 1};
    l.Direction = {0, 1, 0};
    l.Range = 1000.f;
    l.Attenuation0 = 1.f;
    l.Position = {20.f, 40.f, 20.f};
    dev->SetLight(0, &l);
    dev->LightEnable(0, TRUE);
    D3DMATERIAL9 m{};
    m.Diffuse = m.Ambient = {1, 1, 1, 1};
    m.Specular = {1, 1, 1, 1};
    m.Power = 40.f;
    dev->SetMaterial(&m);
    dev->SetRenderState(D3DRS_LIGHTING, TRUE);
    dev->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    dev->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    dev->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
    dev->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    SetEye({0.f, 60.f, 100.f});
    const D3DMATRIX world = RotationY(0.4f);
    dev->SetTransform(D3DTS_WORLD, &world);
  }

  BenchDevice device;
  IDirect3DDevice9* dev;
  IDirect3DVertexBuffer9* vb = nullptr;
  IDirect3DTexture9* texture = nullptr;
};

void Rates(benchmark::State& state, double primitives, double draws) {
  const double n = static_cast<double>(state.iterations());
  state.counters["prims/s"] = benchmark::Counter(primitives * n, benchmark::Counter::kIsRate);
  state.counters["draws/s"] = benchmark::Counter(draws * n, benchmark::Counter::kIsRate);
}

// 16,370 random points in one draw.
void BM_Points3D(benchmark::State& state) {
  Bench3D b;
  b.dev->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  std::vector<Vertex3D> v(16370);
  for (Vertex3D& p : v) {
    p = {};
    p.x = P(), p.y = P(), p.z = P();
    const float r = K(), g = K(), bl = K();
    p.diffuse = Grey(r, g, bl);
  }
  b.Upload(v);
  for (auto _ : state) {
    b.dev->DrawPrimitive(D3DPT_POINTLIST, 0, 16370);
    b.device.DrawNow();
  }
  Rates(state, 16370, 1);
}
BENCHMARK(BM_Points3D)->Unit(benchmark::kMillisecond)->UseRealTime();

// 8,189 random lines in one draw.
void BM_Lines3D(benchmark::State& state) {
  Bench3D b;
  b.dev->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  std::vector<Vertex3D> v(2 * 8189);
  for (std::size_t i = 0; i < v.size(); i += 2) {
    const D3DCOLOR c = Grey(K(), K(), K());
    v[i + 1] = {}, v[i] = {};
    v[i + 1].z = P(), v[i + 1].y = P(), v[i + 1].x = P();
    v[i].z = P(), v[i].y = P(), v[i].x = P();
    v[i].diffuse = v[i + 1].diffuse = c;
  }
  b.Upload(v);
  for (auto _ : state) {
    b.dev->DrawPrimitive(D3DPT_LINELIST, 0, 8189);
    b.device.DrawNow();
  }
  Rates(state, 8189, 1);
}
BENCHMARK(BM_Lines3D)->Unit(benchmark::kMillisecond)->UseRealTime();

// 5,458 random triangles in one draw; arguments: textured, span routines
// (0 the four-pixel SSE2 ones, 1 the eight-pixel AVX2 ones where the
// processor has them).
void BM_RandomTriangles3D(benchmark::State& state) {
  d3d9_impl::SetAvx2SpansEnabled(state.range(1) != 0);
  Bench3D b;
  if (state.range(0)) b.BindTexture();
  std::vector<Vertex3D> v(3 * 5458);
  for (std::size_t i = 0; i < v.size(); i += 3) {
    const D3DCOLOR c = Grey(K(), K(), K());
    const float uv[3][2] = {{0, 0}, {1, 0}, {1, 1}};
    for (int k = 0; k < 3; ++k) {
      Vertex3D& p = v[i + k];
      p = {};
      p.x = P(), p.y = P(), p.z = P();
      p.diffuse = c;
      if (state.range(0)) p.u = uv[k][0], p.v = uv[k][1];
    }
  }
  b.Upload(v);
  for (auto _ : state) {
    b.dev->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5458);
    b.device.DrawNow();
  }
  Rates(state, 5458, 1);
  d3d9_impl::SetAvx2SpansEnabled(true);
}
BENCHMARK(BM_RandomTriangles3D)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The lit grid: 50 x 50 cells of two triangles, heights 3 sin(x / 10),
// face normals, a point light with specular; argument: textured.
void BM_LitGrid3D(benchmark::State& state) {
  Bench3D b;
  b.SetUpLight();
  if (state.range(0)) b.BindTexture();
  std::vector<Vertex3D> v;
  v.reserve(15000);
  auto corner = [](float x, float y, V3 n) {
    Vertex3D p{};
    p.x = x, p.y = y, p.z = 3.f * std::sin(x / 10.f);
    p.nx = n.x, p.ny = n.y, p.nz = n.z;
    p.diffuse = 0xffb0b0b0u;
    p.specular = 0xffffffffu;
    p.u = (x + 50.f) / 100.f, p.v = (y + 50.f) / 100.f;
    return p;
  };
  auto face = [](V3 a, V3 b2, V3 c) { return Norm(Cross(Sub(b2, a), Sub(c, a))); };
  for (float x = -50.f; x < 50.f; x += 2.f)
    for (float y = -50.f; y < 50.f; y += 2.f) {
      const V3 a{x, y, 3.f * std::sin(x / 10.f)}, bq{x + 2, y, 3.f * std::sin((x + 2) / 10.f)},
          c{x + 2, y + 2, 3.f * std::sin((x + 2) / 10.f)}, d{x, y + 2, 3.f * std::sin(x / 10.f)};
      const V3 n1 = face(a, bq, c), n2 = face(a, c, d);
      v.push_back(corner(x, y, n1)), v.push_back(corner(x + 2, y, n1)), v.push_back(corner(x + 2, y + 2, n1));
      v.push_back(corner(x, y, n2)), v.push_back(corner(x + 2, y + 2, n2)), v.push_back(corner(x, y + 2, n2));
    }
  b.Upload(v);
  for (auto _ : state) {
    b.dev->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5000);
    b.device.DrawNow();
  }
  Rates(state, 5000, 1);
}
BENCHMARK(BM_LitGrid3D)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// 800 immediate lines: each one lock, copy of two vertices, unlock, draw.
void BM_ImmediateLines3D(benchmark::State& state) {
  Bench3D b;
  b.dev->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  for (auto _ : state) {
    for (float x = -50.f; x < 50.f; x += 5.f)
      for (float y = -50.f; y < 50.f; y += 5.f)
        for (int k = 0; k < 2; ++k) {
          Vertex3D v[2] = {};
          if (k == 0) v[0].x = v[1].x = x, v[0].y = -50.f, v[1].y = 50.f, v[0].z = v[1].z = y;
          else v[0].x = v[1].x = x, v[0].y = v[1].y = y, v[0].z = -50.f, v[1].z = 50.f;
          v[0].diffuse = v[1].diffuse = 0xffc0c0c0u;
          void* p = nullptr;
          if (FAILED(b.vb->Lock(0, sizeof v, &p, 0))) continue;
          std::memcpy(p, v, sizeof v);
          b.vb->Unlock();
          b.dev->DrawPrimitive(D3DPT_LINELIST, 0, 1);
        }
    b.device.DrawNow();
  }
  Rates(state, 800, 800);
}
BENCHMARK(BM_ImmediateLines3D)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1,250 immediate triangles of the 25 x 25 grid, flat (z = 0), one draw each;
// argument: lit (point light and specular, heights 3 sin(x / 10)).
void BM_ImmediatePolys3D(benchmark::State& state) {
  Bench3D b;
  const bool lit = state.range(0) != 0;
  if (lit) b.SetUpLight();
  for (auto _ : state) {
    for (float x = -50.f; x < 50.f; x += 4.f)
      for (float y = -50.f; y < 50.f; y += 4.f)
        for (int k = 0; k < 2; ++k) {
          const float xs[2][3] = {{x, x + 4, x + 4}, {x, x + 4, x}};
          const float ys[2][3] = {{y, y, y + 4}, {y, y + 4, y + 4}};
          Vertex3D v[3] = {};
          for (int i = 0; i < 3; ++i) {
            v[i].x = xs[k][i], v[i].y = ys[k][i];
            v[i].z = lit ? 3.f * std::sin(xs[k][i] / 10.f) : 0.f;
            v[i].nz = -1.f;
            v[i].diffuse = 0xff808080u;
            v[i].specular = 0xffffffffu;
          }
          void* p = nullptr;
          if (FAILED(b.vb->Lock(0, sizeof v, &p, 0))) continue;
          std::memcpy(p, v, sizeof v);
          b.vb->Unlock();
          b.dev->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
        }
    b.device.DrawNow();
  }
  Rates(state, 1250, 1250);
}
BENCHMARK(BM_ImmediatePolys3D)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// 100 textured point sprites, one draw each; argument: point scaling.
void BM_Sprites(benchmark::State& state) {
  Bench3D b;
  b.BindTexture();
  b.dev->SetRenderState(D3DRS_FOGENABLE, FALSE);
  IDirect3DVertexBuffer9* svb = nullptr;
  b.dev->CreateVertexBuffer(2 * sizeof(SpriteVertex), D3DUSAGE_WRITEONLY, kSpriteFvf, D3DPOOL_MANAGED, &svb, nullptr);
  const bool scale = state.range(0) != 0;
  // The engine's point-scaling switch: A = 0, B = 0, C = 1 (size / distance).
  b.dev->SetRenderState(D3DRS_POINTSCALEENABLE, scale ? TRUE : FALSE);
  b.dev->SetRenderState(D3DRS_POINTSCALE_A, Bits(scale ? 0.f : 1.f));
  b.dev->SetRenderState(D3DRS_POINTSCALE_C, Bits(scale ? 1.f : 0.f));
  b.dev->SetRenderState(D3DRS_POINTSIZE_MAX, Bits(256.f));
  for (auto _ : state) {
    for (float y = -100.f; y < 100.f; y += 20.f)
      for (float x = -100.f; x < 100.f; x += 20.f) {
        b.dev->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
        if (!scale) b.dev->SetRenderState(D3DRS_POINTSIZE, Bits(10.f));
        const SpriteVertex s = {x, y, 0.f, 5.f, 0xffffffffu};
        void* p = nullptr;
        if (SUCCEEDED(svb->Lock(0, sizeof s, &p, 0))) {
          std::memcpy(p, &s, sizeof s);
          svb->Unlock();
          b.dev->SetFVF(kSpriteFvf);
          b.dev->SetStreamSource(0, svb, 0, sizeof(SpriteVertex));
          b.dev->DrawPrimitive(D3DPT_POINTLIST, 0, 1);
        }
        b.dev->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
        b.dev->SetRenderState(D3DRS_POINTSIZE, 0);
      }
    b.device.DrawNow();
  }
  Rates(state, 100, 100);
  svb->Release();
}
BENCHMARK(BM_Sprites)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
