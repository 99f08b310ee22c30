#include "program/folder_change.h"

#include "common/paths.h"

namespace fotela {

bool openPhotoFolder(ProgramState& state, const std::string& folder, std::stop_token stop,
                     const ScanProgress& progress) {
  return applyFolderScan(state, folder, scanFolder(folder, stop, progress));
}

bool applyFolderScan(ProgramState& state, const std::string& folder,
                     std::optional<FolderScan> scan) {
  AlbumSettings& s = state.settings;
  s.PhotoFolder = folder;
  if (s.TitleFromFolder == 1) {
    std::string parent;
    SplitFolderAndName(folder, parent, s.AlbumTitle);
  }
  state.photos.clear();
  state.OrderChanged = 0;
  if (!scan) {
    state.order = {};
    return false;
  }
  state.photos = std::move(scan->rows);
  state.order = std::move(scan->order);
  return true;
}

}  // namespace fotela
