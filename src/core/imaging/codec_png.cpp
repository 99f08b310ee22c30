// PNG reading through libpng, fed piece by piece.

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "imaging/picture_readers.h"

namespace fotela {
namespace {

constexpr const char* kPng = "PNG";
constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Deflate turns at most 1032 bytes out of one: a file smaller than its rows' data over
// that cannot hold them.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

struct PngWork {
  ByteSource* source = nullptr;
  std::string message;  // libpng's first error
  bool cutShort = false;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  std::size_t storedRowBytes = 0;  // a row as the file stores it, before any expansion
  int channels = 0;                // of the rows delivered: 3 RGB, 4 RGBA
  std::vector<png_bytep> rows;
};

void onError(png_structp png, png_const_charp text) {
  auto* work = static_cast<PngWork*>(png_get_error_ptr(png));
  if (work->message.empty()) work->message = text ? text : "";
  png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep out, std::size_t length) {
  auto* work = static_cast<PngWork*>(png_get_io_ptr(png));
  if (work->source->read(out, length) != length) {
    work->cutShort = true;
    png_error(png, "end of file");
  }
}

// The two stages that run inside libpng, which reports an error by jumping back to
// `guarded`: they hold no object that would need destroying.
void readHeader(png_structp png, png_infop info, PngWork& work) {
  png_set_read_fn(png, &work, readBytes);
  png_read_info(png, info);
  work.width = png_get_image_width(png, info);
  work.height = png_get_image_height(png, info);
  work.storedRowBytes = png_get_rowbytes(png, info);
  // 8-bit RGB or RGBA whatever is stored: palettes and grey expanded, a transparent colour
  // (tRNS) made alpha, 16-bit channels scaled to 8. No gamma: colours stay as stored, so
  // a transparent colour matches the value the user painted.
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  work.channels = png_get_channels(png, info);
}

void readRows(png_structp png, png_infop info, PngWork& work) {
  png_read_image(png, work.rows.data());
  png_read_end(png, info);  // up to the end chunk: a file cut after its rows is still cut
}

bool guarded(void (*stage)(png_structp, png_infop, PngWork&), png_structp png, png_infop info,
             PngWork& work) {
  if (setjmp(png_jmpbuf(png))) return false;
  stage(png, info, work);
  return true;
}

struct PngHandles {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngHandles() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

}  // namespace

std::optional<DeclaredSize> pngDeclaredSize(std::span<const unsigned char> bytes) {
  // The header chunk comes first: length, "IHDR", width, height (big-endian).
  if (bytes.size() < 24 || !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin()))
    return std::nullopt;
  auto be32 = [&](std::size_t at) {
    return static_cast<long long>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
           bytes[at + 3];
  };
  return DeclaredSize{be32(16), be32(20)};
}

Result<DecodedImage> readPng(ByteSource& source, const std::string& name) {
  auto refuse = [&](const std::string& reason) -> Result<DecodedImage> {
    return std::unexpected(pictureReadError(kPng, name, reason));
  };
  PngWork work;
  work.source = &source;
  PngHandles h;
  h.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &work, onError, onWarning);
  if (h.png) h.info = png_create_info_struct(h.png);
  if (!h.info) return refuse("メモリが足りません");
  auto libpngFailure = [&] { return refuse(work.cutShort ? kCutShortReason : work.message); };

  if (!guarded(readHeader, h.png, h.info, work)) return libpngFailure();
  // RGB rows go straight into the picture; RGBA ones through a buffer first.
  if (auto reason = overDecodeLimits(work.width, work.height, work.channels == 4 ? 4 : 0))
    return refuse(*reason);
  const std::uint64_t storedBytes =
      static_cast<std::uint64_t>(work.height) * (work.storedRowBytes + 1);  // + filter byte
  if (storedBytes / kMaxDeflateRatio > source.size()) return refuse(kCutShortReason);

  const int width = static_cast<int>(work.width), height = static_cast<int>(work.height);
  DecodedImage opaque;
  std::unique_ptr<unsigned char[]> rgba;
  try {
    work.rows.resize(work.height);
    if (work.channels == 3) {
      opaque.image = Image(width, height);
      for (int y = 0; y < height; ++y) work.rows[y] = opaque.image.row(y);
    } else if (work.channels == 4) {
      rgba = std::make_unique_for_overwrite<unsigned char[]>(std::size_t{4} * width * height);
      for (int y = 0; y < height; ++y) work.rows[y] = rgba.get() + std::size_t{4} * width * y;
    } else {
      return refuse("画素の形式が分かりません");
    }
  } catch (const std::bad_alloc&) {
    return refuse("メモリが足りません");
  }
  if (!guarded(readRows, h.png, h.info, work)) return libpngFailure();
  if (work.channels == 3) return opaque;
  return pictureFromPixels(rgba.get(), width, height, 4, std::size_t{4} * width, false, kPng, name);
}

}  // namespace fotela
