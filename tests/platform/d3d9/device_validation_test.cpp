// Creation, validation and lifetime rules of the device: Direct3DCreate9,
// the adapter's modes and format checks, CreateDevice, resource creation
// with usage and pool pairs, locks, scenes, Reset and reference counts.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

class AdapterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9_hooks::ResetAll();
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
  }
  void TearDown() override {
    EXPECT_EQ(d3d_->Release(), 0u);
    d3d9_hooks::ResetAll();
  }
  IDirect3D9* d3d_ = nullptr;
};

TEST(Direct3DCreate9Test, OnlyTheKnownSdkVersion) {
  EXPECT_EQ(Direct3DCreate9(32), nullptr);
  EXPECT_EQ(Direct3DCreate9(0), nullptr);
  IDirect3D9* d3d = Direct3DCreate9(31);
  ASSERT_NE(d3d, nullptr);
  EXPECT_EQ(d3d->GetAdapterCount(), 1u);
  d3d->Release();
}

TEST_F(AdapterTest, DefaultModeListsAndConfiguredOnes) {
  EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 18u);
  EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_R5G6B5), 3u);
  EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_A2R10G10B10), 0u);
  D3DDISPLAYMODE m;
  ASSERT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 0, &m), D3D_OK);
  EXPECT_EQ(m.Width, 640u);
  EXPECT_EQ(m.RefreshRate, 60u);
  ASSERT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 17, &m), D3D_OK);
  EXPECT_EQ(m.Width, 1920u);
  EXPECT_EQ(m.Height, 1200u);
  EXPECT_EQ(m.RefreshRate, 75u);
  EXPECT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 18, &m), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_A2R10G10B10, 0, &m), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->EnumAdapterModes(1, D3DFMT_X8R8G8B8, 0, &m), D3DERR_INVALIDCALL);

  d3d9_hooks::SetDisplayModes(D3DFMT_X1R5G5B5, {{800, 600, 60, D3DFMT_UNKNOWN}});
  EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_X1R5G5B5), 1u);
  ASSERT_EQ(d3d_->EnumAdapterModes(0, D3DFMT_X1R5G5B5, 0, &m), D3D_OK);
  EXPECT_EQ(m.Format, D3DFMT_X1R5G5B5);
  d3d9_hooks::RestoreDefaultDisplayModes();
  EXPECT_EQ(d3d_->GetAdapterModeCount(0, D3DFMT_X1R5G5B5), 0u);
}

TEST_F(AdapterTest, CheckDeviceFormatMatchesWhatCreationAccepts) {
  auto check = [&](DWORD usage, D3DRESOURCETYPE type, D3DFORMAT f) {
    return d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, type, f);
  };
  for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                      D3DFMT_A4R4G4B4, D3DFMT_R8G8B8, D3DFMT_L8, D3DFMT_A8})
    EXPECT_EQ(check(0, D3DRTYPE_TEXTURE, f), D3D_OK) << f;
  for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT5, D3DFMT_R3G3B2, D3DFMT_A16B16G16R16F, D3DFMT_G32R32F, D3DFMT_L16})
    EXPECT_EQ(check(0, D3DRTYPE_TEXTURE, f), D3D_OK) << f;
  // Palettised and video formats are not textures on this device.
  for (D3DFORMAT f : {D3DFMT_P8, D3DFMT_A8P8, D3DFMT_YUY2, D3DFMT_UYVY, D3DFMT_R8G8_B8G8, D3DFMT_G8R8_G8B8})
    EXPECT_EQ(check(0, D3DRTYPE_TEXTURE, f), D3DERR_NOTAVAILABLE) << f;
  EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5), D3D_OK);
  EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X8), D3D_OK);
  EXPECT_EQ(check(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8), D3DOK_NOAUTOGEN);
  EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8),
            D3DERR_NOTAVAILABLE);
}

