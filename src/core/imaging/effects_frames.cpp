// The raised (bevelled) and the blurred square frame.

#include <algorithm>
#include <vector>

#include "imaging/effect_math.h"
#include "imaging/effects.h"

namespace fotela {
namespace {

using effect_math::channelByte;
using effect_math::floorDiv;
using effect_math::roundToInt;

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

inline void put(Image& picture, int x, int y, const Rgb& c) {
  std::uint8_t* p = picture.row(y) + static_cast<std::size_t>(x) * 3;
  p[0] = channelByte(c.r);
  p[1] = channelByte(c.g);
  p[2] = channelByte(c.b);
}

// The pixels of a line from `start` (included) towards `end` (excluded), as an inclusive
// range in ascending order; empty when start == end. A line whose end lies before its start
// runs backwards from the start.
struct Span {
  int low;
  int high;
};
inline Span lineSpan(int start, int end) {
  if (end > start) return {start, end - 1};
  if (end < start) return {end + 1, start};
  return {1, 0};
}

void horizontalLine(Image& picture, int y, int x0, int x1, const Rgb& c) {
  if (y < 0 || y >= picture.height()) return;
  Span s = lineSpan(x0, x1);
  s.low = std::max(s.low, 0);
  s.high = std::min(s.high, picture.width() - 1);
  for (int x = s.low; x <= s.high; ++x) put(picture, x, y, c);
}

void verticalLine(Image& picture, int x, int y0, int y1, const Rgb& c) {
  if (x < 0 || x >= picture.width()) return;
  Span s = lineSpan(y0, y1);
  s.low = std::max(s.low, 0);
  s.high = std::min(s.high, picture.height() - 1);
  for (int y = s.low; y <= s.high; ++y) put(picture, x, y, c);
}

Rgb lightOf(const Rgb& c) {
  auto light = [](int v) { return roundToInt((255 - v) * 0.3 + v); };
  return {light(c.r), light(c.g), light(c.b)};
}

Rgb darkOf(const Rgb& c) {
  auto dark = [](int v) { return roundToInt(v - v * 0.3); };
  return {dark(c.r), dark(c.g), dark(c.b)};
}

}  // namespace

void RaisedFrame(Image& picture, int thickness, std::string_view colour) {
  const ColourChannels channels = colourChannels(colour);
  const Rgb base{channels.r, channels.g, channels.b};
  const Rgb light = lightOf(base);
  const Rgb dark = darkOf(base);
  const int w = picture.width();
  const int h = picture.height();
  // Each ring draws top, left, bottom and right in this order; with a thickness of half the
  // picture or more later lines overwrite earlier ones, so the order is kept.
  for (int i = 0; i < thickness; ++i) {
    Rgb first = base;
    Rgb second = base;
    if (thickness / 4.0 > i) {
      first = light;
      second = dark;
    }
    if (i > thickness / 2.0) {
      first = dark;
      second = light;
    }
    horizontalLine(picture, i, i, w - i, first);
    verticalLine(picture, i, i, h - i, first);
    // Bottom and right lie one pixel further out than top and left: at ring 0 they fall
    // outside the picture, so those two sides come out one pixel thinner.
    horizontalLine(picture, h - i, i, w - i + 1, second);
    verticalLine(picture, w - i, i, h - i, second);
  }
}

void BlurFrame(Image& picture, int thickness, std::string_view colour) {
  if (thickness <= 0) return;  // no pixel is nearer than thickness + 1 to an edge
  const ColourChannels frame = colourChannels(colour);
  const long long wt = thickness;
  const int w = picture.width();
  const int h = picture.height();
  // A band pixel's distance d is below the thickness and below half the shorter side, so
  // every result can be looked up: blended[d][channel][value].
  const int distances = static_cast<int>(std::min<long long>(wt, (std::min(w, h) + 1) / 2));
  if (distances <= 0) return;
  std::vector<std::uint8_t> blended(static_cast<std::size_t>(distances) * 3 * 256);
  for (long long d = 0; d < distances; ++d) {
    std::uint8_t* table = blended.data() + d * 3 * 256;
    for (long long v = 0; v < 256; ++v) {
      table[v] = channelByte(floorDiv(frame.r * (wt - d) + v * d, wt));
      table[256 + v] = channelByte(floorDiv(v * d + frame.g * (wt - d), wt));
      table[512 + v] = channelByte(floorDiv(frame.b * (wt - d) + v * d, wt));
    }
  }

  auto blend = [&](int x, int y) {
    // Distance to the nearest edge; thickness + 1 when the pixel is outside the band.
    long long d = wt + 1;
    if (x < wt) d = x;
    if (x > w - wt - 1 && w - 1 - x < d) d = w - 1 - x;
    if (y < wt && y < d) d = y;
    if (y > h - wt - 1 && h - 1 - y < d) d = h - 1 - y;
    if (d >= wt + 1) return;
    std::uint8_t* p = picture.row(y) + static_cast<std::size_t>(x) * 3;
    const std::uint8_t* table = blended.data() + d * 3 * 256;
    p[0] = table[p[0]];
    p[1] = table[256 + p[1]];
    p[2] = table[512 + p[2]];
  };

  const bool columnsMeet = 2LL * thickness >= w;
  for (int y = 0; y < h; ++y) {
    const bool rowInBand = y < wt || y > h - wt - 1;
    if (rowInBand || columnsMeet) {
      for (int x = 0; x < w; ++x) blend(x, y);
    } else {
      for (int x = 0; x < thickness; ++x) blend(x, y);
      for (int x = w - thickness; x < w; ++x) blend(x, y);
    }
  }
}

}  // namespace fotela
