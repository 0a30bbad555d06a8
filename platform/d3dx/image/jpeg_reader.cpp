// JPEG reader through libjpeg's 6b decompression API: header, then one
// scanline at a time into ARGB. Library errors come back as a failed read.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/d3dx/image/image_io.h"

namespace d3dx_image {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return; we
// jump back to the reader. Only plain C data lives between the setjmp and
// the library calls, so nothing with a destructor is skipped.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool truncated;
  // Kept here rather than on Decode's stack: the decompressor points at them
  // until it is destroyed.
  jpeg_source_mgr source;
  jpeg_progress_mgr progress;
};

void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  // Compressed data that ends early (the file, or a scan cut short by the
  // next marker) is a damaged file, which we refuse: libjpeg would go on
  // inventing grey blocks, as many as the header asks for. The other warnings
  // (stray bytes before a marker and the like) are harmless.
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (level < 0 && (err->pub.msg_code == JWRN_JPEG_EOF || err->pub.msg_code == JWRN_HIT_MARKER))
    err->truncated = true;
}

void OutputMessage(j_common_ptr) {}

// Progressive files can hold thousands of tiny scans that each cost a full
// pass; a real picture never needs more than a few dozen.
void Progress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > 200) ErrorExit(cinfo);
}

// Memory source: the whole file is already in memory, so filling the buffer
// again means the data ended early; we feed an end-of-image marker, as
// libjpeg's own sources do, and note the truncation.
void InitSource(j_decompress_ptr) {}
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  static const JOCTET kEoi[2] = {0xFF, JPEG_EOI};
  reinterpret_cast<ErrorManager*>(cinfo->err)->truncated = true;
  cinfo->src->next_input_byte = kEoi;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}
void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* src = cinfo->src;
  if (static_cast<std::size_t>(count) > src->bytes_in_buffer) {
    FillInputBuffer(cinfo);
  } else {
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
  }
}
void TermSource(j_decompress_ptr) {}

// The decoding proper. Returns false on any error; `out` is resized here,
// before the first scanline, and only written afterwards.
bool Decode(j_decompress_ptr cinfo, ErrorManager& err, const std::uint8_t* data, std::size_t size,
            Image& out, JSAMPLE* volatile* rowBuffer) {
  if (setjmp(err.jump)) return false;

  jpeg_create_decompress(cinfo);
  // Multi-scan files keep the whole picture's coefficients in memory; cap
  // that, so a short file with a huge header fails instead of eating memory.
  cinfo->mem->max_memory_to_use = 256L << 20;
  err.progress.progress_monitor = Progress;
  cinfo->progress = &err.progress;

  jpeg_source_mgr& src = err.source;
  src.init_source = InitSource;
  src.fill_input_buffer = FillInputBuffer;
  src.skip_input_data = SkipInputData;
  src.resync_to_restart = jpeg_resync_to_restart;
  src.term_source = TermSource;
  src.next_input_byte = data;
  src.bytes_in_buffer = size;
  cinfo->src = &src;

  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (!SizeAcceptable(cinfo->image_width, cinfo->image_height)) return false;
  const bool grey = cinfo->jpeg_color_space == JCS_GRAYSCALE;
  if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) return false;
  cinfo->out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(cinfo);
  if (err.truncated) return false;

  const int w = static_cast<int>(cinfo->output_width);
  const int comps = cinfo->output_components;
  if (comps != (grey ? 1 : 3)) return false;
  out.width = w;
  out.height = static_cast<int>(cinfo->output_height);
  out.kind = FileKind::Jpg;
  out.format = grey ? file_format::L8 : file_format::X8R8G8B8;
  // Rows are added as they decode, so a header that promises a huge picture
  // over a few bytes of data costs no more memory than the data delivers.
  out.argb.clear();
  *rowBuffer = static_cast<JSAMPLE*>(std::malloc(static_cast<std::size_t>(w) * comps));
  if (!*rowBuffer) return false;

  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPLE* row = *rowBuffer;
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return false;
    if (err.truncated) return false;
    out.argb.resize(out.argb.size() + static_cast<std::size_t>(w));
    std::uint32_t* d = out.argb.data() + out.argb.size() - w;
    if (grey) {
      for (int x = 0; x < w; ++x) d[x] = 0xFF000000u | (row[x] * 0x010101u);
    } else {
      for (int x = 0; x < w; ++x, row += 3)
        d[x] = 0xFF000000u | (std::uint32_t{row[0]} << 16) | (std::uint32_t{row[1]} << 8) | row[2];
    }
  }
  jpeg_finish_decompress(cinfo);
  return !err.truncated;
}

}  // namespace

bool ReadJpeg(const std::uint8_t* data, std::size_t size, Image& out) {
  if (size < 4) return false;
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  ErrorManager err;
  std::memset(&err, 0, sizeof err);
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.pub.output_message = OutputMessage;
  JSAMPLE* volatile rowBuffer = nullptr;
  bool ok = Decode(&cinfo, err, data, size, out, &rowBuffer);
  jpeg_destroy_decompress(&cinfo);
  std::free(rowBuffer);
  return ok;
}

}  // namespace d3dx_image
