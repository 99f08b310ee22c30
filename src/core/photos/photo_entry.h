#pragma once
// One row of the photo list.

#include <string>

namespace fotela {

struct PhotoEntry {
  std::string name;         // file name up to its first ".", as stored on disk
  std::string type;         // text between the first and second "." ("jpg", "JPG", ...)
  std::string width;        // pixel width, decimal
  std::string height;       // pixel height, decimal
  std::string sizeText;     // "976.5K", "1M", ...
  std::string modified;     // "yyyy/mm/dd hh:mm:ss", local time
  std::string description;  // from the order file, else `name`

  std::string fileName() const { return name + "." + type; }
  bool operator==(const PhotoEntry&) const = default;
};

}  // namespace fotela
