// The program from start to end: automatic mode (the same album as the command line's),
// a missing automatic folder, a second instance, the splash's キャンセル.

#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest/QtTest>

#include <filesystem>

#include "app_test_support.h"
#include "common/scripted_dialogs.h"
#include "startup/program_start.h"
#include "startup/splash_window.h"

using namespace fotela;
namespace fs = std::filesystem;

namespace {

// Every file under `folder` with its bytes, by relative path.
std::map<std::string, std::string> filesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& f : fs::recursive_directory_iterator(folder))
    if (f.is_regular_file())
      files[fs::relative(f.path(), folder).string()] = test::readFile(f.path().string());
  return files;
}

std::string settingsFile() {
  return ProgramFolder() + "/fotela.ini";
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
  test::TempDir home_;

 private slots:
  void initTestCase() { test::isolateUserState(home_); }
  void cleanup() { fs::remove(settingsFile()); }

  // First run (no settings file): the folder on the command line is the one built, and the
  // album is byte for byte the command line's.
  void automaticBuildMatchesTheCommandLine() {
    test::TempDir dir;
    const std::string mine =
        test::makePhotoFolder(dir.file("gui/旅行"), {"a.jpg", "b.jpg"}, 900, 600);
    test::writeJpeg(mine + "/c.JPG", 300, 500);
    test::writeFile(mine + "/titlen.txt", "c,\x8d\xc5\x8c\xe3\r\nb,b\r\n");
    fs::create_directories(dir.file("cli"));
    fs::copy(mine, dir.file("cli/旅行"), fs::copy_options::recursive);
    const std::string theirs = dir.file("cli/旅行");

    ScriptedDialogs dialogs;
    QCOMPARE(app::runDesktopProgram("auto=" + mine, dialogs), 0);
    QVERIFY2(dialogs.shown.empty(), dialogs.shown.empty() ? "" : dialogs.shown[0].text.c_str());
    QVERIFY(fs::exists(mine + "/album.html"));
    QVERIFY(!fs::exists(ProgramFolder() + "/album.html"));
    QVERIFY(fs::exists(settingsFile()));  // the ordinary close path ran
    // Qt's own texts (here a text box's menu) speak Japanese.
    QCOMPARE(QCoreApplication::translate("QLineEdit", "&Undo"), QStringLiteral("元に戻す(&U)"));

    QProcess cli;
    cli.start(QStringLiteral(FOTELA_CLI),
              {QStringLiteral("album"), QString::fromStdString(theirs), QStringLiteral("--yes"),
               QStringLiteral("--settings"), QString::fromStdString(settingsFile())});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const auto expected = filesUnder(theirs);
    const auto actual = filesUnder(mine);
    QCOMPARE(actual.size(), expected.size());
    for (const auto& [name, bytes] : expected) {
      QVERIFY2(actual.contains(name), name.c_str());
      QVERIFY2(actual.at(name) == bytes, name.c_str());
    }
  }

  // What ends an automatic run with status 1, and what it says.
  void automaticFailures_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("message");
    QTest::newRow("folder names nothing") << "nowhere"
                                          << "がありません。";
    QTest::newRow("no photos") << "empty"
                               << "対象画像がありません";
  }
  void automaticFailures() {
    QFETCH(QString, folder);
    QFETCH(QString, message);
    test::TempDir dir;
    fs::create_directories(dir.file("empty"));
    const std::string path = dir.file(folder.toStdString());
    ScriptedDialogs dialogs;
    QCOMPARE(app::runDesktopProgram("auto=" + path, dialogs), 1);
    QVERIFY(!dialogs.shown.empty());
    QVERIFY(QString::fromStdString(dialogs.shown[0].text).endsWith(message));
    if (folder == QStringLiteral("nowhere")) {
      QCOMPARE(dialogs.shown[0].text, path + "がありません。");
      QCOMPARE(dialogs.shown[0].icon, DialogIcon::Warning);
      QVERIFY(!fs::exists(settingsFile()));  // nothing started, nothing written
    }
    QVERIFY(!fs::exists(path + "/album.html"));
  }

  void secondInstanceIsRefused() {
    QLockFile first(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                    QStringLiteral("/fotela.lock"));
    QVERIFY(first.tryLock(0));
    test::TempDir dir;
    test::makePhotoFolder(dir.path(), {"a.jpg"});
    ScriptedDialogs dialogs;
    QCOMPARE(app::runDesktopProgram("auto=" + dir.path(), dialogs), 0);
    QCOMPARE(dialogs.shown.size(), std::size_t(1));
    QCOMPARE(dialogs.shown[0].text, std::string("当プログラムは既に起動中です。"));
    QCOMPARE(dialogs.shown[0].icon, DialogIcon::Information);
    QVERIFY(!fs::exists(dir.path() + "/album.html"));
  }

  // キャンセル on the splash during the first scan ends the program: no settings file, no
  // question, no album.
  void splashCancelEndsTheProgram() {
    test::TempDir dir;
    for (int i = 0; i < 4000; ++i) test::writeFile(dir.file("p" + std::to_string(i) + ".jpg"), "");
    bool clicked = false;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* splash = qobject_cast<app::SplashWindow*>(w); splash && splash->isVisible()) {
          QCOMPARE(splash->windowTitle(), QStringLiteral("ﾌｫﾃﾗ起動中"));
          splash->findChild<QPushButton*>()->click();
          clicked = true;
        }
    });
    ScriptedDialogs dialogs;
    QCOMPARE(app::runDesktopProgram("auto=" + dir.path(), dialogs), 0);
    if (!clicked) QSKIP("the scan ended before the splash could be used");
    QVERIFY(dialogs.shown.empty());
    QVERIFY(!fs::exists(settingsFile()));
    QVERIFY(!fs::exists(dir.path() + "/album.html"));
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
