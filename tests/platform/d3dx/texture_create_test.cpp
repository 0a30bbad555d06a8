// Texture creation on the software device: D3DX's size, format and level
// rules, pictures from memory and files, colour keys, mip levels, saving and
// loading back, copies between device textures and render-to-surface.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/d3d9/test_hooks.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/image/image_io.h"
#include "platform/d3d9/formats/format_table.h"
#include "platform/win32/window_pixels.h"
#include "tests/platform/d3dx/image_test_files.h"
#include "tests/platform/d3dx/shared_device.h"

namespace {

using d3dx_image::Image;
using Bytes = std::vector<std::uint8_t>;

// The suite's device, and a temporary folder for each test's files.
class D3dxDevice : public d3dx_test::SharedDeviceTest {
 protected:
  void SetUp() override {
    SharedDeviceTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("vornel_d3dx_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    SharedDeviceTest::TearDown();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string Path(const char* name) const { return (dir_ / name).string(); }
  void WriteFile(const char* name, const Bytes& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
  }

  // Level `level` of `t` as ARGB texels, read through a D3DX copy into a
  // managed A8R8G8B8 texture (so the source may be any format or pool).
  std::vector<DWORD> Texels(IDirect3DTexture9* t, UINT level = 0) {
    D3DSURFACE_DESC desc{};
    t->GetLevelDesc(level, &desc);
    IDirect3DTexture9* copy = nullptr;
    EXPECT_EQ(device_->CreateTexture(desc.Width, desc.Height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr),
              D3D_OK);
    IDirect3DSurface9 *from = nullptr, *to = nullptr;
    t->GetSurfaceLevel(level, &from);
    copy->GetSurfaceLevel(0, &to);
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
    std::vector<DWORD> out(static_cast<std::size_t>(desc.Width) * desc.Height);
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(copy->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y)
      std::memcpy(&out[y * desc.Width], static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, desc.Width * 4);
    copy->UnlockRect(0);
    from->Release();
    to->Release();
    copy->Release();
    return out;
  }

  std::filesystem::path dir_;
};

Image Checker(int w, int h, DWORD a, DWORD b) {
  Image img;
  img.width = w;
  img.height = h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.argb.push_back(((x + y) & 1) ? b : a);
  return img;
}

D3DSURFACE_DESC Desc(IDirect3DTexture9* t, UINT level = 0) {
  D3DSURFACE_DESC d{};
  t->GetLevelDesc(level, &d);
  return d;
}

TEST_F(D3dxDevice, CreateTextureAppliesDefaults) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 256, 128, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(t->GetLevelCount(), 9u) << "0 levels: the full chain down to 1 x 1";
  EXPECT_EQ(Desc(t).Format, D3DFMT_A8R8G8B8);
  t->Release();

  ASSERT_EQ(D3DXCreateTexture(device_, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(Desc(t).Width, 256u);
  EXPECT_EQ(t->GetLevelCount(), 1u);
  t->Release();

  ASSERT_EQ(D3DXCreateTexture(device_, 0, 0, 20, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(Desc(t).Width, 1u);
  EXPECT_EQ(t->GetLevelCount(), 1u) << "more levels than the chain has are cut";
  t->Release();

  UINT w = 6, h = 3, levels = 0;
  D3DFORMAT f = D3DFMT_DXT1;
  ASSERT_EQ(D3DXCheckTextureRequirements(device_, &w, &h, &levels, 0, &f, D3DPOOL_MANAGED), D3D_OK);
  if (f == D3DFMT_DXT1) {
    EXPECT_EQ(w % 4, 0u);
    EXPECT_EQ(h % 4, 0u);
  }

  EXPECT_EQ(D3DXCreateTexture(device_, 16, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
  t = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_EQ(D3DXCreateTexture(nullptr, 16, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
}

TEST_F(D3dxDevice, UnusableFormatsFallBackToTheClosest) {
  // Whatever the device offers, the result is a texture format it accepts,
  // with no channel lost.
  const D3DFORMAT asked[] = {D3DFMT_R8G8B8, D3DFMT_P8, D3DFMT_A8P8, D3DFMT_R3G3B2, D3DFMT_A8R3G3B2, D3DFMT_L8,
                             D3DFMT_A4L4, D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, D3DFMT_DXT3};
  for (D3DFORMAT f : asked) {
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, 8, 8, 1, 0, f, D3DPOOL_MANAGED, &t), D3D_OK) << f;
    D3DFORMAT got = Desc(t).Format;
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, got), D3D_OK) << f;
    const auto* want = d3d9_formats::FindFormat(f);
    const auto* have = d3d9_formats::FindFormat(got);
    ASSERT_NE(have, nullptr);
    if (want->channels.a.bits) {
      EXPECT_GT(have->channels.a.bits, 0) << f << " -> " << got;
    }
    t->Release();
  }
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 8, 8, 1, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DFORMAT got = Desc(t).Format;
  EXPECT_TRUE(got == D3DFMT_R8G8B8 || got == D3DFMT_X8R8G8B8) << got;
  t->Release();
}

TEST_F(D3dxDevice, PictureFromMemoryTakesItsSizeAndFormat) {
  Image pic = Checker(6, 3, 0xFF112233u, 0xFF445566u);
  Bytes bmp = d3dx_image::WriteBmp(pic, false);
  IDirect3DTexture9* t = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, bmp.data(), static_cast<UINT>(bmp.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &t),
            D3D_OK);
  EXPECT_EQ(info.Width, 6u);
  EXPECT_EQ(info.Height, 3u);
  EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
  EXPECT_EQ(Desc(t).Width, 8u) << "D3DX_DEFAULT rounds up to a power of two";
  EXPECT_EQ(Desc(t).Height, 4u);
  EXPECT_EQ(t->GetLevelCount(), 4u);
  t->Release();

  // The file's own size, and the point filter keeps the texels exact.
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, bmp.data(), static_cast<UINT>(bmp.size()),
                                                D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_A8R8G8B8,
                                                D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                &t),
            D3D_OK);
  ASSERT_EQ(Desc(t).Width, 6u);
  auto texels = Texels(t);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(texels[y * 6 + x], pic.at(x, y)) << x << "," << y;
  t->Release();

  // Scaled to the caller's size: 12 x 6 with point doubles every texel.
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, bmp.data(), static_cast<UINT>(bmp.size()), 12, 6, 1, 0,
                                                D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_DEFAULT, 0,
                                                nullptr, nullptr, &t),
            D3D_OK);
  texels = Texels(t);
  EXPECT_EQ(texels[0], pic.at(0, 0));
  EXPECT_EQ(texels[1], pic.at(0, 0));
  EXPECT_EQ(texels[2], pic.at(1, 0));
  EXPECT_EQ(texels[5 * 12 + 11], pic.at(5, 2));
  t->Release();
}

TEST_F(D3dxDevice, ColourKeyAndMipLevels) {
  Image pic = Checker(4, 4, 0xFFFF00FFu, 0xFF00FF00u);
  Bytes png = d3dx_image::WritePng(pic, false);
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, png.data(), static_cast<UINT>(png.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                D3DX_FILTER_POINT, D3DX_FILTER_BOX, 0xFFFF00FFu, nullptr, nullptr, &t),
            D3D_OK);
  ASSERT_EQ(t->GetLevelCount(), 3u);
  auto top = Texels(t);
  EXPECT_EQ(top[0], 0u) << "keyed texels are transparent black";
  EXPECT_EQ(top[1], 0xFF00FF00u);
  // The 1 x 1 level is the average of half transparent black, half green.
  auto last = Texels(t, 2);
  EXPECT_NEAR(static_cast<int>(last[0] >> 24), 128, 1);
  EXPECT_NEAR(static_cast<int>((last[0] >> 8) & 255), 128, 1);
  t->Release();
}

