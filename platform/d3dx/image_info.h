// Bridges between decoded picture files and the D3DX records: the image
// information of a file, and its texels as floats.
#pragma once

#include "platform/d3dx/d3dx9.h"
#include "platform/d3dx/image/image.h"
#include "platform/d3dx/surface_access.h"

namespace d3dx_impl {

D3DXIMAGE_INFO InfoOf(const d3dx_image::Image& image);

// The texels of `rect` (inside the picture) as floats.
TexelImage TexelsOf(const d3dx_image::Image& image, const RECT& rect);

// Reads a whole file through the program's path rules. False when it cannot
// be opened or read.
bool ReadWholeFile(LPCSTR path, std::vector<std::uint8_t>& bytes);

}  // namespace d3dx_impl
