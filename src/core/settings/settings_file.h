#pragma once
// The settings file: layouts "Ver=1" to "Ver=4" read, "Ver=4" written.

#include <string>

#include "common/error.h"
#include "settings/album_settings.h"

namespace fotela {

class UserDialogs;

inline constexpr const char* kSettingsFileName = "fotela.ini";

// ProgramFolder()/fotela.ini, or the user's configuration folder for an installed program
// and for one whose folder cannot be written.
std::string defaultSettingsPath();

// Fills `settings` from the file (the default file when `path` is empty). A file that
// cannot be opened gives all defaults, PhotoFolder included. An empty PhotoFolder takes
// the file's folder line. Fields the file lacks or cannot hold take their defaults.
// A "Ver=1" file is announced through `dialogs`.
// A file holding a NUL byte is no settings file: it is refused with a message through
// `dialogs` and the error; nothing of it is taken (a record not yet filled takes the
// defaults, keeping a folder already given).
Result<void> ReadSettings(AlbumSettings& settings, const std::string& path, UserDialogs& dialogs);

// The 29 lines of the "Ver=4" layout, CR LF, as UTF-8 text.
std::string settingsText(const AlbumSettings& settings);

// Writes the "Ver=4" file (the default file when `path` is empty), replaced atomically.
Result<void> WriteSettings(const AlbumSettings& settings, const std::string& path);

}  // namespace fotela
