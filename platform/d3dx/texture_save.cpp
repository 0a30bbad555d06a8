// Saving surfaces and textures as BMP or PNG files (or file images in a
// buffer).
#include <cstdio>
#include <cstring>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/image/image_io.h"
#include "platform/d3dx/surface_access.h"
#include "platform/win32/files.h"

namespace {

HRESULT Encode(D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface, const PALETTEENTRY* palette,
               const RECT* srcRect, std::vector<std::uint8_t>& bytes) {
  if (!surface) return D3DERR_INVALIDCALL;
  if (format != D3DXIFF_BMP && format != D3DXIFF_PNG) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc{};
  HRESULT hr = surface->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  RECT rect;
  hr = d3dx_impl::ResolveRect(desc.Width, desc.Height, srcRect, rect);
  if (FAILED(hr)) return hr;
  d3dx_impl::TexelImage texels;
  hr = d3dx_impl::ReadSurface(surface, rect, reinterpret_cast<const BYTE*>(palette), texels);
  if (FAILED(hr)) return hr;

  d3dx_image::Image image;
  image.width = texels.width;
  image.height = texels.height;
  image.argb.reserve(texels.texels.size());
  for (const auto& t : texels.texels) image.argb.push_back(d3dx_impl::ToArgb(t));
  const auto* info = d3d9_formats::FindFormat(desc.Format);
  const bool alpha = info && info->channels.a.bits > 0;
  bytes = format == D3DXIFF_BMP ? d3dx_image::WriteBmp(image, alpha) : d3dx_image::WritePng(image, alpha);
  return bytes.empty() ? E_FAIL : D3D_OK;
}

}  // namespace

HRESULT D3DXSaveSurfaceToFileInMemory(LPD3DXBUFFER* ppDestBuf, D3DXIMAGE_FILEFORMAT DestFormat,
                                      IDirect3DSurface9* pSrcSurface, const PALETTEENTRY* pSrcPalette,
                                      const RECT* pSrcRect) {
  if (!ppDestBuf) return D3DERR_INVALIDCALL;
  *ppDestBuf = nullptr;
  std::vector<std::uint8_t> bytes;
  HRESULT hr = Encode(DestFormat, pSrcSurface, pSrcPalette, pSrcRect, bytes);
  if (FAILED(hr)) return hr;
  hr = D3DXCreateBuffer(static_cast<DWORD>(bytes.size()), ppDestBuf);
  if (FAILED(hr)) return hr;
  std::memcpy((*ppDestBuf)->GetBufferPointer(), bytes.data(), bytes.size());
  return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat, IDirect3DSurface9* pSrcSurface,
                               const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect) {
  if (!pDestFile) return D3DERR_INVALIDCALL;
  std::vector<std::uint8_t> bytes;
  HRESULT hr = Encode(DestFormat, pSrcSurface, pSrcPalette, pSrcRect, bytes);
  if (FAILED(hr)) return hr;
  std::FILE* f = OpenFile(pDestFile, "wb");
  if (!f) return D3DERR_INVALIDCALL;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  return ok ? D3D_OK : E_FAIL;
}

HRESULT D3DXSaveTextureToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat,
                               IDirect3DBaseTexture9* pSrcTexture, const PALETTEENTRY* pSrcPalette) {
  if (!pSrcTexture) return D3DERR_INVALIDCALL;
  d3dx_impl::ComRef<IDirect3DTexture9> texture;
  if (FAILED(pSrcTexture->QueryInterface(IID_IDirect3DTexture9, reinterpret_cast<void**>(texture.out()))))
    return D3DERR_INVALIDCALL;
  d3dx_impl::ComRef<IDirect3DSurface9> top;
  HRESULT hr = texture->GetSurfaceLevel(0, top.out());
  if (FAILED(hr)) return hr;
  return D3DXSaveSurfaceToFileA(pDestFile, DestFormat, top.p, pSrcPalette, nullptr);
}
