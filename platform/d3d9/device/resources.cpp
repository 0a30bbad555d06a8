// Resources of the software device: lifetime, descriptions and locks.
#include "platform/d3d9/device/resources.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d9/device/call_trace.h"
#include "platform/d3d9/device/device.h"
#include "platform/d3d9/formats/dxt_codec.h"
#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/row_codec.h"
#include "platform/d3d9/raster/vertex_program_registry.h"

namespace d3d9_impl {

UINT FullMipCount(UINT width, UINT height) {
  UINT n = 1;
  while (width > 1 || height > 1) {
    width = std::max(1u, width / 2);
    height = std::max(1u, height / 2);
    ++n;
  }
  return n;
}

// ---------------------------------------------------------------------------
// [SECTION] Resource base
// ---------------------------------------------------------------------------

template <class I>
Resource<I>::Resource(const char* kind, Device* device, D3DPOOL pool, bool counted)
    : ComObject<I>(kind), device_(device), pool_(pool), counted_(counted) {
  device_->AddInternalRef();
  if (counted_) device_->ResourceCreated(pool_);
}

template <class I>
Resource<I>::~Resource() {
  if (counted_) device_->ResourceDestroyed(pool_);
  device_->ReleaseInternalRef();
}

template <class I>
HRESULT Resource<I>::GetDevice(IDirect3DDevice9** ppDevice) {
  return Traced("GetDevice", [&] {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    device_->AddRefQuiet();
    *ppDevice = device_->Interface();
    return D3D_OK;
  }, ppDevice);
}

template <class I>
HRESULT Resource<I>::SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) {
  return Traced("SetPrivateData", [&] {
    if (!pData && SizeOfData) return D3DERR_INVALIDCALL;
    if (Flags & D3DSPD_IUNKNOWN) return D3DERR_INVALIDCALL;  // interface pointers are not kept
    FreePrivateData(refguid);
    const BYTE* p = static_cast<const BYTE*>(pData);
    private_data_.push_back({refguid, std::vector<BYTE>(p, p + SizeOfData)});
    return D3D_OK;
  }, SizeOfData, Hex{Flags});
}

template <class I>
HRESULT Resource<I>::GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) {
  return Traced("GetPrivateData", [&] {
    if (!pSizeOfData) return D3DERR_INVALIDCALL;
    for (auto& [guid, bytes] : private_data_) {
      if (!(guid == refguid)) continue;
      const DWORD size = static_cast<DWORD>(bytes.size());
      if (!pData || *pSizeOfData < size) {
        *pSizeOfData = size;
        return pData ? D3DERR_MOREDATA : D3D_OK;
      }
      std::memcpy(pData, bytes.data(), size);
      *pSizeOfData = size;
      return D3D_OK;
    }
    return D3DERR_NOTFOUND;
  }, pData, pSizeOfData);
}

template <class I>
HRESULT Resource<I>::FreePrivateData(REFGUID refguid) {
  auto it = std::find_if(private_data_.begin(), private_data_.end(), [&](auto& e) { return e.first == refguid; });
  if (it == private_data_.end()) return D3DERR_NOTFOUND;
  private_data_.erase(it);
  return D3D_OK;
}

template <class I>
DWORD Resource<I>::SetPriority(DWORD PriorityNew) {
  return TracedValue("SetPriority", [&] {
    const DWORD old = priority_;
    if (pool_ == D3DPOOL_MANAGED) priority_ = PriorityNew;
    return old;
  }, PriorityNew);
}

template <class I>
DWORD Resource<I>::GetPriority() {
  return TracedValue("GetPriority", [&] { return priority_; });
}

template <class I>
void Resource<I>::PreLoad() {
  TracedValue("PreLoad", [] {});
}

template class Resource<IDirect3DSurface9>;
template class Resource<IDirect3DTexture9>;
template class Resource<IDirect3DVertexBuffer9>;
template class Resource<IDirect3DIndexBuffer9>;

// ---------------------------------------------------------------------------
// [SECTION] Surface
// ---------------------------------------------------------------------------

namespace {

bool IsDepthFormat(D3DFORMAT f) { return d3d9_formats::HasUse(f, d3d9_formats::kUseDepthStencil); }

}  // namespace

Surface::Surface(Device* device, const D3DSURFACE_DESC& desc, bool lockable, Texture* container, UINT level)
    : Resource("Surface", device, desc.Pool, container == nullptr),
      desc_(desc),
      lockable_(lockable),
      is_depth_(IsDepthFormat(desc.Format)),
      container_(container),
      level_(level) {
  if (is_depth_) {
    depth_.assign(static_cast<std::size_t>(desc.Width) * desc.Height, 1.f);
    if (desc.Format == D3DFMT_D24S8) stencil_.assign(static_cast<std::size_t>(desc.Width) * desc.Height, 0);
    pitch_ = static_cast<int>(desc.Width) * 4;
  } else {
    pitch_ = static_cast<int>(d3d9_formats::RowPitch(desc.Format, desc.Width));
    bits_.assign(d3d9_formats::SurfaceBytes(desc.Format, desc.Width, desc.Height), 0);
  }
}

