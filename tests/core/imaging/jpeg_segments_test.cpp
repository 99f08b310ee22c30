#include "imaging/jpeg_segments.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "imaging/codec.h"

namespace fotela {
namespace {

struct Seen {
  unsigned marker;
  std::size_t start;
  std::size_t length;
  std::string payload;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* out) {
  *out << std::hex << "FF" << s.marker << std::dec << " at " << s.start << ", " << s.length
       << " bytes, payload \"" << s.payload << "\"";
}

std::vector<Seen> walk(std::string_view bytes, std::size_t stopAfter = 100) {
  std::vector<Seen> seen;
  forEachJpegSegment(byteSpan(bytes), [&](const JpegSegment& s) {
    seen.push_back(
        {s.marker, s.start, s.length,
         std::string(reinterpret_cast<const char*>(s.payload.data()), s.payload.size())});
    return seen.size() < stopAfter;
  });
  return seen;
}

TEST(JpegSegments, VisitsSegmentsUpToTheFirstScan) {
  // APP0 "ab", fill bytes before APP1 "c", a restart marker and 0x01 (no length), COM "",
  // then the scan and a segment after it that is never reached.
  const std::string jpeg(
      "\xFF\xD8"
      "\xFF\xE0\x00\x04"
      "ab"
      "\xFF\xFF\xFF\xE1\x00\x03"
      "c"
      "\xFF\xD3\xFF\x01"
      "\xFF\xFE\x00\x02"
      "\xFF\xDA\x00\x02"
      "\xFF\xE2\x00\x02",
      31);
  const std::vector<Seen> expected = {
      {0xE0, 2, 6, "ab"},
      {0xE1, 10, 5, "c"},
      {0xFE, 19, 4, ""},
  };
  EXPECT_EQ(walk(jpeg), expected);
  EXPECT_EQ(walk(jpeg, 1), std::vector<Seen>(expected.begin(), expected.begin() + 1))
      << "the visitor stops the walk";
}

TEST(JpegSegments, MalformedDataEndsTheWalk) {
  const std::string app0(
      "\xFF\xE0\x00\x04"
      "ab",
      6);
  const std::string soi("\xFF\xD8", 2);
  const std::pair<const char*, std::string> cases[] = {
      {"no start of image", app0 + app0},
      {"start of image only", soi},
      {"empty", ""},
      {"stray byte before the marker", soi + "x" + app0},
      {"length below 2", soi + std::string("\xFF\xE0\x00\x01", 4) + app0},
      {"segment past the end", soi + app0.substr(0, 5)},
      {"length field cut", soi + std::string("\xFF\xE0\x00", 3)},
      {"end of image first", soi + std::string("\xFF\xD9", 2) + app0},
  };
  for (const auto& [what, bytes] : cases) EXPECT_TRUE(walk(bytes).empty()) << what;

  // What lies before the damage is still visited.
  EXPECT_EQ(walk(soi + app0 + "x" + app0).size(), 1u);
  EXPECT_EQ(walk(soi + app0 + app0.substr(0, 5)).size(), 1u);
}

}  // namespace
}  // namespace fotela
