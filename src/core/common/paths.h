#pragma once
// Path helpers on the native separator "/".

#include <string>
#include <string_view>

namespace fotela {

inline constexpr char kSeparator = '/';

// The executable's folder without a trailing separator ("/" gives "").
std::string ProgramFolder();
// Set once at start-up from argv[0]; tests may point it elsewhere.
void setProgramFolder(std::string folder);

// Splits at the last separator; no separator gives an empty folder and an empty name.
void SplitFolderAndName(std::string_view path, std::string& folder, std::string& name);
// Drive (always empty on this platform), folder before the last separator, name after it.
void SplitPath(std::string_view path, std::string& drive, std::string& folder, std::string& name);

// A folder as the program keeps it: absolute, "." and ".." resolved, no trailing
// separator ("/" stays "/").
std::string normalFolderPath(std::string_view folder);

// The folder followed by exactly one separator ("/" stays "/").
std::string folderPrefix(std::string_view folder);

}  // namespace fotela
