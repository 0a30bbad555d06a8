// IUnknown for the D3DX objects: one reference count, one interface.
#pragma once

#include "platform/d3d9/d3d9.h"

// Implements QueryInterface, AddRef and Release for an object that offers
// `Interface` (identified by `kIid`) and IUnknown. Objects start with one
// reference; the last Release deletes them, and a Release past zero is
// ignored rather than deleting twice.
template <typename Interface, const IID& kIid>
class UnknownImpl : public Interface {
 public:
  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == kIid) {
      AddRef();
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    if (refs_ == 0) return 0;
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  UnknownImpl() = default;
  virtual ~UnknownImpl() = default;

 private:
  ULONG refs_ = 1;
};
