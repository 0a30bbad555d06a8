// Converts rows of pixels between any uncompressed format of the format
// table and ARGB: 8-bit D3DCOLOR words (the integer path, which the device
// uses) or floats (the float path, which D3DX's filters use). One decoder
// and one encoder per kind of row; the channel fields come from the table.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/formats/half_float.h"

namespace d3d9_formats {

// Channel values of formats that lack them, as Direct3D samples them:
// missing alpha reads 1; missing colour channels of red-only and red-green
// formats (G16R16, R16F, G32R32F ...) read 1; luminance formats repeat L in
// red, green and blue; D3DFMT_A8 reads black. Encoding keeps the channels
// the format has; luminance is 0.2125 R + 0.7154 G + 0.0721 B.
//
// Float pixels are four floats in the order r, g, b, a. Values of 8-bit and
// other unsigned normalised formats lie in [0, 1]; float formats keep their
// range when decoded to floats and are clamped to [0, 1] for 8-bit words.
//
// The palette formats P8 and A8P8 take a 256-entry palette of ARGB words
// (its alpha is used for P8); without one, decoding yields grey levels of
// the index and encoding fails. Encoding picks the nearest palette entry.
// The two-pixel packed formats (YUY2, UYVY, R8G8_B8G8, G8R8_G8B8) share one
// chroma value per pair; `width` may be odd (the last pair is half used).
// YUV uses the BT.601 studio-range equations.
//
// Unused bits are written as zero, except the row's x field (the X byte of
// the X8 formats), written as ones.
//
// Both paths read and write the same values: an n-bit field reads as
// raw / (2^n - 1) (A8R8G8B8 and X8R8G8B8 as raw * (1 / 255), as FromArgb
// reads a colour), the integer path rounds that to 8 bits, and an 8-bit
// colour encodes to the same bytes through either path (single floats to
// within one unit in the last place).
//
// Every function returns false, writing nothing, for a format the codec
// does not handle (block-compressed, depth, index and signed formats; the
// table row's kUseRowCodec says which).

bool CanConvertRows(D3DFORMAT format);

bool DecodeRow(D3DFORMAT format, const void* src, UINT width, std::uint32_t* argb,
               const std::uint32_t* palette = nullptr);
bool DecodeRowFloat(D3DFORMAT format, const void* src, UINT width, float* rgba,
                    const std::uint32_t* palette = nullptr);
bool EncodeRow(D3DFORMAT format, const std::uint32_t* argb, UINT width, void* dst,
               const std::uint32_t* palette = nullptr);
bool EncodeRowFloat(D3DFORMAT format, const float* rgba, UINT width, void* dst,
                    const std::uint32_t* palette = nullptr);

// Luminance of a colour, as the luminance formats store it.
inline float Luminance(float r, float g, float b) { return 0.2125f * r + 0.7154f * g + 0.0721f * b; }

// Four floats r, g, b, a to an ARGB word, each clamped to [0, 1] and rounded
// to nearest (NaN reads 0): how the float path meets 8-bit words.
std::uint32_t FloatToArgb(const float* rgba);

}  // namespace d3d9_formats
