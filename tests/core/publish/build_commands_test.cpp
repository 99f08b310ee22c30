#include "publish/build_commands.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <memory>
#include <thread>

#include "common/files.h"
#include "common/scripted_dialogs.h"
#include "core/publish/publish_fixture.h"
#include "photos/folder_scan.h"
#include "program/album_run.h"
#include "program/program_state.h"
#include "publish/album_pages.h"

namespace fotela {
namespace {

using test::TempDir;

struct Recorder {
  std::vector<std::string> events;
  BuildHooks hooks(ProgramState& state, bool makeCopies) {
    BuildHooks h;
    h.status = [this](const std::string& text) { events.push_back("status " + text); };
    h.busy = [this](bool busy) { events.push_back(busy ? "busy" : "idle"); };
    h.makeCopies = [this, &state, makeCopies](ProgramState& s, UserDialogs&) {
      events.push_back("copies mode " + std::to_string(s.ThumbRunMode));
      if (makeCopies) {
        test::makeAlbumFolder(state, state.settings.PhotoFolder,
                              {{"a", "jpg", 600, 100, 75, 600, 450, "a"}});
      }
      return ThumbRunResult{};
    };
    return h;
  }
};

void initState(ProgramState& state, const TempDir& dir, int photos) {
  state.settings = defaultAlbumSettings();
  state.settings.PhotoFolder = dir.path();
  for (int i = 0; i < photos; ++i)
    state.photos.push_back(test::rowFor({"a", "jpg", 600, 0, 0, 0, 0, "a"}));
}

TEST(BuildAlbum, EmptyListOnlySaysSo) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, 0);
  ScriptedDialogs dialogs;
  Recorder r;

  EXPECT_EQ(buildAlbum(state, dialogs, r.hooks(state, true)), BuildOutcome::NoPhotos);
  EXPECT_TRUE(r.events.empty()) << "buttons and status bar stay as they were";
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "対象画像がありません");
  EXPECT_EQ(dialogs.shown[0].caption, "アルバム作成");
  EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Information);
}

TEST(BuildAlbum, MakesCopiesAskingFirstThenWritesThePages) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, 1);
  state.ThumbRunMode = 1;
  ScriptedDialogs dialogs;
  Recorder r;

  EXPECT_EQ(buildAlbum(state, dialogs, r.hooks(state, true)), BuildOutcome::Written);
  EXPECT_EQ(r.events, (std::vector<std::string>{"busy", "status アルバム作成中", "copies mode 0",
                                                "status アルバムを作成しました。", "idle"}));
  EXPECT_TRUE(isFile(dir.file("album_4.html")));
  EXPECT_TRUE(state.albumViewEnabled);
  EXPECT_TRUE(dialogs.shown.empty());
}

// The success text only when the album was written.
TEST(BuildAlbum, MissingCopiesEndWithTheNotBuiltStatus) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, 1);
  ScriptedDialogs dialogs;
  Recorder r;

  EXPECT_EQ(buildAlbum(state, dialogs, r.hooks(state, false)), BuildOutcome::Failed);
  EXPECT_EQ(r.events.at(3), "status アルバムを作成できませんでした。");
  EXPECT_EQ(r.events.back(), "idle");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kMissingCopyMessage);
  EXPECT_FALSE(state.albumViewEnabled);
}

TEST(BuildPagesOnly, EmptyListSaysSoInTheStatusAndWritesNothing) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, 0);
  ScriptedDialogs dialogs;
  Recorder r;

  EXPECT_EQ(buildPagesOnly(state, dialogs, r.hooks(state, true)), BuildOutcome::NoPhotos);
  EXPECT_EQ(r.events,
            (std::vector<std::string>{"status アルバム作成中", "status 対象画像がありません"}));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(listFolder(dir.path(), EntryKind::File).empty());
}

TEST(BuildCopiesOnly, MakesCopiesWithoutAsking) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, 1);
  ScriptedDialogs dialogs;
  Recorder r;

  buildCopiesOnly(state, dialogs, r.hooks(state, true));
  EXPECT_EQ(r.events, std::vector<std::string>{"copies mode 1"});
  EXPECT_FALSE(isFile(dir.file("album.html")));
}

