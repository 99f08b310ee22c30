#include "editor/jpeg_metadata.h"

#include "imaging/codec.h"
#include "imaging/jpeg_segments.h"

namespace fotela {
namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;

// "ICC_PROFILE\0" before each chunk of a colour profile in APP2.
constexpr std::string_view kIccId{"ICC_PROFILE\0", 12};

unsigned byteAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

}  // namespace

JpegMetadata readJpegMetadata(std::string_view jpeg) {
  JpegMetadata metadata;
  forEachJpegSegment(byteSpan(jpeg), [&](const JpegSegment& s) {
    const std::string_view whole = jpeg.substr(s.start, s.length);
    if (isExifSegment(s)) {
      if (metadata.exif.empty()) metadata.exif = std::string(whole);
    } else if (s.marker == kJpegApp2 && whole.substr(4).starts_with(kIccId)) {
      metadata.icc.emplace_back(whole);
    }
    return true;
  });
  return metadata;
}

std::string withJpegMetadata(std::string_view encoded, const JpegMetadata& metadata, int width,
                             int height) {
  const std::string exif =
      metadata.exif.empty() ? std::string() : exifForUprightPicture(metadata.exif, width, height);
  if (exif.empty() && metadata.icc.empty()) return std::string(encoded);
  if (encoded.size() < 4 || byteAt(encoded, 0) != kMarker || byteAt(encoded, 1) != kStartOfImage)
    return std::string(encoded);

  // The encoder's own JFIF segment, if it starts the file.
  std::size_t rest = 2;
  std::string jfif;
  forEachJpegSegment(byteSpan(encoded), [&](const JpegSegment& s) {
    if (s.start == 2 && s.marker == kJpegApp0) {
      jfif = std::string(encoded.substr(s.start, s.length));
      rest = s.start + s.length;
    }
    return false;  // only the first segment counts
  });

  std::string out;
  out.reserve(encoded.size() + exif.size() + 70000);
  out.append(encoded.substr(0, 2));
  if (!exif.empty())
    out += exif;
  else
    out += jfif;
  for (const std::string& chunk : metadata.icc) out += chunk;
  out.append(encoded.substr(rest));
  return out;
}

}  // namespace fotela
