#include "photos/image_size.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/support/test_files.h"

namespace fotela {

void PrintTo(const ImageSize& s, std::ostream* os) {
  *os << s.width << " x " << s.height;
}

namespace {

using Bytes = std::vector<unsigned char>;

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes filler(std::size_t n, unsigned char value = 0x00) {
  return Bytes(n, value);
}
// A frame header (its first ten bytes) with length 17 and the given height and width.
Bytes frame(unsigned char marker, int height, int width) {
  return {0xFF,
          marker,
          0x00,
          0x11,
          0x08,
          static_cast<unsigned char>(height >> 8),
          static_cast<unsigned char>(height & 0xFF),
          static_cast<unsigned char>(width >> 8),
          static_cast<unsigned char>(width & 0xFF),
          0x03};
}
const Bytes kSoi = {0xFF, 0xD8};
// An APP0 segment of length 16: marker, length and 14 bytes.
Bytes app0() {
  return cat({{0xFF, 0xE0, 0x00, 0x10}, filler(14, 0x4A)});
}

struct Case {
  const char* what;
  Bytes bytes;
  ImageSize expected;
};

std::vector<Case> cases() {
  return {
      {"APP0 then SOF0 at offset 20",
       cat({kSoi, app0(), frame(0xC0, 0x0123, 0x0456)}),
       {0x0456, 0x0123}},
      {"SOF1", cat({kSoi, frame(0xC1, 30, 40)}), {40, 30}},
      {"SOF2 (progressive)", cat({kSoi, app0(), frame(0xC2, 3000, 4000)}), {4000, 3000}},
      {"SOF3 is walked over like any segment",
       cat({kSoi, frame(0xC3, 1, 2), filler(9), frame(0xC0, 5, 6)}),
       {6, 5}},
      {"header values up to 65535 as they are",
       cat({kSoi, frame(0xC0, 65535, 40000)}),
       {40000, 65535}},
      {"start marker after leading garbage",
       cat({{'a', 'b', 'c'}, kSoi, frame(0xC0, 7, 8)}),
       {8, 7}},
      {"no start marker: the walk starts at offset 1", cat({{0x00}, frame(0xC0, 9, 10)}), {10, 9}},
      {"fill bytes before a marker are not skipped",
       cat({kSoi, {0xFF}, frame(0xC0, 9, 10), filler(64)}),
       {0, 0}},
      {"walk runs off the end", cat({kSoi, {0xFF, 0xE0, 0x00, 0x10}, filler(5)}), {0, 0}},
      {"frame header cut short",
       cat({kSoi, {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x01, 0x00, 0x02}}),
       {0, 0}},
      {"zero lengths step two bytes and still end", cat({kSoi, filler(100000)}), {0, 0}},
      {"empty data", {}, {0, 0}},
      {"only the start marker", kSoi, {0, 0}},
  };
}

TEST(ReadImageSizeTest, CraftedHeadersFromMemoryAndFromFile) {
  test::TempDir dir;
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(readImageSizeFromBytes(c.bytes), c.expected);
    const std::string path = dir.file("header.jpg");
    test::writeFile(path, std::string(c.bytes.begin(), c.bytes.end()));
    EXPECT_EQ(ReadImageSize(path, 2), c.expected);
  }
}

TEST(ReadImageSizeTest, FileReadsFindPairsAcrossBlockBoundaries) {
  // The file is read in blocks of a few kilobytes; markers and the start pair may fall
  // on either side of a block edge.
  test::TempDir dir;
  const std::string path = dir.file("edges.jpg");
  for (std::size_t garbage : {4094u, 4095u, 4096u, 8191u}) {
    SCOPED_TRACE(garbage);
    Bytes b = cat({filler(garbage, 0x11), kSoi, frame(0xC0, 11, 22)});
    test::writeFile(path, std::string(b.begin(), b.end()));
    EXPECT_EQ(ReadImageSize(path), (ImageSize{22, 11}));
  }
  // A long APP1 segment puts the frame header beyond the first block.
  Bytes app1 = cat({{0xFF, 0xE1, 0x7F, 0xFE}, filler(0x7FFC, 0x22)});
  Bytes b = cat({kSoi, app1, frame(0xC2, 33, 44), filler(100)});
  test::writeFile(path, std::string(b.begin(), b.end()));
  EXPECT_EQ(ReadImageSize(path), (ImageSize{44, 33}));
}

TEST(ReadImageSizeTest, RealJpegAndUnreadableFiles) {
  test::TempDir dir;
  test::writeJpeg(dir.file("real.jpg"), 123, 45);
  EXPECT_EQ(ReadImageSize(dir.file("real.jpg")), (ImageSize{123, 45}));
  EXPECT_EQ(ReadImageSize(dir.file("missing.jpg")), (ImageSize{0, 0}));
  EXPECT_EQ(ReadImageSize(dir.path()), (ImageSize{0, 0}));
  // A pipe named like a photo has no writer: reading it must not wait for one.
  ASSERT_EQ(::mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);
  EXPECT_EQ(ReadImageSize(dir.file("pipe.jpg")), (ImageSize{0, 0}));
}

}  // namespace
}  // namespace fotela
