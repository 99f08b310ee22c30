#include "publish/page_pieces.h"

#include <gtest/gtest.h>

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
void PrintTo(const NamesCase& c, std::ostream* os) { *os << c.albumHtml; }

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
void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.in; }

class Escaping : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, NamesAreData) {
  const EscapeCase& c = GetParam();
  EXPECT_EQ(urlAttribute(c.in), c.url);
  EXPECT_EQ(htmlText(c.in), c.html);
  EXPECT_EQ(scriptSingleQuoted(c.in), c.script);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Escaping,
    testing::Values(EscapeCase{"IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg", "IMG_0001.jpg"},
                    EscapeCase{"写真 1.jpg", "写真 1.jpg", "写真 1.jpg", "写真 1.jpg"},
                    EscapeCase{"100%#?.jpg", "100%25%23%3F.jpg", "100%#?.jpg", "100%#?.jpg"},
                    EscapeCase{"a&b<c>\"d\".jpg", "a&amp;b&lt;c&gt;&quot;d&quot;.jpg",
                               "a&amp;b&lt;c&gt;&quot;d&quot;.jpg", "a&b<c>\"d\".jpg"},
                    EscapeCase{"it's\\</script>", "it's\\&lt;/script&gt;", "it's\\&lt;/script&gt;",
                               "it\\'s\\\\<\\/script>"}));

TEST(ScriptDoubleQuoted, EscapesTheDoubleQuoteOnly) {
  EXPECT_EQ(scriptDoubleQuoted("a\"b'c"), "a\\\"b'c");
}

TEST(PageFile, WritesCp932WithCrLfAndReferences) {
  test::TempDir dir;
  PageFile page;
  ASSERT_TRUE(page.open(dir.file("p.html")));
  page.line("　旅行");
  page.line("");
  page.line("☃");
  ASSERT_TRUE(page.close());
  EXPECT_EQ(test::readFile(dir.file("p.html")), "\x81\x40\x97\xB7\x8D\x73\r\n\r\n&#9731;\r\n");
}

TEST(PageFile, ReplacesAnOlderFile) {
  test::TempDir dir;
  test::writeFile(dir.file("p.html"), "a much longer old page\r\n");
  PageFile page;
  ASSERT_TRUE(page.open(dir.file("p.html")));
  page.line("new");
  ASSERT_TRUE(page.close());
  EXPECT_EQ(test::readFile(dir.file("p.html")), "new\r\n");
}

TEST(PageFile, FailureNamesTheFile) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("p.html"));
  PageFile page;
  auto opened = page.open(dir.file("p.html"));
  ASSERT_FALSE(opened);
  EXPECT_NE(opened.error().message.find(dir.file("p.html")), std::string::npos);
}

TEST(BodyOpening, OneLinePerSettingThatIsNotEmpty) {
  test::TempDir dir;
  AlbumSettings s = defaultAlbumSettings();
  s.TextColor = "";
  s.BgImage = "bg/paper.jpg";
  PageFile page;
  ASSERT_TRUE(page.open(dir.file("p.html")));
  writeBodyOpening(page, s);
  ASSERT_TRUE(page.close());
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
