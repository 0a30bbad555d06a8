// The DirectX error-name lookup and ID3DXBuffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/d3dx/d3dx9.h"

namespace {

TEST(ErrorNames, KnownResultsByName) {
  const std::pair<HRESULT, const char*> known[] = {
      {D3D_OK, "S_OK"},
      {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
      {static_cast<HRESULT>(0x8876086Cu), "D3DERR_INVALIDCALL"},
      {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
      {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET"},
      {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
      {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
      {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR"},
      {static_cast<HRESULT>(0x88760B59u), "D3DXERR_INVALIDDATA"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {E_FAIL, "E_FAIL"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {E_NOTIMPL, "E_NOTIMPL"},
      {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "ERROR_FILE_NOT_FOUND"},
  };
  for (const auto& [code, name] : known) EXPECT_STREQ(DXGetErrorString9A(code), name);
  EXPECT_STREQ(DXGetErrorString9A(static_cast<HRESULT>(0x80001234u)), "Unknown");
  EXPECT_STREQ(DXGetErrorString9A(42), "Unknown");
}

TEST(Buffer, HoldsZeroedBytesAndCounts) {
  ID3DXBuffer* b = nullptr;
  ASSERT_EQ(D3DXCreateBuffer(1 << 20, &b), D3D_OK);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetBufferSize(), 1u << 20);
  auto* bytes = static_cast<unsigned char*>(b->GetBufferPointer());
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[(1 << 20) - 1], 0);
  std::memset(bytes, 0xAB, 1 << 20);  // all of it is writable (the sanitizer build checks)
  void* same = nullptr;
  ASSERT_EQ(b->QueryInterface(IID_ID3DXBuffer, &same), S_OK);
  EXPECT_EQ(same, b);
  EXPECT_EQ(b->Release(), 1u);
  EXPECT_EQ(b->Release(), 0u);
  EXPECT_EQ(D3DXCreateBuffer(16, nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
