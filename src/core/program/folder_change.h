#pragma once
// A folder change: the photo folder, its list and order entries replaced together.

#include <optional>
#include <stop_token>
#include <string>

#include "photos/folder_scan.h"
#include "program/program_state.h"

namespace fotela {

// `folder` becomes PhotoFolder (and, while TitleFromFolder is 1, its last component the
// album title), its photo list and order entries replace the old ones, and no change is
// pending. False, with an empty list, when stopped.
bool openPhotoFolder(ProgramState& state, const std::string& folder, std::stop_token stop = {},
                     const ScanProgress& progress = {});

// The second half of openPhotoFolder, for a scan that ran elsewhere (a worker thread):
// nullopt stands for a stopped scan.
bool applyFolderScan(ProgramState& state, const std::string& folder,
                     std::optional<FolderScan> scan);

}  // namespace fotela
