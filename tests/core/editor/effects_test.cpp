// The editor's effects, pixel for pixel, on pictures built in memory.

#include "imaging/effects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fotela {
namespace {

std::int32_t rgb(int r, int g, int b) {
  return r + g * 256 + b * 65536;
}

std::string hex(std::int32_t c) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return text;
}

// Every pixel different, so a misplaced pixel shows.
Image numbered(int w, int h) {
  Image picture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture.setPixel(x, y, rgb(x & 0xFF, y & 0xFF, (x * 7 + y) & 0xFF));
  return picture;
}

Image filled(int w, int h, std::int32_t colour) {
  Image picture(w, h);
  picture.fill(colour);
  return picture;
}

// ---------------------------------------------------------------- colour texts

TEST(ColourChannels, PairsGoThroughHexToNumberAsTheyStand) {
  struct Case {
    const char* text;
    int r, g, b;
  };
  const Case cases[] = {
      {"AA6600", 170, 102, 0},
      {"ffffff", 255, 255, 255},
      {"1z0000", -1, 0, 0},
      {"00zz09", 0, 0, 9},
      {"abc", 171, 12, 0},
      {"", 0, 0, 0},
      // A typed non-ASCII character is one character of its pair.
      {"あ1FF00", -1, 255, 0},
  };
  for (const Case& c : cases) {
    const ColourChannels got = colourChannels(c.text);
    EXPECT_EQ(got.r, c.r) << c.text;
    EXPECT_EQ(got.g, c.g) << c.text;
    EXPECT_EQ(got.b, c.b) << c.text;
  }
}

// ---------------------------------------------------------------- turn

TEST(Turn, EveryPixelLandsWhereTheAngleSays) {
  const int w = 70, h = 45;  // more than one tile and not a multiple of it
  const Image source = numbered(w, h);
  for (int angle : {90, 180, 270}) {
    Image turned;
    turn(source, turned, angle);
    if (angle == 180) {
      ASSERT_EQ(turned.width(), w);
      ASSERT_EQ(turned.height(), h);
    } else {
      ASSERT_EQ(turned.width(), h) << angle;
      ASSERT_EQ(turned.height(), w) << angle;
    }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::int32_t c = source.pixel(x, y);
        const std::int32_t got = angle == 90    ? turned.pixel(h - 1 - y, x)
                                 : angle == 180 ? turned.pixel(w - 1 - x, h - 1 - y)
                                                : turned.pixel(y, w - 1 - x);
        ASSERT_EQ(got, c) << "angle " << angle << " at " << x << "," << y;
      }
  }
}

TEST(Turn, CornersAndRoundTrips) {
  const Image source = numbered(5, 3);
  Image a, b;
  turn(source, a, 90);
  EXPECT_EQ(a.pixel(a.width() - 1, 0), source.pixel(0, 0)) << "clockwise: top-left to top-right";
  turn(source, a, 270);
  EXPECT_EQ(a.pixel(0, a.height() - 1), source.pixel(0, 0)) << "counter-clockwise: bottom-left";
  turn(source, a, 180);
  EXPECT_EQ(a.pixel(4, 2), source.pixel(0, 0));

  Image picture = source;
  for (int i = 0; i < 4; ++i) {
    turn(picture, b, 90);
    std::swap(picture, b);
  }
  EXPECT_EQ(picture, source) << "four quarter turns";
  turn(source, a, 90);
  turn(a, b, 270);
  EXPECT_EQ(b, source) << "a turn and its opposite";
  turn(source, a, 180);
  turn(a, b, 180);
  EXPECT_EQ(b, source);
}

// ---------------------------------------------------------------- KakuSyuku

TEST(KakuSyuku, DoubleRepeatsEachPixelInATwoByTwoBlock) {
  const Image source = numbered(7, 5);
  Image scaled;
  KakuSyuku(source, scaled, 200);
  ASSERT_EQ(scaled.width(), 14);
  ASSERT_EQ(scaled.height(), 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 14; ++x)
      ASSERT_EQ(scaled.pixel(x, y), source.pixel(x / 2, y / 2)) << x << "," << y;
}

