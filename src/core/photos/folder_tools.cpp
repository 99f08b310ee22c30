#include "photos/folder_tools.h"

#include <filesystem>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "settings/settings_paths.h"

namespace fs = std::filesystem;

namespace fotela {
namespace {

bool sameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace

bool cameraFolderIsAlbumFolder(const AlbumSettings& settings) {
  const std::string camera = cameraFolderPath(settings.CameraFolder, settings.PhotoFolder);
  if (camera.empty()) return false;
  const fs::path photo = normalFolderPath(settings.PhotoFolder);
  const fs::path cameraPath = normalFolderPath(camera);
  return sameFolder(cameraPath, photo) || sameFolder(cameraPath, photo / settings.ThumbFolder) ||
         sameFolder(cameraPath, photo / settings.ImageFolder);
}

int copyCameraFiles(const AlbumSettings& settings, const FileLoopProgress& progress,
                    std::stop_token stop) {
  if (settings.CameraFolder.empty() || cameraFolderIsAlbumFolder(settings)) return kFilesFailed;
  return CopyAllFiles(cameraFolderPath(settings.CameraFolder, settings.PhotoFolder),
                      settings.PhotoFolder, progress, stop);
}

int deleteCameraFiles(const AlbumSettings& settings, const FileLoopProgress& progress,
                      std::stop_token stop) {
  if (settings.CameraFolder.empty() || cameraFolderIsAlbumFolder(settings)) return kFilesFailed;
  return DeleteAllFiles(cameraFolderPath(settings.CameraFolder, settings.PhotoFolder), progress,
                        stop);
}

bool makeSubFolder(const std::string& folder, const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find(kSeparator) != std::string::npos)
    return false;
  std::error_code ec;
  return fs::create_directory(fs::path(folder) / name, ec) && !ec;
}

LowerCaseResult lowerCaseJpegNames(const std::string& folder) {
  LowerCaseResult result;
  for (const std::string& name : listFolder(folder, EntryKind::File)) {
    if (name.size() < 4 || !equalsIgnoreAsciiCase(name.substr(name.size() - 4), ".jpg")) continue;
    const std::string lower = asciiLower(name);
    if (lower == name) continue;
    const fs::path from = fs::path(folder) / name;
    const fs::path to = fs::path(folder) / lower;
    std::error_code ec;
    // On a case-insensitive file system the lower-case name is the file itself.
    if (fs::exists(fs::symlink_status(to, ec)) && !fs::equivalent(from, to, ec)) {
      result.skipped.push_back(name);
      continue;
    }
    fs::rename(from, to, ec);
    (ec ? result.failed : result.renamed).push_back(name);
  }
  return result;
}

}  // namespace fotela
