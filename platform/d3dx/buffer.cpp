// ID3DXBuffer: a reference-counted block of bytes.
#include <cstring>
#include <new>

#include "platform/d3dx/d3dx9.h"

namespace {

class Buffer final : public ID3DXBuffer {
 public:
  explicit Buffer(DWORD size) : size_(size), bytes_(new (std::nothrow) BYTE[size ? size : 1]) {
    if (bytes_) std::memset(bytes_, 0, size ? size : 1);
  }
  ~Buffer() { delete[] bytes_; }
  bool ok() const { return bytes_ != nullptr; }

  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ID3DXBuffer) {
      AddRef();
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  LPVOID GetBufferPointer() override { return bytes_; }
  DWORD GetBufferSize() override { return size_; }

 private:
  ULONG refs_ = 1;
  DWORD size_;
  BYTE* bytes_;
};

}  // namespace

HRESULT D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  auto* b = new (std::nothrow) Buffer(numBytes);
  if (!b || !b->ok()) {
    delete b;
    return E_OUTOFMEMORY;
  }
  *out = b;
  return D3D_OK;
}
