// The table of known pixel formats and the size arithmetic built on it.
#include "platform/d3d9/formats/format_table.h"

#include <initializer_list>

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
using enum FormatKind;

// Sorted by format value, so a lookup is a binary search. Columns: format,
// name, bits per pixel, block side, block bytes, pair packed, alpha, float,
// uses, kind, channels {r, g, b, a, l, x} as {shift, bits}.
constexpr FormatInfo kFormats[] = {
    {FMT(R8G8B8), 24, 1, 0, 0, false, false, T | S | C, Packed, {{16, 8}, {8, 8}, {0, 8}, {}, {}}},
    {FMT(A8R8G8B8), 32, 1, 0, 0, true, false, T | R | S | C, Packed, {{16, 8}, {8, 8}, {0, 8}, {24, 8}, {}}},
    {FMT(X8R8G8B8), 32, 1, 0, 0, false, false, T | R | D | S | C, Packed, {{16, 8}, {8, 8}, {0, 8}, {}, {}, {24, 8}}},
    {FMT(R5G6B5), 16, 1, 0, 0, false, false, T | R | D | S | C, Packed, {{11, 5}, {5, 6}, {0, 5}, {}, {}}},
    {FMT(X1R5G5B5), 16, 1, 0, 0, false, false, T | D | S | C, Packed, {{10, 5}, {5, 5}, {0, 5}, {}, {}}},
    {FMT(A1R5G5B5), 16, 1, 0, 0, true, false, T | S | C, Packed, {{10, 5}, {5, 5}, {0, 5}, {15, 1}, {}}},
    {FMT(A4R4G4B4), 16, 1, 0, 0, true, false, T | S | C, Packed, {{8, 4}, {4, 4}, {0, 4}, {12, 4}, {}}},
    {FMT(R3G3B2), 8, 1, 0, 0, false, false, T | S | C, Packed, {{5, 3}, {2, 3}, {0, 2}, {}, {}}},
    {FMT(A8), 8, 1, 0, 0, true, false, T | S | C, Packed, {{}, {}, {}, {0, 8}, {}}},
    {FMT(A8R3G3B2), 16, 1, 0, 0, true, false, T | S | C, Packed, {{5, 3}, {2, 3}, {0, 2}, {8, 8}, {}}},
    {FMT(X4R4G4B4), 16, 1, 0, 0, false, false, T | S | C, Packed, {{8, 4}, {4, 4}, {0, 4}, {}, {}}},
    {FMT(A2B10G10R10), 32, 1, 0, 0, true, false, T | S | C, Packed, {{0, 10}, {10, 10}, {20, 10}, {30, 2}, {}}},
    {FMT(A8B8G8R8), 32, 1, 0, 0, true, false, T | S | C, Packed, {{0, 8}, {8, 8}, {16, 8}, {24, 8}, {}}},
    {FMT(X8B8G8R8), 32, 1, 0, 0, false, false, T | S | C, Packed, {{0, 8}, {8, 8}, {16, 8}, {}, {}, {24, 8}}},
    {FMT(G16R16), 32, 1, 0, 0, false, false, T | S | C, Packed, {{0, 16}, {16, 16}, {}, {}, {}}},
    {FMT(A2R10G10B10), 32, 1, 0, 0, true, false, T | S | C, Packed, {{20, 10}, {10, 10}, {0, 10}, {30, 2}, {}}},
    {FMT(A16B16G16R16), 64, 1, 0, 0, true, false, T | S | C, Packed, {{0, 16}, {16, 16}, {32, 16}, {48, 16}, {}}},
    {FMT(A8P8), 16, 1, 0, 0, true, false, S | C, Palette, {{0, 8}, {0, 8}, {0, 8}, {8, 8}, {}}},
    {FMT(P8), 8, 1, 0, 0, false, false, S | C, Palette, {{0, 8}, {0, 8}, {0, 8}, {}, {}}},
    {FMT(L8), 8, 1, 0, 0, false, false, T | S | C, Packed, {{}, {}, {}, {}, {0, 8}}},
    {FMT(A8L8), 16, 1, 0, 0, true, false, T | S | C, Packed, {{}, {}, {}, {8, 8}, {0, 8}}},
    {FMT(A4L4), 8, 1, 0, 0, true, false, T | S | C, Packed, {{}, {}, {}, {4, 4}, {0, 4}}},
    {FMT(V8U8), 16, 1, 0, 0, false, false, S, Signed, {{}, {}, {}, {}, {}}},
    {FMT(L6V5U5), 16, 1, 0, 0, false, false, S, Signed, {{}, {}, {}, {}, {}}},
    {FMT(X8L8V8U8), 32, 1, 0, 0, false, false, S, Signed, {{}, {}, {}, {}, {}}},
    {FMT(Q8W8V8U8), 32, 1, 0, 0, false, false, S, Signed, {{}, {}, {}, {}, {}}},
    {FMT(V16U16), 32, 1, 0, 0, false, false, S, Signed, {{}, {}, {}, {}, {}}},
    {FMT(A2W10V10U10), 32, 1, 0, 0, true, false, S, Signed, {{}, {}, {}, {}, {}}},
    {FMT(D16_LOCKABLE), 16, 1, 0, 0, false, false, S, Depth, {{}, {}, {}, {}, {}}},
    {FMT(D32), 32, 1, 0, 0, false, false, S, Depth, {{}, {}, {}, {}, {}}},
    {FMT(D15S1), 16, 1, 0, 0, false, false, S, Depth, {{}, {}, {}, {}, {}}},
    {FMT(D24S8), 32, 1, 0, 0, false, false, Z, Depth, {{}, {}, {}, {}, {}}},
    {FMT(D24X8), 32, 1, 0, 0, false, false, Z, Depth, {{}, {}, {}, {}, {}}},
    {FMT(D24X4S4), 32, 1, 0, 0, false, false, S, Depth, {{}, {}, {}, {}, {}}},
    {FMT(D16), 16, 1, 0, 0, false, false, Z, Depth, {{}, {}, {}, {}, {}}},
    {FMT(L16), 16, 1, 0, 0, false, false, T | S | C, Packed, {{}, {}, {}, {}, {0, 16}}},
    {FMT(D32F_LOCKABLE), 32, 1, 0, 0, false, true, S, Depth, {{}, {}, {}, {}, {}}},
    {FMT(D24FS8), 32, 1, 0, 0, false, false, S, Depth, {{}, {}, {}, {}, {}}},
    {FMT(INDEX16), 16, 1, 0, 0, false, false, I, Index, {{}, {}, {}, {}, {}}},
    {FMT(INDEX32), 32, 1, 0, 0, false, false, I, Index, {{}, {}, {}, {}, {}}},
    {FMT(Q16W16V16U16), 64, 1, 0, 0, false, false, S, Signed, {{}, {}, {}, {}, {}}},
    {FMT(R16F), 16, 1, 0, 0, false, true, T | S | C, Float, {{0, 16}, {}, {}, {}, {}}},
    {FMT(G16R16F), 32, 1, 0, 0, false, true, T | S | C, Float, {{0, 16}, {16, 16}, {}, {}, {}}},
    {FMT(A16B16G16R16F), 64, 1, 0, 0, true, true, T | S | C, Float, {{0, 16}, {16, 16}, {32, 16}, {48, 16}, {}}},
    {FMT(R32F), 32, 1, 0, 0, false, true, T | S | C, Float, {{0, 32}, {}, {}, {}, {}}},
    {FMT(G32R32F), 64, 1, 0, 0, false, true, T | S | C, Float, {{0, 32}, {32, 32}, {}, {}, {}}},
    {FMT(A32B32G32R32F), 128, 1, 0, 0, true, true, T | S | C, Float, {{0, 32}, {32, 32}, {64, 32}, {96, 32}, {}}},
    {FMT(A1), 1, 1, 0, 0, true, false, 0, Other, {{}, {}, {}, {}, {}}},
    {FMT(DXT1), 4, 4, 8, 0, true, false, T | S, Block, {{0, 5}, {0, 6}, {0, 5}, {0, 1}, {}}},
    {FMT(DXT2), 8, 4, 16, 0, true, false, T | S, Block, {{0, 5}, {0, 6}, {0, 5}, {0, 4}, {}}},
    {FMT(YUY2), 16, 1, 0, 1, false, false, S | C, Pair, {{0, 8}, {0, 8}, {0, 8}, {}, {}}},
    {FMT(DXT3), 8, 4, 16, 0, true, false, T | S, Block, {{0, 5}, {0, 6}, {0, 5}, {0, 4}, {}}},
    {FMT(DXT4), 8, 4, 16, 0, true, false, T | S, Block, {{0, 5}, {0, 6}, {0, 5}, {0, 8}, {}}},
    {FMT(DXT5), 8, 4, 16, 0, true, false, T | S, Block, {{0, 5}, {0, 6}, {0, 5}, {0, 8}, {}}},
    {FMT(G8R8_G8B8), 16, 1, 0, 1, false, false, S | C, Pair, {{0, 8}, {0, 8}, {0, 8}, {}, {}}},
    {FMT(R8G8_B8G8), 16, 1, 0, 1, false, false, S | C, Pair, {{0, 8}, {0, 8}, {0, 8}, {}, {}}},
    {FMT(UYVY), 16, 1, 0, 1, false, false, S | C, Pair, {{0, 8}, {0, 8}, {0, 8}, {}, {}}},
};
#undef FMT

