#include "common/text.h"

#include <algorithm>

namespace fotela {

int CountOccurrences(std::string_view text, char ch) {
  return static_cast<int>(std::count(text.begin(), text.end(), ch));
}

int FindNth(std::string_view text, std::string_view search, int n) {
  if (search.empty() || n < 1) return -1;
  int hits = 0;
  // Overlapping occurrences count: the next try starts one position after a hit.
  for (std::size_t pos = text.find(search); pos != std::string_view::npos;
       pos = text.find(search, pos + 1)) {
    if (++hits == n) return static_cast<int>(pos) + 1;
  }
  return -1;
}

int TryFieldOf(std::string& out, std::string_view text, std::string_view separators, int n) {
  out.clear();
  if (n < 1) return -1;
  std::size_t start = 0;
  for (int field = 1;; ++field) {
    std::size_t end = text.find_first_of(separators, start);
    if (field == n) {
      out.assign(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
      return 0;
    }
    if (end == std::string_view::npos) return -1;
    start = end + 1;
  }
}

std::string FieldOf(std::string_view text, std::string_view separators, int n) {
  std::string field;
  TryFieldOf(field, text, separators, n);
  return field;
}

std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement) {
  if (search.empty()) return std::string(text);
  // One pass over the original text: a replacement is never searched again, so a
  // replacement that contains the search string cannot loop.
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t pos = text.find(search); pos != std::string_view::npos;
       pos = text.find(search, start)) {
    out.append(text.substr(start, pos - start));
    out.append(replacement);
    start = pos + search.size();
  }
  out.append(text.substr(start));
  return out;
}

int HexToNumber(std::string_view text) {
  long value = 0;
  int sign = 1;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      value = value * 16 + (c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value = value * 16 + (c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      value = value * 16 + (c - 'A' + 10);
    } else {
      sign = -1;
    }
    // Callers pass two-digit pairs; keep absurd input from overflowing.
    if (value > 0x7FFFFFF) value = 0x7FFFFFF;
  }
  return static_cast<int>(value * sign);
}

std::string ColorToHex(std::int32_t colour) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto byteHex = [](unsigned v) { return std::string{kDigits[(v >> 4) & 0xF], kDigits[v & 0xF]}; };
  const auto c = static_cast<std::uint32_t>(colour);
  return byteHex(c & 0xFF) + byteHex((c >> 8) & 0xFF) + byteHex((c >> 16) & 0xFF);
}

std::size_t utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 6) return 2;
  if ((lead >> 4) == 14) return 3;
  if ((lead >> 3) == 30) return 4;
  return 1;
}

std::size_t validUtf8Length(std::string_view text) {
  if (text.empty()) return 0;
  const auto b0 = static_cast<unsigned char>(text[0]);
  if (b0 < 0x80) return 1;
  // The range of the second byte depends on the lead byte; the others are 80..BF.
  unsigned char low = 0x80, high = 0xBF;
  std::size_t length = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace fotela
