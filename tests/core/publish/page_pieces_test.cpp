#include "publish/page_pieces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/support/test_files.h"
#include "settings/album_settings.h"

namespace fotela {
namespace {

struct NamesCase {
  const char* albumHtml;
  const char* index;
  const char* view;
  const char* list;
  const char* slide;
};
void PrintTo(const NamesCase& c, std::ostream* os) {
  *os << c.albumHtml;
}

class PageNamesTest : public testing::TestWithParam<NamesCase> {};

TEST_P(PageNamesTest, FollowTheMainPageName) {
  const NamesCase& c = GetParam();
  PageNames n = pageNames(c.albumHtml);
  EXPECT_EQ(n.main, c.albumHtml);
  EXPECT_EQ(n.index, c.index);
  EXPECT_EQ(n.view, c.view);
  EXPECT_EQ(n.list, c.list);
  EXPECT_EQ(n.slide, c.slide);
}

INSTANTIATE_TEST_SUITE_P(
    AlbumHtml, PageNamesTest,
    testing::Values(
        NamesCase{"album.html", "album_1.html", "album_2.html", "album_3.html", "album_4.html"},
        NamesCase{"photos.htm", "photos_1.htm", "photos_2.htm", "photos_3.htm", "photos_4.htm"},
        NamesCase{"photos", "photos_1.", "photos_2.", "photos_3.", "photos_4."},
        NamesCase{"my.album.html", "my_1.album", "my_2.album", "my_3.album", "my_4.album"}));

struct EscapeCase {
  const char* in;
  const char* url;     // urlAttribute
  const char* html;    // htmlText
  const char* script;  // scriptSingleQuoted
};
void PrintTo(const EscapeCase& c, std::ostream* os) {
  *os << c.in;
}

class Escaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, NamesAreData) {
  const EscapeCase& c = GetParam();
  EXPECT_EQ(urlAttribute(c.in), c.url);
  EXPECT_EQ(htmlText(c.in), c.html);
  EXPECT_EQ(scriptSingleQuoted(c.in), c.script);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Escaping,
    testing::Values(
        EscapeCase{"IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg"},
        EscapeCase{"写真 1.jpg", "写真 1.jpg", "写真 1.jpg", "写真 1.jpg"},
        EscapeCase{"100%#?.jpg", "100%25%23%3F.jpg", "100%#?.jpg", "100%#?.jpg"},
        EscapeCase{"a&b<c>\"d\".jpg", "a&amp;b&lt;c&gt;&quot;d&quot;.jpg",
                   "a&amp;b&lt;c&gt;&quot;d&quot;.jpg", "a&b<c>\"d\".jpg"},
        EscapeCase{"it's\\</script>", "it's%5C&lt;/script&gt;", "it's\\&lt;/script&gt;",
                   "it\\'s\\\\<\\/script>"},
        // Line breaks: escapes in scripts, references in HTML, percent codes in URLs.
        EscapeCase{"nl\nx\r.jpg", "nl%0Ax%0D.jpg", "nl&#10;x&#13;.jpg", "nl\\nx\\r.jpg"},
        EscapeCase{"a\u2028b\u2029.jpg", "a\u2028b\u2029.jpg", "a\u2028b\u2029.jpg",
                   "a\\u2028b\\u2029.jpg"},
        // Bytes that are not UTF-8 stay reachable as a URL.
        EscapeCase{"\xFF\xE3\x81.jpg", "%FF%E3%81.jpg", "\xFF\xE3\x81.jpg", "\xFF\xE3\x81.jpg"},
        EscapeCase{"<!--<Script>x", "&lt;!--&lt;Script&gt;x", "&lt;!--&lt;Script&gt;x",
                   "<\\!--<\\Script>x"},
        EscapeCase{"tab\tbell\a", "tab%09bell%07", "tab\tbell&#7;", "tab\tbell\a"}));

TEST(ScriptDoubleQuoted, EscapesTheDoubleQuoteOnly) {
  EXPECT_EQ(scriptDoubleQuoted("a\"b'c"), "a\\\"b'c");
}

TEST(ScriptUrl, PercentEncodesEverythingButPrintableAscii) {
  EXPECT_EQ(scriptUrl("album_2.html"), "album_2.html");
  EXPECT_EQ(scriptUrl("ア\"¥#_2.html"), "%E3%82%A2\\\"%C2%A5%23_2.html");
}

// What reaches the page file: "¥" and "‾" (CP932 would write the bytes of "\" and "~")
// as references, line breaks inside a line as CR LF.
TEST(PageSet, WritesCp932WithCrLfAndReferences) {
  test::TempDir dir;
  PageSet pages(dir.path());
  auto page = pages.open("p.html");
  ASSERT_TRUE(page);
  (*page)->line("　旅行");
  (*page)->line("");
  (*page)->line("☃¥'‾");
  (*page)->line("a\nb\rc\r\nd");
  ASSERT_TRUE(pages.commit());
  EXPECT_EQ(test::readFile(dir.file("p.html")),
            "\x81\x40\x97\xB7\x8D\x73\r\n\r\n&#9731;&#165;'&#8254;\r\na\r\nb\r\nc\r\nd\r\n");
}

std::vector<std::string> folderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The old pages stay until the whole set is put in place; a set that fails or is dropped
// leaves them and no temporary file.
TEST(PageSet, ReplacesThePagesOnlyWhenAllWereWritten) {
  enum class End { Commit, Drop, Blocked };
  for (End end : {End::Commit, End::Drop, End::Blocked}) {
    SCOPED_TRACE(static_cast<int>(end));
    test::TempDir dir;
    test::writeFile(dir.file("a.html"), "old a\r\n");
    test::writeFile(dir.file("b.html"), "old b\r\n");
    if (end == End::Blocked) std::filesystem::create_directory(dir.file("c.html"));
    Result<void> committed;
    {
      PageSet pages(dir.path());
      for (const char* name : {"a.html", "b.html", "c.html"}) {
        auto page = pages.open(name);
        ASSERT_TRUE(page);
        (*page)->line(std::string("new ") + name);
      }
      EXPECT_EQ(test::readFile(dir.file("a.html")), "old a\r\n");
      if (end != End::Drop) committed = pages.commit();
    }
    const bool replaced = end == End::Commit;
    EXPECT_EQ(committed.has_value(), end != End::Blocked);
    if (end == End::Blocked) {
      EXPECT_NE(committed.error().message.find(dir.file("c.html")), std::string::npos);
    }
    EXPECT_EQ(test::readFile(dir.file("a.html")), replaced ? "new a.html\r\n" : "old a\r\n");
    EXPECT_EQ(test::readFile(dir.file("b.html")), replaced ? "new b.html\r\n" : "old b\r\n");
    std::vector<std::string> expected{"a.html", "b.html"};
    if (end != End::Drop) expected.push_back("c.html");
    EXPECT_EQ(folderNames(dir.path()), expected) << "no temporary file left";
  }
}

TEST(PageSet, AFolderThatCannotBeWrittenIsNamedWithTheReason) {
  test::TempDir dir;
  PageSet pages(dir.file("missing"));
  auto page = pages.open("p.html");
  ASSERT_FALSE(page);
  EXPECT_NE(page.error().message.find(dir.file("missing/p.html")), std::string::npos);
  EXPECT_NE(page.error().message.find("No such file"), std::string::npos);
}

TEST(BodyOpening, OneLinePerSettingThatIsNotEmpty) {
  test::TempDir dir;
  AlbumSettings s = defaultAlbumSettings();
  s.TextColor = "";
  s.BgImage = "bg/paper.jpg";
  PageSet pages(dir.path());
  auto page = pages.open("p.html");
  ASSERT_TRUE(page);
  writeBodyOpening(**page, s);
  ASSERT_TRUE(pages.commit());
  EXPECT_EQ(test::readFile(dir.file("p.html")),
            "<BODY\r\n BGCOLOR=\"#FFFFFF\"\r\n LINK=\"#0000FF\"\r\n VLINK=\"#000088\"\r\n"
            " ALINK=\"#0000FF\"\r\n BACKGROUND=\"bg/paper.jpg\"\r\n>\r\n");
}

TEST(ReturnLinkLine, HasTwoBlanksBeforeTarget) {
  EXPECT_EQ(returnLinkLine("../index.html"),
            "<A HREF=\"../index.html\"  TARGET=\"_top\">戻り</A><BR>");
}

}  // namespace
}  // namespace fotela
