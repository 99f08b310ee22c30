#pragma once
// Checks of what the user typed into the settings dialog, before it becomes settings.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"
#include "settings/album_settings.h"

namespace fotela {

class UserDialogs;

// The boxes whose text is checked, in the order the dialog shows them.
enum class SettingsBox { ThumbFolder, ImageFolder, FrameWidth, ListPageWidth, SlideInterval };

// The texts of those boxes as typed.
struct SettingsTexts {
  std::string ThumbFolder;
  std::string ImageFolder;
  std::string FrameWidth;
  std::string ListPageWidth;
  std::string SlideInterval;
};

struct SettingsProblem {
  SettingsBox box;
  std::string message;
};

// A whole decimal number within 16 bits, blanks around it allowed; nullopt otherwise.
std::optional<std::int16_t> wholeInt16(std::string_view text);

// The first box (in the dialog's order) whose text cannot be kept, with the message that
// says why: a number that is not whole or not within 16 bits; a sub-folder name that is
// empty, "." or "..", holds "/", or names the other sub-folder (the copies would then
// overwrite each other or the photos).
std::optional<SettingsProblem> checkSettingsTexts(const SettingsTexts& texts);

// The colour a box's RRGGBB text presets the colour dialog to, packed R + G*256 + B*65536.
// Missing digits count as 0; a pair that is not hexadecimal gives 0 for that channel.
std::int32_t colourOfHex(std::string_view text);

// Reads a settings file the user chose. A file that cannot be opened changes nothing and
// the error names it; otherwise ReadSettings fills `settings` (the folder stays put
// when one is set).
Result<void> loadSettingsFile(AlbumSettings& settings, const std::string& path,
                              UserDialogs& dialogs);

}  // namespace fotela
