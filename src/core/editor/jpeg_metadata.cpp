#include "editor/jpeg_metadata.h"

#include <cstdint>
#include <cstring>

#include "imaging/codec.h"
#include "imaging/jpeg_segments.h"

namespace fotela {
namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;

// "Exif\0\0" before the TIFF header of an APP1 segment; "ICC_PROFILE\0" before each chunk
// of a colour profile in APP2.
constexpr std::string_view kExifId{"Exif\0\0", 6};
constexpr std::string_view kIccId{"ICC_PROFILE\0", 12};

unsigned byteAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
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
  forEachJpegSegment(byteSpan(jpeg), [&](const JpegSegment& s) {
    const std::string_view whole = jpeg.substr(s.start, s.length);
    const std::string_view payload = whole.substr(4);
    if (s.marker == kJpegApp1 && metadata.exif.empty() && payload.starts_with(kExifId))
      metadata.exif = std::string(whole);
    else if (s.marker == kJpegApp2 && payload.starts_with(kIccId))
      metadata.icc.emplace_back(whole);
    return true;
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
