// The decoded picture every image reader produces and every writer takes:
// 32-bit ARGB texels, top row first, plus what the file said about itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace d3dx_image {

// Image file kinds, numbered as D3DXIMAGE_FILEFORMAT numbers them.
enum class FileKind : std::uint32_t { Bmp = 0, Jpg = 1, Tga = 2, Png = 3, Dds = 4 };

// The pixel layout the file stores, as a Direct3D format number. It is what
// D3DXIMAGE_INFO reports and what a texture takes when its caller asks for
// the file's own format.
namespace file_format {
constexpr std::uint32_t R8G8B8 = 20;
constexpr std::uint32_t A8R8G8B8 = 21;
constexpr std::uint32_t X8R8G8B8 = 22;
constexpr std::uint32_t R5G6B5 = 23;
constexpr std::uint32_t X1R5G5B5 = 24;
constexpr std::uint32_t A1R5G5B5 = 25;
constexpr std::uint32_t P8 = 41;
constexpr std::uint32_t L8 = 50;
constexpr std::uint32_t A8L8 = 51;
}  // namespace file_format

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // width * height texels, 0xAARRGGBB, top row first
  std::uint32_t format = file_format::X8R8G8B8;
  FileKind kind = FileKind::Bmp;

  std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// Largest side and texel count a reader accepts. Bigger claims are treated as
// hostile: a 30-byte file must not make us allocate gigabytes.
constexpr int kMaxSide = 16384;
constexpr std::size_t kMaxTexels = std::size_t{1} << 25;  // 128 MB of ARGB

inline bool SizeAcceptable(long long w, long long h) {
  return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide &&
         static_cast<std::size_t>(w) * static_cast<std::size_t>(h) <= kMaxTexels;
}

}  // namespace d3dx_image
