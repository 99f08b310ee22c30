#include "imaging/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace fotela {
namespace {

// Weights are fixed point with this many fractional bits; the weights of one output
// pixel add up to exactly 1 << kBits.
constexpr int kBits = 16;
constexpr std::int64_t kOne = std::int64_t{1} << kBits;

struct Span {
  int first = 0;            // first source index
  std::vector<int> weight;  // one per source index from `first`
};

// For each of `to` output positions, the source positions (of `from`) it covers and their
// shares. The output position i covers [i * from / to, (i + 1) * from / to) of the source.
std::vector<Span> spans(int from, int to) {
  std::vector<Span> out(static_cast<std::size_t>(to));
  for (int i = 0; i < to; ++i) {
    // Exact rational bounds: start = i * from / to, kept as numerators over `to`.
    const std::int64_t start = std::int64_t{i} * from, end = std::int64_t{i + 1} * from;
    const int first = static_cast<int>(start / to);
    const int last = static_cast<int>(std::min<std::int64_t>((end - 1) / to, from - 1));
    Span& s = out[static_cast<std::size_t>(i)];
    s.first = first;
    const std::int64_t length = end - start;  // the covered length, times `to`
    std::int64_t covered = 0, given = 0;
    for (int k = first; k <= last; ++k) {
      const std::int64_t lo = std::max<std::int64_t>(start, std::int64_t{k} * to);
      const std::int64_t hi = std::min<std::int64_t>(end, std::int64_t{k + 1} * to);
      covered += hi - lo;
      // Cumulative rounding keeps the sum of the weights exact.
      const std::int64_t upTo = (covered * kOne + length / 2) / length;
      s.weight.push_back(static_cast<int>(upTo - given));
      given = upTo;
    }
  }
  return out;
}

}  // namespace

Image resizeAreaAverage(const Image& source, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (source.empty()) return Image(width, height);
  if (width == source.width() && height == source.height()) return source;

  const int sw = source.width(), sh = source.height();
  const std::vector<Span> xs = spans(sw, width), ys = spans(sh, height);

  // Horizontal pass into 16-bit values with 8 extra bits of precision, then vertical.
  std::vector<std::uint16_t> rows(static_cast<std::size_t>(width) * 3 * sh);
  for (int y = 0; y < sh; ++y) {
    const std::uint8_t* src = source.row(y);
    std::uint16_t* dst = rows.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      const Span& s = xs[static_cast<std::size_t>(x)];
      std::uint32_t r = 0, g = 0, b = 0;
      const std::uint8_t* p = src + 3 * s.first;
      for (int w : s.weight) {
        r += p[0] * static_cast<std::uint32_t>(w);
        g += p[1] * static_cast<std::uint32_t>(w);
        b += p[2] * static_cast<std::uint32_t>(w);
        p += 3;
      }
      constexpr std::uint32_t kHalf = 1u << (kBits - 9);
      dst[3 * x] = static_cast<std::uint16_t>((r + kHalf) >> (kBits - 8));
      dst[3 * x + 1] = static_cast<std::uint16_t>((g + kHalf) >> (kBits - 8));
      dst[3 * x + 2] = static_cast<std::uint16_t>((b + kHalf) >> (kBits - 8));
    }
  }

  Image out(width, height);
  const std::size_t rowValues = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint64_t> sum(rowValues);
  for (int y = 0; y < height; ++y) {
    const Span& s = ys[static_cast<std::size_t>(y)];
    std::fill(sum.begin(), sum.end(), 0);
    for (std::size_t k = 0; k < s.weight.size(); ++k) {
      const std::uint16_t* src = rows.data() + (s.first + k) * rowValues;
      const std::uint64_t w = static_cast<std::uint64_t>(s.weight[k]);
      for (std::size_t i = 0; i < rowValues; ++i) sum[i] += src[i] * w;
    }
    std::uint8_t* dst = out.row(y);
    constexpr std::uint64_t kHalf = std::uint64_t{1} << (kBits + 7);
    for (std::size_t i = 0; i < rowValues; ++i)
      dst[i] =
          static_cast<std::uint8_t>(std::min<std::uint64_t>((sum[i] + kHalf) >> (kBits + 8), 255));
  }
  return out;
}

}  // namespace fotela
