#pragma once
// Shared helpers of the window tests: private per-user state, photo folders, waiting for
// the main window's scans and answering a modal window.

#include <QApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest/QtTest>

#include <filesystem>
#include <functional>
#include <string>

#include "common/paths.h"
#include "core/support/test_files.h"
#include "main_window/main_window.h"

namespace fotela::test {

// Settings store, runtime folder (instance lock) and program folder (settings file) of
// this test alone.
inline void isolateUserState(const TempDir& home) {
  QStandardPaths::setTestModeEnabled(true);
  const std::string runtime = home.file("runtime");
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.file("config")));
  const std::string program = home.file("program");
  std::filesystem::create_directories(program);
  setProgramFolder(program);
}

// A folder holding the given photos (w x h pixels each).
inline std::string makePhotoFolder(const std::string& folder,
                                   std::initializer_list<const char*> names, int width = 320,
                                   int height = 240) {
  std::filesystem::create_directories(folder);
  for (const char* name : names) writeJpeg(folder + "/" + name, width, height, 0x336699);
  return folder;
}

inline bool waitForScan(app::MainWindow& window) {
  if (!window.scanning()) return true;
  QSignalSpy scanned(&window, &app::MainWindow::folderScanned);
  return scanned.wait(20000);
}

// Runs `act` on the next modal window once it is shown (the caller then opens it).
inline void onNextModal(std::function<void(QWidget*)> act) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, qApp, [poll, act] {
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
      poll->stop();
      poll->deleteLater();
      act(modal);
    }
  });
  poll->start(10);
}

}  // namespace fotela::test