TEST_F(AdapterTest, CreateDeviceValidatesItsArguments) {
  SetClientPixelsSize(TestWindow(), 32, 24);
  IDirect3DDevice9* dev = reinterpret_cast<IDirect3DDevice9*>(1);
  D3DPRESENT_PARAMETERS pp = WindowedParams(64, 64);
  // Behaviour flags need exactly one kind of vertex processing.
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), 0, &pp, &dev), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev, nullptr);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(),
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d_->CreateDevice(1, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_INVALIDCALL);
  // A full-screen mode the adapter does not list.
  D3DPRESENT_PARAMETERS fs = pp;
  fs.Windowed = FALSE;
  fs.BackBufferWidth = 1000;
  fs.BackBufferHeight = 700;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &fs, &dev),
            D3DERR_INVALIDCALL);
  fs.BackBufferWidth = 1024;
  fs.BackBufferHeight = 768;
  fs.FullScreen_RefreshRateInHz = 75;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), 0x86, &fs, &dev), D3D_OK);
  dev->Release();
  // Windowed with zero sizes and an unknown format takes the window's
  // client size and the desktop format, and writes them back.
  D3DPRESENT_PARAMETERS w = WindowedParams(0, 0, D3DFMT_UNKNOWN);
  w.BackBufferCount = 0;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_MIXED_VERTEXPROCESSING, &w, &dev), D3D_OK);
  EXPECT_EQ(w.BackBufferWidth, 32u);
  EXPECT_EQ(w.BackBufferHeight, 24u);
  EXPECT_EQ(w.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(w.BackBufferCount, 1u);
  EXPECT_EQ(dev->Release(), 0u);
  ReleaseClientPixels(TestWindow());
}

TEST_F(DeviceTest, CapsDescribeTheDevice) {
  D3DCAPS9 caps;
  ASSERT_EQ(dev_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFLINEAR);
  EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC);  // magnified, it is bilinear
  EXPECT_TRUE(caps.StencilCaps & D3DSTENCILCAPS_TWOSIDED);
  EXPECT_TRUE(caps.RasterCaps & D3DPRASTERCAPS_FOGRANGE);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_CULLCCW);
  EXPECT_EQ(caps.MaxTextureBlendStages, 1u);
  D3DCAPS9 from_d3d;
  ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &from_d3d), D3D_OK);
  EXPECT_EQ(std::memcmp(&caps, &from_d3d, sizeof caps), 0);
}

