// Draws are recorded and rasterized later, band by band, on one or two
// threads. These cases check what must not show: a scene gives the same
// pixels as when every call is drawn at once, and whatever the application
// does to its resources between a draw and the moment the pixels are
// needed (refilled vertices, new texels, a released texture, a render
// target used as a texture) reaches only the draws after it.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

class DeferredTest : public DeviceTest {
 protected:
  void SetUp() override { Create(203, 149, D3DFMT_X8R8G8B8, true); }

  // A texture of one colour.
  IDirect3DTexture9* Solid(D3DCOLOR c, UINT size = 8) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(dev_->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    Fill(t, c);
    return t;
  }
  void Fill(IDirect3DTexture9* t, D3DCOLOR c) {
    D3DSURFACE_DESC d;
    t->GetLevelDesc(0, &d);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < d.Height; ++y)
      for (UINT x = 0; x < d.Width; ++x) static_cast<D3DCOLOR*>(lr.pBits)[y * lr.Pitch / 4 + x] = c;
    t->UnlockRect(0);
  }
  void Quad(float x0, float y0, float x1, float y1, D3DCOLOR c, float z = 0.5f) {
    const TLVertex v[4] = {{x0, y0, z, 1, c, 0, 0}, {x1, y0, z, 1, c, 1, 0}, {x0, y1, z, 1, c, 0, 1},
                           {x1, y1, z, 1, c, 1, 1}};
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TLVertex)), D3D_OK);
  }

  // A seeded scene of clears, triangles of every primitive type, lines and
  // points under changing blend, depth, shade and fill states, many of
  // them crossing band boundaries. With `at_once`, a lock of another
  // surface after every call makes the device draw each call before the
  // next.
  std::vector<std::uint32_t> Scene(bool at_once) {
    IDirect3DSurface9* other = nullptr;
    EXPECT_EQ(dev_->CreateOffscreenPlainSurface(1, 1, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &other, nullptr), D3D_OK);
    auto step = [&] {
      if (!at_once) return;
      D3DLOCKED_RECT lr;
      ASSERT_EQ(other->LockRect(&lr, nullptr, 0), D3D_OK);
      other->UnlockRect();
    };
    IDirect3DTexture9* tex = Solid(0x80c0a060u);
    std::mt19937 r(149);
    auto f = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(r); };
    auto vertex = [&] {
      return TLVertex{f(-20, 223), f(-20, 169), f(0, 1), 1, static_cast<D3DCOLOR>(r()), f(0, 1), f(0, 1)};
    };
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff102030u, 1.f, 0);
    step();
    for (int i = 0; i < 120; ++i) {
      dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, i % 3 == 0);
      dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      dev_->SetRenderState(D3DRS_DESTBLEND, i % 2 ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
      dev_->SetRenderState(D3DRS_ZENABLE, i % 4 != 1 ? D3DZB_TRUE : D3DZB_FALSE);
      dev_->SetRenderState(D3DRS_SHADEMODE, i % 5 == 0 ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
      dev_->SetRenderState(D3DRS_FILLMODE, i % 11 == 3 ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
      dev_->SetRenderState(D3DRS_POINTSIZE, i % 2 ? 0x40a00000u : 0x3f800000u);  // 5 or 1
      dev_->SetTexture(0, i % 4 == 2 ? tex : nullptr);
      TLVertex v[12];
      for (TLVertex& x : v) x = vertex();
      switch (i % 6) {
        case 0: dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 4, v, sizeof(TLVertex)); break;
        case 1: dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 6, v, sizeof(TLVertex)); break;
        case 2: dev_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 5, v, sizeof(TLVertex)); break;
        case 3: dev_->DrawPrimitiveUP(D3DPT_LINELIST, 6, v, sizeof(TLVertex)); break;
        case 4: dev_->DrawPrimitiveUP(D3DPT_LINESTRIP, 11, v, sizeof(TLVertex)); break;
        default: dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 12, v, sizeof(TLVertex)); break;
      }
      step();
      if (i % 17 == 8) {
        const D3DRECT rect{static_cast<LONG>(f(0, 150)), static_cast<LONG>(f(0, 100)), static_cast<LONG>(f(0, 203)),
                           static_cast<LONG>(f(50, 149))};
        dev_->Clear(1, &rect, D3DCLEAR_TARGET | (i % 2 ? D3DCLEAR_ZBUFFER : 0), static_cast<D3DCOLOR>(r()),
                    f(0, 1), 0);
        step();
      }
    }
    dev_->SetTexture(0, nullptr);
    tex->Release();
    other->Release();
    return Pixels();
  }
};

TEST_F(DeferredTest, AScenePaintsTheSamePixelsDeferredOrDrawnCallByCall) {
  const std::vector<std::uint32_t> at_once = Scene(true);
  const std::vector<std::uint32_t> deferred = Scene(false);
  d3d9_hooks::SetWorkerThread(false);
  const std::vector<std::uint32_t> one_thread = Scene(false);
  ASSERT_EQ(at_once.size(), deferred.size());
  int differ = 0, differ_one = 0, painted = 0;
  for (std::size_t i = 0; i < at_once.size(); ++i) {
    differ += at_once[i] != deferred[i];
    differ_one += at_once[i] != one_thread[i];
    painted += at_once[i] != 0xff102030u;
  }
  EXPECT_EQ(differ, 0);
  EXPECT_EQ(differ_one, 0);
  EXPECT_GT(painted, 203 * 149 / 2);  // the scene did draw
}

