// fotela: the desktop program.

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <string_view>

#include "common/paths.h"
#include "program_version.h"
#include "startup/message_dialogs.h"
#include "startup/program_start.h"

namespace {

constexpr const char* kHelp =
    "usage: fotela [DIR | PHOTO]\n"
    "       fotela auto=DIR\n"
    "フォルダのJPEG写真からHTMLアルバムを作成するデスクトッププログラムです。\n"
    "\n"
    "  DIR          このフォルダを開きます（写真ファイルならそのフォルダ）\n"
    "  auto=DIR     DIR のアルバムを作成して終了します（作成できたとき終了コード 0）\n"
    "  --help       この使い方を表示します\n"
    "  --version    バージョンを表示します\n"
    "\n"
    "フォルダを指定しないときは前回のフォルダを開きます。"
    "ウィンドウなしで作成するには fotela-cli を使います。\n";

// --help and --version are answered before any window needs a display.
bool answeredOption(int argc, char** argv, int& exitCode) {
  if (argc < 2) return false;
  const std::string_view option = argv[1];
  if (option == "--help") {
    std::fputs(kHelp, stdout);
  } else if (option == "--version") {
    std::printf("fotela %s\n", fotela::kProgramVersion);
  } else {
    return false;
  }
  exitCode = std::fflush(stdout) == 0 ? 0 : 1;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (int exitCode = 0; answeredOption(argc, argv, exitCode)) return exitCode;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("フォテラ"));
  fotela::setProgramFolder(QCoreApplication::applicationDirPath().toStdString());

  // The argument string is the program's arguments joined with single blanks.
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  fotela::app::MessageDialogs dialogs;
  return fotela::app::runDesktopProgram(arguments.join(QChar(' ')).toStdString(), dialogs);
}
