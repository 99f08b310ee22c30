#include "imaging/codec.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/imaging/imaging_test_util.h"
#include "core/support/exif_builder.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::near;
using test::TempDir;

constexpr std::int32_t kRed = 0x0000FF, kBlue = 0xFF0000;

std::vector<std::string> folderNames(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(CodecTest, ScaledSizeIsTheSmallestDctScaleThatCovers) {
  struct Case {
    int w, h, coverW, coverH, expectW, expectH;
  };
  const Case cases[] = {
      {6000, 4000, 600, 400, 750, 500},   // 1/8
      {4000, 3000, 600, 450, 1000, 750},  // 2/8: 1/8 gives 500 wide
      {3000, 2000, 600, 400, 750, 500},   // 2/8
      {600, 400, 100, 67, 150, 100},      // 2/8: 1/8 gives 75 x 50
      {320, 240, 320, 240, 320, 240},     // nothing smaller covers
      {1001, 1001, 126, 126, 126, 126},   // sizes round up: ceil(1001 / 8)
      {500, 300, 0, 0, 500, 300},         // no cover asked: full size
      {100, 100, 400, 400, 100, 100},     // never enlarged
  };
  for (const Case& c : cases) {
    ScaledSize s = jpegScaledSize(c.w, c.h, c.coverW, c.coverH);
    EXPECT_EQ(s.width, c.expectW) << c.w << "x" << c.h << " cover " << c.coverW;
    EXPECT_EQ(s.height, c.expectH) << c.w << "x" << c.h << " cover " << c.coverW;
  }
}

TEST(CodecTest, DecodesAtTheCoveringScaleAndTurnsUpright) {
  const std::string plain = test::encodeJpegBytes(test::halves(800, 400, kRed, kBlue));
  Result<Image> full = decodeJpeg(byteSpan(plain), "p.jpg");
  ASSERT_TRUE(full) << full.error().message;
  EXPECT_EQ(full->width(), 800);
  EXPECT_TRUE(near(full->pixel(10, 10), kRed));
  EXPECT_TRUE(near(full->pixel(790, 390), kBlue));

  Result<Image> scaled =
      decodeJpeg(byteSpan(plain), "p.jpg", {.coverWidth = 100, .coverHeight = 50});
  ASSERT_TRUE(scaled);
  EXPECT_EQ(scaled->width(), 100);
  EXPECT_EQ(scaled->height(), 50);

  // Orientation 6: the stored left half (red) becomes the top of the upright picture.
  // The cover size is given for the upright picture.
  const std::string turned =
      test::insertAfterStart(plain, test::exifSegment({.bigEndian = false, .orientation = 6}));
  Result<Image> upright =
      decodeJpeg(byteSpan(turned), "t.jpg", {.coverWidth = 50, .coverHeight = 100});
  ASSERT_TRUE(upright);
  EXPECT_EQ(upright->width(), 50);
  EXPECT_EQ(upright->height(), 100);
  EXPECT_TRUE(near(upright->pixel(25, 5), kRed));
  EXPECT_TRUE(near(upright->pixel(25, 95), kBlue));

  Result<Image> asStored = decodeJpeg(byteSpan(turned), "t.jpg", {.applyOrientation = false});
  ASSERT_TRUE(asStored);
  EXPECT_EQ(asStored->width(), 800);

  Result<JpegInfo> info = probeJpeg(byteSpan(turned), "t.jpg");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->width, 800);
  EXPECT_EQ(info->orientation, 6);
  EXPECT_FALSE(info->progressive);
}

TEST(CodecTest, ProgressiveAndGreyFiles) {
  const Image picture = test::halves(64, 32, kRed, kBlue);
  const std::string progressive = test::encodeJpegBytes(picture, TJFLAG_PROGRESSIVE);
  Result<JpegInfo> info = probeJpeg(byteSpan(progressive), "p.jpg");
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->progressive);
  Result<Image> decoded = decodeJpeg(byteSpan(progressive), "p.jpg");
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(near(decoded->pixel(60, 30), kBlue));

  const std::string grey = test::encodeJpegBytes(picture, 0, 95, TJSAMP_GRAY);
  decoded = decodeJpeg(byteSpan(grey), "g.jpg");
  ASSERT_TRUE(decoded);
  const std::int32_t p = decoded->pixel(5, 5);
  EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
  EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
}

