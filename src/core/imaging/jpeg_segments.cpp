#include "imaging/jpeg_segments.h"

namespace fotela {
namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kStartOfScan = 0xDA;

bool hasNoLength(unsigned marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

void forEachJpegSegment(std::span<const unsigned char> jpeg,
                        const std::function<bool(const JpegSegment&)>& visit) {
  const std::size_t size = jpeg.size();
  if (size < 4 || jpeg[0] != kMarker || jpeg[1] != kStartOfImage) return;
  std::size_t pos = 2;
  while (pos < size && jpeg[pos] == kMarker) {
    std::size_t m = pos + 1;
    while (m < size && jpeg[m] == kMarker) ++m;  // fill bytes
    if (m >= size) return;
    const unsigned marker = jpeg[m];
    if (marker == kStartOfScan || marker == kEndOfImage) return;
    if (hasNoLength(marker)) {
      pos = m + 1;
      continue;
    }
    if (size - m < 3) return;
    // The length counts its own two bytes and the payload.
    const std::size_t length = (std::size_t{jpeg[m + 1]} << 8) | jpeg[m + 2];
    if (length < 2 || length > size - m - 1) return;
    const JpegSegment segment{marker, m - 1, length + 2, jpeg.subspan(m + 3, length - 2)};
    if (!visit(segment)) return;
    pos = m + 1 + length;
  }
}

}  // namespace fotela
