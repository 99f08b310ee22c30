#include "editor/jpeg_metadata.h"

#include <cstdint>
#include <cstring>

namespace fotela {
namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kApp0 = 0xE0;
constexpr unsigned char kApp1 = 0xE1;
constexpr unsigned char kApp2 = 0xE2;

// "Exif\0\0" before the TIFF header of an APP1 segment; "ICC_PROFILE\0" before each chunk
// of a colour profile in APP2.
constexpr std::string_view kExifId{"Exif\0\0", 6};
constexpr std::string_view kIccId{"ICC_PROFILE\0", 12};

unsigned byteAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

struct Segment {
  unsigned marker;
  std::size_t start;   // position of the 0xFF
  std::size_t length;  // whole segment: marker, length field and payload
};

// Walks the marker segments after the start of image, calling `visit` for each one with a
// length field, up to the first scan. Returns the position where the walk stopped.
template <class Visit>
std::size_t walkSegments(std::string_view jpeg, Visit visit) {
  if (jpeg.size() < 4 || byteAt(jpeg, 0) != kMarker || byteAt(jpeg, 1) != kStartOfImage) return 0;
  std::size_t pos = 2;
  while (pos + 4 <= jpeg.size() && byteAt(jpeg, pos) == kMarker) {
    std::size_t m = pos + 1;
    while (m < jpeg.size() && byteAt(jpeg, m) == kMarker) ++m;  // fill bytes
    if (m + 2 >= jpeg.size()) break;
    const unsigned marker = byteAt(jpeg, m);
    if (marker == kStartOfScan || marker == kEndOfImage) break;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length field
      pos = m + 1;
      continue;
    }
    const std::size_t payload = (byteAt(jpeg, m + 1) << 8) | byteAt(jpeg, m + 2);
    if (payload < 2 || m + 1 + payload > jpeg.size()) break;
    const Segment segment{marker, m - 1, payload + 2};
    visit(segment);
    pos = m + 1 + payload;
  }
  return pos;
}

// TIFF structure inside the EXIF segment, in the byte order its header names.
class Tiff {
 public:
  Tiff(std::string& bytes, std::size_t base, bool bigEndian)
      : b_(bytes), base_(base), big_(bigEndian) {}

  // True when n bytes at `offset` (from the TIFF header) lie inside the segment.
  bool has(std::size_t offset, std::size_t n) const {
    const std::size_t size = b_.size() - base_;
    return offset <= size && n <= size - offset;
  }
  std::uint32_t get(std::size_t offset, int n) const {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint32_t byte = static_cast<unsigned char>(b_[base_ + offset + i]);
      v |= big_ ? byte << (8 * (n - 1 - i)) : byte << (8 * i);
    }
    return v;
  }
  void put(std::size_t offset, int n, std::uint32_t v) {
    for (int i = 0; i < n; ++i) {
      const int shift = big_ ? 8 * (n - 1 - i) : 8 * i;
      b_[base_ + offset + i] = static_cast<char>((v >> shift) & 0xFF);
    }
  }

 private:
  std::string& b_;
  std::size_t base_;
  bool big_;
};

constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagPixelXDimension = 0xA002;
constexpr std::uint16_t kTagPixelYDimension = 0xA003;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint16_t kTypeIfd = 13;

// Sets a one-value SHORT or LONG entry. False when the entry has another form.
bool setValue(Tiff& tiff, std::size_t entry, std::uint32_t value) {
  const std::uint32_t type = tiff.get(entry + 2, 2);
  if (tiff.get(entry + 4, 4) != 1) return false;
  if (type == kTypeShort && value <= 0xFFFF) {
    tiff.put(entry + 8, 2, value);
    return true;
  }
  if (type == kTypeLong) {
    tiff.put(entry + 8, 4, value);
    return true;
  }
  return false;
}

}  // namespace

JpegMetadata readJpegMetadata(std::string_view jpeg) {
  JpegMetadata metadata;
  walkSegments(jpeg, [&](const Segment& s) {
    const std::string_view whole = jpeg.substr(s.start, s.length);
    const std::string_view payload = whole.substr(4);
    if (s.marker == kApp1 && metadata.exif.empty() && payload.starts_with(kExifId))
      metadata.exif = std::string(whole);
    else if (s.marker == kApp2 && payload.starts_with(kIccId))
      metadata.icc.emplace_back(whole);
  });
  return metadata;
}

std::string exifForUprightPicture(std::string_view exifSegment, int width, int height) {
  std::string bytes(exifSegment);
  const std::size_t base = 4 + kExifId.size();  // marker, length, identifier
  if (bytes.size() < base + 8) return {};
  const bool big = bytes.compare(base, 4, "MM\0*", 4) == 0;
  if (!big && bytes.compare(base, 4, "II*\0", 4) != 0) return {};
  Tiff tiff(bytes, base, big);

  const std::size_t ifd0 = tiff.get(4, 4);
  if (!tiff.has(ifd0, 2)) return {};
  const std::size_t count = tiff.get(ifd0, 2);
  if (!tiff.has(ifd0 + 2, count * 12 + 4)) return {};
  std::size_t exifIfd = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = ifd0 + 2 + i * 12;
    const std::uint32_t tag = tiff.get(entry, 2);
    if (tag == kTagOrientation) {
      if (!setValue(tiff, entry, 1)) return {};
    } else if (tag == kTagExifIfd &&
               (tiff.get(entry + 2, 2) == kTypeLong || tiff.get(entry + 2, 2) == kTypeIfd)) {
      exifIfd = tiff.get(entry + 8, 4);
    }
  }
  // The next directory after IFD0 is the thumbnail's.
  tiff.put(ifd0 + 2 + count * 12, 4, 0);

  if (exifIfd != 0 && tiff.has(exifIfd, 2)) {
    const std::size_t n = tiff.get(exifIfd, 2);
    if (tiff.has(exifIfd + 2, n * 12)) {
      for (std::size_t i = 0; i < n; ++i) {
        const std::size_t entry = exifIfd + 2 + i * 12;
        const std::uint32_t tag = tiff.get(entry, 2);
        if (tag == kTagPixelXDimension) setValue(tiff, entry, static_cast<std::uint32_t>(width));
        if (tag == kTagPixelYDimension) setValue(tiff, entry, static_cast<std::uint32_t>(height));
      }
    }
  }
  return bytes;
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
  walkSegments(encoded, [&](const Segment& s) {
    if (rest == 2 && s.start == 2 && s.marker == kApp0) {
      jfif = std::string(encoded.substr(s.start, s.length));
      rest = s.start + s.length;
    }
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
