#pragma once
// JPEG load and save (libjpeg-turbo), BMP load (gdk-pixbuf) and save (libjpeg-turbo), PNG
// load (libpng). Every save replaces its file atomically.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
// BMP and PNG files are decoded into a buffer of the library's (up to 4 bytes a pixel)
// before the pixels become a picture: that buffer may take at most this many bytes (an
// RGBA picture of 134 megapixels), also checked on the header.
inline constexpr std::size_t kMaxDecoderBufferBytes = std::size_t{1} << 29;

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

// A picture and the pixels its file marks fully transparent (alpha 0): a PNG's alpha channel
// or transparent colour, a 32-bit BMP's alpha mask (unless every pixel has alpha 0, as some
// writers leave it), the pixels an RLE bitmap leaves unpainted.
struct DecodedImage {
  Image image;
  // One flag per pixel, rows top to bottom; empty when no pixel is transparent.
  std::vector<bool> transparent;
};

// BMP: the 12-byte (OS/2) to 124-byte headers, rows bottom-up or top-down, 1, 4, 8, 16,
// 24 and 32 bits a pixel, RLE4, RLE8 and bit fields. PNG: every colour type and depth
// (16-bit channels scaled to 8), interlaced or not, colours as stored (no gamma applied).
// The size is checked against the limits above before anything is decoded, and a file
// that does not hold every row it declares is refused; errors name the file.
Result<DecodedImage> decodeBmp(std::span<const unsigned char> bytes,
                               const std::string& nameForErrors);
Result<DecodedImage> decodePng(std::span<const unsigned char> bytes,
                               const std::string& nameForErrors);
Result<Image> loadBmp(const std::string& path);
Result<void> saveBmp(const Image& image, const std::string& path);

enum class ImageFormat { Unknown, Jpeg, Bmp, Png };
// Told by the first bytes of a file (eight are enough).
ImageFormat imageFormatOf(std::span<const unsigned char> firstBytes);
// True when the bytes start with a JPEG start-of-image marker.
bool isJpegData(std::span<const unsigned char> bytes);

// The width and height a BMP or PNG header declares, before any check; nullopt for other
// bytes or a header cut short.
struct DeclaredSize {
  long long width = 0;
  long long height = 0;
};
std::optional<DeclaredSize> declaredImageSize(std::span<const unsigned char> bytes);

// JPEG (EXIF orientation applied), BMP or PNG, told apart by the file's first bytes. A BMP
// or PNG is read from the file piece by piece, never held whole.
Result<DecodedImage> loadImageWithTransparency(const std::string& path);
Result<Image> loadImageFile(const std::string& path);
// The same for a file whose bytes have been read already (`path` names it in errors).
Result<Image> decodeImageFile(std::span<const unsigned char> bytes, const std::string& path);

}  // namespace fotela
