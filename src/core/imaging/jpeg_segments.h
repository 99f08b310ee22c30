#pragma once
// The marker segments of a JPEG file's header, walked in file order.

#include <cstddef>
#include <functional>
#include <span>

namespace fotela {

inline constexpr unsigned kJpegApp0 = 0xE0;
inline constexpr unsigned kJpegApp1 = 0xE1;
inline constexpr unsigned kJpegApp2 = 0xE2;
inline constexpr unsigned kJpegApp13 = 0xED;

struct JpegSegment {
  unsigned marker = 0;     // the byte after 0xFF: 0xE1 for APP1, 0xC0 for SOF0, ...
  std::size_t start = 0;   // offset of the 0xFF right before the marker (after any fill bytes)
  std::size_t length = 0;  // the whole segment: 0xFF, marker, length field and payload
  std::span<const unsigned char> payload;  // what follows the length field
};

// Calls `visit` for each segment with a length field after the start of image, in file
// order, until `visit` returns false or the walk meets the first scan (SOS), the end of the
// image (EOI) or malformed data: no start-of-image marker, a byte other than 0xFF where a
// marker belongs, a length below 2 or a segment running past the data. Fill bytes 0xFF
// before a marker are skipped; the markers that carry no length (0x01, RST0 to RST7) are
// passed over without a visit.
void forEachJpegSegment(std::span<const unsigned char> jpeg,
                        const std::function<bool(const JpegSegment&)>& visit);

}  // namespace fotela
