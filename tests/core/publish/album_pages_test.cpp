#include "publish/album_pages.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/cp932.h"
#include "common/files.h"
#include "common/scripted_dialogs.h"
#include "core/publish/publish_fixture.h"
#include "program/program_state.h"
#include "settings/album_settings.h"

namespace fotela {
namespace {

using test::expectSamePage;
using test::goldenDir;
using test::makeAlbumFolder;
using test::PhotoSpec;
using test::TempDir;

void initState(ProgramState& state, const TempDir& dir, const std::string& title) {
  state.settings = defaultAlbumSettings();
  state.settings.PhotoFolder = dir.path();
  state.settings.AlbumTitle = title;
}

// The page as UTF-8 lines.
std::vector<std::string> pageLines(const std::string& path) {
  return splitLines(cp932ToUtf8(test::readFile(path)));
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const std::vector<PhotoSpec> kThreePhotos = {
    {"IMG_0001", "jpg", 600, 100, 75, 600, 450, "IMG_0001"},
    {"IMG_0002", "jpg", 3000, 75, 100, 450, 600, "海辺の夕日"},
    {"IMG_0003", "JPG", 601, 100, 67, 600, 400, "山の上で"},
};

TEST(WriteAlbumPages, DefaultSettingsGiveTheGoldenPageSet) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "旅行");
  makeAlbumFolder(state, dir.path(), kThreePhotos);
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);

  for (const char* page :
       {"album.html", "album_1.html", "album_2.html", "album_3.html", "album_4.html"}) {
    expectSamePage(dir.file(page), goldenDir("publish-default") + "/" + page);
  }
  EXPECT_FALSE(isFile(dir.file("bgm.html")));
  EXPECT_FALSE(isFile(dir.file("douga1.html")));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(state.albumViewEnabled);
  EXPECT_EQ(state.LastAlbumPage, dir.path() + "/album.html");
  EXPECT_FALSE(isFile(dir.file("titlen.txt"))) << "order unchanged: no order file";
}

TEST(WriteAlbumPages, MusicVideosAndNoReturnPage) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "Media");
  state.settings.ReturnPage = "";
  state.settings.IncludeVideos = 1;
  makeAlbumFolder(state, dir.path(), {{"solo", "jpg", 640, 100, 75, 640, 480, "一枚だけ"}});
  for (const char* f : {"BGM.MID", "c.3gp", "Trip.MOV", "a.avi", "notes.txt"}) {
    test::writeFile(dir.file(f), "x");
  }
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);

  for (const char* page : {"album.html", "bgm.html", "album_1.html", "douga1.html", "douga2.html",
                           "douga3.html", "album_2.html", "album_3.html", "album_4.html"}) {
    expectSamePage(dir.file(page), goldenDir("publish-media") + "/" + page);
  }
  EXPECT_FALSE(isFile(dir.file("douga4.html")));
}

TEST(WriteAlbumPages, VideosAreLeftOutUnlessIncluded) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "Media");
  makeAlbumFolder(state, dir.path(), {{"solo", "jpg", 640, 100, 75, 640, 480, "solo"}});
  test::writeFile(dir.file("a.avi"), "x");
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  EXPECT_FALSE(isFile(dir.file("douga1.html")));
  for (const std::string& line : pageLines(dir.file("album_1.html"))) {
    EXPECT_EQ(line.find("douga"), std::string::npos) << line;
  }
}

TEST(WriteAlbumPages, TwoDotNameAndEmptyColoursGiveTheGoldenPageSet) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "Plain");
  AlbumSettings& s = state.settings;
  s.AlbumHtml = "my.album.html";
  s.BgColor = s.TextColor = s.LinkColor = s.VLinkColor = s.ALinkColor = "";
  s.FrameWidth = 150;
  s.SlideInterval = 2500;
  makeAlbumFolder(
      state, dir.path(),
      {{"x", "jpg", 100, 100, 75, 100, 75, "x"}, {"y", "jpg", 100, 75, 100, 75, 100, "縦"}});
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  for (const char* page :
       {"my.album.html", "my_1.album", "my_2.album", "my_3.album", "my_4.album"}) {
    expectSamePage(dir.file(page), goldenDir("publish-plain") + "/" + page);
  }
  EXPECT_EQ(state.LastAlbumPage, dir.path() + "/my.album.html");
}

