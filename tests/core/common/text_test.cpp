#include "common/text.h"

#include <gtest/gtest.h>

#include <string>

namespace fotela {
namespace {

TEST(TextTest, CountsAndFindsWithOneBasedPositions) {
  EXPECT_EQ(CountOccurrences("a/b/c/", '/'), 3);
  EXPECT_EQ(CountOccurrences("", '/'), 0);
  EXPECT_EQ(FindFirst("abcabc", "bc"), 2);
  EXPECT_EQ(FindNth("abcabc", "bc", 2), 5);
  EXPECT_EQ(FindNth("abcabc", "bc", 3), -1);
  EXPECT_EQ(FindFirst("abc", "x"), -1);
  EXPECT_EQ(FindFirst("abc", ""), -1);
  // Overlapping occurrences count.
  EXPECT_EQ(FindNth("aaaa", "aa", 2), 2);
  EXPECT_EQ(FindNth("aaaa", "aa", 3), 3);
}

TEST(TextTest, FieldsAreSplitAtEverySeparatorCharacter) {
  EXPECT_EQ(FieldOf("a,b,c", ",", 1), "a");
  EXPECT_EQ(FieldOf("a,b,c", ",", 2), "b");
  EXPECT_EQ(FieldOf("a,b,c", ",", 3), "c");
  EXPECT_EQ(FieldOf("a,b,c", ",", 4), "");
  EXPECT_EQ(FieldOf("abc", ",", 2), "");
  EXPECT_EQ(FieldOf("a,,c", ",", 2), "");
  EXPECT_EQ(FieldOf("a,,c", ",", 3), "c");
  EXPECT_EQ(FieldOf("a.b,c", ".,", 3), "c");

  std::string out = "stale";
  EXPECT_EQ(TryFieldOf(out, "photos.htm", ".", 2), 0);
  EXPECT_EQ(out, "htm");
  EXPECT_EQ(TryFieldOf(out, "photos", ".", 2), -1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(TryFieldOf(out, "photos.", ".", 2), 0);  // an empty last field exists
  EXPECT_EQ(out, "");
  EXPECT_EQ(TryFieldOf(out, "my.album.html", ".", 2), 0);
  EXPECT_EQ(out, "album");
}

TEST(TextTest, ReplaceAllKeepsTheWholeTextAndNeverLoops) {
  EXPECT_EQ(ReplaceAll("a-b-c", "-", "+"), "a+b+c");
  EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
  // A replacement containing the search string is not replaced again.
  EXPECT_EQ(ReplaceAll("a.b", ".", ".."), "a..b");
  EXPECT_EQ(ReplaceAll("aaa", "a", ""), "");
  // Text far beyond 999 characters after a hit survives whole.
  std::string tail(5000, 'z');
  EXPECT_EQ(ReplaceAll("x" + tail + "x", "x", "y"), "y" + tail + "y");
}

TEST(TextTest, HexToNumberMakesUnknownCharactersNegative) {
  EXPECT_EQ(HexToNumber("FF"), 255);
  EXPECT_EQ(HexToNumber("ff"), 255);
  EXPECT_EQ(HexToNumber("0a"), 10);
  EXPECT_EQ(HexToNumber(""), 0);
  EXPECT_EQ(HexToNumber("3g"), -3);  // a digit then a letter outside A-F
  EXPECT_EQ(HexToNumber("zz"), 0);
  EXPECT_EQ(HexToNumber("g1"), -1);
}

TEST(TextTest, ColorToHexTurnsPlatformOrderIntoRgb) {
  EXPECT_EQ(ColorToHex(255), "FF0000");
  EXPECT_EQ(ColorToHex(65280), "00FF00");
  EXPECT_EQ(ColorToHex(0xFF0000), "0000FF");
  EXPECT_EQ(ColorToHex(0), "000000");
  EXPECT_EQ(ColorToHex(0x0066AA), "AA6600");
}

TEST(TextTest, AsciiCaseFoldingLeavesOtherCharactersAlone) {
  EXPECT_TRUE(equalsIgnoreAsciiCase("IMG.JPG", "img.jpg"));
  EXPECT_FALSE(equalsIgnoreAsciiCase("img", "img "));
  EXPECT_FALSE(equalsIgnoreAsciiCase("ａ", "Ａ"));  // full-width letters are not folded
  EXPECT_EQ(asciiUpper("aZ写"), "AZ写");
  EXPECT_EQ(asciiLower("AZ写"), "az写");
}

}  // namespace
}  // namespace fotela
