#include "imaging/picture_readers.h"

#include <new>

namespace fotela {

Error pictureReadError(const char* kind, const std::string& name, const std::string& reason) {
  return Error{std::string(kind) + "ファイルを読み込めません: " + name + "（" + reason + "）"};
}

std::string tooLargeReason(long long width, long long height) {
  return "画像が大きすぎます: " + std::to_string(width) + " × " + std::to_string(height);
}

std::optional<std::string> overDecodeLimits(long long width, long long height, int bytesPerPixel) {
  const long long pixels = width * height;  // sides of at most 2^31: no overflow
  if (pixels > kMaxImagePixels ||
      static_cast<std::size_t>(pixels) * bytesPerPixel > kMaxDecoderBufferBytes)
    return tooLargeReason(width, height);
  return std::nullopt;
}

Result<DecodedImage> pictureFromPixels(const unsigned char* pixels, int width, int height,
                                       int channels, std::size_t stride,
                                       bool allTransparentIsOpaque, const char* kind,
                                       const std::string& name) {
  DecodedImage out;
  bool opaqueSeen = false;
  try {
    out.image = Image(width, height);
    for (int y = 0; y < height; ++y) {
      const unsigned char* from = pixels + stride * static_cast<std::size_t>(y);
      std::uint8_t* to = out.image.row(y);
      for (int x = 0; x < width; ++x, from += channels, to += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
        if (channels < 4 || from[3] != 0) {
          opaqueSeen = true;
          continue;
        }
        if (out.transparent.empty())
          out.transparent.resize(static_cast<std::size_t>(width) * height);
        out.transparent[static_cast<std::size_t>(y) * width + x] = true;
      }
    }
  } catch (const std::bad_alloc&) {
    return std::unexpected(pictureReadError(kind, name, "メモリが足りません"));
  }
  if (allTransparentIsOpaque && !opaqueSeen) out.transparent.clear();
  return out;
}

}  // namespace fotela
