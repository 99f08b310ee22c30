#include "imaging/exif.h"

#include <cstdint>
#include <cstring>

#include "imaging/jpeg_segments.h"

namespace fotela {
namespace {

class TiffReader {
 public:
  TiffReader(const unsigned char* data, std::size_t size, bool littleEndian)
      : data_(data), size_(size), little_(littleEndian) {}

  bool u16(std::size_t pos, unsigned& out) const {
    if (pos > size_ || size_ - pos < 2) return false;
    out = little_ ? data_[pos] | (data_[pos + 1] << 8) : (data_[pos] << 8) | data_[pos + 1];
    return true;
  }
  bool u32(std::size_t pos, std::uint32_t& out) const {
    unsigned a = 0, b = 0;
    if (!u16(pos, a) || !u16(pos + 2, b)) return false;
    out = little_ ? (std::uint32_t{b} << 16) | a : (std::uint32_t{a} << 16) | b;
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  bool little_;
};

// The orientation entry of IFD0 of a TIFF structure (the EXIF payload); 1 when none.
int orientationFromTiff(const unsigned char* tiff, std::size_t size) {
  if (size < 8) return kOrientationUpright;
  bool little;
  if (tiff[0] == 'I' && tiff[1] == 'I') {
    little = true;
  } else if (tiff[0] == 'M' && tiff[1] == 'M') {
    little = false;
  } else {
    return kOrientationUpright;
  }
  TiffReader r(tiff, size, little);
  unsigned magic = 0, count = 0;
  std::uint32_t ifd = 0;
  if (!r.u16(2, magic) || magic != 42 || !r.u32(4, ifd) || !r.u16(ifd, count))
    return kOrientationUpright;
  constexpr unsigned kOrientationTag = 0x0112, kShort = 3;
  for (unsigned i = 0; i < count; ++i) {
    std::size_t entry = std::size_t{ifd} + 2 + 12 * std::size_t{i};
    unsigned tag = 0, type = 0, value = 0;
    std::uint32_t n = 0;
    if (!r.u16(entry, tag) || !r.u16(entry + 2, type) || !r.u32(entry + 4, n) ||
        !r.u16(entry + 8, value))
      return kOrientationUpright;
    if (tag != kOrientationTag) continue;
    if (type != kShort || n != 1 || value < 1 || value > 8) return kOrientationUpright;
    return static_cast<int>(value);
  }
  return kOrientationUpright;
}

}  // namespace

int readExifOrientation(std::span<const unsigned char> jpeg) {
  int orientation = kOrientationUpright;
  forEachJpegSegment(jpeg, [&](const JpegSegment& s) {
    const std::span<const unsigned char> body = s.payload;
    if (s.marker != kJpegApp1 || body.size() < 6 || std::memcmp(body.data(), "Exif\0\0", 6) != 0)
      return true;
    orientation = orientationFromTiff(body.data() + 6, body.size() - 6);
    return false;
  });
  return orientation;
}

bool orientationSwapsAxes(int orientation) {
  return orientation >= 5 && orientation <= 8;
}

Image applyOrientation(const Image& image, int orientation) {
  if (orientation < 2 || orientation > 8) return image;
  const int w = image.width(), h = image.height();
  const bool swap = orientationSwapsAxes(orientation);
  Image out(swap ? h : w, swap ? w : h);
  for (int y = 0; y < out.height(); ++y) {
    std::uint8_t* dst = out.row(y);
    for (int x = 0; x < out.width(); ++x, dst += 3) {
      // (sx, sy): the stored pixel that lands at (x, y) of the upright picture.
      int sx = x, sy = y;
      switch (orientation) {
        case 2:
          sx = w - 1 - x;
          break;
        case 3:
          sx = w - 1 - x;
          sy = h - 1 - y;
          break;
        case 4:
          sy = h - 1 - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = h - 1 - x;
          break;
        case 7:
          sx = w - 1 - y;
          sy = h - 1 - x;
          break;
        case 8:
          sx = w - 1 - y;
          sy = x;
          break;
      }
      const std::uint8_t* src = image.row(sy) + 3 * sx;
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
  }
  return out;
}

}  // namespace fotela
