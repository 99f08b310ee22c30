// The elliptical colour blur and focus blur.
//
// Both keep the ellipse around the picture's centre whose foci lie on the long axis and
// whose distance sum is the inner sum Si; a pixel is outside when the rounded distance sum
// of its offset from the centre exceeds Si. One focus offset is always 0, so the distance
// sum depends only on |dx| and |dy| (the two roots merely swap places, and a sum of two
// doubles does not depend on their order). Each row pair y = cy -/+ |dy| therefore shares
// one table of sums over |dx|, which saves three quarters of the square roots.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "imaging/effect_math.h"
#include "imaging/effects.h"

namespace fotela {
namespace {

using effect_math::channelByte;
using effect_math::floorDiv;
using effect_math::roundToInt;

inline long long square(long long v) {
  return v * v;
}

inline double root(long long v) {
  return std::sqrt(static_cast<double>(v));
}

// Visits every pixel of the picture with its rounded distance sum, one row at a time.
template <class Visit>
void forEachDistanceSum(const EllipseGeometry& g, int width, int height, Visit visit) {
  const int maxDx = std::max(g.cx, width - 1 - g.cx);
  const int maxDy = std::max(g.cy, height - 1 - g.cy);
  std::vector<int> sums(static_cast<std::size_t>(std::max(maxDx, 0)) + 1);
  for (int ady = 0; ady <= maxDy; ++ady) {
    const int yAbove = g.cy - ady;
    const int yBelow = g.cy + ady;
    const bool above = yAbove >= 0 && yAbove < height;
    const bool below = ady != 0 && yBelow >= 0 && yBelow < height;
    if (!above && !below) continue;
    for (int adx = 0; adx <= maxDx; ++adx) sums[adx] = g.distanceSum(adx, ady);
    if (above) visit(yAbove, sums);
    if (below) visit(yBelow, sums);
  }
}

// One twelfth of every channel value, as the double the blur adds.
struct Twelfths {
  double of[256];
  Twelfths() {
    for (int c = 0; c < 256; ++c) of[c] = c / 12.0;
  }
};
const Twelfths kTwelfths;

// The twelve neighbours summed channel by channel, in the fixed order 1 to 12; each sum
// starts from 0 and is floored at the end. `n` points at the twelve neighbours' R, G, B.
inline void averageOfTwelve(const std::uint8_t* const n[12], std::uint8_t* out) {
  const double* q = kTwelfths.of;
  double r = 0, g = 0, b = 0;
  for (int i = 0; i < 12; ++i) {
    r += q[n[i][0]];
    g += q[n[i][1]];
    b += q[n[i][2]];
  }
  out[0] = static_cast<std::uint8_t>(std::floor(r));
  out[1] = static_cast<std::uint8_t>(std::floor(g));
  out[2] = static_cast<std::uint8_t>(std::floor(b));
}

}  // namespace

int EllipseGeometry::distanceSum(int dx, int dy) const {
  const double first = root(square(dy - fy) + square(dx - fx));
  const double second = root(square(dy + fy) + square(dx + fx));
  return roundToInt(first + second);
}

int EllipseGeometry::outerSum() const {
  if (cx > cy)
    return roundToInt(root(square(cy - fy) + square(fx)) + root(square(cy + fy) + square(fx)));
  return roundToInt(root(square(cx - fx) + square(fy)) + root(square(cx + fx) + square(fy)));
}

std::optional<EllipseGeometry> ellipseGeometry(int width, int height, int w) {
  EllipseGeometry g;
  // 101 / 2 = 50.5 gives 50, 103 / 2 = 51.5 gives 52.
  g.cx = roundToInt(width / 2.0);
  g.cy = roundToInt(height / 2.0);
  if (g.cy < w || g.cx < w) return std::nullopt;
  g.a = g.cx - w;
  g.b = g.cy - w;
  const long long a = g.a;
  const long long b = g.b;
  if (g.cx > g.cy) {
    g.fx = roundToInt(root(square(a) - square(b)));
    g.si =
        roundToInt(root(square(a - g.fx) + square(g.fy)) + root(square(a + g.fx) + square(g.fy)));
  } else {
    g.fy = roundToInt(root(square(b) - square(a)));
    g.si =
        roundToInt(root(square(b - g.fy) + square(g.fx)) + root(square(b + g.fy) + square(g.fx)));
  }
  return g;
}

void EllipseColorBlur(Image& picture, int w, std::string_view colour) {
  if (w <= 0) return;  // no band to blend over
  const auto geometry = ellipseGeometry(picture.width(), picture.height(), w);
  if (!geometry) return;
  const EllipseGeometry& g = *geometry;
  const ColourChannels c = colourChannels(colour);
  const long long si = g.si;
  const long long band = static_cast<long long>(g.outerSum()) - si;
  const long long wide = w;
  const int width = picture.width();
  const int height = picture.height();

  // The colour share t / w grows from 0 on the inner ellipse to 1 at the outer sum and
  // depends on the distance sum alone; the largest sum is at a corner (two more entries
  // cover a last-bit difference of the rounded roots elsewhere).
  const long long maxSum =
      2 +
      std::max({g.distanceSum(-g.cx, -g.cy), g.distanceSum(width - 1 - g.cx, height - 1 - g.cy),
                g.distanceSum(-g.cx, height - 1 - g.cy), g.distanceSum(width - 1 - g.cx, -g.cy)});
  std::vector<int> shareOfSum(static_cast<std::size_t>(std::max(maxSum, si)) + 1, 0);
  for (long long s = si + 1; s <= maxSum; ++s) {
    // A band the rounded sums cannot resolve (outer sum not above the inner one) would
    // divide by zero or turn the share negative: the full colour is taken instead.
    long long t = wide;
    if (band > 0) t = roundToInt(static_cast<double>((s - si) * wide) / static_cast<double>(band));
    shareOfSum[s] = static_cast<int>(std::min(t, wide));
  }
  // blended[t][channel][value], t = 0..w (w is at most half the shorter side here).
  std::vector<std::uint8_t> blended(static_cast<std::size_t>(wide + 1) * 3 * 256);
  for (long long t = 0; t <= wide; ++t) {
    const long long k = wide - t;
    std::uint8_t* table = blended.data() + t * 3 * 256;
    for (long long v = 0; v < 256; ++v) {
      table[v] = channelByte(floorDiv(c.r * t + v * k, wide));
      table[256 + v] = channelByte(floorDiv(v * k + c.g * t, wide));
      table[512 + v] = channelByte(floorDiv(c.b * t + v * k, wide));
    }
  }

  forEachDistanceSum(g, width, height, [&](int y, const std::vector<int>& sums) {
    std::uint8_t* p = picture.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      int s = sums[std::abs(x - g.cx)];
      if (s <= si) continue;
      if (s > maxSum) s = static_cast<int>(maxSum);
      const std::uint8_t* table =
          blended.data() + static_cast<std::size_t>(shareOfSum[s]) * 3 * 256;
      p[0] = table[p[0]];
      p[1] = table[256 + p[1]];
      p[2] = table[512 + p[2]];
    }
  });
}