TEST_F(DeferredTest, EachDrawKeepsTheResourcesAsTheyWereWhenItWasMade) {
  // Vertices refilled after every draw, as the bench does per shape.
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(dev_->CreateVertexBuffer(4 * sizeof(TLVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kTLFvf,
                                     D3DPOOL_DEFAULT, &vb, nullptr),
            D3D_OK);
  dev_->SetStreamSource(0, vb, 0, sizeof(TLVertex));
  for (int i = 0; i < 5; ++i) {
    void* out = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &out, D3DLOCK_DISCARD), D3D_OK);
    const float x = 10.f + 40.f * static_cast<float>(i);
    const TLVertex v[4] = {{x, 10, 0, 1, 0xff00ff00u, 0, 0}, {x + 20, 10, 0, 1, 0xff00ff00u, 0, 0},
                           {x, 30, 0, 1, 0xff00ff00u, 0, 0}, {x + 20, 30, 0, 1, 0xff00ff00u, 0, 0}};
    std::memcpy(out, v, sizeof(v));
    vb->Unlock();
    ASSERT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  }
  dev_->SetStreamSource(0, nullptr, 0, 0);
  vb->Release();

  // Texels changed after a draw: the draw keeps the old ones.
  IDirect3DTexture9* t = Solid(0xffff0000u);
  dev_->SetTexture(0, t);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Quad(10, 50, 40, 80, 0xffffffffu);
  Fill(t, 0xff0000ffu);
  Quad(60, 50, 90, 80, 0xffffffffu);
  // A texture released before the pixels are needed still paints its draw.
  IDirect3DTexture9* gone = Solid(0xffffff00u);
  dev_->SetTexture(0, gone);
  Quad(110, 50, 140, 80, 0xffffffffu);
  dev_->SetTexture(0, t);
  gone->Release();

  // A render target texture drawn into, then sampled by the back buffer's
  // next draw.
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(dev_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  IDirect3DSurface9 *back = nullptr, *level = nullptr;
  dev_->GetRenderTarget(0, &back);
  target->GetSurfaceLevel(0, &level);
  dev_->SetTexture(0, nullptr);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  ASSERT_EQ(dev_->SetRenderTarget(0, level), D3D_OK);
  dev_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000u, 1.f, 0);
  Quad(0, 0, 16, 16, 0xffff00ffu);
  ASSERT_EQ(dev_->SetRenderTarget(0, back), D3D_OK);
  dev_->SetTexture(0, target);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Quad(160, 50, 190, 80, 0xffffffffu);
  dev_->SetTexture(0, nullptr);
  level->Release();
  back->Release();
  target->Release();
  t->Release();

  const std::vector<std::uint32_t> px = Pixels();
  auto at = [&](int x, int y) { return px[static_cast<std::size_t>(y) * 203 + x]; };
  for (int i = 0; i < 5; ++i) EXPECT_EQ(at(20 + 40 * i, 20), 0xff00ff00u) << "shape " << i;
  EXPECT_EQ(at(25, 65), 0xffff0000u);
  EXPECT_EQ(at(75, 65), 0xff0000ffu);
  EXPECT_EQ(at(125, 65), 0xffffff00u);
  EXPECT_EQ(at(175, 65), 0xffff00ffu);
}

TEST_F(DeferredTest, PresentShowsEveryBandAsDrawn) {
  // Draws over the upper bands only, presented from a source rectangle
  // that starts inside a band to a destination elsewhere in a larger
  // window: the bands without draws are shown too.
  dev_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  Clear(0xff405060u);
  for (int i = 0; i < 30; ++i)
    Quad(static_cast<float>(i * 6), static_cast<float>(i * 2), static_cast<float>(i * 6 + 40),
         static_cast<float>(i * 2 + 30), 0xff000000u | static_cast<D3DCOLOR>(i * 0x081020));
  Pixels();  // drawn; the frame below has only the quads
  for (int i = 0; i < 30; ++i)
    Quad(static_cast<float>(i * 6), static_cast<float>(i * 2), static_cast<float>(i * 6 + 40),
         static_cast<float>(i * 2 + 30), 0xff000000u | static_cast<D3DCOLOR>(i * 0x102008));
  const RECT src{7, 37, 190, 141}, dst{11, 3, 194, 107};
  dev_->EndScene();
  SetClientPixelsSize(TestWindow(), 210, 120);
  ASSERT_EQ(dev_->Present(&src, &dst, nullptr, nullptr), D3D_OK);
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
  ClientPixels px{};
  ASSERT_TRUE(GetClientPixels(TestWindow(), &px));
  const std::vector<std::uint32_t> back = Pixels();
  for (int y = 0; y < 104; ++y)
    for (int x = 0; x < 183; ++x)
      ASSERT_EQ(px.data[(y + 3) * px.pitch + x + 11], back[static_cast<std::size_t>(y + 37) * 203 + x + 7])
          << x << "," << y;
}