TEST_F(D3dxDevice, FilesOfEveryKindAndBadFiles) {
  Image pic = Checker(8, 8, 0xFF204060u, 0xFF80A0C0u);
  WriteFile("pic.bmp", d3dx_image::WriteBmp(pic, false));
  WriteFile("pic.png", d3dx_image::WritePng(pic, false));
  WriteFile("pic.jpg", d3dx_test::MakeJpeg(8, 8, std::vector<std::uint32_t>(64, 0xFF808080u)));
  WriteFile("pic.tga", d3dx_test::MakeTga({.imageType = 2, .width = 1, .height = 1, .bpp = 24,
                                                   .data = {0x30, 0x20, 0x10}}));
  WriteFile("bitmap.jpg", d3dx_image::WriteBmp(pic, false));  // a bitmap under a JPEG name
  WriteFile("broken.bmp", Bytes{'B', 'M', 1, 2, 3});
  for (const char* name : {"pic.bmp", "pic.png", "pic.jpg", "pic.tga", "bitmap.jpg"}) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileA(device_, Path(name).c_str(), &t), D3D_OK) << name;
    if (t) t->Release();
  }
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileExA(device_, Path("pic.jpg").c_str(), 256, 256, 1, 0, D3DFMT_X8R8G8B8,
                                         D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
            D3D_OK);
  EXPECT_EQ(Desc(t).Width, 256u) << "scaled to the size asked for";
  auto texels = Texels(t);
  EXPECT_NEAR(static_cast<int>(texels[128 * 256 + 128] & 255), 128, 3);
  t->Release();
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXGetImageInfoFromFileA(Path("pic.tga").c_str(), &info), D3D_OK);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);

  t = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFileA(device_, Path("broken.bmp").c_str(), &t), D3DXERR_INVALIDDATA);
  EXPECT_EQ(t, nullptr);
  EXPECT_EQ(D3DXCreateTextureFromFileA(device_, Path("missing.bmp").c_str(), &t), D3DXERR_INVALIDDATA);
  EXPECT_EQ(t, nullptr);
}

