#include "imaging/codec.h"

#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>

#include "common/files.h"
#include "imaging/exif.h"
#include "imaging/jpeg_segments.h"
#include "imaging/picture_readers.h"

namespace fotela {
namespace {

// One decompressor and one compressor per thread: TurboJPEG handles must not be shared.
struct HandleDeleter {
  void operator()(void* h) const {
    if (h) tjDestroy(h);
  }
};
using Handle = std::unique_ptr<void, HandleDeleter>;

Handle& decompressorSlot() {
  thread_local Handle h;
  return h;
}
tjhandle decompressor() {
  Handle& h = decompressorSlot();
  if (!h) h.reset(tjInitDecompress());
  return h.get();
}
// A handle that has met a damaged file can fail on the next, sound one: start afresh.
void dropDecompressor() {
  decompressorSlot().reset();
}
tjhandle compressor() {
  thread_local Handle h(tjInitCompress());
  return h.get();
}

std::string errorText(tjhandle h) {
  const char* s = tjGetErrorStr2(h);
  return s ? s : "";
}

Error readError(const std::string& name, const std::string& reason) {
  dropDecompressor();
  return Error{"JPEGファイルを読み込めません: " + name + "（" + reason + "）"};
}

// True when the first frame header of the file is a progressive one (SOF2, 6, 10, 14).
bool isProgressive(std::span<const unsigned char> bytes) {
  bool progressive = false;
  forEachJpegSegment(bytes, [&](const JpegSegment& s) {
    const unsigned m = s.marker;
    // C4, C8 and CC share the range of the frame headers but are none.
    if (m < 0xC0 || m > 0xCF || m == 0xC4 || m == 0xC8 || m == 0xCC) return true;
    progressive = m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE;
    return false;
  });
  return progressive;
}

// The header's size against the limits, before anything is decoded.
std::optional<std::string> overLimit(const JpegInfo& info) {
  const std::string size = std::to_string(info.width) + " × " + std::to_string(info.height);
  if (static_cast<long long>(info.width) * info.height > kMaxImagePixels)
    return "画像が大きすぎます: " + size;
  if (jpegCoefficientBytes(info) > kMaxJpegCoefficientBytes)
    return "プログレッシブ画像が大きすぎます: " + size;
  return std::nullopt;
}

// The only warning that leaves a whole picture: stray bytes between the last scan and the
// end-of-image marker, which some cameras write.
bool isStrayBytesBeforeEnd(const std::string& warning) {
  return warning.find("extraneous bytes before marker 0xd9") != std::string::npos;
}

// Adobe CMYK JPEGs store the inks inverted; RGB is then C * K / 255 per channel.
void cmykToRgb(const std::vector<unsigned char>& cmyk, Image& out) {
  const unsigned char* s = cmyk.data();
  std::uint8_t* d = out.data();
  const std::size_t pixels = static_cast<std::size_t>(out.width()) * out.height();
  for (std::size_t i = 0; i < pixels; ++i, s += 4, d += 3) {
    d[0] = static_cast<std::uint8_t>((s[0] * s[3] + 127) / 255);
    d[1] = static_cast<std::uint8_t>((s[1] * s[3] + 127) / 255);
    d[2] = static_cast<std::uint8_t>((s[2] * s[3] + 127) / 255);
  }
}

// A temporary BMP name beside `path` that no other writer of this process uses. It ends in
// ".bmp" whatever `path` is called, because tjSaveImage picks the format by the extension.
std::string temporaryBmpBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path p(path);
  std::string name = "." + p.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + ".bmp";
  return (p.parent_path() / name).string();
}

}  // namespace

ScaledSize jpegScaledSize(int width, int height, int coverWidth, int coverHeight) {
  ScaledSize best{width, height};
  if (coverWidth <= 0 && coverHeight <= 0) return best;
  int count = 0;
  tjscalingfactor* factors = tjGetScalingFactors(&count);
  if (!factors) return best;
  for (int i = 0; i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num > f.denom) continue;  // never enlarge while decoding
    const int w = TJSCALED(width, f), h = TJSCALED(height, f);
    if (w >= coverWidth && h >= coverHeight && w <= best.width && h <= best.height) best = {w, h};
  }
  return best;
}

std::size_t jpegCoefficientBytes(const JpegInfo& info) {
  if (!info.progressive) return 0;
  // Chroma blocks per luma block of each chroma component.
  double chroma;
  switch (info.subsampling) {
    case TJSAMP_GRAY:
      chroma = 0;
      break;
    case TJSAMP_420:
    case TJSAMP_411:
      chroma = 0.25;
      break;
    case TJSAMP_422:
    case TJSAMP_440:
      chroma = 0.5;
      break;
    default:
      chroma = 1;
      break;  // 4:4:4 or unknown
  }
  const double lumaBlocks = std::ceil(info.width / 8.0) * std::ceil(info.height / 8.0);
  return static_cast<std::size_t>(lumaBlocks * (1 + 2 * chroma) * 64 * 2);
}

