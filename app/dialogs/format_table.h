// FormatTable: the names and values of the texture formats offered by
// "Create New Texture", sorted by name.
#pragma once

#include "platform/d3d9/d3d9.h"

struct FormatEntry {
  const char* name;  // null in the unused last slot
  D3DFORMAT value;
};

constexpr int kFormatSlots = 38;
constexpr int kFormatCount = 37;

extern FormatEntry FormatTable[kFormatSlots];

// Fills the 37 entries in their listing order, then bubble-sorts them by
// name byte by byte, stopping after a pass without exchanges.
void FillFormatTable();
// The index of the entry with this name, or -1.
int FindFormat(const char* name);
