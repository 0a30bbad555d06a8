// Texture creation: D3DX's size, format and mip-level adjustments, empty
// textures, textures from picture files (scaled, colour-keyed, mip-mapped),
// image information and mip-level filtering.
#include <algorithm>
#include <climits>
#include <vector>

#include "platform/d3d9/formats/format_table.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/filter_flags.h"
#include "platform/d3dx/image/image_io.h"
#include "platform/d3dx/image_info.h"
#include "platform/d3dx/surface_access.h"

using d3d9_formats::FormatInfo;
using d3d9_formats::FormatKind;
using d3dx_impl::ComRef;

namespace {

// [SECTION] What the device can do

struct DeviceFacts {
  ComRef<IDirect3D9> d3d;
  D3DDEVICE_CREATION_PARAMETERS creation{};
  D3DFORMAT adapterFormat = D3DFMT_X8R8G8B8;
  D3DCAPS9 caps{};
  bool haveCaps = false;
};

void Gather(IDirect3DDevice9* device, DeviceFacts& f) {
  f.haveCaps = SUCCEEDED(device->GetDeviceCaps(&f.caps));
  if (FAILED(device->GetDirect3D(f.d3d.out()))) return;
  device->GetCreationParameters(&f.creation);
  D3DDISPLAYMODE mode{};
  if (SUCCEEDED(device->GetDisplayMode(0, &mode)) && mode.Format != D3DFMT_UNKNOWN) f.adapterFormat = mode.Format;
}

bool Supported(const DeviceFacts& f, DWORD usage, D3DFORMAT format) {
  if (!f.d3d) return d3dx_impl::CanConvert(format);
  const DWORD asked = usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP);
  return SUCCEEDED(f.d3d->CheckDeviceFormat(f.creation.AdapterOrdinal, f.creation.DeviceType, f.adapterFormat,
                                            asked, D3DRTYPE_TEXTURE, format));
}

// [SECTION] Choosing a replacement format

// The bits of each channel of a format's row (0 when absent).
struct ChannelBits {
  int r, g, b, a, l;
};
ChannelBits BitsOf(const FormatInfo& f) {
  const d3d9_formats::ChannelLayout& c = f.channels;
  return {c.r.bits, c.g.bits, c.b.bits, c.a.bits, c.l.bits};
}

int Channels(const ChannelBits& t) { return (t.l ? 1 : (t.r > 0) + (t.g > 0) + (t.b > 0)) + (t.a > 0); }
bool Unusual(const FormatInfo& t) {
  return t.kind == FormatKind::Block || t.kind == FormatKind::Pair || t.kind == FormatKind::Palette ||
         t.format == D3DFMT_R8G8B8;
}
int Family(const FormatInfo& t) { return t.kind == FormatKind::Float ? 1 : 0; }

// Lower is closer. The order of the weights follows D3DX's rules: never
// lose a channel, keep away from FOURCC and 24-bit formats unless asked
// for, avoid adding channels, keep the bits per channel, keep the kind of
// format.
int Distance(const FormatInfo& wantRow, const FormatInfo& haveRow) {
  const ChannelBits want = BitsOf(wantRow), have = BitsOf(haveRow);
  int d = 0;
  const int lostAlpha = want.a > 0 && have.a == 0;
  const int lostColour = (want.r + want.g + want.b > 0 && want.l == 0) && (have.r + have.g + have.b == 0 || have.l > 0);
  const int lostLuminance = want.l > 0 && have.r + have.g + have.b + have.l == 0;
  d += 100000 * (lostAlpha + lostColour + lostLuminance);
  if (Unusual(haveRow) && !Unusual(wantRow)) d += 10000;
  d += 1000 * std::max(0, Channels(have) - Channels(want));
  auto bits = [](const ChannelBits& t, int c) {
    if (t.l && c < 3) return t.l;
    return c == 0 ? t.r : c == 1 ? t.g : c == 2 ? t.b : t.a;
  };
  // Precision counts for the channels asked for (added ones cost above);
  // a bit lost weighs more than a bit gained.
  for (int c = 0; c < 4; ++c) {
    if (bits(want, c) == 0) continue;
    const int diff = bits(have, c) - bits(want, c);
    d += diff < 0 ? -10 * diff : 3 * diff;
  }
  if (Family(wantRow) != Family(haveRow)) d += 500;
  return d;
}

