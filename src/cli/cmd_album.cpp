// fotela-cli album DIR ...: the album of one photo folder without a window.

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/progress_bar.h"
#include "cli/terminal_dialogs.h"
#include "common/files.h"
#include "common/paths.h"
#include "photos/folder_scan.h"
#include "program/program_state.h"
#include "program/startup.h"
#include "publish/build_commands.h"
#include "settings/settings_file.h"
#include "thumbs/thumb_maker.h"

namespace fotela::cli {
namespace {

int runAlbum(const std::vector<std::string>& args);

const CommandRegistration registration{Command{
    "album",
    "album DIR [--settings FILE] [--pages-only | --copies-only] [--yes | --no | --update]",
    "DIR の写真から縮小画像とアルバムのページを作成します（--pages-only はページのみ、"
    "--copies-only は縮小画像のみ）",
    runAlbum,
}};

const Command& albumCommand() {
  for (const Command& c : commands())
    if (c.name == "album") return c;
  return commands().front();
}

struct AlbumOptions {
  std::string folder;
  std::string settingsFile;  // "" = the default settings file
  bool copiesOnly = false;
  bool pagesOnly = false;
  std::optional<bool> answer;  // --yes / --no
  bool update = false;
};

// nullopt after a usage error has been printed.
std::optional<AlbumOptions> parseOptions(const std::vector<std::string>& args, int& exitCode) {
  AlbumOptions o;
  const Command& command = albumCommand();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--copies-only") {
      o.copiesOnly = true;
    } else if (a == "--pages-only") {
      o.pagesOnly = true;
    } else if (a == "--settings") {
      if (i + 1 >= args.size()) {
        exitCode = usageError(command, "--settings にはファイル名が必要です");
        return std::nullopt;
      }
      o.settingsFile = args[++i];
    } else if (a == "--yes" || a == "--no") {
      if (o.answer && *o.answer != (a == "--yes")) {
        exitCode = usageError(command, "--yes と --no は同時に指定できません");
        return std::nullopt;
      }
      o.answer = (a == "--yes");
    } else if (a == "--update") {
      o.update = true;
    } else if (a.starts_with("--")) {
      exitCode = usageError(command, "不明なオプションです: " + a);
      return std::nullopt;
    } else if (o.folder.empty()) {
      o.folder = a;
    } else {
      exitCode = usageError(command, "フォルダは一つだけ指定してください: " + a);
      return std::nullopt;
    }
  }
  if (o.folder.empty()) {
    exitCode = usageError(command, "フォルダを指定してください");
    return std::nullopt;
  }
  if (o.copiesOnly && o.pagesOnly) {
    exitCode = usageError(command, "--pages-only と --copies-only は同時に指定できません");
    return std::nullopt;
  }
  if (o.pagesOnly && o.update) {
    exitCode = usageError(command, "--update は縮小画像を作成するときに指定します");
    return std::nullopt;
  }
  if (!o.settingsFile.empty() && !isFile(o.settingsFile)) {
    exitCode = usageError(command, "設定ファイルがありません: " + o.settingsFile);
    return std::nullopt;
  }
  return o;
}

// An absolute folder path without a trailing separator ("/" stays "/").
std::string normalFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(folder, ec);
  if (ec) p = folder;
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == kSeparator) s.pop_back();
  return s;
}

// Settings from the file, then the folder of the command line in place of the file's one.
// The command never writes the settings file.
void loadSettingsFor(ProgramState& state, const AlbumOptions& o, UserDialogs& dialogs) {
  ReadSettings(state.settings, o.settingsFile, dialogs);
  state.settings.PhotoFolder = normalFolder(o.folder);
  if (state.settings.TitleFromFolder == 1) {
    std::string parent, name;
    SplitFolderAndName(state.settings.PhotoFolder, parent, name);
    state.settings.AlbumTitle = name;
  }
}

