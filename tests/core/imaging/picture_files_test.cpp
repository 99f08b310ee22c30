// BMP and PNG files as image programs write them (tests/data/pictures), and damaged ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/support/test_files.h"
#include "imaging/codec.h"

namespace fotela {
namespace {

using test::TempDir;

std::string fixture(const std::string& name) {
  return std::string(FOTELA_TEST_DATA) + "/pictures/" + name;
}

// Every fixture holds this picture; "------" is a pixel of alpha 0 in the files that keep
// alpha (green in the others), and the two-tone files have every colour but black white.
constexpr const char* kPicture = "000000 FFFFFF FF0000 0000FF ------ FF0000 000000 ------ ";
constexpr const char* kOpaque = "000000 FFFFFF FF0000 0000FF 00FF00 FF0000 000000 00FF00 ";
constexpr const char* kTwoTone = "000000 FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF 000000 FFFFFF ";

std::string pictureText(const DecodedImage& d) {
  std::string text;
  for (int y = 0; y < d.image.height(); ++y)
    for (int x = 0; x < d.image.width(); ++x) {
      const std::int32_t c = d.image.pixel(x, y);
      char rgb[8];
      std::snprintf(rgb, sizeof rgb, "%02X%02X%02X", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
      const std::size_t i = static_cast<std::size_t>(y) * d.image.width() + x;
      text += (!d.transparent.empty() && d.transparent[i] ? "------" : rgb) + std::string(" ");
    }
  return text;
}

TEST(PictureFiles, EveryLayoutGivesThePictureAndItsTransparentPixels) {
  const std::pair<const char*, const char*> cases[] = {
      {"im-default.bmp", kOpaque},            // ImageMagick: 124-byte header, 24 bits
      {"im-alpha.bmp", kPicture},             // ImageMagick with alpha: 32-bit bit fields
      {"v5-32-alpha.bmp", kPicture},          // as GIMP writes a picture with alpha
      {"v4-32-alpha-topdown.bmp", kPicture},  // 108-byte header, rows top down
      {"v3-56-alpha.bmp", kPicture},          // 56-byte header with an alpha mask
      {"v3-52-16.bmp", kOpaque},              // 52-byte header, 5-6-5 bit fields
      {"fields-after-40.bmp", kOpaque},       // 32 bits, masks after a 40-byte header: no alpha
      {"rgb565-v5.bmp", kOpaque},             // 16 bits, 124-byte header
      {"topdown24.bmp", kOpaque},             // 40-byte header, rows top down
      {"os2.bmp", kOpaque},                   // 12-byte header
      {"bits4.bmp", kOpaque},
      {"rle4.bmp", kOpaque},
      {"rle8.bmp", kOpaque},
      {"bits1.bmp", kTwoTone},
      {"rgba.png", kPicture},
      {"palette-trns.png", kPicture},  // palette with transparent entries
      {"rgba16.png", kPicture},
      {"rgb16.png", kOpaque},
      {"interlaced.png", kOpaque},
      {"grey.png", kTwoTone},  // 1-bit grey
      {"grey16.png", kTwoTone},
  };
  for (const auto& [name, picture] : cases) {
    const std::string path = fixture(name), bytes = test::readFile(path);
    const bool png = std::string(name).ends_with(".png");
    for (const Result<DecodedImage>& r :
         {loadImageWithTransparency(path),
          png ? decodePng(byteSpan(bytes), path) : decodeBmp(byteSpan(bytes), path)}) {
      ASSERT_TRUE(r) << name << ": " << r.error().message;
      EXPECT_EQ(pictureText(*r), picture) << name;
    }
  }
}

std::string patched(std::string bytes, std::size_t at, std::uint32_t le32) {
  const char le[4] = {char(le32), char(le32 >> 8), char(le32 >> 16), char(le32 >> 24)};
  return bytes.replace(at, 4, le, 4);
}

TEST(PictureFiles, DamagedOrOversizedFilesAreRefusedNamingTheFile) {
  const std::string png = test::readFile(fixture("rgba.png"));
  const std::string interlaced = test::readFile(fixture("interlaced.png"));
  const std::string rle8 = test::readFile(fixture("rle8.bmp"));
  const std::string bmp = test::readFile(fixture("topdown24.bmp"));
  std::string badCrc = png;
  badCrc[badCrc.find("IDAT") + 6] ^= 0x55;
  // An 8-bit RGB PNG header (with its CRC) of 20000 x 20000, or 16000 x 16000, and the
  // start of an image data chunk.
  auto pngOfSize = [](const char* ihdrAndCrc) {
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + std::string(ihdrAndCrc, 17) +
           std::string("\0\0\x10\0IDAT", 8);
  };
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;  // nullptr: the library's own words
  } cases[] = {
      {"cut.png", png.substr(0, png.size() / 2), "切れています"},
      {"cut-after-rows.png", png.substr(0, png.size() - 12), "切れています"},
      {"cut-interlaced.png", interlaced.substr(0, interlaced.size() * 2 / 3), "切れています"},
      {"crc.png", badCrc, nullptr},
      {"huge.png",
       pngOfSize("\x00\x00\x4E\x20\x00\x00\x4E\x20\x08\x02\x00\x00\x00\x6C\x12\xD1\x6E"),
       "大きすぎます"},
      {"bomb.png",
       pngOfSize("\x00\x00\x3E\x80\x00\x00\x3E\x80\x08\x02\x00\x00\x00\xCE\x1C\x48\x89"),
       "切れています"},
      {"cut.bmp", rle8.substr(0, rle8.size() - 8), "切れています"},
      {"rle-bomb.bmp", patched(patched(rle8, 18, 12000), 22, 12000), "大きすぎます"},  // buffer
      {"header.bmp", bmp.substr(0, 30), "切れています"},
      {"header-size.bmp", patched(bmp, 14, 0x91919191), "ヘッダーの長さ"},
      {"palette.bmp", patched(rle8, 46, 0xFFFFFE00), "パレットが壊れています"},
  };
  TempDir dir;
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
