// The D3DX9 utility subset: constants, buffers, render-to-surface, texture
// creation from files and memory, surface copies with filters, saving
// textures to files, and the DirectX error-name lookup. Math is in
// d3dx9_math.h, included here.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9_math.h"
#include "platform/d3dx/d3dx9_mesh.h"
#include "platform/d3dx/d3dx9_effect.h"

// [SECTION] Constants

#define D3DX_DEFAULT (static_cast<UINT>(-1))
#define D3DX_DEFAULT_NONPOW2 (static_cast<UINT>(-2))
#define D3DX_FROM_FILE (static_cast<UINT>(-3))
#define D3DFMT_FROM_FILE (static_cast<D3DFORMAT>(-3))

constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;
constexpr DWORD D3DX_FILTER_MIRROR_U = 1u << 16;
constexpr DWORD D3DX_FILTER_MIRROR_V = 2u << 16;
constexpr DWORD D3DX_FILTER_MIRROR_W = 4u << 16;
constexpr DWORD D3DX_FILTER_MIRROR = 7u << 16;
constexpr DWORD D3DX_FILTER_DITHER = 1u << 19;
constexpr DWORD D3DX_FILTER_DITHER_DIFFUSION = 2u << 19;
constexpr DWORD D3DX_FILTER_SRGB_IN = 1u << 21;
constexpr DWORD D3DX_FILTER_SRGB_OUT = 2u << 21;
constexpr DWORD D3DX_FILTER_SRGB = 3u << 21;

#define _FACDD 0x876
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, _FACDD, code)

constexpr HRESULT D3DXERR_CANNOTMODIFYINDEXBUFFER = MAKE_DDHRESULT(2900);
constexpr HRESULT D3DXERR_INVALIDMESH = MAKE_DDHRESULT(2901);
constexpr HRESULT D3DXERR_CANNOTATTRSORT = MAKE_DDHRESULT(2902);
constexpr HRESULT D3DXERR_SKINNINGNOTSUPPORTED = MAKE_DDHRESULT(2903);
constexpr HRESULT D3DXERR_TOOMANYINFLUENCES = MAKE_DDHRESULT(2904);
constexpr HRESULT D3DXERR_INVALIDDATA = MAKE_DDHRESULT(2905);
constexpr HRESULT D3DXERR_LOADEDMESHASNODATA = MAKE_DDHRESULT(2906);
constexpr HRESULT D3DXERR_DUPLICATENAMEDFRAGMENT = MAKE_DDHRESULT(2907);
constexpr HRESULT D3DXERR_CANNOTREMOVELASTITEM = MAKE_DDHRESULT(2908);

enum D3DXIMAGE_FILEFORMAT {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_HDR = 7,
  D3DXIFF_PFM = 8,
  D3DXIFF_FORCE_DWORD = 0x7fffffff
};

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct D3DXRTS_DESC {
  UINT Width;
  UINT Height;
  D3DFORMAT Format;
  BOOL DepthStencil;
  D3DFORMAT DepthStencilFormat;
};

// [SECTION] Interfaces

inline constexpr GUID IID_ID3DXBuffer = {0x8ba5fb08, 0x5195, 0x40e2, {0xac, 0x58, 0x0d, 0x98, 0x9c, 0x3a, 0x01, 0x02}};
inline constexpr GUID IID_ID3DXRenderToSurface = {
    0x6985f346, 0x2c3d, 0x43b3, {0xbe, 0x8b, 0xda, 0xae, 0x8a, 0x03, 0xd8, 0x94}};

struct ID3DXBuffer : IUnknown {
  virtual LPVOID GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};

// Draws into a surface (a texture level or a render target) with its own
// depth buffer: BeginScene points the device at the surface, EndScene puts
// back the render target, depth buffer and viewport it found.
struct ID3DXRenderToSurface : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
  virtual HRESULT GetDesc(D3DXRTS_DESC* pDesc) = 0;
  virtual HRESULT BeginScene(IDirect3DSurface9* pSurface, const D3DVIEWPORT9* pViewport) = 0;
  virtual HRESULT EndScene(DWORD MipFilter) = 0;
  virtual HRESULT OnLostDevice() = 0;
  virtual HRESULT OnResetDevice() = 0;
};

