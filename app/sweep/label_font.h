// Small labels drawn into 32-bit pixels with the engine's built-in font:
// the glyphs of its 16 x 16 cells, 8 pixels apart and 14 pixels high.
#pragma once

#include <cstdint>
#include <string>

constexpr int kLabelAdvance = 8;
constexpr int kLabelHeight = 14;

// A block of X8R8G8B8 pixels, rows top-down.
struct PixelCanvas {
  int width = 0;
  int height = 0;
  std::uint32_t* pixels = nullptr;  // width * height words
};

// Draws `text` (Windows-1252 codes) with its top-left corner at (x, y),
// clipped to the canvas. Ink is blended over what is there with `colour`.
void DrawLabel(PixelCanvas canvas, int x, int y, const std::string& text, std::uint32_t colour);

// `text` cut to at most `columns` characters, ending in ".." when cut.
std::string FitLabel(const std::string& text, int columns);
