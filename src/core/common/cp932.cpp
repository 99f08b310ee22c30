#include "common/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <utility>

#include "common/text.h"

namespace fotela {
namespace {

// One conversion descriptor per thread and direction.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can; returns the number of input bytes consumed. Stops at the
  // first sequence it cannot convert (invalid or unrepresentable).
  std::size_t convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, outPtr - buffer);
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    // Flush any shift state (CP932 has none, but be correct).
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, outPtr - buffer);
    return in.size() - inLeft;
  }

 private:
  iconv_t cd_;
};

Converter& toCp932() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}
Converter& fromCp932() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

// Length of the UTF-8 sequence starting at text[0] and its code point; an invalid lead
// byte counts as one byte standing for U+FFFD.
std::size_t utf8Sequence(std::string_view text, char32_t& codePoint) {
  const auto b0 = static_cast<unsigned char>(text[0]);
  const std::size_t length = utf8SequenceLength(b0);
  if ((length == 1 && b0 >= 0x80) || length > text.size()) {
    codePoint = 0xFFFD;
    return 1;
  }
  codePoint = length == 1 ? b0 : b0 & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) != 0x80) {
      codePoint = 0xFFFD;
      return 1;
    }
    codePoint = (codePoint << 6) | (b & 0x3F);
  }
  return length;
}

// Characters that CP932 stores as the bytes of another character, so that they read back
// changed: "¥" and "‾" as 0x5C and 0x7E (a backslash and a tilde), "¢", "£" and "¬" as
// their full-width forms, "—", "‖", "−" and "〜" as the look-alikes 0x815C, 0x8161,
// 0x817C and 0x8160 stand for. They never go through the converter.
constexpr std::string_view kChangedByCp932[] = {"\xC2\xA2",     "\xC2\xA3",     "\xC2\xA5",
                                                "\xC2\xAC",     "\xE2\x80\x94", "\xE2\x80\x96",
                                                "\xE2\x80\xBE", "\xE2\x88\x92", "\xE3\x80\x9C"};

// Where the first of them starts in `utf8` (npos when none), and its length.
std::pair<std::size_t, std::size_t> findChangedByCp932(std::string_view utf8) {
  std::pair<std::size_t, std::size_t> first{std::string_view::npos, 0};
  for (std::string_view c : kChangedByCp932)
    if (const std::size_t at = utf8.find(c); at < first.first) first = {at, c.size()};
  return first;
}

void appendReference(std::string& out, char32_t codePoint) {
  out += "&#" + std::to_string(static_cast<unsigned long>(codePoint)) + ";";
}

// Converts text free of the two look-alikes, "&#N;" for what CP932 cannot hold.
void appendWithReferences(std::string& out, std::string_view utf8) {
  while (!utf8.empty()) {
    const std::size_t done = toCp932().convert(utf8, out);
    utf8.remove_prefix(done);
    if (utf8.empty()) break;
    char32_t codePoint = 0;
    const std::size_t length = utf8Sequence(utf8, codePoint);
    appendReference(out, codePoint);
    utf8.remove_prefix(length);
  }
}

}  // namespace

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
  // A "¥" stored as 0x5C would read back as "\": the text does not fit.
  if (findChangedByCp932(utf8).first != std::string_view::npos) return std::nullopt;
  std::string out;
  if (toCp932().convert(utf8, out) != utf8.size()) return std::nullopt;
  return out;
}

std::string utf8ToCp932WithReferences(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (;;) {
    const auto [at, length] = findChangedByCp932(utf8);
    appendWithReferences(out, utf8.substr(0, at));
    if (at == std::string_view::npos) break;
    char32_t codePoint = 0;
    utf8Sequence(utf8.substr(at), codePoint);
    appendReference(out, codePoint);
    utf8.remove_prefix(at + length);
  }
  return out;
}

std::string cp932ToUtf8(std::string_view cp932) {
  // Bytes below 0x80 are ASCII in CP932 as in UTF-8: most lines of data files need no
  // conversion at all.
  if (std::all_of(cp932.begin(), cp932.end(), [](char c) { return (c & 0x80) == 0; }))
    return std::string(cp932);
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  while (!cp932.empty()) {
    const std::size_t done = fromCp932().convert(cp932, out);
    cp932.remove_prefix(done);
    if (cp932.empty()) break;
    out += "\xEF\xBF\xBD";  // U+FFFD for the byte that could not be read
    cp932.remove_prefix(1);
  }
  return out;
}

std::string encodeDataFile(std::string_view utf8) {
  if (auto cp932 = utf8ToCp932(utf8)) return *cp932;
  return std::string(kUtf8Bom) + std::string(utf8);
}

std::string decodeDataFile(std::string_view bytes) {
  const bool utf8 = bytes.starts_with(kUtf8Bom);
  if (utf8) bytes.remove_prefix(kUtf8Bom.size());
  return decodeDataText(bytes, utf8);
}

std::string decodeDataText(std::string_view bytes, bool utf8) {
  if (!utf8) return cp932ToUtf8(bytes);
  // A damaged or foreign file may hold bytes that are no UTF-8: each such byte becomes
  // U+FFFD, as unreadable CP932 bytes do, so the program's text is always UTF-8.
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t c = 0;
    const std::size_t length = utf8Sequence(bytes, c);
    const bool overlong =
        (length == 2 && c < 0x80) || (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    const bool invalid =
        (length == 1 && c == 0xFFFD) || overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF);
    if (invalid) {
      out += "\xEF\xBF\xBD";
      bytes.remove_prefix(1);
    } else {
      out.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return out;
}

}  // namespace fotela
