// PNG reading and writing through libpng: every colour type and bit depth is
// expanded to 8-bit BGRA in memory, which is ARGB on a little-endian machine.
#include <csetjmp>
#include <cstring>

#include <png.h>

#include "platform/d3dx/image/image_io.h"

namespace d3dx_image {
namespace {

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (count > in->size - in->pos) png_error(png, "truncated");
  std::memcpy(out, in->data + in->pos, count);
  in->pos += count;
}

void Warning(png_structp, png_const_charp) {}
void Error(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// libpng unwinds with longjmp; the vectors the rows point into belong to the
// caller, so no destructor is skipped.
bool Decode(png_structp png, png_infop info, MemoryInput& input, Image& out,
            std::vector<png_bytep>& rows, bool& hasAlpha) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &input, ReadFromMemory);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_set_chunk_malloc_max(png, 64u << 20);
  png_read_info(png, info);

  png_uint_32 w = 0, h = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colourType, &interlace, nullptr, nullptr);
  if (!SizeAcceptable(w, h)) return false;
  hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
  const bool grey = !(colourType & PNG_COLOR_MASK_COLOR);

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (grey && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (grey) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(w) * 4) return false;

  out.width = static_cast<int>(w);
  out.height = static_cast<int>(h);
  out.kind = FileKind::Png;
  out.format = hasAlpha ? (grey ? file_format::A8L8 : file_format::A8R8G8B8)
                        : (grey ? file_format::L8 : file_format::X8R8G8B8);
  if (interlace == PNG_INTERLACE_NONE) {
    // Row by row, growing the picture as rows arrive: a header promising a
    // huge picture over a few bytes costs only what the data delivers.
    out.argb.clear();
    for (png_uint_32 y = 0; y < h; ++y) {
      out.argb.resize(out.argb.size() + w);
      png_read_row(png, reinterpret_cast<png_bytep>(out.argb.data() + std::size_t{y} * w), nullptr);
    }
  } else {
    out.argb.assign(static_cast<std::size_t>(w) * h, 0);
    rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(out.argb.data() + std::size_t{y} * w);
    png_read_image(png, rows.data());
  }
  png_read_end(png, nullptr);
  return true;
}

void WriteToVector(png_structp png, png_bytep data, png_size_t count) {
  auto* v = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  v->insert(v->end(), data, data + count);
}
void Flush(png_structp) {}

bool Encode(png_structp png, png_infop info, const Image& image, bool keepAlpha,
            std::vector<std::uint8_t>& bytes, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &bytes, WriteToVector, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               keepAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  if (!keepAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool ReadPng(const std::uint8_t* data, std::size_t size, Image& out) {
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  MemoryInput input{data, size, 0};
  std::vector<png_bytep> rows;
  bool hasAlpha = false;
  bool ok = Decode(png, info, input, out, rows, hasAlpha);
  png_destroy_read_struct(&png, &info, nullptr);
  return ok;
}

std::vector<std::uint8_t> WritePng(const Image& image, bool keepAlpha) {
  std::vector<std::uint8_t> bytes;
  if (image.width <= 0 || image.height <= 0 ||
      image.argb.size() != static_cast<std::size_t>(image.width) * image.height)
    return bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
  if (!png) return bytes;
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(image.argb.data()) +
                                          static_cast<std::size_t>(y) * image.width);
  bool ok = info && Encode(png, info, image, keepAlpha, bytes, rows);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  if (!ok) bytes.clear();
  return bytes;
}

}  // namespace d3dx_image
