#pragma once
// What a photo's own metadata says about it: when and how it was taken, and the caption
// its maker embedded (EXIF, XMP or IPTC). Reads only the header segments of the file.

#include <optional>
#include <span>
#include <string>

namespace fotela {

struct PhotoFacts {
  std::string dateTaken;     // "2024:05:03 14:22:10" as stored (DateTimeOriginal, else DateTime)
  std::string cameraModel;   // Model, trimmed
  std::string exposureTime;  // "1/250" or "2.5" (seconds), as a photographer writes it
  std::string fNumber;       // "5.6"
  std::string iso;           // "200"
  std::string focalLength;   // "35" (millimetres)
  // The embedded caption as UTF-8: EXIF ImageDescription, else XMP dc:description, else
  // the IPTC caption; "" when none (blank or placeholder captions count as none).
  std::string caption;
  // Every field is plain text (never HTML: escape it where it enters a page), valid UTF-8
  // without control characters other than the caption's line breaks ("\n").
  bool operator==(const PhotoFacts&) const = default;
  bool empty() const {
    return dateTaken.empty() && cameraModel.empty() && exposureTime.empty() &&
           fNumber.empty() && iso.empty() && focalLength.empty() && caption.empty();
  }
};

// The facts of a JPEG held in memory; empty facts when it has none or they are malformed.
PhotoFacts readPhotoFacts(std::span<const unsigned char> jpeg);
// The facts of a JPEG file; reads no more than its header segments.
PhotoFacts readPhotoFactsFromFile(const std::string& path);

}  // namespace fotela
