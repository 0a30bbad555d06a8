// Choosing the reader for a picture in memory by its signature bytes.
#include <cstring>

#include "platform/d3dx/image/image_io.h"

namespace d3dx_image {

bool LooksLikeTga(const std::uint8_t* data, std::size_t size);  // tga_reader.cpp

std::optional<FileKind> DetectKind(const std::uint8_t* data, std::size_t size) {
  if (!data) return std::nullopt;
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return FileKind::Bmp;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return FileKind::Jpg;
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return FileKind::Png;
  if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) return FileKind::Dds;
  if (LooksLikeTga(data, size)) return FileKind::Tga;
  return std::nullopt;
}

bool ReadImage(const std::uint8_t* data, std::size_t size, Image& out) {
  auto kind = DetectKind(data, size);
  if (!kind) return false;
  switch (*kind) {
    case FileKind::Bmp:
      return ReadBmp(data, size, out);
    case FileKind::Jpg:
      return ReadJpeg(data, size, out);
    case FileKind::Png:
      return ReadPng(data, size, out);
    case FileKind::Tga:
      return ReadTga(data, size, out);
    default:
      return false;  // DDS is recognised but not read
  }
}

}  // namespace d3dx_image
