// COM bookkeeping for every object of the device: reference counts,
// QueryInterface, serial numbers and the live-object count.
#pragma once

#include <atomic>
#include <type_traits>

#include "platform/d3d9/d3d9.h"

namespace d3d9_impl {

// What the call trace prints for an object: "Texture#4".
class ObjectIdentity {
 public:
  ObjectIdentity(const char* kind);
  virtual ~ObjectIdentity();
  ObjectIdentity(const ObjectIdentity&) = delete;
  ObjectIdentity& operator=(const ObjectIdentity&) = delete;
  const char* Kind() const { return kind_; }
  int Serial() const { return serial_; }

 private:
  const char* kind_;
  int serial_;
};

// Objects created and not yet destroyed.
int LiveObjects();

// The call trace's switch, read on every call; the trace itself lives in
// device/call_trace.h.
extern bool g_trace_on;
void TraceRefCount(const char* method, const ObjectIdentity* object, ULONG count);

// Implements IUnknown for an object that exposes `Interface` (and, through
// its bases, IUnknown and the intermediate interfaces named by `Iids`).
//
// Two counts: `refs_` is the one the application sees through AddRef and
// Release; `internal_refs_` counts references the device holds while the
// object is bound (a texture set on a stage, a buffer set as a stream, a
// surface set as render target). The object is destroyed only when both
// reach zero, so a bound texture stays valid after the application's last
// Release, exactly as the application expects from Direct3D.
template <class Interface>
class ComObject : public Interface, public ObjectIdentity {
 public:
  explicit ComObject(const char* kind) : ObjectIdentity(kind) {}

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  // A reference handed out by the device itself (GetSurfaceLevel,
  // GetRenderTarget ...): counts for the application, but is not a call.
  virtual void AddRefQuiet() { ++refs_; }
  // Gives up the creation reference while the device holds the object
  // internally (objects only the device owns, such as the back buffer).
  void DropCreationRef() { --refs_; }
  // Device-side references; never traced.
  virtual void AddInternalRef() { ++internal_refs_; }
  virtual void ReleaseInternalRef() {
    if (--internal_refs_ == 0 && refs_ == 0) Destroy();
  }
  ULONG PublicRefs() const { return refs_; }
  ULONG InternalRefs() const { return internal_refs_; }

 protected:
  // Called once, when both counts reach zero. Objects that are parts of a
  // container (texture levels) override this to defer to the container.
  virtual void Destroy() { delete this; }
  // The interfaces besides IUnknown and Interface that QueryInterface
  // grants; a derived class lists its intermediate bases here.
  virtual bool Implements(REFIID riid) const { return riid == IID_IUnknown; }

  std::atomic<ULONG> refs_{1};
  std::atomic<ULONG> internal_refs_{0};
};

// The IID of each interface the device implements.
template <class I>
const GUID& IidOf() {
  if constexpr (std::is_same_v<I, IDirect3D9>) return IID_IDirect3D9;
  else if constexpr (std::is_same_v<I, IDirect3DDevice9>) return IID_IDirect3DDevice9;
  else if constexpr (std::is_same_v<I, IDirect3DTexture9>) return IID_IDirect3DTexture9;
  else if constexpr (std::is_same_v<I, IDirect3DSurface9>) return IID_IDirect3DSurface9;
  else if constexpr (std::is_same_v<I, IDirect3DVertexBuffer9>) return IID_IDirect3DVertexBuffer9;
  else if constexpr (std::is_same_v<I, IDirect3DIndexBuffer9>) return IID_IDirect3DIndexBuffer9;
  else if constexpr (std::is_same_v<I, IDirect3DVertexDeclaration9>) return IID_IDirect3DVertexDeclaration9;
  else if constexpr (std::is_same_v<I, IDirect3DVertexShader9>) return IID_IDirect3DVertexShader9;
  else return IID_IUnknown;
}

template <class Interface>
ULONG ComObject<Interface>::AddRef() {
  const ULONG now = ++refs_;
  if (g_trace_on) TraceRefCount("AddRef", this, now);
  return now;
}

template <class Interface>
ULONG ComObject<Interface>::Release() {
  // Release never goes below zero: a surplus Release is a caller fault,
  // and counting on would wrap around to a huge count.
  if (refs_.load() == 0) {
    if (g_trace_on) TraceRefCount("Release", this, 0);
    return 0;
  }
  const ULONG now = --refs_;
  if (g_trace_on) TraceRefCount("Release", this, now);
  if (now == 0 && internal_refs_ == 0) Destroy();
  return now;
}

template <class Interface>
HRESULT ComObject<Interface>::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid == IidOf<Interface>() || Implements(riid)) {
    *ppv = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

}  // namespace d3d9_impl
