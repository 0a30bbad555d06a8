// The Direct3D object: the adapter with its configurable display modes,
// format checks and device creation; and Direct3DCreate9.
#include "platform/d3d9/device/direct3d9.h"

#include <cstring>
#include <map>
#include <vector>

#include "platform/d3d9/device/call_trace.h"
#include "platform/d3d9/device/device.h"
#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/test_hooks.h"
#include "platform/win32/window.h"
#include "platform/win32/window_pixels.h"

namespace d3d9_impl {
namespace {

using d3d9_formats::HasUse;

// ---------------------------------------------------------------------------
// [SECTION] Display modes
// ---------------------------------------------------------------------------

struct AdapterModes {
  std::map<DWORD, std::vector<D3DDISPLAYMODE>> lists;
  D3DDISPLAYMODE desktop;
};

AdapterModes DefaultModes() {
  AdapterModes m;
  static const UINT kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
                                   {1280, 1024}, {1600, 1200}, {1920, 1080}, {1920, 1200}};
  auto& x8 = m.lists[D3DFMT_X8R8G8B8];
  for (const auto& s : kSizes)
    for (UINT hz : {60u, 75u}) x8.push_back({s[0], s[1], hz, D3DFMT_X8R8G8B8});
  auto& r5 = m.lists[D3DFMT_R5G6B5];
  for (int i = 0; i < 3; ++i) r5.push_back({kSizes[i][0], kSizes[i][1], 60, D3DFMT_R5G6B5});
  m.desktop = {1920, 1080, 60, D3DFMT_X8R8G8B8};
  return m;
}

AdapterModes& Modes() {
  static AdapterModes modes = DefaultModes();
  return modes;
}

bool IsDisplayFormat(D3DFORMAT f) { return HasUse(f, d3d9_formats::kUseDisplay); }

// The display format a back-buffer format is shown in.
D3DFORMAT DisplayFormatOf(D3DFORMAT back_buffer) {
  if (back_buffer == D3DFMT_A8R8G8B8) return D3DFMT_X8R8G8B8;
  if (back_buffer == D3DFMT_A1R5G5B5) return D3DFMT_X1R5G5B5;
  return back_buffer;
}

bool IsBackBufferFormat(D3DFORMAT f) { return HasUse(f, d3d9_formats::kUseRenderTarget); }

}  // namespace

UINT ModeCount(D3DFORMAT format) {
  auto it = Modes().lists.find(static_cast<DWORD>(format));
  return it == Modes().lists.end() ? 0 : static_cast<UINT>(it->second.size());
}

bool ModeAt(D3DFORMAT format, UINT index, D3DDISPLAYMODE* out) {
  auto it = Modes().lists.find(static_cast<DWORD>(format));
  if (it == Modes().lists.end() || index >= it->second.size()) return false;
  *out = it->second[index];
  return true;
}

D3DDISPLAYMODE DesktopMode() { return Modes().desktop; }

// ---------------------------------------------------------------------------
// [SECTION] Present parameters
// ---------------------------------------------------------------------------