std::vector<PhotoSpec> numberedPhotos(int count) {
  std::vector<PhotoSpec> photos;
  for (int i = 1; i <= count; ++i) {
    const std::string name = (i < 10 ? "P0" : "P") + std::to_string(i);
    photos.push_back({name, "jpg", 600, 100, 75, 600, 450, name});
  }
  return photos;
}

TEST(WriteAlbumPages, MarkerFileSplitsTheViewScriptBeforePhoto31) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "31枚");
  state.SplitViewScript = -1;
  makeAlbumFolder(state, dir.path(), numberedPhotos(31));
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  for (const char* page :
       {"album.html", "album_1.html", "album_2.html", "album_3.html", "album_4.html"}) {
    expectSamePage(dir.file(page), goldenDir("publish-split") + "/" + page);
  }
}

TEST(WriteAlbumPages, TheScriptStaysWholeAtThirtyPhotosOrWithoutTheMarker) {
  struct Case {
    int photos;
    std::int16_t marker;
  };
  for (const Case c : {Case{30, -1}, Case{31, 0}}) {
    SCOPED_TRACE(testing::Message() << c.photos << " photos, marker " << c.marker);
    TempDir dir;
    ProgramState state;
    initState(state, dir, "split");
    state.SplitViewScript = c.marker;
    makeAlbumFolder(state, dir.path(), numberedPhotos(c.photos));
    ScriptedDialogs dialogs;
    ASSERT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
    auto lines = pageLines(dir.file("album_2.html"));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "</SCRIPT>"), 1);
    EXPECT_FALSE(hasLine(lines, "<I>　</I>"));
  }
}

TEST(WriteAlbumPages, EmptyListWritesNothingAndSaysNothing) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "空");
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::NoPhotos);
  EXPECT_TRUE(listFolder(dir.path(), EntryKind::File).empty());
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_FALSE(state.albumViewEnabled);
}

TEST(WriteAlbumPages, ChangedOrderIsSavedAfterASuccessfulRun) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "旅行");
  makeAlbumFolder(state, dir.path(), kThreePhotos);
  state.OrderChanged = 1;
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  EXPECT_EQ(state.OrderChanged, 0);
  EXPECT_EQ(decodeDataFile(test::readFile(dir.file("titlen.txt"))),
            "IMG_0001,IMG_0001\r\nIMG_0002,海辺の夕日\r\nIMG_0003,山の上で\r\n");
}

struct MissingCopyCase {
  const char* label;
  const char* removed;  // copy removed before the run
};
void PrintTo(const MissingCopyCase& c, std::ostream* os) {
  *os << c.label;
}

class MissingCopy : public testing::TestWithParam<MissingCopyCase> {};

// The pages are replaced as a set: a failure part way leaves every old page as it was and
// no temporary file behind.
TEST_P(MissingCopy, StopsWithTheCopiesMessageAndKeepsTheOldPages) {
  const MissingCopyCase& c = GetParam();
  TempDir dir;
  ProgramState state;
  initState(state, dir, "旅行");
  makeAlbumFolder(state, dir.path(), kThreePhotos);
  const std::vector<std::string> pages = {"album.html", "album_1.html", "album_2.html",
                                          "album_3.html", "album_4.html"};
  for (const std::string& page : pages) test::writeFile(dir.file(page), "old " + page);
  state.OrderChanged = 1;
  std::filesystem::remove(dir.file(c.removed));
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Failed);

  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "縮小画像が正常に作成されていない可能性があります。\r"
            "縮小画像の作成を先に行ってください。");
  EXPECT_EQ(dialogs.shown[0].caption, "エラー");
  EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Warning);
  EXPECT_FALSE(state.albumViewEnabled);
  EXPECT_EQ(state.OrderChanged, 1);
  EXPECT_FALSE(isFile(dir.file("titlen.txt")));
  EXPECT_EQ(state.LastAlbumPage, "");
  for (const std::string& page : pages) EXPECT_EQ(test::readFile(dir.file(page)), "old " + page);
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_FALSE(isTemporaryFileName(e.path().filename().string())) << e.path();
}

INSTANTIATE_TEST_SUITE_P(Pages, MissingCopy,
                         testing::Values(MissingCopyCase{"thumbnail", "small/IMG_0002.jpg"},
                                         MissingCopyCase{"large", "big/IMG_0003.JPG"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(WriteAlbumPages, UnreadableCopyCountsAsMissing) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "旅行");
  makeAlbumFolder(state, dir.path(), kThreePhotos);
  test::writeFile(dir.file("small/IMG_0001.jpg"), "not a jpeg");
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Failed);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kMissingCopyMessage);
}

