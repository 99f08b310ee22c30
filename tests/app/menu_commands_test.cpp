// The main window's file tools, the help and about commands and the album preview,
// driven through their entry points with scripted messages.

#include <QInputDialog>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest/QtTest>
#include <filesystem>
#include <memory>

#include "about/about_box.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/scripted_dialogs.h"
#include "core/support/test_files.h"
#include "main_window/album_preview.h"
#include "main_window/menu_commands.h"
#include "modal_helpers.h"
#include "program/program_state.h"

using fotela::DialogIcon;
using fotela::ProgramState;
using fotela::ScriptedDialogs;
using fotela::test::readFile;
using fotela::test::TempDir;
using fotela::test::writeFile;
namespace fs = std::filesystem;
namespace app = fotela::app;

class MenuCommandsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> dir;
  std::unique_ptr<ProgramState> state;
  ScriptedDialogs dialogs;

  std::string photos() const { return dir->file("photos"); }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() {
    dir = std::make_unique<TempDir>();
    fs::create_directories(dir->file("photos/small"));
    fs::create_directories(dir->file("photos/big"));
    fs::create_directories(dir->file("card"));
    state = std::make_unique<ProgramState>();
    state->settings = fotela::defaultAlbumSettings();
    state->settings.PhotoFolder = photos();
    dialogs.shown.clear();
  }

  void cameraCommandsRefuseTheAlbumsOwnFolders_data() {
    QTest::addColumn<QString>("camera");
    QTest::newRow("photo folder") << "@/photos/";
    QTest::newRow("thumbnails") << "@/photos/small/";
    QTest::newRow("images, old relative value") << "big/";
  }
  void cameraCommandsRefuseTheAlbumsOwnFolders() {
    QFETCH(QString, camera);
    state->settings.CameraFolder =
        camera.replace("@", QString::fromStdString(dir->path())).toStdString();
    writeFile(dir->file("photos/a.jpg"), "photo");
    writeFile(dir->file("photos/small/a.jpg"), "thumb");
    writeFile(dir->file("photos/big/a.jpg"), "image");
    QVERIFY(app::cameraCommandsEnabled(*state));
    QVERIFY(app::copyFromCamera(nullptr, *state, dialogs));
    QVERIFY(!app::deleteFromCamera(nullptr, *state, dialogs));
    QCOMPARE(dialogs.shown.size(), std::size_t{2});
    QCOMPARE(dialogs.shown[0].text, "コピーに失敗しました");
    QCOMPARE(dialogs.shown[0].caption, "写真のコピー");
    QCOMPARE(dialogs.shown[0].icon, DialogIcon::Critical);
    QCOMPARE(dialogs.shown[1].text, "削除に失敗しました");
    QCOMPARE(dialogs.shown[1].caption, "写真の削除");
    QCOMPARE(dialogs.shown[1].icon, DialogIcon::Critical);
    QCOMPARE(readFile(dir->file("photos/a.jpg")), "photo");
    QCOMPARE(readFile(dir->file("photos/small/a.jpg")), "thumb");
    QCOMPARE(readFile(dir->file("photos/big/a.jpg")), "image");
  }

  void cameraCopyThenDelete() {
    state->settings.CameraFolder = dir->file("card") + "/";
    writeFile(dir->file("card/P1.JPG"), "new");
    writeFile(dir->file("photos/P1.JPG"), "old");
    fotela::test::setModifiedTime(dir->file("card/P1.JPG"), 1'200'000'000);
    QVERIFY(app::copyFromCamera(nullptr, *state, dialogs));
    QCOMPARE(readFile(dir->file("photos/P1.JPG")), "new");
    QCOMPARE(fs::last_write_time(dir->file("photos/P1.JPG")),
             fs::last_write_time(dir->file("card/P1.JPG")));
    QVERIFY(!app::deleteFromCamera(nullptr, *state, dialogs));
    QVERIFY(!fs::exists(dir->file("card/P1.JPG")));
    QVERIFY(dialogs.shown.empty());
    state->settings.CameraFolder.clear();
    QVERIFY(!app::cameraCommandsEnabled(*state));
  }

  // "中止" during a copy: no failure message, every photo either whole or not copied, no
  // temporary file left.
  void cameraCopyStopped() {
    state->settings.CameraFolder = dir->file("card") + "/";
    const std::string photo(100'000, 'p');
    for (int i = 0; i < 60; ++i) writeFile(dir->file("card/P" + std::to_string(i) + ".JPG"), photo);
    whenModal<QProgressDialog>([](QProgressDialog* box) {
      QCOMPARE(box->windowTitle(), QStringLiteral("写真のコピー"));
      for (QPushButton* button : box->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("中止")) button->click();
    });
    QVERIFY(app::copyFromCamera(nullptr, *state, dialogs));
    QVERIFY(dialogs.shown.empty());
    for (const std::string& name : fotela::listFolder(photos(), fotela::EntryKind::File))
      QCOMPARE(readFile(photos() + "/" + name).size(), photo.size());
    for (const auto& entry : fs::directory_iterator(photos()))
      QVERIFY2(!fotela::isTemporaryFileName(entry.path().filename().string()),
               entry.path().c_str());
  }

  void lowerCaseReportsTheSkippedFilesOnce() {
    writeFile(dir->file("photos/IMG_1.JPG"), "1");
    writeFile(dir->file("photos/IMG_2.JPG"), "2 upper");
    writeFile(dir->file("photos/img_2.jpg"), "2 lower");
    QVERIFY(app::lowerCaseFileNames(nullptr, *state, dialogs));
    QCOMPARE(fotela::listFolder(photos(), fotela::EntryKind::File),
             (std::vector<std::string>{"img_1.jpg", "IMG_2.JPG", "img_2.jpg"}));
    QCOMPARE(readFile(dir->file("photos/img_2.jpg")), "2 lower");
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QVERIFY(dialogs.shown[0].text.ends_with("\nIMG_2.JPG"));
    QCOMPARE(dialogs.shown[0].icon, DialogIcon::Warning);
    // Nothing left to do: nothing renamed, nothing refreshed, no second warning.
    std::filesystem::remove(dir->file("photos/IMG_2.JPG"));
    QVERIFY(!app::lowerCaseFileNames(nullptr, *state, dialogs));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
  }

  void createFolderAsksForTheName() {
    auto answer = [](const QString& name) {
      whenModal<QInputDialog>([name](QInputDialog* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("新しいフォルダ作成"));
        QCOMPARE(d->labelText(), QStringLiteral("写真を入れるフォルダー名を入力してください。"));
        if (name.isNull()) {
          d->reject();
          return;
        }
        d->setTextValue(name);
        d->accept();
      });
    };
    answer(QStringLiteral("2026 夏"));
    QVERIFY(app::createFolder(nullptr, *state, dialogs));
    QVERIFY(fotela::isFolder(dir->file("photos/2026 夏")));
    QVERIFY(dialogs.shown.empty());
    answer(QStringLiteral("2026 夏"));
    QVERIFY(!app::createFolder(nullptr, *state, dialogs));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QCOMPARE(dialogs.shown[0].text, "すでにフォルダーは存在します");
    QCOMPARE(dialogs.shown[0].caption, "フォテラ");
    QCOMPARE(dialogs.shown[0].icon, DialogIcon::None);
    answer(QString());  // Cancel
    QVERIFY(!app::createFolder(nullptr, *state, dialogs));
    answer(QStringLiteral(""));
    QVERIFY(!app::createFolder(nullptr, *state, dialogs));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
  }

  void albumPreviewServesThePagesFolder() {
    std::vector<QUrl> opened;
    {
      app::AlbumPreview preview([&](const QUrl& url) {
        opened.push_back(url);
        return true;
      });
      const std::string page = dir->file("photos/album.html");
      preview.showAlbum(page, dialogs);
      QCOMPARE(dialogs.shown.size(), std::size_t{1});
      QCOMPARE(dialogs.shown[0].text, page + "がありません。");
      QCOMPARE(dialogs.shown[0].icon, DialogIcon::Warning);
      QVERIFY(opened.empty());
      QCOMPARE(preview.port(), 0);

      writeFile(page, "<html></html>");
      preview.showAlbum(page, dialogs);
      QCOMPARE(opened.size(), std::size_t{1});
      const int port = preview.port();
      QVERIFY(port > 0);
      QCOMPARE(opened[0], QUrl(QStringLiteral("http://127.0.0.1:%1/album.html").arg(port)));
      // The same folder again: the same server.
      preview.showAlbum(page, dialogs);
      QCOMPARE(preview.port(), port);
      // Another folder: served from there, its name encoded.
      fs::create_directories(dir->file("旅 行"));
      writeFile(dir->file("旅 行/my album.html"), "<html></html>");
      preview.showAlbum(dir->file("旅 行/my album.html"), dialogs);
      QCOMPARE(opened.size(), std::size_t{3});
      QCOMPARE(opened[2].path(), QStringLiteral("/my album.html"));
      QCOMPARE(opened[2].host(), QStringLiteral("127.0.0.1"));
      QCOMPARE(dialogs.shown.size(), std::size_t{1});
    }
  }

  void helpOpensTheHelpPageOrSaysItIsMissing() {
    const std::string saved = fotela::ProgramFolder();
    fotela::setProgramFolder(dir->file("photos"));
    std::vector<QUrl> opened;
    app::setDocumentOpener([&](const QUrl& url) {
      opened.push_back(url);
      return true;
    });
    QVERIFY(!app::showHelpPage(nullptr, *state, dialogs));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QCOMPARE(dialogs.shown[0].text, photos() + "/help.htm" + "がありません。");
    // Found whatever its letter case.
    writeFile(dir->file("photos/HELP.HTM"), "<html></html>");
    app::showHelpPage(nullptr, *state, dialogs);
    QCOMPARE(opened.size(), std::size_t{1});
    QVERIFY(QFileInfo::exists(opened[0].toLocalFile()));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    // An installed program finds it in share/fotela beside its bin folder.
    fs::create_directories(dir->file("usr/bin"));
    fs::create_directories(dir->file("usr/share/fotela"));
    writeFile(dir->file("usr/share/fotela/help.htm"), "<html></html>");
    fotela::setProgramFolder(dir->file("usr/bin"));
    app::showHelpPage(nullptr, *state, dialogs);
    QCOMPARE(opened.size(), std::size_t{2});
    QCOMPARE(opened[1],
             QUrl::fromLocalFile(QString::fromStdString(dir->file("usr/share/fotela/help.htm"))));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    app::setDocumentOpener(app::openWithDesktop);
    fotela::setProgramFolder(saved);
  }

  void aboutBoxShowsVersionAndFindsSystemInformation() {
    app::AboutBox about(dialogs);
    QCOMPARE(about.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 フォテラ"));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"))
                .match(app::AboutBox::versionText())
                .hasMatch());
    QStringList texts;
    for (QLabel* l : about.findChildren<QLabel*>()) texts << l->text();
    QVERIFY(texts.contains(QStringLiteral("写真表示用HTMLファイル作成プログラム")));
    QVERIFY(texts.contains(QStringLiteral("バージョン ") + app::AboutBox::versionText()));
    QPushButton* sysInfo = nullptr;
    for (QPushButton* b : about.findChildren<QPushButton*>())
      if (b->text() == QStringLiteral("ｼｽﾃﾑ情報(&S)...")) sysInfo = b;
    QVERIFY(sysInfo);

    const QByteArray savedPath = qgetenv("PATH");
    fs::create_directories(dir->file("bin"));
    qputenv("PATH", QByteArray::fromStdString(dir->file("bin")));
    sysInfo->click();
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QCOMPARE(dialogs.shown[0].text, "現時点ではｼｽﾃﾑ情報を使用できません");

    // The first program of the list that is on PATH is started.
    const std::string program =
        dir->file("bin/" + app::AboutBox::systemInfoPrograms().constLast().toStdString());
    writeFile(program, "#!/bin/sh\necho ran > \"$0.ran\"\n");
    fs::permissions(program, fs::perms::owner_all);
    sysInfo->click();
    qputenv("PATH", savedPath);
    QTRY_VERIFY(fs::exists(program + ".ran"));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
  }
};

QTEST_MAIN(MenuCommandsTest)
#include "menu_commands_test.moc"
