#include "common/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace fotela {
namespace {

std::mutex gProgramFolderMutex;
std::string gProgramFolder;
bool gProgramFolderSet = false;
std::string gPicturesFolder;

std::string stripTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() == kSeparator) folder.pop_back();
  return folder;
}

}  // namespace

std::string ProgramFolder() {
  std::lock_guard lock(gProgramFolderMutex);
  if (!gProgramFolderSet) {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    gProgramFolder = ec ? std::string() : stripTrailingSeparator(self.parent_path().string());
    gProgramFolderSet = true;
  }
  return gProgramFolder;
}

void setProgramFolder(std::string folder) {
  std::lock_guard lock(gProgramFolderMutex);
  gProgramFolder = stripTrailingSeparator(std::move(folder));
  gProgramFolderSet = true;
}

bool programIsInstalled() {
  const std::string folder = ProgramFolder();
  std::error_code ec;
  return folder == "/usr/bin" || folder == "/usr/local/bin" ||
         std::filesystem::is_directory(folder + "/../share/fotela", ec);
}

bool programFolderIsWritable() {
  const std::string folder = ProgramFolder();
  return ::access((folder.empty() ? "/" : folder).c_str(), W_OK) == 0;
}

void setPicturesFolder(std::string folder) {
  std::lock_guard lock(gProgramFolderMutex);
  gPicturesFolder = stripTrailingSeparator(std::move(folder));
}

std::string defaultPhotoFolder() {
  if (!programIsInstalled() && programFolderIsWritable()) return ProgramFolder();
  std::string pictures;
  {
    std::lock_guard lock(gProgramFolderMutex);
    pictures = gPicturesFolder;
  }
  std::error_code ec;
  if (!pictures.empty() && std::filesystem::is_directory(pictures, ec)) return pictures;
  if (const char* home = std::getenv("HOME");
      home && *home && std::filesystem::is_directory(home, ec))
    return normalFolderPath(home);
  return ProgramFolder();
}

void SplitFolderAndName(std::string_view path, std::string& folder, std::string& name) {
  const std::size_t last = path.rfind(kSeparator);
  if (last == std::string_view::npos) {
    folder.clear();
    name.clear();
    return;
  }
  folder.assign(path.substr(0, last));
  name.assign(path.substr(last + 1));
}

void SplitPath(std::string_view path, std::string& drive, std::string& folder, std::string& name) {
  // This platform has no drive letters: everything is one tree under "/".
  drive.clear();
  const std::size_t last = path.rfind(kSeparator);
  if (last == std::string_view::npos) {
    folder.clear();
    name.assign(path);
    return;
  }
  folder.assign(path.substr(0, last));
  name.assign(path.substr(last + 1));
}

std::string normalFolderPath(std::string_view folder) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(folder), ec);
  if (ec) p = std::filesystem::path(folder);
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == kSeparator) s.pop_back();
  return s;
}

std::string folderPrefix(std::string_view folder) {
  std::string prefix(folder);
  if (prefix.empty() || prefix.back() != kSeparator) prefix += kSeparator;
  return prefix;
}

}  // namespace fotela
