#include "imaging/exif.h"

#include <gtest/gtest.h>

#include "core/support/exif_builder.h"
#include "core/support/test_files.h"
#include "imaging/codec.h"

namespace fotela {
namespace {

using test::insertAfterStart;

// An EXIF segment with the given orientation (see exif_builder.h for its layout).
std::string exif(int orientation, bool bigEndian) {
  return test::exifSegment({.bigEndian = bigEndian, .orientation = orientation});
}

TEST(ExifTest, ReadsTheOrientationInBothByteOrders) {
  const std::string jpeg = test::makeJpegBytes(16, 8);
  for (bool big : {false, true}) {
    for (int o = 1; o <= 8; ++o) {
      EXPECT_EQ(readExifOrientation(byteSpan(insertAfterStart(jpeg, exif(o, big)))), o)
          << "orientation " << o << (big ? " MM" : " II");
    }
  }
}

TEST(ExifTest, MissingOrDamagedTagsMeanUpright) {
  const std::string jpeg = test::makeJpegBytes(16, 8);
  // The orientation entry is the first of IFD0; its value lies 28 bytes into the segment:
  // marker and length 4, identifier 6, TIFF header 8, entry count 2, tag, type and count 8.
  std::string cut = exif(6, false).substr(0, 28);  // the length still claims the full segment
  // Cut inside the value, with the length saying so; the byte after the segment would
  // complete the value 6 if the reader looked past the segment.
  std::string cutShort = exif(6, true).substr(0, 29);
  cutShort[2] = char((cutShort.size() - 2) >> 8);
  cutShort[3] = char((cutShort.size() - 2) & 0xFF);
  cutShort += '\x06';
  std::string noTag = exif(6, true);
  noTag[21] = char(0x7F);  // the orientation tag 0x0112 becomes 0x017F
  std::string badOffset = exif(6, true);
  badOffset[14] = char(0x7F);  // IFD0 at 0x7F000008, far beyond the segment
  const std::pair<const char*, std::string> cases[] = {
      {"no EXIF segment", jpeg},
      {"orientation 0", insertAfterStart(jpeg, exif(0, false))},
      {"orientation 9", insertAfterStart(jpeg, exif(9, false))},
      {"segment cut short", insertAfterStart(jpeg, cut)},
      {"entry running past the segment", insertAfterStart(jpeg, cutShort)},
      {"no orientation tag", insertAfterStart(jpeg, noTag)},
      {"IFD offset out of range", insertAfterStart(jpeg, badOffset)},
      {"not a JPEG", std::string("GIF89a")},
      {"empty", std::string()},
  };
  for (const auto& [what, bytes] : cases)
    EXPECT_EQ(readExifOrientation(byteSpan(bytes)), 1) << what;
}

TEST(ExifForUprightPicture, ResetsOrientationSizesAndThumbnailInBothByteOrders) {
  for (bool bigEndian : {false, true}) {
    test::ExifLayout layout;
    layout.bigEndian = bigEndian;
    layout.orientation = 6;
    layout.pixelX = 4000;
    layout.pixelY = 3000;
    const std::string patched = exifForUprightPicture(test::exifSegment(layout), 3000, 4000);
    ASSERT_FALSE(patched.empty()) << bigEndian;
    const test::ExifFacts facts = test::readExifFacts(patched);
    EXPECT_EQ(facts.orientation, 1) << bigEndian;
    EXPECT_EQ(facts.pixelX, 3000u) << bigEndian;
    EXPECT_EQ(facts.pixelY, 4000u) << bigEndian;
    EXPECT_EQ(facts.nextIfd, 0u) << "thumbnail unlinked";
    EXPECT_EQ(patched.size(), test::exifSegment(layout).size()) << "patched in place";
  }
}

TEST(ExifForUprightPicture, UnreadableSegmentsAreDropped) {
  std::string exif = test::exifSegment({});
  const std::string cases[] = {
      exif.substr(0, 14),                                       // header cut short
      exif.substr(0, 10) + "XX*\0" + exif.substr(14),           // unknown byte order
      exif.substr(0, 14) + std::string("\xF0\xFF\x00\x00", 4),  // IFD0 past the end
      // IFD0 inside the header: zeroing its next-IFD link would move IFD0 itself
      exif.substr(0, 14) + std::string("\x05\x00\x00\x00", 4) + exif.substr(18),
  };
  for (const std::string& c : cases) EXPECT_EQ(exifForUprightPicture(c, 10, 10), "");
}

// The stored picture 3 x 2:  0 1 2 / 3 4 5 (pixel values), and each orientation's
// upright picture, row by row.
TEST(ExifTest, ApplyOrientationTurnsEveryCaseUpright) {
  Image stored(3, 2);
  for (int i = 0; i < 6; ++i) stored.setPixel(i % 3, i / 3, i);
  struct Case {
    int orientation, width, height;
    std::vector<int> pixels;
  };
  const Case cases[] = {
      {1, 3, 2, {0, 1, 2, 3, 4, 5}}, {2, 3, 2, {2, 1, 0, 5, 4, 3}}, {3, 3, 2, {5, 4, 3, 2, 1, 0}},
      {4, 3, 2, {3, 4, 5, 0, 1, 2}}, {5, 2, 3, {0, 3, 1, 4, 2, 5}}, {6, 2, 3, {3, 0, 4, 1, 5, 2}},
      {7, 2, 3, {5, 2, 4, 1, 3, 0}}, {8, 2, 3, {2, 5, 1, 4, 0, 3}},
  };
  for (const Case& c : cases) {
    Image upright = applyOrientation(stored, c.orientation);
    ASSERT_EQ(upright.width(), c.width) << c.orientation;
    ASSERT_EQ(upright.height(), c.height) << c.orientation;
    std::vector<int> pixels;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) pixels.push_back(upright.pixel(x, y));
    EXPECT_EQ(pixels, c.pixels) << "orientation " << c.orientation;
    EXPECT_EQ(orientationSwapsAxes(c.orientation), c.width == 2);
  }
}

}  // namespace
}  // namespace fotela
