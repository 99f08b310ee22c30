// fotela-cli serve DIR: previews an album folder over HTTP on 127.0.0.1 until interrupted.

#include <signal.h>

#include <charconv>
#include <iostream>

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
  std::string folder;
  std::string settingsFile;
  int port = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--port") {
      if (i + 1 >= args.size()) return usageError(kServe, "--port には番号が必要です");
      const std::string& text = args[++i];
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
      if (ec != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535) {
        return usageError(kServe, "ポート番号は 0 から 65535 です: " + text);
      }
    } else if (a == "--settings") {
      if (i + 1 >= args.size()) return usageError(kServe, "--settings にはファイル名が必要です");
      settingsFile = args[++i];
    } else if (a.starts_with("--")) {
      return usageError(kServe, "不明なオプションです: " + a);
    } else if (folder.empty()) {
      folder = a;
    } else {
      return usageError(kServe, "フォルダは一つだけ指定してください: " + a);
    }
  }
  if (folder.empty()) return usageError(kServe, "フォルダを指定してください");
  if (!settingsFile.empty() && !isFile(settingsFile)) {
    return usageError(kServe, "設定ファイルがありません: " + settingsFile);
  }
  TerminalDialogs dialogs(true, true);
  AlbumSettings settings;
  ReadSettings(settings, settingsFile, dialogs);

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
