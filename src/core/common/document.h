#pragma once
// Opening a document with the desktop's default program, and the help command.
// The order of attempts lives here so it can be tested without a window.

#include <functional>
#include <string>

namespace fotela {

// Tries to open one file; true on success.
using DocumentOpener = std::function<bool(const std::string& path)>;

class UserDialogs;

// Opens `path` (or path + ".HTM" when it holds no "."), then retries with path + ".HTM";
// when both fail, shows the browser-missing warning.
void ShowDocument(const std::string& path, const DocumentOpener& open, UserDialogs& dialogs);

// The help command: opens help.htm (any letter case) beside the program, else in the
// installed program's share/fotela folder, or warns that help.htm is missing.
void showHelp(const DocumentOpener& open, UserDialogs& dialogs);

}  // namespace fotela
