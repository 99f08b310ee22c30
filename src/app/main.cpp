// fotela: the desktop program.

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>
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

  // One instance at a time: a second one would fight over the settings file.
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) runtime = QDir::tempPath();
  QLockFile instanceLock(runtime + QStringLiteral("/fotela.lock"));
  instanceLock.setStaleLockTime(0);
  if (!instanceLock.tryLock(0)) {
    QMessageBox::information(nullptr, QStringLiteral("フォテラ"),
                             QStringLiteral("当プログラムは既に起動中です。"));
    return 0;
  }

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
