#include "startup/program_start.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QStandardPaths>
#include <QTranslator>

#include <filesystem>

#include "common/paths.h"
#include "common/user_dialogs.h"
#include "main_window/main_window.h"
#include "program/program_state.h"
#include "program/startup.h"
#include "startup/message_dialogs.h"
#include "startup/splash_window.h"

namespace fotela::app {
namespace {

QString lockFilePath() {
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) runtime = QDir::tempPath();
  return runtime + QStringLiteral("/fotela.lock");
}

// Qt's own texts (file and colour dialogs, the text boxes' menus) in Japanese, as the rest
// of the program. Without the translation installed they stay in English.
void installQtTranslation() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
  else
    delete translator;
}

// The desktop's pictures folder, or the home folder where there is none.
std::string picturesFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QDir(pictures).exists()) return pictures.toStdString();
  return QDir::homePath().toStdString();
}

}  // namespace

int runDesktopProgram(const std::string& argumentString, UserDialogs& dialogs) {
  installQtTranslation();
  // One instance at a time: a second one would fight over the settings file.
  QLockFile instanceLock(lockFilePath());
  instanceLock.setStaleLockTime(0);
  if (!instanceLock.tryLock(0)) {
    dialogs.message(kAlreadyRunningMessage, kProgramTitle, DialogIcon::Information);
    return 0;
  }

  // An installed program looks for photos in the user's pictures folder.
  setPicturesFolder(picturesFolder());
  ProgramState state;
  const StartupArguments start = parseStartupArguments(argumentString);
  state.AutoMode = start.AutoMode;
  state.settings.PhotoFolder = start.PhotoFolder;
  // An automatic build of a folder that does not exist builds nothing.
  if (start.AutoMode == 1 && argumentString.size() > 5 && start.PhotoFolder.empty()) {
    dialogs.message(argumentString.substr(5) + "がありません。", kProgramTitle,
                    DialogIcon::Warning);
    return 1;
  }
  std::error_code ec;
  state.SplitViewScript = probeMarkerFile(std::filesystem::current_path(ec).string());

  MainWindow window(state, dialogs);
  if (auto* boxes = dynamic_cast<MessageDialogs*>(&dialogs)) boxes->setParent(&window);
  SplashWindow splash;
  bool cancelled = false;
  QEventLoop loop;
  QObject::connect(&splash, &SplashWindow::cancelled, &window, [&] {
    // Ends the program at once: nothing is saved and nothing asked.
    state.StartupCancelled = -1;
    cancelled = true;
    splash.close();
    window.abandon();
  });
  QObject::connect(&window, &MainWindow::firstFolderReady, &splash, &QWidget::close);
  QObject::connect(&window, &MainWindow::closed, &loop, &QEventLoop::quit);

  splash.show();
  // Placement, settings and the first folder before the window shows; the scan itself
  // runs on while the splash stays on top.
  window.load();
  window.show();
  splash.raise();
  loop.exec();
  if (auto* boxes = dynamic_cast<MessageDialogs*>(&dialogs)) boxes->setParent(nullptr);
  return cancelled ? 0 : window.exitCode();
}

}  // namespace fotela::app
