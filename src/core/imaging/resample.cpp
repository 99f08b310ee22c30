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

// The spans of one axis, each padded to the same number of taps (unused taps weigh 0) and
// started early enough at the far edge that all its taps lie inside the source.
struct Taps {
  std::size_t taps = 1;
  std::vector<int> start;   // per output position
  std::vector<int> weight;  // `taps` per output position
};

Taps padded(int from, int to) {
  const std::vector<Span> s = spans(from, to);
  Taps out;
  for (const Span& span : s) out.taps = std::max(out.taps, span.weight.size());
  out.weight.assign(s.size() * out.taps, 0);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const int start = std::min(s[i].first, from - static_cast<int>(out.taps));
    out.start.push_back(start);
    std::copy(
        s[i].weight.begin(), s[i].weight.end(),
        out.weight.begin() + static_cast<std::ptrdiff_t>(i * out.taps) + (s[i].first - start));
  }
  return out;
}

// One row through the horizontal pass, into 16-bit values with 8 extra bits of precision.
// kTaps is the number of taps when known at compile time (the usual reductions by less
// than 2 or 3 take 2 to 4), 0 to read it from `xs`.
template <std::size_t kTaps>
void horizontalRow(const std::uint8_t* src, std::uint16_t* dst, const Taps& xs) {
  const std::size_t taps = kTaps ? kTaps : xs.taps;
  const int* w = xs.weight.data();
  for (std::size_t x = 0; x < xs.start.size(); ++x, w += taps) {
    std::uint32_t r = 0, g = 0, b = 0;
    const std::uint8_t* p = src + 3 * xs.start[x];
    for (std::size_t k = 0; k < taps; ++k, p += 3) {
      r += p[0] * static_cast<std::uint32_t>(w[k]);
      g += p[1] * static_cast<std::uint32_t>(w[k]);
      b += p[2] * static_cast<std::uint32_t>(w[k]);
    }
    constexpr std::uint32_t kHalf = 1u << (kBits - 9);
    dst[3 * x] = static_cast<std::uint16_t>((r + kHalf) >> (kBits - 8));
    dst[3 * x + 1] = static_cast<std::uint16_t>((g + kHalf) >> (kBits - 8));
    dst[3 * x + 2] = static_cast<std::uint16_t>((b + kHalf) >> (kBits - 8));
  }
}

// sum[i] += values[i] * w. A weight below 1 << 16 is multiplied as a 16-bit number, which
// the compiler turns into the vector machine's widening multiply.
void addWeighted(std::uint32_t* sum, const std::uint16_t* values, std::size_t n, int w) {
  if (w == 0) return;
  if (w >= 1 << 16) {  // the whole weight (1 << kBits): one source row alone
    for (std::size_t i = 0; i < n; ++i) sum[i] += std::uint32_t{values[i]} << kBits;
    return;
  }
  const auto w16 = static_cast<std::uint16_t>(w);
  for (std::size_t i = 0; i < n; ++i) sum[i] += std::uint32_t{values[i]} * w16;
}

}  // namespace

Image resizeAreaAverage(const Image& source, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (source.empty()) return Image(width, height);
  if (width == source.width() && height == source.height()) return source;

  const int sw = source.width(), sh = source.height();
  const Taps xs = padded(sw, width), ys = padded(sh, height);
  const std::size_t rowValues = static_cast<std::size_t>(width) * 3;

  // Horizontal pass, one source row at a time, into 16-bit values with 8 extra bits of
  // precision. The vertical pass reads them from a ring that holds the rows one output row
  // covers: the rows an output row covers never start above those of the row before.
  const std::size_t window = ys.taps;
  std::vector<std::uint16_t> ring(window * rowValues);
  auto ringRow = [&](int y) {
    return ring.data() + static_cast<std::size_t>(y) % window * rowValues;
  };
  void (*const horizontal)(const std::uint8_t*, std::uint16_t*, const Taps&) =
      xs.taps == 2   ? horizontalRow<2>
      : xs.taps == 3 ? horizontalRow<3>
      : xs.taps == 4 ? horizontalRow<4>
                     : horizontalRow<0>;

  Image out(width, height);
  // 32 bits hold every sum: the values are at most 255 << 8 and the weights of one output
  // row add up to 1 << kBits, so a sum stays below 255 << 24, rounding included.
  static_assert((std::uint64_t{255} << (8 + kBits)) + (1u << (kBits + 7)) <= 0xFFFFFFFFu);
  std::vector<std::uint32_t> sum(rowValues);
  int made = 0;  // source rows through the horizontal pass
  const int* w = ys.weight.data();
  for (int y = 0; y < height; ++y, w += ys.taps) {
    const int first = ys.start[static_cast<std::size_t>(y)];
    for (; made < first + static_cast<int>(ys.taps); ++made)
      horizontal(source.row(made), ringRow(made), xs);
    std::fill(sum.begin(), sum.end(), 0);
    for (std::size_t k = 0; k < ys.taps; ++k)
      addWeighted(sum.data(), ringRow(first + static_cast<int>(k)), rowValues, w[k]);
    std::uint8_t* dst = out.row(y);
    constexpr std::uint32_t kHalf = 1u << (kBits + 7);
    for (std::size_t i = 0; i < rowValues; ++i)
      dst[i] =
          static_cast<std::uint8_t>(std::min<std::uint32_t>((sum[i] + kHalf) >> (kBits + 8), 255));
  }
  return out;
}

}  // namespace fotela
