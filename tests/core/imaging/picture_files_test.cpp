// BMP and PNG files as image programs write them: made by ImageMagick's convert where it
// can (skipped when it is missing), byte by byte where it cannot (other header sizes,
// top-down rows, RLE4).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/support/test_files.h"
#include "imaging/codec.h"

namespace fotela {
namespace {

using test::TempDir;

// The picture every variant holds; the green pixels have alpha 0 where the file keeps
// alpha. Two-tone variants hold it with every colour but black turned white.
constexpr std::int32_t kPixels[2][4] = {{0x000000, 0xFFFFFF, 0x0000FF, 0xFF0000},
                                        {0x00FF00, 0x0000FF, 0x000000, 0x00FF00}};
enum class Source { Opaque, Alpha, TwoTone };

std::int32_t expected(int x, int y, Source source) {
  const std::int32_t c = kPixels[y][x];
  return source == Source::TwoTone && c != 0 ? 0xFFFFFF : c;
}

std::string rgbText(std::int32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X%02X%02X ", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
  return text;
}

// The source for convert: a PAM with alpha, or an opaque PPM.
std::string sourceFile(Source source) {
  std::string pixels;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      const std::int32_t c = expected(x, y, source);
      pixels += {char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF)};
      if (source == Source::Alpha) pixels += char(kPixels[y][x] == 0x00FF00 ? 0 : 255);
    }
  if (source == Source::Alpha)
    return "P7\nWIDTH 4\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" + pixels;
  return "P6\n4 2\n255\n" + pixels;
}