TEST_F(D3dxDevice, SavedTextureLoadsBackTheSame) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 16, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 16; ++x) {
      DWORD c = 0xFF000000u | (x * 16) << 16 | (y * 32) << 8 | ((x ^ y) & 255);
      std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + 4 * x, &c, 4);
    }
  t->UnlockRect(0);
  auto before = Texels(t);

  // The reset dumps: BMP data under a ".jpg" name.
  ASSERT_EQ(D3DXSaveTextureToFileA(Path("~before000.jpg").c_str(), D3DXIFF_BMP, t, nullptr), D3D_OK);
  ASSERT_EQ(D3DXSaveTextureToFileA(Path("copy.png").c_str(), D3DXIFF_PNG, t, nullptr), D3D_OK);
  EXPECT_EQ(D3DXSaveTextureToFileA(Path("copy.dds").c_str(), D3DXIFF_DDS, t, nullptr), D3DERR_INVALIDCALL);
  t->Release();
  std::ifstream f(Path("~before000.jpg"), std::ios::binary);
  char magic[2] = {};
  f.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "BM");

  for (const char* name : {"~before000.jpg", "copy.png"}) {
    IDirect3DTexture9* back = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device_, Path(name).c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                           D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0,
                                           nullptr, nullptr, &back),
              D3D_OK);
    EXPECT_EQ(Texels(back), before) << name;
    back->Release();
  }
}

TEST_F(D3dxDevice, CopiesBetweenDeviceTexturesOfAnyPool) {
  Image pic = Checker(8, 8, 0xFFFF0000u, 0xFF0000FFu);
  Bytes bmp = d3dx_image::WriteBmp(pic, false);
  IDirect3DTexture9 *managed = nullptr, *target = nullptr, *back = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, bmp.data(), static_cast<UINT>(bmp.size()), 8, 8, 1, 0,
                                                D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_DEFAULT, 0,
                                                nullptr, nullptr, &managed),
            D3D_OK);
  // Pictures load straight into default-pool render targets too, as the
  // engine's test pictures do.
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, bmp.data(), static_cast<UINT>(bmp.size()), 8, 8, 1,
                                                D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                D3DX_FILTER_POINT, D3DX_DEFAULT, 0, nullptr, nullptr, &target),
            D3D_OK);
  EXPECT_EQ(Texels(target), Texels(managed));
  ASSERT_EQ(D3DXCreateTexture(device_, 8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &back), D3D_OK);
  IDirect3DSurface9 *from = nullptr, *to = nullptr;
  target->GetSurfaceLevel(0, &from);
  back->GetSurfaceLevel(0, &to);
  RECT empty{2, 2, 2, 6};
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, &empty, D3DX_FILTER_POINT, 0),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, D3DX_FILTER_POINT, 0), D3D_OK);
  from->Release();
  to->Release();
  EXPECT_EQ(Texels(back), Texels(managed)) << "pure red and blue survive 5:6:5";

  // Render target to render target of one format goes through the device;
  // a sub-rectangle lands where it is asked to.
  IDirect3DTexture9* second = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &second),
            D3D_OK);
  target->GetSurfaceLevel(0, &from);
  second->GetSurfaceLevel(0, &to);
  RECT corner{0, 0, 2, 2}, at{6, 6, 8, 8};
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, D3DX_FILTER_POINT, 0), D3D_OK);
  EXPECT_EQ(Texels(second), Texels(managed));
  ASSERT_EQ(D3DXLoadSurfaceFromSurface(to, nullptr, &at, from, nullptr, &corner, D3DX_FILTER_NONE, 0), D3D_OK);
  auto moved = Texels(second);
  EXPECT_EQ(moved[6 * 8 + 6], pic.at(0, 0));
  EXPECT_EQ(moved[7 * 8 + 6], pic.at(0, 1));
  from->Release();
  to->Release();
  second->Release();
  managed->Release();
  target->Release();
  back->Release();
}

