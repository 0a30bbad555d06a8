// The effect substitute: a parameter store by name and a list of C++
// passes; BeginPass runs a pass against the current parameters.
#include <map>
#include <new>
#include <string>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/unknown_impl.h"

namespace {

class Effect final : public UnknownImpl<ID3DXEffect, IID_ID3DXEffect>, public ID3DXEffectParameters {
 public:
  Effect(IDirect3DDevice9* device, std::vector<D3DXEffectPass> passes) : device_(device), passes_(std::move(passes)) {
    device_->AddRef();
  }
  ~Effect() override { device_->Release(); }

  HRESULT SetMatrixArray(D3DXHANDLE name, const D3DXMATRIX* m, UINT count) override {
    if (!name || (!m && count)) return D3DERR_INVALIDCALL;
    std::vector<float>& v = values_[name];
    v.resize(16 * static_cast<std::size_t>(count));
    for (UINT i = 0; i < count; ++i)
      for (int k = 0; k < 16; ++k) v[16 * i + k] = m[i].m[k / 4][k % 4];
    return D3D_OK;
  }
  HRESULT SetMatrix(D3DXHANDLE name, const D3DXMATRIX* m) override { return SetMatrixArray(name, m, m ? 1 : 0); }
  HRESULT SetVector(D3DXHANDLE name, const D3DXVECTOR4* v) override {
    if (!name || !v) return D3DERR_INVALIDCALL;
    values_[name] = {v->x, v->y, v->z, v->w};
    return D3D_OK;
  }
  HRESULT SetFloat(D3DXHANDLE name, FLOAT f) override {
    if (!name) return D3DERR_INVALIDCALL;
    values_[name] = {f};
    return D3D_OK;
  }
  HRESULT SetInt(D3DXHANDLE name, INT n) override { return SetFloat(name, static_cast<float>(n)); }
  HRESULT GetInt(D3DXHANDLE name, INT* n) override {
    UINT count = 0;
    const float* f = name ? Get(name, &count) : nullptr;
    if (!f || !n || count == 0) return D3DERR_INVALIDCALL;
    *n = static_cast<INT>(f[0]);
    return D3D_OK;
  }

  HRESULT Begin(UINT* passes, DWORD) override {
    if (begun_) return D3DERR_INVALIDCALL;
    begun_ = true;
    if (passes) *passes = static_cast<UINT>(passes_.size());
    return D3D_OK;
  }
  HRESULT BeginPass(UINT pass) override {
    if (!begun_ || inPass_ || pass >= passes_.size()) return D3DERR_INVALIDCALL;
    inPass_ = true;
    current_ = pass;
    return passes_[pass] ? passes_[pass](device_, *this) : D3D_OK;
  }
  // Parameters changed inside a pass reach the device here.
  HRESULT CommitChanges() override {
    if (!inPass_) return D3DERR_INVALIDCALL;
    return passes_[current_] ? passes_[current_](device_, *this) : D3D_OK;
  }
  HRESULT EndPass() override {
    if (!inPass_) return D3DERR_INVALIDCALL;
    inPass_ = false;
    return D3D_OK;
  }
  HRESULT End() override {
    if (!begun_) return D3DERR_INVALIDCALL;
    begun_ = inPass_ = false;
    return D3D_OK;
  }
  HRESULT GetDevice(IDirect3DDevice9** out) override {
    if (!out) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *out = device_;
    return D3D_OK;
  }

  const float* Get(const char* name, UINT* count) const override {
    auto it = values_.find(name ? name : "");
    if (it == values_.end()) {
      if (count) *count = 0;
      return nullptr;
    }
    if (count) *count = static_cast<UINT>(it->second.size());
    return it->second.data();
  }

 private:
  IDirect3DDevice9* device_;
  std::vector<D3DXEffectPass> passes_;
  std::map<std::string, std::vector<float>> values_;
  bool begun_ = false, inPass_ = false;
  UINT current_ = 0;
};

}  // namespace

HRESULT D3DXCreateEffectFromPasses(IDirect3DDevice9* device, const std::vector<D3DXEffectPass>& passes,
                                   ID3DXEffect** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (!device || passes.empty()) return D3DERR_INVALIDCALL;
  auto* e = new (std::nothrow) Effect(device, passes);
  if (!e) return E_OUTOFMEMORY;
  *out = e;
  return D3D_OK;
}
