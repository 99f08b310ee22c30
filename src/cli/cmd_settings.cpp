// fotela-cli settings IN [OUT]: reads a settings file of any layout and writes it back in
// the current layout.

#include <iostream>

#include "cli/command.h"
#include "cli/terminal_dialogs.h"
#include "common/files.h"
#include "settings/settings_file.h"

namespace fotela::cli {
namespace {

int runSettings(const std::vector<std::string>& args);

const Command kSettings{
    "settings", "settings IN [OUT]",
    "設定ファイル IN を読み込み、最新の形式 (Ver=4) で OUT に書き出します (OUT がなければ標準出力)",
    runSettings};
const CommandRegistration registration(kSettings);

int runSettings(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return usageError(kSettings);
  for (const std::string& a : args)
    if (a.starts_with("--")) return usageError(kSettings, "不明なオプションです: " + a);
  const std::string& in = args[0];
  if (!isFile(in)) {
    std::cerr << in << " を開けません。\n";
    return kExitFailed;
  }
  TerminalDialogs dialogs(true, true);
  AlbumSettings settings;  // an empty folder, so the file's folder line is taken
  // A file that is no settings file is refused (the message says so); nothing is written.
  if (!ReadSettings(settings, in, dialogs)) return kExitFailed;
  if (args.size() == 1) {
    std::string text = settingsText(settings);
    for (char c : text)
      if (c != '\r') std::cout << c;
    return kExitOk;
  }
  if (auto written = WriteSettings(settings, args[1]); !written) {
    std::cerr << written.error().message << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace
}  // namespace fotela::cli