HRESULT ValidatePresentParameters(D3DPRESENT_PARAMETERS* pp, HWND focus) {
  if (!pp) return D3DERR_INVALIDCALL;
  if (pp->BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
  if (pp->SwapEffect < D3DSWAPEFFECT_DISCARD || pp->SwapEffect > D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
  if (pp->SwapEffect == D3DSWAPEFFECT_COPY && pp->BackBufferCount > 1) return D3DERR_INVALIDCALL;
  if (pp->MultiSampleType != D3DMULTISAMPLE_NONE || pp->MultiSampleQuality != 0) return D3DERR_INVALIDCALL;
  switch (pp->PresentationInterval) {
    case D3DPRESENT_INTERVAL_DEFAULT:
    case D3DPRESENT_INTERVAL_ONE:
    case D3DPRESENT_INTERVAL_TWO:
    case D3DPRESENT_INTERVAL_THREE:
    case D3DPRESENT_INTERVAL_FOUR:
    case D3DPRESENT_INTERVAL_IMMEDIATE:
      break;
    default:
      return D3DERR_INVALIDCALL;
  }
  if (pp->EnableAutoDepthStencil && !HasUse(pp->AutoDepthStencilFormat, d3d9_formats::kUseDepthStencil))
    return D3DERR_INVALIDCALL;
  HWND window = pp->hDeviceWindow ? pp->hDeviceWindow : focus;
  if (!window) return D3DERR_INVALIDCALL;
  if (pp->Windowed) {
    if (pp->FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
    if (pp->BackBufferFormat == D3DFMT_UNKNOWN) pp->BackBufferFormat = DesktopMode().Format;
    if (!IsBackBufferFormat(pp->BackBufferFormat)) return D3DERR_INVALIDCALL;
    if (pp->BackBufferWidth == 0 || pp->BackBufferHeight == 0) {
      // A zero size takes the window's client size.
      RECT rc{};
      ClientPixels px{};
      LONG w = 0, h = 0;
      if (GetClientRect(window, &rc)) {
        w = rc.right - rc.left, h = rc.bottom - rc.top;
      } else if (GetClientPixels(window, &px)) {
        w = px.width, h = px.height;
      }
      if (pp->BackBufferWidth == 0) pp->BackBufferWidth = w > 0 ? static_cast<UINT>(w) : 1;
      if (pp->BackBufferHeight == 0) pp->BackBufferHeight = h > 0 ? static_cast<UINT>(h) : 1;
    }
  } else {
    if (!IsBackBufferFormat(pp->BackBufferFormat)) return D3DERR_INVALIDCALL;
    const D3DFORMAT display = DisplayFormatOf(pp->BackBufferFormat);
    bool found = false;
    D3DDISPLAYMODE m;
    for (UINT i = 0; ModeAt(display, i, &m); ++i)
      if (m.Width == pp->BackBufferWidth && m.Height == pp->BackBufferHeight &&
          (pp->FullScreen_RefreshRateInHz == 0 || pp->FullScreen_RefreshRateInHz == m.RefreshRate))
        found = true;
    if (!found) return D3DERR_INVALIDCALL;
  }
  if (pp->BackBufferWidth > 8192 || pp->BackBufferHeight > 8192) return D3DERR_INVALIDCALL;
  if (pp->BackBufferCount == 0) pp->BackBufferCount = 1;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// [SECTION] IDirect3D9
// ---------------------------------------------------------------------------

Direct3D9::Direct3D9() : ComObject("Direct3D") {}
Direct3D9::~Direct3D9() = default;

HRESULT Direct3D9::RegisterSoftwareDevice(void* pInitializeFunction) {
  return Traced("RegisterSoftwareDevice", [&] { return D3DERR_INVALIDCALL; }, pInitializeFunction);
}

UINT Direct3D9::GetAdapterCount() {
  return TracedValue("GetAdapterCount", [] { return 1u; });
}

HRESULT Direct3D9::GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier) {
  return Traced("GetAdapterIdentifier", [&] {
    if (Adapter != 0 || !pIdentifier) return D3DERR_INVALIDCALL;
    std::memset(pIdentifier, 0, sizeof *pIdentifier);
    std::strcpy(pIdentifier->Driver, "vornel_d3d9");
    std::strcpy(pIdentifier->Description, "Vornel software rasterizer");
    std::strcpy(pIdentifier->DeviceName, "\\\\.\\DISPLAY1");
    pIdentifier->DriverVersion.QuadPart = 0x0009000000000001LL;
    pIdentifier->WHQLLevel = 0;
    return D3D_OK;
  }, Adapter, Hex{Flags}, pIdentifier);
}

UINT Direct3D9::GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) {
  return TracedValue("GetAdapterModeCount", [&] { return Adapter == 0 ? ModeCount(Format) : 0u; }, Adapter, Format);
}

HRESULT Direct3D9::EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) {
  return Traced("EnumAdapterModes", [&] {
    if (Adapter != 0 || !pMode) return D3DERR_INVALIDCALL;
    if (ModeCount(Format) == 0) return D3DERR_NOTAVAILABLE;
    if (!ModeAt(Format, Mode, pMode)) return D3DERR_INVALIDCALL;
    return D3D_OK;
  }, Adapter, Format, Mode, pMode);
}

HRESULT Direct3D9::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  return Traced("GetAdapterDisplayMode", [&] {
    if (Adapter != 0 || !pMode) return D3DERR_INVALIDCALL;
    *pMode = DesktopMode();
    return D3D_OK;
  }, Adapter, pMode);
}

