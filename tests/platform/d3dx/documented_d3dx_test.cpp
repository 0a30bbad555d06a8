// D3DX behaviours programs rely on: colour-keyed grayscale pictures gain
// alpha, singular inverses leave their outputs alone, the math functions
// take null arguments without crashing, and surface copies from sources
// D3DX cannot read or with empty rectangles answer as D3DX does.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d9/test_hooks.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/win32/window_pixels.h"
#include "tests/platform/d3dx/shared_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutBig32(Bytes& b, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  PutBig32(png, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  PutBig32(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// An 8-bit grayscale PNG of w x h with the given luminances, row by row.
Bytes GreyPng(int w, int h, const std::vector<std::uint8_t>& lum) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  Bytes ihdr;
  PutBig32(ihdr, static_cast<std::uint32_t>(w));
  PutBig32(ihdr, static_cast<std::uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});  // depth 8, grayscale, no interlace
  Chunk(png, "IHDR", ihdr);
  Bytes raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), lum.begin() + y * w, lum.begin() + (y + 1) * w);
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes z(size);
  EXPECT_EQ(compress(z.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  z.resize(size);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

class D3dxDocumented : public d3dx_test::SharedDeviceTest {};

TEST_F(D3dxDocumented, ColourKeyedGreyPictureGetsAlpha) {
  const Bytes png = GreyPng(2, 2, {0x00, 0x80, 0xff, 0x80});
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, png.data(), static_cast<UINT>(png.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                D3DX_FILTER_NONE, D3DX_DEFAULT, 0xff808080u, nullptr, nullptr, &t),
            D3D_OK);
  D3DSURFACE_DESC d{};
  t->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Format, D3DFMT_A8L8);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(t->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
  const auto* row0 = static_cast<const std::uint16_t*>(lr.pBits);
  EXPECT_EQ(row0[0], 0xff00);  // opaque black
  EXPECT_EQ(row0[1], 0x0000);  // the keyed grey: transparent black
  t->UnlockRect(0);
  t->Release();
  // Without a key the picture stays luminance only.
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, png.data(), static_cast<UINT>(png.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
            D3D_OK);
  t->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Format, D3DFMT_L8);
  t->Release();
}

TEST(D3dxMathDocumented, SingularInverseLeavesItsOutputsAlone) {
  D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
  D3DXMATRIX out;
  D3DXMatrixIdentity(&out);
  float det = 42.f;
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &singular), nullptr);
  EXPECT_EQ(det, 42.f);
  EXPECT_TRUE(D3DXMatrixIsIdentity(&out));
  // An invertible matrix reports its determinant.
  D3DXMATRIX scale;
  D3DXMatrixScaling(&scale, 2, 2, 2);
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &scale), &out);
  EXPECT_FLOAT_EQ(det, 8.f);
}

TEST(D3dxMathDocumented, NullArgumentsReturnWithoutCrashing) {
  D3DXMATRIX m;
  D3DXVECTOR3 v(1, 2, 3);
  D3DXVECTOR4 v4;
  D3DXMatrixIdentity(&m);
  EXPECT_FALSE(D3DXMatrixIsIdentity(nullptr));
  EXPECT_EQ(D3DXMatrixIdentity(nullptr), nullptr);
  EXPECT_EQ(D3DXMatrixMultiply(&m, nullptr, &m), nullptr);
  EXPECT_EQ(D3DXMatrixTranspose(nullptr, &m), nullptr);
  EXPECT_EQ(D3DXMatrixInverse(&m, nullptr, nullptr), nullptr);
  EXPECT_EQ(D3DXMatrixDeterminant(nullptr), 0.f);
  EXPECT_EQ(D3DXMatrixLookAtLH(&m, &v, nullptr, &v), nullptr);
  EXPECT_EQ(D3DXMatrixRotationAxis(&m, nullptr, 1.f), nullptr);
  EXPECT_EQ(D3DXMatrixPerspectiveFovLH(nullptr, 1.f, 1.f, 1.f, 2.f), nullptr);
  EXPECT_EQ(D3DXVec3Length(nullptr), 0.f);
  EXPECT_EQ(D3DXVec3Dot(&v, nullptr), 0.f);
  EXPECT_EQ(D3DXVec3Cross(&v, &v, nullptr), nullptr);
  EXPECT_EQ(D3DXVec3Normalize(nullptr, &v), nullptr);
  EXPECT_EQ(D3DXVec3TransformCoord(&v, &v, nullptr), nullptr);
  EXPECT_EQ(D3DXVec3Transform(&v4, nullptr, &m), nullptr);
  EXPECT_EQ(D3DXVec4Transform(&v4, &v4, nullptr), nullptr);
  EXPECT_TRUE(D3DXMatrixIsIdentity(&m));  // untouched by the refused calls
  EXPECT_EQ(v, D3DXVECTOR3(1, 2, 3));
}

TEST_F(D3dxDocumented, SurfaceCopiesFromUnreadableSourcesAndEmptyRectangles) {
  IDirect3DSurface9* dst = nullptr;
  IDirect3DSurface9* bump = nullptr;
  IDirect3DSurface9* src = nullptr;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &dst, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &src, nullptr), D3D_OK);
  // A bump-map format: the device holds it in scratch memory, D3DX cannot read it.
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_V8U8, D3DPOOL_SCRATCH, &bump, nullptr), D3D_OK);
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(dst, nullptr, nullptr, bump, nullptr, nullptr, D3DX_FILTER_NONE, 0), E_FAIL);
  // Empty rectangles with no filter: nothing to do, and that succeeds.
  const RECT empty{1, 1, 1, 3};
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(dst, nullptr, nullptr, src, nullptr, &empty, D3DX_FILTER_NONE, 0), D3D_OK);
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(dst, nullptr, &empty, src, nullptr, nullptr, D3DX_FILTER_NONE, 0), D3D_OK);
  // A rectangle that is inside out stays a bad call.
  const RECT inverted{3, 1, 1, 3};
  EXPECT_EQ(D3DXLoadSurfaceFromSurface(dst, nullptr, nullptr, src, nullptr, &inverted, D3DX_FILTER_NONE, 0),
            D3DERR_INVALIDCALL);
  dst->Release();
  src->Release();
  bump->Release();
}

}  // namespace
