#pragma once
// What the fuzz targets share: a scratch folder of their own and checks of text forms.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fotela::fuzz {

// A folder made for this process and removed at its exit.
const std::string& scratchFolder();
// Writes `bytes` to `name` inside the scratch folder (replacing it); returns the path.
std::string writeScratchFile(const std::string& name, std::string_view bytes);

bool isValidUtf8(std::string_view text);

// Stops the run with a message: libFuzzer reports the input that led here.
[[noreturn]] void failure(const std::string& what, std::string_view input);

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fotela::fuzz
