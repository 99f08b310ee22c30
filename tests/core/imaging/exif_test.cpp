#include "imaging/exif.h"

#include <gtest/gtest.h>

#include "core/imaging/imaging_test_util.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::asBytes;
using test::exifSegment;
using test::withSegment;

TEST(ExifTest, ReadsTheOrientationInBothByteOrders) {
  const std::string jpeg = test::makeJpegBytes(16, 8);
  for (bool little : {true, false}) {
    for (int o = 1; o <= 8; ++o) {
      EXPECT_EQ(readExifOrientation(asBytes(withSegment(jpeg, exifSegment(o, little)))), o)
          << "orientation " << o << (little ? " II" : " MM");
    }
  }
}

TEST(ExifTest, MissingOrDamagedTagsMeanUpright) {
  const std::string jpeg = test::makeJpegBytes(16, 8);
  std::string cut = exifSegment(6, true);
  cut.resize(cut.size() - 12);  // the length still claims the full segment
  std::string badOffset = exifSegment(6, false);
  badOffset[14 + 4 + 3] = char(0x7F);  // IFD0 offset far beyond the segment
  const std::pair<const char*, std::string> cases[] = {
      {"no EXIF segment", jpeg},
      {"orientation 0", withSegment(jpeg, exifSegment(0, true))},
      {"orientation 9", withSegment(jpeg, exifSegment(9, true))},
      {"segment cut short", withSegment(jpeg, cut)},
      {"IFD offset out of range", withSegment(jpeg, badOffset)},
      {"not a JPEG", std::string("GIF89a")},
      {"empty", std::string()},
  };
  for (const auto& [what, bytes] : cases) EXPECT_EQ(readExifOrientation(asBytes(bytes)), 1) << what;
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
