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

// An installed program: in a system bin folder, or with share/fotela beside its bin folder.
bool programIsInstalled();
// The program folder can be written by this user.
bool programFolderIsWritable();

// The user's pictures folder, as the desktop names it (set at start-up by the desktop
// program); unset, the home folder stands in.
void setPicturesFolder(std::string folder);
// Where the program looks for photos when it has no folder of its own to go to (first
// run, a start folder that is gone): the program folder, or for an installed program and
// one whose folder cannot be written, the pictures folder (the home folder when that does
// not exist).
std::string defaultPhotoFolder();

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
