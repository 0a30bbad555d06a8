// Benchmarks of the software Direct3D 9 device: per-call overhead of the
// immediate primitives (lock, copy, unlock, draw), state setting, fill rate
// of a full-screen textured quad, presentation, and the span routines of
// the gl_compare workloads on one thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_device.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/raster/pixel_stage.h"
#include "platform/d3d9/raster/rasterizer.h"
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

  // Draws a full-screen quad of colour `c` (texture coordinates 0 to 1)
  // once an iteration, with its pixels, and reports the fill rate.
  void DrawFullScreenQuads(benchmark::State& state, D3DCOLOR c) {
    dev->SetFVF(kScreenFvf);
    dev->SetStreamSource(0, screen_vb, 0, sizeof(ScreenVertex));
    const ScreenVertex v[4] = {{0, 0, 0, 1, c, 0, 0}, {1024, 0, 0, 1, c, 1, 0}, {0, 768, 0, 1, c, 0, 1},
                               {1024, 768, 0, 1, c, 1, 1}};
    void* p;
    screen_vb->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    screen_vb->Unlock();
    for (auto _ : state) {
      dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
      device.DrawNow();
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(1024.0 * 768.0 * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
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
  int drawn = 0;
  for (auto _ : state) {
    void* p;
    b.screen_vb->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    b.screen_vb->Unlock();
    b.dev->DrawPrimitive(D3DPT_LINELIST, 0, 1);
    if (++drawn % 100 == 0) b.device.DrawNow();  // a frame of 100 draws
  }
}
BENCHMARK(BM_ImmediateScreenLine);

// The same in scaled 2D space, through the transforms.
void BM_Immediate2DLine(benchmark::State& state) {
  Bench b;
  b.dev->SetFVF(k2DFvf);
  b.dev->SetStreamSource(0, b.vb2d, 0, sizeof(Vertex2D));
  Vertex2D v[2] = {{-0.5f, -0.5f, 0, 0xffff8000u, 0, 0}, {0.3f, 0.2f, 0, 0xff0080ffu, 0, 0}};
  int drawn = 0;
  for (auto _ : state) {
    void* p;
    b.vb2d->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    b.vb2d->Unlock();
    b.dev->DrawPrimitive(D3DPT_LINELIST, 0, 1);
    if (++drawn % 100 == 0) b.device.DrawNow();  // a frame of 100 draws
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
  int drawn = 0;
  for (auto _ : state) {
    void* p;
    b.screen_vb->Lock(0, sizeof v, &p, 0);
    std::memcpy(p, v, sizeof v);
    b.screen_vb->Unlock();
    b.dev->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    if (++drawn % 100 == 0) b.device.DrawNow();  // a frame of 100 draws
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
  b.DrawFullScreenQuads(state, 0xc0ffffffu);
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
  for (auto _ : state) {
    b.dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    b.device.DrawNow();
  }
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
  b.DrawFullScreenQuads(state, 0x40102030u);
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
  int drawn = 0;
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
    if (++drawn % 100 == 0) b.device.DrawNow();  // a frame of 100 draws
    ++i;
  }
}
BENCHMARK(BM_ImmediateBars)->UseRealTime();

// Colour and depth clear of a 1024 x 768 frame with a D24S8 buffer.
void BM_ClearColourAndDepth(benchmark::State& state) {
  BenchDevice device(BenchWindow(), true);
  for (auto _ : state) {
    device.dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xff000000u, 1.f, 0);
    device.DrawNow();
  }
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

// The pixels of gl_compare's fill-bound workloads drawn straight through the
// rasterizer into a 1024 x 768 X8R8G8B8 target on the calling thread, so the
// span routines alone are timed. Arguments: workload (0 textured bars, 1
// text, 2 3D polygons, 3 3D textured polygons, with their states), span
// routines (0 the four-pixel SSE2 ones, 1 the eight-pixel AVX2 ones where
// the processor has them).
void BM_SpanRoutines(benchmark::State& state) {
  using namespace d3d9_impl;
  const int workload = static_cast<int>(state.range(0));
  SetAvx2SpansEnabled(state.range(1) != 0);
  constexpr int kW = 1024, kH = 768;
  std::vector<std::uint32_t> target(kW * kH, 0xff202040u), texels(256 * 256);
  std::vector<float> depth(kW * kH, 1.f);
  const bool font = workload == 1, three_d = workload >= 2;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      texels[y * 256 + x] = font ? (((x ^ y) & 8) ? 0xffffffffu : 0x00ffffffu)
                                 : 0xff000000u | static_cast<std::uint32_t>(x * 0x10000 + y * 0x100 + (x ^ y));
  DrawContext dc;
  dc.clip_x1 = kW, dc.clip_y1 = kH;
  dc.cull = D3DCULL_NONE;
  dc.color = reinterpret_cast<std::uint8_t*>(target.data());
  dc.color_pitch = kW * 4;
  dc.color_alpha_or = 0xff000000u;
  dc.textured = workload != 2;
  dc.levels[0] = {texels.data(), 256, 256, 256};
  dc.level_count = 1;
  dc.mag_linear = dc.min_linear = true;
  dc.tex_alpha_or = font ? 0u : 0xff000000u;
  dc.alpha_op = D3DTOP_MODULATE;
  dc.alpha_arg1 = D3DTA_TEXTURE;
  dc.alpha_arg2 = D3DTA_DIFFUSE;
  dc.blend = !three_d;
  dc.src_blend = D3DBLEND_SRCALPHA;
  dc.dest_blend = font ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA;
  if (three_d) {
    dc.depth = depth.data(), dc.depth_pitch = kW;
    dc.z_test = dc.z_write = true;
    dc.fog = dc.interp_specular = true;
    dc.fog_color = 0xff6464f5u;
  }
  dc.span = SelectSpanRoutine(dc);
  std::mt19937 r(20261209);
  auto f = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(r); };
  auto vertex = [](float x, float y, float z, float rhw, std::uint32_t c, float u, float v, float fog) {
    PVertex p{};
    p.x = x, p.y = y, p.z = z, p.rhw = rhw;
    p.c[0] = static_cast<float>((c >> 16) & 0xff), p.c[1] = static_cast<float>((c >> 8) & 0xff);
    p.c[2] = static_cast<float>(c & 0xff), p.c[3] = static_cast<float>(c >> 24);
    p.s[3] = fog;
    p.u = u, p.v = v, p.psize = 1.f;
    return p;
  };
  std::vector<PVertex> v;
  if (!three_d) {
    // Quads as two triangles each: 100 bars of 16..128 x 16..96 pixels, or
    // 100 prints of eleven 16 x 24 characters.
    auto quad = [&](float x, float y, float w, float h, std::uint32_t c) {
      const PVertex a = vertex(x, y, 0, 1, c, 0, 0, 255), b = vertex(x + w, y, 0, 1, c, 1, 0, 255),
                    d = vertex(x, y + h, 0, 1, c, 0, 1, 255), e = vertex(x + w, y + h, 0, 1, c, 1, 1, 255);
      v.insert(v.end(), {a, b, d, b, e, d});
    };
    for (int i = 0; i < 100; ++i) {
      if (font) {
        const float x = f(0, 800), y = f(0, 740);
        for (int c = 0; c < 11; ++c) quad(x + 16 * c, y, 16, 24, 0xffffffffu);
      } else {
        quad(f(0, 960), f(0, 720), f(16, 128), f(16, 96), 0xc0000000u | (r() & 0xffffff));
      }
    }
  } else {
    // 5,458 triangles of corners within 4 units of a centre 1 to 100 units
    // away, projected as gl_compare projects them, fogged from 50 to 150.
    for (int i = 0; i < 5458; ++i) {
      const float cx = f(-60, 60), cy = f(-40, 40), cz = f(4, 100);
      for (int k = 0; k < 3; ++k) {
        const float z = std::max(1.f, cz + f(-4, 4)), s = 2.414f * 384.f / z;
        const float fog = std::clamp(255.f * (150.f - z) / 100.f, 0.f, 255.f);
        v.push_back(vertex(512.f + (cx + f(-4, 4)) * s, 384.f - (cy + f(-4, 4)) * s, 1.f - 1.f / z, 1.f / z,
                           0xff000000u | (r() & 0xffffff), f(0, 1), f(0, 1), fog));
      }
    }
  }
  for (auto _ : state) {
    if (three_d) std::fill(depth.begin(), depth.end(), 1.f);
    for (std::size_t i = 0; i + 2 < v.size(); i += 3) DrawTriangle(dc, v[i], v[i + 1], v[i + 2]);
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  SetAvx2SpansEnabled(true);
}
BENCHMARK(BM_SpanRoutines)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
