// The device and D3DX convert through one table: a picture taken into any
// format by the device (StretchRect between lockable surfaces) and by a
// D3DX load gives the same bytes, and reading the bytes back through either
// gives the same colours. Stretches agree where the filters share a rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/win32/window_pixels.h"
#include "tests/platform/d3dx/shared_device.h"

namespace {

constexpr UINT kW = 10, kH = 6;  // an even width: whole pixel pairs

class DeviceAgreement : public d3dx_test::SharedDeviceTest {
 protected:
  // A default-pool plain surface (what StretchRect copies between).
  static IDirect3DSurface9* Plain(UINT w, UINT h, D3DFORMAT f) {
    IDirect3DSurface9* s = nullptr;
    if (FAILED(device_->CreateOffscreenPlainSurface(w, h, f, D3DPOOL_DEFAULT, &s, nullptr))) return nullptr;
    return s;
  }
  static std::vector<BYTE> Bytes(IDirect3DSurface9* s, UINT h, D3DFORMAT f, UINT w) {
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(s->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    const UINT row = d3d9_formats::RowPitch(f, w);  // the rows' used bytes, pitch padding aside
    std::vector<BYTE> out;
    for (UINT y = 0; y < h; ++y) {
      const BYTE* p = static_cast<const BYTE*>(lr.pBits) + static_cast<std::size_t>(y) * lr.Pitch;
      out.insert(out.end(), p, p + row);
    }
    s->UnlockRect();
    return out;
  }
  static void Fill(IDirect3DSurface9* s, UINT h, const BYTE* bytes, UINT row) {
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      std::memcpy(static_cast<BYTE*>(lr.pBits) + static_cast<std::size_t>(y) * lr.Pitch, bytes + y * row, row);
    s->UnlockRect();
  }

};

// Colours with every channel moving on its own, alpha included.
std::vector<DWORD> Picture() {
  std::vector<DWORD> p(kW * kH);
  for (UINT i = 0; i < p.size(); ++i)
    p[i] = ((i * 41 + 7) & 0xff) << 24 | ((i * 23 + 90) & 0xff) << 16 | ((i * 57 + 3) & 0xff) << 8 | ((i * 13) & 0xff);
  return p;
}

// The formats both sides convert without a palette or blocks: the device
// cannot match colours to a palette nor compress a block.
std::vector<const d3d9_formats::FormatInfo*> SharedRows() {
  UINT count = 0;
  const d3d9_formats::FormatInfo* all = d3d9_formats::AllFormats(&count);
  std::vector<const d3d9_formats::FormatInfo*> rows;
  for (UINT i = 0; i < count; ++i)
    if ((all[i].uses & d3d9_formats::kUseRowCodec) && all[i].kind != d3d9_formats::FormatKind::Palette)
      rows.push_back(&all[i]);
  return rows;
}

TEST_F(DeviceAgreement, DeviceAndD3dxWriteTheSameBytes) {
  const std::vector<DWORD> picture = Picture();
  IDirect3DSurface9* argb = Plain(kW, kH, D3DFMT_A8R8G8B8);
  ASSERT_NE(argb, nullptr);
  Fill(argb, kH, reinterpret_cast<const BYTE*>(picture.data()), kW * 4);
  const RECT whole{0, 0, kW, kH};
  int checked = 0;
  for (const auto* f : SharedRows()) {
    IDirect3DSurface9* by_device = Plain(kW, kH, f->format);
    IDirect3DSurface9* by_d3dx = Plain(kW, kH, f->format);
    if (!by_device || !by_d3dx) {
      if (by_device) by_device->Release();
      if (by_d3dx) by_d3dx->Release();
      continue;
    }
    ASSERT_EQ(device_->StretchRect(argb, nullptr, by_device, nullptr, D3DTEXF_NONE), D3D_OK) << f->name;
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(by_d3dx, nullptr, nullptr, picture.data(), D3DFMT_A8R8G8B8, kW * 4, nullptr,
                                        &whole, D3DX_FILTER_NONE, 0),
              D3D_OK)
        << f->name;
    const std::vector<BYTE> a = Bytes(by_device, kH, f->format, kW), b = Bytes(by_d3dx, kH, f->format, kW);
    if (f->channels.r.bits == 32) {
      // Single floats: the device divides each 8-bit level by 255, D3DX
      // multiplies it by 1/255; the two differ by at most one unit in the
      // last place.
      for (std::size_t k = 0; k + 4 <= a.size(); k += 4) {
        float x, y;
        std::memcpy(&x, &a[k], 4);
        std::memcpy(&y, &b[k], 4);
        ASSERT_LE(std::fabs(x - y), std::fabs(x) * 1.2e-7f) << f->name << " at byte " << k;
      }
    } else {
      EXPECT_EQ(a, b) << f->name;
    }
    ++checked;
    by_device->Release();
    by_d3dx->Release();
  }
  EXPECT_GE(checked, 25);
  argb->Release();
}

TEST_F(DeviceAgreement, DeviceAndD3dxReadTheSameColours) {
  const RECT whole{0, 0, kW, kH};
  int checked = 0;
  for (const auto* f : SharedRows()) {
    const UINT row = d3d9_formats::RowPitch(f->format, kW);
    std::vector<BYTE> bytes(row * kH);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(i * 29 + 5);
    if (f->kind == d3d9_formats::FormatKind::Float)  // finite values in [0, 2)
      for (std::size_t i = f->channels.r.bits / 8 - 1; i < bytes.size(); i += f->channels.r.bits / 8)
        bytes[i] = f->channels.r.bits == 16 ? 0x3b : 0x3f;
    IDirect3DSurface9* src = Plain(kW, kH, f->format);
    if (!src) continue;
    Fill(src, kH, bytes.data(), row);
    IDirect3DSurface9* by_device = Plain(kW, kH, D3DFMT_A8R8G8B8);
    IDirect3DSurface9* by_d3dx = Plain(kW, kH, D3DFMT_A8R8G8B8);
    ASSERT_EQ(device_->StretchRect(src, nullptr, by_device, nullptr, D3DTEXF_NONE), D3D_OK) << f->name;
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(by_d3dx, nullptr, nullptr, bytes.data(), f->format, row, nullptr, &whole,
                                        D3DX_FILTER_NONE, 0),
              D3D_OK)
        << f->name;
    EXPECT_EQ(Bytes(by_device, kH, D3DFMT_A8R8G8B8, kW), Bytes(by_d3dx, kH, D3DFMT_A8R8G8B8, kW)) << f->name;
    ++checked;
    src->Release();
    by_device->Release();
    by_d3dx->Release();
  }
  EXPECT_GE(checked, 25);
}