TEST_F(DeviceTest, TextureUsageAndPoolRules) {
  IDirect3DTexture9* t = nullptr;
  auto create = [&](UINT levels, DWORD usage, D3DFORMAT f, D3DPOOL pool) {
    const HRESULT hr = dev_->CreateTexture(16, 16, levels, usage, f, pool, &t, nullptr);
    if (t) {
      t->Release();
      t = nullptr;
    }
    return hr;
  };
  EXPECT_EQ(create(0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED), D3D_OK);
  EXPECT_EQ(create(1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT), D3D_OK);
  EXPECT_EQ(create(1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D16, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(1, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(1, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT), D3D_OK);
  EXPECT_EQ(create(1, D3DUSAGE_RENDERTARGET, D3DFMT_A4R4G4B4, D3DPOOL_DEFAULT), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(create(1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED), D3D_OK);
  EXPECT_EQ(create(1, 0, D3DFMT_P8, D3DPOOL_MANAGED), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(create(1, 0, D3DFMT_YUY2, D3DPOOL_MANAGED), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(create(1, 0, D3DFMT_DXT1, D3DPOOL_SCRATCH), D3D_OK);  // scratch memory knows every layout
  EXPECT_EQ(create(1, 0, static_cast<D3DFORMAT>(12345), D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
  EXPECT_EQ(create(6, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);  // 16x16 has 5 levels
  EXPECT_EQ(dev_->CreateTexture(0, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->CreateTexture(16, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, nullptr, nullptr), D3DERR_INVALIDCALL);

  ASSERT_EQ(dev_->CreateTexture(16, 8, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  EXPECT_EQ(t->GetLevelCount(), 5u);
  D3DSURFACE_DESC d;
  ASSERT_EQ(t->GetLevelDesc(4, &d), D3D_OK);
  EXPECT_EQ(d.Width, 1u);
  EXPECT_EQ(d.Height, 1u);
  EXPECT_EQ(d.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(t->GetLevelDesc(5, &d), D3DERR_INVALIDCALL);
  t->Release();
}

TEST_F(DeviceTest, LockRulesOfTexturesAndSurfaces) {
  IDirect3DTexture9* managed = nullptr;
  IDirect3DTexture9* video = nullptr;
  ASSERT_EQ(dev_->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
  ASSERT_EQ(dev_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &video, nullptr),
            D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(managed->LockRect(0, &lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(lr.Pitch, 32);
  EXPECT_EQ(managed->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  EXPECT_EQ(managed->UnlockRect(0), D3D_OK);
  RECT r{2, 3, 4, 5};
  ASSERT_EQ(managed->LockRect(0, &lr, &r, 0), D3D_OK);
  managed->UnlockRect(0);
  RECT outside{4, 4, 9, 5};
  EXPECT_EQ(managed->LockRect(0, &lr, &outside, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(lr.pBits, nullptr);
  EXPECT_EQ(managed->LockRect(1, &lr, nullptr, 0), D3DERR_INVALIDCALL);
  // Render-target textures in video memory are not lockable.
  EXPECT_EQ(video->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL);
  managed->Release();
  video->Release();
}

TEST_F(DeviceTest, BufferLocksStayInsideTheBuffer) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(dev_->CreateVertexBuffer(280, 0, kTLFvf, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  void* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);  // size 0: the whole buffer
  vb->Unlock();
  ASSERT_EQ(vb->Lock(252, 28, &p, 0), D3D_OK);
  vb->Unlock();
  EXPECT_EQ(vb->Lock(253, 28, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(vb->Lock(281, 0, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(0, 0xffffffffu, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
  D3DVERTEXBUFFER_DESC d;
  ASSERT_EQ(vb->GetDesc(&d), D3D_OK);
  EXPECT_EQ(d.Size, 280u);
  EXPECT_EQ(d.FVF, kTLFvf);
  EXPECT_EQ(d.Type, D3DRTYPE_VERTEXBUFFER);
  vb->Release();

  IDirect3DVertexBuffer9* bad = nullptr;
  EXPECT_EQ(dev_->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &bad, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->CreateVertexBuffer(20, 0, kTLFvf, D3DPOOL_MANAGED, &bad, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, 0, D3DPOOL_MANAGED, &bad, nullptr), D3DERR_INVALIDCALL);
  IDirect3DIndexBuffer9* ib = nullptr;
  EXPECT_EQ(dev_->CreateIndexBuffer(64, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &ib, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev_->CreateIndexBuffer(2000, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
  EXPECT_EQ(ib->Lock(1998, 4, &p, 0), D3DERR_INVALIDCALL);
  ib->Release();
}

TEST_F(DeviceTest, DrawCallsCheckScenesStreamsAndRanges) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(dev_->CreateVertexBuffer(4 * sizeof(TLVertex), 0, kTLFvf, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  EXPECT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);  // no stream
  ASSERT_EQ(dev_->SetStreamSource(0, vb, 0, sizeof(TLVertex)), D3D_OK);
  EXPECT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);  // past the end
  EXPECT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(9), 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->BeginScene(), D3DERR_INVALIDCALL);  // already in one
  ASSERT_EQ(dev_->EndScene(), D3D_OK);
  EXPECT_EQ(dev_->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // outside a scene
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);

  // Indexed draws: indices outside the given vertex range are skipped.
  IDirect3DIndexBuffer9* ib = nullptr;
  ASSERT_EQ(dev_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
  void* p;
  ib->Lock(0, 0, &p, 0);
  const std::uint16_t idx[6] = {0, 1, 2, 1, 3, 40000};
  std::memcpy(p, idx, sizeof idx);
  ib->Unlock();
  vb->Lock(0, 0, &p, 0);
  TLVertex v[4] = {{0, 0, 0, 1, 0xffffffffu, 0, 0}, {8, 0, 0, 1, 0xffffffffu, 0, 0},
                   {0, 8, 0, 1, 0xffffffffu, 0, 0}, {8, 8, 0, 1, 0xffffffffu, 0, 0}};
  std::memcpy(p, v, sizeof v);
  vb->Unlock();
  EXPECT_EQ(dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);  // no indices set
  ASSERT_EQ(dev_->SetIndices(ib), D3D_OK);
  EXPECT_EQ(dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
  EXPECT_EQ(Pixel(1, 1), 0xffffffffu);   // first triangle drawn
  EXPECT_EQ(Pixel(7, 7), 0xff000000u);   // second one had a bad index
  EXPECT_EQ(dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 1, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 5, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 4, 0, 1), D3DERR_INVALIDCALL);

  // A user-pointer draw unbinds stream 0.
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(TLVertex));
  IDirect3DVertexBuffer9* bound = vb;
  UINT offset = 1, stride = 1;
  ASSERT_EQ(dev_->GetStreamSource(0, &bound, &offset, &stride), D3D_OK);
  EXPECT_EQ(bound, nullptr);
  dev_->SetIndices(nullptr);
  ib->Release();
  vb->Release();
}

TEST_F(DeviceTest, GetReturnsWhatSetStored) {
  dev_->SetRenderState(D3DRS_FOGCOLOR, 0xff6464f5u);
  DWORD v = 0;
  ASSERT_EQ(dev_->GetRenderState(D3DRS_FOGCOLOR, &v), D3D_OK);
  EXPECT_EQ(v, 0xff6464f5u);
  EXPECT_EQ(dev_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(1000), 1), D3DERR_INVALIDCALL);
  dev_->SetSamplerState(3, D3DSAMP_MAXANISOTROPY, 8);
  ASSERT_EQ(dev_->GetSamplerState(3, D3DSAMP_MAXANISOTROPY, &v), D3D_OK);
  EXPECT_EQ(v, 8u);
  EXPECT_EQ(dev_->SetSamplerState(16, D3DSAMP_MAXANISOTROPY, 8), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev_->GetTextureStageState(1, D3DTSS_COLOROP, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_DISABLE));
  ASSERT_EQ(dev_->GetTextureStageState(0, D3DTSS_ALPHAOP, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_SELECTARG1));
  D3DMATRIX m{};
  m._11 = 2.f;
  m._44 = 1.f;
  dev_->SetTransform(D3DTS_PROJECTION, &m);
  D3DMATRIX back{};
  dev_->GetTransform(D3DTS_PROJECTION, &back);
  EXPECT_EQ(back._11, 2.f);
  EXPECT_EQ(dev_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(4), &m), D3DERR_INVALIDCALL);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Direction = {0, 1, 0};
  EXPECT_EQ(dev_->GetLight(0, &light), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev_->SetLight(0, &light), D3D_OK);
  ASSERT_EQ(dev_->LightEnable(0, TRUE), D3D_OK);
  BOOL on = FALSE;
  ASSERT_EQ(dev_->GetLightEnable(0, &on), D3D_OK);
  EXPECT_TRUE(on);
  D3DMATERIAL9 mat{};
  mat.Power = 40.f;
  dev_->SetMaterial(&mat);
  D3DMATERIAL9 mat_back{};
  dev_->GetMaterial(&mat_back);
  EXPECT_EQ(mat_back.Power, 40.f);
  D3DVIEWPORT9 vp{0, 0, 9, 8, 0.f, 1.f};
  EXPECT_EQ(dev_->SetViewport(&vp), D3DERR_INVALIDCALL);  // wider than the target
  DWORD fvf = 0;
  dev_->GetFVF(&fvf);
  EXPECT_EQ(fvf, kTLFvf);
}

TEST_F(DeviceTest, ResetNeedsDefaultPoolResourcesReleased) {
  IDirect3DTexture9* rt = nullptr;
  IDirect3DVertexBuffer9* managed = nullptr;
  ASSERT_EQ(dev_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr), D3D_OK);
  ASSERT_EQ(dev_->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
  void* p;
  managed->Lock(0, 0, &p, 0);
  std::memcpy(p, "managed-content!", 16);
  managed->Unlock();
  dev_->EndScene();
  D3DPRESENT_PARAMETERS pp = WindowedParams(16, 16);
  EXPECT_EQ(dev_->Reset(&pp), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);  // a failed Reset leaves it waiting
  // The back buffer held by the application blocks it as well.
  rt->Release();
  IDirect3DSurface9* bb = nullptr;
  ASSERT_EQ(dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
  EXPECT_EQ(dev_->Reset(&pp), D3DERR_INVALIDCALL);
  bb->Release();
  ASSERT_EQ(dev_->Reset(&pp), D3D_OK);
  EXPECT_EQ(dev_->TestCooperativeLevel(), D3D_OK);
  ASSERT_EQ(dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
  D3DSURFACE_DESC d;
  bb->GetDesc(&d);
  EXPECT_EQ(d.Width, 16u);
  bb->Release();
  // Managed contents survive; states are back to their defaults.
  managed->Lock(0, 0, &p, D3DLOCK_READONLY);
  EXPECT_EQ(std::memcmp(p, "managed-content!", 16), 0);
  managed->Unlock();
  managed->Release();
  DWORD lighting = 0;
  dev_->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, static_cast<DWORD>(TRUE));
  ASSERT_EQ(dev_->BeginScene(), D3D_OK);
}

TEST_F(DeviceTest, ReferenceCountsOfSharedAndBoundObjects) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(dev_->CreateTexture(4, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(1, &level), D3D_OK);
  // The level keeps its texture: releasing the texture first is fine.
  EXPECT_EQ(t->Release(), 1u);
  IDirect3DTexture9* container = nullptr;
  ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container)), D3D_OK);
  EXPECT_EQ(container, t);
  container->Release();
  EXPECT_EQ(level->Release(), 0u);

  // A bound texture outlives the application's last Release.
  ASSERT_EQ(dev_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  dev_->SetTexture(0, t);
  EXPECT_EQ(t->Release(), 0u);
  DrawQuad(0, 0, 8, 8, 0xffffffffu);  // still samples it
  IDirect3DBaseTexture9* got = nullptr;
  ASSERT_EQ(dev_->GetTexture(0, &got), D3D_OK);
  EXPECT_EQ(got, t);
  got->Release();
  dev_->SetTexture(0, nullptr);  // now it goes

  IDirect3D9* d3d = nullptr;
  ASSERT_EQ(dev_->GetDirect3D(&d3d), D3D_OK);
  EXPECT_EQ(d3d, d3d_);
  d3d->Release();
  EXPECT_EQ(dev_->Release(), 0u);
  dev_ = nullptr;
}

TEST_F(DeviceTest, SurfaceCopiesCheckPoolsAndFormats) {
  IDirect3DSurface9* sys = nullptr;
  IDirect3DSurface9* rt = nullptr;
  IDirect3DSurface9* rt565 = nullptr;
  ASSERT_EQ(dev_->CreateOffscreenPlainSurface(4, 4, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
  ASSERT_EQ(dev_->CreateRenderTarget(4, 4, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &rt, nullptr), D3D_OK);
  ASSERT_EQ(dev_->CreateRenderTarget(4, 4, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0, FALSE, &rt565, nullptr), D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(sys->LockRect(&lr, nullptr, 0), D3D_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = 0xff0000ffu + (x << 16);
  sys->UnlockRect();
  EXPECT_EQ(dev_->UpdateSurface(rt, nullptr, sys, nullptr), D3DERR_INVALIDCALL);  // wrong direction
  POINT at{1, 1};
  RECT src{0, 0, 3, 3};
  ASSERT_EQ(dev_->UpdateSurface(sys, &src, rt, &at), D3D_OK);
  RECT too_far{0, 0, 4, 4};
  EXPECT_EQ(dev_->UpdateSurface(sys, &too_far, rt, &at), D3DERR_INVALIDCALL);
  // Stretch into a 16-bit target converts the format.
  ASSERT_EQ(dev_->StretchRect(rt, nullptr, rt565, nullptr, D3DTEXF_POINT), D3D_OK);
  EXPECT_EQ(dev_->StretchRect(sys, nullptr, rt, nullptr, D3DTEXF_POINT), D3DERR_INVALIDCALL);
  RECT a{0, 0, 2, 2}, b{1, 1, 3, 3};
  EXPECT_EQ(dev_->StretchRect(rt, &a, rt, &b, D3DTEXF_NONE), D3DERR_INVALIDCALL);  // overlapping
  ASSERT_EQ(dev_->ColorFill(rt, &a, 0xff00ff00u), D3D_OK);
  ASSERT_EQ(dev_->GetRenderTargetData(rt, sys), D3D_OK);
  ASSERT_EQ(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
  auto at_px = [&](int x, int y) { return reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x]; };
  EXPECT_EQ(at_px(0, 0), 0xff00ff00u);
  EXPECT_EQ(at_px(2, 2), 0xff0100ffu);  // texel (1, 1) of the source
  sys->UnlockRect();
  EXPECT_EQ(dev_->GetRenderTargetData(rt565, sys), D3DERR_INVALIDCALL);  // formats differ
  sys->Release();
  rt->Release();
  rt565->Release();
}

}  // namespace
}  // namespace d3d9_test
