#pragma once
// Helpers for the imaging tests: JPEGs with an EXIF orientation, progressive JPEGs,
// patterned pictures.

#include <turbojpeg.h>

#include <span>
#include <stdexcept>
#include <string>

#include "imaging/image.h"

namespace fotela::test {

inline std::span<const unsigned char> asBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

// An APP1 EXIF segment holding only the orientation tag, in either byte order.
inline std::string exifSegment(int orientation, bool littleEndian) {
  auto u16 = [&](unsigned v) {
    return littleEndian ? std::string{char(v & 0xFF), char(v >> 8)}
                        : std::string{char(v >> 8), char(v & 0xFF)};
  };
  auto u32 = [&](unsigned v) {
    return littleEndian ? u16(v & 0xFFFF) + u16(v >> 16) : u16(v >> 16) + u16(v & 0xFFFF);
  };
  std::string tiff = (littleEndian ? "II" : "MM") + u16(42) + u32(8) + u16(1) + u16(0x0112) +
                     u16(3) + u32(1) + u16(static_cast<unsigned>(orientation)) + u16(0) + u32(0);
  std::string body = std::string("Exif\0\0", 6) + tiff;
  const std::size_t length = body.size() + 2;
  return std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + body;
}

// Inserts a segment right after the start marker.
inline std::string withSegment(const std::string& jpeg, const std::string& segment) {
  return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

inline std::string encodeRgb(const Image& image, int flags = 0, int quality = 95,
                             int subsampling = TJSAMP_444) {
  tjhandle h = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(h, image.data(), image.width(), 0, image.height(), TJPF_RGB, &out, &size,
                  subsampling, quality, flags) != 0) {
    tjDestroy(h);
    throw std::runtime_error("tjCompress2 failed");
  }
  std::string bytes(reinterpret_cast<char*>(out), size);
  tjFree(out);
  tjDestroy(h);
  return bytes;
}

// Left half `left`, right half `right`.
inline Image halves(int width, int height, std::int32_t left, std::int32_t right) {
  Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, x < width / 2 ? left : right);
  return image;
}

// True when every channel of the pixel is within `tolerance` of the colour.
inline bool near(std::int32_t pixel, std::int32_t colour, int tolerance = 12) {
  for (int shift = 0; shift < 24; shift += 8) {
    int a = (pixel >> shift) & 0xFF, b = (colour >> shift) & 0xFF;
    if (a - b > tolerance || b - a > tolerance) return false;
  }
  return pixel >= 0;
}

}  // namespace fotela::test
