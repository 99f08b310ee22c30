#include "common/cp932.h"

#include <gtest/gtest.h>

namespace fotela {
namespace {

TEST(Cp932Test, JapaneseRoundTripsThroughShiftJis) {
  const std::string text = "アルバム作成中　ﾌｫﾃﾗ～①";
  auto encoded = utf8ToCp932(text);
  ASSERT_TRUE(encoded);
  EXPECT_EQ(encoded->substr(0, 2), "\x83\x41");  // ア
  EXPECT_EQ(cp932ToUtf8(*encoded), text);
  EXPECT_EQ(utf8ToCp932("abc"), "abc");
}

TEST(Cp932Test, CharactersOutsideCp932) {
  EXPECT_EQ(utf8ToCp932("caf\xC3\xA9"), std::nullopt);  // é
  EXPECT_EQ(utf8ToCp932WithReferences("caf\xC3\xA9 写真"), "caf&#233; \x8E\xCA\x90\x5E");
  EXPECT_EQ(utf8ToCp932WithReferences("\xF0\x9F\x98\x80"), "&#128512;");  // emoji
  EXPECT_EQ(utf8ToCp932WithReferences("a\xFF"
                                      "b"),
            "a&#65533;b");  // broken UTF-8
}

// CP932 writes "¥" and "‾" as the bytes of "\\" and "~": a page gets references, a data
// file falls back to UTF-8, so neither ever reads back as another character.
TEST(Cp932Test, AsciiLookalikesNeverBecomeAsciiBytes) {
  EXPECT_EQ(utf8ToCp932WithReferences("\\¥'‾~写¥"), "\\&#165;'&#8254;~\x8E\xCA&#165;");
  EXPECT_EQ(utf8ToCp932("¥1000"), std::nullopt);
  EXPECT_EQ(utf8ToCp932("a‾"), std::nullopt);
  const std::string bytes = encodeDataFile("¥1000,‾");
  EXPECT_EQ(bytes, std::string(kUtf8Bom) + "¥1000,‾");
  EXPECT_EQ(decodeDataFile(bytes), "¥1000,‾");
  // The others CP932 would give back as different characters go the same way.
  for (const char* c : {"¢", "£", "¬", "—", "‖", "−", "〜"}) {
    EXPECT_EQ(utf8ToCp932(std::string("9") + c), std::nullopt) << c;
    EXPECT_EQ(decodeDataFile(encodeDataFile(c)), c);
  }
  EXPECT_EQ(utf8ToCp932WithReferences("£5 〜 写"), "&#163;5 &#12316; \x8E\xCA");
}

TEST(Cp932Test, InvalidCp932BytesBecomeReplacementCharacters) {
  EXPECT_EQ(cp932ToUtf8("a\xA0"
                        "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(cp932ToUtf8("\x83"), "\xEF\xBF\xBD");  // a lead byte cut off at the end
}

TEST(Cp932Test, DataFilesFallBackToUtf8WithAByteOrderMark) {
  EXPECT_EQ(encodeDataFile("写真"), "\x8E\xCA\x90\x5E");
  const std::string foreign = "Ça va, 한국어";
  const std::string bytes = encodeDataFile(foreign);
  EXPECT_EQ(bytes, std::string(kUtf8Bom) + foreign);
  EXPECT_EQ(decodeDataFile(bytes), foreign);
  EXPECT_EQ(decodeDataFile("\x8E\xCA\x90\x5E"), "写真");
  // After the mark, bytes that are no UTF-8 (a cut sequence, a stray continuation byte, an
  // overlong form, a surrogate) each read as U+FFFD; a real U+FFFD stays.
  const std::string damaged = std::string(kUtf8Bom) + "a\xE2(" + "\x98" + "b" + "\xC0\xAF" +
                              "\xED\xA0\x80" + "\xEF\xBF\xBD";
  EXPECT_EQ(decodeDataFile(damaged), "a\uFFFD(\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace fotela
