// ReadImageSize over a file and over the same bytes in memory: the two walks agree, and
// a size is either 0 x 0 or two 16-bit numbers.
#include "fuzz_support.h"
#include "photos/image_size.h"

using namespace fotela;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);
  const std::string path = fuzz::writeScratchFile("photo.jpg", bytes);
  const ImageSize fromFile = ReadImageSize(path);
  const ImageSize fromMemory = readImageSizeFromBytes({data, size});
  if (!(fromFile == fromMemory))
    fuzz::failure("file " + std::to_string(fromFile.width) + "x" + std::to_string(fromFile.height) +
                      " memory " + std::to_string(fromMemory.width) + "x" +
                      std::to_string(fromMemory.height),
                  bytes);
  if (fromFile.width < 0 || fromFile.width > 65535 || fromFile.height < 0 ||
      fromFile.height > 65535)
    fuzz::failure("size out of range", bytes);
  if (ReadImageSize(path, 1) != ImageSize{}) fuzz::failure("kind 1 gave a size", bytes);
  return 0;
}