// Scans the photo folder into state.photos; false (after a message) when it is no folder.
bool scanPhotos(ProgramState& state, TerminalDialogs& dialogs) {
  const std::string& folder = state.settings.PhotoFolder;
  if (!isFolder(folder)) {
    dialogs.message("フォルダが見つかりません: " + folder, kProgramTitle, DialogIcon::Critical);
    return false;
  }
  std::optional<FolderScan> scan = scanFolder(folder);
  if (!scan) return false;
  state.photos = std::move(scan->rows);
  state.order = std::move(scan->order);
  state.OrderChanged = 0;
  return true;
}

// The thumbnail maker with a progress bar; --update makes only the copies that are missing
// or older than their photo, without asking.
ThumbRunResult makeCopies(ProgramState& state, UserDialogs& dialogs, const AlbumOptions& o) {
  if (o.update) state.ThumbRunMode = 1;
  ProgressBar bar("縮小画像作成");
  auto progress = [&bar](const CopyProgress& p) {
    bar.update(p.done, p.total, (p.phase == 0 ? "[大] " : "[小] ") + p.fileName);
  };
  ThumbRunResult result = runThumbnailMaker(
      state, dialogs, o.update ? CopyMode::UpdateOnly : CopyMode::All, {}, progress);
  bar.finish();
  std::cerr << "縮小画像を " << result.made << " 枚作成しました。";
  if (!result.failures.empty()) std::cerr << "（失敗 " << result.failures.size() << " 枚）";
  std::cerr << "\n";
  return result;
}

int runCopies(ProgramState& state, TerminalDialogs& dialogs, const AlbumOptions& o) {
  const int messagesBefore = dialogs.messagesShown();
  BuildHooks hooks;
  hooks.makeCopies = [&o](ProgramState& s, UserDialogs& d) { return makeCopies(s, d, o); };
  ThumbRunResult result = buildCopiesOnly(state, dialogs, hooks);
  const bool failed = dialogs.messagesShown() > messagesBefore || !result.failures.empty();
  return failed ? kExitFailed : kExitOk;
}

// The full build or the pages alone. The album's main page goes to stdout, for scripts.
int runPages(ProgramState& state, TerminalDialogs& dialogs, const AlbumOptions& o) {
  if (o.pagesOnly && state.photos.empty()) {
    // The window stays silent here; a command line that made nothing says so.
    dialogs.message(kNoPhotosMessage, kBuildCaption, DialogIcon::Information);
    return kExitFailed;
  }
  BuildHooks hooks;
  hooks.status = [](const std::string& text) {
    if (text == kStatusBuilding) std::cerr << text << "\n";
  };
  hooks.makeCopies = [&o](ProgramState& s, UserDialogs& d) { return makeCopies(s, d, o); };
  const int messagesBefore = dialogs.messagesShown();
  BuildOutcome outcome =
      o.pagesOnly ? buildPagesOnly(state, dialogs, hooks) : buildAlbum(state, dialogs, hooks);
  if (outcome != BuildOutcome::Written) return kExitFailed;
  std::cerr << kStatusBuilt << "\n";
  std::cout << state.LastAlbumPage << "\n";
  // The pages stand, but a photo without copies or an order file that could not be saved
  // was reported on the way.
  return dialogs.messagesShown() > messagesBefore ? kExitFailed : kExitOk;
}

int runAlbum(const std::vector<std::string>& args) {
  int exitCode = kExitOk;
  std::optional<AlbumOptions> o = parseOptions(args, exitCode);
  if (!o) return exitCode;

  TerminalDialogs dialogs(o->answer, /*nonInteractive=*/true);
  ProgramState state;
  loadSettingsFor(state, *o, dialogs);
  // As at start-up: the marker file in the current directory splits the view page's script.
  std::error_code ec;
  state.SplitViewScript = probeMarkerFile(std::filesystem::current_path(ec).string());
  if (!scanPhotos(state, dialogs)) return kExitFailed;
  if (o->copiesOnly) return runCopies(state, dialogs, *o);
  return runPages(state, dialogs, *o);
}

}  // namespace
}  // namespace fotela::cli
