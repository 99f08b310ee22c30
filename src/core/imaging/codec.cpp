#include "imaging/codec.h"

#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "common/files.h"
#include "imaging/exif.h"
#include "imaging/jpeg_segments.h"

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

// A decoded picture may not exceed this many pixels (about 800 MB of RGB); larger sizes
// come from damaged headers or would exhaust memory.
constexpr long long kMaxPixels = 1LL << 28;

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

Result<JpegInfo> probeJpeg(std::span<const unsigned char> bytes, const std::string& name) {
  tjhandle h = decompressor();
  if (!h) return std::unexpected(readError(name, "TurboJPEG"));
  int w = 0, ht = 0, subsamp = 0, colorspace = 0;
  if (tjDecompressHeader3(h, bytes.data(), static_cast<unsigned long>(bytes.size()), &w, &ht,
                          &subsamp, &colorspace) != 0)
    return std::unexpected(readError(name, errorText(h)));
  JpegInfo info;
  info.width = w;
  info.height = ht;
  info.orientation = readExifOrientation(bytes);
  info.progressive = isProgressive(bytes);
  info.subsampling = subsamp;
  return info;
}

Result<Image> decodeJpeg(std::span<const unsigned char> bytes, const std::string& name,
                         const JpegLoadOptions& options) {
  tjhandle h = decompressor();
  if (!h) return std::unexpected(readError(name, "TurboJPEG"));
  int w = 0, ht = 0, subsamp = 0, colorspace = 0;
  if (tjDecompressHeader3(h, bytes.data(), static_cast<unsigned long>(bytes.size()), &w, &ht,
                          &subsamp, &colorspace) != 0)
    return std::unexpected(readError(name, errorText(h)));

  const int orientation = options.applyOrientation ? readExifOrientation(bytes) : 1;
  int coverW = options.coverWidth, coverH = options.coverHeight;
  if (orientationSwapsAxes(orientation)) std::swap(coverW, coverH);
  const ScaledSize size = jpegScaledSize(w, ht, coverW, coverH);
  if (static_cast<long long>(size.width) * size.height > kMaxPixels)
    return std::unexpected(readError(name, "画像が大きすぎます"));

  const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
  // A file cut short would decode with a grey lower part; that is an error here. Other
  // warnings (stray bytes between segments) leave a usable picture.
  const int flags = TJFLAG_LIMITSCANS;
  Image image;
  try {
    image = Image(size.width, size.height);
    int rc;
    if (cmyk) {
      std::vector<unsigned char> buffer(static_cast<std::size_t>(size.width) * size.height * 4);
      rc = tjDecompress2(h, bytes.data(), static_cast<unsigned long>(bytes.size()), buffer.data(),
                         size.width, 0, size.height, TJPF_CMYK, flags);
      if (rc == 0 || tjGetErrorCode(h) == TJERR_WARNING) cmykToRgb(buffer, image);
    } else {
      rc = tjDecompress2(h, bytes.data(), static_cast<unsigned long>(bytes.size()), image.data(),
                         size.width, 0, size.height, TJPF_RGB, flags);
    }
    if (rc != 0) {
      const std::string reason = errorText(h);
      if (tjGetErrorCode(h) != TJERR_WARNING || reason.find("Premature end") != std::string::npos)
        return std::unexpected(readError(name, reason));
      dropDecompressor();
    }
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
  int w = 0, h = 0, pf = TJPF_RGB;
  unsigned char* pixels = tjLoadImage(path.c_str(), &w, 1, &h, &pf, 0);
  if (!pixels)
    return fail("BMPファイルを読み込めません: " + path + "（" + errorText(nullptr) + "）");
  Image image;
  try {
    image = Image(w, h);
    std::memcpy(image.data(), pixels, static_cast<std::size_t>(w) * h * 3);
  } catch (const std::bad_alloc&) {
    tjFree(pixels);
    return fail("BMPファイルを読み込めません: " + path + "（メモリが足りません）");
  }
  tjFree(pixels);
  return image;
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

Result<Image> loadImageFile(const std::string& path) {
  Result<std::string> bytes = readWholeFile(path);
  if (!bytes) return std::unexpected(bytes.error());
  return decodeImageFile(byteSpan(*bytes), path);
}

Result<Image> decodeImageFile(std::span<const unsigned char> bytes, const std::string& path) {
  if (isJpegData(bytes)) return decodeJpeg(bytes, path);
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return loadBmp(path);
  return fail("画像ファイルの形式が分かりません: " + path);
}

}  // namespace fotela
