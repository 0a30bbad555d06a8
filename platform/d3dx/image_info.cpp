// Image information, float texels of decoded pictures, and whole-file reads.
#include "platform/d3dx/image_info.h"

#include <cstdio>

#include "platform/win32/files.h"

namespace d3dx_impl {

D3DXIMAGE_INFO InfoOf(const d3dx_image::Image& image) {
  D3DXIMAGE_INFO info{};
  info.Width = static_cast<UINT>(image.width);
  info.Height = static_cast<UINT>(image.height);
  info.Depth = 1;
  info.MipLevels = 1;
  info.Format = static_cast<D3DFORMAT>(image.format);
  info.ResourceType = D3DRTYPE_TEXTURE;
  info.ImageFileFormat = static_cast<D3DXIMAGE_FILEFORMAT>(image.kind);
  return info;
}

TexelImage TexelsOf(const d3dx_image::Image& image, const RECT& rect) {
  TexelImage t;
  t.Resize(rect.right - rect.left, rect.bottom - rect.top);
  for (int y = 0; y < t.height; ++y) {
    const std::uint32_t* s = &image.argb[static_cast<std::size_t>(rect.top + y) * image.width + rect.left];
    Texel* d = &t.at(0, y);
    for (int x = 0; x < t.width; ++x) d[x] = FromArgb(s[x]);
  }
  return t;
}

bool ReadWholeFile(LPCSTR path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (!path) return false;
  std::FILE* f = OpenFile(path, "rb");
  if (!f) return false;
  std::uint8_t chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace d3dx_impl
