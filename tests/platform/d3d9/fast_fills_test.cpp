// The wide paths of the device against what they stand for: Present of
// a back buffer with alpha, clears of odd rectangles, and large draws of a
// few primitives shared with the worker thread, which must draw the same
// pixels as one thread alone.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

class WideTest : public DeviceTest {
 protected:
  void SetUp() override { Create(37, 21, D3DFMT_A8R8G8B8, true); }
};

TEST_F(WideTest, PresentShowsOpaquePixelsOfAnAlphaBackBuffer) {
  // Colours with every alpha, including none.
  for (int i = 0; i < 21; ++i) {
    const D3DRECT r{0, i, 37, i + 1};
    dev_->Clear(1, &r, D3DCLEAR_TARGET, static_cast<D3DCOLOR>(i * 0x0c0b0a09u), 1.f, 0);
  }
  dev_->EndScene();
  const RECT src{3, 2, 34, 19};
  SetClientPixelsSize(TestWindow(), 31, 17);
  ASSERT_EQ(dev_->Present(&src, nullptr, nullptr, nullptr), D3D_OK);
  ClientPixels px{};
  ASSERT_TRUE(GetClientPixels(TestWindow(), &px));
  ASSERT_EQ(px.width, 31);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 31; ++x)
      ASSERT_EQ(px.data[y * px.pitch + x], static_cast<D3DCOLOR>((y + 2) * 0x0c0b0a09u) | 0xff000000u) << x << "," << y;
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
}

TEST_F(WideTest, ClearsOfOddRectanglesTouchOnlyThem) {
  ASSERT_EQ(dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0x11223344u, 1.f, 7),
            D3D_OK);
  const D3DRECT r{3, 1, 34, 20};
  ASSERT_EQ(dev_->Clear(1, &r, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0x55667788u, 0.25f, 9), D3D_OK);
  const std::vector<std::uint32_t> px = Pixels();
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 37; ++x) {
      const bool in = x >= 3 && x < 34 && y >= 1 && y < 20;
      ASSERT_EQ(px[y * 37 + x], in ? 0x55667788u : 0x11223344u) << x << "," << y;
    }
  // Depth: a quad at 0.5 shows only outside the rectangle, where depth is 1;
  // stencil: counting where it equals 9 finds the rectangle.
  dev_->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  dev_->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  dev_->SetRenderState(D3DRS_STENCILREF, 7);
  const TLVertex v[4] = {{0, 0, 0.5f, 1, 0xff0000ffu, 0, 0}, {37, 0, 0.5f, 1, 0xff0000ffu, 0, 0},
                         {0, 21, 0.5f, 1, 0xff0000ffu, 0, 0}, {37, 21, 0.5f, 1, 0xff0000ffu, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex)), D3D_OK);
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  dev_->SetRenderState(D3DRS_STENCILREF, 9);
  const TLVertex w[4] = {{0, 0, 0.5f, 1, 0xffff0000u, 0, 0}, {37, 0, 0.5f, 1, 0xffff0000u, 0, 0},
                         {0, 21, 0.5f, 1, 0xffff0000u, 0, 0}, {37, 21, 0.5f, 1, 0xffff0000u, 0, 0}};
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, w, sizeof(TLVertex)), D3D_OK);
  const std::vector<std::uint32_t> after = Pixels();
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 37; ++x) {
      const bool in = x >= 3 && x < 34 && y >= 1 && y < 20;
      ASSERT_EQ(after[y * 37 + x], in ? 0xffff0000u : 0xff0000ffu) << x << "," << y;
    }
}

TEST_F(WideTest, LinesReachingFarOutsideDrawOnlyTheirPixelsInside) {
  const TLVertex lines[6] = {{-500.f, 3.f, 0, 1, 0xffff0000u, 0, 0}, {500.f, 3.f, 0, 1, 0xffff0000u, 0, 0},
                             {-100.f, -100.f, 0, 1, 0xff00ff00u, 0, 0}, {100.f, 100.f, 0, 1, 0xff00ff00u, 0, 0},
                             {900.f, 1800.f, 0, 1, 0xff0000ffu, 0, 0}, {-900.f, -1800.f, 0, 1, 0xff0000ffu, 0, 0}};
  ASSERT_EQ(dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000u, 1.f, 0), D3D_OK);
  ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_LINELIST, 3, lines, sizeof(TLVertex)), D3D_OK);
  const std::vector<std::uint32_t> px = Pixels();
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 37; ++x) {
      // In drawing order, later lines over earlier ones.
      std::uint32_t want = 0xff000000u;
      if (y == 3) want = 0xffff0000u;
      if (x == y) want = 0xff00ff00u;
      if (x == (y + 1) / 2) want = 0xff0000ffu;  // x = y / 2 rounded half up, walked backwards, y-major
      ASSERT_EQ(px[y * 37 + x], want) << x << "," << y;
    }
}

// The same draws on one thread and on two must give the same pixels.
class SharedDrawTest : public DeviceTest {
 protected:
  void SetUp() override { Create(512, 256); }
  void TearDown() override {
    d3d9_hooks::SetWorkerThread(true);
    DeviceTest::TearDown();
  }
  std::vector<std::uint32_t> Draw(bool worker) {
    d3d9_hooks::SetWorkerThread(worker);
    Clear(0xff203040u);
    dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // Two big quads over each other: one of a colour, one shaded.
    const TLVertex a[4] = {{1.5f, 2.25f, 0, 1, 0x80ff8000u, 0, 0}, {509.f, 10.f, 0, 1, 0x80ff8000u, 0, 0},
                           {3.f, 250.f, 0, 1, 0x80ff8000u, 0, 0}, {500.5f, 255.f, 0, 1, 0x80ff8000u, 0, 0}};
    const TLVertex b[3] = {{0, 0, 0, 1, 0xc00000ffu, 0, 0}, {512, 40, 0, 1, 0x4000ff00u, 0, 0},
                           {100, 256, 0, 1, 0xffff0000u, 0, 0}};
    EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, a, sizeof(TLVertex)), D3D_OK);
    dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, b, sizeof(TLVertex)), D3D_OK);
    return Pixels();
  }
};

TEST_F(SharedDrawTest, BigDrawsOfFewPrimitivesDrawTheSameOnTwoThreads) {
  const std::vector<std::uint32_t> one = Draw(false);
  const std::vector<std::uint32_t> two = Draw(true);
  EXPECT_EQ(one, two);
  EXPECT_NE(one[128 * 512 + 256], 0xff203040u);  // they did draw
}

}  // namespace
}  // namespace d3d9_test
