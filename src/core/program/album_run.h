#pragma once
// One run that writes into an album folder: a build, pages only, copies only, the menu page.

#include "common/folder_lock.h"

namespace fotela {

struct ProgramState;

// What the command line says while a run waits for another on the same folder.
inline constexpr const char* kRunWaitingMessage =
    "このフォルダで実行中の別の作成が終わるのを待っています";

// Held for the whole run. Takes the lock of state.settings.PhotoFolder (a run of another
// process on the folder waits for this one to end; state.runWaiting is told when this one
// waits), then removes the temporary files that killed runs left in the album folder, the
// two copy folders and their sub-folders: only those changed before this run got the lock
// and held by no live writer. A run nested in one that holds the lock (state.runLockHeld) takes
// nothing and removes nothing.
class AlbumRun {
 public:
  explicit AlbumRun(ProgramState& state);
  ~AlbumRun();
  AlbumRun(const AlbumRun&) = delete;
  AlbumRun& operator=(const AlbumRun&) = delete;

 private:
  ProgramState& state_;
  bool outermost_ = false;
  FolderLock lock_;
};

}  // namespace fotela