TEST(CodecTest, DamagedFilesGiveErrorsNamingTheFile) {
  const std::string good = test::encodeJpegBytes(test::halves(64, 64, kRed, kBlue));
  std::string corrupt = good;
  // Scrambled entropy data without markers: libjpeg only warns and goes on.
  const std::size_t scan = good.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  const std::size_t middle = (scan + good.size()) / 2;
  for (std::size_t i = middle; i < middle + 20; ++i)
    if (corrupt[i] != '\xFF' && corrupt[i - 1] != '\xFF' && corrupt[i] != '\xA5')
      corrupt[i] ^= '\x5A';
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"not a JPEG", "hello, world"},
      {"header only", good.substr(0, 150)},
      {"cut in the middle of the data", good.substr(0, good.size() * 2 / 3)},
      {"start marker only", "\xFF\xD8"},
  };
  for (const auto& [what, bytes] : cases) {
    Result<Image> r = decodeJpeg(byteSpan(bytes), "/photos/写真.jpg");
    ASSERT_FALSE(r) << what;
    EXPECT_NE(r.error().message.find("/photos/写真.jpg"), std::string::npos)
        << what << ": " << r.error().message;
  }
  // Damaged entropy data decodes with a warning only: that is a damaged photo too.
  Result<Image> damaged = decodeJpeg(byteSpan(corrupt), "/photos/c.jpg");
  ASSERT_FALSE(damaged);
  EXPECT_NE(damaged.error().message.find("/photos/c.jpg"), std::string::npos);
  EXPECT_NE(damaged.error().message.find("Corrupt JPEG data"), std::string::npos)
      << damaged.error().message;
  // Stray bytes between a whole picture and its end marker are harmless and let pass.
  std::string trailing = good;
  trailing.insert(trailing.size() - 2, "\x12\x34\x56");
  Result<Image> sound = decodeJpeg(byteSpan(trailing), "t.jpg");
  ASSERT_TRUE(sound) << sound.error().message;
  EXPECT_TRUE(near(sound->pixel(60, 60), kBlue));
  // A damaged file leaves the thread's decoder fit for the next, sound one.
  for (const auto& [what, bytes] : cases) {
    (void)decodeJpeg(byteSpan(bytes), "bad.jpg");
    EXPECT_TRUE(decodeJpeg(byteSpan(good), "good.jpg")) << "after " << what;
  }

  TempDir dir;
  Result<Image> missing = loadJpeg(dir.file("none.jpg"));
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().message.find("none.jpg"), std::string::npos);
}

// Headers that claim a huge picture are refused before any pixel or coefficient memory is
// taken, whatever the file's few bytes hold.
TEST(CodecTest, OversizedHeadersAreRefusedBeforeDecoding) {
  TempDir dir;
  // A frame header's height and width, patched in place (they follow the marker by 5 and 7).
  auto withSize = [](std::string jpeg, int width, int height) {
    for (const char* sof : {"\xFF\xC0", "\xFF\xC2"}) {
      const std::size_t at = jpeg.find(sof);
      if (at == std::string::npos) continue;
      jpeg[at + 5] = static_cast<char>(height >> 8);
      jpeg[at + 6] = static_cast<char>(height & 0xFF);
      jpeg[at + 7] = static_cast<char>(width >> 8);
      jpeg[at + 8] = static_cast<char>(width & 0xFF);
    }
    return jpeg;
  };
  const Image small = test::halves(16, 16, kRed, kBlue);
  const std::string baseline = test::encodeJpegBytes(small);
  const std::string progressive = test::encodeJpegBytes(small, TJFLAG_PROGRESSIVE);
  const std::string bomb =
      test::readFile(std::string(FOTELA_TEST_DATA) + "/hostile/bomb-progressive-65500x65500.jpg");
  struct Case {
    const char* what;
    std::string bytes;
    bool refused;
  };
  const Case cases[] = {
      {"progressive 65500 x 65500", bomb, true},
      {"baseline over the pixel limit", withSize(baseline, 20000, 20000), true},
      // 144 M pixels are allowed, but 4:4:4 progressive needs 864 MB of coefficients.
      {"progressive over the coefficient limit", withSize(progressive, 12000, 12000), true},
      {"baseline of the same size", withSize(baseline, 12000, 12000), false},
  };
  for (const Case& c : cases) {
    const std::string name = dir.file("写真.jpg");
    Result<JpegInfo> info = probeJpeg(byteSpan(c.bytes), name);
    EXPECT_EQ(!info, c.refused) << c.what;
    if (!c.refused) continue;
    EXPECT_NE(info.error().message.find(name), std::string::npos) << info.error().message;
    Result<Image> decoded =
        decodeJpeg(byteSpan(c.bytes), name, {.coverWidth = 100, .coverHeight = 100});
    ASSERT_FALSE(decoded) << c.what;
    EXPECT_NE(decoded.error().message.find("大きすぎます"), std::string::npos)
        << decoded.error().message;
  }

  // BMP: a height of 0x1F000002 in a 78-byte file, and a sound header whose rows are cut.
  std::string cut =
      test::readFile(std::string(FOTELA_TEST_DATA) + "/hostile/bomb-height-1f000002.bmp");
  cut[22] = 100, cut[23] = cut[24] = cut[25] = 0;
  test::writeFile(dir.file("cut.bmp"), cut);
  const std::pair<std::string, const char*> bmps[] = {
      {std::string(FOTELA_TEST_DATA) + "/hostile/bomb-height-1f000002.bmp", "大きすぎます"},
      {dir.file("cut.bmp"), "切れています"},
  };
  for (const auto& [path, reason] : bmps) {
    for (Result<Image> r : {loadBmp(path), loadImageFile(path)}) {
      ASSERT_FALSE(r) << path;
      EXPECT_NE(r.error().message.find(path), std::string::npos) << r.error().message;
      EXPECT_NE(r.error().message.find(reason), std::string::npos) << r.error().message;
    }
  }
}