TEST_F(DeferredTest, PresentScalesToTheWindowAsStretchRectDoes) {
  // A window smaller and one larger than the source: each shows the
  // point-sampled picture StretchRect makes of the same rectangle.
  dev_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  for (int i = 0; i < 40; ++i)
    Quad(static_cast<float>(i * 5), static_cast<float>(i * 3 % 140), static_cast<float>(i * 5 + 9),
         static_cast<float>(i * 3 % 140 + 9), 0xff000000u | static_cast<D3DCOLOR>(i * 0x060b11));
  const RECT src{3, 2, 200, 147};
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(dev_->GetRenderTarget(0, &back), D3D_OK);
  dev_->EndScene();
  for (const SIZE size : {SIZE{131, 77}, SIZE{250, 190}}) {
    SetClientPixelsSize(TestWindow(), size.cx, size.cy);
    ASSERT_EQ(dev_->Present(&src, nullptr, nullptr, nullptr), D3D_OK);
    IDirect3DSurface9* want = nullptr;
    ASSERT_EQ(dev_->CreateRenderTarget(size.cx, size.cy, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &want, nullptr),
              D3D_OK);
    ASSERT_EQ(dev_->StretchRect(back, &src, want, nullptr, D3DTEXF_POINT), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(want->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    ClientPixels px{};
    ASSERT_TRUE(GetClientPixels(TestWindow(), &px));
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x)
        ASSERT_EQ(px.data[y * px.pitch + x], static_cast<const D3DCOLOR*>(lr.pBits)[y * lr.Pitch / 4 + x] | 0xff000000u)
            << size.cx << " wide: " << x << "," << y;
    want->UnlockRect();
    want->Release();
  }
  back->Release();
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
}

TEST_F(DeferredTest, ManySmallPointsDrawnAtOnceKeepTheirPlaceAmongRecordedDraws) {
  // Big lists of one-pixel points are drawn at once, not recorded: the
  // draws recorded before them still come first and those after them last.
  dev_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  Quad(0, 0, 203, 149, 0xff0000ffu);
  std::vector<TLVertex> points;
  for (int y = 0; y < 149; y += 2)
    for (int x = 0; x < 203; x += 2)
      points.push_back({static_cast<float>(x), static_cast<float>(y), 0, 1, 0xffff0000u, 0, 0});
  std::vector<std::uint16_t> indices(points.size());
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint16_t>(indices.size() - 1 - i);
  ASSERT_GE(points.size(), 2000u);
  // An indexed list, last point first.
  ASSERT_EQ(dev_->DrawIndexedPrimitiveUP(D3DPT_POINTLIST, 0, static_cast<UINT>(points.size()),
                                         static_cast<UINT>(indices.size()), indices.data(), D3DFMT_INDEX16,
                                         points.data(), sizeof(TLVertex)),
            D3D_OK);
  Quad(100, 0, 203, 149, 0xff00ff00u);
  const std::vector<std::uint32_t> px = Pixels();
  for (int y = 0; y < 149; ++y)
    for (int x = 0; x < 203; ++x) {
      const std::uint32_t want = x >= 100 ? 0xff00ff00u : (x % 2 == 0 && y % 2 == 0) ? 0xffff0000u : 0xff0000ffu;
      ASSERT_EQ(px[static_cast<std::size_t>(y) * 203 + x], want) << x << "," << y;
    }
}

TEST_F(DeferredTest, FramesBeyondWhatTheRecordHoldsDrawEverything) {
  // More points than one record holds: the device draws on the way, and
  // every point still lands, the last ones over the first. Points of 2.5
  // pixels (three pixels wide) 3 pixels apart tile the target.
  dev_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  dev_->SetRenderState(D3DRS_POINTSIZE, 0x40200000u);  // 2.5
  std::vector<TLVertex> points;
  for (int y = 1; y < 149; y += 3)
    for (int x = 1; x < 203; x += 3)
      points.push_back({static_cast<float>(x), static_cast<float>(y), 0, 1, 0xff000000u | (x << 8) | y, 0, 0});
  const UINT n = static_cast<UINT>(points.size());
  for (int pass = 0; pass < 40; ++pass) {
    for (TLVertex& p : points) p.color = (p.color & 0xff00ffffu) | (static_cast<D3DCOLOR>(pass) << 16);
    ASSERT_EQ(dev_->DrawPrimitiveUP(D3DPT_POINTLIST, n, points.data(), sizeof(TLVertex)), D3D_OK);
  }
  const std::vector<std::uint32_t> px = Pixels();
  for (int y = 0; y < 147; ++y)
    for (int x = 0; x < 201; ++x) {
      const int cx = x / 3 * 3 + 1, cy = y / 3 * 3 + 1;
      ASSERT_EQ(px[static_cast<std::size_t>(y) * 203 + x], 0xff270000u | (cx << 8) | cy) << x << "," << y;
    }
}

}  // namespace
}  // namespace d3d9_test
