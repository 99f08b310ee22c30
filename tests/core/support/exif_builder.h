#pragma once
// Hand-built JPEG metadata segments for tests: an EXIF segment with an orientation, pixel
// dimensions and a thumbnail directory, in either byte order, and ICC profile chunks.

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

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

// A TIFF entry: ASCII text (the NUL is added), or SHORT, LONG or RATIONAL numbers (a
// RATIONAL as numerator, denominator).
struct TiffValue {
  std::uint16_t tag = 0;
  std::uint16_t type = 2;
  std::string text;
  std::vector<std::uint32_t> numbers;
};

// An EXIF segment: IFD0 with `ifd0` (and a pointer to the EXIF directory when `exif` is not
// empty), then the EXIF directory, then the values longer than four bytes.
inline std::string exifSegmentWith(const std::vector<TiffValue>& ifd0,
                                   const std::vector<TiffValue>& exif, bool bigEndian = false) {
  auto bytes = [&](std::uint32_t v, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += char((v >> (bigEndian ? 8 * (n - 1 - i) : 8 * i)) & 0xFF);
    return out;
  };
  const std::size_t ifd0Size = 6 + 12 * (ifd0.size() + !exif.empty());
  std::size_t dataAt = 8 + ifd0Size + (exif.empty() ? 0 : 6 + 12 * exif.size());
  std::string data;
  auto directory = [&](std::vector<TiffValue> entries, std::uint32_t exifAt) {
    if (exifAt) entries.push_back({0x8769, 4, "", {exifAt}});
    std::string out = bytes(std::uint32_t(entries.size()), 2);
    for (const TiffValue& e : entries) {
      std::string value = e.type == 2 ? e.text + '\0' : "";
      for (std::uint32_t n : e.numbers) value += bytes(n, e.type == 3 ? 2 : 4);
      const std::size_t count =
          e.type == 2 ? value.size() : e.numbers.size() / (e.type == 5 ? 2 : 1);
      out += bytes(e.tag, 2) + bytes(e.type, 2) + bytes(std::uint32_t(count), 4);
      if (value.size() <= 4) {
        out += value + std::string(4 - value.size(), '\0');
      } else {
        out += bytes(std::uint32_t(dataAt + data.size()), 4);
        data += value;
      }
    }
    return out + bytes(0, 4);
  };
  std::string tiff = (bigEndian ? "MM" : "II") + bytes(42, 2) + bytes(8, 4);
  tiff += directory(ifd0, exif.empty() ? 0 : std::uint32_t(8 + ifd0Size));
  if (!exif.empty()) tiff += directory(exif, 0);
  return segment(0xE1, std::string("Exif\0\0", 6) + tiff + data);
}

inline std::string xmpSegment(std::string_view xml) {
  return segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + std::string(xml));
}

// Photoshop resources holding IPTC records (record, dataset, value).
inline std::string iptcSegment(const std::vector<std::tuple<int, int, std::string>>& records) {
  std::string iptc;
  for (const auto& [record, dataset, value] : records) {
    iptc +=
        {'\x1C', char(record), char(dataset), char(value.size() >> 8), char(value.size() & 0xFF)};
    iptc += value;
  }
  std::string resource("8BIM\x04\x04\0\0", 8);
  for (int shift : {24, 16, 8, 0}) resource += char((iptc.size() >> shift) & 0xFF);
  return segment(0xED, std::string("Photoshop 3.0\0", 14) + resource + iptc);
}

}  // namespace fotela::test
