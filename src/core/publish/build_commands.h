#pragma once
// The three album build commands behind the window's buttons and menus and the command
// line: full build (reduced copies, then pages), pages only, reduced copies only.
// They run on the caller's thread; the thumbnail maker inside may use worker threads.

#include <functional>
#include <string>

#include "thumbs/thumb_maker.h"

namespace fotela {

struct ProgramState;
class UserDialogs;

// Texts of the window's first status panel (the command line prints them too).
inline constexpr const char* kStatusBuilding = "アルバム作成中";
inline constexpr const char* kStatusBuilt = "アルバムを作成しました。";
// After a full build that left out photos whose copies could not be made.
inline constexpr const char* kStatusBuiltWithout = "写真の一部を除いてアルバムを作成しました。";
// After a build that wrote no album (the reason was shown in a message).
inline constexpr const char* kStatusNotBuilt = "アルバムを作成できませんでした。";
// The full build's answer to an empty photo list.
inline constexpr const char* kNoPhotosMessage = "対象画像がありません";
inline constexpr const char* kBuildCaption = "アルバム作成";

struct BuildHooks {
  // The first status panel's text.
  std::function<void(const std::string& text)> status;
  // true: hourglass and the buttons disabled; false: back to normal ("表示" only when
  // state.albumViewEnabled).
  std::function<void(bool busy)> busy;
  // Makes the reduced copies (the window shows its progress). Empty: runThumbnailMaker
  // with CopyMode::All and no progress.
  std::function<ThumbRunResult(ProgramState& state, UserDialogs& dialogs)> makeCopies;
};

enum class BuildOutcome {
  NoPhotos,  // empty list (the full build said so; pages only stays silent)
  Written,   // the album pages were written, every photo in them
  Partial,   // the pages were written without the photos whose copies failed (named)
  Failed,    // nothing written: a message said why; the old pages stand
};

// Every command holds an AlbumRun while it writes: the full build one for the copies and
// the pages; pages only and copies only the one of WriteAlbumPages and of the thumbnail
// maker (which may still run after the command has returned). Every command first checks
// the page and sub-folder names of the settings (checkAlbumNames) and refuses, with a
// message and writing nothing, names that are not plain names. The final status text is
// kStatusBuilt only when every photo's page lines were written; otherwise
// kStatusBuiltWithout or kStatusNotBuilt (pages only with an empty list: kNoPhotosMessage).
//
// Full build: refuses an empty list with "対象画像がありません"; ThumbRunMode 0 so the
// thumbnail maker asks before remaking existing copies; then WriteAlbumPages, leaving out
// the photos whose copies could not be made in this run (the thumbnail maker's warning
// names them).
BuildOutcome buildAlbum(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks = {});
// Pages only: WriteAlbumPages with the copies already there (a missing one stops it).
BuildOutcome buildPagesOnly(ProgramState& state, UserDialogs& dialogs,
                            const BuildHooks& hooks = {});
// Reduced copies only: ThumbRunMode 1, no question. Refused names give a result with
// that failure and no copy.
ThumbRunResult buildCopiesOnly(ProgramState& state, UserDialogs& dialogs,
                               const BuildHooks& hooks = {});

}  // namespace fotela
