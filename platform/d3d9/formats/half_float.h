// IEEE half-precision conversions: the one converter behind the 16-bit
// float formats, for the device and for D3DX alike.
#pragma once

#include <cstdint>

namespace d3d9_formats {

// Exact for every half, NaN payloads included.
float HalfToFloat(std::uint16_t h);
// Rounds to nearest, ties to even; values past the largest half become
// infinity, NaN stays a quiet NaN of the same sign.
std::uint16_t FloatToHalf(float f);

}  // namespace d3d9_formats
