#pragma once
// Start-up logic: the argument string and the marker file.

#include <cstdint>
#include <string>
#include <string_view>

namespace fotela {

inline constexpr const char* kMarkerFileName = "突然画像が表示されない.txt";

struct StartupArguments {
  std::int16_t AutoMode = 0;
  std::string PhotoFolder;  // empty when the argument names nothing
};

// "auto=" (exact, case-sensitive) sets AutoMode; the rest, unchanged, is a path. A folder
// selects itself, a file its folder; a path naming nothing is ignored.
StartupArguments parseStartupArguments(std::string_view argumentString);

// -1 when the marker file exists in `folder` (the current directory at start), else 0.
std::int16_t probeMarkerFile(const std::string& folder);

}  // namespace fotela