// The whole chain on real photos: scan, thumbnail maker, pages.
TEST(BuildAlbum, RealPhotosGiveCopiesAndPages) {
  TempDir dir;
  test::writeJpeg(dir.file("wide.jpg"), 1200, 800);
  test::writeJpeg(dir.file("tall.JPG"), 300, 500);
  ProgramState state;
  state.settings = defaultAlbumSettings();
  state.settings.PhotoFolder = dir.path();
  auto scan = scanFolder(dir.path());
  ASSERT_TRUE(scan);
  state.photos = scan->rows;
  ScriptedDialogs dialogs(DialogAnswer::Yes);

  ASSERT_EQ(buildAlbum(state, dialogs), BuildOutcome::Written);
  EXPECT_TRUE(dialogs.shown.empty());
  const std::string index = test::readFile(dir.file("album_1.html"));
  EXPECT_NE(index.find("small/wide.jpg\" Border=0 Width= 100 Height= 67"), std::string::npos);
  EXPECT_NE(index.find("small/tall.JPG\" Border=0 Width= 60 Height= 100"), std::string::npos);
  const std::string view = test::readFile(dir.file("album_2.html"));
  EXPECT_NE(view.find("<A HREF=\"wide.jpg\" TARGET=\"_top\"><IMG SRC=\"big/wide.jpg\" Border=0 "
                      "Width= 600 Height= 400"),
            std::string::npos);
  EXPECT_NE(view.find("<IMG SRC=\"big/tall.JPG\" Border=0 Width= 300 Height= 500"),
            std::string::npos);
}

// A damaged photo gets no copies; the full build leaves it out of the pages (the one
// warning names it) instead of stopping at its missing copy. Pages only still stops there.
TEST(BuildAlbum, PhotosWhoseCopiesFailAreLeftOut) {
  TempDir dir;
  test::writeJpeg(dir.file("a.jpg"), 640, 480);
  test::writeFile(dir.file("b.jpg"), test::makeJpegBytes(640, 480).substr(0, 300));
  test::writeFile(dir.file("c.jpg"), "");
  test::writeJpeg(dir.file("d.jpg"), 480, 640);
  ProgramState state;
  state.settings = defaultAlbumSettings();
  state.settings.PhotoFolder = dir.path();
  state.photos = scanFolder(dir.path())->rows;
  state.OrderChanged = 1;
  ScriptedDialogs dialogs(DialogAnswer::Yes);
  Recorder r;
  BuildHooks hooks = r.hooks(state, false);
  hooks.makeCopies = {};

  ASSERT_EQ(buildAlbum(state, dialogs, hooks), BuildOutcome::Partial);
  EXPECT_EQ(r.events.at(2), "status 写真の一部を除いてアルバムを作成しました。");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find("b.jpg"), std::string::npos);
  EXPECT_NE(dialogs.shown[0].text.find("c.jpg"), std::string::npos);
  const std::string index = test::readFile(dir.file("album_1.html"));
  EXPECT_NE(index.find("disp0( 2)\"><IMG SRC=\"small/d.jpg\""), std::string::npos) << index;
  EXPECT_EQ(index.find("disp0( 3)"), std::string::npos);
  EXPECT_TRUE(state.albumViewEnabled);
  // The order file keeps every photo.
  EXPECT_EQ(test::readFile(dir.file("titlen.txt")), "a,a\r\nb,b\r\nc,c\r\nd,d\r\n");

  dialogs.shown.clear();
  EXPECT_EQ(buildPagesOnly(state, dialogs), BuildOutcome::Failed);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kMissingCopyMessage);
}

// Names that would write outside the album folder (or over its own files) are refused by
// every command before anything is written.
TEST(BuildCommands, SettingsNamesThatAreNoPlainNamesAreRefused) {
  struct Case {
    const char* albumHtml;
    const char* imageFolder;
    const char* thumbFolder;
  };
  for (const Case c : {Case{"../x.html", "big", "small"}, Case{"album.html", "../../t", "small"},
                       Case{"album.html", "big", "a/b"}, Case{"a\x01.html", "big", "small"},
                       Case{"album.html", "..", "small"}, Case{"album.html", "", "small"},
                       Case{"album.html", "same", "same"}}) {
    SCOPED_TRACE(std::string(c.albumHtml) + " " + c.imageFolder + " " + c.thumbFolder);
    TempDir parent;
    const std::string folder = parent.file("album");
    std::filesystem::create_directory(folder);
    test::writeJpeg(folder + "/p.jpg", 64, 48);
    ProgramState state;
    state.settings = defaultAlbumSettings();
    state.settings.PhotoFolder = folder;
    state.settings.AlbumHtml = c.albumHtml;
    state.settings.ImageFolder = c.imageFolder;
    state.settings.ThumbFolder = c.thumbFolder;
    state.photos = scanFolder(folder)->rows;
    ScriptedDialogs dialogs(DialogAnswer::Yes);

    EXPECT_EQ(buildAlbum(state, dialogs), BuildOutcome::Failed);
    EXPECT_EQ(buildPagesOnly(state, dialogs), BuildOutcome::Failed);
    // The copies do not depend on the page name.
    if (std::string(c.albumHtml) == "album.html") {
      EXPECT_EQ(buildCopiesOnly(state, dialogs).made, 0u);
    }
    ASSERT_EQ(dialogs.shown.size(), std::string(c.albumHtml) == "album.html" ? 3u : 2u);
    EXPECT_NE(dialogs.shown[0].text.find("設定「"), std::string::npos) << dialogs.shown[0].text;
    EXPECT_EQ(listFolder(folder, EntryKind::File), std::vector<std::string>{"p.jpg"});
    EXPECT_TRUE(listFolder(folder, EntryKind::Folder).empty());
    EXPECT_EQ(listFolder(parent.path(), EntryKind::Folder), std::vector<std::string>{"album"});
    EXPECT_TRUE(listFolder(parent.path(), EntryKind::File).empty());
  }
}

