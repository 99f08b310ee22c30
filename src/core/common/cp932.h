#pragma once
// UTF-8 inside the program, CP932 (Shift_JIS) in files.

#include <optional>
#include <string>
#include <string_view>

namespace fotela {

// UTF-8 -> CP932; nullopt when some character has no CP932 form of its own ("¥" and "‾",
// which CP932 writes as the bytes of "\" and "~", count as having none).
std::optional<std::string> utf8ToCp932(std::string_view utf8);
// UTF-8 -> CP932 with "&#N;" for every character CP932 cannot hold (pages); "¥" and "‾"
// are always "&#165;" and "&#8254;", so no page byte means "\" or "~" unless it is one.
std::string utf8ToCp932WithReferences(std::string_view utf8);
// CP932 -> UTF-8; bytes that are not valid CP932 become U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A data file's bytes: CP932 when every character fits, else UTF-8 after a byte-order mark.
std::string encodeDataFile(std::string_view utf8);
// Reverse of encodeDataFile: a leading byte-order mark means UTF-8, anything else CP932.
std::string decodeDataFile(std::string_view bytes);
// A piece of a data file (lines, or any bytes that end at a line break) after its
// byte-order mark, if any: `utf8` tells whether the file began with one.
std::string decodeDataText(std::string_view bytes, bool utf8);

}  // namespace fotela
