// Benchmarks of the software Direct3D 9 device: per-call overhead of the
// immediate primitives (lock, copy, unlock, draw), state setting, fill rate
// of a full-screen textured quad, and presentation.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_device.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/raster/simd_spans.h"
#include "platform/win32/window_pixels.h"

namespace {

HWND BenchWindow() { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xbe7c)); }

struct ScreenVertex {  // the engine's pre-transformed layout
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Vertex2D {  // the engine's scaled 2D layout
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD k2DFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A 1024 x 768 device set up the way the engine draws: lighting and depth
// off, alpha blending on with SRCALPHA / INVSRCALPHA, alpha from diffuse.
class Bench {
 public:
  explicit Bench(bool blend = true) : device(BenchWindow(), false), dev(device.dev) {
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_ZENABLE, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? TRUE : FALSE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    dev->CreateVertexBuffer(28 * 16384, 0, kScreenFvf, D3DPOOL_MANAGED, &screen_vb, nullptr);
    dev->CreateVertexBuffer(24 * 16384, 0, k2DFvf, D3DPOOL_MANAGED, &vb2d, nullptr);
    dev->BeginScene();
  }
  ~Bench() {
    dev->EndScene();
    screen_vb->Release();
    vb2d->Release();
  }

  BenchDevice device;
  IDirect3DDevice9* dev;
  IDirect3DVertexBuffer9* screen_vb = nullptr;
  IDirect3DVertexBuffer9* vb2d = nullptr;
};

// One immediate line as the engine draws it: lock, copy two vertices,
// unlock, draw one line. Screen space.
void BM_ImmediateScreenLine(benchmark::State& state) {
  Bench b;
  b.dev->SetFVF(kScreenFvf);
  b.dev->SetStreamSource(0, b.screen_vb, 0, sizeof(ScreenVertex));
  ScreenVertex v[2] = {{100, 100, 0, 1, 0xffff8000u, 0, 0}, {300, 180, 0, 1, 0xff0080ffu, 0, 0}};
  for (auto _ : state) {
    void* p;
    b.screen_vb->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    b.screen_vb->Unlock();
    b.dev->DrawPrimitive(D3DPT_LINELIST, 0, 1);
  }
}
BENCHMARK(BM_ImmediateScreenLine);

// The same in scaled 2D space, through the transforms.
void BM_Immediate2DLine(benchmark::State& state) {
  Bench b;
  b.dev->SetFVF(k2DFvf);
  b.dev->SetStreamSource(0, b.vb2d, 0, sizeof(Vertex2D));
  Vertex2D v[2] = {{-0.5f, -0.5f, 0, 0xffff8000u, 0, 0}, {0.3f, 0.2f, 0, 0xff0080ffu, 0, 0}};
  for (auto _ : state) {
    void* p;
    b.vb2d->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    b.vb2d->Unlock();
    b.dev->DrawPrimitive(D3DPT_LINELIST, 0, 1);
  }
}
BENCHMARK(BM_Immediate2DLine);

// One immediate small triangle (about 200 pixels), untextured.
void BM_ImmediateScreenTriangle(benchmark::State& state) {
  Bench b;
  b.dev->SetFVF(kScreenFvf);
  b.dev->SetStreamSource(0, b.screen_vb, 0, sizeof(ScreenVertex));
  ScreenVertex v[3] = {{100, 100, 0, 1, 0xffff0000u, 0, 0}, {120, 100, 0, 1, 0xff00ff00u, 1, 0},
                       {100, 120, 0, 1, 0x800000ffu, 0, 1}};
  for (auto _ : state) {
    void* p;
    b.screen_vb->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    b.screen_vb->Unlock();
    b.dev->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
  }
}
BENCHMARK(BM_ImmediateScreenTriangle);

// A state set that changes nothing, and one that does.
void BM_SetRenderState(benchmark::State& state) {
  Bench b;
  DWORD v = 0;
  for (auto _ : state) {
    b.dev->SetRenderState(D3DRS_ALPHABLENDENABLE, v & 1);
    ++v;
  }
}
BENCHMARK(BM_SetRenderState);

// Full-screen textured quad at 1024 x 768: fill rate. Arguments: filter
// (0 point, 1 linear), blending (0 off, 1 on), span routines (0 the
// four-pixel SSE2 ones, 1 the eight-pixel AVX2 ones where the processor
// has them).
void BM_FullScreenTexturedQuad(benchmark::State& state) {
  d3d9_impl::SetAvx2SpansEnabled(state.range(2) != 0);
  const bool linear = state.range(0) != 0;
  Bench b(state.range(1) != 0);
  IDirect3DTexture9* tex = nullptr;
  b.dev->CreateTexture(256, 256, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr);
  D3DLOCKED_RECT lr;
  tex->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] =
          static_cast<std::uint32_t>(x * 0x10000 + y * 0x100 + (x ^ y));
  tex->UnlockRect(0);
  b.dev->SetTexture(0, tex);
  b.dev->SetSamplerState(0, D3DSAMP_MAGFILTER, linear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
  b.dev->SetSamplerState(0, D3DSAMP_MINFILTER, linear ? D3DTEXF_LINEAR : D3DTEXF_POINT);
  b.dev->SetFVF(kScreenFvf);
  b.dev->SetStreamSource(0, b.screen_vb, 0, sizeof(ScreenVertex));
  ScreenVertex v[4] = {{0, 0, 0, 1, 0xc0ffffffu, 0, 0}, {1024, 0, 0, 1, 0xc0ffffffu, 1, 0},
                       {0, 768, 0, 1, 0xc0ffffffu, 0, 1}, {1024, 768, 0, 1, 0xc0ffffffu, 1, 1}};
  void* p;
  b.screen_vb->Lock(0, sizeof v, &p, 0);
  std::memcpy(p, v, sizeof v);
  b.screen_vb->Unlock();
  for (auto _ : state) b.dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  state.counters["Mpixel/s"] =
      benchmark::Counter(1024.0 * 768.0 * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
  b.dev->SetTexture(0, nullptr);
  tex->Release();
  d3d9_impl::SetAvx2SpansEnabled(true);
}
BENCHMARK(BM_FullScreenTexturedQuad)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A floor receding over a 1024 x 768 screen under perspective, with a
// 256 x 256 texture of nine levels, filters linear: every pixel chooses its
// own level. Argument: mip filter (0 point, 1 linear).
void BM_RecedingMipFloor(benchmark::State& state) {
  Bench b(false);
  IDirect3DTexture9* tex = nullptr;
  b.dev->CreateTexture(256, 256, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr);
  for (UINT l = 0; l < tex->GetLevelCount(); ++l) {
    const int size = 256 >> l;
    D3DLOCKED_RECT lr;
    tex->LockRect(l, &lr, nullptr, 0);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] =
            static_cast<std::uint32_t>((l * 0x1c3050) ^ (x * 0x10000 + y * 0x100 + (x ^ y)));
    tex->UnlockRect(l);
  }
  b.dev->SetTexture(0, tex);
  b.dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  b.dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  b.dev->SetSamplerState(0, D3DSAMP_MIPFILTER, state.range(0) != 0 ? D3DTEXF_LINEAR : D3DTEXF_POINT);
  b.dev->SetFVF(kScreenFvf);
  b.dev->SetStreamSource(0, b.screen_vb, 0, sizeof(ScreenVertex));
  // Near edge at the bottom (rhw 1), far edge at the top (rhw 0.05); the
  // texture repeats eight times across and forty times into the distance.
  ScreenVertex v[4] = {{0, 0, 0.9f, 0.05f, 0xffc0e0ffu, 0, 40.f},
                       {1024, 0, 0.9f, 0.05f, 0xffc0e0ffu, 8.f, 40.f},
                       {0, 768, 0.1f, 1.f, 0xffffffffu, 0, 0},
                       {1024, 768, 0.1f, 1.f, 0xffffffffu, 8.f, 0}};
  void* p;
  b.screen_vb->Lock(0, sizeof v, &p, 0);
  std::memcpy(p, v, sizeof v);
  b.screen_vb->Unlock();
  for (auto _ : state) b.dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  state.counters["Mpixel/s"] =
      benchmark::Counter(1024.0 * 768.0 * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
  b.dev->SetTexture(0, nullptr);
  tex->Release();
}
BENCHMARK(BM_RecedingMipFloor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Full-screen untextured quad of one translucent colour: fill rate of the
// blend modes the bench uses. Argument: 0 no blending, 1 SRCALPHA /
// INVSRCALPHA, 2 SRCALPHA / ONE, 3 ONE / ONE.
void BM_FullScreenColourQuad(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  Bench b(mode != 0);
  if (mode == 2) b.dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  if (mode == 3) {
    b.dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    b.dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  }
  b.dev->SetTexture(0, nullptr);
  b.dev->SetFVF(kScreenFvf);
  b.dev->SetStreamSource(0, b.screen_vb, 0, sizeof(ScreenVertex));
  ScreenVertex v[4] = {{0, 0, 0, 1, 0x40102030u, 0, 0}, {1024, 0, 0, 1, 0x40102030u, 1, 0},
                       {0, 768, 0, 1, 0x40102030u, 0, 1}, {1024, 768, 0, 1, 0x40102030u, 1, 1}};
  void* p;
  b.screen_vb->Lock(0, sizeof v, &p, 0);
  std::memcpy(p, v, sizeof v);
  b.screen_vb->Unlock();
  for (auto _ : state) b.dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  state.counters["Mpixel/s"] =
      benchmark::Counter(1024.0 * 768.0 * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullScreenColourQuad)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Immediate bars as the bench's 2D tests draw them: one 64 x 48 quad of its
// own colour per draw, lock and refill included, blended.
void BM_ImmediateBars(benchmark::State& state) {
  Bench b;
  b.dev->SetTexture(0, nullptr);
  b.dev->SetFVF(kScreenFvf);
  b.dev->SetStreamSource(0, b.screen_vb, 0, sizeof(ScreenVertex));
  int i = 0;
  for (auto _ : state) {
    const float x = static_cast<float>((i * 97) % 960), y = static_cast<float>((i * 61) % 720);
    const D3DCOLOR c = 0xc0000000u | static_cast<D3DCOLOR>(i * 0x10305);
    ScreenVertex v[4] = {{x, y, 0, 1, c, 0, 0}, {x + 64, y, 0, 1, c, 1, 0}, {x, y + 48, 0, 1, c, 0, 1},
                         {x + 64, y + 48, 0, 1, c, 1, 1}};
    void* p;
    b.screen_vb->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    b.screen_vb->Unlock();
    b.dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    ++i;
  }
}
BENCHMARK(BM_ImmediateBars)->UseRealTime();

// Colour and depth clear of a 1024 x 768 frame with a D24S8 buffer.
void BM_ClearColourAndDepth(benchmark::State& state) {
  BenchDevice device(BenchWindow(), true);
  for (auto _ : state)
    device.dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xff000000u, 1.f, 0);
}
BENCHMARK(BM_ClearColourAndDepth)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Present alone: the back buffer copied into the window's pixels.
void BM_Present(benchmark::State& state) {
  Bench b;
  b.dev->EndScene();
  for (auto _ : state) b.dev->Present(nullptr, nullptr, nullptr, nullptr);
  b.dev->BeginScene();
}
BENCHMARK(BM_Present)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Clear and Present of a 1024 x 768 frame into the window's pixels.
void BM_ClearAndPresent(benchmark::State& state) {
  Bench b;
  b.dev->EndScene();
  for (auto _ : state) {
    b.dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000u, 1.f, 0);
    b.dev->Present(nullptr, nullptr, nullptr, nullptr);
  }
  b.dev->BeginScene();
}
BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMicrosecond);

}  // namespace
