// The test hooks (call trace, fault injection, device loss, live objects)
// and presentation into a window's client pixels.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using d3d9_hooks::CallTraceTexts;

TEST_F(DeviceTest, TraceRecordsCallsWithTheirArguments) {
  d3d9_hooks::SetCallTrace(true);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  IDirect3DVertexBuffer9* vb = nullptr;
  dev_->CreateVertexBuffer(28 * 4, 0, kTLFvf, D3DPOOL_MANAGED, &vb, nullptr);
  void* p = nullptr;
  vb->Lock(0, 28, &p, 0);
  vb->Unlock();
  dev_->SetStreamSource(0, vb, 0, 28);
  dev_->DrawPrimitive(D3DPT_LINELIST, 0, 1);
  vb->Release();
  d3d9_hooks::SetCallTrace(false);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);  // not recorded

  const std::vector<std::string> t = CallTraceTexts();
  ASSERT_EQ(t.size(), 8u);
  EXPECT_EQ(t[0], "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)");
  EXPECT_EQ(t[1], "SetSamplerState(0, D3DSAMP_MINFILTER, 2)");
  EXPECT_EQ(t[2].rfind("CreateVertexBuffer(112, 0x0, 0x144, D3DPOOL_MANAGED, &, NULL)", 0), 0u) << t[2];
  EXPECT_EQ(t[3].rfind("Lock(0, 28, &, 0x0)", 0), 0u);
  EXPECT_EQ(t[4], "Unlock()");
  EXPECT_EQ(t[5].rfind("SetStreamSource(0, VertexBuffer#", 0), 0u) << t[5];
  EXPECT_EQ(t[6], "DrawPrimitive(D3DPT_LINELIST, 0, 1)");
  EXPECT_EQ(t[7].rfind("Release(VertexBuffer#", 0), 0u) << t[7];
  EXPECT_EQ(d3d9_hooks::CallTrace()[7].result, 0);  // the stream binding is not the application's count
  EXPECT_EQ(d3d9_hooks::CallCount("SetRenderState"), 1u);
  d3d9_hooks::ClearCallTrace();
  EXPECT_TRUE(CallTraceTexts().empty());
  dev_->SetStreamSource(0, nullptr, 0, 0);
}

TEST_F(DeviceTest, TraceWritesStructuresAndNames) {
  d3d9_hooks::SetCallTrace(true);
  D3DVIEWPORT9 vp{0, 0, 8, 4, 0.01f, 1.f};
  dev_->SetViewport(&vp);
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.f;
  dev_->SetTransform(D3DTS_WORLD, &m);
  D3DRECT r{1, 2, 3, 4};
  dev_->Clear(1, &r, D3DCLEAR_TARGET, 0xff00ff00u, 1.f, 0);
  dev_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  IDirect3DSurface9* s = nullptr;
  dev_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &s, nullptr);
  d3d9_hooks::SetCallTrace(false);
  s->Release();
  const std::vector<std::string> t = CallTraceTexts();
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0], "SetViewport({0,0,8,4,0.01,1})");
  EXPECT_EQ(t[1], "SetTransform(D3DTS_WORLD, {1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1})");
  EXPECT_EQ(t[2], "Clear(1, {1,2,3,4}, 0x1, 0xff00ff00, 1, 0)");
  EXPECT_EQ(t[3], "SetTextureStageState(0, D3DTSS_ALPHAARG1, 0)");
  EXPECT_EQ(t[4], "CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &, NULL)");
}

TEST_F(DeviceTest, InjectedFaultsFailTheNextCallsOnly) {
  d3d9_hooks::FailNextCalls("CreateTexture", E_OUTOFMEMORY, 2);
  IDirect3DTexture9* t = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_EQ(dev_->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), E_OUTOFMEMORY);
  EXPECT_EQ(t, nullptr);  // the out-pointer is cleared
  EXPECT_EQ(d3d9_hooks::PendingFaults("CreateTexture"), 1);
  EXPECT_EQ(dev_->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), E_OUTOFMEMORY);
  ASSERT_EQ(dev_->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);

  d3d9_hooks::FailNextCalls("LockRect", D3DERR_WASSTILLDRAWING);
  D3DLOCKED_RECT lr;
  EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3DERR_WASSTILLDRAWING);
  EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  t->UnlockRect(0);
  t->Release();

  d3d9_hooks::FailNextCalls("Present", D3DERR_DRIVERINTERNALERROR);
  EXPECT_EQ(dev_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DRIVERINTERNALERROR);
  d3d9_hooks::FailNextCalls("Reset", D3DERR_OUTOFVIDEOMEMORY);
  d3d9_hooks::ClearFaults();
  EXPECT_EQ(d3d9_hooks::PendingFaults("Reset"), 0);

  // Faulted calls are traced with the injected result.
  d3d9_hooks::SetCallTrace(true);
  d3d9_hooks::FailNextCalls("BeginScene", D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->BeginScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(d3d9_hooks::CallTrace().size(), 1u);
  EXPECT_EQ(d3d9_hooks::CallTrace()[0].result, D3DERR_INVALIDCALL);
}

