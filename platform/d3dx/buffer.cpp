// ID3DXBuffer: a reference-counted block of bytes.
#include <cstring>
#include <new>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/unknown_impl.h"

namespace {

class Buffer final : public UnknownImpl<ID3DXBuffer, IID_ID3DXBuffer> {
 public:
  explicit Buffer(DWORD size) : size_(size), bytes_(new (std::nothrow) BYTE[size ? size : 1]) {
    if (bytes_) std::memset(bytes_, 0, size ? size : 1);
  }
  ~Buffer() { delete[] bytes_; }
  bool ok() const { return bytes_ != nullptr; }

  LPVOID GetBufferPointer() override { return bytes_; }
  DWORD GetBufferSize() override { return size_; }

 private:
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
