// Quarter and half turns, and the nearest-pixel stretch.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/effects.h"

namespace fotela {
namespace {

// Quarter turns move pixels between rows and columns; working in square tiles keeps both
// the rows read and the rows written in the cache.
constexpr int kTile = 64;

inline void copyPixel(const std::uint8_t* from, std::uint8_t* to) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

}  // namespace

void turn(const Image& source, Image& destination, int angle) {
  const int w = source.width();
  const int h = source.height();
  if (angle == 180) {
    Image result(w, h);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* from = source.row(y);
      std::uint8_t* to = result.row(h - 1 - y) + static_cast<std::size_t>(w - 1) * 3;
      for (int x = 0; x < w; ++x, from += 3, to -= 3) copyPixel(from, to);
    }
    destination = std::move(result);
    return;
  }
  // The result is H wide and W high.
  Image result(h, w);
  const bool clockwise = angle == 90;
  for (int y0 = 0; y0 < h; y0 += kTile) {
    const int y1 = std::min(h, y0 + kTile);
    for (int x0 = 0; x0 < w; x0 += kTile) {
      const int x1 = std::min(w, x0 + kTile);
      for (int y = y0; y < y1; ++y) {
        const std::uint8_t* from = source.row(y) + static_cast<std::size_t>(x0) * 3;
        if (clockwise) {
          // (x, y) -> (H - 1 - y, x)
          const std::size_t column = static_cast<std::size_t>(h - 1 - y) * 3;
          for (int x = x0; x < x1; ++x, from += 3) copyPixel(from, result.row(x) + column);
        } else {
          // (x, y) -> (y, W - 1 - x)
          const std::size_t column = static_cast<std::size_t>(y) * 3;
          for (int x = x0; x < x1; ++x, from += 3) copyPixel(from, result.row(w - 1 - x) + column);
        }
      }
    }
  }
  destination = std::move(result);
}

PictureSize scaledSize(int width, int height, double ratio) {
  const double factor = ratio / 100;
  return {static_cast<long long>(std::nearbyint(factor * width)),
          static_cast<long long>(std::nearbyint(factor * height))};
}

void KakuSyuku(const Image& source, Image& destination, double ratio) {
  const PictureSize size = scaledSize(source.width(), source.height(), ratio);
  const int w2 = static_cast<int>(std::clamp<long long>(size.width, 0, 1 << 30));
  const int h2 = static_cast<int>(std::clamp<long long>(size.height, 0, 1 << 30));
  Image result(w2, h2);
  if (source.empty() || result.empty()) {
    destination = std::move(result);
    return;
  }
  const long long w = source.width();
  const long long h = source.height();
  // Pixel centres: destination pixel x' covers [x', x' + 1) of W' and samples the source
  // pixel under its centre, floor((2x' + 1) * W / (2W')). Integer arithmetic, so every
  // compiler picks the same pixels; 200 % repeats each pixel twice, 50 % keeps every
  // second one.
  std::vector<std::size_t> columnOffset(w2);
  for (long long x = 0; x < w2; ++x)
    columnOffset[x] = static_cast<std::size_t>(((2 * x + 1) * w) / (2LL * w2)) * 3;
  for (long long y = 0; y < h2; ++y) {
    const int sy = static_cast<int>(((2 * y + 1) * h) / (2LL * h2));
    const std::uint8_t* from = source.row(sy);
    std::uint8_t* to = result.row(static_cast<int>(y));
    for (int x = 0; x < w2; ++x, to += 3) copyPixel(from + columnOffset[x], to);
  }
  destination = std::move(result);
}

}  // namespace fotela
