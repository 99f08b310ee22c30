#pragma once
// The command line of the commands that work on one folder: DIR, --settings FILE,
// --yes / --no, and the command's own flags and options with a value.

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "program/program_state.h"

namespace fotela::cli {

struct FolderArguments {
  std::string folder;
  std::string settingsFile;                                // "" = the default settings file
  std::optional<bool> answer;                              // --yes / --no
  std::set<std::string, std::less<>> flags;                // own flags given
  std::map<std::string, std::string, std::less<>> values;  // own options with a value

  bool has(std::string_view flag) const { return flags.contains(flag); }
};

struct ArgumentRules {
  std::initializer_list<std::string_view> flags;         // e.g. "--copies-only"
  std::initializer_list<std::string_view> valueOptions;  // e.g. "--port"
  bool answers = false;                                  // --yes / --no accepted
};

// nullopt after a usage error has been printed (then `exitCode` is kExitUsage). Checks
// that exactly one folder is named and that a --settings file exists.
std::optional<FolderArguments> parseFolderArguments(const Command& command,
                                                    const std::vector<std::string>& args,
                                                    const ArgumentRules& rules, int& exitCode);

// The album style of "--style classic|modern" (classic without the option); nullopt after
// a usage error has been printed.
std::optional<AlbumStyle> albumStyleOption(const Command& command, const FolderArguments& args,
                                           int& exitCode);

}  // namespace fotela::cli
