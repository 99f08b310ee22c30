#include "photos/folder_scan.h"

#include <sys/stat.h>

#include <cmath>
#include <ctime>
#include <string_view>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "photos/image_size.h"

namespace fotela {
namespace {

// The scan reports progress and looks at the stop request once every this many files.
constexpr std::size_t kYieldEvery = 31;

std::string timeText(std::time_t t) {
  std::tm local{};
  if (!::localtime_r(&t, &local)) return {};
  char buffer[32];
  std::size_t n = std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &local);
  return std::string(buffer, n);
}

struct NameParts {
  std::string name;  // before the first "."
  std::string type;  // between the first and the second "."
  bool moreDots = false;
};

NameParts splitName(std::string_view fileName) {
  NameParts p;
  std::size_t dot = fileName.find('.');
  p.name = std::string(fileName.substr(0, dot));
  if (dot == std::string_view::npos) return p;
  std::size_t second = fileName.find('.', dot + 1);
  p.type = std::string(fileName.substr(
      dot + 1, second == std::string_view::npos ? std::string_view::npos : second - dot - 1));
  p.moreDots = second != std::string_view::npos;
  return p;
}

// A photo's file name holds exactly one "." and ends in "jpg", letter case aside.
bool isPhotoName(const NameParts& parts) {
  return equalsIgnoreAsciiCase(parts.type, "jpg") && !parts.moreDots;
}

class Scanner {
 public:
  Scanner(const std::string& folder, std::stop_token stop, const ScanProgress& progress)
      : prefix_(folderPrefix(folder)), stop_(stop), progress_(progress) {}

  std::optional<FolderScan> run(const std::string& folder) {
    FolderScan scan;
    scan.order = TitleGet(folder);
    std::vector<std::string> files = listFolder(folder, EntryKind::File);

    const FileNameIndex index(files);

    // Ordered pass: the photos the order file names, in its order.
    for (const OrderEntry& entry : scan.order.entries()) {
      if (!tick()) return std::nullopt;
      const std::optional<std::string> stored = index.find(entry.name + ".jpg");
      if (!stored) continue;  // a missing photo is skipped without a message
      NameParts parts = splitName(*stored);
      if (!isPhotoName(parts)) continue;
      scan.rows.push_back(row(*stored, parts, scan.order));
    }

    // Directory pass: every other photo, in directory order.
    for (const std::string& f : files) {
      if (!tick()) return std::nullopt;
      NameParts parts = splitName(f);
      // "a.jpg.bak" would become the row of a file "a.jpg" that is not there: a photo's
      // name holds exactly one ".".
      if (!isPhotoName(parts)) continue;
      if (scan.order.isTitle(parts.name)) continue;  // listed by the order file
      scan.rows.push_back(row(f, parts, scan.order));
    }
    if (progress_) progress_(seen_);
    return scan;
  }

 private:
  // Counts one file; false when the scan is to stop.
  bool tick() {
    if (++seen_ % kYieldEvery != 0) return true;
    if (stop_.stop_requested()) return false;
    if (progress_) progress_(seen_);
    return true;
  }

  PhotoEntry row(const std::string& stored, const NameParts& parts, const OrderTable& order) {
    std::string path = prefix_ + stored;
    PhotoEntry e;
    e.name = parts.name;
    e.type = parts.type;
    struct stat st {};
    bool statOk = ::stat(path.c_str(), &st) == 0;
    ImageSize size = ReadImageSize(path, 2);
    e.width = std::to_string(size.width);
    e.height = std::to_string(size.height);
    e.sizeText = sizeText(statOk ? static_cast<std::uint64_t>(st.st_size) : 0);
    e.modified = statOk ? timeText(st.st_mtime) : std::string();
    e.description = order.TitleName(parts.name);
    return e;
  }

  std::string prefix_;
  std::stop_token stop_;
  const ScanProgress& progress_;
  std::size_t seen_ = 0;
};

}  // namespace

std::string sizeText(std::uint64_t bytes) {
  const double s = static_cast<double>(bytes);
  // The thresholds are decimal, the units binary, and the tenths are cut.
  double tenths;
  const char* unit;
  if (s > 999999) {
    tenths = std::floor(s / 104857.6);
    unit = "M";
  } else if (s > 999) {
    tenths = std::floor(s / 102.4);
    unit = "K";
  } else {
    return std::to_string(bytes);
  }
  auto t = static_cast<std::uint64_t>(tenths);
  std::string text = std::to_string(t / 10);
  if (t % 10 != 0) text += "." + std::to_string(t % 10);
  return text + unit;
}

std::string ShowFileAccessInfo(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return timeText(st.st_mtime);
}

std::optional<FolderScan> scanFolder(const std::string& folder, std::stop_token stop,
                                     const ScanProgress& progress) {
  Scanner scanner(folder, stop, progress);
  return scanner.run(folder);
}

std::optional<std::string> firstPhotoFile(const std::string& folder) {
  const OrderTable order = TitleGet(folder);
  const std::vector<std::string> files = listFolder(folder, EntryKind::File);
  const FileNameIndex index(files);
  for (const OrderEntry& entry : order.entries()) {
    std::optional<std::string> stored = index.find(entry.name + ".jpg");
    if (stored && isPhotoName(splitName(*stored))) return stored;
  }
  // No photo the order file names is there, so the directory pass starts the list.
  for (const std::string& f : files) {
    if (isPhotoName(splitName(f))) return f;
  }
  return std::nullopt;
}

}  // namespace fotela
