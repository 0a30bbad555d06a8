// Windows bitmap writer: 24-bit bottom-up rows, or 32-bit rows with a
// BITMAPV5HEADER whose masks carry alpha.
#include "platform/d3dx/image/image_io.h"

namespace d3dx_image {
namespace {

void Put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

}  // namespace

std::vector<std::uint8_t> WriteBmp(const Image& image, bool keepAlpha) {
  std::vector<std::uint8_t> v;
  if (image.width <= 0 || image.height <= 0 ||
      image.argb.size() != static_cast<std::size_t>(image.width) * image.height)
    return v;
  const std::uint32_t headerSize = keepAlpha ? 124 : 40;
  const std::uint32_t bpp = keepAlpha ? 32 : 24;
  const std::size_t stride = (static_cast<std::size_t>(image.width) * bpp + 31) / 32 * 4;
  const std::uint32_t offBits = 14 + headerSize;
  const std::size_t imageBytes = stride * image.height;
  v.reserve(offBits + imageBytes);

  v.push_back('B');
  v.push_back('M');
  Put32(v, static_cast<std::uint32_t>(offBits + imageBytes));
  Put32(v, 0);
  Put32(v, offBits);

  Put32(v, headerSize);
  Put32(v, static_cast<std::uint32_t>(image.width));
  Put32(v, static_cast<std::uint32_t>(image.height));  // positive: bottom-up
  Put16(v, 1);
  Put16(v, bpp);
  Put32(v, keepAlpha ? 3 : 0);  // BI_BITFIELDS or BI_RGB
  Put32(v, static_cast<std::uint32_t>(imageBytes));
  Put32(v, 2835);  // 72 dots per inch
  Put32(v, 2835);
  Put32(v, 0);
  Put32(v, 0);
  if (keepAlpha) {
    Put32(v, 0x00FF0000);
    Put32(v, 0x0000FF00);
    Put32(v, 0x000000FF);
    Put32(v, 0xFF000000);
    Put32(v, 0x73524742);  // 'sRGB'
    v.resize(v.size() + 36 + 12, 0);  // end points, gamma
    Put32(v, 4);  // rendering intent: pictures
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint32_t* s = image.argb.data() + static_cast<std::size_t>(y) * image.width;
    std::size_t start = v.size();
    for (int x = 0; x < image.width; ++x) {
      std::uint32_t c = s[x];
      v.push_back(static_cast<std::uint8_t>(c));
      v.push_back(static_cast<std::uint8_t>(c >> 8));
      v.push_back(static_cast<std::uint8_t>(c >> 16));
      if (keepAlpha) v.push_back(static_cast<std::uint8_t>(c >> 24));
    }
    v.resize(start + stride, 0);
  }
  return v;
}

}  // namespace d3dx_image