struct UnwritableCase {
  const char* blocked;  // a folder stands where this page would go
};
void PrintTo(const UnwritableCase& c, std::ostream* os) {
  *os << c.blocked;
}

class UnwritablePage : public testing::TestWithParam<UnwritableCase> {};

TEST_P(UnwritablePage, IsReportedByNameAndEnablesNothing) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "旅行");
  makeAlbumFolder(state, dir.path(), kThreePhotos);
  state.settings.IncludeVideos = 1;
  test::writeFile(dir.file("bgm.mid"), "x");
  test::writeFile(dir.file("clip.avi"), "x");
  state.OrderChanged = 1;
  const std::string blocked = dir.file(GetParam().blocked);
  std::filesystem::create_directory(blocked);
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Failed);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find(blocked), std::string::npos) << dialogs.shown[0].text;
  EXPECT_EQ(dialogs.shown[0].caption, "エラー");
  EXPECT_FALSE(state.albumViewEnabled);
  EXPECT_FALSE(isFile(dir.file("titlen.txt")));
}

INSTANTIATE_TEST_SUITE_P(Pages, UnwritablePage,
                         testing::Values(UnwritableCase{"album.html"}, UnwritableCase{"bgm.html"},
                                         UnwritableCase{"album_1.html"},
                                         UnwritableCase{"douga1.html"},
                                         UnwritableCase{"album_4.html"},
                                         UnwritableCase{"album_3.html"}));

TEST(WriteAlbumPages, NamesAreEscapedAndDescriptionsStayTheUsersHtml) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "<i>旅</i>");
  state.settings.TitleFromFolder = 0;  // a typed title
  // A name with every character that means something in a URL, in HTML or in a script.
  makeAlbumFolder(state, dir.path(),
                  {{"it's #1&<2>%", "jpg", 601, 100, 75, 600, 450, "Tom's <b>day</b> \\o/"}});
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);

  EXPECT_TRUE(hasLine(pageLines(dir.file("album.html")), "<TITLE><i>旅</i></TITLE>"));
  EXPECT_TRUE(hasLine(
      pageLines(dir.file("album_1.html")),
      "　　<A HREF=\"javaScript:disp0( 1)\"><IMG SRC=\"small/it's %231&amp;&lt;2&gt;%25.jpg\" "
      "Border=0 Width= 100 Height= 75 ALT=\"it's #1&amp;&lt;2&gt;%.jpg\"></A><BR>"));
  EXPECT_TRUE(hasLine(
      pageLines(dir.file("album_2.html")),
      "    if (parent.window.name==\"W1\") {document.write('<A HREF=\"it\\'s "
      "%231&amp;&lt;2&gt;%25.jpg\" "
      "TARGET=\"_top\"><IMG SRC=\"big/it\\'s %231&amp;&lt;2&gt;%25.jpg\" Border=0 Width= 600 "
      "Height= 450 ALT=\"it\\'s #1&amp;&lt;2&gt;%.jpg\"></A><BR>Tom\\'s <b>day<\\/b> "
      "\\\\o/');sw=1;}"));
  EXPECT_TRUE(hasLine(
      pageLines(dir.file("album_4.html")),
      "    if (parent.window.name==\"W1\") {document.write('<A HREF=\"album_2.html\" "
      "TARGET=\"img\"><IMG SRC=\"big/it\\'s %231&amp;&lt;2&gt;%25.jpg\" Border=0 Width= 600 "
      "Height= 450 ALT=\"it\\'s #1&amp;&lt;2&gt;%.jpg\"></A><BR>Tom\\'s <b>day<\\/b> \\\\o/');}"));
  EXPECT_TRUE(hasLine(
      pageLines(dir.file("album_3.html")),
      "　　<A HREF=\"it's %231&amp;&lt;2&gt;%25.jpg\" TARGET=\"_top\"><IMG SRC=\"small/it's "
      "%231&amp;&lt;2&gt;%25.jpg\" Border=0 Width= 100 Height= 75 ALT=\"it's "
      "#1&amp;&lt;2&gt;%.jpg\"></A>"));
}

// Names a user really has, and names made to hurt. A name is data everywhere; a
// description equal to the name is the name; a title from the folder's name is data.
struct HostileCase {
  const char* label;
  std::string name;
  std::string description;
  std::string indexLine;  // photo 1 in the index page
  std::string viewLine;   // photo 1 in the view page
};
void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.label;
}

