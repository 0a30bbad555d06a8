// Composing the contact sheet from the frames' PNG files.
#include "app/sweep/contact_sheet.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/sweep/label_font.h"
#include "platform/d3dx/image/image_io.h"
#include "platform/win32/png_file.h"

namespace {

constexpr int kGap = 12;
constexpr int kHeading = 30;
constexpr int kLabels = 2 * kLabelHeight + 4;
constexpr std::uint32_t kBackground = 0x202226;
constexpr std::uint32_t kMissing = 0x505050;
constexpr std::uint32_t kTitleColour = 0xF0F0F0;
constexpr std::uint32_t kDetailColour = 0xA8B0B8;

bool ReadPicture(const std::string& path, d3dx_image::Image* image) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return !bytes.empty() && d3dx_image::ReadImage(bytes.data(), bytes.size(), *image) && image->width > 0 &&
         image->height > 0;
}

void Fill(SheetPixels& sheet, int x, int y, int w, int h, std::uint32_t colour) {
  for (int row = std::max(0, y); row < std::min(sheet.height, y + h); ++row)
    for (int col = std::max(0, x); col < std::min(sheet.width, x + w); ++col)
      sheet.pixels[static_cast<std::size_t>(row) * sheet.width + col] = colour;
}

void Paste(SheetPixels& sheet, const SheetPixels& picture, int x, int y) {
  for (int row = 0; row < picture.height; ++row)
    for (int col = 0; col < picture.width; ++col) {
      int px = x + col, py = y + row;
      if (px < 0 || py < 0 || px >= sheet.width || py >= sheet.height) continue;
      sheet.pixels[static_cast<std::size_t>(py) * sheet.width + px] =
          picture.pixels[static_cast<std::size_t>(row) * picture.width + col];
    }
}

PixelCanvas Canvas(SheetPixels& sheet) { return PixelCanvas{sheet.width, sheet.height, sheet.pixels.data()}; }

}  // namespace

SheetPixels FitPicture(const std::uint32_t* argb, int width, int height, int w, int h) {
  SheetPixels out;
  if (!argb || width <= 0 || height <= 0 || w <= 0 || h <= 0) return out;
  // Keep the shape: the side that fits less sets the scale.
  if (static_cast<long long>(width) * h > static_cast<long long>(height) * w) {
    out.width = w;
    out.height = std::max(1, static_cast<int>(static_cast<long long>(height) * w / width));
  } else {
    out.height = h;
    out.width = std::max(1, static_cast<int>(static_cast<long long>(width) * h / height));
  }
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
  for (int ty = 0; ty < out.height; ++ty) {
    int y0 = static_cast<int>(static_cast<long long>(ty) * height / out.height);
    int y1 = std::max(y0 + 1, static_cast<int>(static_cast<long long>(ty + 1) * height / out.height));
    for (int tx = 0; tx < out.width; ++tx) {
      int x0 = static_cast<int>(static_cast<long long>(tx) * width / out.width);
      int x1 = std::max(x0 + 1, static_cast<int>(static_cast<long long>(tx + 1) * width / out.width));
      unsigned long long r = 0, g = 0, b = 0, n = 0;
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx) {
          std::uint32_t p = argb[static_cast<std::size_t>(sy) * width + sx];
          r += (p >> 16) & 0xFF;
          g += (p >> 8) & 0xFF;
          b += p & 0xFF;
          ++n;
        }
      out.pixels[static_cast<std::size_t>(ty) * out.width + tx] =
          static_cast<std::uint32_t>(((r / n) << 16) | ((g / n) << 8) | (b / n));
    }
  }
  return out;
}

SheetPixels ComposeContactSheet(const std::string& heading, const std::vector<ContactItem>& items,
                                ContactSheetLayout layout) {
  const int columns = std::max(1, std::min<int>(layout.columns, std::max<int>(1, static_cast<int>(items.size()))));
  const int rows = static_cast<int>((items.size() + columns - 1) / columns);
  const int cell_w = layout.thumbWidth + kGap;
  const int cell_h = layout.thumbHeight + kLabels + kGap;
  SheetPixels sheet;
  sheet.width = std::max(kGap + columns * cell_w, kGap + 8 * static_cast<int>(heading.size()) + kGap);
  sheet.height = kHeading + rows * cell_h + kGap;
  sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height, kBackground);
  DrawLabel(Canvas(sheet), kGap, 8, heading, kTitleColour);

  const int label_columns = layout.thumbWidth / kLabelAdvance;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int x = kGap + static_cast<int>(i % columns) * cell_w;
    const int y = kHeading + static_cast<int>(i / columns) * cell_h;
    d3dx_image::Image image;
    if (ReadPicture(items[i].picture, &image)) {
      SheetPixels thumb = FitPicture(image.argb.data(), image.width, image.height, layout.thumbWidth, layout.thumbHeight);
      // Centred in its box, on the box's own black.
      Fill(sheet, x, y, layout.thumbWidth, layout.thumbHeight, 0x000000);
      Paste(sheet, thumb, x + (layout.thumbWidth - thumb.width) / 2, y + (layout.thumbHeight - thumb.height) / 2);
    } else {
      Fill(sheet, x, y, layout.thumbWidth, layout.thumbHeight, kMissing);
      DrawLabel(Canvas(sheet), x + 8, y + layout.thumbHeight / 2 - kLabelHeight / 2, "no picture", kTitleColour);
    }
    DrawLabel(Canvas(sheet), x, y + layout.thumbHeight + 3, FitLabel(items[i].title, label_columns), kTitleColour);
    DrawLabel(Canvas(sheet), x, y + layout.thumbHeight + 3 + kLabelHeight + 1, FitLabel(items[i].detail, label_columns),
              kDetailColour);
  }
  return sheet;
}

bool WriteContactSheet(const std::string& path, const std::string& heading, const std::vector<ContactItem>& items,
                       std::string* error) {
  SheetPixels sheet = ComposeContactSheet(heading, items);
  std::string why;
  if (!WritePixelsPng(path.c_str(), sheet.pixels.data(), sheet.width, sheet.height, sheet.width, &why)) {
    *error = "cannot write '" + path + "': " + why;
    return false;
  }
  return true;
}
