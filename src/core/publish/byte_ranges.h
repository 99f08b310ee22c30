#pragma once
// Byte ranges of a file asked for with a Range header, and the multipart/byteranges body
// that answers several of them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fotela {

// More ranges in one request than a player or a download tool ever asks for; a request
// with more gets the whole file instead.
inline constexpr std::size_t kMaxByteRanges = 8;

struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;  // inclusive
  std::uint64_t length() const { return last - first + 1; }
  bool operator==(const ByteRange&) const = default;
};

enum class RangeAnswer {
  Whole,          // 200 with the whole file
  Partial,        // 206 with `ranges`
  Unsatisfiable,  // 416
};

struct RangePlan {
  RangeAnswer answer = RangeAnswer::Whole;
  std::vector<ByteRange> ranges;  // Partial: sorted, neither overlapping nor touching
};

// The answer to a Range header (nullopt: none) for a file of `size` bytes served as
// `contentType`:
// - Whole when the header is malformed or not in bytes (it is ignored), asks for more
//   than kMaxByteRanges ranges, or would make an answer larger than the file itself;
// - Unsatisfiable when no range starts inside the file;
// - else Partial: the ranges that start inside the file, ends past it cut at its last
//   byte, sorted and merged where they overlap or touch.
RangePlan planByteRanges(std::optional<std::string_view> header, std::uint64_t size,
                         std::string_view contentType);

// Reads up to `length` bytes of the file at `offset` into `out`; fewer only at its end
// or on an error.
using FileReader = std::function<std::size_t(char* out, std::size_t length, std::uint64_t offset)>;

// The body of a 206 answer with several ranges: each range after its part header, then
// the closing delimiter.
class MultipartBody {
 public:
  static constexpr std::size_t kBoundaryLength = 24;

  // `boundary` has kBoundaryLength characters; empty picks a random one.
  MultipartBody(const std::vector<ByteRange>& ranges, std::uint64_t size,
                std::string_view contentType, std::string boundary = "");

  const std::string& boundary() const { return boundary_; }
  std::string contentType() const { return "multipart/byteranges; boundary=" + boundary_; }
  std::uint64_t length() const { return length_; }

  // Copies up to `max` bytes of the body from `offset` into `out`, taking the file's bytes
  // from `read`. Returns the count; 0 at the end of the body or when the file gives fewer
  // bytes than it had (it was cut while being sent).
  std::size_t read(std::uint64_t offset, char* out, std::size_t max, const FileReader& read) const;

 private:
  struct Segment {
    std::uint64_t start = 0;  // in the body
    std::string text;         // a part header or the closing delimiter, else
    ByteRange range;          // bytes of the file
    bool isText = true;
    std::uint64_t length() const { return isText ? text.size() : range.length(); }
  };
  std::string boundary_;
  std::vector<Segment> segments_;
  std::uint64_t length_ = 0;
};

}  // namespace fotela
