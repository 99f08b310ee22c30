#include "publish/modern_pages.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/cp932.h"
#include "common/files.h"
#include "common/scripted_dialogs.h"
#include "core/publish/publish_fixture.h"

namespace fotela {
namespace {

using test::PhotoSpec;
using test::TempDir;

// An album folder with music, a video, the user's own pages and the photos; videos on.
std::vector<std::string> writeAlbum(ProgramState& state, const TempDir& dir,
                                    const std::vector<PhotoSpec>& photos, AlbumStyle style) {
  if (state.photos.empty()) {
    state.settings = defaultAlbumSettings();
    state.settings.PhotoFolder = dir.path();
    state.settings.IncludeVideos = 1;
    test::makeAlbumFolder(state, dir.path(), photos);
    for (const char* f : {"bgm.mid", "bgm.mp3", "Trip.MOV", "douga01.html", "notes.html"})
      test::writeFile(dir.file(f), "x");
  }
  state.albumStyle = style;
  ScriptedDialogs dialogs;
  EXPECT_EQ(WriteAlbumPages(state, dialogs), AlbumPagesOutcome::Written);
  std::vector<std::string> pages;
  for (const std::string& f : listFolder(dir.path(), EntryKind::File))
    if (f.ends_with(".html") || f.ends_with(".css") || f.ends_with(".js")) pages.push_back(f);
  return pages;
}

// Either style's build leaves its own pages and the user's; the classic pages are the
// bytes of a folder that never saw the modern style.
TEST(ModernPages, SwitchingStyleLeavesOneStylesPages) {
  const std::vector<std::string> classic = {"album.html",   "album_1.html", "album_2.html",
                                            "album_3.html", "album_4.html", "bgm.html",
                                            "douga01.html", "douga1.html",  "notes.html"};
  const std::vector<std::string> modern = {"album.html", "album_script.js", "album_style.css",
                                           "douga01.html", "notes.html"};
  const std::vector<PhotoSpec> photos = {{"a", "jpg", 600, 100, 75, 600, 450, "海"}};
  TempDir dir, never;
  ProgramState state, neverState;
  writeAlbum(neverState, never, photos, AlbumStyle::Classic);
  for (AlbumStyle style : {AlbumStyle::Classic, AlbumStyle::Modern, AlbumStyle::Classic,
                           AlbumStyle::Modern, AlbumStyle::Classic}) {
    EXPECT_EQ(writeAlbum(state, dir, photos, style),
              style == AlbumStyle::Modern ? modern : classic);
  }
  for (const std::string& page : classic)
    EXPECT_EQ(test::readFile(dir.file(page)), test::readFile(never.file(page))) << page;
}

struct TileCase {
  std::pair<int, int> twice;  // widths of the large and small copies at twice the size, or 0
  PhotoSpec photo;
  std::string line;
};

// A grid line carries the photo as data: names percent-encoded and escaped, descriptions
// the user's HTML inside an attribute, copies at twice the size only where they add pixels.
TEST(ModernPages, GridLinesCarryThePhotoAsData) {
  const TileCase cases[] = {
      {{1200, 200},
       {"a", "jpg", 600, 100, 75, 600, 450, "Tom's <b>day</b><br>\"2\""},
       "<li><a href=\"#a.jpg\" data-src=\"big/a.jpg\" data-w=\"600\" data-h=\"450\" "
       "data-x=\"big/2x/a.jpg 2x\" data-d=\"Tom's &lt;b&gt;day&lt;/b&gt;&lt;br&gt;&quot;2&quot;\">"
       "<img src=\"small/a.jpg\" srcset=\"small/2x/a.jpg 2x\" width=\"100\" height=\"75\" "
       "loading=\"lazy\" alt=\"Tom's day &quot;2&quot;\"></a></li>"},
      {{900, 100},
       {"<b c>\"¥", "JPG", 900, 100, 75, 600, 450, "<b c>\"¥"},
       "<li><a href=\"#%3Cb%20c%3E%22%C2%A5.JPG\" data-src=\"big/%3Cb%20c%3E%22%C2%A5.JPG\" "
       "data-w=\"600\" data-h=\"450\" data-x=\"big/2x/%3Cb%20c%3E%22%C2%A5.JPG 1.5x\" "
       "data-d=\"&amp;lt;b c&amp;gt;&amp;quot;&#165;\" data-full=\"%3Cb%20c%3E%22%C2%A5.JPG\">"
       "<img src=\"small/%3Cb%20c%3E%22%C2%A5.JPG\" width=\"100\" height=\"75\" "
       "loading=\"lazy\" alt=\"&lt;b c&gt;&quot;&#165;\"></a></li>"}};
  for (const TileCase& c : cases) {
    SCOPED_TRACE(c.photo.name);
    TempDir dir;
    ProgramState state;
    const std::string file = c.photo.name + "." + c.photo.type;
    for (auto [folder, width] : {std::pair{"big", c.twice.first}, {"small", c.twice.second}}) {
      std::filesystem::create_directories(dir.file(folder) + "/2x");
      if (width) test::writeJpeg(dir.file(folder) + "/2x/" + file, width, 10);
    }
    writeAlbum(state, dir, {c.photo}, AlbumStyle::Modern);
    const auto lines = splitLines(cp932ToUtf8(test::readFile(dir.file("album.html"))));
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end())
        << testing::PrintToString(lines);
  }
}

}  // namespace
}  // namespace fotela
