// FormatTable: filled in its listing order and then sorted by name.
#include "app/dialogs/format_table.h"

#include <cstring>
#include <utility>

FormatEntry FormatTable[kFormatSlots] = {};

void FillFormatTable() {
#define VORNEL_FORMAT(f) {#f, f}
  static const FormatEntry kListed[kFormatCount] = {
      VORNEL_FORMAT(D3DFMT_R8G8B8),        VORNEL_FORMAT(D3DFMT_A8R8G8B8),
      VORNEL_FORMAT(D3DFMT_X8R8G8B8),      VORNEL_FORMAT(D3DFMT_R5G6B5),
      VORNEL_FORMAT(D3DFMT_X1R5G5B5),      VORNEL_FORMAT(D3DFMT_A1R5G5B5),
      VORNEL_FORMAT(D3DFMT_A4R4G4B4),      VORNEL_FORMAT(D3DFMT_R3G3B2),
      VORNEL_FORMAT(D3DFMT_A8),            VORNEL_FORMAT(D3DFMT_A8R3G3B2),
      VORNEL_FORMAT(D3DFMT_X4R4G4B4),      VORNEL_FORMAT(D3DFMT_A2B10G10R10),
      VORNEL_FORMAT(D3DFMT_A8B8G8R8),      VORNEL_FORMAT(D3DFMT_X8B8G8R8),
      VORNEL_FORMAT(D3DFMT_G16R16),        VORNEL_FORMAT(D3DFMT_A2R10G10B10),
      VORNEL_FORMAT(D3DFMT_A16B16G16R16),  VORNEL_FORMAT(D3DFMT_A8P8),
      VORNEL_FORMAT(D3DFMT_P8),            VORNEL_FORMAT(D3DFMT_L8),
      VORNEL_FORMAT(D3DFMT_A8L8),          VORNEL_FORMAT(D3DFMT_A4L4),
      VORNEL_FORMAT(D3DFMT_R8G8_B8G8),     VORNEL_FORMAT(D3DFMT_YUY2),
      VORNEL_FORMAT(D3DFMT_G8R8_G8B8),     VORNEL_FORMAT(D3DFMT_DXT1),
      VORNEL_FORMAT(D3DFMT_DXT2),          VORNEL_FORMAT(D3DFMT_DXT3),
      VORNEL_FORMAT(D3DFMT_DXT4),          VORNEL_FORMAT(D3DFMT_DXT5),
      VORNEL_FORMAT(D3DFMT_L16),           VORNEL_FORMAT(D3DFMT_R16F),
      VORNEL_FORMAT(D3DFMT_G16R16F),       VORNEL_FORMAT(D3DFMT_A16B16G16R16F),
      VORNEL_FORMAT(D3DFMT_R32F),          VORNEL_FORMAT(D3DFMT_G32R32F),
      VORNEL_FORMAT(D3DFMT_A32B32G32R32F),
  };
#undef VORNEL_FORMAT
  for (int i = 0; i < kFormatCount; ++i) FormatTable[i] = kListed[i];
  FormatTable[kFormatCount] = FormatEntry{nullptr, D3DFMT_UNKNOWN};

  bool exchanged = true;
  while (exchanged) {
    exchanged = false;
    for (int i = 0; i + 1 < kFormatCount; ++i) {
      if (std::strcmp(FormatTable[i].name, FormatTable[i + 1].name) > 0) {
        std::swap(FormatTable[i], FormatTable[i + 1]);
        exchanged = true;
      }
    }
  }
}

int FindFormat(const char* name) {
  for (int i = 0; i < kFormatCount; ++i) {
    if (FormatTable[i].name && std::strcmp(FormatTable[i].name, name) == 0) return i;
  }
  return -1;
}
