// The table of known pixel formats and the size arithmetic built on it.
#include "platform/d3d9/formats/format_table.h"

namespace d3d9_formats {
namespace {

constexpr DWORD T = kUseTexture;
constexpr DWORD R = kUseRenderTarget;
constexpr DWORD Z = kUseDepthStencil;
constexpr DWORD D = kUseDisplay;
constexpr DWORD I = kUseIndex;
constexpr DWORD S = kUseScratch;
constexpr DWORD C = kUseRowCodec;

#define FMT(name) D3DFMT_##name, "D3DFMT_" #name

// Sorted by format value, so a lookup is a binary search.
constexpr FormatInfo kFormats[] = {
    {FMT(R8G8B8), 24, 1, 0, 0, false, false, T | S | C},
    {FMT(A8R8G8B8), 32, 1, 0, 0, true, false, T | R | S | C},
    {FMT(X8R8G8B8), 32, 1, 0, 0, false, false, T | R | D | S | C},
    {FMT(R5G6B5), 16, 1, 0, 0, false, false, T | R | D | S | C},
    {FMT(X1R5G5B5), 16, 1, 0, 0, false, false, T | D | S | C},
    {FMT(A1R5G5B5), 16, 1, 0, 0, true, false, T | S | C},
    {FMT(A4R4G4B4), 16, 1, 0, 0, true, false, T | S | C},
    {FMT(R3G3B2), 8, 1, 0, 0, false, false, T | S | C},
    {FMT(A8), 8, 1, 0, 0, true, false, T | S | C},
    {FMT(A8R3G3B2), 16, 1, 0, 0, true, false, T | S | C},
    {FMT(X4R4G4B4), 16, 1, 0, 0, false, false, T | S | C},
    {FMT(A2B10G10R10), 32, 1, 0, 0, true, false, T | S | C},
    {FMT(A8B8G8R8), 32, 1, 0, 0, true, false, T | S | C},
    {FMT(X8B8G8R8), 32, 1, 0, 0, false, false, T | S | C},
    {FMT(G16R16), 32, 1, 0, 0, false, false, T | S | C},
    {FMT(A2R10G10B10), 32, 1, 0, 0, true, false, T | S | C},
    {FMT(A16B16G16R16), 64, 1, 0, 0, true, false, T | S | C},
    {FMT(A8P8), 16, 1, 0, 0, true, false, S | C},
    {FMT(P8), 8, 1, 0, 0, false, false, S | C},
    {FMT(L8), 8, 1, 0, 0, false, false, T | S | C},
    {FMT(A8L8), 16, 1, 0, 0, true, false, T | S | C},
    {FMT(A4L4), 8, 1, 0, 0, true, false, T | S | C},
    {FMT(V8U8), 16, 1, 0, 0, false, false, S},
    {FMT(L6V5U5), 16, 1, 0, 0, false, false, S},
    {FMT(X8L8V8U8), 32, 1, 0, 0, false, false, S},
    {FMT(Q8W8V8U8), 32, 1, 0, 0, false, false, S},
    {FMT(V16U16), 32, 1, 0, 0, false, false, S},
    {FMT(A2W10V10U10), 32, 1, 0, 0, true, false, S},
    {FMT(D16_LOCKABLE), 16, 1, 0, 0, false, false, S},
    {FMT(D32), 32, 1, 0, 0, false, false, S},
    {FMT(D15S1), 16, 1, 0, 0, false, false, S},
    {FMT(D24S8), 32, 1, 0, 0, false, false, Z},
    {FMT(D24X8), 32, 1, 0, 0, false, false, Z},
    {FMT(D24X4S4), 32, 1, 0, 0, false, false, S},
    {FMT(D16), 16, 1, 0, 0, false, false, Z},
    {FMT(L16), 16, 1, 0, 0, false, false, T | S | C},
    {FMT(D32F_LOCKABLE), 32, 1, 0, 0, false, true, S},
    {FMT(D24FS8), 32, 1, 0, 0, false, false, S},
    {FMT(INDEX16), 16, 1, 0, 0, false, false, I},
    {FMT(INDEX32), 32, 1, 0, 0, false, false, I},
    {FMT(Q16W16V16U16), 64, 1, 0, 0, false, false, S},
    {FMT(R16F), 16, 1, 0, 0, false, true, T | S | C},
    {FMT(G16R16F), 32, 1, 0, 0, false, true, T | S | C},
    {FMT(A16B16G16R16F), 64, 1, 0, 0, true, true, T | S | C},
    {FMT(R32F), 32, 1, 0, 0, false, true, T | S | C},
    {FMT(G32R32F), 64, 1, 0, 0, false, true, T | S | C},
    {FMT(A32B32G32R32F), 128, 1, 0, 0, true, true, T | S | C},
    {FMT(A1), 1, 1, 0, 0, true, false, 0},
    {FMT(DXT1), 4, 4, 8, 0, true, false, T | S},
    {FMT(DXT2), 8, 4, 16, 0, true, false, T | S},
    {FMT(YUY2), 16, 1, 0, 1, false, false, S | C},
    {FMT(DXT3), 8, 4, 16, 0, true, false, T | S},
    {FMT(DXT4), 8, 4, 16, 0, true, false, T | S},
    {FMT(DXT5), 8, 4, 16, 0, true, false, T | S},
    {FMT(G8R8_G8B8), 16, 1, 0, 1, false, false, S | C},
    {FMT(R8G8_B8G8), 16, 1, 0, 1, false, false, S | C},
    {FMT(UYVY), 16, 1, 0, 1, false, false, S | C},
};
#undef FMT

constexpr bool SortedByValue() {
  for (std::size_t i = 1; i < sizeof(kFormats) / sizeof(kFormats[0]); ++i)
    if (static_cast<DWORD>(kFormats[i - 1].format) >= static_cast<DWORD>(kFormats[i].format)) return false;
  return true;
}
static_assert(SortedByValue(), "the format table must stay sorted by value");

constexpr UINT kCount = sizeof(kFormats) / sizeof(kFormats[0]);

}  // namespace

const FormatInfo* FindFormat(D3DFORMAT format) {
  const DWORD key = static_cast<DWORD>(format);
  UINT lo = 0, hi = kCount;
  while (lo < hi) {
    const UINT mid = (lo + hi) / 2;
    const DWORD v = static_cast<DWORD>(kFormats[mid].format);
    if (v == key) return &kFormats[mid];
    if (v < key)
      lo = mid + 1;
    else
      hi = mid;
  }
  return nullptr;
}

const FormatInfo* AllFormats(UINT* count) {
  if (count) *count = kCount;
  return kFormats;
}

const char* FormatName(D3DFORMAT format) {
  const FormatInfo* f = FindFormat(format);
  return f ? f->name : nullptr;
}

bool HasUse(D3DFORMAT format, DWORD use) {
  const FormatInfo* f = FindFormat(format);
  return f && (f->uses & use) == use;
}

UINT RowPitch(D3DFORMAT format, UINT width) {
  const FormatInfo* f = FindFormat(format);
  if (!f) return 0;
  if (f->block_bytes) return ((width + 3) / 4) * f->block_bytes;
  if (f->pair_packed) width = (width + 1) & ~1u;
  const UINT bytes = (width * f->bits_per_pixel + 7) / 8;
  return (bytes + 3) & ~3u;
}

UINT RowCount(D3DFORMAT format, UINT height) {
  const FormatInfo* f = FindFormat(format);
  if (!f) return 0;
  return f->block_bytes ? (height + 3) / 4 : height;
}

UINT SurfaceBytes(D3DFORMAT format, UINT width, UINT height) {
  return RowPitch(format, width) * RowCount(format, height);
}

}  // namespace d3d9_formats
