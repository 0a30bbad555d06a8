// The resources of the software device: surfaces (colour and depth),
// textures with their level surfaces, vertex and index buffers, vertex
// declarations and vertex shaders.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/d3d9/com/com_object.h"
#include "platform/d3d9/d3d9.h"

namespace d3d9_impl {

class Device;
class Texture;

// What every resource shares: its device, pool, priority and private data.
// A resource keeps its device alive (an internal reference) and tells it
// when a default-pool resource comes and goes, for the Reset rule.
template <class Interface>
class Resource : public ComObject<Interface> {
 public:
  Resource(const char* kind, Device* device, D3DPOOL pool, bool counted);
  ~Resource() override;

  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  HRESULT SetPrivateData(REFGUID refguid, const void* pData, DWORD SizeOfData, DWORD Flags) override;
  HRESULT GetPrivateData(REFGUID refguid, void* pData, DWORD* pSizeOfData) override;
  HRESULT FreePrivateData(REFGUID refguid) override;
  DWORD SetPriority(DWORD PriorityNew) override;
  DWORD GetPriority() override;
  void PreLoad() override;

  Device* Owner() const { return device_; }
  D3DPOOL Pool() const { return pool_; }

 protected:
  Device* device_;
  D3DPOOL pool_;
  bool counted_;  // counts as a live default-pool resource of the device
  DWORD priority_ = 0;
  std::vector<std::pair<GUID, std::vector<BYTE>>> private_data_;
};

// A 2D array of pixels: a render target, a depth-stencil buffer, an
// offscreen plain surface or one level of a texture. Colour surfaces keep
// their pixels in the format's memory layout; depth surfaces keep one
// float per pixel (and a stencil byte for D24S8), which is all the
// rasterizer needs and what Clear writes.
class Surface final : public Resource<IDirect3DSurface9> {
 public:
  Surface(Device* device, const D3DSURFACE_DESC& desc, bool lockable, Texture* container, UINT level);
  // Recorded draws may still read or write these pixels: they are drawn first.
  ~Surface() override;

  // Level surfaces share the reference count of their texture, so a
  // surface obtained with GetSurfaceLevel keeps its texture alive and the
  // texture keeps its levels.
  ULONG AddRef() override;
  ULONG Release() override;
  void AddRefQuiet() override;
  void AddInternalRef() override;
  void ReleaseInternalRef() override;

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect() override;
  HRESULT GetDC(HDC* phdc) override;
  HRESULT ReleaseDC(HDC hdc) override;

  // For the device and rasterizer.
  const D3DSURFACE_DESC& Desc() const { return desc_; }
  UINT Width() const { return desc_.Width; }
  UINT Height() const { return desc_.Height; }
  D3DFORMAT Format() const { return desc_.Format; }
  BYTE* Bits() { return bits_.data(); }
  const BYTE* Bits() const { return bits_.data(); }
  int Pitch() const { return pitch_; }
  float* Depth() { return depth_.data(); }
  BYTE* Stencil() { return stencil_.empty() ? nullptr : stencil_.data(); }
  bool IsDepth() const { return is_depth_; }
  bool Locked() const { return locked_; }
  Texture* Container() const { return container_; }
  UINT Level() const { return level_; }
  // The texels as 32-bit ARGB for sampling: the pixels themselves for the
  // 32-bit RGB formats, else a converted copy kept until the texture's
  // contents change. Null for a format the row codec cannot read.
  const std::uint32_t* ArgbTexels(int* pitch_in_texels);
  // Called by a texture's LockRect with the same validation.
  HRESULT LockImpl(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags);
  HRESULT UnlockImpl();

 protected:
  void Destroy() override;
  bool Implements(REFIID riid) const override {
    return riid == IID_IUnknown || riid == IID_IDirect3DResource9;
  }

