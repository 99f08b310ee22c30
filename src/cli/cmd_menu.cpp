// fotela-cli menu DIR: the menu page "index.html" that links the albums of DIR's
// sub-folders.

#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/command.h"
#include "cli/terminal_dialogs.h"
#include "common/files.h"
#include "common/paths.h"
#include "program/program_state.h"
#include "publish/menu_page.h"
#include "publish/page_pieces.h"
#include "settings/settings_file.h"

namespace fotela::cli {
namespace {

int runMenu(const std::vector<std::string>& args);

const Command kMenu{
    "menu", "menu DIR [--settings FILE] [--yes | --no]",
    "DIR にサブフォルダのアルバムへのリンクを並べたメニュー (index.html) を作成します", runMenu};
const CommandRegistration registration(kMenu);

int runMenu(const std::vector<std::string>& args) {
  std::string folder;
  std::string settingsFile;
  std::optional<bool> answer;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--settings") {
      if (i + 1 >= args.size()) return usageError(kMenu, "--settings にはファイル名が必要です");
      settingsFile = args[++i];
    } else if (a == "--yes" || a == "--no") {
      if (answer && *answer != (a == "--yes")) {
        return usageError(kMenu, "--yes と --no は同時に指定できません");
      }
      answer = (a == "--yes");
    } else if (a.starts_with("--")) {
      return usageError(kMenu, "不明なオプションです: " + a);
    } else if (folder.empty()) {
      folder = a;
    } else {
      return usageError(kMenu, "フォルダは一つだけ指定してください: " + a);
    }
  }
  if (folder.empty()) return usageError(kMenu, "フォルダを指定してください");
  if (!settingsFile.empty() && !isFile(settingsFile)) {
    return usageError(kMenu, "設定ファイルがありません: " + settingsFile);
  }

  // Without a flag the overwrite question is asked on a terminal and answered No elsewhere,
  // so a script never replaces a hand-made index.html by accident.
  TerminalDialogs dialogs(answer, /*nonInteractive=*/false);
  ProgramState state;
  ReadSettings(state.settings, settingsFile, dialogs);
  std::error_code ec;
  std::string path = std::filesystem::absolute(folder, ec).lexically_normal().string();
  while (path.size() > 1 && path.back() == kSeparator) path.pop_back();
  if (!isFolder(path)) {
    dialogs.message("フォルダが見つかりません: " + path, kProgramTitle, DialogIcon::Critical);
    return kExitFailed;
  }
  state.settings.PhotoFolder = path;

  switch (WriteMenuPage(state, dialogs)) {
    case MenuPageOutcome::Written:
      std::cout << folderPrefix(path) << kMenuPageName << "\n";
      return kExitOk;
    case MenuPageOutcome::Declined:
      std::cerr << folderPrefix(path) << kMenuPageName << " はそのままです。\n";
      return kExitFailed;
    case MenuPageOutcome::Failed:
      break;
  }
  return kExitFailed;
}

}  // namespace
}  // namespace fotela::cli
