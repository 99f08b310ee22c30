#pragma once
// The bytes a decoder reads in order: either bytes read already or a file read piece by
// piece, so that a file is never held whole for a decoder that streams.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "common/files.h"

namespace fotela {

class ByteSource {
 public:
  explicit ByteSource(std::span<const unsigned char> bytes) : bytes_(bytes), size_(bytes.size()) {}
  // `file` must stay open while the source is read.
  explicit ByteSource(const ReadOnlyFile& file) : file_(&file), size_(file.size()) {}

  std::uint64_t size() const { return size_; }
  // The next bytes, up to `length`; fewer only at the end (or on a read error).
  std::size_t read(unsigned char* buffer, std::size_t length) {
    std::size_t got;
    if (file_) {
      got = file_->readAt(buffer, length, position_);
    } else {
      got = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - position_));
      if (got) std::memcpy(buffer, bytes_.data() + position_, got);
    }
    position_ += got;
    return got;
  }

 private:
  std::span<const unsigned char> bytes_;
  const ReadOnlyFile* file_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

}  // namespace fotela
