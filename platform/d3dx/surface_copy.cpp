// D3DXLoadSurfaceFromSurface, D3DXLoadSurfaceFromMemory and
// D3DXLoadSurfaceFromFileInMemory: read the source rectangle into float
// texels, then the shared key-filter-write step.
#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/direct_copy.h"
#include "platform/d3dx/filter_flags.h"
#include "platform/d3dx/image/image_io.h"
#include "platform/d3dx/image_info.h"
#include "platform/d3dx/surface_access.h"

using d3dx_impl::LoadSurfaceFromTexels;
using d3dx_impl::ReadSurface;
using d3dx_impl::ResolveRect;
using d3dx_impl::TexelImage;

namespace {

// A rectangle of no width or no height that is otherwise well formed.
bool EmptyRect(const RECT* r) {
  return r && r->left >= 0 && r->top >= 0 && r->left <= r->right && r->top <= r->bottom &&
         (r->left == r->right || r->top == r->bottom);
}

}  // namespace

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* /*pDestPalette*/,
                                   const RECT* pDestRect, IDirect3DSurface9* pSrcSurface,
                                   const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                   D3DCOLOR ColorKey) {
  if (!pDestSurface || !pSrcSurface) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc{};
  HRESULT hr = pSrcSurface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  // A source D3DX cannot read is a failure of the copy, not a bad call.
  if (!d3dx_impl::CanConvert(desc.Format)) return E_FAIL;
  // An empty rectangle leaves nothing to copy: without filtering that is
  // done at once.
  if ((Filter & 0xff) == D3DX_FILTER_NONE && (EmptyRect(pSrcRect) || EmptyRect(pDestRect))) return D3D_OK;
  RECT srcRect;
  hr = ResolveRect(desc.Width, desc.Height, pSrcRect, srcRect);
  if (FAILED(hr)) return hr;
  // The destination rectangle is checked before anything is read, so a bad
  // call costs nothing and changes nothing.
  D3DSURFACE_DESC destDesc{};
  RECT destRect;
  hr = pDestSurface->GetDesc(&destDesc);
  if (FAILED(hr)) return hr;
  hr = ResolveRect(destDesc.Width, destDesc.Height, pDestRect, destRect);
  if (FAILED(hr)) return hr;

  if (Filter != D3DX_DEFAULT && !d3dx_impl::ValidFilter(Filter)) return D3DERR_INVALIDCALL;
  if (d3dx_impl::CanCopyDirectly(destDesc, destRect, desc, srcRect, Filter, ColorKey)) {
    return d3dx_impl::CopyDirectly(pDestSurface, destRect, pSrcSurface, srcRect);
  }
  TexelImage texels;  // read completely first: source and destination may be one surface
  hr = ReadSurface(pSrcSurface, srcRect, reinterpret_cast<const BYTE*>(pSrcPalette), texels);
  if (FAILED(hr)) return hr;
  return LoadSurfaceFromTexels(pDestSurface, &destRect, std::move(texels), Filter, ColorKey);
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* /*pDestPalette*/,
                                  const RECT* pDestRect, LPCVOID pSrcMemory, D3DFORMAT SrcFormat, UINT SrcPitch,
                                  const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                  D3DCOLOR ColorKey) {
  if (!pDestSurface || !pSrcMemory || !pSrcRect) return D3DERR_INVALIDCALL;
  const RECT& r = *pSrcRect;
  if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom) return D3DERR_INVALIDCALL;
  if (!d3dx_impl::CanConvert(SrcFormat)) return D3DERR_INVALIDCALL;
  TexelImage texels;
  // The memory holds at least the rectangle's rows, `SrcPitch` bytes apart.
  std::uint32_t palette[256];
  if (!d3d9_formats::DecodeRect(SrcFormat, static_cast<const BYTE*>(pSrcMemory), static_cast<INT>(SrcPitch),
                                static_cast<UINT>(r.right), static_cast<UINT>(r.bottom), r,
                                d3dx_impl::PaletteWords(reinterpret_cast<const BYTE*>(pSrcPalette), palette),
                                texels))
    return D3DERR_INVALIDCALL;
  return LoadSurfaceFromTexels(pDestSurface, pDestRect, std::move(texels), Filter, ColorKey);
}

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* /*pDestPalette*/,
                                        const RECT* pDestRect, LPCVOID pSrcData, UINT SrcDataSize,
                                        const RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey,
                                        D3DXIMAGE_INFO* pSrcInfo) {
  if (!pDestSurface || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;
  d3dx_image::Image image;
  if (!d3dx_image::ReadImage(static_cast<const std::uint8_t*>(pSrcData), SrcDataSize, image))
    return D3DXERR_INVALIDDATA;
  if (pSrcInfo) *pSrcInfo = d3dx_impl::InfoOf(image);
  RECT rect;
  HRESULT hr = ResolveRect(static_cast<UINT>(image.width), static_cast<UINT>(image.height), pSrcRect, rect);
  if (FAILED(hr)) return hr;
  return LoadSurfaceFromTexels(pDestSurface, pDestRect, d3dx_impl::TexelsOf(image, rect), Filter, ColorKey);
}