void put(std::string& s, std::size_t at, std::uint32_t v, int bytes) {
  const char le[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  s.replace(at, bytes, le, bytes);
}

// A BMP of the picture: a `header`-byte info header, 16-bit (5-6-5 bit fields), 24-bit or
// 32-bit (bit fields, an alpha mask where the header has room for one).
std::string bmpBytes(unsigned header, unsigned bits, bool topDown) {
  const bool fields = bits != 24;
  std::string info(header, '\0'), masks;
  put(info, 0, header, 4);
  put(info, 4, 4, 4);
  put(info, 8, topDown ? -2 : 2, 4);
  put(info, 12, 1, 2);
  put(info, 14, bits, 2);
  put(info, 16, fields ? 3 : 0, 4);
  const std::uint32_t m[4] = {bits == 16 ? 0xF800u : 0xFF0000u, bits == 16 ? 0x07E0u : 0xFF00u,
                              bits == 16 ? 0x1Fu : 0xFFu, bits == 16 ? 0u : 0xFF000000u};
  for (int i = 0; fields && i < 4; ++i) {
    if (40u + 4 * i + 4 <= header) put(info, 40 + 4 * i, m[i], 4);
    if (header == 40 && i < 3)
      masks += std::string{char(m[i]), char(m[i] >> 8), char(m[i] >> 16), char(m[i] >> 24)};
  }
  std::string rows;
  for (int r = 0; r < 2; ++r) {
    const int y = topDown ? r : 1 - r;
    std::string row(16, '\0');
    for (int x = 0; x < 4; ++x) {
      const std::uint32_t c = kPixels[y][x];
      const std::uint32_t red = c & 0xFF, green = c >> 8 & 0xFF, blue = c >> 16;
      const std::uint32_t alpha = c == 0x00FF00 ? 0 : 255;
      if (bits == 16) put(row, 2 * x, (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3, 2);
      if (bits == 24) put(row, 3 * x, blue | green << 8 | red << 16, 3);
      if (bits == 32) put(row, 4 * x, blue | green << 8 | red << 16 | alpha << 24, 4);
    }
    rows += row.substr(0, bits / 2);  // 4 pixels: 8, 12 or 16 bytes, already padded
  }
  std::string file(14, '\0');
  file[0] = 'B', file[1] = 'M';
  put(file, 2, 14 + header + masks.size() + rows.size(), 4);
  put(file, 10, 14 + header + masks.size(), 4);
  return file + info + masks + rows;
}

// RLE4 with a 5-colour palette: the bottom row as encoded runs, the top one absolute.
std::string rle4Bytes() {
  std::string info(40, '\0');
  put(info, 0, 40, 4), put(info, 4, 4, 4), put(info, 8, 2, 4), put(info, 12, 1, 2);
  put(info, 14, 4, 2), put(info, 16, 2, 4), put(info, 32, 5, 4);
  const std::string palette("\0\0\0\0\xFF\xFF\xFF\0\0\0\xFF\0\xFF\0\0\0\0\xFF\0\0", 20);
  const std::string data(
      "\x01\x40\x01\x20\x01\x00\x01\x40\x00\x00"  // green red black green
      "\x00\x04\x01\x23\x00\x00\x00\x01",         // black white red blue
      18);
  std::string file(14, '\0');
  file[0] = 'B', file[1] = 'M';
  put(file, 10, 14 + 40 + 20, 4);
  return file + info + palette + data;
}

// What the test means to cover, read from the file: "bmp HEADER/BITS/COMPRESSION" or
// "png COLOURTYPE/DEPTH/INTERLACE".
std::string layoutOf(const std::string& b) {
  auto u = [&](std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return std::to_string(v);
  };
  if (b.size() > 34 && b.starts_with("BM"))
    return "bmp " + u(14, 4) + "/" +
           (u(14, 4) == "12" ? u(24, 2) + "/0" : u(28, 2) + "/" + u(30, 4));
  if (b.size() > 28 && b.starts_with("\x89PNG"))
    return "png " + u(25, 1) + "/" + u(24, 1) + "/" + u(28, 1);
  return "?";
}

bool haveConvert() {
  static const bool have = std::system("command -v convert >/dev/null 2>&1") == 0;
  return have;
}

// The picture from `source` written by convert with `args` ("... FORMAT:"); "" when convert
// is missing or fails.
std::string converted(const TempDir& dir, Source source, const std::string& args) {
  test::writeFile(dir.file("source"), sourceFile(source));
  const std::string out = dir.file("converted");
  std::remove(out.c_str());
  if (!haveConvert() ||
      std::system(
          ("convert '" + dir.file("source") + "' " + args + "'" + out + "' 2>&1").c_str()) != 0)
    return "";
  return test::readFile(out);
}

TEST(PictureFiles, EveryVariantGivesThePictureAndItsTransparentPixels) {
  struct Case {
    const char* what;
    Source source;
    const char* convertArgs;  // ending in "FORMAT:"; nullptr: `bytes`
    std::string bytes;
    const char* layout;
    bool marks;  // the green pixels come back transparent
  };
  const Case cases[] = {
      {"ImageMagick's default BMP", Source::Opaque, "BMP:", "", "bmp 124/24/0", false},
      {"ImageMagick's BMP with alpha", Source::Alpha, "BMP:", "", "bmp 124/32/3", true},
      {"OS/2 header", Source::Opaque, "BMP2:", "", "bmp 12/24/0", false},
      {"4-bit palette", Source::Opaque, "-type Palette BMP3:", "", "bmp 40/4/0", false},
      {"RLE8", Source::Opaque, "-type Palette -compress RLE BMP3:", "", "bmp 40/8/1", false},
      {"1-bit", Source::TwoTone, "-type Bilevel BMP3:", "", "bmp 40/1/0", false},
      {"16 bits, masks after a 40-byte header", Source::Opaque, nullptr, bmpBytes(40, 16, false),
       "bmp 40/16/3", false},
      {"5-6-5 bit fields", Source::Opaque, "-define bmp:subtype=RGB565 BMP:", "", "bmp 124/16/3",
       false},
      {"RLE4", Source::Opaque, nullptr, rle4Bytes(), "bmp 40/4/2", false},
      {"top-down rows", Source::Opaque, nullptr, bmpBytes(40, 24, true), "bmp 40/24/0", false},
      {"52-byte header", Source::Opaque, nullptr, bmpBytes(52, 16, false), "bmp 52/16/3", false},
      {"56-byte header, alpha", Source::Opaque, nullptr, bmpBytes(56, 32, true), "bmp 56/32/3",
       true},
      {"108-byte header, alpha", Source::Opaque, nullptr, bmpBytes(108, 32, false), "bmp 108/32/3",
       true},
      {"124-byte header, alpha", Source::Opaque, nullptr, bmpBytes(124, 32, false), "bmp 124/32/3",
       true},
      {"32 bits, masks after a 40-byte header: no alpha", Source::Opaque, nullptr,
       bmpBytes(40, 32, false), "bmp 40/32/3", false},
      {"PNG RGBA", Source::Alpha, "PNG32:", "", "png 6/8/0", true},
      {"PNG palette with transparent entries", Source::Alpha, "PNG8:", "", "png 3/8/0", true},
      {"PNG 16-bit RGBA", Source::Alpha, "PNG64:", "", "png 6/16/0", true},
      {"PNG 16-bit RGB", Source::Opaque, "PNG48:", "", "png 2/16/0", false},
      {"PNG interlaced", Source::Opaque, "-interlace PNG PNG24:", "", "png 2/8/1", false},
      {"PNG grey", Source::TwoTone, "-type Grayscale PNG:", "", "png 0/1/0", false},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string bytes = c.convertArgs ? converted(dir, c.source, c.convertArgs) : c.bytes;
    if (bytes.empty()) continue;  // no convert here
    const bool isPng = c.layout[0] == 'p';
    const std::string path = dir.file(isPng ? "picture.png" : "picture.bmp");
    test::writeFile(path, bytes);
    ASSERT_EQ(layoutOf(bytes), c.layout) << c.what;
    for (Result<DecodedImage> r :
         {loadImageWithTransparency(path),
          isPng ? decodePng(byteSpan(bytes), path) : decodeBmp(byteSpan(bytes), path)}) {
      ASSERT_TRUE(r) << c.what << ": " << r.error().message;
      ASSERT_EQ(r->image.width() * 10 + r->image.height(), 42) << c.what;
      EXPECT_EQ(r->transparent.size(), c.marks ? 8u : 0u) << c.what;
      // Row by row, "RRGGBB" or "------" for a transparent pixel.
      std::string seen, wanted;
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
          const bool clear = c.marks && kPixels[y][x] == 0x00FF00;
          wanted += clear ? "------ " : rgbText(expected(x, y, c.source));
          seen += !r->transparent.empty() && r->transparent[y * 4 + x]
                      ? "------ "
                      : rgbText(r->image.pixel(x, y));
        }
      EXPECT_EQ(seen, wanted) << c.what;
    }
  }
  if (!haveConvert())
    GTEST_SKIP() << "convert (ImageMagick) is missing: only the byte-built files were read";
}

std::string patched(std::string bytes, std::size_t at, std::uint32_t value) {
  put(bytes, at, value, 4);
  return bytes;
}

std::string cut(std::string bytes, std::size_t keep) {
  bytes.resize(keep);
  return bytes;
}

// The signature and header chunk of an 8-bit RGB PNG of width x height, and the start of
// an image data chunk.
std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height) {
  std::string ihdr("IHDR\0\0\0\0\0\0\0\0\x08\x02\0\0\0", 17);
  for (int i = 0; i < 4; ++i)
    ihdr[4 + i] = char(width >> (24 - 8 * i)), ihdr[8 + i] = char(height >> (24 - 8 * i));
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char b : ihdr) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  crc = ~crc;
  return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0D", 12) + ihdr +
         std::string{char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)} +
         std::string("\0\0\x10\0IDAT", 8);
}

