#pragma once
// Helpers for the imaging tests: patterned pictures and a colour tolerance. JPEGs are
// encoded by core/support/test_files.h and EXIF segments built by core/support/exif_builder.h.

#include <cstdint>

#include "imaging/image.h"

namespace fotela::test {

// Left half `left`, right half `right`.
inline Image halves(int width, int height, std::int32_t left, std::int32_t right) {
  Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, x < width / 2 ? left : right);
  return image;
}

// True when every channel of the pixel is within `tolerance` of the colour.
inline bool near(std::int32_t pixel, std::int32_t colour, int tolerance = 12) {
  for (int shift = 0; shift < 24; shift += 8) {
    int a = (pixel >> shift) & 0xFF, b = (colour >> shift) & 0xFF;
    if (a - b > tolerance || b - a > tolerance) return false;
  }
  return pixel >= 0;
}

}  // namespace fotela::test
