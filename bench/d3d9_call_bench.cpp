// The cost of one immediate draw as the engine makes it (lock, copy,
// unlock, draw), in frames of 100 draws whose pixels are then needed, so
// the recorded draws are rasterized as in a real frame. A one-pixel
// triangle shows the device's time beyond the pixels; a blended 64 x 48
// bar adds its fill.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_device.h"
#include "platform/d3d9/d3d9.h"

namespace {

struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr int kDrawsPerFrame = 100;

void BM_ImmediateDrawCost(benchmark::State& state) {
  const bool bar = state.range(0) != 0;
  BenchDevice device(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xca11)), false);
  IDirect3DDevice9* dev = device.dev;
  dev->SetRenderState(D3DRS_LIGHTING, FALSE);
  dev->SetRenderState(D3DRS_ZENABLE, FALSE);
  dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  IDirect3DVertexBuffer9* vb = nullptr;
  dev->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kScreenFvf,
                          D3DPOOL_DEFAULT, &vb, nullptr);
  dev->SetFVF(kScreenFvf);
  dev->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
  dev->BeginScene();
  int i = 0;
  for (auto _ : state) {
    const float x = static_cast<float>((i * 97) % 960) + 0.25f, y = static_cast<float>((i * 61) % 720) + 0.25f;
    const float w = bar ? 64.f : 1.f, h = bar ? 48.f : 1.f;
    const D3DCOLOR c = 0xc0000000u | static_cast<D3DCOLOR>(i * 0x10305);
    const ScreenVertex v[4] = {{x, y, 0, 1, c, 0, 0}, {x + w, y, 0, 1, c, 1, 0}, {x, y + h, 0, 1, c, 0, 1},
                               {x + w, y + h, 0, 1, c, 1, 1}};
    void* p;
    vb->Lock(0, sizeof v, &p, D3DLOCK_DISCARD);
    std::memcpy(p, v, sizeof v);
    vb->Unlock();
    dev->DrawPrimitive(bar ? D3DPT_TRIANGLESTRIP : D3DPT_TRIANGLELIST, 0, bar ? 2 : 1);
    if (++i % kDrawsPerFrame == 0) device.DrawNow();
  }
  dev->EndScene();
  dev->SetStreamSource(0, nullptr, 0, 0);
  vb->Release();
  state.counters["draws/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImmediateDrawCost)->Arg(0)->Arg(1)->UseRealTime();

}  // namespace