TEST(KakuSyuku, HalfKeepsOneSourcePixelPerDestinationPixel) {
  const Image source = numbered(8, 6);
  Image scaled;
  KakuSyuku(source, scaled, 50);
  ASSERT_EQ(scaled.width(), 4);
  ASSERT_EQ(scaled.height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      ASSERT_EQ(scaled.pixel(x, y), source.pixel(2 * x + 1, 2 * y + 1)) << x << "," << y;
}

TEST(KakuSyuku, SizeIsTheNearestWholePixelsAndHundredIsTheSamePicture) {
  // 3 x 50 % = 1.5 -> 2 and 5 x 50 % = 2.5 -> 2 (ties to even); 7 x 33 % = 2.31 -> 2.
  EXPECT_EQ(scaledSize(3, 5, 50).width, 2);
  EXPECT_EQ(scaledSize(3, 5, 50).height, 2);
  EXPECT_EQ(scaledSize(7, 7, 33).width, 2);
  EXPECT_EQ(scaledSize(640, 480, 150).width, 960);
  EXPECT_EQ(scaledSize(640, 480, 0).height, 0);
  EXPECT_LT(scaledSize(640, 480, -10).width, 0);

  const Image source = numbered(9, 4);
  Image scaled;
  KakuSyuku(source, scaled, 100);
  EXPECT_EQ(scaled, source);
  KakuSyuku(source, scaled, 300);
  ASSERT_EQ(scaled.width(), 27);
  EXPECT_EQ(scaled.pixel(26, 11), source.pixel(8, 3));
  KakuSyuku(numbered(9, 9), scaled, 100.0 / 3.0 * 1.0);  // 3 x 3: each takes its middle pixel
  ASSERT_EQ(scaled.width(), 3);
  EXPECT_EQ(scaled.pixel(1, 2), numbered(9, 9).pixel(4, 7));
}

// ---------------------------------------------------------------- RaisedFrame

constexpr std::int32_t kGrey = 0x808080;

TEST(RaisedFrame, LightAndDarkOfTheBaseColour) {
  struct Case {
    const char* text;
    const char* base;
    const char* light;
    const char* dark;
  };
  // Ties round to even: 0 gives light 76.5 -> 76 (4C).
  const Case cases[] = {{"AA6600", "AA6600", "C4944C", "774700"},
                        {"ffffff", "FFFFFF", "FFFFFF", "B2B2B2"},
                        {"000000", "000000", "4C4C4C", "000000"},
                        // -9 channels: base and dark would be negative and are clamped.
                        {"9z9z9z", "000000", "464646", "000000"}};
  for (const Case& c : cases) {
    // Thickness 8 on 40 x 40: ring 0 top light, ring 1 bottom (y = 39) dark, ring 3 top
    // base, ring 7 top dark.
    Image picture = filled(40, 40, kGrey);
    RaisedFrame(picture, 8, c.text);
    EXPECT_EQ(hex(picture.pixel(20, 0)), c.light) << c.text;
    EXPECT_EQ(hex(picture.pixel(20, 39)), c.dark) << c.text;
    EXPECT_EQ(hex(picture.pixel(20, 3)), c.base) << c.text;
    EXPECT_EQ(hex(picture.pixel(20, 7)), c.dark) << c.text;
  }
}

TEST(RaisedFrame, ThicknessTenOnAHundredByEighty) {
  Image picture = filled(100, 80, kGrey);
  RaisedFrame(picture, 10, "AA6600");
  const std::int32_t light = 0x4C94C4, dark = 0x004777, base = 0x0066AA;
  struct Case {
    int x, y;
    std::int32_t colour;
    const char* why;
  };
  const Case cases[] = {
      {0, 0, light, "ring 0 top"},
      {0, 79, light, "ring 0 left runs to the bottom"},
      {99, 40, dark, "ring 1 right"},
      {50, 79, dark, "ring 1 bottom"},
      {1, 40, light, "ring 1 left"},
      {2, 2, light, "ring 2 top"},
      {3, 40, base, "ring 3 left"},
      {5, 5, base, "ring 5 top"},
      {96, 40, base, "ring 4 right"},
      {6, 40, dark, "ring 6 left"},
      {9, 40, dark, "ring 9 left"},
      {50, 71, light, "ring 9 bottom"},
      {91, 40, light, "ring 9 right"},
      {10, 40, kGrey, "inside"},
      {90, 40, kGrey, "inside"},
      {50, 70, kGrey, "inside"},
      {99, 0, light, "ring 0 top ends at the last column"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(hex(picture.pixel(c.x, c.y)), hex(c.colour)) << c.x << "," << c.y << " " << c.why;
}

TEST(RaisedFrame, ThicknessOneDrawsOnlyTopAndLeft) {
  Image picture = filled(6, 4, kGrey);
  RaisedFrame(picture, 1, "AA6600");
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(hex(picture.pixel(x, y)), (x == 0 || y == 0) ? "C4944C" : "808080")
          << x << "," << y;
}

TEST(RaisedFrame, InnerRingsOfAThickFrameRunBackwards) {
  // 4 x 3, thickness 4: ring 0 light/dark, rings 1-2 base, ring 3 dark/light. Ring 3's
  // lines end before they start and are drawn from the start towards the end.
  Image picture = filled(4, 3, kGrey);
  RaisedFrame(picture, 4, "AA6600");
  const char* L = "C4944C";
  const char* D = "774700";
  const char* B = "AA6600";
  const char* expected[3][4] = {{L, L, L, L}, {L, L, B, D}, {L, L, B, D}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(hex(picture.pixel(x, y)), expected[y][x]) << x << "," << y;
}

TEST(RaisedFrame, ZeroOrNegativeThicknessDrawsNothing) {
  for (int thickness : {0, -3}) {
    Image picture = numbered(10, 10);
    RaisedFrame(picture, thickness, "FF0000");
    EXPECT_EQ(picture, numbered(10, 10)) << thickness;
  }
}

// ---------------------------------------------------------------- BlurFrame

TEST(BlurFrame, FadesFromTheEdgeInwards) {
  const std::int32_t photo = rgb(100, 37, 201);
  Image picture = filled(60, 50, photo);
  BlurFrame(picture, 10, "FFFFFF");
  EXPECT_EQ(picture.pixel(0, 25), 0xFFFFFF);
  EXPECT_EQ(picture.pixel(59, 25), 0xFFFFFF);
  EXPECT_EQ(picture.pixel(30, 49), 0xFFFFFF);
  // Nine tenths of the photo plus a tenth of white, floored per channel.
  EXPECT_EQ(picture.pixel(9, 25),
            rgb((255 + 100 * 9) / 10, (255 + 37 * 9) / 10, (255 + 201 * 9) / 10));
  EXPECT_EQ(picture.pixel(50, 25),
            rgb((255 + 100 * 9) / 10, (255 + 37 * 9) / 10, (255 + 201 * 9) / 10));
  EXPECT_EQ(picture.pixel(10, 25), photo);
  EXPECT_EQ(picture.pixel(49, 25), photo);
  EXPECT_EQ(picture.pixel(30, 10), photo);
  // A corner pixel takes the smaller of its two edge distances (2 here, not 5).
  EXPECT_EQ(picture.pixel(2, 5),
            rgb((255 * 8 + 100 * 2) / 10, (255 * 8 + 37 * 2) / 10, (255 * 8 + 201 * 2) / 10));
  EXPECT_EQ(picture.pixel(57, 47), picture.pixel(2, 5));
}

TEST(BlurFrame, NegativeChannelsAreClampedAndThinFramesDoNothing) {
  Image picture = filled(20, 20, rgb(10, 10, 10));
  BlurFrame(picture, 4, "9z0000");  // red -9: the outer row would come out at -9
  EXPECT_EQ(picture.pixel(10, 0), rgb(0, 0, 0));
  // d = 3: (-9 * 1 + 10 * 3) / 4 = 5.25 -> 5
  EXPECT_EQ(picture.pixel(10, 3), rgb(5, 7, 7));
  for (int thickness : {0, -1}) {
    Image p = numbered(8, 8);
    BlurFrame(p, thickness, "FFFFFF");
    EXPECT_EQ(p, numbered(8, 8)) << thickness;
  }
  // A frame thicker than the picture is applied by the same rules: the middle pixel of a
  // 5 x 5 picture is 2 from every edge.
  Image small = filled(5, 5, rgb(200, 200, 200));
  BlurFrame(small, 10, "000000");
  EXPECT_EQ(small.pixel(2, 2), rgb(40, 40, 40));
  EXPECT_EQ(small.pixel(0, 2), 0);
}

// ---------------------------------------------------------------- ellipse geometry

TEST(EllipseGeometry, TwoHundredByHundredWidthTwenty) {
  const auto g = ellipseGeometry(200, 100, 20);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->cx, 100);
  EXPECT_EQ(g->cy, 50);
  EXPECT_EQ(g->a, 80);
  EXPECT_EQ(g->b, 30);
  EXPECT_EQ(g->fx, 74);
  EXPECT_EQ(g->fy, 0);
  EXPECT_EQ(g->si, 160);
  EXPECT_EQ(g->outerSum(), 179);
  EXPECT_EQ(g->distanceSum(0, -50), 179) << "middle of the top edge";
}

TEST(EllipseGeometry, CentreRoundingUprightAndSquarePictures) {
  EXPECT_EQ(ellipseGeometry(101, 101, 0)->cx, 50);
  EXPECT_EQ(ellipseGeometry(103, 101, 0)->cx, 52);
  const auto upright = ellipseGeometry(100, 200, 20);
  ASSERT_TRUE(upright);
  EXPECT_EQ(upright->fx, 0);
  EXPECT_EQ(upright->fy, 74);
  EXPECT_EQ(upright->si, 160);
  EXPECT_EQ(upright->outerSum(), 179);
  const auto square = ellipseGeometry(80, 80, 10);
  ASSERT_TRUE(square);
  EXPECT_EQ(square->fx, 0);
  EXPECT_EQ(square->fy, 0);
  EXPECT_EQ(square->si, 60) << "a circle of radius cx - w, sum = diameter";
  EXPECT_EQ(square->outerSum(), 80);
  EXPECT_TRUE(ellipseGeometry(200, 100, 50));
  EXPECT_FALSE(ellipseGeometry(200, 100, 51));
  EXPECT_FALSE(ellipseGeometry(100, 200, 51));
}

// ---------------------------------------------------------------- EllipseColorBlur

TEST(EllipseColorBlur, TwoHundredByHundredNamedPixels) {
  Image picture = filled(200, 100, kGrey);
  EllipseColorBlur(picture, 20, "0000FF");
  EXPECT_EQ(picture.pixel(100, 50), kGrey) << "centre";
  EXPECT_EQ(picture.pixel(100, 25), kGrey);
  EXPECT_EQ(hex(picture.pixel(0, 0)), "0000FF") << "corner, far beyond the outer sum";
  EXPECT_EQ(hex(picture.pixel(100, 0)), "0000FF") << "s = So gives t = w";
  // (100, 8): s = round(2 sqrt(42^2 + 74^2)) = 170, t = round(10 * 20 / 19) = 11, k = 9.
  EXPECT_EQ(picture.pixel(100, 8), rgb(128 * 9 / 20, 128 * 9 / 20, (255 * 11 + 128 * 9) / 20));
  // Just outside the inner ellipse on the long axis: s = 2 * 81 = 162, t = round(40 / 19) = 2.
  EXPECT_EQ(picture.pixel(181, 50), rgb(128 * 18 / 20, 128 * 18 / 20, (255 * 2 + 128 * 18) / 20));
  EXPECT_EQ(picture.pixel(180, 50), kGrey) << "on the inner ellipse";
}

TEST(EllipseColorBlur, WidthZeroAndTooWideChangeNothing) {
  for (int w : {0, 51, 300}) {
    Image picture = numbered(200, 100);
    EllipseColorBlur(picture, w, "FF0000");
    EXPECT_EQ(picture, numbered(200, 100)) << w;
  }
}

TEST(EllipseColorBlur, UnresolvableBandTakesTheFullColour) {
  // 11 x 51 with width 1: Si = 50 but So = 49; 2 x 6 with width 1: So = Si = 4.
  for (auto [w, h] : {std::pair{11, 51}, std::pair{2, 6}}) {
    const auto g = ellipseGeometry(w, h, 1);
    ASSERT_TRUE(g);
    ASSERT_LE(g->outerSum(), g->si);
    Image picture = filled(w, h, kGrey);
    EllipseColorBlur(picture, 1, "00FF00");
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool outside = g->distanceSum(x - g->cx, y - g->cy) > g->si;
        ASSERT_EQ(picture.pixel(x, y), outside ? 0x00FF00 : kGrey)
            << w << "x" << h << " " << x << "," << y;
      }
  }
}

TEST(EllipseColorBlur, NegativeColourChannelsAreClamped) {
  Image picture = filled(200, 100, kGrey);
  EllipseColorBlur(picture, 20, "1z0000");
  EXPECT_EQ(picture.pixel(0, 0), 0);
  // t = 11, k = 9: (-1 * 11 + 128 * 9) / 20 = 57.05 -> 57
  EXPECT_EQ(picture.pixel(100, 8), rgb(57, 57, 57));
}

// ---------------------------------------------------------------- EllipseFocusBlur

TEST(EllipseFocusBlur, UniformAreaLosesOneForSomeValues) {
  // Twelve quotients c / 12 summed in double precision and floored.
  struct Case {
    int value, expected;
  };
  const Case cases[] = {{0, 0},    {7, 6},     {11, 10},   {12, 12},  {14, 13},
                        {100, 99}, {101, 101}, {254, 253}, {255, 255}};
  for (const Case& c : cases) {
    const Image source = filled(40, 40, rgb(c.value, c.value, c.value));
    Image blurred;
    ASSERT_TRUE(EllipseFocusBlur(source, blurred, 10));
    EXPECT_EQ(blurred.pixel(0, 0), rgb(c.expected, c.expected, c.expected)) << c.value;
    EXPECT_EQ(blurred.pixel(20, 20), source.pixel(20, 20)) << "inside stays";
  }
}

TEST(EllipseFocusBlur, OnePixelLineTakesFourTwelfths) {
  // A line at x = 3 of value 120 on 60: a line pixel sees 4 line pixels and 8 background
  // ones (4 * 10 + 8 * 5 = 80, itself not counted); its neighbour sees 3 and 9 (75).
  Image source = filled(60, 60, rgb(60, 60, 60));
  for (int y = 0; y < 60; ++y) source.setPixel(3, y, rgb(120, 0, 60));
  Image blurred;
  ASSERT_TRUE(EllipseFocusBlur(source, blurred, 20));
  EXPECT_EQ(blurred.pixel(3, 30), rgb(80, 40, 60));
  EXPECT_EQ(blurred.pixel(2, 30), rgb(75, 45, 60));
  EXPECT_EQ(blurred.pixel(4, 30), rgb(75, 45, 60));
  EXPECT_EQ(blurred.pixel(1, 30), rgb(65, 55, 60)) << "one line pixel, two to the right";
  EXPECT_EQ(blurred.pixel(5, 30), rgb(65, 55, 60));
  EXPECT_EQ(blurred.pixel(6, 30), rgb(60, 60, 60));
  EXPECT_EQ(blurred.pixel(30, 30), rgb(60, 60, 60));
}

TEST(EllipseFocusBlur, CornerUsesTheReplacementSamples) {
  // 5 x 5 with width 2: the kept circle is the centre pixel alone. The corner (0, 0) reads
  // itself for neighbours 1, 3, 5, 9 and 11, (1, 0) for 2 and 6, (0, 1) for 4 and 7, and
  // (1, 1), (2, 0), (0, 2) once: with red 12 * k the sum is exact.
  Image source(5, 5);
  auto put = [&](int x, int y, int k) { source.setPixel(x, y, rgb(12 * k, 0, 0)); };
  put(0, 0, 0);
  put(1, 0, 1);
  put(0, 1, 5);
  put(1, 1, 6);
  put(2, 0, 2);
  put(0, 2, 10);
  Image blurred;
  ASSERT_TRUE(EllipseFocusBlur(source, blurred, 2));
  EXPECT_EQ(blurred.pixel(0, 0), rgb(5 * 0 + 2 * 1 + 2 * 5 + 6 + 2 + 10, 0, 0));
  EXPECT_EQ(blurred.pixel(2, 2), source.pixel(2, 2));
  // The opposite corner mirrors it.
  Image mirrored;
  turn(source, mirrored, 180);
  ASSERT_TRUE(EllipseFocusBlur(mirrored, blurred, 2));
  EXPECT_EQ(blurred.pixel(4, 4), rgb(30, 0, 0));
}

TEST(EllipseFocusBlur, TooWideLeavesTheDestinationAlone) {
  const Image source = numbered(30, 20);
  Image spare = numbered(3, 3);
  EXPECT_FALSE(EllipseFocusBlur(source, spare, 11));
  EXPECT_EQ(spare, numbered(3, 3));
  // Tiny pictures are read without leaving them.
  for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{1, 7}, std::pair{3, 2}}) {
    Image out;
    EXPECT_TRUE(EllipseFocusBlur(numbered(w, h), out, 0)) << w << "x" << h;
    EXPECT_EQ(out.width(), w);
  }
}

