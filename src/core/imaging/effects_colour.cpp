// Colour texts of the editor's effects.

#include <string>

#include "common/text.h"
#include "imaging/effects.h"

namespace fotela {
namespace {

// Byte length of the UTF-8 character that starts with `lead` (1 for a stray byte).
std::size_t characterLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

ColourChannels colourChannels(std::string_view text) {
  // Characters 1-2, 3-4 and 5-6; a pair past the end of the text is empty.
  std::string pairs[3];
  std::size_t pos = 0;
  for (int character = 0; character < 6 && pos < text.size(); ++character) {
    const std::size_t length =
        std::min(characterLength(static_cast<unsigned char>(text[pos])), text.size() - pos);
    pairs[character / 2].append(text.substr(pos, length));
    pos += length;
  }
  return {HexToNumber(pairs[0]), HexToNumber(pairs[1]), HexToNumber(pairs[2])};
}

}  // namespace fotela