class HostileNames : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileNames, StayDataAndKeepEveryScriptWhole) {
  const HostileCase& c = GetParam();
  TempDir dir;
  ProgramState state;
  initState(state, dir, "旅<b>");  // TitleFromFolder 1: the folder's name
  makeAlbumFolder(state, dir.path(), {{c.name, "jpg", 600, 100, 75, 600, 450, c.description}});
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  const auto index = pageLines(dir.file("album_1.html"));
  EXPECT_TRUE(hasLine(index, "<H3>旅&lt;b&gt;</H3>"));
  EXPECT_TRUE(hasLine(index, c.indexLine)) << testing::PrintToString(index);
  const auto view = pageLines(dir.file("album_2.html"));
  EXPECT_TRUE(hasLine(view, c.viewLine)) << testing::PrintToString(view);
  for (const char* page :
       {"album.html", "album_1.html", "album_2.html", "album_3.html", "album_4.html"}) {
    const std::string bytes = test::readFile(dir.file(page));
    std::size_t breaks = 0, lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      breaks += bytes[i] == '\r' || bytes[i] == '\n';
      lines += bytes.compare(i, 2, "\r\n") == 0;
    }
    EXPECT_EQ(breaks, 2 * lines) << page << ": a line break that is not CR LF";
  }
}

const std::string kIndex = "　　<A HREF=\"javaScript:disp0( 1)\">";
const std::string kView = "    if (parent.window.name==\"W1\") {document.write('";

INSTANTIATE_TEST_SUITE_P(
    Pages, HostileNames,
    testing::Values(
        // CP932 writes "¥" as the byte of "\": it must not end the script string.
        HostileCase{"Yen", "¥1000'", "¥'",
                    kIndex + "<IMG SRC=\"small/&#165;1000'.jpg\" Border=0 Width= 100 Height= 75 "
                             "ALT=\"&#165;1000'.jpg\"></A><BR>",
                    kView + "<IMG SRC=\"big/&#165;1000\\'.jpg\" Border=0 Width= 600 Height= 450 "
                            "ALT=\"&#165;1000\\'.jpg\"><BR>&#165;\\'');sw=1;}"},
        HostileCase{"Markup", "<img src=x onerror=alert(1)>", "<img src=x onerror=alert(1)>",
                    kIndex + "<IMG SRC=\"small/&lt;img src=x onerror=alert(1)&gt;.jpg\" Border=0 "
                             "Width= 100 Height= 75 ALT=\"&lt;img src=x "
                             "onerror=alert(1)&gt;.jpg\"></A><BR>",
                    kView + "<IMG SRC=\"big/&lt;img src=x onerror=alert(1)&gt;.jpg\" Border=0 "
                            "Width= 600 Height= 450 ALT=\"&lt;img src=x onerror=alert(1)&gt;.jpg\">"
                            "<BR>&lt;img src=x onerror=alert(1)&gt;');sw=1;}"},
        HostileCase{"LineBreaks", "nl\nx\r", "nl\nx\r",
                    kIndex + "<IMG SRC=\"small/nl%0Ax%0D.jpg\" Border=0 Width= 100 Height= 75 "
                             "ALT=\"nl&#10;x&#13;.jpg\"></A><BR>",
                    kView + "<IMG SRC=\"big/nl%0Ax%0D.jpg\" Border=0 Width= 600 Height= 450 "
                            "ALT=\"nl&#10;x&#13;.jpg\"><BR>nl&#10;x&#13;');sw=1;}"},
        HostileCase{"NotUtf8", "\xFF\xFE", "\xFF\xFE",
                    kIndex + "<IMG SRC=\"small/%FF%FE.jpg\" Border=0 Width= 100 Height= 75 "
                             "ALT=\"&#65533;&#65533;.jpg\"></A><BR>",
                    kView + "<IMG SRC=\"big/%FF%FE.jpg\" Border=0 Width= 600 Height= 450 "
                            "ALT=\"&#65533;&#65533;.jpg\"><BR>&#65533;&#65533;');sw=1;}"},
        // The user's own HTML, line breaks and all, cannot end or upset the script block.
        HostileCase{"QuotesAndUsersHtml", "say \"hi\" ‾", "a\nb\u2028</script><!--<script>",
                    kIndex +
                        "<IMG SRC=\"small/say &quot;hi&quot; &#8254;.jpg\" Border=0 Width= 100 "
                        "Height= 75 ALT=\"say &quot;hi&quot; &#8254;.jpg\"></A><BR>",
                    kView + "<IMG SRC=\"big/say &quot;hi&quot; &#8254;.jpg\" Border=0 Width= 600 "
                            "Height= 450 ALT=\"say &quot;hi&quot; &#8254;.jpg\"><BR>"
                            "a\\nb\\u2028<\\/script><\\!--<\\script>');sw=1;}"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WriteAlbumPages, CharactersOutsideCp932BecomeReferences) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, "Café");
  makeAlbumFolder(state, dir.path(), {{"snow", "jpg", 600, 100, 75, 600, 450, "雪だるま☃"}});
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  const std::string bytes = test::readFile(dir.file("album_2.html"));
  EXPECT_NE(bytes.find("<TITLE>Caf&#233;</TITLE>\r\n"), std::string::npos);
  EXPECT_NE(bytes.find(utf8ToCp932WithReferences("<BR>雪だるま&#9731;');sw=1;}\r\n")),
            std::string::npos);
}