ULONG Surface::AddRef() {
  if (container_) return container_->AddRef();
  return ComObject::AddRef();
}

ULONG Surface::Release() {
  if (container_) return container_->Release();
  return ComObject::Release();
}

void Surface::AddRefQuiet() {
  if (container_) return container_->AddRefQuiet();
  ComObject::AddRefQuiet();
}

void Surface::AddInternalRef() {
  if (container_) return container_->AddInternalRef();
  ComObject::AddInternalRef();
}

void Surface::ReleaseInternalRef() {
  if (container_) return container_->ReleaseInternalRef();
  ComObject::ReleaseInternalRef();
}

void Surface::Destroy() {
  if (!container_) delete this;  // level surfaces belong to their texture
}

HRESULT Surface::GetContainer(REFIID riid, void** ppContainer) {
  return Traced("GetContainer", [&] {
    if (!ppContainer) return D3DERR_INVALIDCALL;
    *ppContainer = nullptr;
    if (container_) return container_->QueryInterface(riid, ppContainer);
    // A standalone surface's container is the device.
    if (riid == IID_IDirect3DDevice9 || riid == IID_IUnknown) {
      device_->AddRefQuiet();
      *ppContainer = device_->Interface();
      return D3D_OK;
    }
    return E_NOINTERFACE;
  }, ppContainer);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* pDesc) {
  return Traced("GetDesc", [&] {
    if (!pDesc) return D3DERR_INVALIDCALL;
    *pDesc = desc_;
    return D3D_OK;
  }, pDesc);
}

const std::uint32_t* Surface::ArgbTexels(int* pitch_in_texels) {
  if (desc_.Format == D3DFMT_A8R8G8B8 || desc_.Format == D3DFMT_X8R8G8B8) {
    *pitch_in_texels = pitch_ / 4;
    return reinterpret_cast<const std::uint32_t*>(bits_.data());
  }
  d3d9_formats::BlockKind kind{};
  const bool blocks = d3d9_formats::BlockKindOfFourCC(static_cast<std::uint32_t>(desc_.Format), &kind);
  if (is_depth_ || (!blocks && !d3d9_formats::CanConvertRows(desc_.Format))) return nullptr;
  const std::uint32_t gen = container_ ? container_->Generation() : 0;
  if (!cache_valid_ || cache_generation_ != gen || !container_) {
    argb_cache_.resize(static_cast<std::size_t>(desc_.Width) * desc_.Height);
    if (blocks) {
      d3d9_formats::DecodeBlockPicture(kind, bits_.data(), pitch_, desc_.Width, desc_.Height, argb_cache_.data());
    } else {
      for (UINT y = 0; y < desc_.Height; ++y)
        d3d9_formats::DecodeRow(desc_.Format, bits_.data() + static_cast<std::size_t>(y) * pitch_, desc_.Width,
                                argb_cache_.data() + static_cast<std::size_t>(y) * desc_.Width);
    }
    cache_generation_ = gen;
    cache_valid_ = true;
  }
  *pitch_in_texels = static_cast<int>(desc_.Width);
  return argb_cache_.data();
}

Surface::~Surface() { device_->FinishDrawing(); }

HRESULT Surface::LockImpl(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
  if (!out) return D3DERR_INVALIDCALL;
  // The caller reads or writes the pixels as the draws so far leave them.
  device_->FinishDrawing();
  // A second lock is refused without touching the caller's record, which
  // may still describe the first.
  if (locked_) return D3DERR_INVALIDCALL;
  out->pBits = nullptr;
  out->Pitch = 0;
  // Depth buffers, multisampled and unlockable render targets, and
  // non-dynamic textures in video memory cannot be locked, as on Windows.
  if (is_depth_ || !lockable_) return D3DERR_INVALIDCALL;
  if ((flags & D3DLOCK_DISCARD) && !(desc_.Usage & D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
  const d3d9_formats::FormatInfo* f = d3d9_formats::FindFormat(desc_.Format);
  LONG x = 0, y = 0;
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        static_cast<UINT>(rect->right) > desc_.Width || static_cast<UINT>(rect->bottom) > desc_.Height)
      return D3DERR_INVALIDCALL;
    if (f->block_bytes && ((rect->left | rect->top) & 3)) return D3DERR_INVALIDCALL;
    x = rect->left;
    y = rect->top;
  }
  std::size_t offset;
  if (f->block_bytes)
    offset = static_cast<std::size_t>(y / 4) * pitch_ + static_cast<std::size_t>(x / 4) * f->block_bytes;
  else
    offset = static_cast<std::size_t>(y) * pitch_ + static_cast<std::size_t>(x) * f->bits_per_pixel / 8;
  out->pBits = bits_.data() + offset;
  out->Pitch = pitch_;
  locked_ = true;
  return D3D_OK;
}

