#pragma once
// The raster picture: 24-bit RGB, rows top to bottom, 3 bytes per pixel (R, G, B).
// A pixel as a number is packed R + G*256 + B*65536; reading outside the picture gives -1
// and writing outside is ignored.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fotela {

class Image {
 public:
  Image() = default;
  // A black picture of the given size (sizes below 0 count as 0).
  Image(int width, int height)
      : width_(width > 0 ? width : 0),
        height_(height > 0 ? height : 0),
        rgb_(static_cast<std::size_t>(width_) * height_ * 3, 0) {}

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  std::size_t stride() const { return static_cast<std::size_t>(width_) * 3; }

  std::uint8_t* data() { return rgb_.data(); }
  const std::uint8_t* data() const { return rgb_.data(); }
  std::uint8_t* row(int y) { return rgb_.data() + stride() * y; }
  const std::uint8_t* row(int y) const { return rgb_.data() + stride() * y; }

  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  std::int32_t pixel(int x, int y) const {
    if (!contains(x, y)) return -1;
    const std::uint8_t* p = row(y) + x * 3;
    return p[0] | (p[1] << 8) | (p[2] << 16);
  }
  void setPixel(int x, int y, std::int32_t colour) {
    if (!contains(x, y) || colour < 0) return;
    std::uint8_t* p = row(y) + x * 3;
    p[0] = static_cast<std::uint8_t>(colour & 0xFF);
    p[1] = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    p[2] = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
  }
  void fill(std::int32_t colour) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) setPixel(x, y, colour);
  }

  bool operator==(const Image&) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> rgb_;
};

}  // namespace fotela
