// Windows bitmap reader: 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up
// and top-down, uncompressed, RLE8, RLE4 and bit-field layouts.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/d3dx/image/byte_reader.h"
#include "platform/d3dx/image/image_io.h"

namespace d3dx_image {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

// One colour channel described by a bit mask: where it sits and how wide it is.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static bool Make(std::uint32_t mask, Channel& c) {
    c = {};
    if (mask == 0) return true;
    c.mask = mask;
    c.shift = std::countr_zero(mask);
    std::uint32_t m = mask >> c.shift;
    c.bits = std::popcount(m);
    return (m & (m + 1)) == 0;  // contiguous bits only
  }
  // The channel's value scaled to 8 bits; `absent` when there is no mask.
  std::uint32_t Get(std::uint32_t px, std::uint32_t absent) const {
    if (bits == 0) return absent;
    std::uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    std::uint32_t max = (1u << bits) - 1;
    return (v * 255 + max / 2) / max;
  }
};

struct Header {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive: bottom-up
  bool topDown = false;
  int bpp = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::uint32_t masks[4] = {};  // red, green, blue, alpha
  bool hasMasks = false;
  std::size_t paletteOffset = 0;
  int paletteEntrySize = 4;
};

bool ReadHeader(ByteReader& r, Header& h) {
  if (r.u8() != 'B' || r.u8() != 'M') return false;
  r.skip(8);  // file size and reserved words are often wrong; not trusted
  std::uint32_t offBits = r.u32();
  (void)offBits;
  h.headerSize = r.u32();
  if (!r.ok()) return false;
  if (h.headerSize == 12) {
    h.width = r.u16();
    h.height = r.u16();
    r.u16();  // planes
    h.bpp = r.u16();
    h.paletteEntrySize = 3;
  } else if (h.headerSize >= 40 && h.headerSize <= 4096) {
    h.width = r.s32();
    std::int32_t height = r.s32();
    r.u16();  // planes
    h.bpp = r.u16();
    h.compression = r.u32();
    r.skip(12);  // image size, resolution
    h.colorsUsed = r.u32();
    r.u32();  // important colours
    if (h.headerSize >= 52) {
      for (int i = 0; i < (h.headerSize >= 56 ? 4 : 3); ++i) h.masks[i] = r.u32();
      h.hasMasks = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    }
    if (height == INT32_MIN) return false;
    h.topDown = height < 0;
    h.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
  } else {
    return false;
  }
  if (!r.ok()) return false;
  std::size_t afterHeader = 14 + static_cast<std::size_t>(h.headerSize);
  if (h.headerSize == 40 && (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields)) {
    r.seek(afterHeader);
    int n = h.compression == kBiAlphaBitfields ? 4 : 3;
    for (int i = 0; i < n; ++i) h.masks[i] = r.u32();
    h.hasMasks = true;
    afterHeader += 4 * static_cast<std::size_t>(n);
    if (!r.ok()) return false;
  }
  h.paletteOffset = afterHeader;
  return true;
}

bool ValidLayout(const Header& h) {
  if (!SizeAcceptable(h.width, h.height)) return false;
  switch (h.compression) {
    case kBiRgb:
      return h.bpp == 1 || h.bpp == 4 || h.bpp == 8 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    case kBiRle8:
      return h.bpp == 8 && !h.topDown;
    case kBiRle4:
      return h.bpp == 4 && !h.topDown;
    case kBiBitfields:
    case kBiAlphaBitfields:
      return h.bpp == 16 || h.bpp == 32;
    default:
      return false;
  }
}

// Reads the colour table. Entries the file does not give are black, so any
// index a pixel holds is safe to look up.
// A table that claims more entries than fit before the pixels is cut there.
bool ReadPalette(const std::uint8_t* data, std::size_t size, std::size_t offBits, const Header& h,
                 std::array<std::uint32_t, 256>& palette) {
  palette.fill(0xFF000000u);
  std::uint32_t max = 1u << h.bpp;
  std::uint32_t count = h.colorsUsed == 0 ? max : h.colorsUsed;
  if (count > max || h.paletteOffset > offBits) return false;
  count = std::min<std::size_t>(count, (offBits - h.paletteOffset) / h.paletteEntrySize);
  std::size_t bytes = static_cast<std::size_t>(count) * h.paletteEntrySize;
  if (h.paletteOffset > size || bytes > size - h.paletteOffset) return false;
  const std::uint8_t* p = data + h.paletteOffset;
  for (std::uint32_t i = 0; i < count; ++i, p += h.paletteEntrySize)
    palette[i] = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
  return true;
}

