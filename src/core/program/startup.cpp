#include "program/startup.h"

#include <filesystem>

#include "common/files.h"
#include "common/paths.h"

namespace fotela {

StartupArguments parseStartupArguments(std::string_view argumentString) {
  StartupArguments result;
  if (argumentString.empty()) return result;
  std::string path;
  if (argumentString.starts_with("auto=")) {
    result.AutoMode = 1;
    path = argumentString.substr(5);
  } else {
    path = argumentString;
  }
  // The path is taken as it stands: no quotes removed, no blanks trimmed.
  if (isFolder(path)) {
    result.PhotoFolder = path;
  } else if (isFile(path)) {
    std::string folder, name;
    SplitFolderAndName(path, folder, name);
    if (folder.empty()) {
      // "/photo.jpg" lies in the root; "photo.jpg" in the current folder.
      std::error_code ec;
      folder = path.starts_with('/') ? "/" : std::filesystem::current_path(ec).string();
    }
    result.PhotoFolder = folder;
  }
  return result;
}

std::int16_t probeMarkerFile(const std::string& folder) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::path(folderPrefix(folder)) / kMarkerFileName, ec)
             ? -1
             : 0;
}

}  // namespace fotela
