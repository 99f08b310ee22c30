// Carrying a photo's EXIF and ICC segments into the JPEG the editor saves.

#include "editor/jpeg_metadata.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/support/exif_builder.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

TEST(JpegMetadata, FindsTheExifSegmentAndEveryIccChunk) {
  const std::string exif = test::exifSegment({});
  const std::string xmp =
      test::segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
  const std::string icc1 = test::iccSegment(1, 2, "first half");
  const std::string icc2 = test::iccSegment(2, 2, "second half");
  const std::string other = test::segment(0xE2, "FPXR\0....");
  const std::string jpeg =
      test::insertAfterStart(test::makeJpegBytes(8, 8), xmp + exif + other + icc1 + icc2);
  const JpegMetadata m = readJpegMetadata(jpeg);
  EXPECT_EQ(m.exif, exif) << "the XMP APP1 before it is not EXIF";
  ASSERT_EQ(m.icc.size(), 2u);
  EXPECT_EQ(m.icc[0], icc1);
  EXPECT_EQ(m.icc[1], icc2);
  EXPECT_TRUE(readJpegMetadata(test::makeJpegBytes(8, 8)).empty());
}

TEST(JpegMetadata, DamagedHeadersGiveWhatWasFoundBeforeTheDamage) {
  const std::string exif = test::exifSegment({});
  std::string jpeg = test::insertAfterStart(test::makeJpegBytes(8, 8), exif);
  // A segment length running past the end of the file.
  std::string cut = jpeg.substr(0, 2 + exif.size()) +
                    "\xFF\xE2\x7F\xFF"
                    "ICC_PROFILE";
  EXPECT_EQ(readJpegMetadata(cut).exif, exif);
  EXPECT_TRUE(readJpegMetadata(cut).icc.empty());
  EXPECT_TRUE(readJpegMetadata("").empty());
  EXPECT_TRUE(readJpegMetadata("BM....").empty());
  EXPECT_TRUE(readJpegMetadata("\xFF\xD8\xFF").empty());
}

TEST(WithJpegMetadata, ExifReplacesTheEncodersJfifSegment) {
  const std::string encoded = test::makeJpegBytes(8, 8);
  ASSERT_EQ(static_cast<unsigned char>(encoded[3]), 0xE0) << "the encoder writes JFIF first";
  JpegMetadata m;
  m.exif = test::exifSegment({});
  m.icc = {test::iccSegment(1, 1, "profile")};
  const std::string out = withJpegMetadata(encoded, m, 8, 8);
  EXPECT_EQ(static_cast<unsigned char>(out[3]), 0xE1) << "APP1 right after the start marker";
  EXPECT_EQ(out.find("JFIF"), std::string::npos);
  const JpegMetadata back = readJpegMetadata(out);
  EXPECT_EQ(back.icc, m.icc);
  EXPECT_EQ(test::readExifFacts(back.exif).orientation, 1);

  m.exif.clear();
  const std::string iccOnly = withJpegMetadata(encoded, m, 8, 8);
  EXPECT_NE(iccOnly.find("JFIF"), std::string::npos) << "without EXIF the JFIF segment stays";
  EXPECT_EQ(readJpegMetadata(iccOnly).icc, m.icc);
  EXPECT_EQ(withJpegMetadata(encoded, JpegMetadata{}, 8, 8), encoded);
}

}  // namespace
}  // namespace fotela
