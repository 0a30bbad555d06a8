// libFuzzer entry: every picture reader on the same bytes. A reader may
// refuse the input; it must never read or write outside it or its own
// buffers, and what it accepts must be a consistent picture.
#include <cstdlib>

#include "platform/d3dx/image/image_io.h"

using namespace d3dx_image;

namespace {

void Check(bool ok, const Image& img) {
  if (!ok) return;
  if (img.width <= 0 || img.height <= 0 || !SizeAcceptable(img.width, img.height) ||
      img.argb.size() != static_cast<std::size_t>(img.width) * img.height)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Image img;
  Check(ReadImage(data, size, img), img);
  Check(ReadBmp(data, size, img), img);
  Check(ReadTga(data, size, img), img);
  Check(ReadPng(data, size, img), img);
  Check(ReadJpeg(data, size, img), img);
  return 0;
}
