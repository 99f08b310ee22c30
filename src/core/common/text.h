#pragma once
// Text helpers. Positions are 1-based byte positions in UTF-8 text (the same as
// character positions for the ASCII separators callers search for); -1 = not found.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fotela {

int CountOccurrences(std::string_view text, char ch);
int FindNth(std::string_view text, std::string_view search, int n);
inline int FindFirst(std::string_view text, std::string_view search) {
  return FindNth(text, search, 1);
}

// Every character of `separators` ends a field; fields count from 1.
std::string FieldOf(std::string_view text, std::string_view separators, int n);
// 0 and the field in `out` when field n exists; -1 and "" otherwise.
int TryFieldOf(std::string& out, std::string_view text, std::string_view separators, int n);

std::string ReplaceAll(std::string_view text, std::string_view search,
                       std::string_view replacement);

// Hex digits accumulate; any other character makes the result negative.
int HexToNumber(std::string_view text);
// Colour packed R + G*256 + B*65536 -> "RRGGBB" (upper-case hex).
std::string ColorToHex(std::int32_t colour);

// Byte length of the UTF-8 sequence that starts with `lead` (1 for a byte that cannot
// start one).
std::size_t utf8SequenceLength(unsigned char lead);
// The length of the well-formed UTF-8 sequence at the start of `text` (no overlong forms,
// no surrogates, nothing past U+10FFFF); 0 when the bytes there are not one.
std::size_t validUtf8Length(std::string_view text);

// ASCII-only case folding, as the file system lookups use it.
std::string asciiUpper(std::string_view text);
std::string asciiLower(std::string_view text);
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace fotela
