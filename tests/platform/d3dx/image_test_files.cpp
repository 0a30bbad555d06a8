// JPEG files for the tests, made with libjpeg's compressor.
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "tests/platform/d3dx/image_test_files.h"

namespace d3dx_test {

Bytes MakeJpeg(int width, int height, const std::vector<std::uint32_t>& argb, bool grey, bool progressive) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint32_t* s = argb.data() + static_cast<std::size_t>(cinfo.next_scanline) * width;
    for (int x = 0; x < width; ++x) {
      if (grey) {
        row[x] = static_cast<JSAMPLE>(s[x] & 255);
      } else {
        row[3 * x] = static_cast<JSAMPLE>(s[x] >> 16);
        row[3 * x + 1] = static_cast<JSAMPLE>(s[x] >> 8);
        row[3 * x + 2] = static_cast<JSAMPLE>(s[x]);
      }
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

}  // namespace d3dx_test
