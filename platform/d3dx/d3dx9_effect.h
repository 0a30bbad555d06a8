// ID3DXEffect, as this system offers it: parameters set by name and passes
// that are C++ functions (effect files are not compiled), run between
// Begin/BeginPass and EndPass/End like any effect.
#pragma once

#include <functional>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9_math.h"

using D3DXHANDLE = LPCSTR;

constexpr DWORD D3DXFX_DONOTSAVESTATE = 1;
constexpr DWORD D3DXFX_DONOTSAVESHADERSTATE = 2;
constexpr DWORD D3DXFX_DONOTSAVESAMPLERSTATE = 4;

inline constexpr GUID IID_ID3DXEffect = {0xf6ceb4b3, 0x4e4c, 0x40dd, {0xb8, 0x83, 0x8d, 0x8d, 0xe5, 0xea, 0x0c, 0xd5}};

// The values a pass reads: every parameter as floats (an int as one float).
struct ID3DXEffectParameters {
  // The parameter's floats, or null when it was never set; `count` gets
  // how many there are.
  virtual const float* Get(const char* name, UINT* count) const = 0;

 protected:
  ~ID3DXEffectParameters() = default;
};

// One pass: sets the device state its technique needs (vertex program,
// constants from the parameters) before the caller draws.
using D3DXEffectPass = std::function<HRESULT(IDirect3DDevice9*, const ID3DXEffectParameters&)>;

struct ID3DXEffect : IUnknown {
  virtual HRESULT SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix, UINT Count) = 0;
  virtual HRESULT SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
  virtual HRESULT SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) = 0;
  virtual HRESULT SetFloat(D3DXHANDLE hParameter, FLOAT f) = 0;
  virtual HRESULT SetInt(D3DXHANDLE hParameter, INT n) = 0;
  virtual HRESULT GetInt(D3DXHANDLE hParameter, INT* pn) = 0;
  virtual HRESULT Begin(UINT* pPasses, DWORD Flags) = 0;
  virtual HRESULT BeginPass(UINT Pass) = 0;
  virtual HRESULT CommitChanges() = 0;
  virtual HRESULT EndPass() = 0;
  virtual HRESULT End() = 0;
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
};
using LPD3DXEFFECT = ID3DXEffect*;

// An effect of one technique with the given passes, in order.
HRESULT D3DXCreateEffectFromPasses(IDirect3DDevice9* pDevice, const std::vector<D3DXEffectPass>& passes,
                                   ID3DXEffect** ppEffect);
