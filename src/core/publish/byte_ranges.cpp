#include "publish/byte_ranges.h"

#include <algorithm>
#include <limits>
#include <random>

#include "common/text.h"

namespace fotela {
namespace {

constexpr std::uint64_t kNoNumber = std::numeric_limits<std::uint64_t>::max();

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Decimal digits only; a number too large for 64 bits saturates (it is past any file's
// end either way). nullopt for no digits or anything else.
std::optional<std::uint64_t> digits(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    value = value > (kNoNumber - digit) / 10 ? kNoNumber : value * 10 + digit;
  }
  return value;
}

// One range as asked: first-last, first- or -suffix. nullopt when malformed.
struct AskedRange {
  std::uint64_t first = 0;
  std::uint64_t last = kNoNumber;
  bool suffix = false;
};

std::optional<AskedRange> parseRange(std::string_view text) {
  const auto dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::string_view before = text.substr(0, dash);
  const std::string_view after = text.substr(dash + 1);
  AskedRange range;
  if (before.empty()) {
    auto length = digits(after);
    if (!length) return std::nullopt;
    range.suffix = true;
    range.last = *length;  // the suffix's length
    return range;
  }
  auto first = digits(before);
  if (!first) return std::nullopt;
  range.first = *first;
  if (!after.empty()) {
    auto last = digits(after);
    if (!last || *last < *first) return std::nullopt;
    range.last = *last;
  }
  return range;
}

// The asked range made fit for a file of `size` bytes; nullopt when none of it is inside.
std::optional<ByteRange> fit(const AskedRange& asked, std::uint64_t size) {
  if (size == 0) return std::nullopt;
  if (asked.suffix) {
    if (asked.last == 0) return std::nullopt;
    return ByteRange{size - std::min(asked.last, size), size - 1};
  }
  if (asked.first >= size) return std::nullopt;
  return ByteRange{asked.first, std::min(asked.last, size - 1)};
}

std::string randomBoundary() {
  static constexpr std::string_view kLetters =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  static thread_local std::mt19937_64 random{std::random_device{}()};
  std::string boundary;
  for (std::size_t i = 0; i < MultipartBody::kBoundaryLength; ++i)
    boundary += kLetters[random() % kLetters.size()];
  return boundary;
}

}  // namespace

RangePlan planByteRanges(std::optional<std::string_view> header, std::uint64_t size,
                         std::string_view contentType) {
  RangePlan whole;
  if (!header) return whole;
  const std::string_view value = trimBlanks(*header);
  const auto equals = value.find('=');
  if (equals == std::string_view::npos || asciiLower(value.substr(0, equals)) != "bytes")
    return whole;

  std::vector<AskedRange> asked;
  std::string_view rest = value.substr(equals + 1);
  while (true) {
    const auto comma = rest.find(',');
    // Empty elements of the list (", ,") are allowed and mean nothing.
    if (const std::string_view item = trimBlanks(rest.substr(0, comma)); !item.empty()) {
      if (asked.size() == kMaxByteRanges) return whole;
      auto range = parseRange(item);
      if (!range) return whole;
      asked.push_back(*range);
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (asked.empty()) return whole;

  RangePlan plan;
  for (const AskedRange& a : asked)
    if (auto range = fit(a, size)) plan.ranges.push_back(*range);
  if (plan.ranges.empty()) {
    plan.answer = RangeAnswer::Unsatisfiable;
    return plan;
  }
  std::sort(plan.ranges.begin(), plan.ranges.end(),
            [](const ByteRange& a, const ByteRange& b) { return a.first < b.first; });
  std::vector<ByteRange> merged{plan.ranges.front()};
  for (const ByteRange& r : plan.ranges) {
    // Overlapping or touching (the next starts right after the last byte): one range.
    if (r.first <= merged.back().last || r.first - merged.back().last == 1)
      merged.back().last = std::max(merged.back().last, r.last);
    else
      merged.push_back(r);
  }
  plan.ranges = std::move(merged);
  if (plan.ranges.size() > 1 && MultipartBody(plan.ranges, size, contentType,
                                              std::string(MultipartBody::kBoundaryLength, '-'))
                                        .length() > size)
    return whole;
  plan.answer = RangeAnswer::Partial;
  return plan;
}

MultipartBody::MultipartBody(const std::vector<ByteRange>& ranges, std::uint64_t size,
                             std::string_view contentType, std::string boundary)
    : boundary_(boundary.empty() ? randomBoundary() : std::move(boundary)) {
  const auto add = [this](std::string text, ByteRange range) {
    Segment segment;
    segment.start = length_;
    segment.isText = !text.empty();
    segment.text = std::move(text);
    segment.range = range;
    length_ += segment.length();
    segments_.push_back(std::move(segment));
  };
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const ByteRange& r = ranges[i];
    add(std::string(i == 0 ? "" : "\r\n") + "--" + boundary_ + "\r\nContent-Type: " +
            std::string(contentType) + "\r\nContent-Range: bytes " + std::to_string(r.first) + "-" +
            std::to_string(r.last) + "/" + std::to_string(size) + "\r\n\r\n",
        {});
    add("", r);
  }
  add("\r\n--" + boundary_ + "--\r\n", {});
}

std::size_t MultipartBody::read(std::uint64_t offset, char* out, std::size_t max,
                                const FileReader& readFile) const {
  std::size_t done = 0;
  // The first segment that ends after `offset`.
  auto it = std::upper_bound(segments_.begin(), segments_.end(), offset,
                             [](std::uint64_t at, const Segment& s) { return at < s.start; });
  if (it != segments_.begin()) --it;
  for (; it != segments_.end() && done < max; ++it) {
    const std::uint64_t into = offset + done - it->start;
    if (into >= it->length()) continue;
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(it->length() - into, max - done));
    if (it->isText) {
      std::copy_n(it->text.data() + into, count, out + done);
    } else if (readFile(out + done, count, it->range.first + into) != count) {
      return 0;
    }
    done += count;
  }
  return done;
}

}  // namespace fotela