TEST_F(DeviceAgreement, PointStretchesPickTheSameTexels) {
  // Both point filters take the texel under each destination centre, so a
  // stretch by the device and by D3DX agrees in size up and down.
  const std::vector<DWORD> picture = Picture();
  IDirect3DSurface9* argb = Plain(kW, kH, D3DFMT_A8R8G8B8);
  ASSERT_NE(argb, nullptr);
  Fill(argb, kH, reinterpret_cast<const BYTE*>(picture.data()), kW * 4);
  const RECT whole{0, 0, kW, kH};
  for (UINT size : {3u, 7u, 16u}) {
    IDirect3DSurface9* by_device = Plain(size, size + 1, D3DFMT_R5G6B5);
    IDirect3DSurface9* by_d3dx = Plain(size, size + 1, D3DFMT_R5G6B5);
    ASSERT_EQ(device_->StretchRect(argb, nullptr, by_device, nullptr, D3DTEXF_POINT), D3D_OK);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(by_d3dx, nullptr, nullptr, picture.data(), D3DFMT_A8R8G8B8, kW * 4, nullptr,
                                        &whole, D3DX_FILTER_POINT, 0),
              D3D_OK);
    EXPECT_EQ(Bytes(by_device, size + 1, D3DFMT_R5G6B5, size), Bytes(by_d3dx, size + 1, D3DFMT_R5G6B5, size)) << size;
    by_device->Release();
    by_d3dx->Release();
  }
  argb->Release();
}

}  // namespace