HRESULT Direct3D9::CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat,
                                   D3DFORMAT BackBufferFormat, BOOL bWindowed) {
  return Traced("CheckDeviceType", [&] {
    if (Adapter != 0) return D3DERR_INVALIDCALL;
    if (DevType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (!IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
    if (BackBufferFormat == D3DFMT_UNKNOWN && bWindowed) return D3D_OK;
    if (!IsBackBufferFormat(BackBufferFormat) || DisplayFormatOf(BackBufferFormat) != AdapterFormat)
      return D3DERR_NOTAVAILABLE;
    if (!bWindowed && ModeCount(AdapterFormat) == 0) return D3DERR_NOTAVAILABLE;
    return D3D_OK;
  }, Adapter, DevType, AdapterFormat, BackBufferFormat, bWindowed);
}

HRESULT Direct3D9::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                     D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  return Traced("CheckDeviceFormat", [&] {
    if (Adapter != 0) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
    using namespace d3d9_formats;
    if (Usage & (D3DUSAGE_QUERY_SRGBREAD | D3DUSAGE_QUERY_SRGBWRITE | D3DUSAGE_QUERY_VERTEXTEXTURE |
                 D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_DMAP))
      return D3DERR_NOTAVAILABLE;
    switch (RType) {
      case D3DRTYPE_VERTEXBUFFER:
        return CheckFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
      case D3DRTYPE_INDEXBUFFER:
        return HasUse(CheckFormat, kUseIndex) ? D3D_OK : D3DERR_NOTAVAILABLE;
      case D3DRTYPE_SURFACE:
      case D3DRTYPE_TEXTURE: {
        if (Usage & D3DUSAGE_DEPTHSTENCIL) {
          // Depth buffers are surfaces only: the device has no depth textures.
          if (RType == D3DRTYPE_TEXTURE) return D3DERR_NOTAVAILABLE;
          return HasUse(CheckFormat, kUseDepthStencil) ? D3D_OK : D3DERR_NOTAVAILABLE;
        }
        if ((Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING)) &&
            !HasUse(CheckFormat, kUseRenderTarget))
          return D3DERR_NOTAVAILABLE;
        if (RType == D3DRTYPE_TEXTURE || (Usage & D3DUSAGE_QUERY_FILTER)) {
          if (!HasUse(CheckFormat, kUseTexture)) return D3DERR_NOTAVAILABLE;
        } else if (!HasUse(CheckFormat, kUseTexture) && !HasUse(CheckFormat, kUseRenderTarget)) {
          return D3DERR_NOTAVAILABLE;
        }
        if (Usage & D3DUSAGE_AUTOGENMIPMAP) return D3DOK_NOAUTOGEN;
        return D3D_OK;
      }
      default:
        return D3DERR_NOTAVAILABLE;
    }
  }, Adapter, DeviceType, AdapterFormat, Hex{Usage}, RType, CheckFormat);
}

HRESULT Direct3D9::CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat,
                                              BOOL Windowed, D3DMULTISAMPLE_TYPE MultiSampleType,
                                              DWORD* pQualityLevels) {
  return Traced("CheckDeviceMultiSampleType", [&] {
    if (Adapter != 0) return D3DERR_INVALIDCALL;
    if (pQualityLevels) *pQualityLevels = 0;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (pQualityLevels) *pQualityLevels = 1;
    return D3D_OK;
  }, Adapter, DeviceType, SurfaceFormat, Windowed, MultiSampleType, pQualityLevels);
}

HRESULT Direct3D9::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                          D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) {
  return Traced("CheckDepthStencilMatch", [&] {
    if (Adapter != 0) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL || !IsDisplayFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
    if (!HasUse(RenderTargetFormat, d3d9_formats::kUseRenderTarget) ||
        !HasUse(DepthStencilFormat, d3d9_formats::kUseDepthStencil))
      return D3DERR_NOTAVAILABLE;
    return D3D_OK;
  }, Adapter, DeviceType, AdapterFormat, RenderTargetFormat, DepthStencilFormat);
}

