#include "imaging/exif.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "imaging/tiff_structure.h"

namespace fotela {
namespace {

constexpr std::uint32_t kTagOrientation = 0x0112;
constexpr std::uint32_t kTagPixelXDimension = 0xA002;
constexpr std::uint32_t kTagPixelYDimension = 0xA003;

// The orientation entry of IFD0; 1 when none.
int orientationFromTiff(std::span<const unsigned char> bytes) {
  const std::optional<Tiff<const unsigned char>> tiff = Tiff<const unsigned char>::open(bytes);
  if (!tiff) return kOrientationUpright;
  const std::size_t ifd = tiff->firstIfd();
  if (!tiff->has(ifd, 2)) return kOrientationUpright;
  const std::size_t count = tiff->get(ifd, 2);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    // Tag, type, count and the two bytes a SHORT value takes.
    if (!tiff->has(entry, 10)) return kOrientationUpright;
    if (tiff->get(entry, 2) != kTagOrientation) continue;
    const std::uint32_t value = tiff->get(entry + 8, 2);
    if (tiff->get(entry + 2, 2) != kTypeShort || tiff->get(entry + 4, 4) != 1 || value < 1 ||
        value > 8)
      return kOrientationUpright;
    return static_cast<int>(value);
  }
  return kOrientationUpright;
}

// Sets a one-value SHORT or LONG entry. False when the entry has another form.
bool setValue(Tiff<unsigned char>& tiff, std::size_t entry, std::uint32_t value) {
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

int readExifOrientation(std::span<const unsigned char> jpeg) {
  int orientation = kOrientationUpright;
  forEachJpegSegment(jpeg, [&](const JpegSegment& s) {
    if (!isExifSegment(s)) return true;
    orientation = orientationFromTiff(s.payload.subspan(kExifId.size()));
    return false;
  });
  return orientation;
}

bool isExifSegment(const JpegSegment& segment) {
  const std::span<const unsigned char> p = segment.payload;
  return segment.marker == kJpegApp1 && p.size() >= kExifId.size() &&
         std::memcmp(p.data(), kExifId.data(), kExifId.size()) == 0;
}

std::string exifForUprightPicture(std::string_view exifSegment, int width, int height) {
  std::string bytes(exifSegment);
  const std::size_t base = 4 + kExifId.size();  // marker, length, identifier
  if (bytes.size() < base) return {};
  std::optional<Tiff<unsigned char>> tiff = Tiff<unsigned char>::open(
      std::span(reinterpret_cast<unsigned char*>(bytes.data()) + base, bytes.size() - base));
  if (!tiff) return {};

  const std::size_t ifd0 = tiff->firstIfd();
  if (!tiff->has(ifd0, 2)) return {};
  const std::size_t count = tiff->get(ifd0, 2);
  if (!tiff->has(ifd0 + 2, count * 12 + 4)) return {};
  std::size_t exifIfd = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = ifd0 + 2 + i * 12;
    const std::uint32_t tag = tiff->get(entry, 2);
    if (tag == kTagOrientation) {
      if (!setValue(*tiff, entry, kOrientationUpright)) return {};
    } else if (tag == kTagExifIfd &&
               (tiff->get(entry + 2, 2) == kTypeLong || tiff->get(entry + 2, 2) == kTypeIfd)) {
      exifIfd = tiff->get(entry + 8, 4);
    }
  }
  // The next directory after IFD0 is the thumbnail's.
  tiff->put(ifd0 + 2 + count * 12, 4, 0);

  if (exifIfd != 0 && tiff->has(exifIfd, 2)) {
    const std::size_t n = tiff->get(exifIfd, 2);
    if (tiff->has(exifIfd + 2, n * 12)) {
      for (std::size_t i = 0; i < n; ++i) {
        const std::size_t entry = exifIfd + 2 + i * 12;
        const std::uint32_t tag = tiff->get(entry, 2);
        if (tag == kTagPixelXDimension) setValue(*tiff, entry, static_cast<std::uint32_t>(width));
        if (tag == kTagPixelYDimension) setValue(*tiff, entry, static_cast<std::uint32_t>(height));
      }
    }
  }
  return bytes;
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