constexpr bool SortedByValue() {
  for (std::size_t i = 1; i < sizeof(kFormats) / sizeof(kFormats[0]); ++i)
    if (static_cast<DWORD>(kFormats[i - 1].format) >= static_cast<DWORD>(kFormats[i].format)) return false;
  return true;
}
static_assert(SortedByValue(), "the format table must stay sorted by value");

// A row the texel codecs convert must say where its channels are: packed
// and float fields lie inside the pixel, and a format with alpha has it.
constexpr bool FieldInside(ChannelField c, UINT bits) { return c.bits == 0 || c.shift + c.bits <= bits; }
constexpr bool ConvertibleRowsAreDescribed() {
  for (const FormatInfo& f : kFormats) {
    if (!(f.uses & kUseRowCodec) && !f.block_bytes) continue;
    if (f.kind != Packed && f.kind != Float && f.kind != Palette && f.kind != Pair && f.kind != Block) return false;
    const ChannelLayout& c = f.channels;
    if (c.r.bits + c.g.bits + c.b.bits + c.a.bits + c.l.bits == 0) return false;
    if ((c.a.bits != 0) != f.has_alpha) return false;
    if ((f.kind == Float) != f.is_float) return false;
    if (f.kind == Packed || f.kind == Float)
      for (ChannelField field : {c.r, c.g, c.b, c.a, c.l, c.x})
        if (!FieldInside(field, f.bits_per_pixel)) return false;
  }
  return true;
}
static_assert(ConvertibleRowsAreDescribed(), "every convertible row needs its channel fields");

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

bool HasTexelCodec(D3DFORMAT format) {
  const FormatInfo* f = FindFormat(format);
  return f && HasTexelCodec(*f);
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
