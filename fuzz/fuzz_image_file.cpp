// JPEG, BMP and PNG loading as the editor and the thumbnail maker do it: any bytes give a
// picture within the limits or an error naming the file, read from memory and from the
// file alike (the same picture, the same transparent pixels), and a JPEG's picture has
// the size its header promised.
#include <algorithm>

#include "fuzz_support.h"
#include "imaging/codec.h"
#include "imaging/exif.h"

using namespace fotela;

namespace {

constexpr long long kMaxFuzzPixels = 1 << 22;

void checkError(const Error& error, const std::string& path, std::string_view bytes) {
  if (error.message.find(path) == std::string::npos)
    fuzz::failure("error without the file name: " + error.message, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);
  const std::span<const unsigned char> span(data, size);
  const std::string path = fuzz::writeScratchFile("picture", bytes);

  // Pictures of many megapixels take seconds under the sanitizers and add nothing the
  // small ones do not reach: only their headers are read.
  if (isJpegData(span)) {
    Result<JpegInfo> header = probeJpeg(span, path);
    if (header && static_cast<long long>(header->width) * header->height > kMaxFuzzPixels) return 0;
  }
  if (auto d = declaredImageSize(span);
      d && (d->width > kMaxFuzzPixels || d->height > kMaxFuzzPixels ||
            d->width * d->height > kMaxFuzzPixels))
    return 0;
  Result<Image> any = decodeImageFile(span, path);
  if (!any) {
    checkError(any.error(), path, bytes);
  } else if (static_cast<long long>(any->width()) * any->height() > kMaxImagePixels) {
    fuzz::failure("a picture over the limit", bytes);
  }
  Result<DecodedImage> fromFile = loadImageWithTransparency(path);
  if (fromFile.has_value() != any.has_value()) {
    fuzz::failure("memory and file readers disagree on success", bytes);
  } else if (fromFile && fromFile->image != *any) {
    fuzz::failure("memory and file readers give different pictures", bytes);
  } else if (fromFile && !fromFile->transparent.empty() &&
             fromFile->transparent.size() !=
                 static_cast<std::size_t>(any->width()) * static_cast<std::size_t>(any->height())) {
    fuzz::failure("transparent marks not one per pixel", bytes);
  }
  if (!isJpegData(span)) return 0;

  // The thumbnail maker's way: the header first, then a decode scaled to cover a size.
  Result<JpegInfo> info = probeJpeg(span, path);
  if (!info) {
    checkError(info.error(), path, bytes);
    if (any) fuzz::failure("decoded a JPEG whose header is refused", bytes);
    return 0;
  }
  const int cover = 1 + (size > 0 ? data[size - 1] : 0);
  Result<Image> scaled = decodeJpeg(span, path, {.coverWidth = cover, .coverHeight = cover});
  if (!scaled) {
    checkError(scaled.error(), path, bytes);
    return 0;
  }
  const bool swap = orientationSwapsAxes(info->orientation);
  const ScaledSize expected = jpegScaledSize(info->width, info->height, cover, cover);
  const int w = swap ? expected.height : expected.width;
  const int h = swap ? expected.width : expected.height;
  if (scaled->width() != w || scaled->height() != h)
    fuzz::failure("scaled picture " + std::to_string(scaled->width()) + "x" +
                      std::to_string(scaled->height()) + ", header promised " + std::to_string(w) +
                      "x" + std::to_string(h),
                  bytes);
  return 0;
}