struct WrapCase {
  const char* label;
  int listPageWidth;
  std::vector<int> thumbWidths;
  std::vector<int> breaksBefore;  // photo numbers preceded by "<BR><BR>"
};
void PrintTo(const WrapCase& c, std::ostream* os) {
  *os << c.label;
}

class ListPageWrap : public testing::TestWithParam<WrapCase> {};

TEST_P(ListPageWrap, StartsANewRowWhenTheNextThumbnailWouldNotFit) {
  const WrapCase& c = GetParam();
  TempDir dir;
  ProgramState state;
  initState(state, dir, "list");
  state.settings.ListPageWidth = static_cast<std::int16_t>(c.listPageWidth);
  std::vector<PhotoSpec> photos;
  for (std::size_t i = 0; i < c.thumbWidths.size(); ++i) {
    photos.push_back({"p" + std::to_string(i + 1), "jpg", 600, c.thumbWidths[i], 75, 600, 450, ""});
  }
  makeAlbumFolder(state, dir.path(), photos);

  ASSERT_TRUE(WriteListPage(dir.path(), state.photos, state.settings));

  std::vector<int> breaks;
  int photo = 0;
  bool pendingBreak = false;
  for (const std::string& line : pageLines(dir.file("album_3.html"))) {
    if (line == "<BR><BR>") pendingBreak = true;
    if (line.starts_with("　　<A HREF=")) {
      ++photo;
      if (pendingBreak) breaks.push_back(photo);
      pendingBreak = false;
    }
  }
  EXPECT_EQ(photo, static_cast<int>(c.thumbWidths.size()));
  EXPECT_EQ(breaks, c.breaksBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ListPageWrap,
    testing::Values(WrapCase{"SevenPerRow", 1024, std::vector<int>(10, 100), {8}},
                    WrapCase{"NarrowPageBreaksBeforeEvery", 100, {100, 100, 100}, {1, 2, 3}},
                    WrapCase{"PortraitTakes107", 214, {75, 75, 75, 75}, {3}},
                    WrapCase{"ExactFitStaysOnTheRow", 264, {100, 100, 100}, {3}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DogaHtml, MovGetsAFixedPlayerAndReturnsToTheMainPage) {
  TempDir dir;
  AlbumSettings s = defaultAlbumSettings();
  s.AlbumHtml = "photos.htm";
  ASSERT_TRUE(DogaHtml(dir.path(), s, "douga7.html", "Trip.MOV", "MOV"));
  ASSERT_TRUE(DogaHtml(dir.path(), s, "douga8.html", "Party.AVI", "AVI"));

  auto mov = pageLines(dir.file("douga7.html"));
  EXPECT_TRUE(hasLine(mov, "<TITLE>Trip.MOV</TITLE>"));
  EXPECT_TRUE(hasLine(mov, "<H3>Trip</H3><BR>"));
  EXPECT_TRUE(hasLine(mov, "<embed src=\"Trip.MOV\"  loop=\"true\" width=640 height=500><BR><BR>"));
  EXPECT_TRUE(hasLine(mov, "<A HREF=\"photos.htm\"  TARGET=\"_top\">戻り</A><BR>"));
  EXPECT_TRUE(hasLine(pageLines(dir.file("douga8.html")),
                      "<embed src=\"Party.AVI\"  loop=\"true\"><BR><BR>"));
}

}  // namespace
}  // namespace fotela