TEST(CodecTest, JpegSaveAndLoad) {
  TempDir dir;
  const Image picture = test::halves(120, 80, kRed, kBlue);
  ASSERT_TRUE(saveJpeg(picture, dir.file("out.jpg")));
  Result<Image> back = loadJpeg(dir.file("out.jpg"));
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_EQ(back->width(), 120);
  EXPECT_EQ(back->height(), 80);
  EXPECT_TRUE(near(back->pixel(5, 40), kRed, 20));
  EXPECT_TRUE(near(back->pixel(115, 40), kBlue, 20));
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"out.jpg"});

  // Quality 70 by default: smaller than the same picture at 100.
  Result<std::string> q70 = encodeJpeg(back.value());
  Result<std::string> q100 = encodeJpeg(back.value(), 100);
  ASSERT_TRUE(q70 && q100);
  EXPECT_LT(q70->size(), q100->size());

  EXPECT_FALSE(encodeJpeg(Image()));
  EXPECT_FALSE(saveJpeg(picture, dir.file("no-such-folder/out.jpg")));
}

TEST(CodecTest, BmpRoundTripIsExact) {
  TempDir dir;
  Image picture(7, 5);  // odd width: BMP rows are padded to four bytes
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) picture.setPixel(x, y, x * 30 + (y * 40 << 8) + ((x ^ y) << 20));
  ASSERT_TRUE(saveBmp(picture, dir.file("p.bmp")));
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"p.bmp"});
  Result<Image> back = loadBmp(dir.file("p.bmp"));
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_EQ(*back, picture);

  Result<Image> viaAny = loadImageFile(dir.file("p.bmp"));
  ASSERT_TRUE(viaAny);
  EXPECT_EQ(*viaAny, picture);

  // Whatever the name says, the file is a BMP.
  for (const char* name : {"$stemp.BMP", "picture.dat"}) {
    ASSERT_TRUE(saveBmp(picture, dir.file(name))) << name;
    EXPECT_EQ(test::readFile(dir.file(name)).substr(0, 2), "BM") << name;
    Result<Image> again = loadBmp(dir.file(name));
    ASSERT_TRUE(again) << name;
    EXPECT_EQ(*again, picture) << name;
  }
  EXPECT_EQ(folderNames(dir.path()),
            (std::vector<std::string>{"$stemp.BMP", "p.bmp", "picture.dat"}));

  test::writeFile(dir.file("bad.bmp"), "BM not really");
  Result<Image> bad = loadBmp(dir.file("bad.bmp"));
  ASSERT_FALSE(bad);
  EXPECT_NE(bad.error().message.find("bad.bmp"), std::string::npos);
}

TEST(CodecTest, LoadImageFileTellsFormatsByTheirFirstBytes) {
  TempDir dir;
  // A JPEG under a misleading name, with an orientation: loaded upright.
  const std::string turned =
      test::insertAfterStart(test::encodeJpegBytes(test::halves(40, 20, kRed, kBlue)),
                             test::exifSegment({.bigEndian = true, .orientation = 8}));
  test::writeFile(dir.file("photo.bmp"), turned);
  Result<Image> jpeg = loadImageFile(dir.file("photo.bmp"));
  ASSERT_TRUE(jpeg) << jpeg.error().message;
  EXPECT_EQ(jpeg->width(), 20);
  EXPECT_EQ(jpeg->height(), 40);
  // Orientation 8: the stored right half (blue) becomes the top.
  EXPECT_TRUE(near(jpeg->pixel(10, 2), kBlue));
  // Bytes read already decode to the same picture.
  EXPECT_TRUE(isJpegData(byteSpan(turned)));
  Result<Image> fromBytes = decodeImageFile(byteSpan(turned), dir.file("photo.bmp"));
  ASSERT_TRUE(fromBytes) << fromBytes.error().message;
  EXPECT_EQ(*fromBytes, *jpeg);

  test::writeFile(dir.file("text.jpg"), "plain text");
  Result<Image> text = loadImageFile(dir.file("text.jpg"));
  ASSERT_FALSE(text);
  EXPECT_NE(text.error().message.find("text.jpg"), std::string::npos);
  EXPECT_FALSE(isJpegData(byteSpan("plain text")));
  EXPECT_FALSE(isJpegData(byteSpan(std::string("\xFF", 1))));
}

}  // namespace
}  // namespace fotela