using LPD3DXBUFFER = ID3DXBuffer*;
using LPD3DXRENDERTOSURFACE = ID3DXRenderToSurface*;

// [SECTION] Buffers and render-to-surface

HRESULT D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);

HRESULT D3DXCreateRenderToSurface(IDirect3DDevice9* pDevice, UINT Width, UINT Height, D3DFORMAT Format,
                                  BOOL DepthStencil, D3DFORMAT DepthStencilFormat,
                                  LPD3DXRENDERTOSURFACE* ppRenderToSurface);

// [SECTION] Textures
//
// Sizes: D3DX_DEFAULT takes the file's size (or 256 without a file) rounded
// up to a power of two; D3DX_DEFAULT_NONPOW2 and D3DX_FROM_FILE the file's
// size as it is; 0 means 1 for D3DXCreateTexture. Mip levels: 0 or
// D3DX_DEFAULT make the full chain. Format: D3DFMT_UNKNOWN takes the file's
// format (A8R8G8B8 without a file); a format the device cannot use as a
// texture is replaced by the closest one it can. Pictures are scaled to the
// texture with `Filter` (default triangle), mip levels made with `MipFilter`
// (default box). A non-zero colour key turns matching texels (32-bit ARGB
// compare) into transparent black.

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* pDevice, UINT* pWidth, UINT* pHeight, UINT* pNumMipLevels,
                                     DWORD Usage, D3DFORMAT* pFormat, D3DPOOL Pool);

HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture);

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, IDirect3DTexture9** ppTexture);

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                     UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                     DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture);

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                          IDirect3DTexture9** ppTexture);

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                            UINT Width, UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            IDirect3DTexture9** ppTexture);

HRESULT D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo);
HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID pSrcData, UINT SrcDataSize, D3DXIMAGE_INFO* pSrcInfo);

// Rebuilds the levels below `SrcLevel` from it (SrcLevel D3DX_DEFAULT: 0)
// with `Filter` (D3DX_DEFAULT: box).
HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                          DWORD Filter);

// [SECTION] Surfaces
//
// Rectangles: null means the whole surface; an empty, inverted or outside
// rectangle fails with D3DERR_INVALIDCALL. The source rectangle is scaled to
// the destination rectangle with `Filter` (D3DX_DEFAULT: triangle).

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                   const RECT* pDestRect, IDirect3DSurface9* pSrcSurface,
                                   const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                   D3DCOLOR ColorKey);

// `pSrcRect` is required here: it gives the size of the picture in memory.
HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                  const RECT* pDestRect, LPCVOID pSrcMemory, D3DFORMAT SrcFormat, UINT SrcPitch,
                                  const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                  D3DCOLOR ColorKey);

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                        const RECT* pDestRect, LPCVOID pSrcData, UINT SrcDataSize,
                                        const RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey,
                                        D3DXIMAGE_INFO* pSrcInfo);

// [SECTION] Saving
//
// BMP and PNG are written; other file formats fail with D3DERR_INVALIDCALL.

HRESULT D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat, IDirect3DSurface9* pSrcSurface,
                               const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect);
HRESULT D3DXSaveTextureToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat,
                               IDirect3DBaseTexture9* pSrcTexture, const PALETTEENTRY* pSrcPalette);
// The file's bytes in a new buffer instead of a file.
HRESULT D3DXSaveSurfaceToFileInMemory(LPD3DXBUFFER* ppDestBuf, D3DXIMAGE_FILEFORMAT DestFormat,
                                      IDirect3DSurface9* pSrcSurface, const PALETTEENTRY* pSrcPalette,
                                      const RECT* pSrcRect);

// [SECTION] Error names

// The symbolic name of a Direct3D, D3DX, COM or Win32 result
// ("D3DERR_INVALIDCALL", "E_OUTOFMEMORY"), or "Unknown".
const char* DXGetErrorString9A(HRESULT hr);
inline const char* DXGetErrorStringA(HRESULT hr) { return DXGetErrorString9A(hr); }
