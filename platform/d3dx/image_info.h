// Bridges between decoded picture files and the D3DX records: the image
// information of a file, and its texels as floats.
#pragma once

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/image/image.h"
#include "platform/d3dx/surface_access.h"

namespace vornel::d3dx {

D3DXIMAGE_INFO InfoOf(const image::Image& image);

// The texels of `rect` (inside the picture) as floats.
TexelImage TexelsOf(const image::Image& image, const RECT& rect);

// Reads a whole file through the program's path rules. False when it cannot
// be opened or read.
bool ReadWholeFile(LPCSTR path, std::vector<std::uint8_t>& bytes);

}  // namespace vornel::d3dx
