#pragma once
// The TIFF structure that carries EXIF data: a header naming the byte order, then
// directories of 12-byte entries. Every read is checked against the bytes it was given.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

namespace fotela {

// The identifier before the TIFF structure in an EXIF segment's payload.
inline constexpr std::string_view kExifId{"Exif\0\0", 6};

// The entry of IFD0 that points to the EXIF sub-directory, and the value types read here.
inline constexpr std::uint32_t kTagExifIfd = 0x8769;
inline constexpr std::uint32_t kTypeAscii = 2;
inline constexpr std::uint32_t kTypeShort = 3;
inline constexpr std::uint32_t kTypeLong = 4;
inline constexpr std::uint32_t kTypeRational = 5;
inline constexpr std::uint32_t kTypeIfd = 13;

// A TIFF structure (the payload of an EXIF segment after its identifier) in the byte order
// its header names: read over const bytes, read and patched in place over mutable ones.
template <class Byte>
class Tiff {
 public:
  // nullopt unless the bytes start with a TIFF header ("II" or "MM", then 42) whose IFD0
  // lies after it.
  static std::optional<Tiff> open(std::span<Byte> bytes) {
    if (bytes.size() < 8) return std::nullopt;
    std::optional<Tiff> tiff;
    if (std::memcmp(bytes.data(), "II*\0", 4) == 0) tiff = Tiff(bytes, false);
    if (std::memcmp(bytes.data(), "MM\0*", 4) == 0) tiff = Tiff(bytes, true);
    // IFD0 inside the header would be read from bytes that patching it rewrites.
    if (tiff && tiff->firstIfd() < 8) return std::nullopt;
    return tiff;
  }

  // True when n bytes at `offset` lie inside the structure.
  bool has(std::size_t offset, std::size_t n) const {
    return offset <= bytes_.size() && n <= bytes_.size() - offset;
  }
  // The n-byte number at `offset`, which has() has checked.
  std::uint32_t get(std::size_t offset, int n) const {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint32_t byte = bytes_[offset + i];
      v |= big_ ? byte << (8 * (n - 1 - i)) : byte << (8 * i);
    }
    return v;
  }
  void put(std::size_t offset, int n, std::uint32_t v) requires(!std::is_const_v<Byte>) {
    for (int i = 0; i < n; ++i) {
      const int shift = big_ ? 8 * (n - 1 - i) : 8 * i;
      bytes_[offset + i] = static_cast<Byte>((v >> shift) & 0xFF);
    }
  }
  // The n bytes at `offset`, which has() has checked.
  std::span<Byte> slice(std::size_t offset, std::size_t n) const {
    return bytes_.subspan(offset, n);
  }
  // Where IFD0 starts.
  std::size_t firstIfd() const { return get(4, 4); }

 private:
  Tiff(std::span<Byte> bytes, bool bigEndian) : bytes_(bytes), big_(bigEndian) {}

  std::span<Byte> bytes_;
  bool big_;
};

}  // namespace fotela
