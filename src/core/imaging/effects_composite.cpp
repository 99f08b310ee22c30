// Laying a second picture over the top-left corner of the photo.

#include <algorithm>
#include <cstdlib>

#include "common/text.h"
#include "imaging/effects.h"

namespace fotela {

int compositeTolerance(std::string_view fileName) {
  // A bitmap or PNG overlay holds its colours exactly; a JPEG one drifts a little around
  // the transparent colour, so nearby colours count as transparent too.
  if (fileName.size() < 4) return 14;
  const std::string_view extension = fileName.substr(fileName.size() - 4);
  return equalsIgnoreAsciiCase(extension, ".bmp") || equalsIgnoreAsciiCase(extension, ".png") ? 1
                                                                                              : 14;
}

void CompositeImage(Image& picture, const Image& overlay, int tolerance,
                    std::string_view transparentColour, const std::vector<bool>& transparent) {
  const ColourChannels key = colourChannels(transparentColour);
  const int wm = std::min(picture.width(), overlay.width());
  const int hm = std::min(picture.height(), overlay.height());
  for (int y = 0; y < hm; ++y) {
    const std::uint8_t* from = overlay.row(y);
    std::uint8_t* to = picture.row(y);
    const std::size_t marks = static_cast<std::size_t>(y) * overlay.width();
    for (int x = 0; x < wm; ++x, from += 3, to += 3) {
      if (!transparent.empty() && transparent[marks + x]) continue;
      if (std::abs(from[0] - key.r) >= tolerance || std::abs(from[1] - key.g) >= tolerance ||
          std::abs(from[2] - key.b) >= tolerance) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
      }
    }
  }
}

}  // namespace fotela
