// Builders for small picture files the image tests read: bitmaps of every
// layout assembled byte by byte, TGA files, and JPEG files made with libjpeg.
#pragma once

#include <cstdint>
#include <vector>

namespace d3dx_test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& v, std::uint32_t x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}
inline void Put32(Bytes& v, std::uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

struct BmpSpec {
  int width = 0;
  int height = 0;  // negative: top-down
  int bpp = 24;
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::uint32_t colorsUsed = 0;        // 0: palette.size() for 40-byte headers
  std::vector<std::uint32_t> masks;    // written after a 40-byte header, or inside a bigger one
  Bytes pixels;                        // rows as stored (padded), or the RLE stream
};

inline Bytes MakeBmp(const BmpSpec& s) {
  Bytes body;
  Put32(body, s.headerSize);
  if (s.headerSize == 12) {
    Put16(body, static_cast<std::uint32_t>(s.width));
    Put16(body, static_cast<std::uint32_t>(s.height));
    Put16(body, 1);
    Put16(body, static_cast<std::uint32_t>(s.bpp));
  } else {
    Put32(body, static_cast<std::uint32_t>(s.width));
    Put32(body, static_cast<std::uint32_t>(s.height));
    Put16(body, 1);
    Put16(body, static_cast<std::uint32_t>(s.bpp));
    Put32(body, s.compression);
    Put32(body, static_cast<std::uint32_t>(s.pixels.size()));
    Put32(body, 2835);
    Put32(body, 2835);
    Put32(body, s.colorsUsed ? s.colorsUsed : static_cast<std::uint32_t>(s.palette.size()));
    Put32(body, 0);
    if (s.headerSize > 40) {
      for (std::size_t i = 0; i < 4; ++i) Put32(body, i < s.masks.size() ? s.masks[i] : 0);
      body.resize(s.headerSize, 0);
    } else {
      for (auto m : s.masks) Put32(body, m);
    }
  }
  for (auto c : s.palette) {
    body.push_back(static_cast<std::uint8_t>(c));
    body.push_back(static_cast<std::uint8_t>(c >> 8));
    body.push_back(static_cast<std::uint8_t>(c >> 16));
    if (s.headerSize != 12) body.push_back(0);
  }
  Bytes file{'B', 'M'};
  Put32(file, static_cast<std::uint32_t>(14 + body.size() + s.pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + body.size()));
  file.insert(file.end(), body.begin(), body.end());
  file.insert(file.end(), s.pixels.begin(), s.pixels.end());
  return file;
}

// Rows padded to four bytes from a list of row byte lists.
inline Bytes PadRows(const std::vector<Bytes>& rows) {
  Bytes out;
  for (const auto& r : rows) {
    out.insert(out.end(), r.begin(), r.end());
    out.resize(out.size() + (4 - r.size() % 4) % 4, 0);
  }
  return out;
}

struct TgaSpec {
  int imageType = 2;
  int width = 0, height = 0, bpp = 24;
  int descriptor = 0;
  std::vector<std::uint32_t> colourMap;  // 24-bit entries 0x00RRGGBB
  Bytes data;
};

inline Bytes MakeTga(const TgaSpec& s) {
  Bytes v;
  v.push_back(0);
  v.push_back(s.colourMap.empty() ? 0 : 1);
  v.push_back(static_cast<std::uint8_t>(s.imageType));
  Put16(v, 0);
  Put16(v, static_cast<std::uint32_t>(s.colourMap.size()));
  v.push_back(s.colourMap.empty() ? 0 : 24);
  Put16(v, 0);
  Put16(v, 0);
  Put16(v, static_cast<std::uint32_t>(s.width));
  Put16(v, static_cast<std::uint32_t>(s.height));
  v.push_back(static_cast<std::uint8_t>(s.bpp));
  v.push_back(static_cast<std::uint8_t>(s.descriptor));
  for (auto c : s.colourMap) {
    v.push_back(static_cast<std::uint8_t>(c));
    v.push_back(static_cast<std::uint8_t>(c >> 8));
    v.push_back(static_cast<std::uint8_t>(c >> 16));
  }
  v.insert(v.end(), s.data.begin(), s.data.end());
  return v;
}

// A baseline JPEG of the given ARGB texels (alpha ignored), quality 95.
Bytes MakeJpeg(int width, int height, const std::vector<std::uint32_t>& argb, bool grey = false,
               bool progressive = false);

}  // namespace d3dx_test
