// fotela-cli album DIR ...: the album of one photo folder without a window.

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/progress_bar.h"
#include "cli/terminal_dialogs.h"
#include "common/files.h"
#include "common/paths.h"
#include "photos/folder_scan.h"
#include "program/folder_change.h"
#include "program/program_state.h"
#include "program/startup.h"
#include "publish/build_commands.h"
#include "settings/settings_file.h"
#include "thumbs/thumb_maker.h"

namespace fotela::cli {
namespace {

int runAlbum(const std::vector<std::string>& args);

const Command kAlbum{
    "album",
    "album DIR [--settings FILE] [--pages-only | --copies-only] [--yes | --no | --update]"
    " [--style classic|modern]",
    "DIR の写真から縮小画像とアルバムのページを作成します（--pages-only はページのみ、"
    "--copies-only は縮小画像のみ。--style modern はスマートフォンでも見やすい"
    "フレームなしの形式、既定は classic）",
    runAlbum,
};
const CommandRegistration registration(kAlbum);

struct AlbumOptions {
  FolderArguments args;
  AlbumStyle style = AlbumStyle::Classic;
  bool copiesOnly = false;
  bool pagesOnly = false;
  bool update = false;
};

// nullopt after a usage error has been printed.
std::optional<AlbumOptions> parseOptions(const std::vector<std::string>& args, int& exitCode) {
  std::optional<FolderArguments> parsed = parseFolderArguments(
      kAlbum, args, {{"--copies-only", "--pages-only", "--update"}, {"--style"}, true}, exitCode);
  if (!parsed) return std::nullopt;
  std::optional<AlbumStyle> style = albumStyleOption(kAlbum, *parsed, exitCode);
  if (!style) return std::nullopt;
  AlbumOptions o{std::move(*parsed), *style};
  o.copiesOnly = o.args.has("--copies-only");
  o.pagesOnly = o.args.has("--pages-only");
  o.update = o.args.has("--update");
  if (o.copiesOnly && o.pagesOnly) {
    exitCode = usageError(kAlbum, "--pages-only と --copies-only は同時に指定できません");
    return std::nullopt;
  }
  if (o.pagesOnly && o.update) {
    exitCode = usageError(kAlbum, "--update は縮小画像を作成するときに指定します");
    return std::nullopt;
  }
  return o;
}

// Settings from the file (never written back), then the folder of the command line in
// place of the file's one, scanned into the photo list. False (after a message) when it
// is no folder.
bool openFolder(ProgramState& state, const AlbumOptions& o, UserDialogs& dialogs) {
  if (!ReadSettings(state.settings, o.args.settingsFile, dialogs)) return false;
  const std::string folder = normalFolderPath(o.args.folder);
  if (!isFolder(folder)) {
    dialogs.message("フォルダが見つかりません: " + folder, kProgramTitle, DialogIcon::Critical);
    return false;
  }
  if (!openPhotoFolder(state, folder)) return false;
  if (!state.order.warning().empty())
    dialogs.message(state.order.warning(), kProgramTitle, DialogIcon::Warning);
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
  // The status texts as the window shows them: the last one says what was written.
  hooks.status = [](const std::string& text) { std::cerr << text << "\n"; };
  hooks.makeCopies = [&o](ProgramState& s, UserDialogs& d) { return makeCopies(s, d, o); };
  const int messagesBefore = dialogs.messagesShown();
  BuildOutcome outcome =
      o.pagesOnly ? buildPagesOnly(state, dialogs, hooks) : buildAlbum(state, dialogs, hooks);
  if (outcome != BuildOutcome::Written && outcome != BuildOutcome::Partial) return kExitFailed;
  std::cout << state.LastAlbumPage << "\n";
  // The pages stand, but photos left out or an order file that could not be saved were
  // reported on the way.
  return outcome == BuildOutcome::Written && dialogs.messagesShown() == messagesBefore
             ? kExitOk
             : kExitFailed;
}

int runAlbum(const std::vector<std::string>& args) {
  int exitCode = kExitOk;
  std::optional<AlbumOptions> o = parseOptions(args, exitCode);
  if (!o) return exitCode;

  TerminalDialogs dialogs(o->args.answer, /*nonInteractive=*/true);
  ProgramState state;
  state.runWaiting = reportRunWaiting;
  state.albumStyle = o->style;
  // As at start-up: the marker file in the current directory splits the view page's script.
  std::error_code ec;
  state.SplitViewScript = probeMarkerFile(std::filesystem::current_path(ec).string());
  if (!openFolder(state, *o, dialogs)) return kExitFailed;
  if (o->copiesOnly) return runCopies(state, dialogs, *o);
  return runPages(state, dialogs, *o);
}

}  // namespace
}  // namespace fotela::cli