namespace {

Result<JpegInfo> readHeader(tjhandle h, std::span<const unsigned char> bytes,
                            const std::string& name, int& colorspace) {
  int w = 0, ht = 0, subsamp = 0;
  if (tjDecompressHeader3(h, bytes.data(), static_cast<unsigned long>(bytes.size()), &w, &ht,
                          &subsamp, &colorspace) != 0)
    return std::unexpected(readError(name, errorText(h)));
  JpegInfo info;
  info.width = w;
  info.height = ht;
  info.orientation = readExifOrientation(bytes);
  info.progressive = isProgressive(bytes);
  info.subsampling = subsamp;
  if (auto reason = overLimit(info)) return std::unexpected(readError(name, *reason));
  return info;
}

}  // namespace

Result<JpegInfo> probeJpeg(std::span<const unsigned char> bytes, const std::string& name) {
  tjhandle h = decompressor();
  if (!h) return std::unexpected(readError(name, "TurboJPEG"));
  int colorspace = 0;
  return readHeader(h, bytes, name, colorspace);
}

Result<Image> decodeJpeg(std::span<const unsigned char> bytes, const std::string& name,
                         const JpegLoadOptions& options) {
  tjhandle h = decompressor();
  if (!h) return std::unexpected(readError(name, "TurboJPEG"));
  int colorspace = 0;
  Result<JpegInfo> info = readHeader(h, bytes, name, colorspace);
  if (!info) return std::unexpected(info.error());

  const int orientation = options.applyOrientation ? info->orientation : 1;
  int coverW = options.coverWidth, coverH = options.coverHeight;
  if (orientationSwapsAxes(orientation)) std::swap(coverW, coverH);
  const ScaledSize size = jpegScaledSize(info->width, info->height, coverW, coverH);

  const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
  // At most 500 scans: more only come from files made to hold the decoder for minutes.
  const int flags = TJFLAG_LIMITSCANS;
  Image image;
  try {
    image = Image(size.width, size.height);
    std::vector<unsigned char> cmykBuffer;
    auto decode = [&](int extraFlags) {
      if (cmyk) {
        cmykBuffer.resize(static_cast<std::size_t>(size.width) * size.height * 4);
        return tjDecompress2(h, bytes.data(), static_cast<unsigned long>(bytes.size()),
                             cmykBuffer.data(), size.width, 0, size.height, TJPF_CMYK,
                             flags | extraFlags);
      }
      return tjDecompress2(h, bytes.data(), static_cast<unsigned long>(bytes.size()), image.data(),
                           size.width, 0, size.height, TJPF_RGB, flags | extraFlags);
    };
    // Any warning means damaged data (a grey or smeared part, a file cut short), except
    // stray bytes just before the end marker, which some cameras write after a whole
    // picture. Nothing can follow those, so a decode that stops at the first warning
    // meets them only when they are the one warning; it is then decoded through.
    for (int extraFlags : {TJFLAG_STOPONWARNING, 0}) {
      if (decode(extraFlags) == 0) break;
      const std::string reason = errorText(h);
      if (tjGetErrorCode(h) != TJERR_WARNING || !isStrayBytesBeforeEnd(reason))
        return std::unexpected(readError(name, reason));
      dropDecompressor();
      h = decompressor();
      if (!h) return std::unexpected(readError(name, "TurboJPEG"));
    }
    if (cmyk) cmykToRgb(cmykBuffer, image);
  } catch (const std::bad_alloc&) {
    return std::unexpected(readError(name, "メモリが足りません"));
  }
  if (orientation != 1) image = applyOrientation(image, orientation);
  return image;
}

Result<Image> loadJpeg(const std::string& path, const JpegLoadOptions& options) {
  Result<std::string> bytes = readWholeFile(path);
  if (!bytes) return std::unexpected(bytes.error());
  return decodeJpeg(byteSpan(*bytes), path, options);
}

Result<std::string> encodeJpeg(const Image& image, int quality) {
  if (image.empty()) return fail("JPEGに変換できません（画像が空です）");
  tjhandle h = compressor();
  if (!h) return fail("JPEGに変換できません（TurboJPEG）");
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(h, image.data(), image.width(), 0, image.height(), TJPF_RGB, &out, &size,
                  TJSAMP_420, quality, 0) != 0) {
    std::string reason = errorText(h);
    tjFree(out);
    return fail("JPEGに変換できません（" + reason + "）");
  }
  std::string bytes(reinterpret_cast<const char*>(out), size);
  tjFree(out);
  return bytes;
}

