// Colour texts of the editor's effects.

#include <string>

#include "common/text.h"
#include "imaging/effects.h"

namespace fotela {
ColourChannels colourChannels(std::string_view text) {
  // Characters 1-2, 3-4 and 5-6; a pair past the end of the text is empty.
  std::string pairs[3];
  std::size_t pos = 0;
  for (int character = 0; character < 6 && pos < text.size(); ++character) {
    const std::size_t length =
        std::min(utf8SequenceLength(static_cast<unsigned char>(text[pos])), text.size() - pos);
    pairs[character / 2].append(text.substr(pos, length));
    pos += length;
  }
  return {HexToNumber(pairs[0]), HexToNumber(pairs[1]), HexToNumber(pairs[2])};
}

}  // namespace fotela
