#include "program/album_run.h"

#include <filesystem>
#include <string>

#include "common/files.h"
#include "common/paths.h"
#include "program/program_state.h"
#include "settings/album_settings.h"

namespace fs = std::filesystem;

namespace fotela {
namespace {

// The album folder itself (not its sub-folders: other albums may live there), the copy
// folders and the folders inside them (copies of other sizes), never through a symlink
// found on the way.
void removeStaleRunTemporaries(const AlbumSettings& s, FileTime started) {
  removeStaleTemporaries(s.PhotoFolder, started);
  // Names that are not plain could lead out of the album: no copies are made then either.
  if (!checkCopyFolderNames(s)) return;
  for (const std::string& name : {s.ImageFolder, s.ThumbFolder}) {
    const std::string copies = folderPrefix(s.PhotoFolder) + name;
    removeStaleTemporaries(copies, started);
    std::error_code ec;
    for (fs::directory_iterator it(copies, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code statError;
      if (it->is_directory(statError) && !it->is_symlink(statError))
        removeStaleTemporaries(it->path().string(), started);
    }
  }
}

}  // namespace

AlbumRun::AlbumRun(ProgramState& state) : state_(state) {
  if (state.runLockHeld) return;
  const std::string folder = state.settings.PhotoFolder;
  lock_ = FolderLock::take(folder, [&] {
    if (state.runWaiting) state.runWaiting(folder);
  });
  outermost_ = state.runLockHeld = true;
  removeStaleRunTemporaries(state.settings, fileClockNow());
}

AlbumRun::~AlbumRun() {
  if (outermost_) state_.runLockHeld = false;
}

}  // namespace fotela
