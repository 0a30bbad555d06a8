// Random primitives in random states: whatever the input, drawing stays
// inside the target (the sanitizer build checks every access) and the
// device keeps answering.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

class Rng {
 public:
  std::uint32_t Next() { return state_ = state_ * 1664525u + 1013904223u; }
  float Coord() {
    const std::uint32_t r = Next();
    switch (r % 8) {
      case 0: return -1e9f;
      case 1: return 1e9f;
      case 2: return static_cast<float>(static_cast<int>(r >> 8) % 2000 - 1000);
      default: return static_cast<float>(r >> 8) / static_cast<float>(1u << 24) * 24.f - 4.f;
    }
  }

 private:
  std::uint32_t state_ = 2024;
};

class RobustnessTest : public DeviceTest {
 protected:
  void SetUp() override { Create(16, 12, D3DFMT_X8R8G8B8, true); }
};

TEST_F(RobustnessTest, RandomDrawsInRandomStates) {
  Rng rng;
  IDirect3DTexture9* tex = MakeTexture(5, 3, [](UINT x, UINT y) { return 0x80000000u | (x * 0x330000u) | (y * 0x55u); });
  IDirect3DTexture9* mipped = nullptr;
  ASSERT_EQ(dev_->CreateTexture(8, 8, 0, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &mipped, nullptr), D3D_OK);
  for (int round = 0; round < 400; ++round) {
    dev_->SetRenderState(D3DRS_CULLMODE, 1 + rng.Next() % 3);
    dev_->SetRenderState(D3DRS_FILLMODE, 1 + rng.Next() % 3);
    dev_->SetRenderState(D3DRS_SHADEMODE, 1 + rng.Next() % 2);
    dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, rng.Next() % 2);
    dev_->SetRenderState(D3DRS_SRCBLEND, 1 + rng.Next() % 15);
    dev_->SetRenderState(D3DRS_DESTBLEND, 1 + rng.Next() % 15);
    dev_->SetRenderState(D3DRS_ZENABLE, rng.Next() % 2);
    dev_->SetRenderState(D3DRS_ALPHATESTENABLE, rng.Next() % 2);
    dev_->SetRenderState(D3DRS_LASTPIXEL, rng.Next() % 2);
    dev_->SetTextureStageState(0, D3DTSS_COLOROP, 1 + rng.Next() % 26);
    dev_->SetTextureStageState(0, D3DTSS_ALPHAOP, 1 + rng.Next() % 26);
    dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, rng.Next() % 3);
    dev_->SetSamplerState(0, D3DSAMP_MINFILTER, rng.Next() % 3);
    dev_->SetSamplerState(0, D3DSAMP_MIPFILTER, rng.Next() % 3);
    dev_->SetSamplerState(0, D3DSAMP_ADDRESSU, 1 + rng.Next() % 5);
    const std::uint32_t which = rng.Next() % 3;
    dev_->SetTexture(0, which == 0 ? nullptr : (which == 1 ? tex : mipped));
    D3DVIEWPORT9 vp{rng.Next() % 8, rng.Next() % 6, 1 + rng.Next() % 8, 1 + rng.Next() % 6, 0.f, 1.f};
    dev_->SetViewport(&vp);
    const bool transformed = rng.Next() % 2;
    dev_->SetFVF(transformed ? k2DFvf : kTLFvf);
    TLVertex tl[6];
    Vertex2D v2[6];
    for (int i = 0; i < 6; ++i) {
      tl[i] = {rng.Coord(), rng.Coord(), static_cast<float>(rng.Next() % 5) * 0.3f - 0.2f,
               static_cast<float>(rng.Next() % 4) * 0.5f, rng.Next(), rng.Coord(), rng.Coord()};
      v2[i] = {rng.Coord() * 0.2f, rng.Coord() * 0.2f, static_cast<float>(rng.Next() % 5) * 0.5f - 1.f, rng.Next(),
               rng.Coord(), rng.Coord()};
    }
    const auto type = static_cast<D3DPRIMITIVETYPE>(1 + rng.Next() % 6);
    const HRESULT hr = transformed ? dev_->DrawPrimitiveUP(type, 2, v2, sizeof(Vertex2D))
                                   : dev_->DrawPrimitiveUP(type, 2, tl, sizeof(TLVertex));
    ASSERT_EQ(hr, D3D_OK) << round;
  }
  dev_->SetTexture(0, nullptr);
  tex->Release();
  mipped->Release();
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3D_OK);
}

}  // namespace
}  // namespace d3d9_test