HRESULT Surface::UnlockImpl() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  if (container_) container_->Touch();
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  return Traced("LockRect", [&] { return LockImpl(pLockedRect, pRect, Flags); }, pLockedRect, pRect, Hex{Flags});
}

HRESULT Surface::UnlockRect() {
  return Traced("UnlockRect", [&] { return UnlockImpl(); });
}

HRESULT Surface::GetDC(HDC* phdc) {
  return Traced("GetDC", [&] {
    if (phdc) *phdc = nullptr;
    return D3DERR_INVALIDCALL;  // no GDI here
  }, phdc);
}

HRESULT Surface::ReleaseDC(HDC) {
  return Traced("ReleaseDC", [&] { return D3DERR_INVALIDCALL; });
}

// ---------------------------------------------------------------------------
// [SECTION] Texture
// ---------------------------------------------------------------------------

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Resource("Texture", device, pool, true), usage_(usage), format_(format) {
  // Levels of video-memory textures are locked only when dynamic.
  const bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
  levels_.reserve(levels);
  for (UINT i = 0; i < levels; ++i) {
    D3DSURFACE_DESC d{};
    d.Format = format;
    d.Type = D3DRTYPE_SURFACE;
    d.Usage = usage;
    d.Pool = pool;
    d.MultiSampleType = D3DMULTISAMPLE_NONE;
    d.Width = std::max(1u, width >> i);
    d.Height = std::max(1u, height >> i);
    levels_.push_back(std::make_unique<Surface>(device, d, lockable, this, i));
  }
}

Texture::~Texture() = default;

DWORD Texture::SetLOD(DWORD LODNew) {
  return TracedValue("SetLOD", [&] {
    const DWORD old = lod_;
    if (pool_ == D3DPOOL_MANAGED) lod_ = std::min<DWORD>(LODNew, Levels() - 1);
    if (lod_ != old) Touch();  // a bound texture offers other levels from the next draw on
    return old;
  }, LODNew);
}

DWORD Texture::GetLOD() {
  return TracedValue("GetLOD", [&] { return lod_; });
}

DWORD Texture::GetLevelCount() {
  return TracedValue("GetLevelCount", [&] { return static_cast<DWORD>(levels_.size()); });
}

HRESULT Texture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType) {
  return Traced("SetAutoGenFilterType", [&] {
    if (FilterType != D3DTEXF_POINT && FilterType != D3DTEXF_LINEAR) return D3DERR_INVALIDCALL;
    autogen_filter_ = FilterType;
    return D3D_OK;
  }, FilterType);
}

D3DTEXTUREFILTERTYPE Texture::GetAutoGenFilterType() {
  return TracedValue("GetAutoGenFilterType", [&] { return autogen_filter_; });
}

void Texture::GenerateMipSubLevels() {
  TracedValue("GenerateMipSubLevels", [] {});
}

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  return Traced("GetLevelDesc", [&] {
    if (!pDesc || Level >= Levels()) return D3DERR_INVALIDCALL;
    *pDesc = levels_[Level]->Desc();
    return D3D_OK;
  }, Level, pDesc);
}

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  return Traced("GetSurfaceLevel", [&] {
    if (!ppSurfaceLevel) return D3DERR_INVALIDCALL;
    *ppSurfaceLevel = nullptr;
    if (Level >= Levels()) return D3DERR_INVALIDCALL;
    AddRefQuiet();  // a level shares its texture's count
    *ppSurfaceLevel = levels_[Level].get();
    return D3D_OK;
  }, Level, ppSurfaceLevel);
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  return Traced("LockRect", [&] {
    if (Level >= Levels()) {
      if (pLockedRect) *pLockedRect = {};
      return D3DERR_INVALIDCALL;
    }
    return levels_[Level]->LockImpl(pLockedRect, pRect, Flags);
  }, Level, pLockedRect, pRect, Hex{Flags});
}

HRESULT Texture::UnlockRect(UINT Level) {
  return Traced("UnlockRect", [&] {
    if (Level >= Levels()) return D3DERR_INVALIDCALL;
    // Unlocking a level that is not locked is harmless for textures the
    // application's memory holds (managed, system memory, scratch).
    if (!levels_[Level]->Locked() && Pool() != D3DPOOL_DEFAULT) return D3D_OK;
    return levels_[Level]->UnlockImpl();
  }, Level);
}

