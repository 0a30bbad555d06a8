// Writes the starting corpus of the image-reader fuzz target into the folder
// given as its argument: small BMP (24-bit, 32-bit, RLE8), PNG, TGA (raw and
// RLE) and JPEG files.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/d3dx/image/image_io.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

bool Write(const std::string& path, const Bytes& b) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

Bytes Jpeg(const d3dx_image::Image& img, bool progressive) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(img.width);
  c.image_height = static_cast<JDIMENSION>(img.height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(img.width) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < img.width; ++x) {
      std::uint32_t p = img.at(x, static_cast<int>(c.next_scanline));
      row[3 * x] = static_cast<JSAMPLE>(p >> 16);
      row[3 * x + 1] = static_cast<JSAMPLE>(p >> 8);
      row[3 * x + 2] = static_cast<JSAMPLE>(p);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  Bytes b(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  d3dx_image::Image img;
  img.width = 9;
  img.height = 5;
  for (int i = 0; i < 45; ++i) img.argb.push_back(0x80000000u | static_cast<std::uint32_t>(i * 0x050709));

  const Bytes rle8 = {'B', 'M', 0x4E, 0, 0, 0, 0, 0, 0, 0, 0x3E, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0,
                      1, 0, 8, 0, 1, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                      0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 4, 1, 0, 0, 0, 4, 1, 0, 1, 0, 0, 1, 0, 0};
  const Bytes tgaRaw = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0, 1, 2, 3, 4, 5, 6};
  const Bytes tgaRle = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 1, 0, 32, 0x28, 0x82, 1, 2, 3, 4};
  bool ok = Write(dir + "/rgb24.bmp", d3dx_image::WriteBmp(img, false)) &&
            Write(dir + "/argb32.bmp", d3dx_image::WriteBmp(img, true)) &&
            Write(dir + "/rle8.bmp", rle8) && Write(dir + "/rgba.png", d3dx_image::WritePng(img, true)) &&
            Write(dir + "/raw.tga", tgaRaw) && Write(dir + "/rle.tga", tgaRle) &&
            Write(dir + "/baseline.jpg", Jpeg(img, false)) && Write(dir + "/progressive.jpg", Jpeg(img, true));
  return ok ? 0 : 1;
}
