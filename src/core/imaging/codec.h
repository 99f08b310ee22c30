#pragma once
// JPEG and BMP load and save (libjpeg-turbo). Every save replaces its file atomically.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "common/error.h"
#include "imaging/image.h"

namespace fotela {

inline constexpr int kJpegQuality = 70;

// Limits that keep a damaged or hostile file from taking the machine's memory: a picture
// may hold at most this many stored pixels (about 16k x 16k) ...
inline constexpr long long kMaxImagePixels = 1LL << 28;
// ... and a progressive JPEG, decoded whole in coefficient memory, at most this many bytes
// of coefficients (a 4:2:0 photo of about 89 megapixels). Both are checked on the header,
// before any decoding.
inline constexpr std::size_t kMaxJpegCoefficientBytes = std::size_t{1} << 28;

// Bytes held in a string (as files are read) as the decoders take them.
inline std::span<const unsigned char> byteSpan(std::string_view bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

struct JpegLoadOptions {
  // Ask the decoder for the smallest DCT scale (n/8) whose result still covers this size
  // (after orientation); 0 x 0 = full size.
  int coverWidth = 0;
  int coverHeight = 0;
  // Turn the pixels upright by the EXIF orientation tag.
  bool applyOrientation = true;
};

// What the header of a JPEG file tells before decoding.
struct JpegInfo {
  int width = 0;  // as stored, before orientation
  int height = 0;
  int orientation = 1;       // EXIF orientation, 1 when none
  bool progressive = false;  // progressive files are decoded whole in coefficient memory
  int subsampling = -1;      // TurboJPEG's TJSAMP_* value, -1 when unknown
};
// Fails, naming the file, when the header is unreadable or the picture is over the limits
// above.
Result<JpegInfo> probeJpeg(std::span<const unsigned char> bytes, const std::string& nameForErrors);

// The memory a decode of the file holds besides its bytes and the decoded picture: the
// DCT coefficients of the whole picture for a progressive file (2 bytes each), a few rows
// for a baseline one (counted as 0).
std::size_t jpegCoefficientBytes(const JpegInfo& info);

// The size the decoder delivers for a stored width x height when asked to cover
// coverWidth x coverHeight (stored axes); the full size when no scale covers it.
struct ScaledSize {
  int width = 0;
  int height = 0;
};
ScaledSize jpegScaledSize(int width, int height, int coverWidth, int coverHeight);

// A picture over the limits, damaged entropy data or a file cut short is an error naming the
// file; only stray bytes just before the end marker, after a complete picture, are let pass.
Result<Image> loadJpeg(const std::string& path, const JpegLoadOptions& options = {});
Result<Image> decodeJpeg(std::span<const unsigned char> bytes, const std::string& nameForErrors,
                         const JpegLoadOptions& options = {});
Result<std::string> encodeJpeg(const Image& image, int quality = kJpegQuality);
Result<void> saveJpeg(const Image& image, const std::string& path, int quality = kJpegQuality);

// The header is checked before loading: a size over kMaxImagePixels or more rows than the
// file holds is refused without allocating the picture.
Result<Image> loadBmp(const std::string& path);
Result<void> saveBmp(const Image& image, const std::string& path);

// True when the bytes start with a JPEG start-of-image marker.
bool isJpegData(std::span<const unsigned char> bytes);

// JPEG or BMP, told apart by the file's first bytes (EXIF orientation applied).
Result<Image> loadImageFile(const std::string& path);
// The same for a file whose bytes have been read already: a JPEG is decoded from `bytes`,
// a BMP is loaded from `path` (the BMP reader takes only file names).
Result<Image> decodeImageFile(std::span<const unsigned char> bytes, const std::string& path);

}  // namespace fotela
