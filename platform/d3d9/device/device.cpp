// The API entry points of the software device. Every entry point follows
// the same steps: clear the out-pointer, refuse bad arguments with
// D3DERR_INVALIDCALL, do the work, return D3D_OK. The draw path is in
// device_draw.cpp.
//
// Contents (grep for "[SECTION]"):
//   Lifetime          construction, swap chain, shutdown
//   Cooperation       TestCooperativeLevel, Reset, Present
//   Queries           caps, display mode, creation parameters, misc
//   Creation          textures, buffers, surfaces
//   Surface copies    UpdateSurface, GetRenderTargetData, StretchRect, ColorFill
//   Targets           render target, depth-stencil surface
//   Scene             BeginScene, EndScene, Clear
//   States            render, sampler, texture stage, transforms, viewport,
//                     material, lights, clip planes, scissor
//   Bindings          textures, streams, indices, FVF, declarations
//   Shaders           vertex shaders and their constants
//   Unsupported       what this device does not offer
#include "platform/d3d9/device/device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/device/call_trace.h"
#include "platform/d3d9/device/direct3d9.h"
#include "platform/d3d9/device/resources.h"
#include "platform/d3d9/raster/vertex_program_registry.h"
#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/raster/surface_ops.h"
#include "platform/d3d9/raster/vertex_stage.h"
#include "platform/win32/window_pixels.h"

