#include "publish/build_commands.h"

#include <gtest/gtest.h>

#include "common/files.h"
#include "common/scripted_dialogs.h"
#include "core/publish/publish_fixture.h"
#include "photos/folder_scan.h"
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

TEST(BuildAlbum, MissingCopiesStillEndWithTheBuiltStatus) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, 1);
  ScriptedDialogs dialogs;
  Recorder r;

  EXPECT_EQ(buildAlbum(state, dialogs, r.hooks(state, false)), BuildOutcome::Failed);
  EXPECT_EQ(r.events.at(3), "status アルバムを作成しました。");
  EXPECT_EQ(r.events.back(), "idle");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kMissingCopyMessage);
  EXPECT_FALSE(state.albumViewEnabled);
}

TEST(BuildPagesOnly, EmptyListShowsBothStatusTextsAndWritesNothing) {
  TempDir dir;
  ProgramState state;
  initState(state, dir, 0);
  ScriptedDialogs dialogs;
  Recorder r;

  EXPECT_EQ(buildPagesOnly(state, dialogs, r.hooks(state, true)), BuildOutcome::NoPhotos);
  EXPECT_EQ(r.events,
            (std::vector<std::string>{"status アルバム作成中", "status アルバムを作成しました。"}));
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

}  // namespace
}  // namespace fotela
