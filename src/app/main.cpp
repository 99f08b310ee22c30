// fotela: the desktop program.

#include <QApplication>
#include <QStringList>

#include "browser/frm_main.h"
#include "common/paths.h"
#include "program/program_state.h"
#include "program/startup.h"
#include "startup/message_dialogs.h"

#include <filesystem>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("フォテラ"));
  fotela::setProgramFolder(QCoreApplication::applicationDirPath().toStdString());

  fotela::ProgramState state;
  // The argument string is the program's arguments joined with single blanks.
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  auto start = fotela::parseStartupArguments(arguments.join(QChar(' ')).toStdString());
  state.AutoMode = start.AutoMode;
  state.settings.PhotoFolder = start.PhotoFolder;
  state.SplitViewScript = fotela::probeMarkerFile(std::filesystem::current_path().string());

  fotela::app::MessageDialogs dialogs;
  fotela::app::frmMain window(state, dialogs);
  dialogs.setParent(&window);
  window.show();
  return QApplication::exec();
}