// The row of a format D3DX converts, or null.
const FormatInfo* ConvertibleRow(D3DFORMAT f) {
  const FormatInfo* row = d3d9_formats::FindFormat(f);
  return row && d3d9_formats::HasTexelCodec(*row) ? row : nullptr;
}

// The replacements D3DX considers: every texture format of the table it
// converts, the usual ones first, each group in table order, so a tie goes
// to the plainer format.
std::vector<const FormatInfo*> Candidates() {
  UINT count = 0;
  const FormatInfo* all = d3d9_formats::AllFormats(&count);
  std::vector<const FormatInfo*> rows;
  for (bool unusual : {false, true})
    for (UINT i = 0; i < count; ++i)
      if ((all[i].uses & d3d9_formats::kUseTexture) && d3d9_formats::HasTexelCodec(all[i]) &&
          Unusual(all[i]) == unusual)
        rows.push_back(&all[i]);
  return rows;
}

D3DFORMAT ClosestSupported(const DeviceFacts& f, DWORD usage, D3DFORMAT want) {
  const FormatInfo* w = ConvertibleRow(want);
  if (!w) w = ConvertibleRow(D3DFMT_A8R8G8B8);
  D3DFORMAT best = D3DFMT_UNKNOWN;
  int bestDistance = INT_MAX;
  static const std::vector<const FormatInfo*> candidates = Candidates();
  for (const FormatInfo* c : candidates) {
    if (!Supported(f, usage, c->format)) continue;
    int d = Distance(*w, *c);
    if (d < bestDistance) bestDistance = d, best = c->format;
  }
  return best;
}

// [SECTION] Sizes and levels

UINT RoundUpPow2(UINT v) {
  UINT p = 1;
  while (p < v && p < (1u << 31)) p <<= 1;
  return p;
}

UINT FullChain(UINT w, UINT h) {
  UINT levels = 1;
  for (UINT s = std::max(w, h); s > 1; s >>= 1) ++levels;
  return levels;
}

bool IsBlockFormat(D3DFORMAT f) {
  const FormatInfo* t = ConvertibleRow(f);
  return t && t->kind == FormatKind::Block;
}

// The format with alpha that holds what `f` holds, or `f` itself.
D3DFORMAT WithAlpha(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_X8R8G8B8: return D3DFMT_A8R8G8B8;
    case D3DFMT_X1R5G5B5: return D3DFMT_A1R5G5B5;
    case D3DFMT_X4R4G4B4: return D3DFMT_A4R4G4B4;
    case D3DFMT_X8B8G8R8: return D3DFMT_A8B8G8R8;
    case D3DFMT_L8: return D3DFMT_A8L8;
    default: return f;
  }
}

