#pragma once
// Building the photo list of a folder: the order file's photos first, then the rest in
// directory order.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "photos/order_file.h"
#include "photos/photo_entry.h"

namespace fotela {

// "999", "0.9K", "976.5K", "1M": decimal thresholds, binary units, tenths cut.
std::string sizeText(std::uint64_t bytes);
// Last modification time in local time, "yyyy/mm/dd hh:mm:ss"; "" when unreadable.
std::string ShowFileAccessInfo(const std::string& path);

struct FolderScan {
  std::vector<PhotoEntry> rows;
  OrderTable order;
};

// Called now and then with the number of files looked at so far (any thread the scan
// runs on).
using ScanProgress = std::function<void(std::size_t filesSeen)>;

// Scans `folder`. nullopt when `stop` was requested before the scan finished.
std::optional<FolderScan> scanFolder(const std::string& folder, std::stop_token stop = {},
                                     const ScanProgress& progress = {});

// The file name of the photo that a scan of `folder` would put first, found without reading
// any photo; nullopt when the folder holds none.
std::optional<std::string> firstPhotoFile(const std::string& folder);

}  // namespace fotela
