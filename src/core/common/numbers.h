#pragma once
// Reading numbers from text and the two print forms of integers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fotela {

// The text's leading decimal number (blanks before it skipped, the rest ignored);
// 0 when there is none.
double leadingNumber(std::string_view text);

// Round to the nearest integer, ties to even.
double roundHalfEven(double value);

// leadingNumber rounded half to even as a 16-bit integer; nullopt when out of range.
std::optional<std::int16_t> tryReadInt16(std::string_view text);
// The same, out-of-range values giving `fallback`.
std::int16_t readInt16(std::string_view text, std::int16_t fallback = 0);

// " 1024" / "-5": a blank in the sign position of a non-negative number.
std::string signedNumberText(long long value);
// "1024": the digits alone.
std::string plainNumberText(long long value);

}  // namespace fotela
