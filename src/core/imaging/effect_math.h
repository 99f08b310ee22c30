#pragma once
// Integer helpers shared by the pixel effects.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace fotela::effect_math {

// A written channel is kept inside 0..255: colour pairs that are not hexadecimal give
// negative channels, which no pixel can hold.
inline std::uint8_t channelByte(long long value) {
  return static_cast<std::uint8_t>(std::clamp<long long>(value, 0, 255));
}

// Floor of numerator / denominator for denominator > 0. The effects' numerators stay far
// below 2^53, where this equals flooring the double-precision quotient.
inline long long floorDiv(long long numerator, long long denominator) {
  long long q = numerator / denominator;
  if (numerator % denominator != 0 && numerator < 0) --q;
  return q;
}

// Rounded to the nearest integer, ties to even (the default rounding mode, as
// roundHalfEven of common/numbers.h; inline here for the per-pixel loops).
inline int roundToInt(double v) {
  return static_cast<int>(std::nearbyint(v));
}

}  // namespace fotela::effect_math