TEST_F(D3dxDevice, RenderToSurfaceDrawsIntoTheTextureAndRestores) {
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  target->GetSurfaceLevel(0, &surface);
  ID3DXRenderToSurface* rts = nullptr;
  ASSERT_EQ(D3DXCreateRenderToSurface(device_, 32, 32, D3DFMT_A8R8G8B8, TRUE, D3DFMT_D16, &rts), D3D_OK);
  D3DXRTS_DESC desc{};
  ASSERT_EQ(rts->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(desc.DepthStencilFormat, D3DFMT_D16);

  IDirect3DSurface9* before = nullptr;
  device_->GetRenderTarget(0, &before);
  ASSERT_EQ(rts->BeginScene(surface, nullptr), D3D_OK);
  EXPECT_EQ(rts->BeginScene(surface, nullptr), D3DERR_INVALIDCALL) << "no nesting";
  IDirect3DSurface9* during = nullptr;
  device_->GetRenderTarget(0, &during);
  EXPECT_EQ(during, surface);
  during->Release();
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFCC2211u, 1.f, 0), D3D_OK);
  ASSERT_EQ(rts->EndScene(D3DX_FILTER_NONE), D3D_OK);
  IDirect3DSurface9* after = nullptr;
  device_->GetRenderTarget(0, &after);
  EXPECT_EQ(after, before);
  after->Release();
  before->Release();

  auto texels = Texels(target);
  EXPECT_EQ(texels[0], 0xFFCC2211u);
  EXPECT_EQ(texels[32 * 32 - 1], 0xFFCC2211u);
  EXPECT_EQ(rts->EndScene(D3DX_FILTER_NONE), D3DERR_INVALIDCALL);

  // Drawing into the top of a mip-mapped target rebuilds the levels below.
  IDirect3DTexture9* chain = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device_, 32, 32, 0, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &chain),
            D3D_OK);
  ASSERT_EQ(chain->GetLevelCount(), 6u);
  IDirect3DSurface9* top = nullptr;
  chain->GetSurfaceLevel(0, &top);
  ASSERT_EQ(rts->BeginScene(top, nullptr), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF3366CCu, 1.f, 0);
  ASSERT_EQ(rts->EndScene(D3DX_DEFAULT), D3D_OK);
  EXPECT_EQ(Texels(chain, 5)[0], 0xFF3366CCu);
  top->Release();
  chain->Release();

  rts->Release();
  surface->Release();
  target->Release();
}

TEST_F(D3dxDevice, OneBitFontBitmapFromMemory) {
  // The shape of the engine's font: 1 bit per pixel, black and white palette.
  d3dx_test::BmpSpec font{.width = 16, .height = 2, .bpp = 1, .palette = {0x000000, 0xFFFFFF}};
  font.pixels = d3dx_test::PadRows({{0xFF, 0x00}, {0x0F, 0xF0}});
  Bytes file = d3dx_test::MakeBmp(font);
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device_, file.data(), static_cast<UINT>(file.size()), &t), D3D_OK);
  EXPECT_EQ(Desc(t).Width, 16u);
  auto texels = Texels(t);
  EXPECT_EQ(texels[0] & 0xFFFFFFu, 0u);  // top row is the second stored row: 0000 1111 1111 0000
  EXPECT_EQ(texels[4] & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(texels[16] & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(texels[31] & 0xFFFFFFu, 0u);
  t->Release();
}

}  // namespace
