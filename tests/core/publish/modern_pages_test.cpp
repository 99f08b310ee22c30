#include "publish/modern_pages.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/cp932.h"
#include "common/files.h"
#include "common/scripted_dialogs.h"
#include "core/publish/publish_fixture.h"
#include "publish/menu_page.h"

namespace fotela {
namespace {

using test::PhotoSpec;
using test::TempDir;

// An album folder with music, a video and two photos; IncludeVideos on.
void makeFolder(ProgramState& state, const TempDir& dir, const std::vector<PhotoSpec>& photos) {
  state.settings = defaultAlbumSettings();
  state.settings.PhotoFolder = dir.path();
  state.settings.IncludeVideos = 1;
  test::makeAlbumFolder(state, dir.path(), photos);
  for (const char* f : {"bgm.mid", "bgm.mp3", "Trip.MOV", "douga01.html", "notes.html"})
    test::writeFile(dir.file(f), "x");
}

std::vector<std::string> pagesIn(const std::string& folder) {
  std::vector<std::string> pages;
  for (const std::string& f : listFolder(folder, EntryKind::File))
    if (f.ends_with(".html") || f.ends_with(".css") || f.ends_with(".js")) pages.push_back(f);
  return pages;
}

const std::vector<PhotoSpec> kTwo = {{"a", "jpg", 600, 100, 75, 600, 450, "海"},
                                     {"b", "jpg", 600, 75, 100, 450, 600, "b"}};

// Switching style and back leaves exactly one style's pages, the user's own files stay, and
// the classic pages are the bytes of a folder that never saw the modern style.
TEST(ModernPages, SwitchingStyleLeavesOneStylesPages) {
  const std::vector<std::string> classic = {"album.html",   "album_1.html", "album_2.html",
                                            "album_3.html", "album_4.html", "bgm.html",
                                            "douga01.html", "douga1.html",  "notes.html"};
  const std::vector<std::string> modern = {"album.html", "album_script.js", "album_style.css",
                                           "douga01.html", "notes.html"};
  TempDir dir, never;
  ProgramState state, neverState;
  makeFolder(state, dir, kTwo);
  makeFolder(neverState, never, kTwo);
  ScriptedDialogs dialogs;
  ASSERT_EQ(WriteAlbumPages(neverState, dialogs), AlbumPagesOutcome::Written);
  for (AlbumStyle style : {AlbumStyle::Classic, AlbumStyle::Modern, AlbumStyle::Classic,
                           AlbumStyle::Modern, AlbumStyle::Classic}) {
    state.albumStyle = style;
    ASSERT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
    EXPECT_EQ(pagesIn(dir.path()), style == AlbumStyle::Modern ? modern : classic);
  }
  for (const std::string& page : classic)
    EXPECT_EQ(test::readFile(dir.file(page)), test::readFile(never.file(page))) << page;
  EXPECT_TRUE(dialogs.shown.empty());
}

struct TileCase {
  const char* label;
  PhotoSpec photo;
  int large2x, thumb2x;  // widths of the copies at twice the size (0: none)
  std::string line;
};
void PrintTo(const TileCase& c, std::ostream* os) {
  *os << c.label;
}

class ModernTile : public testing::TestWithParam<TileCase> {};

// A grid line carries the photo as data: names percent-encoded and escaped, descriptions
// the user's HTML inside an attribute, copies at twice the size only where they exist.
TEST_P(ModernTile, CarriesThePhotoAsData) {
  const TileCase& c = GetParam();
  TempDir dir;
  ProgramState state;
  makeFolder(state, dir, {c.photo});
  const std::string file = c.photo.name + "." + c.photo.type;
  for (auto [folder, width] : {std::pair{"big", c.large2x}, {"small", c.thumb2x}}) {
    std::filesystem::create_directories(dir.file(folder) + "/2x");
    if (width) test::writeJpeg(dir.file(folder) + "/2x/" + file, width, 10);
  }
  state.albumStyle = AlbumStyle::Modern;
  ScriptedDialogs dialogs;
  ASSERT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  const auto lines = splitLines(cp932ToUtf8(test::readFile(dir.file("album.html"))));
  EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end())
      << testing::PrintToString(lines);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ModernTile,
    testing::Values(
        TileCase{"Doubled",
                 {"a", "jpg", 600, 100, 75, 600, 450, "海"},
                 1200,
                 200,
                 "<li><a href=\"#a.jpg\" data-src=\"big/a.jpg\" data-w=\"600\" data-h=\"450\" "
                 "data-x=\"big/2x/a.jpg 2x\"><img src=\"small/a.jpg\" srcset=\"small/2x/a.jpg 2x\" "
                 "width=\"100\" height=\"75\" loading=\"lazy\" alt=\"海\"></a></li>"},
        TileCase{"SmallerOriginal",
                 {"b c", "JPG", 900, 100, 75, 600, 450, "b c"},
                 900,
                 100,
                 "<li><a href=\"#b%20c.JPG\" data-src=\"big/b%20c.JPG\" data-w=\"600\" "
                 "data-h=\"450\" data-x=\"big/2x/b%20c.JPG 1.5x\" data-full=\"b%20c.JPG\"><img "
                 "src=\"small/b%20c.JPG\" width=\"100\" height=\"75\" loading=\"lazy\" "
                 "alt=\"b c\"></a></li>"},
        TileCase{"HostileName",
                 {"<x>\"¥", "jpg", 600, 100, 75, 600, 450, "<x>\"¥"},
                 0,
                 0,
                 "<li><a href=\"#%3Cx%3E%22%C2%A5.jpg\" data-src=\"big/%3Cx%3E%22%C2%A5.jpg\" "
                 "data-w=\"600\" data-h=\"450\" data-d=\"&amp;lt;x&amp;gt;&amp;quot;&#165;\"><img "
                 "src=\"small/%3Cx%3E%22%C2%A5.jpg\" width=\"100\" height=\"75\" loading=\"lazy\" "
                 "alt=\"&lt;x&gt;&quot;&#165;\"></a></li>"},
        TileCase{"UsersHtml",
                 {"d", "jpg", 600, 100, 75, 600, 450, "Tom's <b>day</b><br>\"2\""},
                 0,
                 0,
                 "<li><a href=\"#d.jpg\" data-src=\"big/d.jpg\" data-w=\"600\" data-h=\"450\" "
                 "data-d=\"Tom's &lt;b&gt;day&lt;/b&gt;&lt;br&gt;&quot;2&quot;\"><img "
                 "src=\"small/d.jpg\" width=\"100\" height=\"75\" loading=\"lazy\" alt=\"Tom's "
                 "day &quot;2&quot;\"></a></li>"},
        TileCase{"EmptyDescription",
                 {"e", "jpg", 600, 100, 75, 600, 450, ""},
                 0,
                 0,
                 "<li><a href=\"#e.jpg\" data-src=\"big/e.jpg\" data-w=\"600\" data-h=\"450\" "
                 "data-d=\"\"><img src=\"small/e.jpg\" width=\"100\" height=\"75\" "
                 "loading=\"lazy\" alt=\"e.jpg\"></a></li>"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ModernPages, FactsReadAsAPhotographerWritesThem) {
  PhotoFacts f{"2024:05:03 14:22:10", "X-T5", "1/250", "5.6", "200", "35", ""};
  const FactTexts t = factTexts(f);
  EXPECT_EQ(std::vector<std::string>({t.date, t.camera, t.exposure, t.fNumber, t.iso, t.focal}),
            std::vector<std::string>(
                {"2024/05/03 14:22", "X-T5", "1/250 秒", "f/5.6", "ISO 200", "35 mm"}));
  EXPECT_EQ(factTexts(PhotoFacts{"2024-05", "", "", "", "", "", ""}).date, "2024-05");
  EXPECT_EQ(factTexts(PhotoFacts{}).exposure, "");
}

// Each card shows the thumbnail of the album's first photo (the order file's first), and a
// folder without photos still gets its card.
TEST(ModernPages, MenuCardsShowEachAlbumsFirstPhoto) {
  TempDir dir;
  ProgramState state;
  state.settings = defaultAlbumSettings();
  for (const char* name : {"trip", "empty"}) std::filesystem::create_directories(dir.file(name));
  test::setModifiedTime(dir.file("empty"), 1700000000);
  test::writeJpeg(dir.file("trip/z.jpg"), 640, 480);
  test::writeJpeg(dir.file("trip/a.jpg"), 640, 480);
  test::writeFile(dir.file("trip/titlen.txt"), "z,last letter\r\n");
  std::filesystem::create_directories(dir.file("trip/small"));
  test::writeJpeg(dir.file("trip/small/z.jpg"), 100, 75);
  state.settings.PhotoFolder = dir.path();
  state.albumStyle = AlbumStyle::Modern;
  ScriptedDialogs dialogs;
  ASSERT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Written);
  const std::string page = cp932ToUtf8(test::readFile(dir.file("index.html")));
  EXPECT_NE(page.find("<li><a href=\"empty/album.html\"><span class=\"pic\"></span><span "
                      "class=\"name\">empty</span></a></li>\r\n<li><a href=\"trip/album.html\">"
                      "<span class=\"pic\"><img src=\"trip/small/z.jpg\" width=\"100\" "
                      "height=\"75\" loading=\"lazy\" alt=\"\"></span><span "
                      "class=\"name\">trip</span></a></li>"),
            std::string::npos)
      << page;
}

}  // namespace
}  // namespace fotela