TEST(PictureFiles, DamagedOrOversizedFilesAreRefusedNamingTheFile) {
  TempDir dir;
  const std::string png = converted(dir, Source::Alpha, "PNG32:");
  const std::string interlaced = converted(dir, Source::Opaque, "-interlace PNG PNG24:");
  const std::string rle8 = converted(dir, Source::Opaque, "-type Palette -compress RLE BMP3:");
  if (png.empty() || interlaced.empty() || rle8.empty())
    GTEST_SKIP() << "convert (ImageMagick) is missing";
  std::string badCrc = png;
  badCrc[badCrc.find("IDAT") + 6] ^= 0x55;
  // 12000 x 12000 RLE8: over the decoder's buffer
  const std::string rleBomb = patched(patched(rle8, 18, 12000), 22, 12000);
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;  // nullptr: the library's own words
  } cases[] = {
      {"cut.png", cut(png, png.size() / 2), "切れています"},
      {"cut-after-rows.png", cut(png, png.size() - 12), "切れています"},
      {"cut-interlaced.png", cut(interlaced, interlaced.size() * 2 / 3), "切れています"},
      {"crc.png", badCrc, nullptr},
      {"huge.png", pngHeaderOnly(20000, 20000), "大きすぎます"},
      {"bomb.png", pngHeaderOnly(16000, 16000), "切れています"},
      {"cut.bmp", cut(rle8, rle8.size() - 8), "切れています"},
      {"rle-bomb.bmp", rleBomb, "大きすぎます"},
      {"header.bmp", cut(bmpBytes(40, 24, false), 30), "切れています"},
      {"header-size.bmp", patched(bmpBytes(40, 24, false), 14, 0x91919191), "ヘッダーの長さ"},
      {"palette.bmp", patched(rle8, 46, 0xFFFFFE00), "パレットが壊れています"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.file(c.name);
    test::writeFile(path, c.bytes);
    Result<Image> r = loadImageFile(path);
    ASSERT_FALSE(r) << c.name;
    EXPECT_NE(r.error().message.find(path), std::string::npos) << r.error().message;
    EXPECT_NE(r.error().message.find(c.reason ? c.reason : path), std::string::npos)
        << r.error().message;
  }
}

}  // namespace
}  // namespace fotela
