#pragma once
// The metadata segments of a photo that the editor carries into the JPEG it saves: the
// EXIF segment (camera, date, exposure) and the ICC colour profile.

#include <string>
#include <string_view>
#include <vector>

#include "imaging/exif.h"  // exifForUprightPicture

namespace fotela {

struct JpegMetadata {
  std::string exif;              // the first APP1 "Exif" segment, marker and length included
  std::vector<std::string> icc;  // every APP2 "ICC_PROFILE" segment, in file order

  bool empty() const { return exif.empty() && icc.empty(); }
};

// The segments before the first scan of a JPEG file. A malformed header ends the search;
// what was found until then is kept.
JpegMetadata readJpegMetadata(std::string_view jpeg);

// `encoded` (a JPEG as the encoder wrote it) with the metadata inserted after its start
// marker. With an EXIF segment the encoder's JFIF segment is left out, as EXIF files have
// their APP1 segment first.
std::string withJpegMetadata(std::string_view encoded, const JpegMetadata& metadata, int width,
                             int height);

}  // namespace fotela