Result<void> saveJpeg(const Image& image, const std::string& path, int quality) {
  Result<std::string> bytes = encodeJpeg(image, quality);
  if (!bytes)
    return fail("JPEGファイルを書き込めません: " + path + "（" + bytes.error().message + "）");
  return writeFileAtomic(path, *bytes);
}

Result<Image> loadBmp(const std::string& path) {
  ReadOnlyFile file;
  if (!file.open(path)) return fail("BMPファイルを読み込めません: " + path);
  ByteSource source(file);
  Result<DecodedImage> decoded = readBmp(source, path);
  if (!decoded) return std::unexpected(decoded.error());
  return std::move(decoded->image);
}

Result<DecodedImage> decodeBmp(std::span<const unsigned char> bytes, const std::string& name) {
  ByteSource source(bytes);
  return readBmp(source, name);
}

Result<DecodedImage> decodePng(std::span<const unsigned char> bytes, const std::string& name) {
  ByteSource source(bytes);
  return readPng(source, name);
}

Result<void> saveBmp(const Image& image, const std::string& path) {
  if (image.empty()) return fail("BMPファイルを書き込めません: " + path + "（画像が空です）");
  const std::string temp = temporaryBmpBeside(path);
  // tjSaveImage takes a non-const buffer but only reads it.
  if (tjSaveImage(temp.c_str(), const_cast<unsigned char*>(image.data()), image.width(), 0,
                  image.height(), TJPF_RGB, 0) != 0) {
    std::string reason = errorText(nullptr);
    std::remove(temp.c_str());
    return fail("BMPファイルを書き込めません: " + path + "（" + reason + "）");
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    return fail("BMPファイルを書き込めません: " + path + "（" + ec.message() + "）");
  }
  return {};
}

bool isJpegData(std::span<const unsigned char> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

ImageFormat imageFormatOf(std::span<const unsigned char> bytes) {
  static constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (isJpegData(bytes)) return ImageFormat::Jpeg;
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return ImageFormat::Bmp;
  if (bytes.size() >= 8 && std::equal(bytes.begin(), bytes.begin() + 8, kPngSignature))
    return ImageFormat::Png;
  return ImageFormat::Unknown;
}

std::optional<DeclaredSize> declaredImageSize(std::span<const unsigned char> bytes) {
  switch (imageFormatOf(bytes)) {
    case ImageFormat::Bmp:
      return bmpDeclaredSize(bytes);
    case ImageFormat::Png:
      return pngDeclaredSize(bytes);
    default:
      return std::nullopt;
  }
}

Result<DecodedImage> loadImageWithTransparency(const std::string& path) {
  ReadOnlyFile file;
  if (!file.open(path)) return fail(path + " を開けません。");
  unsigned char head[8];
  ByteSource source(file);
  switch (imageFormatOf({head, file.readAt(head, sizeof head, 0)})) {
    case ImageFormat::Jpeg: {
      // The JPEG decoder takes the whole file.
      std::string bytes;
      try {
        bytes.resize(file.size());
      } catch (const std::bad_alloc&) {
        return std::unexpected(readError(path, "メモリが足りません"));
      }
      bytes.resize(file.readAt(bytes.data(), bytes.size(), 0));
      Result<Image> image = decodeJpeg(byteSpan(bytes), path);
      if (!image) return std::unexpected(image.error());
      return DecodedImage{std::move(*image), {}};
    }
    case ImageFormat::Bmp:
      return readBmp(source, path);
    case ImageFormat::Png:
      return readPng(source, path);
    case ImageFormat::Unknown:
      break;
  }
  return fail("画像ファイルの形式が分かりません: " + path);
}

Result<Image> loadImageFile(const std::string& path) {
  Result<DecodedImage> decoded = loadImageWithTransparency(path);
  if (!decoded) return std::unexpected(decoded.error());
  return std::move(decoded->image);
}

Result<Image> decodeImageFile(std::span<const unsigned char> bytes, const std::string& path) {
  Result<DecodedImage> decoded;
  switch (imageFormatOf(bytes)) {
    case ImageFormat::Jpeg:
      return decodeJpeg(bytes, path);
    case ImageFormat::Bmp:
      decoded = decodeBmp(bytes, path);
      break;
    case ImageFormat::Png:
      decoded = decodePng(bytes, path);
      break;
    case ImageFormat::Unknown:
      return fail("画像ファイルの形式が分かりません: " + path);
  }
  if (!decoded) return std::unexpected(decoded.error());
  return std::move(decoded->image);
}

}  // namespace fotela
