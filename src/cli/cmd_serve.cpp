// fotela-cli serve DIR: previews an album folder over HTTP on 127.0.0.1 until interrupted.

#include <signal.h>

#include <charconv>
#include <iostream>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/terminal_dialogs.h"
#include "common/files.h"
#include "publish/preview_server.h"
#include "settings/settings_file.h"

namespace fotela::cli {
namespace {

int runServe(const std::vector<std::string>& args);

const Command kServe{"serve", "serve DIR [--port N] [--settings FILE]",
                     "DIR のアルバムを http://127.0.0.1 で表示できるようにします (Ctrl+C で終了)",
                     runServe};
const CommandRegistration registration(kServe);

int runServe(const std::vector<std::string>& args) {
  int exitCode = kExitUsage;
  std::optional<FolderArguments> a =
      parseFolderArguments(kServe, args, {{}, {"--port"}, false}, exitCode);
  if (!a) return exitCode;
  int port = 0;
  if (auto text = a->values.find("--port"); text != a->values.end()) {
    const std::string& t = text->second;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), port);
    if (ec != std::errc() || end != t.data() + t.size() || port < 0 || port > 65535)
      return usageError(kServe, "ポート番号は 0 から 65535 です: " + t);
  }
  const std::string& folder = a->folder;
  TerminalDialogs dialogs(true, true);
  AlbumSettings settings;
  if (!ReadSettings(settings, a->settingsFile, dialogs)) return kExitFailed;

  // The server's threads inherit this mask, so only sigwait below sees the interrupt.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A shell starts background jobs with SIGINT ignored; an ignored signal never reaches
  // sigwait. Blocked, the default action cannot end the program early.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::signal(signal, SIG_DFL);

  PreviewServer server;
  auto started = server.start(folder, port, settings.AlbumHtml);
  if (!started) {
    std::cerr << started.error().message << "\n";
    return kExitFailed;
  }
  std::cout << server.url(settings.AlbumHtml) << std::endl;
  std::cerr << folder << " を表示しています。Ctrl+C で終了します。\n";

  int received = 0;
  sigwait(&stopSignals, &received);
  server.stop();
  server.wait();
  return kExitOk;
}

}  // namespace
}  // namespace fotela::cli