HRESULT Direct3D9::CheckDeviceFormatConversion(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SourceFormat,
                                               D3DFORMAT TargetFormat) {
  return Traced("CheckDeviceFormatConversion", [&] {
    if (Adapter != 0) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    // StretchRect converts between any two render-target formats.
    if (!HasUse(SourceFormat, d3d9_formats::kUseRenderTarget) || !HasUse(TargetFormat, d3d9_formats::kUseRenderTarget))
      return D3DERR_NOTAVAILABLE;
    return D3D_OK;
  }, Adapter, DeviceType, SourceFormat, TargetFormat);
}

HRESULT Direct3D9::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) {
  return Traced("GetDeviceCaps", [&] {
    if (Adapter != 0 || !pCaps) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    FillDeviceCaps(pCaps, Adapter);
    return D3D_OK;
  }, Adapter, DeviceType, pCaps);
}

HMONITOR Direct3D9::GetAdapterMonitor(UINT Adapter) {
  return TracedValue("GetAdapterMonitor", [&] {
    return Adapter == 0 ? reinterpret_cast<HMONITOR>(static_cast<UINT_PTR>(0x10001)) : nullptr;
  }, Adapter);
}

HRESULT Direct3D9::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                D3DPRESENT_PARAMETERS* pPresentationParameters,
                                IDirect3DDevice9** ppReturnedDeviceInterface) {
  return Traced("CreateDevice", [&]() -> HRESULT {
    if (!ppReturnedDeviceInterface) return D3DERR_INVALIDCALL;
    *ppReturnedDeviceInterface = nullptr;
    if (Adapter != 0 || !pPresentationParameters) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    const DWORD vp = BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                      D3DCREATE_MIXED_VERTEXPROCESSING);
    if (vp != D3DCREATE_SOFTWARE_VERTEXPROCESSING && vp != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        vp != D3DCREATE_MIXED_VERTEXPROCESSING)
      return D3DERR_INVALIDCALL;
    if ((BehaviorFlags & D3DCREATE_PUREDEVICE) && vp != D3DCREATE_HARDWARE_VERTEXPROCESSING)
      return D3DERR_INVALIDCALL;
    if (!hFocusWindow && !pPresentationParameters->hDeviceWindow) return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS pp = *pPresentationParameters;
    const HRESULT hr = ValidatePresentParameters(&pp, hFocusWindow);
    if (FAILED(hr)) return hr;
    *pPresentationParameters = pp;
    Device* device = new Device(this, Adapter, DeviceType, hFocusWindow, BehaviorFlags, pp);
    *ppReturnedDeviceInterface = device;
    return D3D_OK;
  }, Adapter, DeviceType, hFocusWindow ? 1 : 0, Hex{BehaviorFlags}, pPresentationParameters,
     ppReturnedDeviceInterface);
}

}  // namespace d3d9_impl

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
  using namespace d3d9_impl;
  IDirect3D9* d3d = nullptr;
  HRESULT fault = D3D_OK;
  // An injected fault of "Direct3DCreate9" makes it return null.
  const bool faulted = g_hooks_active && TakeFault("Direct3DCreate9", &fault);
  if (!faulted && SDKVersion == D3D_SDK_VERSION) d3d = new Direct3D9();
  if (g_hooks_active) RecordCall("Direct3DCreate9", ArgList(SDKVersion), d3d ? D3D_OK : (faulted ? fault : E_FAIL));
  return d3d;
}

// ---------------------------------------------------------------------------
// [SECTION] Display-mode hooks
// ---------------------------------------------------------------------------

namespace d3d9_hooks {

void SetDisplayModes(D3DFORMAT format, const std::vector<D3DDISPLAYMODE>& modes) {
  auto& list = d3d9_impl::Modes().lists[static_cast<DWORD>(format)];
  list = modes;
  for (D3DDISPLAYMODE& m : list) m.Format = format;
}

std::vector<D3DDISPLAYMODE> DisplayModes(D3DFORMAT format) {
  auto it = d3d9_impl::Modes().lists.find(static_cast<DWORD>(format));
  return it == d3d9_impl::Modes().lists.end() ? std::vector<D3DDISPLAYMODE>{} : it->second;
}

void SetDesktopMode(const D3DDISPLAYMODE& mode) { d3d9_impl::Modes().desktop = mode; }

void RestoreDefaultDisplayModes() { d3d9_impl::Modes() = d3d9_impl::DefaultModes(); }

}  // namespace d3d9_hooks
