#pragma once
// The program-wide state that every window and the command line share.
// Owned by the UI thread; worker jobs get copies of what they need.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "photos/order_file.h"
#include "photos/photo_entry.h"
#include "settings/album_settings.h"

namespace fotela {

// The look of the album pages. Classic: the frameset and its pages. Modern: one responsive
// page set that also works on phones, with copies at twice the size for dense screens.
enum class AlbumStyle { Classic, Modern };

struct ProgramState {
  AlbumSettings settings;

  std::int16_t AutoMode = 0;  // 1 = build the album of the start folder and quit
  std::atomic<std::int16_t> StartupCancelled{0};  // -1 after the splash's cancel
  std::int16_t SplitViewScript = 0;               // -1 when the marker file was found at start
  std::int16_t OrderChanged = 0;  // 1 while order or descriptions differ from the file
  std::string LastAlbumPage;      // main page last written in this run
  std::int16_t ThumbRunMode = 0;  // 0 ask before remaking copies; 1 make; 2 declined
  std::string LastSettingsPath;   // last file of the settings dialog
  // Chosen per user (not in the settings file); the copies and pages follow it.
  AlbumStyle albumStyle = AlbumStyle::Classic;

  // An album has been written without error in this run (enables "表示").
  bool albumViewEnabled = false;

  // Told when a build must wait for another run on its album folder (another process
  // holds the folder's lock), on the thread that waits.
  std::function<void(const std::string& folder)> runWaiting;
  // Set while a build of this state holds its album folder's lock (AlbumRun), so that the
  // parts it calls do not take it again.
  bool runLockHeld = false;

  // The photo list in displayed order (= album order) and the folder's order entries.
  std::vector<PhotoEntry> photos;
  OrderTable order;
};

// What a job on a worker thread reads, copied from the window's state: everything but the
// start-up flag, which stays with the window.
std::unique_ptr<ProgramState> workerCopy(const ProgramState& from);

}  // namespace fotela
