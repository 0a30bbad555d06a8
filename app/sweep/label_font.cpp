// Drawing labels from the engine's font bitmap.
#include "app/sweep/label_font.h"

#include <vector>

#include "engine/render/font_bitmap.h"
#include "platform/d3dx/image/image_io.h"

namespace {

// The glyphs keep to columns 0..13 of their cell, centred on an advance
// of about 8 pixels, and to rows 1..14.
constexpr int kCell = 16;
constexpr int kFirstColumn = 3;
constexpr int kFirstRow = 1;

// The font as coverage, 1 for ink; decoded once.
const d3dx_image::Image& FontImage() {
  static const d3dx_image::Image font = [] {
    d3dx_image::Image image;
    if (!d3dx_image::ReadBmp(kFontBitmap, kFontBitmapSize, image)) image = d3dx_image::Image{};
    return image;
  }();
  return font;
}

std::uint32_t Blend(std::uint32_t under, std::uint32_t over, unsigned alpha) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    unsigned a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
    out |= ((a * (255 - alpha) + b * alpha) / 255) << shift;
  }
  return out;
}

}  // namespace

void DrawLabel(PixelCanvas canvas, int x, int y, const std::string& text, std::uint32_t colour) {
  const d3dx_image::Image& font = FontImage();
  if (font.width < kCell * 16 || font.height < kCell * 16 || !canvas.pixels) return;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned code = static_cast<unsigned char>(text[i]);
    const int cell_x = static_cast<int>(code % 16) * kCell + kFirstColumn;
    const int cell_y = static_cast<int>(code / 16) * kCell + kFirstRow;
    const int left = x + static_cast<int>(i) * kLabelAdvance;
    for (int gy = 0; gy < kLabelHeight; ++gy) {
      const int py = y + gy;
      if (py < 0 || py >= canvas.height) continue;
      for (int gx = 0; gx < kLabelAdvance + 1; ++gx) {
        const int px = left + gx;
        if (px < 0 || px >= canvas.width) continue;
        const unsigned ink = font.at(cell_x + gx, cell_y + gy) & 0xFF;
        if (ink == 0) continue;
        std::uint32_t& p = canvas.pixels[static_cast<std::size_t>(py) * canvas.width + px];
        p = Blend(p, colour, ink);
      }
    }
  }
}

std::string FitLabel(const std::string& text, int columns) {
  if (columns <= 0) return "";
  if (static_cast<int>(text.size()) <= columns) return text;
  if (columns <= 2) return text.substr(0, static_cast<std::size_t>(columns));
  return text.substr(0, static_cast<std::size_t>(columns - 2)) + "..";
}
