#include "imaging/resample.h"

#include <gtest/gtest.h>

namespace fotela {
namespace {

Image grey(std::initializer_list<int> values, int width) {
  Image image(width, static_cast<int>(values.size()) / width);
  int i = 0;
  for (int v : values) {
    image.setPixel(i % width, i / width, v | (v << 8) | (v << 16));
    ++i;
  }
  return image;
}

std::vector<int> reds(const Image& image) {
  std::vector<int> out;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) out.push_back(image.pixel(x, y) & 0xFF);
  return out;
}

TEST(ResampleTest, EveryOutputPixelIsTheMeanOfTheAreaItCovers) {
  struct Case {
    const char* what;
    Image source;
    int width, height;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"halving a row", grey({0, 0, 255, 255}, 4), 2, 1, {0, 255}},
      {"3 to 2: partly covered pixels count by their share",
       grey({0, 90, 180}, 3),
       2,
       1,
       {30, 150}},
      {"a column", grey({10, 20, 30, 40, 50, 60}, 1), 1, 2, {20, 50}},
      {"5 to 3: spans of 2, 3 and 2 pixels", grey({0, 30, 60, 90, 120}, 5), 3, 1, {12, 60, 108}},
      {"the same down a column", grey({0, 30, 60, 90, 120}, 1), 1, 3, {12, 60, 108}},
      {"2 x 2 to 1 x 1", grey({0, 100, 200, 100}, 2), 1, 1, {100}},
      {"rounding to the nearest", grey({0, 1}, 2), 1, 1, {1}},
      {"same size is a copy", grey({7, 8, 9}, 3), 3, 1, {7, 8, 9}},
      {"no pixel is dropped", grey({0, 0, 0, 0, 0, 0, 0, 255}, 8), 1, 1, {32}},
  };
  for (const Case& c : cases) {
    Image out = resizeAreaAverage(c.source, c.width, c.height);
    ASSERT_EQ(out.width(), c.width) << c.what;
    ASSERT_EQ(out.height(), c.height) << c.what;
    EXPECT_EQ(reds(out), c.expected) << c.what;
  }
}

TEST(ResampleTest, KeepsUniformColourAndChannelsApart) {
  Image image(997, 613);
  image.fill(0x3060C0);
  Image out = resizeAreaAverage(image, 100, 61);
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x) ASSERT_EQ(out.pixel(x, y), 0x3060C0) << x << "," << y;
}

TEST(ResampleTest, SizesBelowOneBecomeOne) {
  Image out = resizeAreaAverage(grey({1, 2, 3, 4}, 2), 0, -3);
  EXPECT_EQ(out.width(), 1);
  EXPECT_EQ(out.height(), 1);
}

}  // namespace
}  // namespace fotela
