// IDirect3D9 of the software device: the one adapter, its display modes,
// format checks, caps and device creation.
#pragma once

#include "platform/d3d9/com/com_object.h"
#include "platform/d3d9/d3d9.h"

namespace d3d9_impl {

class Direct3D9 final : public ComObject<IDirect3D9> {
 public:
  Direct3D9();
  ~Direct3D9() override;

  HRESULT RegisterSoftwareDevice(void* pInitializeFunction) override;
  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier) override;
  UINT GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) override;
  HRESULT EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override;
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                          BOOL bWindowed) override;
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat, BOOL Windowed,
                                     D3DMULTISAMPLE_TYPE MultiSampleType, DWORD* pQualityLevels) override;
  HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                 D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
  HRESULT CheckDeviceFormatConversion(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SourceFormat,
                                      D3DFORMAT TargetFormat) override;
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
  HMONITOR GetAdapterMonitor(UINT Adapter) override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

 protected:
  bool Implements(REFIID riid) const override { return riid == IID_IUnknown; }
};

// Checks present parameters as CreateDevice and Reset do, completing them
// (zero sizes from the window, an unknown windowed format from the desktop,
// a zero back-buffer count). D3D_OK or D3DERR_INVALIDCALL.
HRESULT ValidatePresentParameters(D3DPRESENT_PARAMETERS* pp, HWND focus);

// The caps of the software device.
void FillDeviceCaps(D3DCAPS9* caps, UINT adapter);

// The current display-mode lists (test_hooks.h sets them).
UINT ModeCount(D3DFORMAT format);
bool ModeAt(D3DFORMAT format, UINT index, D3DDISPLAYMODE* out);
D3DDISPLAYMODE DesktopMode();

}  // namespace d3d9_impl
