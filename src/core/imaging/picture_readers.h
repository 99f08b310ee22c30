#pragma once
// The BMP and PNG readers behind codec.h, reading from a file or from bytes in memory.

#include <cstddef>
#include <optional>
#include <string>

#include "common/error.h"
#include "imaging/byte_source.h"
#include "imaging/codec.h"

namespace fotela {

Result<DecodedImage> readBmp(ByteSource& source, const std::string& name);
Result<DecodedImage> readPng(ByteSource& source, const std::string& name);

// The message of a file that cannot be read: "<kind>ファイルを読み込めません: name（reason）".
Error pictureReadError(const char* kind, const std::string& name, const std::string& reason);
// The reasons shared by the readers.
std::string tooLargeReason(long long width, long long height);
inline constexpr const char* kCutShortReason = "ファイルが途中で切れています";

// The reason to refuse a picture of this size before decoding it into a buffer of
// `bytesPerPixel` bytes a pixel (kMaxImagePixels, kMaxDecoderBufferBytes); nullopt when it
// is within both. Sides are at most 2^31.
std::optional<std::string> overDecodeLimits(long long width, long long height, int bytesPerPixel);

// The picture of `channels` (3 or 4: RGB or RGBA, 8 bits each) interleaved pixels; with 4,
// the pixels of alpha 0 are marked transparent, none of them when every pixel is and
// `allTransparentIsOpaque` says such a file means no alpha at all.
Result<DecodedImage> pictureFromPixels(const unsigned char* pixels, int width, int height,
                                       int channels, std::size_t stride,
                                       bool allTransparentIsOpaque, const char* kind,
                                       const std::string& name);

// The sizes the headers declare (codec.h's declaredImageSize for each format).
std::optional<DeclaredSize> bmpDeclaredSize(std::span<const unsigned char> bytes);
std::optional<DeclaredSize> pngDeclaredSize(std::span<const unsigned char> bytes);

}  // namespace fotela
