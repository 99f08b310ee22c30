#include "settings/settings_paths.h"

#include "common/paths.h"
#include "common/text.h"

namespace fotela {

std::string Zettai(std::string_view path, std::string_view base) {
  if (path.starts_with(kSeparator)) return std::string(path);
  return std::string(base) + kSeparator + std::string(path);
}

std::string Soutai(std::string_view path, std::string_view base) {
  if (!path.starts_with(kSeparator)) return std::string(path);
  while (base.size() > 1 && base.ends_with(kSeparator)) base.remove_suffix(1);
  if (base == "/") return path.size() > 1 ? std::string(path.substr(1)) : std::string(path);
  const std::string_view separator(&kSeparator, 1);
  std::string prefix, tail;
  bool diverged = false;
  // Walk both paths field by field; once they part, every further field of the base
  // is one level up and every further field of the path goes into the tail.
  for (int k = 1;; ++k) {
    std::string p, b;
    const bool hasP = TryFieldOf(p, path, separator, k) == 0;
    const bool hasB = TryFieldOf(b, base, separator, k) == 0;
    if (!hasP && !hasB) break;
    if (!diverged && p != b) diverged = true;
    if (!diverged) continue;
    if (hasP && hasB) {
      if (!tail.empty()) tail += '/';
      tail += p;
      prefix += "../";
    } else if (hasB) {
      prefix += "../";
    } else {
      if (!tail.empty()) tail += '/';
      tail += p;
    }
  }
  const std::string result = prefix + tail;
  return result.empty() ? std::string(path) : result;
}

std::string cameraFolderPath(std::string_view cameraFolder, std::string_view photoFolder) {
  if (cameraFolder.empty()) return {};
  return folderPrefix(normalFolderPath(Zettai(cameraFolder, photoFolder)));
}

}  // namespace fotela
