#include "photos/image_size.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "common/files.h"

namespace fotela {
namespace {

// The frame header walk over any byte source with `size()`, `at(pos)` (nullopt past the
// data) and `findStart()` (offset of the first FF D8 pair, nullopt when none).
//
// The walk starts after the first FF D8 pair found anywhere in the data (at offset 1 when
// there is none) and looks at one marker per step: FF C0, FF C1 and FF C2 carry the
// height and then the width, big-endian, five and seven bytes after the marker; every
// other pair of bytes is taken as a marker whose segment length follows it. Fill bytes
// FF before a marker are not skipped. Every step moves forward by at least two bytes, so
// the walk ends; a step that needs bytes past the data gives 0 x 0.
template <class Source>
ImageSize walkFrameHeader(Source& source) {
  std::optional<std::uint64_t> start = source.findStart();
  std::uint64_t m = start ? *start + 2 : 1;
  for (;;) {
    auto b0 = source.at(m), b1 = source.at(m + 1);
    if (!b0 || !b1) return {};
    if (*b0 == 0xFF && (*b1 == 0xC0 || *b1 == 0xC1 || *b1 == 0xC2)) {
      std::array<std::uint8_t, 4> v{};
      for (int i = 0; i < 4; ++i) {
        auto b = source.at(m + 5 + i);
        if (!b) return {};
        v[i] = *b;
      }
      return ImageSize{256 * v[2] + v[3], 256 * v[0] + v[1]};
    }
    auto l0 = source.at(m + 2), l1 = source.at(m + 3);
    if (!l0 || !l1) return {};
    m += 2 + (256u * *l0 + *l1);
  }
}

class MemorySource {
 public:
  explicit MemorySource(std::span<const unsigned char> bytes) : bytes_(bytes) {}

  std::optional<std::uint8_t> at(std::uint64_t pos) const {
    if (pos >= bytes_.size()) return std::nullopt;
    return bytes_[pos];
  }
  std::optional<std::uint64_t> findStart() const {
    for (std::size_t i = 0; i + 1 < bytes_.size(); ++i)
      if (bytes_[i] == 0xFF && bytes_[i + 1] == 0xD8) return i;
    return std::nullopt;
  }

 private:
  std::span<const unsigned char> bytes_;
};

// Reads the file in small blocks, only where the walk looks, so a photo of many
// megabytes costs a few kilobytes (its header segments are near the start).
class FileSource {
 public:
  static constexpr std::size_t kBlock = 4096;

  explicit FileSource(const ReadOnlyFile& file) : file_(file), size_(file.size()) {}

  std::optional<std::uint8_t> at(std::uint64_t pos) {
    if (pos >= size_) return std::nullopt;
    if (pos < blockStart_ || pos >= blockStart_ + blockLength_) {
      if (!load(pos)) return std::nullopt;
    }
    return block_[pos - blockStart_];
  }

  std::optional<std::uint64_t> findStart() {
    // A pair may straddle two blocks: remember the last byte of the previous one.
    bool lastWasFF = false;
    for (std::uint64_t pos = 0; pos < size_; pos += blockLength_) {
      if (!load(pos)) return std::nullopt;
      for (std::size_t i = 0; i < blockLength_; ++i) {
        std::uint8_t b = block_[i];
        if (lastWasFF && b == 0xD8) return pos + i - 1;
        lastWasFF = (b == 0xFF);
      }
      if (blockLength_ == 0) break;
    }
    return std::nullopt;
  }

 private:
  bool load(std::uint64_t pos) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size_ - pos));
    blockStart_ = pos;
    blockLength_ = file_.readAt(block_.data(), want, pos);
    return blockLength_ > 0;
  }

  const ReadOnlyFile& file_;
  std::uint64_t size_;
  std::array<std::uint8_t, kBlock> block_{};
  std::uint64_t blockStart_ = 0;
  std::size_t blockLength_ = 0;
};

}  // namespace

ImageSize readImageSizeFromBytes(std::span<const unsigned char> bytes) {
  MemorySource source(bytes);
  return walkFrameHeader(source);
}

ImageSize ReadImageSize(const std::string& path, int kind) {
  if (kind != 2) return {};
  ReadOnlyFile file;
  if (!file.open(path)) return {};
  FileSource source(file);
  return walkFrameHeader(source);
}

}  // namespace fotela
