#include "publish/byte_ranges.h"

#include <gtest/gtest.h>

namespace fotela {
namespace {

std::string repeated(const std::string& range, int times) {
  std::string header = "bytes=" + range;
  for (int i = 1; i < times; ++i) header += "," + range;
  return header;
}

TEST(ByteRanges, PlansWhatAFileOf1000BytesAnswers) {
  using R = std::vector<ByteRange>;
  constexpr auto W = RangeAnswer::Whole, P = RangeAnswer::Partial, U = RangeAnswer::Unsatisfiable;
  struct Case {
    std::string header;
    RangeAnswer answer;
    R ranges;
  };
  const Case cases[] = {
      {"bytes=0-99", P, {{0, 99}}},
      {"Bytes = 0-99", W, {}},  // no blanks around "="
      {"BYTES=10-", P, {{10, 999}}},
      {"bytes=-100", P, {{900, 999}}},
      {"bytes=-5000", P, {{0, 999}}},
      {"bytes=900-99999999999999999999999", P, {{900, 999}}},
      {"bytes= 1-2 ,, 5-6 ", P, {{1, 2}, {5, 6}}},
      {"bytes=5-6,1-2", P, {{1, 2}, {5, 6}}},
      {"bytes=0-99,50-199,190-299", P, {{0, 299}}},  // overlapping
      {"bytes=0-99,100-199", P, {{0, 199}}},         // touching
      {"bytes=0-,0-", P, {{0, 999}}},
      {"bytes=1000-,5-9", P, {{5, 9}}},  // the range past the end is left out
      {"bytes=1000-", U, {}},
      {"bytes=-0", U, {}},
      {"bytes=99999999999999999999999-", U, {}},
      {"bytes=5-3", W, {}},
      {"bytes=a-3", W, {}},
      {"bytes=1-2-3", W, {}},
      {"bytes=", W, {}},
      {"bytes=,", W, {}},
      {"items=0-9", W, {}},
      {"0-9", W, {}},
      {repeated("0-0", 8), P, {{0, 0}}},
      {repeated("0-0", 9), W, {}},
      {repeated("0-", 1500), W, {}},
      // 400 bytes in 8 parts, each with a part header of about 100 bytes: more than the file
      {"bytes=0-49,100-149,200-249,300-349,400-449,500-549,600-649,700-749", W, {}},
      {"bytes=0-99,200-299,400-499", P, {{0, 99}, {200, 299}, {400, 499}}},
  };
  for (const Case& c : cases) {
    const RangePlan plan = planByteRanges(c.header, 1000, "video/quicktime");
    EXPECT_EQ(plan.answer, c.answer) << c.header;
    if (c.answer == P) {
      EXPECT_EQ(plan.ranges, c.ranges) << c.header;
    }
  }
  EXPECT_EQ(planByteRanges(std::nullopt, 1000, "").answer, W);
  EXPECT_EQ(planByteRanges("bytes=0-", 0, "").answer, U) << "an empty file";
}

TEST(ByteRanges, MultipartBodyHoldsEachRangeAfterItsHeader) {
  std::string file(300, '\0');
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>('a' + i % 26);
  const MultipartBody body({{2, 4}, {250, 299}}, file.size(), "image/jpeg",
                           std::string(MultipartBody::kBoundaryLength, 'B'));
  const std::string b(MultipartBody::kBoundaryLength, 'B');
  const std::string expected =
      "--" + b + "\r\nContent-Type: image/jpeg\r\nContent-Range: bytes 2-4/300\r\n\r\n" +
      file.substr(2, 3) + "\r\n--" + b +
      "\r\nContent-Type: image/jpeg\r\nContent-Range: bytes "
      "250-299/300\r\n\r\n" +
      file.substr(250) + "\r\n--" + b + "--\r\n";
  const FileReader read = [&](char* out, std::size_t length, std::uint64_t at) {
    return at < file.size() ? file.copy(out, length, at) : 0;
  };
  // Read in pieces of every size, so that pieces start and end inside every segment.
  for (std::size_t piece = 1; piece <= 40; ++piece) {
    std::string got;
    char buffer[40];
    for (std::size_t n; (n = body.read(got.size(), buffer, piece, read)) > 0;)
      got.append(buffer, n);
    EXPECT_EQ(got, expected) << "pieces of " << piece;
  }
  EXPECT_EQ(body.length(), expected.size());
  file.resize(260);  // cut while it is sent
  char buffer[64];
  EXPECT_EQ(body.read(body.length() - 60, buffer, sizeof buffer, read), 0u);
}

}  // namespace
}  // namespace fotela