HRESULT Texture::AddDirtyRect(const RECT* pDirtyRect) {
  return Traced("AddDirtyRect", [&] { return D3D_OK; }, pDirtyRect);
}

// ---------------------------------------------------------------------------
// [SECTION] Buffers
// ---------------------------------------------------------------------------

template <class I, class D>
Buffer<I, D>::Buffer(const char* kind, Device* device, UINT length, DWORD usage, D3DPOOL pool, D3DFORMAT format,
                     DWORD fvf)
    : Resource<I>(kind, device, pool, true), data_(length, 0), usage_(usage), format_(format), fvf_(fvf) {}

template <class I, class D>
HRESULT Buffer<I, D>::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
  return Traced("Lock", [&] {
    if (!ppbData) return D3DERR_INVALIDCALL;
    *ppbData = nullptr;
    const UINT length = Length();
    // Size 0 locks the rest of the buffer; a range past the end is refused.
    if (OffsetToLock > length) return D3DERR_INVALIDCALL;
    if (SizeToLock != 0 && SizeToLock > length - OffsetToLock) return D3DERR_INVALIDCALL;
    if ((Flags & (D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE)) && !(usage_ & D3DUSAGE_DYNAMIC)) {
      // Ignored on static buffers, as the runtime does.
    }
    ++lock_count_;
    *ppbData = data_.data() + OffsetToLock;
    return D3D_OK;
  }, OffsetToLock, SizeToLock, ppbData, Hex{Flags});
}

template <class I, class D>
HRESULT Buffer<I, D>::Unlock() {
  return Traced("Unlock", [&] {
    if (lock_count_ == 0) return D3DERR_INVALIDCALL;
    --lock_count_;
    return D3D_OK;
  });
}

template <class I, class D>
HRESULT Buffer<I, D>::GetDesc(D* pDesc) {
  return Traced("GetDesc", [&] {
    if (!pDesc) return D3DERR_INVALIDCALL;
    *pDesc = {};
    pDesc->Format = format_;
    pDesc->Type = this->GetType();
    pDesc->Usage = usage_;
    pDesc->Pool = this->pool_;
    pDesc->Size = Length();
    if constexpr (std::is_same_v<D, D3DVERTEXBUFFER_DESC>) pDesc->FVF = fvf_;
    return D3D_OK;
  }, pDesc);
}

template class Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC>;
template class Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC>;

// ---------------------------------------------------------------------------
// [SECTION] Declarations and shaders
// ---------------------------------------------------------------------------

VertexDeclaration::VertexDeclaration(Device* device, const D3DVERTEXELEMENT9* elements, UINT count)
    : ComObject("VertexDeclaration"), device_(device), elements_(elements, elements + count) {
  device_->AddInternalRef();
}

VertexDeclaration::~VertexDeclaration() { device_->ReleaseInternalRef(); }

HRESULT VertexDeclaration::GetDevice(IDirect3DDevice9** ppDevice) {
  return Traced("GetDevice", [&] {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    device_->AddRefQuiet();
    *ppDevice = device_->Interface();
    return D3D_OK;
  }, ppDevice);
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) {
  return Traced("GetDeclaration", [&] {
    if (!pNumElements) return D3DERR_INVALIDCALL;
    *pNumElements = static_cast<UINT>(elements_.size());
    if (pElement) std::copy(elements_.begin(), elements_.end(), pElement);
    return D3D_OK;
  }, pElement, pNumElements);
}

VertexShader::VertexShader(Device* device, const DWORD* tokens, UINT count,
                           std::shared_ptr<const VertexProgramData> program)
    : ComObject("VertexShader"), device_(device), tokens_(tokens, tokens + count), program_(std::move(program)) {
  device_->AddInternalRef();
}

VertexShader::~VertexShader() { device_->ReleaseInternalRef(); }

HRESULT VertexShader::GetDevice(IDirect3DDevice9** ppDevice) {
  return Traced("GetDevice", [&] {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    device_->AddRefQuiet();
    *ppDevice = device_->Interface();
    return D3D_OK;
  }, ppDevice);
}

HRESULT VertexShader::GetFunction(void* pData, UINT* pSizeOfData) {
  return Traced("GetFunction", [&] {
    if (!pSizeOfData) return D3DERR_INVALIDCALL;
    const UINT size = static_cast<UINT>(tokens_.size() * sizeof(DWORD));
    if (!pData) {
      *pSizeOfData = size;
      return D3D_OK;
    }
    if (*pSizeOfData < size) return D3DERR_INVALIDCALL;
    std::memcpy(pData, tokens_.data(), size);
    *pSizeOfData = size;
    return D3D_OK;
  }, pData, pSizeOfData);
}

}  // namespace d3d9_impl
