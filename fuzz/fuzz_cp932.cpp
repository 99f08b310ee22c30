// The CP932 codec: any bytes read give valid UTF-8; any text written to a page gives
// CP932 that reads back without a replacement character; a data file reads back as the
// text that was written.
#include "common/cp932.h"
#include "fuzz_support.h"

using namespace fotela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);
  const std::string text = cp932ToUtf8(bytes);
  if (!fuzz::isValidUtf8(text)) fuzz::failure("cp932ToUtf8 gave invalid UTF-8", bytes);
  if (!fuzz::isValidUtf8(decodeDataFile(bytes)) && !bytes.starts_with(kUtf8Bom))
    fuzz::failure("decodeDataFile gave invalid UTF-8", bytes);

  // The same bytes taken as UTF-8 text (where they are valid).
  if (fuzz::isValidUtf8(bytes)) {
    const std::string page = utf8ToCp932WithReferences(bytes);
    if (cp932ToUtf8(page).find("\xEF\xBF\xBD") != std::string::npos &&
        bytes.find("\xEF\xBF\xBD") == std::string::npos)
      fuzz::failure("a page line is not valid CP932", bytes);
    if (auto strict = utf8ToCp932(bytes); strict && *strict != page)
      fuzz::failure("page and strict encodings differ", bytes);
    const std::string file = encodeDataFile(bytes);
    const std::string back = decodeDataFile(file);
    if (file.starts_with(kUtf8Bom) && back != bytes)
      fuzz::failure("a UTF-8 data file reads back changed", bytes);
    if (!fuzz::isValidUtf8(back)) fuzz::failure("a data file reads back as invalid UTF-8", bytes);
  }
  return 0;
}
