// ID3DXRenderToSurface: scenes drawn into a surface with the object's own
// depth buffer, the device's targets and viewport put back afterwards.
#include <new>

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/unknown_impl.h"
#include "platform/d3dx/surface_access.h"

namespace {

using d3dx_impl::ComRef;

class RenderToSurface final : public UnknownImpl<ID3DXRenderToSurface, IID_ID3DXRenderToSurface> {
 public:
  RenderToSurface(IDirect3DDevice9* device, const D3DXRTS_DESC& desc) : device_(device), desc_(desc) {
    device_->AddRef();
  }
  ~RenderToSurface() {
    ReleaseSaved();
    if (depth_) depth_->Release();
    device_->Release();
  }

  HRESULT CreateDepth() {
    if (!desc_.DepthStencil || depth_) return D3D_OK;
    return device_->CreateDepthStencilSurface(desc_.Width, desc_.Height, desc_.DepthStencilFormat,
                                              D3DMULTISAMPLE_NONE, 0, TRUE, &depth_, nullptr);
  }


  HRESULT GetDevice(IDirect3DDevice9** out) override {
    if (!out) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *out = device_;
    return D3D_OK;
  }
  HRESULT GetDesc(D3DXRTS_DESC* out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = desc_;
    return D3D_OK;
  }

  HRESULT BeginScene(IDirect3DSurface9* surface, const D3DVIEWPORT9* viewport) override {
    if (!surface || inScene_) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC sd{};
    HRESULT hr = surface->GetDesc(&sd);
    if (FAILED(hr)) return hr;
    if (sd.Width != desc_.Width || sd.Height != desc_.Height) return D3DERR_INVALIDCALL;
    hr = CreateDepth();
    if (FAILED(hr)) return hr;

    hr = device_->GetRenderTarget(0, &savedTarget_);
    if (FAILED(hr)) return hr;
    if (FAILED(device_->GetDepthStencilSurface(&savedDepth_))) savedDepth_ = nullptr;
    device_->GetViewport(&savedViewport_);

    hr = device_->SetRenderTarget(0, surface);
    if (SUCCEEDED(hr)) hr = device_->SetDepthStencilSurface(depth_);
    D3DVIEWPORT9 full{0, 0, sd.Width, sd.Height, 0.f, 1.f};
    if (SUCCEEDED(hr)) hr = device_->SetViewport(viewport ? viewport : &full);
    if (SUCCEEDED(hr)) hr = device_->BeginScene();
    if (FAILED(hr)) {
      Restore();
      return hr;
    }
    surface->AddRef();
    surface_ = surface;
    inScene_ = true;
    return D3D_OK;
  }

  HRESULT EndScene(DWORD mipFilter) override {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    HRESULT hr = device_->EndScene();
    Restore();
    if (SUCCEEDED(hr) && mipFilter != D3DX_FILTER_NONE && mipFilter != 0) {
      // A texture level drawn into: rebuild the levels below it.
      ComRef<IDirect3DTexture9> texture;
      if (SUCCEEDED(surface_->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(texture.out()))) &&
          texture->GetLevelCount() > 1)
        hr = D3DXFilterTexture(texture.p, nullptr, 0, mipFilter);
    }
    surface_->Release();
    surface_ = nullptr;
    return hr;
  }

  // The depth buffer lives in the default pool: it goes before a Reset and
  // comes back after it.
  HRESULT OnLostDevice() override {
    if (inScene_) EndScene(D3DX_FILTER_NONE);
    if (depth_) depth_->Release();
    depth_ = nullptr;
    return D3D_OK;
  }
  HRESULT OnResetDevice() override { return CreateDepth(); }

 private:
  void Restore() {
    if (savedTarget_) device_->SetRenderTarget(0, savedTarget_);
    device_->SetDepthStencilSurface(savedDepth_);
    device_->SetViewport(&savedViewport_);
    ReleaseSaved();
  }
  void ReleaseSaved() {
    if (savedTarget_) savedTarget_->Release();
    if (savedDepth_) savedDepth_->Release();
    savedTarget_ = savedDepth_ = nullptr;
  }

  IDirect3DDevice9* device_;
  D3DXRTS_DESC desc_;
  IDirect3DSurface9* depth_ = nullptr;
  IDirect3DSurface9* surface_ = nullptr;
  IDirect3DSurface9* savedTarget_ = nullptr;
  IDirect3DSurface9* savedDepth_ = nullptr;
  D3DVIEWPORT9 savedViewport_{};
  bool inScene_ = false;
};

}  // namespace

HRESULT D3DXCreateRenderToSurface(IDirect3DDevice9* pDevice, UINT Width, UINT Height, D3DFORMAT Format,
                                  BOOL DepthStencil, D3DFORMAT DepthStencilFormat,
                                  LPD3DXRENDERTOSURFACE* ppRenderToSurface) {
  if (!ppRenderToSurface) return D3DERR_INVALIDCALL;
  *ppRenderToSurface = nullptr;
  if (!pDevice || Width == 0 || Height == 0) return D3DERR_INVALIDCALL;
  auto* rts = new (std::nothrow) RenderToSurface(pDevice, {Width, Height, Format, DepthStencil, DepthStencilFormat});
  if (!rts) return E_OUTOFMEMORY;
  HRESULT hr = rts->CreateDepth();
  if (FAILED(hr)) {
    rts->Release();
    return hr;
  }
  *ppRenderToSurface = rts;
  return D3D_OK;
}
