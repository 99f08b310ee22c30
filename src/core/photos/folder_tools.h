#pragma once
// The file tools of the main window: copying the camera's files into the photo folder,
// deleting them on the card, making a sub-folder and lower-casing the photos' names.

#include <string>
#include <vector>

#include "common/files.h"
#include "settings/album_settings.h"

namespace fotela {

// The camera folder may not be the photo folder or one of its two copy sub-folders:
// copying would truncate the photos onto themselves, deleting would remove the album's
// photos or copies. True when `settings.CameraFolder` names one of them (an old relative
// value taken relative to the photo folder).
bool cameraFolderIsAlbumFolder(const AlbumSettings& settings);

// Copies every ordinary file of the camera folder into the photo folder, replacing files
// of the same name and keeping each file's modification time (CopyAllFiles). kFilesDone,
// kFilesFailed (also when refused, see cameraFolderIsAlbumFolder; files copied before a
// failure stay) or kFilesStopped.
int copyCameraFiles(const AlbumSettings& settings, const FileLoopProgress& progress = {},
                    std::stop_token stop = {});
// Deletes every ordinary file of the camera folder, with the same results.
int deleteCameraFiles(const AlbumSettings& settings, const FileLoopProgress& progress = {},
                      std::stop_token stop = {});

// Makes the sub-folder `name` of `folder`. False when it exists, the name is not a single
// folder name, or the folder cannot be made.
bool makeSubFolder(const std::string& folder, const std::string& name);

struct LowerCaseResult {
  std::vector<std::string> renamed;  // the old names
  std::vector<std::string> skipped;  // the lower-case name belongs to another file
  std::vector<std::string> failed;   // the rename failed
};

// Renames every "*.jpg" file of `folder` (letter case ignored, directory order) to its
// name with ASCII letters in lower case. A file whose new name is taken is skipped.
LowerCaseResult lowerCaseJpegNames(const std::string& folder);

}  // namespace fotela