bool EllipseFocusBlur(const Image& source, Image& destination, int w) {
  const int width = source.width();
  const int height = source.height();
  const auto geometry = ellipseGeometry(width, height, w);
  if (!geometry) return false;
  const EllipseGeometry& g = *geometry;
  // Pixels inside the ellipse are copied unchanged; every other one is overwritten.
  Image result = source;
  const std::size_t stride = source.stride();

  auto at = [&](int x, int y) { return source.row(y) + static_cast<std::size_t>(x) * 3; };

  // Near the picture's edge a missing neighbour is replaced by an already-read sample, so
  // nothing outside the picture is ever read.
  auto edgePixel = [&](int x, int y, std::uint8_t* out) {
    const std::uint8_t* n[13];
    n[0] = at(x, y);
    const bool noLeft = x - 1 < 0, noRight = x + 1 > width - 1;
    const bool noUp = y - 1 < 0, noDown = y + 1 > height - 1;
    n[1] = noLeft ? n[0] : at(x - 1, y);
    n[2] = noRight ? n[0] : at(x + 1, y);
    n[3] = noUp ? n[0] : at(x, y - 1);
    n[4] = noDown ? n[0] : at(x, y + 1);
    n[5] = noLeft ? n[3] : noUp ? n[1] : at(x - 1, y - 1);
    n[6] = noRight ? n[3] : noUp ? n[2] : at(x + 1, y - 1);
    n[7] = noLeft ? n[4] : noDown ? n[1] : at(x - 1, y + 1);
    n[8] = noRight ? n[4] : noDown ? n[2] : at(x + 1, y + 1);
    n[9] = x - 2 < 0 ? n[1] : at(x - 2, y);
    n[10] = x + 2 > width - 1 ? n[2] : at(x + 2, y);
    n[11] = y - 2 < 0 ? n[3] : at(x, y - 2);
    n[12] = y + 2 > height - 1 ? n[4] : at(x, y + 2);
    averageOfTwelve(n + 1, out);
  };

  const std::ptrdiff_t up = -static_cast<std::ptrdiff_t>(stride);
  const std::ptrdiff_t down = static_cast<std::ptrdiff_t>(stride);
  const std::ptrdiff_t offsets[12] = {-3,       3,        up, down, up - 3, up + 3,
                                      down - 3, down + 3, -6, 6,    2 * up, 2 * down};

  forEachDistanceSum(g, width, height, [&](int y, const std::vector<int>& sums) {
    const bool innerRow = y >= 2 && y <= height - 3;
    std::uint8_t* out = result.row(y);
    for (int x = 0; x < width; ++x, out += 3) {
      if (sums[std::abs(x - g.cx)] <= g.si) continue;
      if (innerRow && x >= 2 && x <= width - 3) {
        const std::uint8_t* centre = at(x, y);
        const std::uint8_t* n[12];
        for (int i = 0; i < 12; ++i) n[i] = centre + offsets[i];
        averageOfTwelve(n, out);
      } else {
        edgePixel(x, y, out);
      }
    }
  });
  destination = std::move(result);
  return true;
}

}  // namespace fotela