 private:
  D3DSURFACE_DESC desc_;
  bool lockable_;
  bool is_depth_;
  Texture* container_;
  UINT level_;
  int pitch_ = 0;
  bool locked_ = false;
  std::vector<BYTE> bits_;
  std::vector<float> depth_;
  std::vector<BYTE> stencil_;
  std::vector<std::uint32_t> argb_cache_;
  std::uint32_t cache_generation_ = 0;
  bool cache_valid_ = false;
};

class Texture final : public Resource<IDirect3DTexture9> {
 public:
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~Texture() override;

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD SetLOD(DWORD LODNew) override;
  DWORD GetLOD() override;
  DWORD GetLevelCount() override;
  HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType) override;
  D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override;
  void GenerateMipSubLevels() override;
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;
  HRESULT AddDirtyRect(const RECT* pDirtyRect) override;

  UINT Levels() const { return static_cast<UINT>(levels_.size()); }
  Surface* LevelSurface(UINT level) const { return levels_[level].get(); }
  DWORD Usage() const { return usage_; }
  D3DFORMAT Format() const { return format_; }
  // Bumped on every unlock of a level, so cached sampling state can tell.
  std::uint32_t Generation() const { return generation_; }
  void Touch() { ++generation_; }

 protected:
  bool Implements(REFIID riid) const override {
    return riid == IID_IUnknown || riid == IID_IDirect3DResource9 || riid == IID_IDirect3DBaseTexture9;
  }

 private:
  DWORD usage_;
  D3DFORMAT format_;
  DWORD lod_ = 0;
  D3DTEXTUREFILTERTYPE autogen_filter_ = D3DTEXF_LINEAR;
  std::uint32_t generation_ = 0;
  std::vector<std::unique_ptr<Surface>> levels_;
  friend class Surface;
};

// Vertex and index buffers share their storage and lock rules.
template <class Interface, class Desc>
class Buffer : public Resource<Interface> {
 public:
  Buffer(const char* kind, Device* device, UINT length, DWORD usage, D3DPOOL pool, D3DFORMAT format, DWORD fvf);

  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(Desc* pDesc) override;

  const BYTE* Data() const { return data_.data(); }
  UINT Length() const { return static_cast<UINT>(data_.size()); }
  D3DFORMAT Format() const { return format_; }
  bool Locked() const { return lock_count_ > 0; }

 protected:
  bool Implements(REFIID riid) const override {
    return riid == IID_IUnknown || riid == IID_IDirect3DResource9;
  }

 private:
  std::vector<BYTE> data_;
  DWORD usage_;
  D3DFORMAT format_;
  DWORD fvf_;
  int lock_count_ = 0;
};

class VertexBuffer final : public Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC> {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
      : Buffer("VertexBuffer", device, length, usage, pool, D3DFMT_VERTEXDATA, fvf) {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
};

class IndexBuffer final : public Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC> {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : Buffer("IndexBuffer", device, length, usage, pool, format, 0) {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
};

// A vertex declaration: the element list as given, up to its end marker.
class VertexDeclaration final : public ComObject<IDirect3DVertexDeclaration9> {
 public:
  VertexDeclaration(Device* device, const D3DVERTEXELEMENT9* elements, UINT count);
  ~VertexDeclaration() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  HRESULT GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) override;
  const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements_; }

 private:
  Device* device_;
  std::vector<D3DVERTEXELEMENT9> elements_;  // with the end marker
};

struct VertexProgramData;

// A vertex shader: the vertex program its token stream names, and the
// stream itself, kept for GetFunction.
class VertexShader final : public ComObject<IDirect3DVertexShader9> {
 public:
  VertexShader(Device* device, const DWORD* tokens, UINT count, std::shared_ptr<const VertexProgramData> program);
  const VertexProgramData* Program() const { return program_.get(); }
  ~VertexShader() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  HRESULT GetFunction(void* pData, UINT* pSizeOfData) override;
  const std::vector<DWORD>& Tokens() const { return tokens_; }

 private:
  Device* device_;
  std::vector<DWORD> tokens_;
  std::shared_ptr<const VertexProgramData> program_;
};

// Levels of a full mipmap chain for the given size.
UINT FullMipCount(UINT width, UINT height);

}  // namespace d3d9_impl
