// The preview server's Range header: whatever its bytes, the plan holds at most 8 sorted
// ranges inside the file that neither overlap nor touch, never answers with more bytes
// than the file has, and the multipart body made from it reads back whole in pieces of
// any size, each part holding the file's bytes after its own Content-Range.
//
// Input: two bytes of the file's size (little-endian; 0xFFFF stands for a file of 2^50
// bytes, whose bodies are not read), one byte of the piece size, then the header.
#include "fuzz_support.h"
#include "publish/byte_ranges.h"

using namespace fotela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::string_view input = fuzz::asText(data, size);
  const std::uint64_t small = data[0] | static_cast<std::uint64_t>(data[1]) << 8;
  const std::uint64_t fileSize = small == 0xFFFF ? std::uint64_t{1} << 50 : small;
  const std::size_t piece = 1 + data[2] % 97;
  const std::string_view header = input.substr(3);

  const RangePlan plan = planByteRanges(header, fileSize, "video/quicktime");
  if (plan.answer != RangeAnswer::Partial) {
    if (!plan.ranges.empty() && plan.answer == RangeAnswer::Whole)
      fuzz::failure("ranges kept for a whole answer", input);
    return 0;
  }
  const auto& ranges = plan.ranges;
  if (ranges.empty() || ranges.size() > kMaxByteRanges)
    fuzz::failure(std::to_string(ranges.size()) + " ranges", input);
  std::uint64_t sent = 0;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    if (ranges[i].first > ranges[i].last || ranges[i].last >= fileSize)
      fuzz::failure("a range outside the file", input);
    if (i > 0 && ranges[i].first <= ranges[i - 1].last + 1)
      fuzz::failure("ranges overlap, touch or are out of order", input);
    sent += ranges[i].length();
  }
  if (ranges.size() == 1) return 0;
  const MultipartBody body(ranges, fileSize, "video/quicktime");
  if (sent > fileSize || body.length() > fileSize)
    fuzz::failure("the answer is larger than the file", input);
  if (fileSize == std::uint64_t{1} << 50) return 0;

  std::string file(fileSize, '\0');
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 31 + i / 256);
  const FileReader read = [&](char* out, std::size_t length, std::uint64_t at) {
    return at < file.size() ? file.copy(out, length, at) : 0;
  };
  std::string got;
  char buffer[97];
  for (std::size_t n; (n = body.read(got.size(), buffer, piece, read)) > 0;) got.append(buffer, n);
  if (got.size() != body.length())
    fuzz::failure("read " + std::to_string(got.size()) + " of " + std::to_string(body.length()),
                  input);
  std::size_t at = 0;
  for (const ByteRange& r : ranges) {
    const std::string part = "Content-Range: bytes " + std::to_string(r.first) + "-" +
                             std::to_string(r.last) + "/" + std::to_string(fileSize) + "\r\n\r\n" +
                             file.substr(r.first, r.length());
    at = got.find(part, at);
    if (at == std::string::npos) fuzz::failure("a part is missing or out of order", input);
    at += part.size();
  }
  if (!got.ends_with("\r\n--" + body.boundary() + "--\r\n"))
    fuzz::failure("no closing delimiter", input);
  return 0;
}
