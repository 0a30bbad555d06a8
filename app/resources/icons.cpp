// Icons 107 (large) and 108 (small): a bar chart on a dark tile, drawn at
// the size asked for.
#include "app/resources/resources.h"

IconResource ApplicationIcon(int size) {
  IconResource icon;
  icon.width = size;
  icon.height = size;
  icon.argb.assign(static_cast<std::size_t>(size) * size, 0xFF202838u);
  // Four bars of rising height, in the colours of the bench's primitives.
  const std::uint32_t colours[4] = {0xFFE04040u, 0xFFE0C040u, 0xFF40C060u, 0xFF4080E0u};
  int margin = size / 8;
  int slot = (size - 2 * margin) / 4;
  for (int bar = 0; bar < 4; ++bar) {
    int height = (size - 2 * margin) * (bar + 1) / 4;
    int x0 = margin + bar * slot + slot / 6;
    int x1 = margin + (bar + 1) * slot - slot / 6;
    for (int y = size - margin - height; y < size - margin; ++y) {
      for (int x = x0; x < x1; ++x) icon.argb[static_cast<std::size_t>(y) * size + x] = colours[bar];
    }
  }
  return icon;
}
