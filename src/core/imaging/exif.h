#pragma once
// The EXIF segment of a JPEG file: its orientation tag, turning pixels upright by it, and
// the segment made true for a picture saved upright.

#include <span>
#include <string>
#include <string_view>

#include "imaging/image.h"
#include "imaging/jpeg_segments.h"

namespace fotela {

// Orientation values as the EXIF tag 0x0112 defines them: 1 upright; 2 mirrored
// left-right; 3 turned 180 degrees; 4 mirrored top-bottom; 5 mirrored along the main
// diagonal; 6 to be turned 90 degrees clockwise; 7 mirrored along the other diagonal;
// 8 to be turned 90 degrees anticlockwise.
inline constexpr int kOrientationUpright = 1;

// The orientation of a JPEG file's first EXIF segment; 1 when the data holds none, a
// malformed one or a value outside 1..8. Reads only the header segments.
int readExifOrientation(std::span<const unsigned char> jpeg);

// True for an APP1 segment whose payload starts with the EXIF identifier "Exif\0\0".
bool isExifSegment(const JpegSegment& segment);

// The EXIF segment (marker and length included) made true for a picture stored upright at
// width x height: orientation 1, the pixel dimensions of the EXIF sub-directory set to the
// new size, and the embedded thumbnail (which still shows the unedited photo) unlinked. ""
// when the segment cannot be read safely; a photo then loses its EXIF data rather than
// getting a wrong orientation.
std::string exifForUprightPicture(std::string_view exifSegment, int width, int height);

// True for 5 to 8: the upright picture has width and height swapped.
bool orientationSwapsAxes(int orientation);

// The picture turned upright from the stored `orientation` (1 or an unknown value gives a
// copy of `image`).
Image applyOrientation(const Image& image, int orientation);

}  // namespace fotela