namespace d3d9_impl {
namespace {

using d3d9_formats::HasUse;

// Binds `obj` into `slot`, moving the device's internal reference.
template <class T>
void Rebind(T*& slot, T* obj) {
  if (slot == obj) return;
  if (obj) obj->AddInternalRef();
  if (slot) slot->ReleaseInternalRef();
  slot = obj;
}

bool ValidPool(D3DPOOL p) { return p >= D3DPOOL_DEFAULT && p <= D3DPOOL_SCRATCH; }

bool KnownFormat(D3DFORMAT f) { return d3d9_formats::FindFormat(f) != nullptr; }

// A rectangle inside a surface of w x h, non-empty.
bool RectInside(const RECT& r, UINT w, UINT h) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<UINT>(r.right) <= w &&
         static_cast<UINT>(r.bottom) <= h;
}

RECT WholeRect(const Surface& s) {
  return RECT{0, 0, static_cast<LONG>(s.Width()), static_cast<LONG>(s.Height())};
}

PixelView ViewOf(Surface& s) {
  return PixelView{s.Bits(), s.Pitch(), s.Format(), static_cast<int>(s.Width()), static_cast<int>(s.Height())};
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

// Which transform slot a D3DTRANSFORMSTATETYPE names, or null.
D3DMATRIX* TransformSlot(DeviceState& s, D3DTRANSFORMSTATETYPE t) {
  const DWORD v = static_cast<DWORD>(t);
  if (v == D3DTS_VIEW) return &s.view;
  if (v == D3DTS_PROJECTION) return &s.projection;
  if (v >= D3DTS_TEXTURE0 && v <= D3DTS_TEXTURE7) return &s.texture_transform[v - D3DTS_TEXTURE0];
  if (v >= 256 && v < 256 + kMaxWorldMatrices) return &s.world[v - 256];
  return nullptr;
}

bool ValidRenderState(DWORD s) {
  switch (s) {
    case 7: case 8: case 9: case 14: case 15: case 16: case 19: case 20: case 22: case 23: case 24: case 25:
    case 26: case 27: case 28: case 29: case 34: case 35: case 36: case 37: case 38: case 48:
      return true;
    default:
      break;
  }
  if (s >= 52 && s <= 60) return true;
  if (s >= 128 && s <= 137) return true;
  if (s >= 139 && s <= 143) return true;
  if (s >= 145 && s <= 148) return true;
  if (s >= 151 && s <= 152) return true;
  if (s >= 154 && s <= 163) return true;
  if (s >= 165 && s <= 168) return true;
  if (s >= 170 && s <= 176) return true;
  if (s >= 178 && s <= 195) return true;
  if (s >= 198 && s <= 209) return true;
  return false;
}

// Render states the vertex stage reads; the others belong to the pixel stage.
DWORD RenderStateGroup(DWORD s) {
  switch (s) {
    case D3DRS_LIGHTING: case D3DRS_AMBIENT: case D3DRS_COLORVERTEX: case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS: case D3DRS_DIFFUSEMATERIALSOURCE: case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE: case D3DRS_EMISSIVEMATERIALSOURCE: case D3DRS_VERTEXBLEND:
    case D3DRS_POINTSIZE: case D3DRS_POINTSIZE_MIN: case D3DRS_POINTSIZE_MAX: case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE: case D3DRS_CLIPPING: case D3DRS_CLIPPLANEENABLE:
    case D3DRS_INDEXEDVERTEXBLENDENABLE: case D3DRS_POINTSCALEENABLE: case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B: case D3DRS_POINTSCALE_C: case D3DRS_POINTSPRITEENABLE:
      return kDirtyVertex;
    // Read by both stages: lighting computes specular, the pixels add it;
    // vertex fog computes the factor, the pixels apply it.
    case D3DRS_SPECULARENABLE: case D3DRS_FOGENABLE: case D3DRS_FOGTABLEMODE: case D3DRS_FOGSTART:
    case D3DRS_FOGEND: case D3DRS_FOGDENSITY:
      return kDirtyVertex | kDirtyPixel;
    case D3DRS_ZENABLE: case D3DRS_SCISSORTESTENABLE:
      return kDirtyPixel | kDirtyTarget;
    default:
      return kDirtyPixel;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Lifetime
// ---------------------------------------------------------------------------

Device::Device(Direct3D9* d3d, UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behavior,
               const D3DPRESENT_PARAMETERS& params)
    : ComObject("Device"), d3d_(d3d), params_(params) {
  d3d_->AddInternalRef();
  creation_ = {adapter, type, focus, behavior};
  software_vp_ = (behavior & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0;
  for (int i = 0; i < 256; ++i) {
    const WORD v = static_cast<WORD>(i * 257);
    gamma_.red[i] = gamma_.green[i] = gamma_.blue[i] = v;
  }
  CreateSwapChainSurfaces();
  ResetStates();
}

Device::~Device() { d3d_->ReleaseInternalRef(); }

ULONG Device::Release() {
  if (refs_.load() == 0) {
    if (g_trace_on) TraceRefCount("Release", this, 0);
    return 0;
  }
  const ULONG now = --refs_;
  if (g_trace_on) TraceRefCount("Release", this, now);
  if (now == 0) {
    // Hold the device while its bindings and swap chain go, since each of
    // them may be what keeps it alive.
    AddInternalRef();
    ShutDown();
    ReleaseInternalRef();
  }
  return now;
}

void Device::ShutDown() {
  // Nobody can see the pixels of a device that is going away.
  deferred_.Discard();
  UnbindAll();
  ReleaseSwapChainSurfaces();
}

HRESULT Device::CreateSwapChainSurfaces() {
  D3DSURFACE_DESC d{};
  d.Format = params_.BackBufferFormat;
  d.Type = D3DRTYPE_SURFACE;
  d.Usage = D3DUSAGE_RENDERTARGET;
  d.Pool = D3DPOOL_DEFAULT;
  d.Width = params_.BackBufferWidth;
  d.Height = params_.BackBufferHeight;
  const bool lockable = (params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
  // Swap-chain surfaces are the device's own: they do not count as
  // default-pool resources of the application.
  back_buffer_ = new Surface(this, d, lockable, nullptr, 0);
  ResourceDestroyed(D3DPOOL_DEFAULT);
  back_buffer_->AddInternalRef();  // only the device's internal reference keeps it
  back_buffer_->DropCreationRef();
  if (params_.EnableAutoDepthStencil) {
    d.Format = params_.AutoDepthStencilFormat;
    d.Usage = D3DUSAGE_DEPTHSTENCIL;
    auto_depth_ = new Surface(this, d, false, nullptr, 0);
    ResourceDestroyed(D3DPOOL_DEFAULT);
    auto_depth_->AddInternalRef();
    auto_depth_->DropCreationRef();
  }
  return D3D_OK;
}

void Device::ReleaseSwapChainSurfaces() {
  // Their destructors count them out again; count them in first.
  Surface* bb = back_buffer_;
  Surface* ds = auto_depth_;
  back_buffer_ = nullptr;
  auto_depth_ = nullptr;
  if (bb) {
    ResourceCreated(D3DPOOL_DEFAULT);
    bb->ReleaseInternalRef();
  }
  if (ds) {
    ResourceCreated(D3DPOOL_DEFAULT);
    ds->ReleaseInternalRef();
  }
}

void Device::UnbindAll() {
  for (Texture*& t : state_.textures) Rebind(t, static_cast<Texture*>(nullptr));
  for (StreamBinding& b : state_.streams) Rebind(b.buffer, static_cast<VertexBuffer*>(nullptr));
  Rebind(state_.indices, static_cast<IndexBuffer*>(nullptr));
  Rebind(state_.declaration, static_cast<VertexDeclaration*>(nullptr));
  Rebind(state_.vertex_shader, static_cast<VertexShader*>(nullptr));
  for (Surface*& s : state_.render_targets) Rebind(s, static_cast<Surface*>(nullptr));
  Rebind(state_.depth_stencil, static_cast<Surface*>(nullptr));
}

void Device::ResetStates() {
  UnbindAll();
  SetDefaultStates(state_, auto_depth_ != nullptr);
  Rebind(state_.render_targets[0], back_buffer_);
  Rebind(state_.depth_stencil, auto_depth_);
  state_.viewport = {0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.f, 1.f};
  state_.scissor = {0, 0, static_cast<LONG>(params_.BackBufferWidth), static_cast<LONG>(params_.BackBufferHeight)};
  in_scene_ = false;
}

// ---------------------------------------------------------------------------
// [SECTION] Cooperation
// ---------------------------------------------------------------------------

HRESULT Device::TestCooperativeLevel() {
  return Traced("TestCooperativeLevel", [&] {
    LossState& loss = Loss();
    if (!loss.lost) return D3D_OK;
    if (loss.lost_checks_left > 0) {
      --loss.lost_checks_left;
      return D3DERR_DEVICELOST;
    }
    return D3DERR_DEVICENOTRESET;
  });
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) {
  return Traced("Reset", [&] {
    FinishDrawing();
    if (!pPresentationParameters) return D3DERR_INVALIDCALL;
    LossState& loss = Loss();
    if (loss.lost && loss.lost_checks_left > 0) return D3DERR_DEVICELOST;
    // Every default-pool resource of the application must be gone, and so
    // must every reference it holds to the swap chain. The device's own
    // bindings do not count: they go first, which frees a target or depth
    // surface the application released while it was still set.
    UnbindAll();
    const bool held = default_pool_resources_ > 0 || (back_buffer_ && back_buffer_->PublicRefs() > 0) ||
                      (auto_depth_ && auto_depth_->PublicRefs() > 0);
    D3DPRESENT_PARAMETERS pp = *pPresentationParameters;
    if (held || FAILED(ValidatePresentParameters(&pp, creation_.hFocusWindow))) {
      // A failed Reset leaves the device waiting for a good one.
      loss.lost = true;
      loss.lost_checks_left = 0;
      return D3DERR_INVALIDCALL;
    }
    *pPresentationParameters = pp;
    ReleaseSwapChainSurfaces();
    params_ = pp;
    CreateSwapChainSurfaces();
    ResetStates();
    loss = {};
    return D3D_OK;
  }, pPresentationParameters);
}

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA* pDirtyRegion) {
  return Traced("Present", [&] {
    // Whatever the outcome, the recorded draws reach the back buffer; the
    // copy below draws them itself, band by band.
    struct DrawOnExit {
      Device* device;
      ~DrawOnExit() { device->FinishDrawing(); }
    } draw_on_exit{this};
    if (Loss().lost) return D3DERR_DEVICELOST;
    if (!back_buffer_) return D3DERR_INVALIDCALL;
    HWND window = hDestWindowOverride ? hDestWindowOverride : params_.hDeviceWindow;
    if (!window) window = creation_.hFocusWindow;
    RECT src = WholeRect(*back_buffer_);
    if (pSourceRect) {
      if (!RectInside(*pSourceRect, back_buffer_->Width(), back_buffer_->Height())) return D3DERR_INVALIDCALL;
      src = *pSourceRect;
    }
    ClientPixels px{};
    if (!GetClientPixels(window, &px) || px.width <= 0 || px.height <= 0) return D3D_OK;  // nothing to show on
    RECT dst = pDestRect ? *pDestRect : RECT{0, 0, px.width, px.height};
    if (dst.right <= dst.left || dst.bottom <= dst.top) return D3D_OK;
    // The destination may reach outside the client area: copy only the part
    // inside, with the source cut in proportion.
    RECT vis{std::max(dst.left, LONG{0}), std::max(dst.top, LONG{0}), std::min(dst.right, static_cast<LONG>(px.width)),
             std::min(dst.bottom, static_cast<LONG>(px.height))};
    if (vis.right <= vis.left || vis.bottom <= vis.top) return D3D_OK;
    const double sx = static_cast<double>(src.right - src.left) / (dst.right - dst.left);
    const double sy = static_cast<double>(src.bottom - src.top) / (dst.bottom - dst.top);
    RECT src_vis{src.left + static_cast<LONG>(std::floor((vis.left - dst.left) * sx)),
                 src.top + static_cast<LONG>(std::floor((vis.top - dst.top) * sy)),
                 src.left + static_cast<LONG>(std::ceil((vis.right - dst.left) * sx)),
                 src.top + static_cast<LONG>(std::ceil((vis.bottom - dst.top) * sy))};
    src_vis.right = std::min(std::max(src_vis.right, src_vis.left + 1), src.right);
    src_vis.bottom = std::min(std::max(src_vis.bottom, src_vis.top + 1), src.bottom);
    // The window shows opaque pixels whatever the back buffer's alpha.
    const D3DFORMAT bf = back_buffer_->Format();
    const bool same_size = src_vis.right - src_vis.left == vis.right - vis.left &&
                           src_vis.bottom - src_vis.top == vis.bottom - vis.top;
    if (bf == D3DFMT_X8R8G8B8 || bf == D3DFMT_A8R8G8B8) {
      // One pass per row: copy (point-sampled when the sizes differ) and
      // force the alpha together, each band of rows as soon as its draws
      // are done, while it is still in cache.
      struct Copy {
        const BYTE* bits;
        int pitch;
        RECT from, to;
        ClientPixels window;
        bool same_size;
        const int* columns;  // source column of each destination column
      } copy{back_buffer_->Bits(), back_buffer_->Pitch(), src_vis, vis, px, same_size, nullptr};
      if (!same_size) {
        const int sw = src_vis.right - src_vis.left, dw = vis.right - vis.left;
        // Destination centre x + 0.5 samples source column floor((x + 0.5) sw / dw).
        present_columns_.resize(static_cast<std::size_t>(dw));
        for (int x = 0; x < dw; ++x)
          present_columns_[static_cast<std::size_t>(x)] =
              src_vis.left + static_cast<int>((static_cast<std::int64_t>(2 * x + 1) * sw) / (2 * dw));
        copy.columns = present_columns_.data();
      }
      BandHook hook;
      hook.context = &copy;
      hook.rows = static_cast<int>(src_vis.bottom);
      hook.run = [](void* context, int y0, int y1) {
        const Copy& c = *static_cast<const Copy*>(context);
        const int sh = c.from.bottom - c.from.top, dh = c.to.bottom - c.to.top, dw = c.to.right - c.to.left;
        // The destination rows whose source row lies in this band.
        for (int y = 0; y < dh; ++y) {
          const int sy = c.from.top + (c.same_size ? y : static_cast<int>((static_cast<std::int64_t>(2 * y + 1) * sh) /
                                                                           (2 * dh)));
          if (sy < y0) continue;
          if (sy >= y1) break;
          const auto* from = reinterpret_cast<const std::uint32_t*>(c.bits + static_cast<std::ptrdiff_t>(sy) * c.pitch);
          std::uint32_t* to = c.window.data + static_cast<std::ptrdiff_t>(c.to.top + y) * c.window.pitch + c.to.left;
          if (c.same_size) {
            CopyOpaqueRow(from + c.from.left, to, dw);
          } else {
            for (int x = 0; x < dw; ++x) to[x] = from[c.columns[x]] | 0xff000000u;
          }
        }
      };
      deferred_.Flush(RasterWorker::Available() ? &worker_ : nullptr, &hook);
    } else {
      FinishDrawing();
      PixelView out{reinterpret_cast<BYTE*>(px.data), px.pitch * 4, D3DFMT_X8R8G8B8, px.width, px.height};
      CopyRect(ViewOf(*back_buffer_), src_vis, out, vis, false);
      for (LONG y = vis.top; y < vis.bottom; ++y) {
        std::uint32_t* row = px.data + static_cast<std::ptrdiff_t>(y) * px.pitch;
        for (LONG x = vis.left; x < vis.right; ++x) row[x] |= 0xff000000u;
      }
    }
    ClientPixelsChanged(window);
    return D3D_OK;
  }, pSourceRect, pDestRect, hDestWindowOverride ? 1 : 0, pDirtyRegion ? 1 : 0);
}

// ---------------------------------------------------------------------------
// [SECTION] Queries
// ---------------------------------------------------------------------------

UINT Device::GetAvailableTextureMem() {
  return TracedValue("GetAvailableTextureMem", [] { return 512u * 1024u * 1024u; });
}

HRESULT Device::EvictManagedResources() {
  return Traced("EvictManagedResources", [] { return D3D_OK; });
}

HRESULT Device::GetDirect3D(IDirect3D9** ppD3D9) {
  return Traced("GetDirect3D", [&] {
    if (!ppD3D9) return D3DERR_INVALIDCALL;
    d3d_->AddRefQuiet();
    *ppD3D9 = d3d_;
    return D3D_OK;
  }, ppD3D9);
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* pCaps) {
  return Traced("GetDeviceCaps", [&] {
    if (!pCaps) return D3DERR_INVALIDCALL;
    FillDeviceCaps(pCaps, creation_.AdapterOrdinal);
    return D3D_OK;
  }, pCaps);
}

HRESULT Device::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
  return Traced("GetDisplayMode", [&] {
    if (iSwapChain != 0 || !pMode) return D3DERR_INVALIDCALL;
    if (params_.Windowed) {
      *pMode = DesktopMode();
    } else {
      const D3DFORMAT f = params_.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8 : params_.BackBufferFormat;
      *pMode = {params_.BackBufferWidth, params_.BackBufferHeight,
                params_.FullScreen_RefreshRateInHz ? params_.FullScreen_RefreshRateInHz : 60u, f};
    }
    return D3D_OK;
  }, iSwapChain, pMode);
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
  return Traced("GetCreationParameters", [&] {
    if (!pParameters) return D3DERR_INVALIDCALL;
    *pParameters = creation_;
    return D3D_OK;
  }, pParameters);
}

HRESULT Device::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                              IDirect3DSurface9** ppBackBuffer) {
  return Traced("GetBackBuffer", [&] {
    if (!ppBackBuffer) return D3DERR_INVALIDCALL;
    *ppBackBuffer = nullptr;
    if (iSwapChain != 0 || iBackBuffer >= params_.BackBufferCount || Type != D3DBACKBUFFER_TYPE_MONO ||
        !back_buffer_)
      return D3DERR_INVALIDCALL;
    back_buffer_->AddRefQuiet();
    *ppBackBuffer = back_buffer_;
    return D3D_OK;
  }, iSwapChain, iBackBuffer, Type, ppBackBuffer);
}

HRESULT Device::GetRasterStatus(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) {
  return Traced("GetRasterStatus", [&] {
    if (iSwapChain != 0 || !pRasterStatus) return D3DERR_INVALIDCALL;
    *pRasterStatus = {FALSE, 0};
    return D3D_OK;
  }, iSwapChain, pRasterStatus);
}

HRESULT Device::SetDialogBoxMode(BOOL bEnableDialogs) {
  return Traced("SetDialogBoxMode", [&] { return D3D_OK; }, bEnableDialogs);
}

void Device::SetGammaRamp(UINT iSwapChain, DWORD Flags, const D3DGAMMARAMP* pRamp) {
  TracedValue("SetGammaRamp", [&] {
    if (iSwapChain == 0 && pRamp) gamma_ = *pRamp;
  }, iSwapChain, Hex{Flags}, pRamp);
}

void Device::GetGammaRamp(UINT iSwapChain, D3DGAMMARAMP* pRamp) {
  TracedValue("GetGammaRamp", [&] {
    if (iSwapChain == 0 && pRamp) *pRamp = gamma_;
  }, iSwapChain, pRamp);
}

HRESULT Device::ValidateDevice(DWORD* pNumPasses) {
  return Traced("ValidateDevice", [&] {
    if (!pNumPasses) return D3DERR_INVALIDCALL;
    *pNumPasses = 1;
    return D3D_OK;
  }, pNumPasses);
}

// ---------------------------------------------------------------------------
// [SECTION] Creation
// ---------------------------------------------------------------------------

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
  return Traced("CreateTexture", [&]() -> HRESULT {
    if (!ppTexture) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (pSharedHandle) return D3DERR_INVALIDCALL;
    if (Width == 0 || Height == 0 || Width > 4096 || Height > 4096) return D3DERR_INVALIDCALL;
    if (!ValidPool(Pool) || !KnownFormat(Format)) return D3DERR_INVALIDCALL;
    const DWORD allowed = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP |
                          D3DUSAGE_SOFTWAREPROCESSING | D3DUSAGE_DMAP;
    if (Usage & ~allowed) return D3DERR_INVALIDCALL;
    if ((Usage & D3DUSAGE_RENDERTARGET) && (Usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
    // Targets are never dynamic.
    if ((Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && (Usage & D3DUSAGE_DYNAMIC))
      return D3DERR_INVALIDCALL;
    // A depth format is only a depth-stencil texture, and a colour format never is.
    {
      const bool depth_format = HasUse(Format, d3d9_formats::kUseDepthStencil);
      if ((Usage & D3DUSAGE_DEPTHSTENCIL) && !depth_format) return D3DERR_INVALIDCALL;
      if ((Usage & D3DUSAGE_RENDERTARGET) && depth_format) return D3DERR_INVALIDCALL;
    }
    if ((Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && Pool != D3DPOOL_DEFAULT)
      return D3DERR_INVALIDCALL;
    if ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    if ((Usage & D3DUSAGE_AUTOGENMIPMAP) && Pool == D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    const UINT full = FullMipCount(Width, Height);
    if (Levels > full) return D3DERR_INVALIDCALL;
    if (Levels == 0) Levels = full;
    // Mipmaps are not generated automatically: such a texture has one level.
    if (Usage & D3DUSAGE_AUTOGENMIPMAP) Levels = 1;
    using namespace d3d9_formats;
    const FormatInfo* f = FindFormat(Format);
    if (Usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_NOTAVAILABLE;  // no depth textures
    if (Usage & D3DUSAGE_RENDERTARGET) {
      if (!HasUse(Format, kUseRenderTarget | kUseTexture)) return D3DERR_NOTAVAILABLE;
    } else if (Pool == D3DPOOL_SCRATCH) {
      if (!(f->uses & (kUseScratch | kUseTexture))) return D3DERR_NOTAVAILABLE;
    } else if (!HasUse(Format, kUseTexture)) {
      return D3DERR_NOTAVAILABLE;
    }
    if (f->block_bytes && ((Width & 3) || (Height & 3))) return D3DERR_INVALIDCALL;
    *ppTexture = new Texture(this, Width, Height, Levels, Usage, Format, Pool);
    return D3D_OK;
  }, Width, Height, Levels, Hex{Usage}, Format, Pool, ppTexture, pSharedHandle);
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
  return Traced("CreateVertexBuffer", [&]() -> HRESULT {
    if (!ppVertexBuffer) return D3DERR_INVALIDCALL;
    *ppVertexBuffer = nullptr;
    if (pSharedHandle || Length == 0 || !ValidPool(Pool) || Pool == D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    if (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_AUTOGENMIPMAP)) return D3DERR_INVALIDCALL;
    if ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    if (FVF) {
      VertexLayout l;
      if (!LayoutFromFvf(FVF, &l) || Length < l.stride) return D3DERR_INVALIDCALL;
    }
    if (Length > 256u * 1024u * 1024u) return D3DERR_OUTOFVIDEOMEMORY;
    *ppVertexBuffer = new VertexBuffer(this, Length, Usage, FVF, Pool);
    return D3D_OK;
  }, Length, Hex{Usage}, Hex{FVF}, Pool, ppVertexBuffer, pSharedHandle);
}

HRESULT Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
  return Traced("CreateIndexBuffer", [&]() -> HRESULT {
    if (!ppIndexBuffer) return D3DERR_INVALIDCALL;
    *ppIndexBuffer = nullptr;
    if (pSharedHandle || Length == 0 || !ValidPool(Pool) || Pool == D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    if (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_AUTOGENMIPMAP)) return D3DERR_INVALIDCALL;
    if ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    if (Length > 256u * 1024u * 1024u) return D3DERR_OUTOFVIDEOMEMORY;
    *ppIndexBuffer = new IndexBuffer(this, Length, Usage, Format, Pool);
    return D3D_OK;
  }, Length, Hex{Usage}, Format, Pool, ppIndexBuffer, pSharedHandle);
}

HRESULT Device::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                   DWORD MultisampleQuality, BOOL Lockable, IDirect3DSurface9** ppSurface,
                                   HANDLE* pSharedHandle) {
  return Traced("CreateRenderTarget", [&]() -> HRESULT {
    if (!ppSurface) return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    if (pSharedHandle || Width == 0 || Height == 0 || Width > 8192 || Height > 8192) return D3DERR_INVALIDCALL;
    if (MultiSample != D3DMULTISAMPLE_NONE || MultisampleQuality != 0) return D3DERR_INVALIDCALL;
    if (!KnownFormat(Format)) return D3DERR_INVALIDCALL;
    if (!HasUse(Format, d3d9_formats::kUseRenderTarget)) return D3DERR_NOTAVAILABLE;
    D3DSURFACE_DESC d{Format, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, MultiSample, 0, Width, Height};
    *ppSurface = new Surface(this, d, Lockable != FALSE, nullptr, 0);
    return D3D_OK;
  }, Width, Height, Format, MultiSample, MultisampleQuality, Lockable, ppSurface, pSharedHandle);
}

HRESULT Device::CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                          DWORD MultisampleQuality, BOOL Discard, IDirect3DSurface9** ppSurface,
                                          HANDLE* pSharedHandle) {
  return Traced("CreateDepthStencilSurface", [&]() -> HRESULT {
    if (!ppSurface) return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    if (pSharedHandle || Width == 0 || Height == 0 || Width > 8192 || Height > 8192) return D3DERR_INVALIDCALL;
    if (MultiSample != D3DMULTISAMPLE_NONE || MultisampleQuality != 0) return D3DERR_INVALIDCALL;
    if (!KnownFormat(Format)) return D3DERR_INVALIDCALL;
    if (!HasUse(Format, d3d9_formats::kUseDepthStencil)) return D3DERR_NOTAVAILABLE;
    D3DSURFACE_DESC d{Format, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, MultiSample, 0, Width, Height};
    *ppSurface = new Surface(this, d, false, nullptr, 0);
    return D3D_OK;
  }, Width, Height, Format, MultiSample, MultisampleQuality, Discard, ppSurface, pSharedHandle);
}

HRESULT Device::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                            IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
  return Traced("CreateOffscreenPlainSurface", [&]() -> HRESULT {
    if (!ppSurface) return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    if (pSharedHandle || Width == 0 || Height == 0 || Width > 8192 || Height > 8192) return D3DERR_INVALIDCALL;
    if (!ValidPool(Pool) || Pool == D3DPOOL_MANAGED || !KnownFormat(Format)) return D3DERR_INVALIDCALL;
    using namespace d3d9_formats;
    const FormatInfo* f = FindFormat(Format);
    const DWORD need = Pool == D3DPOOL_SCRATCH ? (kUseScratch | kUseTexture | kUseRenderTarget)
                                               : (kUseTexture | kUseRenderTarget);
    if (!(f->uses & need) || (f->uses & kUseDepthStencil)) return D3DERR_NOTAVAILABLE;
    if (f->block_bytes && ((Width & 3) || (Height & 3))) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC d{Format, D3DRTYPE_SURFACE, 0, Pool, D3DMULTISAMPLE_NONE, 0, Width, Height};
    *ppSurface = new Surface(this, d, true, nullptr, 0);
    return D3D_OK;
  }, Width, Height, Format, Pool, ppSurface, pSharedHandle);
}

// ---------------------------------------------------------------------------
// [SECTION] Surface copies
// ---------------------------------------------------------------------------

HRESULT Device::UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                              IDirect3DSurface9* pDestinationSurface, const POINT* pDestPoint) {
  return Traced("UpdateSurface", [&] {
    FinishDrawing();
    auto* src = dynamic_cast<Surface*>(pSourceSurface);
    auto* dst = dynamic_cast<Surface*>(pDestinationSurface);
    if (!src || !dst || src->Owner() != this || dst->Owner() != this) return D3DERR_INVALIDCALL;
    // From system memory to video memory, same format, no stretching.
    if (src->Pool() != D3DPOOL_SYSTEMMEM || dst->Pool() != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (src->Format() != dst->Format() || src->IsDepth() || dst->IsDepth()) return D3DERR_INVALIDCALL;
    if (src->Locked() || dst->Locked()) return D3DERR_INVALIDCALL;
    RECT sr = pSourceRect ? *pSourceRect : WholeRect(*src);
    if (!RectInside(sr, src->Width(), src->Height())) return D3DERR_INVALIDCALL;
    const LONG dx = pDestPoint ? pDestPoint->x : 0, dy = pDestPoint ? pDestPoint->y : 0;
    RECT dr{dx, dy, dx + (sr.right - sr.left), dy + (sr.bottom - sr.top)};
    if (!RectInside(dr, dst->Width(), dst->Height())) return D3DERR_INVALIDCALL;
    const d3d9_formats::FormatInfo* f = d3d9_formats::FindFormat(src->Format());
    if (f->block_bytes && ((sr.left | sr.top | dr.left | dr.top) & 3)) return D3DERR_INVALIDCALL;
    if (!CopyRect(ViewOf(*src), sr, ViewOf(*dst), dr, false)) return D3DERR_INVALIDCALL;
    if (dst->Container()) dst->Container()->Touch();
    return D3D_OK;
  }, pSourceSurface, pSourceRect, pDestinationSurface, pDestPoint);
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) {
  return Traced("UpdateTexture", [&] {
    FinishDrawing();
    auto* src = dynamic_cast<Texture*>(pSourceTexture);
    auto* dst = dynamic_cast<Texture*>(pDestinationTexture);
    if (!src || !dst || src->Owner() != this || dst->Owner() != this) return D3DERR_INVALIDCALL;
    if (src->Pool() != D3DPOOL_SYSTEMMEM || dst->Pool() != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (src->Format() != dst->Format() || src->Levels() < dst->Levels()) return D3DERR_INVALIDCALL;
    // Levels are matched by size: the source may have larger levels first.
    const UINT skip = src->Levels() - dst->Levels();
    for (UINT i = 0; i < dst->Levels(); ++i) {
      Surface* s = src->LevelSurface(i + skip);
      Surface* d = dst->LevelSurface(i);
      if (s->Width() != d->Width() || s->Height() != d->Height()) return D3DERR_INVALIDCALL;
    }
    for (UINT i = 0; i < dst->Levels(); ++i) {
      Surface* s = src->LevelSurface(i + skip);
      Surface* d = dst->LevelSurface(i);
      CopyRect(ViewOf(*s), WholeRect(*s), ViewOf(*d), WholeRect(*d), false);
    }
    dst->Touch();
    return D3D_OK;
  }, pSourceTexture, pDestinationTexture);
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) {
  return Traced("GetRenderTargetData", [&] {
    FinishDrawing();
    auto* src = dynamic_cast<Surface*>(pRenderTarget);
    auto* dst = dynamic_cast<Surface*>(pDestSurface);
    if (!src || !dst || src->Owner() != this || dst->Owner() != this) return D3DERR_INVALIDCALL;
    if (!(src->Desc().Usage & D3DUSAGE_RENDERTARGET) || dst->Pool() != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (src->Format() != dst->Format() || src->Width() != dst->Width() || src->Height() != dst->Height())
      return D3DERR_INVALIDCALL;
    if (dst->Locked()) return D3DERR_INVALIDCALL;
    CopyRect(ViewOf(*src), WholeRect(*src), ViewOf(*dst), WholeRect(*dst), false);
    if (dst->Container()) dst->Container()->Touch();
    return D3D_OK;
  }, pRenderTarget, pDestSurface);
}

HRESULT Device::GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) {
  return Traced("GetFrontBufferData", [&] {
    FinishDrawing();
    auto* dst = dynamic_cast<Surface*>(pDestSurface);
    if (iSwapChain != 0 || !dst || dst->Owner() != this || dst->Pool() != D3DPOOL_SYSTEMMEM ||
        dst->Format() != D3DFMT_A8R8G8B8 || !back_buffer_)
      return D3DERR_INVALIDCALL;
    ClientPixels px{};
    HWND window = params_.hDeviceWindow ? params_.hDeviceWindow : creation_.hFocusWindow;
    if (!GetClientPixels(window, &px)) return D3DERR_INVALIDCALL;
    const RECT r{0, 0, std::min(px.width, static_cast<int>(dst->Width())),
                 std::min(px.height, static_cast<int>(dst->Height()))};
    if (r.right <= 0 || r.bottom <= 0) return D3D_OK;
    PixelView in{reinterpret_cast<BYTE*>(px.data), px.pitch * 4, D3DFMT_X8R8G8B8, px.width, px.height};
    CopyRect(in, r, ViewOf(*dst), r, false);
    return D3D_OK;
  }, iSwapChain, pDestSurface);
}

HRESULT Device::StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                            IDirect3DSurface9* pDestSurface, const RECT* pDestRect, D3DTEXTUREFILTERTYPE Filter) {
  return Traced("StretchRect", [&] {
    FinishDrawing();
    auto* src = dynamic_cast<Surface*>(pSourceSurface);
    auto* dst = dynamic_cast<Surface*>(pDestSurface);
    if (!src || !dst || src->Owner() != this || dst->Owner() != this) return D3DERR_INVALIDCALL;
    if (src->Pool() != D3DPOOL_DEFAULT || dst->Pool() != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (src->IsDepth() || dst->IsDepth()) return D3DERR_INVALIDCALL;
    // The destination is a render target or a plain offscreen surface.
    if (!(dst->Desc().Usage & D3DUSAGE_RENDERTARGET) && dst->Container()) return D3DERR_INVALIDCALL;
    if (Filter != D3DTEXF_NONE && Filter != D3DTEXF_POINT && Filter != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
    if (src->Locked() || dst->Locked()) return D3DERR_INVALIDCALL;
    const RECT sr = pSourceRect ? *pSourceRect : WholeRect(*src);
    const RECT dr = pDestRect ? *pDestRect : WholeRect(*dst);
    if (!RectInside(sr, src->Width(), src->Height()) || !RectInside(dr, dst->Width(), dst->Height()))
      return D3DERR_INVALIDCALL;
    if (src == dst && sr.left < dr.right && dr.left < sr.right && sr.top < dr.bottom && dr.top < sr.bottom)
      return D3DERR_INVALIDCALL;  // overlapping rectangles of one surface
    if (!CopyRect(ViewOf(*src), sr, ViewOf(*dst), dr, Filter == D3DTEXF_LINEAR)) return D3DERR_INVALIDCALL;
    if (dst->Container()) dst->Container()->Touch();
    return D3D_OK;
  }, pSourceSurface, pSourceRect, pDestSurface, pDestRect, Filter);
}

HRESULT Device::ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect, D3DCOLOR color) {
  return Traced("ColorFill", [&] {
    FinishDrawing();
    auto* s = dynamic_cast<Surface*>(pSurface);
    if (!s || s->Owner() != this || s->Pool() != D3DPOOL_DEFAULT || s->IsDepth()) return D3DERR_INVALIDCALL;
    if (s->Container() && !(s->Desc().Usage & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
    const RECT r = pRect ? *pRect : WholeRect(*s);
    if (!RectInside(r, s->Width(), s->Height())) return D3DERR_INVALIDCALL;
    if (!FillColor(ViewOf(*s), r, color)) return D3DERR_INVALIDCALL;
    if (s->Container()) s->Container()->Touch();
    return D3D_OK;
  }, pSurface, pRect, Hex{color});
}

// ---------------------------------------------------------------------------
// [SECTION] Targets
// ---------------------------------------------------------------------------

HRESULT Device::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  return Traced("SetRenderTarget", [&] {
    FinishDrawing();
    if (RenderTargetIndex >= 1) return D3DERR_INVALIDCALL;  // one simultaneous target
    auto* s = dynamic_cast<Surface*>(pRenderTarget);
    if (!s) return D3DERR_INVALIDCALL;  // target 0 is never null
    if (s->Owner() != this || !(s->Desc().Usage & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
    Rebind(state_.render_targets[0], s);
    // A new target 0 resets the viewport and scissor to its full size.
    state_.viewport = {0, 0, s->Width(), s->Height(), 0.f, 1.f};
    state_.scissor = WholeRect(*s);
    state_.dirty |= kDirtyTarget | kDirtyViewport;
    return D3D_OK;
  }, RenderTargetIndex, pRenderTarget);
}

HRESULT Device::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
  return Traced("GetRenderTarget", [&] {
    if (!ppRenderTarget) return D3DERR_INVALIDCALL;
    *ppRenderTarget = nullptr;
    if (RenderTargetIndex >= kMaxRenderTargets) return D3DERR_INVALIDCALL;
    Surface* s = state_.render_targets[RenderTargetIndex];
    if (!s) return D3DERR_NOTFOUND;
    s->AddRefQuiet();
    *ppRenderTarget = s;
    return D3D_OK;
  }, RenderTargetIndex, ppRenderTarget);
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) {
  return Traced("SetDepthStencilSurface", [&] {
    FinishDrawing();
    auto* s = dynamic_cast<Surface*>(pNewZStencil);
    if (pNewZStencil && (!s || s->Owner() != this || !s->IsDepth())) return D3DERR_INVALIDCALL;
    Rebind(state_.depth_stencil, s);
    state_.dirty |= kDirtyTarget;
    return D3D_OK;
  }, pNewZStencil);
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) {
  return Traced("GetDepthStencilSurface", [&] {
    if (!ppZStencilSurface) return D3DERR_INVALIDCALL;
    *ppZStencilSurface = nullptr;
    if (!state_.depth_stencil) return D3DERR_NOTFOUND;
    state_.depth_stencil->AddRefQuiet();
    *ppZStencilSurface = state_.depth_stencil;
    return D3D_OK;
  }, ppZStencilSurface);
}

// ---------------------------------------------------------------------------
// [SECTION] Scene
// ---------------------------------------------------------------------------

HRESULT Device::BeginScene() {
  return Traced("BeginScene", [&] {
    if (in_scene_) return D3DERR_INVALIDCALL;
    in_scene_ = true;
    return D3D_OK;
  });
}

HRESULT Device::EndScene() {
  return Traced("EndScene", [&] {
    if (!in_scene_) return D3DERR_INVALIDCALL;
    in_scene_ = false;
    return D3D_OK;
  });
}

HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
  return Traced("Clear", [&] {
    if (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return D3DERR_INVALIDCALL;
    Surface* rt = state_.render_targets[0];
    Surface* ds = state_.depth_stencil;
    if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !ds) return D3DERR_INVALIDCALL;
    if ((Flags & D3DCLEAR_STENCIL) && !ds->Stencil()) return D3DERR_INVALIDCALL;
    if ((Flags & D3DCLEAR_ZBUFFER) && !(Z >= 0.f && Z <= 1.f)) return D3DERR_INVALIDCALL;
    if (Loss().lost) return D3D_OK;
    // An empty list of rectangles clears nothing; a count without a list
    // clears the whole viewport, as Windows does.
    if (Count == 0 && pRects) return D3D_OK;
    if (!pRects) Count = 0;
    // Clearing covers the viewport (and the scissor rectangle when it is
    // on), cut by each rectangle given.
    const D3DVIEWPORT9& vp = state_.viewport;
    RECT area{static_cast<LONG>(vp.X), static_cast<LONG>(vp.Y), static_cast<LONG>(vp.X + vp.Width),
              static_cast<LONG>(vp.Y + vp.Height)};
    if (state_.render[D3DRS_SCISSORTESTENABLE]) {
      area.left = std::max(area.left, state_.scissor.left);
      area.top = std::max(area.top, state_.scissor.top);
      area.right = std::min(area.right, state_.scissor.right);
      area.bottom = std::min(area.bottom, state_.scissor.bottom);
    }
    const DWORD n = pRects && Count ? Count : 1;
    for (DWORD i = 0; i < n; ++i) {
      RECT r = area;
      if (pRects && Count) {
        r.left = std::max(r.left, pRects[i].x1);
        r.top = std::max(r.top, pRects[i].y1);
        r.right = std::min(r.right, pRects[i].x2);
        r.bottom = std::min(r.bottom, pRects[i].y2);
      }
      // Recorded in draw order with the draws; rasterized with them.
      ClearCommand cc;
      if ((Flags & D3DCLEAR_TARGET) && rt) {
        RECT c{std::max(r.left, LONG{0}), std::max(r.top, LONG{0}), std::min(r.right, static_cast<LONG>(rt->Width())),
               std::min(r.bottom, static_cast<LONG>(rt->Height()))};
        if (c.left < c.right && c.top < c.bottom) cc.color = ViewOf(*rt), cc.color_rect = c, cc.color_value = Color;
      }
      if (ds && (Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
        RECT c{std::max(r.left, LONG{0}), std::max(r.top, LONG{0}), std::min(r.right, static_cast<LONG>(ds->Width())),
               std::min(r.bottom, static_cast<LONG>(ds->Height()))};
        if (c.left < c.right && c.top < c.bottom) {
          cc.depth_rect = c;
          cc.depth_pitch = static_cast<int>(ds->Width());
          if (Flags & D3DCLEAR_ZBUFFER) cc.depth = ds->Depth(), cc.z = Z;
          if (Flags & D3DCLEAR_STENCIL) cc.stencil = ds->Stencil(), cc.stencil_value = static_cast<BYTE>(Stencil);
        }
      }
      if (cc.color.bits || cc.depth || cc.stencil) {
        if (deferred_.Full(0)) FinishDrawing();
        deferred_.Clear(cc);
      }
    }
    if (Flags & D3DCLEAR_TARGET) TouchTarget();
    return D3D_OK;
  }, Count, pRects, Hex{Flags}, Hex{Color}, Z, Stencil);
}

// ---------------------------------------------------------------------------
// [SECTION] States
// ---------------------------------------------------------------------------

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  return Traced("SetRenderState", [&] {
    const DWORD s = static_cast<DWORD>(State);
    if (!ValidRenderState(s)) return D3DERR_INVALIDCALL;
    if (state_.render[s] != Value) {
      state_.render[s] = Value;
      state_.dirty |= RenderStateGroup(s);
    }
    return D3D_OK;
  }, State, Value);
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  return Traced("GetRenderState", [&] {
    const DWORD s = static_cast<DWORD>(State);
    if (!pValue || !ValidRenderState(s)) return D3DERR_INVALIDCALL;
    *pValue = state_.render[s];
    return D3D_OK;
  }, State, pValue);
}

HRESULT Device::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  return Traced("SetSamplerState", [&] {
    const int slot = SamplerSlot(Sampler);
    const DWORD t = static_cast<DWORD>(Type);
    if (slot < 0 || t == 0 || t >= D3D_SAMPLER_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (state_.sampler[slot][t] != Value) {
      state_.sampler[slot][t] = Value;
      if (slot == 0) state_.dirty |= kDirtyTexture;
    }
    return D3D_OK;
  }, Sampler, Type, Value);
}

HRESULT Device::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  return Traced("GetSamplerState", [&] {
    const int slot = SamplerSlot(Sampler);
    const DWORD t = static_cast<DWORD>(Type);
    if (!pValue || slot < 0 || t == 0 || t >= D3D_SAMPLER_STATE_COUNT) return D3DERR_INVALIDCALL;
    *pValue = state_.sampler[slot][t];
    return D3D_OK;
  }, Sampler, Type, pValue);
}

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  return Traced("SetTextureStageState", [&] {
    const DWORD t = static_cast<DWORD>(Type);
    if (Stage >= D3D_MAX_TEXTURE_STAGES || t == 0 || t >= D3D_TEXTURE_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (state_.stage[Stage][t] != Value) {
      state_.stage[Stage][t] = Value;
      if (Stage == 0) state_.dirty |= kDirtyTexture;
    }
    return D3D_OK;
  }, Stage, Type, Value);
}

HRESULT Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  return Traced("GetTextureStageState", [&] {
    const DWORD t = static_cast<DWORD>(Type);
    if (!pValue || Stage >= D3D_MAX_TEXTURE_STAGES || t == 0 || t >= D3D_TEXTURE_STAGE_STATE_COUNT)
      return D3DERR_INVALIDCALL;
    *pValue = state_.stage[Stage][t];
    return D3D_OK;
  }, Stage, Type, pValue);
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  return Traced("SetTransform", [&] {
    D3DMATRIX* slot = TransformSlot(state_, State);
    if (!slot || !pMatrix) return D3DERR_INVALIDCALL;
    *slot = *pMatrix;
    state_.dirty |= kDirtyTransform;
    return D3D_OK;
  }, State, pMatrix);
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  return Traced("GetTransform", [&] {
    D3DMATRIX* slot = TransformSlot(state_, State);
    if (!slot || !pMatrix) return D3DERR_INVALIDCALL;
    *pMatrix = *slot;
    return D3D_OK;
  }, State, pMatrix);
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  return Traced("MultiplyTransform", [&] {
    D3DMATRIX* slot = TransformSlot(state_, State);
    if (!slot || !pMatrix) return D3DERR_INVALIDCALL;
    *slot = Multiply(*pMatrix, *slot);
    state_.dirty |= kDirtyTransform;
    return D3D_OK;
  }, State, pMatrix);
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* pViewport) {
  return Traced("SetViewport", [&] {
    if (!pViewport) return D3DERR_INVALIDCALL;
    const Surface* rt = state_.render_targets[0];
    const D3DVIEWPORT9& v = *pViewport;
    if (v.Width == 0 || v.Height == 0) return D3DERR_INVALIDCALL;
    if (rt && (static_cast<std::uint64_t>(v.X) + v.Width > rt->Width() ||
               static_cast<std::uint64_t>(v.Y) + v.Height > rt->Height()))
      return D3DERR_INVALIDCALL;
    if (!(v.MinZ >= 0.f && v.MinZ <= 1.f && v.MaxZ >= 0.f && v.MaxZ <= 1.f)) return D3DERR_INVALIDCALL;
    state_.viewport = v;
    state_.dirty |= kDirtyViewport;
    return D3D_OK;
  }, pViewport);
}

HRESULT Device::GetViewport(D3DVIEWPORT9* pViewport) {
  return Traced("GetViewport", [&] {
    if (!pViewport) return D3DERR_INVALIDCALL;
    *pViewport = state_.viewport;
    return D3D_OK;
  }, pViewport);
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* pMaterial) {
  return Traced("SetMaterial", [&] {
    if (!pMaterial) return D3DERR_INVALIDCALL;
    state_.material = *pMaterial;
    state_.dirty |= kDirtyVertex;
    return D3D_OK;
  }, pMaterial);
}

HRESULT Device::GetMaterial(D3DMATERIAL9* pMaterial) {
  return Traced("GetMaterial", [&] {
    if (!pMaterial) return D3DERR_INVALIDCALL;
    *pMaterial = state_.material;
    return D3D_OK;
  }, pMaterial);
}

HRESULT Device::SetLight(DWORD Index, const D3DLIGHT9* pLight) {
  return Traced("SetLight", [&] {
    if (!pLight) return D3DERR_INVALIDCALL;
    if (pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    if (pLight->Type != D3DLIGHT_DIRECTIONAL && !(pLight->Range >= 0.f)) return D3DERR_INVALIDCALL;
    state_.lights[Index].light = *pLight;
    state_.dirty |= kDirtyVertex;
    return D3D_OK;
  }, Index, pLight);
}

HRESULT Device::GetLight(DWORD Index, D3DLIGHT9* pLight) {
  return Traced("GetLight", [&] {
    auto it = state_.lights.find(Index);
    if (!pLight || it == state_.lights.end()) return D3DERR_INVALIDCALL;
    *pLight = it->second.light;
    return D3D_OK;
  }, Index, pLight);
}

HRESULT Device::LightEnable(DWORD Index, BOOL Enable) {
  return Traced("LightEnable", [&] {
    auto it = state_.lights.find(Index);
    if (it == state_.lights.end()) {
      // Enabling a light never set creates the default light: white,
      // directional, pointing along +z.
      LightSlot slot;
      slot.light = {};
      slot.light.Type = D3DLIGHT_DIRECTIONAL;
      slot.light.Diffuse = {1.f, 1.f, 1.f, 0.f};
      slot.light.Direction = {0.f, 0.f, 1.f};
      it = state_.lights.emplace(Index, slot).first;
    }
    it->second.enabled = Enable != FALSE;
    state_.dirty |= kDirtyVertex;
    return D3D_OK;
  }, Index, Enable);
}

HRESULT Device::GetLightEnable(DWORD Index, BOOL* pEnable) {
  return Traced("GetLightEnable", [&] {
    auto it = state_.lights.find(Index);
    if (!pEnable || it == state_.lights.end()) return D3DERR_INVALIDCALL;
    *pEnable = it->second.enabled ? TRUE : FALSE;
    return D3D_OK;
  }, Index, pEnable);
}

HRESULT Device::SetClipPlane(DWORD Index, const float* pPlane) {
  return Traced("SetClipPlane", [&] {
    if (!pPlane || Index >= D3DMAXUSERCLIPPLANES) return D3DERR_INVALIDCALL;
    std::memcpy(state_.clip_planes[Index], pPlane, sizeof state_.clip_planes[Index]);
    return D3D_OK;
  }, Index, pPlane);
}

HRESULT Device::GetClipPlane(DWORD Index, float* pPlane) {
  return Traced("GetClipPlane", [&] {
    if (!pPlane || Index >= D3DMAXUSERCLIPPLANES) return D3DERR_INVALIDCALL;
    std::memcpy(pPlane, state_.clip_planes[Index], sizeof state_.clip_planes[Index]);
    return D3D_OK;
  }, Index, pPlane);
}

HRESULT Device::SetClipStatus(const D3DCLIPSTATUS9* pClipStatus) {
  return Traced("SetClipStatus", [&] {
    if (!pClipStatus) return D3DERR_INVALIDCALL;
    state_.clip_status = *pClipStatus;
    return D3D_OK;
  }, pClipStatus);
}

HRESULT Device::GetClipStatus(D3DCLIPSTATUS9* pClipStatus) {
  return Traced("GetClipStatus", [&] {
    if (!pClipStatus) return D3DERR_INVALIDCALL;
    *pClipStatus = state_.clip_status;
    return D3D_OK;
  }, pClipStatus);
}

HRESULT Device::SetScissorRect(const RECT* pRect) {
  return Traced("SetScissorRect", [&] {
    if (!pRect) return D3DERR_INVALIDCALL;
    state_.scissor = *pRect;
    state_.dirty |= kDirtyViewport;
    return D3D_OK;
  }, pRect);
}

HRESULT Device::GetScissorRect(RECT* pRect) {
  return Traced("GetScissorRect", [&] {
    if (!pRect) return D3DERR_INVALIDCALL;
    *pRect = state_.scissor;
    return D3D_OK;
  }, pRect);
}

HRESULT Device::SetSoftwareVertexProcessing(BOOL bSoftware) {
  return Traced("SetSoftwareVertexProcessing", [&] {
    // Only a mixed-processing device may switch.
    if (!(creation_.BehaviorFlags & D3DCREATE_MIXED_VERTEXPROCESSING)) {
      const bool sw = (creation_.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0;
      return (bSoftware != FALSE) == sw ? D3D_OK : D3DERR_INVALIDCALL;
    }
    software_vp_ = bSoftware != FALSE;
    return D3D_OK;
  }, bSoftware);
}

BOOL Device::GetSoftwareVertexProcessing() {
  return TracedValue("GetSoftwareVertexProcessing", [&] { return software_vp_ ? TRUE : FALSE; });
}

// ---------------------------------------------------------------------------
// [SECTION] Bindings
// ---------------------------------------------------------------------------

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  return Traced("SetTexture", [&] {
    const int slot = SamplerSlot(Stage);
    if (slot < 0) return D3DERR_INVALIDCALL;
    auto* t = dynamic_cast<Texture*>(pTexture);
    if (pTexture && (!t || t->Owner() != this)) return D3DERR_INVALIDCALL;
    // Textures in system memory and scratch textures cannot be sampled.
    if (t && (t->Pool() == D3DPOOL_SYSTEMMEM || t->Pool() == D3DPOOL_SCRATCH)) return D3DERR_INVALIDCALL;
    if (state_.textures[slot] != t) {
      Rebind(state_.textures[slot], t);
      if (slot == 0) state_.dirty |= kDirtyTexture;
    }
    return D3D_OK;
  }, Stage, pTexture);
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
  return Traced("GetTexture", [&] {
    if (!ppTexture) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    const int slot = SamplerSlot(Stage);
    if (slot < 0) return D3DERR_INVALIDCALL;
    if (Texture* t = state_.textures[slot]) {
      t->AddRefQuiet();
      *ppTexture = t;
    }
    return D3D_OK;
  }, Stage, ppTexture);
}

HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                UINT Stride) {
  return Traced("SetStreamSource", [&] {
    if (StreamNumber >= kMaxStreams || Stride > 508 || (OffsetInBytes & 3)) return D3DERR_INVALIDCALL;
    auto* vb = dynamic_cast<VertexBuffer*>(pStreamData);
    if (pStreamData && (!vb || vb->Owner() != this)) return D3DERR_INVALIDCALL;
    StreamBinding& b = state_.streams[StreamNumber];
    Rebind(b.buffer, vb);
    // Unbinding keeps the offset and stride GetStreamSource reports.
    if (vb) {
      b.offset = OffsetInBytes;
      b.stride = Stride;
    }
    return D3D_OK;
  }, StreamNumber, pStreamData, OffsetInBytes, Stride);
}

HRESULT Device::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                                UINT* pStride) {
  return Traced("GetStreamSource", [&] {
    if (!ppStreamData || !pOffsetInBytes || !pStride || StreamNumber >= kMaxStreams) {
      if (ppStreamData) *ppStreamData = nullptr;
      return D3DERR_INVALIDCALL;
    }
    const StreamBinding& b = state_.streams[StreamNumber];
    if (b.buffer) b.buffer->AddRefQuiet();
    *ppStreamData = b.buffer;
    *pOffsetInBytes = b.offset;
    *pStride = b.stride;
    return D3D_OK;
  }, StreamNumber, ppStreamData, pOffsetInBytes, pStride);
}

HRESULT Device::SetStreamSourceFreq(UINT StreamNumber, UINT Setting) {
  return Traced("SetStreamSourceFreq", [&] {
    if (StreamNumber >= kMaxStreams) return D3DERR_INVALIDCALL;
    state_.streams[StreamNumber].frequency = Setting;
    return D3D_OK;
  }, StreamNumber, Setting);
}

HRESULT Device::GetStreamSourceFreq(UINT StreamNumber, UINT* pSetting) {
  return Traced("GetStreamSourceFreq", [&] {
    if (StreamNumber >= kMaxStreams || !pSetting) return D3DERR_INVALIDCALL;
    *pSetting = state_.streams[StreamNumber].frequency;
    return D3D_OK;
  }, StreamNumber, pSetting);
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  return Traced("SetIndices", [&] {
    auto* ib = dynamic_cast<IndexBuffer*>(pIndexData);
    if (pIndexData && (!ib || ib->Owner() != this)) return D3DERR_INVALIDCALL;
    Rebind(state_.indices, ib);
    return D3D_OK;
  }, pIndexData);
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
  return Traced("GetIndices", [&] {
    if (!ppIndexData) return D3DERR_INVALIDCALL;
    if (state_.indices) state_.indices->AddRefQuiet();
    *ppIndexData = state_.indices;
    return D3D_OK;
  }, ppIndexData);
}

HRESULT Device::SetFVF(DWORD FVF) {
  return Traced("SetFVF", [&] {
    if (state_.fvf != FVF || state_.declaration) {
      state_.fvf = FVF;
      Rebind(state_.declaration, static_cast<VertexDeclaration*>(nullptr));
      state_.dirty |= kDirtyVertex;
    }
    return D3D_OK;
  }, Hex{FVF});
}

HRESULT Device::GetFVF(DWORD* pFVF) {
  return Traced("GetFVF", [&] {
    if (!pFVF) return D3DERR_INVALIDCALL;
    *pFVF = state_.fvf;
    return D3D_OK;
  }, pFVF);
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                        IDirect3DVertexDeclaration9** ppDecl) {
  return Traced("CreateVertexDeclaration", [&] {
    if (!ppDecl) return D3DERR_INVALIDCALL;
    *ppDecl = nullptr;
    if (!pVertexElements) return D3DERR_INVALIDCALL;
    UINT n = 0;
    while (pVertexElements[n].Stream != 0xFF) {
      const D3DVERTEXELEMENT9& e = pVertexElements[n];
      if (e.Type >= D3DDECLTYPE_UNUSED || e.Usage > D3DDECLUSAGE_SAMPLE || e.Stream >= kMaxStreams)
        return D3DERR_INVALIDCALL;
      if (++n >= MAXD3DDECLLENGTH) return D3DERR_INVALIDCALL;
    }
    *ppDecl = new VertexDeclaration(this, pVertexElements, n + 1);
    return D3D_OK;
  }, pVertexElements, ppDecl);
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) {
  return Traced("SetVertexDeclaration", [&] {
    auto* d = dynamic_cast<VertexDeclaration*>(pDecl);
    if (pDecl && !d) return D3DERR_INVALIDCALL;
    Rebind(state_.declaration, d);
    if (d) state_.fvf = 0;
    state_.dirty |= kDirtyVertex;
    return D3D_OK;
  }, pDecl);
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) {
  return Traced("GetVertexDeclaration", [&] {
    if (!ppDecl) return D3DERR_INVALIDCALL;
    if (state_.declaration) state_.declaration->AddRefQuiet();
    *ppDecl = state_.declaration;
    return D3D_OK;
  }, ppDecl);
}

// ---------------------------------------------------------------------------
// [SECTION] Shaders
// ---------------------------------------------------------------------------
// Vertex shaders are vertex programs (C++ functions) named by the token
// streams RegisterVertexProgram hands out; other bytecode is refused.

HRESULT Device::CreateVertexShader(const DWORD* pFunction, IDirect3DVertexShader9** ppShader) {
  return Traced("CreateVertexShader", [&] {
    if (!ppShader) return D3DERR_INVALIDCALL;
    *ppShader = nullptr;
    auto program = FindVertexProgram(pFunction);
    if (!program) return D3DERR_INVALIDCALL;
    *ppShader = new VertexShader(this, pFunction, kVertexProgramTokens, std::move(program));
    return D3D_OK;
  }, pFunction, ppShader);
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* pShader) {
  return Traced("SetVertexShader", [&] {
    auto* s = dynamic_cast<VertexShader*>(pShader);
    if (pShader && !s) return D3DERR_INVALIDCALL;
    Rebind(state_.vertex_shader, s);
    state_.dirty |= kDirtyVertex;
    return D3D_OK;
  }, pShader);
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** ppShader) {
  return Traced("GetVertexShader", [&] {
    if (!ppShader) return D3DERR_INVALIDCALL;
    if (state_.vertex_shader) state_.vertex_shader->AddRefQuiet();
    *ppShader = state_.vertex_shader;
    return D3D_OK;
  }, ppShader);
}

HRESULT Device::SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount) {
  return Traced("SetVertexShaderConstantF", [&] {
    if (!pConstantData || StartRegister > kVertexShaderConstants ||
        Vector4fCount > kVertexShaderConstants - StartRegister)
      return D3DERR_INVALIDCALL;
    std::memcpy(state_.vs_constants_f[StartRegister], pConstantData, Vector4fCount * 4 * sizeof(float));
    return D3D_OK;
  }, StartRegister, pConstantData, Vector4fCount);
}

HRESULT Device::GetVertexShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount) {
  return Traced("GetVertexShaderConstantF", [&] {
    if (!pConstantData || StartRegister > kVertexShaderConstants ||
        Vector4fCount > kVertexShaderConstants - StartRegister)
      return D3DERR_INVALIDCALL;
    std::memcpy(pConstantData, state_.vs_constants_f[StartRegister], Vector4fCount * 4 * sizeof(float));
    return D3D_OK;
  }, StartRegister, pConstantData, Vector4fCount);
}

HRESULT Device::SetVertexShaderConstantI(UINT StartRegister, const int* pConstantData, UINT Vector4iCount) {
  return Traced("SetVertexShaderConstantI", [&] {
    if (!pConstantData || StartRegister > 16 || Vector4iCount > 16 - StartRegister) return D3DERR_INVALIDCALL;
    std::memcpy(state_.vs_constants_i[StartRegister], pConstantData, Vector4iCount * 4 * sizeof(int));
    return D3D_OK;
  }, StartRegister, pConstantData, Vector4iCount);
}

HRESULT Device::GetVertexShaderConstantI(UINT StartRegister, int* pConstantData, UINT Vector4iCount) {
  return Traced("GetVertexShaderConstantI", [&] {
    if (!pConstantData || StartRegister > 16 || Vector4iCount > 16 - StartRegister) return D3DERR_INVALIDCALL;
    std::memcpy(pConstantData, state_.vs_constants_i[StartRegister], Vector4iCount * 4 * sizeof(int));
    return D3D_OK;
  }, StartRegister, pConstantData, Vector4iCount);
}

HRESULT Device::SetVertexShaderConstantB(UINT StartRegister, const BOOL* pConstantData, UINT BoolCount) {
  return Traced("SetVertexShaderConstantB", [&] {
    if (!pConstantData || StartRegister > 16 || BoolCount > 16 - StartRegister) return D3DERR_INVALIDCALL;
    std::memcpy(&state_.vs_constants_b[StartRegister], pConstantData, BoolCount * sizeof(BOOL));
    return D3D_OK;
  }, StartRegister, pConstantData, BoolCount);
}

HRESULT Device::GetVertexShaderConstantB(UINT StartRegister, BOOL* pConstantData, UINT BoolCount) {
  return Traced("GetVertexShaderConstantB", [&] {
    if (!pConstantData || StartRegister > 16 || BoolCount > 16 - StartRegister) return D3DERR_INVALIDCALL;
    std::memcpy(pConstantData, &state_.vs_constants_b[StartRegister], BoolCount * sizeof(BOOL));
    return D3D_OK;
  }, StartRegister, pConstantData, BoolCount);
}

// ---------------------------------------------------------------------------
// [SECTION] Unsupported
// ---------------------------------------------------------------------------
// Cursors, additional swap chains, volume and cube textures, state blocks,
// palettes, patches, pixel shaders and queries: refused as a device without
// them refuses them.

HRESULT Device::SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface9* pCursorBitmap) {
  return Traced("SetCursorProperties", [&] { return D3DERR_INVALIDCALL; }, XHotSpot, YHotSpot, pCursorBitmap);
}
void Device::SetCursorPosition(int X, int Y, DWORD Flags) {
  TracedValue("SetCursorPosition", [] {}, X, Y, Hex{Flags});
}
BOOL Device::ShowCursor(BOOL bShow) {
  return TracedValue("ShowCursor", [] { return FALSE; }, bShow);
}
HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* pp, IDirect3DSwapChain9** pSwapChain) {
  return Traced("CreateAdditionalSwapChain", [&] {
    if (pSwapChain) *pSwapChain = nullptr;
    return D3DERR_NOTAVAILABLE;
  }, pp, pSwapChain);
}
HRESULT Device::GetSwapChain(UINT iSwapChain, IDirect3DSwapChain9** pSwapChain) {
  return Traced("GetSwapChain", [&] {
    if (pSwapChain) *pSwapChain = nullptr;
    return D3DERR_INVALIDCALL;
  }, iSwapChain, pSwapChain);
}
UINT Device::GetNumberOfSwapChains() {
  return TracedValue("GetNumberOfSwapChains", [] { return 1u; });
}
HRESULT Device::CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                    D3DPOOL Pool, IDirect3DVolumeTexture9** ppVolumeTexture, HANDLE* pSharedHandle) {
  return Traced("CreateVolumeTexture", [&] {
    if (ppVolumeTexture) *ppVolumeTexture = nullptr;
    return D3DERR_NOTAVAILABLE;
  }, Width, Height, Depth, Levels, Hex{Usage}, Format, Pool, ppVolumeTexture, pSharedHandle);
}
HRESULT Device::CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DCubeTexture9** ppCubeTexture, HANDLE* pSharedHandle) {
  return Traced("CreateCubeTexture", [&] {
    if (ppCubeTexture) *ppCubeTexture = nullptr;
    return D3DERR_NOTAVAILABLE;
  }, EdgeLength, Levels, Hex{Usage}, Format, Pool, ppCubeTexture, pSharedHandle);
}
HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE Type, IDirect3DStateBlock9** ppSB) {
  return Traced("CreateStateBlock", [&] {
    if (ppSB) *ppSB = nullptr;
    return D3DERR_NOTAVAILABLE;
  }, static_cast<int>(Type), ppSB);
}
HRESULT Device::BeginStateBlock() {
  return Traced("BeginStateBlock", [] { return D3DERR_NOTAVAILABLE; });
}
HRESULT Device::EndStateBlock(IDirect3DStateBlock9** ppSB) {
  return Traced("EndStateBlock", [&] {
    if (ppSB) *ppSB = nullptr;
    return D3DERR_INVALIDCALL;
  }, ppSB);
}
HRESULT Device::SetPaletteEntries(UINT PaletteNumber, const PALETTEENTRY* pEntries) {
  return Traced("SetPaletteEntries", [&] { return D3DERR_INVALIDCALL; }, PaletteNumber, pEntries ? 1 : 0);
}
HRESULT Device::GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) {
  return Traced("GetPaletteEntries", [&] { return D3DERR_INVALIDCALL; }, PaletteNumber, pEntries ? 1 : 0);
}
HRESULT Device::SetCurrentTexturePalette(UINT PaletteNumber) {
  return Traced("SetCurrentTexturePalette", [&] { return D3DERR_INVALIDCALL; }, PaletteNumber);
}
HRESULT Device::GetCurrentTexturePalette(UINT* PaletteNumber) {
  return Traced("GetCurrentTexturePalette", [&] { return D3DERR_INVALIDCALL; }, PaletteNumber);
}
HRESULT Device::SetNPatchMode(float nSegments) {
  return Traced("SetNPatchMode", [&] { return nSegments == 0.f ? D3D_OK : D3DERR_INVALIDCALL; }, nSegments);
}
float Device::GetNPatchMode() {
  return TracedValue("GetNPatchMode", [] { return 0.f; });
}
HRESULT Device::ProcessVertices(UINT SrcStartIndex, UINT DestIndex, UINT VertexCount,
                                IDirect3DVertexBuffer9* pDestBuffer, IDirect3DVertexDeclaration9* pVertexDecl,
                                DWORD Flags) {
  return Traced("ProcessVertices", [&] { return D3DERR_INVALIDCALL; }, SrcStartIndex, DestIndex, VertexCount,
                pDestBuffer, pVertexDecl, Hex{Flags});
}
HRESULT Device::CreatePixelShader(const DWORD* pFunction, IDirect3DPixelShader9** ppShader) {
  return Traced("CreatePixelShader", [&] {
    if (ppShader) *ppShader = nullptr;
    return D3DERR_INVALIDCALL;
  }, pFunction, ppShader);
}
HRESULT Device::SetPixelShader(IDirect3DPixelShader9* pShader) {
  return Traced("SetPixelShader", [&] { return pShader ? D3DERR_INVALIDCALL : D3D_OK; }, pShader ? 1 : 0);
}
HRESULT Device::GetPixelShader(IDirect3DPixelShader9** ppShader) {
  return Traced("GetPixelShader", [&] {
    if (!ppShader) return D3DERR_INVALIDCALL;
    *ppShader = nullptr;
    return D3D_OK;
  }, ppShader);
}
HRESULT Device::SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount) {
  return Traced("SetPixelShaderConstantF", [&] { return D3DERR_INVALIDCALL; }, StartRegister, pConstantData,
                Vector4fCount);
}
HRESULT Device::GetPixelShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount) {
  return Traced("GetPixelShaderConstantF", [&] { return D3DERR_INVALIDCALL; }, StartRegister, pConstantData,
                Vector4fCount);
}
HRESULT Device::SetPixelShaderConstantI(UINT StartRegister, const int* pConstantData, UINT Vector4iCount) {
  return Traced("SetPixelShaderConstantI", [&] { return D3DERR_INVALIDCALL; }, StartRegister, pConstantData,
                Vector4iCount);
}
HRESULT Device::GetPixelShaderConstantI(UINT StartRegister, int* pConstantData, UINT Vector4iCount) {
  return Traced("GetPixelShaderConstantI", [&] { return D3DERR_INVALIDCALL; }, StartRegister, pConstantData,
                Vector4iCount);
}
HRESULT Device::SetPixelShaderConstantB(UINT StartRegister, const BOOL* pConstantData, UINT BoolCount) {
  return Traced("SetPixelShaderConstantB", [&] { return D3DERR_INVALIDCALL; }, StartRegister, pConstantData,
                BoolCount);
}
HRESULT Device::GetPixelShaderConstantB(UINT StartRegister, BOOL* pConstantData, UINT BoolCount) {
  return Traced("GetPixelShaderConstantB", [&] { return D3DERR_INVALIDCALL; }, StartRegister, pConstantData,
                BoolCount);
}
HRESULT Device::DrawRectPatch(UINT Handle, const float* pNumSegs, const D3DRECTPATCH_INFO* pRectPatchInfo) {
  return Traced("DrawRectPatch", [&] { return D3DERR_INVALIDCALL; }, Handle, pNumSegs, pRectPatchInfo ? 1 : 0);
}
HRESULT Device::DrawTriPatch(UINT Handle, const float* pNumSegs, const D3DTRIPATCH_INFO* pTriPatchInfo) {
  return Traced("DrawTriPatch", [&] { return D3DERR_INVALIDCALL; }, Handle, pNumSegs, pTriPatchInfo ? 1 : 0);
}
HRESULT Device::DeletePatch(UINT Handle) {
  return Traced("DeletePatch", [&] { return D3DERR_INVALIDCALL; }, Handle);
}
HRESULT Device::CreateQuery(D3DQUERYTYPE Type, IDirect3DQuery9** ppQuery) {
  return Traced("CreateQuery", [&] {
    if (ppQuery) *ppQuery = nullptr;
    return D3DERR_NOTAVAILABLE;
  }, static_cast<int>(Type), ppQuery);
}

}  // namespace d3d9_impl
