#pragma once
// The pixel size of a JPEG file from its frame header.

#include <cstddef>
#include <span>
#include <string>

namespace fotela {

struct ImageSize {
  int width = 0;
  int height = 0;
  bool operator==(const ImageSize&) const = default;
};

// kind 2 = JPEG (the only kind). Reads only as far as the walk goes. A walk that runs off
// the data, a cut frame header or a file that cannot be opened gives 0 x 0.
ImageSize ReadImageSize(const std::string& path, int kind = 2);
// The same walk over bytes in memory.
ImageSize readImageSizeFromBytes(std::span<const unsigned char> bytes);

}  // namespace fotela
