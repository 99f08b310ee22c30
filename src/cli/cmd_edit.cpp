// fotela-cli edit: the photo editor's effects from the command line, on one picture or,
// with --all, on every photo of a folder's photo list (saved in place).

#include <signal.h>

#include <atomic>
#include <iostream>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/progress_bar.h"
#include "cli/terminal_dialogs.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "editor/photo_editor.h"
#include "imaging/codec.h"
#include "photos/folder_scan.h"
#include "program/folder_change.h"
#include "program/program_state.h"

namespace fotela::cli {
namespace {

int runEdit(const std::vector<std::string>& args);

const Command kEdit{
    "edit",
    "edit IN OUT OPERATION... | edit --all DIR OPERATION...",
    "写真を加工します（--rotate 90|180|270, --scale PCT, --frame W:RRGGBB, --blur-frame "
    "W:RRGGBB, --ellipse-blur W:RRGGBB, --focus-blur W, --composite FILE:RRGGBB）。"
    "--all はフォルダ内の全ての写真を加工して上書きします",
    runEdit,
};
const CommandRegistration registration(kEdit);

// One operation of the command line, as the dialog would have received it.
struct Operation {
  EffectCommand command;
  std::string text1;
  std::string text2;
};

enum class Split { None, AtFirst, AtLast };

struct OperationKind {
  std::string_view name;
  EffectCommand command;
  Split split;  // where "W:RRGGBB" / "FILE:RRGGBB" is cut
};

constexpr OperationKind kOperations[] = {
    {"--rotate", EffectCommand::Rotate, Split::None},
    {"--scale", EffectCommand::Scale, Split::None},
    {"--frame", EffectCommand::RaisedFrame, Split::AtFirst},
    {"--blur-frame", EffectCommand::BlurFrame, Split::AtFirst},
    {"--ellipse-blur", EffectCommand::EllipseColorBlur, Split::AtFirst},
    {"--focus-blur", EffectCommand::EllipseFocusBlur, Split::None},
    // A file name may hold ":" itself; the colour is after the last one.
    {"--composite", EffectCommand::Composite, Split::AtLast},
};

// The operations from args[first...]; nullopt after a usage message.
std::optional<std::vector<Operation>> parseOperations(const std::vector<std::string>& args,
                                                      std::size_t first, int& exitCode) {
  std::vector<Operation> ops;
  for (std::size_t i = first; i < args.size(); ++i) {
    const OperationKind* kind = nullptr;
    for (const OperationKind& k : kOperations)
      if (args[i] == k.name) kind = &k;
    if (!kind) {
      exitCode = usageError(kEdit, "不明な操作です: " + args[i]);
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      exitCode = usageError(kEdit, std::string(kind->name) + " の値がありません");
      return std::nullopt;
    }
    const std::string& value = args[++i];
    Operation op{kind->command, value, {}};
    if (kind->split != Split::None) {
      const std::size_t colon = kind->split == Split::AtFirst ? value.find(':') : value.rfind(':');
      if (colon == std::string::npos) {
        exitCode = usageError(
            kEdit, std::string(kind->name) + " の値は " +
                       (kind->command == EffectCommand::Composite ? "FILE:RRGGBB" : "W:RRGGBB") +
                       " の形で指定してください: " + value);
        return std::nullopt;
      }
      op.text1 = value.substr(0, colon);
      op.text2 = value.substr(colon + 1);
    }
    if (kind->command == EffectCommand::Rotate && value != "90" && value != "180" &&
        value != "270") {
      exitCode = usageError(kEdit, "--rotate の値は 90, 180, 270 のいずれかです: " + value);
      return std::nullopt;
    }
    ops.push_back(std::move(op));
  }
  return ops;
}

enum class OutputKind { Jpeg, Bmp };

std::optional<OutputKind> outputKind(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
  const std::string ext = asciiLower(path.substr(dot));
  if (ext == ".bmp") return OutputKind::Bmp;
  if (ext == ".jpg" || ext == ".jpeg") return OutputKind::Jpeg;
  return std::nullopt;
}

// Prepares and applies the operations to the editor's shown picture in order. False when
// one was refused or failed (its message has been shown). Operations that the dialog would
// have ended silently (an empty value, a scale of exactly "100") do nothing.
bool applyAll(PhotoEditor& editor, const std::vector<Operation>& ops,
              std::vector<EffectStep>* steps) {
  for (const Operation& op : ops) {
    CommandOutcome outcome;
    std::optional<EffectStep> step = editor.prepareEffect(op.command, op.text1, op.text2, outcome);
    if (!step) {
      if (outcome == CommandOutcome::Refused) return false;
      continue;
    }
    editor.sStart();
    Result<void> r = editor.applyEffect(*step);
    editor.sEnd();
    if (!r) {
      editor.report(r.error());
      return false;
    }
    if (steps) steps->push_back(std::move(*step));
  }
  return true;
}

int editOne(const std::string& in, const std::string& out, const std::vector<Operation>& ops) {
  const std::optional<OutputKind> kind = outputKind(out);
  if (!kind)
    return usageError(kEdit, "OUT の拡張子は .jpg, .jpeg, .bmp のいずれかにしてください: " + out);
  ProgramState state;
  TerminalDialogs dialogs(std::nullopt, false);
  PhotoEditor editor(state, dialogs);
  if (Result<void> r = editor.loadPhoto(in); !r) {
    editor.report(r.error());
    return kExitFailed;
  }
  if (!applyAll(editor, ops, nullptr)) return kExitFailed;
  const Result<void> saved =
      *kind == OutputKind::Bmp ? saveBmp(editor.shown(), out) : editor.saveAs(out);
  if (!saved) {
    editor.report(saved.error());
    return kExitFailed;
  }
  return kExitOk;
}

std::atomic<bool> interrupted{false};
extern "C" void onInterrupt(int) {
  interrupted = true;
}

int editAll(const std::string& folderText, const std::vector<Operation>& ops) {
  if (ops.empty()) return usageError(kEdit, "--all には操作を1つ以上指定してください");
  const std::string folder = normalFolderPath(folderText);
  ProgramState state;
  TerminalDialogs dialogs(std::nullopt, false);
  if (!isFolder(folder)) {
    dialogs.message("フォルダが見つかりません: " + folder, kProgramTitle, DialogIcon::Warning);
    return kExitFailed;
  }
  if (!openPhotoFolder(state, folder)) return kExitFailed;
  if (!state.order.warning().empty())
    dialogs.message(state.order.warning(), kProgramTitle, DialogIcon::Warning);
  if (state.photos.empty()) {
    std::cerr << "写真がありません: " << folder << "\n";
    return kExitOk;
  }

  PhotoEditor editor(state, dialogs);
  // The values are read and checked once, as the editor checks them against the photo it
  // shows when the command starts: here the first photo of the list that loads, with the
  // operations before each one applied.
  std::vector<EffectStep> steps;
  bool shown = false;
  for (std::size_t k = 1; k <= state.photos.size() && !shown; ++k)
    shown = editor.Selimg(static_cast<int>(k)).has_value();
  if (shown) {
    if (!applyAll(editor, ops, &steps)) return kExitFailed;
  } else {
    // No photo loads: the batch reports every one of them.
    for (const Operation& op : ops) {
      CommandOutcome outcome;
      if (auto step = editor.prepareEffect(op.command, op.text1, op.text2, outcome))
        steps.push_back(std::move(*step));
      else if (outcome == CommandOutcome::Refused)
        return kExitFailed;
    }
  }

  // Ctrl-C stops between photos; the photo being saved is finished first.
  std::stop_source stopSource;
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  struct sigaction previous {};
  ::sigaction(SIGINT, &action, &previous);

  ProgressBar bar("写真を加工中");
  const CommandReport report = editor.runBatch(
      steps,
      [&](std::size_t done, std::size_t total, const std::string& path) {
        if (interrupted) stopSource.request_stop();
        bar.update(done, total, path);
      },
      stopSource.get_token());
  bar.finish();
  ::sigaction(SIGINT, &previous, nullptr);

  for (const std::string& failure : report.failures)
    dialogs.message(failure, kProgramTitle, DialogIcon::Warning);
  std::cout << report.photosSaved << "枚の写真を保存しました\n";
  if (report.outcome == CommandOutcome::BatchStopped) {
    std::cerr << "中断しました\n";
    return kExitFailed;
  }
  return report.failures.empty() ? kExitOk : kExitFailed;
}

int runEdit(const std::vector<std::string>& args) {
  int exitCode = kExitUsage;
  if (!args.empty() && args[0] == "--all") {
    if (args.size() < 2) return usageError(kEdit, "DIR がありません");
    const auto ops = parseOperations(args, 2, exitCode);
    return ops ? editAll(args[1], *ops) : exitCode;
  }
  if (args.size() < 2 || args[0].starts_with("--") || args[1].starts_with("--"))
    return usageError(kEdit);
  const auto ops = parseOperations(args, 2, exitCode);
  return ops ? editOne(args[0], args[1], *ops) : exitCode;
}

}  // namespace
}  // namespace fotela::cli
