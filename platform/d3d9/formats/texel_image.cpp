// Rectangles of texels through the row codec's float path, with DXT blocks
// and two-pixel pairs that the rectangle covers only in part kept whole.
#include "platform/d3d9/formats/texel_image.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d9/formats/dxt_codec.h"
#include "platform/d3d9/formats/format_table.h"
#include "platform/d3d9/formats/row_codec.h"

namespace d3d9_formats {
namespace {

// Callers have checked that the row is a block format.
BlockKind BlockKindOf(D3DFORMAT f) {
  BlockKind kind = BlockKind::Dxt5;
  BlockKindOfFourCC(static_cast<std::uint32_t>(f), &kind);
  return kind;
}

bool RectInside(const RECT& r, UINT w, UINT h) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<UINT>(r.right) <= w &&
         static_cast<UINT>(r.bottom) <= h;
}

float* Floats(Texel* t) { return &t->r; }
const float* Floats(const Texel* t) { return &t->r; }

// Pixel pairs are decoded and encoded whole: a rect's columns widened to
// even bounds.
struct Span {
  int first, end;
};
Span PairSpan(const RECT& r) { return {r.left & ~1, (static_cast<int>(r.right) + 1) & ~1}; }

void DecodeBlocks(const FormatInfo& f, const BYTE* bits, INT pitch, const RECT& rect, TexelImage& out) {
  const d3d9_formats::BlockKind kind = BlockKindOf(f.format);
  const int w = out.width, h = out.height;
  std::uint32_t block[16];
  for (int by = rect.top / 4; by * 4 < rect.bottom; ++by) {
    for (int bx = rect.left / 4; bx * 4 < rect.right; ++bx) {
      d3d9_formats::DecodeBlock(kind, bits + static_cast<std::ptrdiff_t>(by) * pitch + bx * f.block_bytes, block);
      for (int i = 0; i < 16; ++i) {
        const int x = bx * 4 + (i & 3) - rect.left, y = by * 4 + (i >> 2) - rect.top;
        if (x >= 0 && y >= 0 && x < w && y < h) out.at(x, y) = FromArgb(block[i]);
      }
    }
  }
}

// Blocks the rect covers only in part are decoded first, so the texels
// outside the rect keep their values.
void EncodeBlocks(const FormatInfo& f, BYTE* bits, INT pitch, UINT surface_width, UINT surface_height,
                  const RECT& rect, const TexelImage& in) {
  const d3d9_formats::BlockKind kind = BlockKindOf(f.format);
  const int w = in.width, h = in.height;
  std::uint32_t block[16];
  for (int by = rect.top / 4; by * 4 < rect.bottom; ++by) {
    for (int bx = rect.left / 4; bx * 4 < rect.right; ++bx) {
      BYTE* p = bits + static_cast<std::ptrdiff_t>(by) * pitch + bx * f.block_bytes;
      const bool whole =
          bx * 4 >= rect.left && by * 4 >= rect.top && bx * 4 + 4 <= rect.right && by * 4 + 4 <= rect.bottom;
      if (!whole) d3d9_formats::DecodeBlock(kind, p, block);
      for (int i = 0; i < 16; ++i) {
        const int x = bx * 4 + (i & 3) - rect.left, y = by * 4 + (i >> 2) - rect.top;
        if (x >= 0 && y >= 0 && x < w && y < h) {
          block[i] = ToArgb(in.at(x, y));
        } else if (whole) {
          block[i] = 0;
        } else if (static_cast<UINT>(bx * 4 + (i & 3)) >= surface_width ||
                   static_cast<UINT>(by * 4 + (i >> 2)) >= surface_height) {
          // Padding texels past the surface edge repeat the nearest real
          // one, so they do not pull the block's end points away.
          const int cx = std::clamp(x, 0, w - 1), cy = std::clamp(y, 0, h - 1);
          block[i] = ToArgb(in.at(cx, cy));
        }
      }
      d3d9_formats::EncodeBlock(kind, block, p);
    }
  }
}

}  // namespace

DWORD ToArgb(const Texel& t) { return FloatToArgb(Floats(&t)); }

bool DecodeRect(D3DFORMAT format, const BYTE* bits, INT pitch, UINT surface_width, UINT surface_height,
                const RECT& rect, const std::uint32_t* palette, TexelImage& out) {
  const FormatInfo* f = FindFormat(format);
  if (!f || !HasTexelCodec(*f) || !bits || !RectInside(rect, surface_width, surface_height)) return false;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  out.Resize(w, h);
  if (f->block_bytes) {
    DecodeBlocks(*f, bits, pitch, rect, out);
    return true;
  }
  if (f->kind == FormatKind::Pair) {
    const Span span = PairSpan(rect);
    thread_local std::vector<Texel> row;
    row.resize(static_cast<std::size_t>(span.end - span.first));
    for (int y = 0; y < h; ++y) {
      const BYTE* src = bits + static_cast<std::ptrdiff_t>(rect.top + y) * pitch + span.first * 2;
      DecodeRowFloat(format, src, static_cast<UINT>(span.end - span.first), Floats(row.data()), palette);
      std::copy_n(row.data() + (rect.left - span.first), w, &out.at(0, y));
    }
    return true;
  }
  const int bpp = static_cast<int>(BytesPerPixel(*f));
  for (int y = 0; y < h; ++y) {
    const BYTE* src = bits + static_cast<std::ptrdiff_t>(rect.top + y) * pitch + rect.left * bpp;
    DecodeRowFloat(format, src, static_cast<UINT>(w), Floats(&out.at(0, y)), palette);
  }
  return true;
}

bool EncodeRect(D3DFORMAT format, BYTE* bits, INT pitch, UINT surface_width, UINT surface_height, const RECT& rect,
                const TexelImage& in, const std::uint32_t* palette) {
  const FormatInfo* f = FindFormat(format);
  if (!f || !HasTexelCodec(*f) || !bits || !RectInside(rect, surface_width, surface_height)) return false;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (in.width != w || in.height != h) return false;
  if (f->kind == FormatKind::Palette && !palette) return false;
  if (f->block_bytes) {
    EncodeBlocks(*f, bits, pitch, surface_width, surface_height, rect, in);
    return true;
  }
  if (f->kind == FormatKind::Pair) {
    // The pair halves outside the rect are decoded first and written back.
    const Span span = PairSpan(rect);
    thread_local std::vector<Texel> row;
    row.resize(static_cast<std::size_t>(span.end - span.first));
    for (int y = 0; y < h; ++y) {
      BYTE* dst = bits + static_cast<std::ptrdiff_t>(rect.top + y) * pitch + span.first * 2;
      const UINT n = static_cast<UINT>(span.end - span.first);
      if (span.first != rect.left || span.end != rect.right) DecodeRowFloat(format, dst, n, Floats(row.data()));
      std::copy_n(&in.at(0, y), w, row.data() + (rect.left - span.first));
      EncodeRowFloat(format, Floats(row.data()), n, dst);
    }
    return true;
  }
  const int bpp = static_cast<int>(BytesPerPixel(*f));
  for (int y = 0; y < h; ++y) {
    BYTE* dst = bits + static_cast<std::ptrdiff_t>(rect.top + y) * pitch + rect.left * bpp;
    EncodeRowFloat(format, Floats(&in.at(0, y)), static_cast<UINT>(w), dst, palette);
  }
  return true;
}

}  // namespace d3d9_formats
