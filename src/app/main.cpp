// fotela: the desktop program.

#include <QApplication>
#include <QStringList>

#include "common/paths.h"
#include "startup/message_dialogs.h"
#include "startup/program_start.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("フォテラ"));
  fotela::setProgramFolder(QCoreApplication::applicationDirPath().toStdString());

  // The argument string is the program's arguments joined with single blanks.
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  fotela::app::MessageDialogs dialogs;
  return fotela::app::runDesktopProgram(arguments.join(QChar(' ')).toStdString(), dialogs);
}
