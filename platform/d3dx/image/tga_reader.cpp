// Truevision TGA reader: colour-mapped, true-colour and grey pictures, raw
// or run-length encoded, in either row order.
#include <array>

#include "platform/d3dx/image/byte_reader.h"
#include "platform/d3dx/image/image_io.h"

namespace d3dx_image {
namespace {

struct TgaHeader {
  int idLength, mapType, imageType;
  int mapFirst, mapLength, mapEntryBits;
  int width, height, bpp, descriptor;
};

TgaHeader Parse(ByteReader& r) {
  TgaHeader h{};
  h.idLength = r.u8();
  h.mapType = r.u8();
  h.imageType = r.u8();
  h.mapFirst = r.u16();
  h.mapLength = r.u16();
  h.mapEntryBits = r.u8();
  r.skip(4);  // origin
  h.width = r.u16();
  h.height = r.u16();
  h.bpp = r.u8();
  h.descriptor = r.u8();
  return h;
}

bool Plausible(const TgaHeader& h) {
  int base = h.imageType & 7;
  if (h.imageType != base && h.imageType != base + 8) return false;
  if (h.mapType > 1 || h.width == 0 || h.height == 0) return false;
  switch (base) {
    case 1:
      return h.mapType == 1 && (h.bpp == 8 || h.bpp == 16) && h.mapLength > 0 &&
             (h.mapEntryBits == 15 || h.mapEntryBits == 16 || h.mapEntryBits == 24 || h.mapEntryBits == 32);
    case 2:
      return h.bpp == 15 || h.bpp == 16 || h.bpp == 24 || h.bpp == 32;
    case 3:
      return h.bpp == 8 || h.bpp == 16;
    default:
      return false;
  }
}

// One stored pixel of `bits` bits as ARGB.
std::uint32_t Colour(const std::uint8_t* p, int bits, bool grey, bool alpha16) {
  if (grey) {
    std::uint32_t l = p[0];
    std::uint32_t a = bits == 16 ? p[1] : 255;
    return (a << 24) | (l << 16) | (l << 8) | l;
  }
  switch (bits) {
    case 15:
    case 16: {
      std::uint32_t v = p[0] | (p[1] << 8);
      std::uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
      std::uint32_t a = (bits == 16 && alpha16) ? ((v & 0x8000) ? 255 : 0) : 255;
      return (a << 24) | (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
    }
    case 24:
      return 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    default:
      return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
  }
}

}  // namespace

bool ReadTga(const std::uint8_t* data, std::size_t size, Image& out) {
  ByteReader r(data, size);
  TgaHeader h = Parse(r);
  if (!r.ok() || !Plausible(h) || !SizeAcceptable(h.width, h.height)) return false;
  r.skip(h.idLength);

  const int base = h.imageType & 7;
  const bool rle = h.imageType >= 8;
  const int alphaBits = h.descriptor & 15;
  const bool alpha16 = alphaBits > 0;

  std::vector<std::uint32_t> map;
  if (h.mapType == 1) {
    std::size_t entryBytes = (h.mapEntryBits + 7) / 8;
    std::size_t bytes = entryBytes * h.mapLength;
    if (bytes > r.remaining()) return false;
    // A true-colour or grey picture may carry a map of any entry size; it
    // is skipped, not decoded (only mapped pictures have checked sizes).
    if (base == 1) {
      const std::uint8_t* p = r.here();
      map.resize(static_cast<std::size_t>(h.mapLength));
      for (int i = 0; i < h.mapLength; ++i) map[i] = Colour(p + i * entryBytes, h.mapEntryBits, false, alpha16);
    }
    r.skip(bytes);
  }

  // The pixel data must be able to cover the picture before we allocate it:
  // raw pixels one by one, run-length packets at most 128 per packet.
  const std::size_t pixelBytes = (h.bpp + 7) / 8;
  const std::size_t total = static_cast<std::size_t>(h.width) * h.height;
  if (rle ? total > r.remaining() / (1 + pixelBytes) * 128 : total * pixelBytes > r.remaining()) return false;

  out.width = h.width;
  out.height = h.height;
  out.kind = FileKind::Tga;
  out.argb.assign(total, 0);
  switch (base) {
    case 1:
      out.format = file_format::P8;
      break;
    case 3:
      out.format = h.bpp == 16 ? file_format::A8L8 : file_format::L8;
      break;
    default:
      out.format = h.bpp == 32   ? (alphaBits ? file_format::A8R8G8B8 : file_format::X8R8G8B8)
                   : h.bpp == 24 ? file_format::R8G8B8
                                 : (h.bpp == 16 && alpha16 ? file_format::A1R5G5B5 : file_format::X1R5G5B5);
  }

  auto decode = [&](const std::uint8_t* p) -> std::uint32_t {
    if (base != 1) {
      std::uint32_t c = Colour(p, h.bpp, base == 3, alpha16);
      if (h.bpp == 32 && !alphaBits) c |= 0xFF000000u;
      return c;
    }
    std::uint32_t index = pixelBytes == 1 ? p[0] : (p[0] | (p[1] << 8));
    if (index < static_cast<std::uint32_t>(h.mapFirst)) return 0xFF000000u;
    index -= h.mapFirst;
    return index < map.size() ? map[index] : 0xFF000000u;
  };

  std::vector<std::uint32_t> linear(total);
  if (!rle) {
    if (pixelBytes * total > r.remaining()) return false;
    const std::uint8_t* p = r.here();
    for (std::size_t i = 0; i < total; ++i) linear[i] = decode(p + i * pixelBytes);
  } else {
    std::size_t i = 0;
    while (i < total) {
      std::uint8_t packet = r.u8();
      std::size_t n = (packet & 127) + 1;
      if (!r.ok()) return false;
      if (n > total - i) n = total - i;  // a packet may not run past the picture
      if (packet & 128) {
        if (pixelBytes > r.remaining()) return false;
        std::uint32_t c = decode(r.here());
        r.skip(pixelBytes);
        for (std::size_t k = 0; k < n; ++k) linear[i++] = c;
      } else {
        if (pixelBytes * n > r.remaining()) return false;
        for (std::size_t k = 0; k < n; ++k) {
          linear[i++] = decode(r.here());
          r.skip(pixelBytes);
        }
      }
    }
  }

  const bool topDown = (h.descriptor & 0x20) != 0;
  const bool rightToLeft = (h.descriptor & 0x10) != 0;
  for (int y = 0; y < h.height; ++y) {
    const std::uint32_t* s = linear.data() + static_cast<std::size_t>(y) * h.width;
    int dy = topDown ? y : h.height - 1 - y;
    std::uint32_t* d = out.argb.data() + static_cast<std::size_t>(dy) * h.width;
    for (int x = 0; x < h.width; ++x) d[rightToLeft ? h.width - 1 - x : x] = s[x];
  }
  return true;
}

bool LooksLikeTga(const std::uint8_t* data, std::size_t size) {
  if (size < 18) return false;
  ByteReader r(data, size);
  TgaHeader h = Parse(r);
  return r.ok() && Plausible(h);
}

}  // namespace d3dx_image
