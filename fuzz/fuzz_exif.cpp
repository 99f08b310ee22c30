// The EXIF and header-segment readers: any bytes are walked without reading outside them,
// an EXIF segment rewritten for an upright picture reads back as upright, and the photo
// facts (EXIF, XMP, IPTC) are valid UTF-8 without control characters other than the
// caption's line breaks.
#include "editor/jpeg_metadata.h"
#include "fuzz_support.h"
#include "imaging/exif.h"
#include "imaging/jpeg_segments.h"
#include "imaging/photo_facts.h"

using namespace fotela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);
  const std::span<const unsigned char> span(data, size);

  const int orientation = readExifOrientation(span);
  if (orientation < 1 || orientation > 8) fuzz::failure("orientation out of range", bytes);

  std::size_t end = 0;
  forEachJpegSegment(span, [&](const JpegSegment& s) {
    if (s.start < end || s.start + s.length > size || s.length < 4 ||
        s.payload.data() != data + s.start + 4 || s.payload.size() != s.length - 4)
      fuzz::failure("segment outside the data or out of order", bytes);
    end = s.start + s.length;
    return true;
  });

  const PhotoFacts facts = readPhotoFacts(span);
  for (const std::string* field :
       {&facts.dateTaken, &facts.cameraModel, &facts.exposureTime, &facts.fNumber, &facts.iso,
        &facts.focalLength, &facts.caption}) {
    if (!fuzz::isValidUtf8(*field)) fuzz::failure("fact not UTF-8: " + *field, bytes);
    for (char c : *field)
      if ((static_cast<unsigned char>(c) < 0x20 && !(c == '\n' && field == &facts.caption)) ||
          c == 0x7F)
        fuzz::failure("control character in a fact: " + *field, bytes);
  }

  const JpegMetadata metadata = readJpegMetadata(bytes);
  if (metadata.exif.empty()) return 0;
  const int width = 1 + data[0], height = 1 + data[size - 1];
  const std::string upright = exifForUprightPicture(metadata.exif, width, height);
  if (upright.empty()) return 0;
  if (upright.size() != metadata.exif.size()) fuzz::failure("rewritten segment resized", bytes);
  const std::string jpeg = "\xFF\xD8" + upright + "\xFF\xD9";
  const int after =
      readExifOrientation({reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size()});
  if (after != 1) fuzz::failure("rewritten segment not upright: " + std::to_string(after), bytes);
  return 0;
}
