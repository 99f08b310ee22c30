// BMP reading through gdk-pixbuf's BMP loader, fed piece by piece.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/picture_readers.h"

namespace fotela {
namespace {

constexpr const char* kBmp = "BMP";
constexpr std::size_t kChunkBytes = 64 * 1024;

std::uint32_t le32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
unsigned le16(const unsigned char* p) {
  return p[0] | p[1] << 8;
}

// The header fields the checks before decoding need.
struct BmpHeader {
  std::uint32_t dataOffset = 0;
  std::uint32_t infoSize = 0;
  long long width = 0;
  long long height = 0;  // rows, whichever way they are stored
  unsigned bits = 0;
  std::uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  std::uint32_t colours = 0;      // palette entries, 0 for all that the bits allow
};

// nullopt when the bytes are no BMP or too few to hold these fields.
std::optional<BmpHeader> parseBmpHeader(std::span<const unsigned char> h) {
  if (h.size() < 26 || h[0] != 'B' || h[1] != 'M') return std::nullopt;
  BmpHeader b;
  b.dataOffset = le32(&h[10]);
  b.infoSize = le32(&h[14]);
  if (b.infoSize == 12) {  // the old OS/2 header: unsigned 16-bit sizes
    b.width = le16(&h[18]);
    b.height = le16(&h[20]);
    b.bits = le16(&h[24]);
    return b;
  }
  if (h.size() < 50) return std::nullopt;
  b.width = static_cast<std::int32_t>(le32(&h[18]));
  b.height = static_cast<std::int32_t>(le32(&h[22]));  // negative: rows stored top down
  if (b.height < 0) b.height = -b.height;
  b.bits = le16(&h[28]);
  b.compression = le32(&h[30]);
  b.colours = le32(&h[46]);
  return b;
}

bool compressed(const BmpHeader& b) {
  return b.compression == 1 || b.compression == 2;
}

// What the loader's signals tell, kept for after the bytes have been fed.
struct LoadWatch {
  int bytesPerPixel = 4;
  std::string refusal;  // the size was over the limits: nothing was decoded
  long long rowsDone = 0;
};

// Called once the loader knows the size, before it allocates anything: a size of 0 makes
// it stop there.
void onSizePrepared(GdkPixbufLoader* loader, gint width, gint height, gpointer data) {
  auto* watch = static_cast<LoadWatch*>(data);
  if (auto reason = overDecodeLimits(width, height, watch->bytesPerPixel)) {
    watch->refusal = *reason;
    gdk_pixbuf_loader_set_size(loader, 0, 0);
  }
}

// Rows are reported once each as they are finished (the runs of an RLE file as they are
// passed), so the sum tells whether every row was in the file.
void onAreaUpdated(GdkPixbufLoader*, gint, gint, gint, gint height, gpointer data) {
  static_cast<LoadWatch*>(data)->rowsDone += height;
}

struct LoaderDeleter {
  void operator()(GdkPixbufLoader* loader) const {
    gdk_pixbuf_loader_close(loader, nullptr);  // does nothing when closed already
    g_object_unref(loader);
  }
};
using Loader = std::unique_ptr<GdkPixbufLoader, LoaderDeleter>;

std::string takeMessage(GError*& error) {
  std::string text = error && error->message ? error->message : "";
  g_clear_error(&error);
  return text;
}

}  // namespace

std::optional<DeclaredSize> bmpDeclaredSize(std::span<const unsigned char> bytes) {
  const std::optional<BmpHeader> h = parseBmpHeader(bytes);
  if (!h) return std::nullopt;
  return DeclaredSize{h->width, h->height};
}

Result<DecodedImage> readBmp(ByteSource& source, const std::string& name) {
  auto refuse = [&](const std::string& reason) -> Result<DecodedImage> {
    return std::unexpected(pictureReadError(kBmp, name, reason));
  };
  std::vector<unsigned char> chunk(kChunkBytes);
  std::size_t got = source.read(chunk.data(), chunk.size());
  const std::optional<BmpHeader> header = parseBmpHeader({chunk.data(), got});
  if (!header)
    return refuse(got >= 2 && chunk[0] == 'B' && chunk[1] == 'M' ? kCutShortReason
                                                                 : "BMPではありません");
  // Header fields the loader would trust for the size of a buffer before refusing them:
  // a header length it does not know, a palette longer than the bits allow.
  const std::uint32_t known[] = {12, 40, 52, 56, 64, 108, 124};
  if (std::find(std::begin(known), std::end(known), header->infoSize) == std::end(known))
    return refuse("ヘッダーの長さが分かりません: " + std::to_string(header->infoSize));
  if (header->bits <= 8 && header->colours > (1u << header->bits))
    return refuse("パレットが壊れています");
  LoadWatch watch;
  watch.bytesPerPixel = header->bits == 32 || compressed(*header) ? 4 : 3;
  // The loader allocates the whole picture from the header's size before it reads a row:
  // check that size, and that the file holds the rows it declares, first.
  if (header->width > 0)
    if (auto reason = overDecodeLimits(header->width, header->height, watch.bytesPerPixel))
      return refuse(*reason);
  if (!compressed(*header) && header->bits <= 32) {
    const std::uint64_t rowBytes =
        (static_cast<std::uint64_t>(header->width) * header->bits + 31) / 32 * 4;
    const std::uint64_t available =
        source.size() > header->dataOffset ? source.size() - header->dataOffset : 0;
    if (rowBytes > 0 && static_cast<std::uint64_t>(header->height) > available / rowBytes)
      return refuse(kCutShortReason);
  }

  GError* error = nullptr;
  Loader loader(gdk_pixbuf_loader_new_with_type("bmp", &error));
  if (!loader) return refuse("BMPを読む部品がありません: " + takeMessage(error));
  g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(onSizePrepared), &watch);
  g_signal_connect(loader.get(), "area-updated", G_CALLBACK(onAreaUpdated), &watch);
  bool fed = true;
  while (got > 0 && watch.refusal.empty()) {
    fed = gdk_pixbuf_loader_write(loader.get(), chunk.data(), got, &error);
    if (!fed || got < chunk.size()) break;
    got = source.read(chunk.data(), chunk.size());
  }
  if (!watch.refusal.empty()) return refuse(watch.refusal);
  if (!fed) return refuse(takeMessage(error));
  if (!gdk_pixbuf_loader_close(loader.get(), &error)) return refuse(takeMessage(error));

  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!pixbuf || watch.rowsDone < gdk_pixbuf_get_height(pixbuf)) return refuse(kCutShortReason);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || (channels != 3 && channels != 4))
    return refuse("画素の形式が分かりません");
  // A 32-bit file whose every alpha is 0 was written by a program that leaves that byte
  // empty; only RLE leaves pixels out on purpose.
  return pictureFromPixels(gdk_pixbuf_read_pixels(pixbuf), gdk_pixbuf_get_width(pixbuf),
                           gdk_pixbuf_get_height(pixbuf), channels,
                           static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf)),
                           !compressed(*header), kBmp, name);
}

}  // namespace fotela
