// PNG writing with libpng: one RGB row at a time from X8R8G8B8 pixels.
#include "platform/win32/png_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win32/files.h"

namespace {

void OnPngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  if (error) *error = message ? message : "libpng error";
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Kept apart from the function with setjmp so no local with a destructor
// lives across the jump.
bool WriteRows(std::FILE* f, const std::uint32_t* pixels, int width, int height, int pitch, std::string* error,
               png_bytep row) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, OnPngError, OnPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = src[x];
      row[3 * x + 0] = static_cast<png_byte>(p >> 16);
      row[3 * x + 1] = static_cast<png_byte>(p >> 8);
      row[3 * x + 2] = static_cast<png_byte>(p);
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePixelsPng(const char* path, const std::uint32_t* pixels, int width, int height, int pitch,
                    std::string* error) {
  std::string message;
  if (!pixels || width <= 0 || height <= 0 || pitch < width) {
    if (error) *error = "no pixels to write";
    return false;
  }
  std::FILE* f = OpenFile(path, "wb");
  if (!f) {
    if (error) *error = std::string("cannot create \"") + (path ? path : "") + "\": " + std::strerror(errno);
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  bool ok = WriteRows(f, pixels, width, height, pitch, &message, row.data());
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    message = "cannot finish the file";
  }
  if (!ok && error) *error = message.empty() ? "libpng failed" : message;
  return ok;
}
