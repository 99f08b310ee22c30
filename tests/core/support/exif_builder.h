#pragma once
// Hand-built JPEG metadata segments for tests: an EXIF segment with an orientation, pixel
// dimensions and a thumbnail directory, in either byte order, and ICC profile chunks.

#include <cstdint>
#include <string>
#include <string_view>

namespace fotela::test {

inline std::string segment(unsigned marker, std::string_view payload) {
  const std::size_t length = payload.size() + 2;
  std::string s;
  s += '\xFF';
  s += static_cast<char>(marker);
  s += static_cast<char>(length >> 8);
  s += static_cast<char>(length & 0xFF);
  s += payload;
  return s;
}

inline std::string iccSegment(int sequence, int count, std::string_view data) {
  std::string payload("ICC_PROFILE\0", 12);
  payload += static_cast<char>(sequence);
  payload += static_cast<char>(count);
  payload += data;
  return segment(0xE2, payload);
}

// The segments placed right after the start marker.
inline std::string insertAfterStart(const std::string& jpeg, const std::string& segments) {
  return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

struct ExifLayout {
  bool bigEndian = false;
  int orientation = 6;
  std::uint32_t pixelX = 640;  // LONG
  std::uint32_t pixelY = 480;  // SHORT
};

// TIFF: header at 0, IFD0 at 8 (orientation, EXIF pointer; next = IFD1 at 68), the EXIF
// directory at 38 (pixel X and Y dimensions), an empty IFD1 at 68.
inline std::string exifSegment(const ExifLayout& layout) {
  std::string tiff;
  auto put = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) {
      const int shift = layout.bigEndian ? 8 * (n - 1 - i) : 8 * i;
      tiff += static_cast<char>((v >> shift) & 0xFF);
    }
  };
  auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
    put(tag, 2);
    put(type, 2);
    put(1, 4);
    if (type == 3) {
      put(value, 2);
      put(0, 2);
    } else {
      put(value, 4);
    }
  };
  tiff += layout.bigEndian ? std::string("MM", 2) : std::string("II", 2);
  put(42, 2);
  put(8, 4);
  put(2, 2);
  entry(0x0112, 3, static_cast<std::uint32_t>(layout.orientation));
  entry(0x8769, 4, 38);
  put(68, 4);
  put(2, 2);
  entry(0xA002, 4, layout.pixelX);
  entry(0xA003, 3, layout.pixelY);
  put(0, 4);
  put(0, 2);
  put(0, 4);
  return segment(0xE1, std::string("Exif\0\0", 6) + tiff);
}

struct ExifFacts {
  int orientation = 0;
  std::uint32_t pixelX = 0;
  std::uint32_t pixelY = 0;
  std::uint32_t nextIfd = 0xFFFFFFFF;
};

// Reads back what exifSegment() wrote (a fixed layout; no bounds beyond it).
inline ExifFacts readExifFacts(std::string_view segment) {
  ExifFacts facts;
  if (segment.size() < 10 + 74) return facts;
  const std::string_view tiff = segment.substr(10);
  const bool big = tiff[0] == 'M';
  auto get = [&](std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint32_t byte = static_cast<unsigned char>(tiff[at + i]);
      v |= big ? byte << (8 * (n - 1 - i)) : byte << (8 * i);
    }
    return v;
  };
  auto value = [&](std::size_t entry) {
    return get(entry + 2, 2) == 3 ? get(entry + 8, 2) : get(entry + 8, 4);
  };
  const std::size_t ifd0 = get(4, 4);
  const std::size_t count = get(ifd0, 2);
  std::size_t exifIfd = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t e = ifd0 + 2 + i * 12;
    if (get(e, 2) == 0x0112) facts.orientation = static_cast<int>(value(e));
    if (get(e, 2) == 0x8769) exifIfd = value(e);
  }
  facts.nextIfd = get(ifd0 + 2 + count * 12, 4);
  if (exifIfd) {
    const std::size_t n = get(exifIfd, 2);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t e = exifIfd + 2 + i * 12;
      if (get(e, 2) == 0xA002) facts.pixelX = value(e);
      if (get(e, 2) == 0xA003) facts.pixelY = value(e);
    }
  }
  return facts;
}

}  // namespace fotela::test