TEST(HooksTest, CreateDeviceAndDirect3DCreate9Faults) {
  d3d9_hooks::ResetAll();
  d3d9_hooks::FailNextCalls("Direct3DCreate9", E_FAIL);
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  d3d9_hooks::FailNextCalls("CreateDevice", D3DERR_INVALIDCALL);
  D3DPRESENT_PARAMETERS pp = WindowedParams(8, 8);
  IDirect3DDevice9* dev = nullptr;
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), 0x86, &pp, &dev), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev, nullptr);
  // The retry with software vertex processing, as the engine does it.
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), 0x26, &pp, &dev), D3D_OK);
  EXPECT_EQ(dev->GetSoftwareVertexProcessing(), TRUE);
  dev->Release();
  d3d->Release();
  d3d9_hooks::ResetAll();
}

TEST_F(DeviceTest, SimulatedLossRunsTheCooperativeLevelSequence) {
  dev_->EndScene();
  d3d9_hooks::SimulateDeviceLost(2);
  EXPECT_TRUE(d3d9_hooks::DeviceLost());
  EXPECT_EQ(dev_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  D3DPRESENT_PARAMETERS pp = WindowedParams(8, 8);
  EXPECT_EQ(dev_->Reset(&pp), D3DERR_DEVICELOST);  // too early
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  // While lost, drawing succeeds and draws nothing.
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);
  dev_->EndScene();
  ASSERT_EQ(dev_->Reset(&pp), D3D_OK);
  EXPECT_FALSE(d3d9_hooks::DeviceLost());
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3D_OK);
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
}

TEST_F(DeviceTest, LiveObjectCountFollowsReleases) {
  const int before = d3d9_hooks::LiveObjectCount();
  IDirect3DSurface9* s = nullptr;
  ASSERT_EQ(dev_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &s, nullptr), D3D_OK);
  EXPECT_EQ(d3d9_hooks::LiveObjectCount(), before + 1);
  s->Release();
  EXPECT_EQ(d3d9_hooks::LiveObjectCount(), before);
}

class PresentTest : public DeviceTest {
 protected:
  void SetUp() override { Create(4, 2); }
  std::vector<std::uint32_t> Window() {
    ClientPixels px{};
    EXPECT_TRUE(GetClientPixels(TestWindow(), &px));
    std::vector<std::uint32_t> out;
    for (int y = 0; y < px.height; ++y)
      for (int x = 0; x < px.width; ++x) out.push_back(px.data[y * px.pitch + x]);
    return out;
  }
};

int g_changed = 0;

TEST_F(PresentTest, PresentCopiesTheBackBufferIntoTheWindow) {
  SetClientPixelsListener([](HWND) { ++g_changed; });
  g_changed = 0;
  DrawQuad(0, 0, 2, 2, 0xffff0000u);
  dev_->EndScene();
  ASSERT_EQ(dev_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(g_changed, 1);
  EXPECT_EQ(Window(), (std::vector<std::uint32_t>{0xffff0000u, 0xffff0000u, 0xff000000u, 0xff000000u, 0xffff0000u,
                                                   0xffff0000u, 0xff000000u, 0xff000000u}));
  // The swap effect COPY keeps the back buffer.
  EXPECT_EQ(Pixel(0, 0), 0xffff0000u);

  // Stretched into a destination rectangle of a larger client area.
  SetClientPixelsSize(TestWindow(), 8, 4);
  RECT dest{0, 0, 8, 4};
  ASSERT_EQ(dev_->Present(nullptr, &dest, nullptr, nullptr), D3D_OK);
  std::vector<std::uint32_t> w = Window();
  EXPECT_EQ(w[0], 0xffff0000u);
  EXPECT_EQ(w[3], 0xffff0000u);
  EXPECT_EQ(w[4], 0xff000000u);
  EXPECT_EQ(w[3 * 8 + 3], 0xffff0000u);
  // A destination partly outside the client area is cut, not overrun.
  RECT off{6, 2, 14, 6};
  ASSERT_EQ(dev_->Present(nullptr, &off, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(Window()[2 * 8 + 6], 0xffff0000u);
  SetClientPixelsListener(nullptr);
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
}

}  // namespace
}  // namespace d3d9_test