// ---------------------------------------------------------------- CompositeImage

TEST(CompositeImage, ToleranceFollowsTheFileName) {
  struct Case {
    const char* name;
    int tolerance;
  };
  const Case cases[] = {{"logo.bmp", 1}, {"LOGO.BMP", 1},  {"a.BmP", 1},      {".bmp", 1},
                        {"bmp", 14},     {"logo.jpg", 14}, {"x.bmp.jpg", 14}, {"", 14},
                        {"logo.png", 1}, {"LOGO.PNG", 1},  {"png", 14}};
  for (const Case& c : cases) EXPECT_EQ(compositeTolerance(c.name), c.tolerance) << c.name;
}

TEST(CompositeImage, TransparentColourAtTheToleranceBoundary) {
  struct Case {
    int tolerance;
    std::int32_t overlayPixel;
    bool laidOver;
  };
  const Case cases[] = {
      {1, 0x000000, false},  {1, 0x000001, true},  {1, 0x010000, true},  {14, 0x0D0D0D, false},
      {14, 0x00000D, false}, {14, 0x00000E, true}, {14, 0x0E0000, true},
  };
  for (const Case& c : cases) {
    Image photo = filled(4, 4, kGrey);
    CompositeImage(photo, filled(4, 4, c.overlayPixel), c.tolerance, "000000");
    EXPECT_EQ(photo.pixel(1, 1), c.laidOver ? c.overlayPixel : kGrey)
        << "tolerance " << c.tolerance << " pixel " << hex(c.overlayPixel);
  }
  // Away from black: transparent FFFFFF with tolerance 14 leaves F2F2F2 out, not F1FFFF.
  Image photo = filled(2, 1, kGrey);
  Image overlay(2, 1);
  overlay.setPixel(0, 0, 0xF2F2F2);
  overlay.setPixel(1, 0, 0xFFFFF1);
  CompositeImage(photo, overlay, 14, "ffffff");
  EXPECT_EQ(photo.pixel(0, 0), kGrey);
  EXPECT_EQ(photo.pixel(1, 0), 0xFFFFF1);
}

TEST(CompositeImage, PixelsMarkedTransparentNeverCover) {
  Image photo = filled(3, 2, kGrey);
  CompositeImage(photo, numbered(2, 2), 1, "000000", {true, false, false, true});
  const std::int32_t want[] = {
      kGrey, numbered(2, 2).pixel(1, 0), kGrey, numbered(2, 2).pixel(0, 1), kGrey, kGrey};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(photo.pixel(i % 3, i / 3), want[i]) << i;
}

TEST(CompositeImage, ClippedToThePhoto) {
  Image photo = filled(5, 4, kGrey);
  CompositeImage(photo, numbered(9, 9), 1, "FFFFFF");
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(photo.pixel(x, y), numbered(9, 9).pixel(x, y));

  Image big = filled(6, 6, kGrey);
  CompositeImage(big, filled(2, 3, 0x123456), 1, "000000");
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(big.pixel(x, y), (x < 2 && y < 3) ? 0x123456 : kGrey) << x << "," << y;
}

}  // namespace
}  // namespace fotela
