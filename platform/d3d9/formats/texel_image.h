// Float pictures and the rectangle codec on the float path: reading a
// rectangle of any convertible format (block formats included) into float
// texels and writing texels back, for D3DX's copies and filters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace d3d9_formats {

// Four floats in the order the row codec's float path uses.
struct Texel {
  float r, g, b, a;
};
static_assert(sizeof(Texel) == 4 * sizeof(float), "texels are read and written as float rows");

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

// Reads the texels of `rect` from a surface of `surface_width` x
// `surface_height` texels whose memory starts at `bits` with `pitch` bytes
// per row (per row of blocks for block formats). `out` receives rect-sized
// texels. `palette` holds 256 ARGB words for the palette formats (null: a
// grey ramp). False for a format without a texel codec or a rect outside.
bool DecodeRect(D3DFORMAT format, const BYTE* bits, INT pitch, UINT surface_width, UINT surface_height,
                const RECT& rect, const std::uint32_t* palette, TexelImage& out);

// Writes `in` (rect-sized) into `rect` of such a surface. Texels outside the
// rect keep their values, also inside a shared block or pixel pair. Palette
// formats are matched against `palette` (required for them).
bool EncodeRect(D3DFORMAT format, BYTE* bits, INT pitch, UINT surface_width, UINT surface_height,
                const RECT& rect, const TexelImage& in, const std::uint32_t* palette = nullptr);

// 32-bit ARGB to float and back, as the A8R8G8B8 row reads and writes them.
inline Texel FromArgb(DWORD c) {
  constexpr float k = 1.f / 255.f;
  return {static_cast<float>((c >> 16) & 255) * k, static_cast<float>((c >> 8) & 255) * k,
          static_cast<float>(c & 255) * k, static_cast<float>(c >> 24) * k};
}
DWORD ToArgb(const Texel& t);

}  // namespace d3d9_formats
