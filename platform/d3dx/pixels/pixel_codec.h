// Converting texels between the Direct3D pixel formats and float RGBA: the
// common ground every D3DX copy, filter and format conversion goes through.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace vornel::d3dx {

struct Texel {
  float r, g, b, a;
};

// Leaves new elements uninitialised: every producer of a TexelImage writes
// all of its texels, so zero-filling them first would be wasted work.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// A picture of float texels, top row first.
struct TexelImage {
  int width = 0;
  int height = 0;
  std::vector<Texel, UninitialisedAllocator<Texel>> texels;

  // Texels are left undefined; the caller writes every one.
  void Resize(int w, int h) {
    width = w;
    height = h;
    texels.resize(static_cast<std::size_t>(w) * h);
  }
  Texel& at(int x, int y) { return texels[static_cast<std::size_t>(y) * width + x]; }
  const Texel& at(int x, int y) const { return texels[static_cast<std::size_t>(y) * width + x]; }
};

// What a format stores, for conversion and for choosing a replacement format.
struct FormatTraits {
  enum class Kind { Packed, Float16, Float32, Palette, Block, Pair };
  D3DFORMAT format;
  Kind kind;
  int bytes;  // per pixel; per 4 x 4 block for Block; per two pixels for Pair
  // Bits of red, green, blue, alpha and luminance (0 when absent).
  int rBits, gBits, bBits, aBits, lBits;
};

// The traits of a format we can convert, or null.
const FormatTraits* FindTraits(D3DFORMAT format);

// Palette of 256 entries as stored in memory: red, green, blue, flags bytes
// (the layout of PALETTEENTRY). Null means a grey ramp.
using PaletteBytes = const BYTE*;

// Reads the texels of `rect` from a surface of `surfaceWidth` x
// `surfaceHeight` texels whose memory starts at `bits` with `pitch` bytes per
// row (per row of blocks for block formats). `out` receives rect-sized
// texels. False for a format we cannot convert.
bool DecodeRect(D3DFORMAT format, const BYTE* bits, INT pitch, UINT surfaceWidth, UINT surfaceHeight,
                const RECT& rect, PaletteBytes palette, TexelImage& out);

// Writes `in` (rect-sized) into `rect` of such a surface. Texels outside the
// rect keep their values, also inside a shared block or pixel pair.
bool EncodeRect(D3DFORMAT format, BYTE* bits, INT pitch, UINT surfaceWidth, UINT surfaceHeight,
                const RECT& rect, const TexelImage& in);

// 32-bit ARGB to float and back, as the colour key and the image files use.
Texel FromArgb(DWORD argb);
DWORD ToArgb(const Texel& t);

}  // namespace vornel::d3dx