// Expands run-length encoded indices (RLE8 or RLE4) into one byte per pixel,
// bottom row first. Runs that would leave the picture are cut at its edge.
bool DecodeRle(ByteReader& r, const Header& h, std::vector<std::uint8_t>& indices) {
  const std::size_t w = static_cast<std::size_t>(h.width);
  const std::size_t rows = static_cast<std::size_t>(h.height);
  indices.assign(w * rows, 0);
  std::size_t x = 0, y = 0;
  const bool four = h.compression == kBiRle4;
  auto put = [&](std::uint8_t v) {
    if (x < w && y < rows) indices[y * w + x] = v;
    ++x;
  };
  while (true) {
    std::uint8_t count = r.u8();
    std::uint8_t value = r.u8();
    if (!r.ok()) return false;  // ran out before the end-of-bitmap mark
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // move right and up
      x += r.u8();
      y += r.u8();
      if (!r.ok()) return false;
    } else {  // a literal run of `value` pixels, padded to a 16-bit boundary
      std::size_t bytes = four ? (value + 1) / 2 : value;
      if (bytes > r.remaining()) return false;
      const std::uint8_t* p = r.here();
      for (int i = 0; i < value; ++i) put(four ? ((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
      r.skip(bytes + (bytes & 1));
      if (!r.ok()) return false;
    }
    if (y > rows) return true;  // everything after this lies outside the picture
  }
}

}  // namespace

bool ReadBmp(const std::uint8_t* data, std::size_t size, Image& out) {
  ByteReader r(data, size);
  Header h;
  if (!ReadHeader(r, h) || !ValidLayout(h)) return false;
  r.seek(10);
  std::size_t offBits = r.u32();
  if (!r.ok() || offBits >= size || offBits < 14 + static_cast<std::size_t>(h.headerSize)) return false;

  const int w = static_cast<int>(h.width);
  const int height = static_cast<int>(h.height);
  const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  const std::size_t stride = (static_cast<std::size_t>(w) * h.bpp + 31) / 32 * 4;
  if (!rle && stride * height > size - offBits) return false;  // short file
  out.width = w;
  out.height = height;
  out.kind = FileKind::Bmp;
  out.argb.assign(static_cast<std::size_t>(w) * height, 0);

  std::array<std::uint32_t, 256> palette{};
  if (h.bpp <= 8) {
    if (!ReadPalette(data, size, offBits, h, palette)) return false;
    out.format = file_format::P8;
  }
  auto destRow = [&](int fileRow) {
    int y = h.topDown ? fileRow : height - 1 - fileRow;
    return out.argb.data() + static_cast<std::size_t>(y) * w;
  };

  if (rle) {
    std::vector<std::uint8_t> indices;
    r.seek(offBits);
    if (!DecodeRle(r, h, indices)) return false;
    for (int fy = 0; fy < height; ++fy) {
      std::uint32_t* d = destRow(fy);
      const std::uint8_t* s = indices.data() + static_cast<std::size_t>(fy) * w;
      for (int x = 0; x < w; ++x) d[x] = palette[s[x]];
    }
    return true;
  }

  Channel ch[4];
  if (h.bpp == 16 || h.bpp == 32) {
    std::uint32_t m[4];
    if (h.hasMasks) {
      std::copy(h.masks, h.masks + 4, m);
      if (h.compression == kBiBitfields && h.headerSize < 56) m[3] = 0;
    } else if (h.bpp == 16) {
      m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F, m[3] = 0;
    } else {
      m[0] = 0xFF0000, m[1] = 0xFF00, m[2] = 0xFF, m[3] = 0;
    }
    if (h.bpp == 16)
      for (auto& v : m) v &= 0xFFFF;
    for (int i = 0; i < 4; ++i)
      if (!Channel::Make(m[i], ch[i])) return false;
    if (h.bpp == 16) {
      if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F)
        out.format = file_format::R5G6B5;
      else
        out.format = m[3] ? file_format::A1R5G5B5 : file_format::X1R5G5B5;
    } else {
      out.format = m[3] ? file_format::A8R8G8B8 : file_format::X8R8G8B8;
    }
  } else if (h.bpp == 24) {
    out.format = file_format::R8G8B8;
  }

  for (int fy = 0; fy < height; ++fy) {
    const std::uint8_t* s = data + offBits + stride * fy;
    std::uint32_t* d = destRow(fy);
    switch (h.bpp) {
      case 1:
        for (int x = 0; x < w; ++x) d[x] = palette[(s[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x < w; ++x) d[x] = palette[(x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4];
        break;
      case 8:
        for (int x = 0; x < w; ++x) d[x] = palette[s[x]];
        break;
      case 24:
        for (int x = 0; x < w; ++x, s += 3)
          d[x] = 0xFF000000u | (std::uint32_t{s[2]} << 16) | (std::uint32_t{s[1]} << 8) | s[0];
        break;
      default: {
        const int bytes = h.bpp / 8;
        for (int x = 0; x < w; ++x, s += bytes) {
          std::uint32_t px = bytes == 2 ? (s[0] | (s[1] << 8))
                                        : (s[0] | (s[1] << 8) | (s[2] << 16) | (std::uint32_t{s[3]} << 24));
          d[x] = (ch[3].Get(px, 255) << 24) | (ch[0].Get(px, 0) << 16) | (ch[1].Get(px, 0) << 8) |
                 ch[2].Get(px, 0);
        }
      }
    }
  }
  return true;
}

}  // namespace d3dx_image
