#include "common/numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace fotela {

double leadingNumber(std::string_view text) {
  std::size_t i = 0;
  auto blank = [&](std::size_t k) {
    return k < text.size() && (text[k] == ' ' || text[k] == '\t');
  };
  while (blank(i)) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  bool digits = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    number += text[i++];
    digits = true;
  }
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      number += text[i++];
      digits = true;
    }
  }
  if (!digits) return 0.0;
  // An exponent counts only when digits follow it ("12e" is 12).
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    bool expDigits = false;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      exponent += text[j++];
      expDigits = true;
    }
    if (expDigits) number += exponent;
  }
  double value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value) ? value
                              : (value > 0 ? std::numeric_limits<double>::max()
                                           : std::numeric_limits<double>::lowest());
}

double roundHalfEven(double value) {
  return std::nearbyint(value);
}

std::optional<std::int16_t> tryReadInt16(std::string_view text) {
  const double rounded = roundHalfEven(leadingNumber(text));
  if (rounded < std::numeric_limits<std::int16_t>::min() ||
      rounded > std::numeric_limits<std::int16_t>::max())
    return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::int16_t readInt16(std::string_view text, std::int16_t fallback) {
  return tryReadInt16(text).value_or(fallback);
}

std::string signedNumberText(long long value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string plainNumberText(long long value) {
  return std::to_string(value);
}

}  // namespace fotela
