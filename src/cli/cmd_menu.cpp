// fotela-cli menu DIR: the menu page "index.html" that links the albums of DIR's
// sub-folders.

#include <iostream>
#include <optional>

#include "cli/arguments.h"
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
    "menu", "menu DIR [--settings FILE] [--yes | --no] [--style classic|modern]",
    "DIR にサブフォルダのアルバムへのリンクを並べたメニュー (index.html) を作成します"
    "（--style modern は各アルバムの最初の写真を添えたカード形式）",
    runMenu};
const CommandRegistration registration(kMenu);

int runMenu(const std::vector<std::string>& args) {
  int exitCode = kExitUsage;
  std::optional<FolderArguments> a =
      parseFolderArguments(kMenu, args, {{}, {"--style"}, true}, exitCode);
  if (!a) return exitCode;
  std::optional<AlbumStyle> style = albumStyleOption(kMenu, *a, exitCode);
  if (!style) return exitCode;

  // Without a flag the overwrite question is asked on a terminal and answered No elsewhere,
  // so a script never replaces a hand-made index.html by accident.
  TerminalDialogs dialogs(a->answer, /*nonInteractive=*/false);
  ProgramState state;
  state.runWaiting = reportRunWaiting;
  state.albumStyle = *style;
  if (!ReadSettings(state.settings, a->settingsFile, dialogs)) return kExitFailed;
  const std::string path = normalFolderPath(a->folder);
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
