#pragma once
// The EXIF orientation tag of a JPEG file and turning pixels upright by it.

#include <span>

#include "imaging/image.h"

namespace fotela {

// Orientation values as the EXIF tag 0x0112 defines them: 1 upright; 2 mirrored
// left-right; 3 turned 180 degrees; 4 mirrored top-bottom; 5 mirrored along the main
// diagonal; 6 to be turned 90 degrees clockwise; 7 mirrored along the other diagonal;
// 8 to be turned 90 degrees anticlockwise.
inline constexpr int kOrientationUpright = 1;

// The orientation of a JPEG file's first EXIF segment; 1 when the data holds none, a
// malformed one or a value outside 1..8. Reads only the header segments.
int readExifOrientation(std::span<const unsigned char> jpeg);

// True for 5 to 8: the upright picture has width and height swapped.
bool orientationSwapsAxes(int orientation);

// The picture turned upright from the stored `orientation` (1 or an unknown value gives a
// copy of `image`).
Image applyOrientation(const Image& image, int orientation);

}  // namespace fotela