// The shared adjustment, once `w` and `h` are resolved from D3DX_DEFAULT and
// its kin: a format the device can use, sizes its caps allow, mip levels.
HRESULT Adjust(IDirect3DDevice9* device, UINT& w, UINT& h, UINT& levels, DWORD usage, D3DFORMAT& format,
               D3DPOOL pool) {
  DeviceFacts f;
  Gather(device, f);

  if (format == D3DFMT_UNKNOWN || format == D3DFMT_FROM_FILE) format = D3DFMT_A8R8G8B8;
  // The scratch pool takes any format the system can describe.
  if (pool != D3DPOOL_SCRATCH && !Supported(f, usage, format)) {
    D3DFORMAT replacement = ClosestSupported(f, usage, format);
    if (replacement == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
    format = replacement;
  } else if (pool == D3DPOOL_SCRATCH && !d3dx_impl::CanConvert(format)) {
    return D3DERR_NOTAVAILABLE;
  }

  if (w == 0) w = 1;
  if (h == 0) h = 1;
  if (f.haveCaps && pool != D3DPOOL_SCRATCH) {
    const DWORD tc = f.caps.TextureCaps;
    const bool conditional = (tc & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0;
    if ((tc & D3DPTEXTURECAPS_POW2) && !(conditional && levels == 1)) {
      w = RoundUpPow2(w);
      h = RoundUpPow2(h);
    }
    if (tc & D3DPTEXTURECAPS_SQUAREONLY) w = h = std::max(w, h);
    if (f.caps.MaxTextureWidth && w > f.caps.MaxTextureWidth) w = f.caps.MaxTextureWidth;
    if (f.caps.MaxTextureHeight && h > f.caps.MaxTextureHeight) h = f.caps.MaxTextureHeight;
  }
  if (IsBlockFormat(format)) {
    w = (w + 3) & ~3u;
    h = (h + 3) & ~3u;
  }
  if (levels == D3DX_FROM_FILE) levels = 1;
  const UINT full = FullChain(w, h);
  if (levels == 0 || levels == D3DX_DEFAULT || levels > full) levels = full;
  return D3D_OK;
}

UINT ResolveSize(UINT asked, UINT fromFile) {
  if (asked == 0 || asked == D3DX_DEFAULT) return RoundUpPow2(fromFile);
  if (asked == D3DX_DEFAULT_NONPOW2 || asked == D3DX_FROM_FILE) return fromFile;
  return asked;
}

}  // namespace

// [SECTION] Entry points

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* pDevice, UINT* pWidth, UINT* pHeight, UINT* pNumMipLevels,
                                     DWORD Usage, D3DFORMAT* pFormat, D3DPOOL Pool) {
  if (!pDevice) return D3DERR_INVALIDCALL;
  UINT w = pWidth ? ResolveSize(*pWidth, 256) : 256;
  UINT h = pHeight ? ResolveSize(*pHeight, 256) : 256;
  if (pWidth && *pWidth == 0) w = 1;
  if (pHeight && *pHeight == 0) h = 1;
  UINT levels = pNumMipLevels ? *pNumMipLevels : 0;
  D3DFORMAT format = pFormat ? *pFormat : D3DFMT_UNKNOWN;
  HRESULT hr = Adjust(pDevice, w, h, levels, Usage, format, Pool);
  if (FAILED(hr)) return hr;
  if (pWidth) *pWidth = w;
  if (pHeight) *pHeight = h;
  if (pNumMipLevels) *pNumMipLevels = levels;
  if (pFormat) *pFormat = format;
  return D3D_OK;
}

HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice) return D3DERR_INVALIDCALL;
  HRESULT hr = D3DXCheckTextureRequirements(pDevice, &Width, &Height, &MipLevels, Usage, &Format, Pool);
  if (FAILED(hr)) return hr;
  return pDevice->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, ppTexture, nullptr);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                            UINT Width, UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* /*pPalette*/,
                                            IDirect3DTexture9** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;
  if (Filter != D3DX_DEFAULT && !d3dx_impl::ValidFilter(Filter)) return D3DERR_INVALIDCALL;
  if (MipFilter != D3DX_DEFAULT && !d3dx_impl::ValidFilter(MipFilter)) return D3DERR_INVALIDCALL;

  d3dx_image::Image image;
  if (!d3dx_image::ReadImage(static_cast<const std::uint8_t*>(pSrcData), SrcDataSize, image))
    return D3DXERR_INVALIDDATA;
  const D3DXIMAGE_INFO info = d3dx_impl::InfoOf(image);

  UINT w = ResolveSize(Width, info.Width), h = ResolveSize(Height, info.Height);
  UINT levels = MipLevels == D3DX_FROM_FILE ? 1 : MipLevels;
  D3DFORMAT format = (Format == D3DFMT_UNKNOWN || Format == D3DFMT_FROM_FILE) ? info.Format : Format;
  // A colour key makes texels transparent: the file's format gains an alpha
  // channel to hold them.
  if (ColorKey != 0 && format == info.Format) format = WithAlpha(format);
  HRESULT hr = Adjust(pDevice, w, h, levels, Usage, format, Pool);
  if (FAILED(hr)) return hr;

  ComRef<IDirect3DTexture9> texture;
  hr = pDevice->CreateTexture(w, h, levels, Usage, format, Pool, texture.out(), nullptr);
  if (FAILED(hr)) return hr;
  {
    ComRef<IDirect3DSurface9> top;
    hr = texture->GetSurfaceLevel(0, top.out());
    if (FAILED(hr)) return hr;
    RECT whole{0, 0, image.width, image.height};
    hr = d3dx_impl::LoadSurfaceFromTexels(top.p, nullptr, d3dx_impl::TexelsOf(image, whole), Filter, ColorKey);
    if (FAILED(hr)) return hr;
  }
  if (levels > 1 && (MipFilter & 0xFF) != D3DX_FILTER_NONE) {
    hr = D3DXFilterTexture(texture.p, nullptr, 0, MipFilter);
    if (FAILED(hr)) return hr;
  }
  if (pSrcInfo) *pSrcInfo = info;
  *ppTexture = texture.p;
  texture.p = nullptr;
  return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                          IDirect3DTexture9** ppTexture) {
  return D3DXCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT,
                                             D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                             D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                     UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                     DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice || !pSrcFile) return D3DERR_INVALIDCALL;
  std::vector<std::uint8_t> bytes;
  // A file that cannot be read is reported like one that holds no picture.
  if (!d3dx_impl::ReadWholeFile(pSrcFile, bytes) || bytes.empty()) return D3DXERR_INVALIDDATA;
  return D3DXCreateTextureFromFileInMemoryEx(pDevice, bytes.data(), static_cast<UINT>(bytes.size()), Width, Height,
                                             MipLevels, Usage, Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo,
                                             pPalette, ppTexture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, IDirect3DTexture9** ppTexture) {
  return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID pSrcData, UINT SrcDataSize, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pSrcData || SrcDataSize == 0 || !pSrcInfo) return D3DERR_INVALIDCALL;
  d3dx_image::Image image;
  if (!d3dx_image::ReadImage(static_cast<const std::uint8_t*>(pSrcData), SrcDataSize, image))
    return D3DXERR_INVALIDDATA;
  *pSrcInfo = d3dx_impl::InfoOf(image);
  return D3D_OK;
}

HRESULT D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pSrcFile || !pSrcInfo) return D3DERR_INVALIDCALL;
  std::vector<std::uint8_t> bytes;
  if (!d3dx_impl::ReadWholeFile(pSrcFile, bytes) || bytes.empty()) return D3DXERR_INVALIDDATA;
  return D3DXGetImageInfoFromFileInMemory(bytes.data(), static_cast<UINT>(bytes.size()), pSrcInfo);
}

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                          DWORD Filter) {
  if (!pBaseTexture) return D3DERR_INVALIDCALL;
  if (Filter == D3DX_DEFAULT) Filter = D3DX_FILTER_BOX;
  if (!d3dx_impl::ValidFilter(Filter)) return D3DERR_INVALIDCALL;
  if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
  ComRef<IDirect3DTexture9> texture;
  if (FAILED(pBaseTexture->QueryInterface(IID_IDirect3DTexture9, reinterpret_cast<void**>(texture.out()))))
    return D3DERR_INVALIDCALL;
  const DWORD count = texture->GetLevelCount();
  if (SrcLevel >= count) return D3DERR_INVALIDCALL;
  for (DWORD level = SrcLevel + 1; level < count; ++level) {
    ComRef<IDirect3DSurface9> above, below;
    HRESULT hr = texture->GetSurfaceLevel(level - 1, above.out());
    if (SUCCEEDED(hr)) hr = texture->GetSurfaceLevel(level, below.out());
    if (FAILED(hr)) return hr;
    D3DSURFACE_DESC desc{};
    above->GetDesc(&desc);
    d3dx_impl::TexelImage texels;
    RECT whole{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    hr = d3dx_impl::ReadSurface(above.p, whole, reinterpret_cast<const BYTE*>(pPalette), texels);
    if (SUCCEEDED(hr)) hr = d3dx_impl::LoadSurfaceFromTexels(below.p, nullptr, std::move(texels), Filter, 0);
    if (FAILED(hr)) return hr;
  }
  return D3D_OK;
}
