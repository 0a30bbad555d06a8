// Bit-level half-precision conversions.
#include "platform/d3d9/formats/half_float.h"

#include <cstring>

namespace d3d9_formats {

float HalfToFloat(std::uint16_t h) {
  const std::uint32_t sign = static_cast<std::uint32_t>(h & 0x8000u) << 16;
  const std::uint32_t exp = (h >> 10) & 0x1f;
  std::uint32_t man = h & 0x3ffu;
  std::uint32_t bits;
  if (exp == 0) {
    if (man == 0) {
      bits = sign;
    } else {  // subnormal: normalise
      int e = -1;
      do {
        ++e;
        man <<= 1;
      } while ((man & 0x400u) == 0);
      bits = sign | (static_cast<std::uint32_t>(127 - 15 - e) << 23) | ((man & 0x3ffu) << 13);
    }
  } else if (exp == 31) {
    bits = sign | 0x7f800000u | (man << 13);
  } else {
    bits = sign | ((exp + 127 - 15) << 23) | (man << 13);
  }
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

std::uint16_t FloatToHalf(float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  const std::uint16_t sign = static_cast<std::uint16_t>((bits >> 16) & 0x8000u);
  const std::uint32_t exp = (bits >> 23) & 0xff;
  std::uint32_t man = bits & 0x7fffffu;
  if (exp == 255) return static_cast<std::uint16_t>(sign | 0x7c00u | (man ? 0x200u : 0));
  const int e = static_cast<int>(exp) - 127 + 15;
  if (e >= 31) return static_cast<std::uint16_t>(sign | 0x7c00u);
  if (e <= 0) {
    if (e < -10) return sign;
    man |= 0x800000u;
    const int shift = 14 - e;
    std::uint32_t half = man >> shift;
    const std::uint32_t rest = man & ((1u << shift) - 1);
    const std::uint32_t mid = 1u << (shift - 1);
    if (rest > mid || (rest == mid && (half & 1))) ++half;
    return static_cast<std::uint16_t>(sign | half);
  }
  std::uint32_t half = (static_cast<std::uint32_t>(e) << 10) | (man >> 13);
  const std::uint32_t rest = man & 0x1fffu;
  if (rest > 0x1000u || (rest == 0x1000u && (half & 1))) ++half;  // may carry into the exponent, as it should
  return static_cast<std::uint16_t>(sign | half);
}

}  // namespace d3d9_formats