// A pages-only rebuild while another run holds the folder waits for that run, then keeps
// each page's mode (a new page gets 0666 under the umask) and removes the temporary files
// that killed runs left in the album folder, the copy folders and their sub-folders, but
// not one that a live writer holds.
TEST(BuildPagesOnly, WaitsForTheRunBeforeKeepsPageModesAndRemovesStaleTemporaries) {
  enum class Before { Page, NoPage, Temporary, HeldTemporary };
  struct Case {
    const char* file;
    Before before;
    bool remains;
    mode_t mode;  // 0: not checked
  };
  const mode_t umask = ::umask(0);
  ::umask(umask);
  const Case cases[] = {
      {"album.html", Before::Page, true, 0640},
      {"album_1.html", Before::Page, true, 0600},
      {"album_2.html", Before::NoPage, true, 0666 & ~umask},
      {".fotela-Killed", Before::Temporary, false, 0},
      {"small/.fotela-Killed", Before::Temporary, false, 0},
      {"big/.fotela-Killed", Before::Temporary, false, 0},
      {"big/2x/.fotela-Killed", Before::Temporary, false, 0},
      {"small/.fotela-Living", Before::HeldTemporary, true, 0},
  };
  TempDir dir;
  ProgramState state, other;
  initState(state, dir, 0);
  initState(other, dir, 0);
  test::makeAlbumFolder(state, dir.path(), {{"a", "jpg", 600, 100, 75, 600, 450, "a"}});
  std::filesystem::create_directory(dir.file("big/2x"));
  ScriptedDialogs dialogs;
  ASSERT_EQ(buildPagesOnly(state, dialogs), BuildOutcome::Written);
  std::vector<int> held;
  struct stat st {};
  for (const Case& c : cases) {
    const std::string path = dir.file(c.file);
    if (c.before == Before::Page) ::chmod(path.c_str(), c.mode);
    if (c.before == Before::NoPage) std::filesystem::remove(path);
    if (c.before >= Before::Temporary) test::writeFile(path, "left");
    if (c.before == Before::HeldTemporary) held.push_back(::open(path.c_str(), O_RDONLY));
    if (c.before == Before::HeldTemporary) ::flock(held.back(), LOCK_EX);
    ::stat(path.c_str(), &st);
  }
  // Until the file system's clock has passed the last change, so that the run is younger.
  while (fileClockNow().time_since_epoch() <=
         std::chrono::seconds(st.st_ctim.tv_sec) + std::chrono::nanoseconds(st.st_ctim.tv_nsec))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));

  auto running = std::make_unique<AlbumRun>(other);
  bool waited = false;
  state.runWaiting = [&](const std::string& folder) {
    waited = folder == dir.path() && !isFile(dir.file("album_2.html"));
    running.reset();  // the other run ends
  };
  EXPECT_EQ(buildPagesOnly(state, dialogs), BuildOutcome::Written);
  EXPECT_TRUE(waited) << "the runs did not take turns";
  for (const Case& c : cases) {
    const bool exists = ::stat(dir.file(c.file).c_str(), &st) == 0;
    EXPECT_EQ(exists, c.remains) << c.file;
    EXPECT_TRUE(!exists || !c.mode || (st.st_mode & 07777) == c.mode)
        << c.file << " " << st.st_mode;
  }
  for (int fd : held) ::close(fd);
}

}  // namespace
}  // namespace fotela
