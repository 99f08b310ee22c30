// The main window as a user drives it: folders, the list, descriptions, saving the order,
// the build commands, placement.

#include <QAbstractProxyModel>
#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QTreeView>
#include <QtTest/QtTest>

#include <filesystem>
#include <memory>

#include "app_test_support.h"
#include "common/scripted_dialogs.h"
#include "editor/editor_window.h"
#include "main_window/description_dialog.h"
#include "main_window/photo_viewer.h"
#include "modal_helpers.h"
#include "photos/order_file.h"
#include "program/program_state.h"
#include "publish/album_pages.h"
#include "thumbnails/thumbnail_window.h"

using namespace fotela;
using fotela::app::MainWindow;
namespace fs = std::filesystem;

namespace {

// The script's answers, with a look at the window whenever a message or question comes.
struct WatchedDialogs final : UserDialogs {
  explicit WatchedDialogs(ScriptedDialogs& script) : script(script) {}
  void message(const std::string& text, const std::string& caption, DialogIcon icon) override {
    if (onShown) onShown();
    script.message(text, caption, icon);
  }
  DialogAnswer ask(const std::string& text, const std::string& caption, DialogButtons buttons,
                   DialogIcon icon) override {
    if (onShown) onShown();
    return script.ask(text, caption, buttons, icon);
  }
  ScriptedDialogs& script;
  std::function<void()> onShown;
};

// A loaded main window over a fresh state.
struct Session {
  explicit Session(const std::string& folder) {
    state.settings.PhotoFolder = folder;
    window = std::make_unique<MainWindow>(state, watched);
    window->show();
    window->load();
  }
  ProgramState state;
  ScriptedDialogs dialogs;
  WatchedDialogs watched{dialogs};
  std::unique_ptr<MainWindow> window;

  template <class T>
  T* find(const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  void trigger(const char* action) { find<QAction>(action)->trigger(); }
  // Starts a command by its button (作成) or menu item.
  void start(const char* command) {
    if (auto* button = find<QPushButton>(command))
      button->click();
    else
      trigger(command);
  }
  // Starts a build and waits for its end.
  bool build(const char* command) {
    QSignalSpy ended(window.get(), &MainWindow::buildFinished);
    start(command);
    return ended.wait(30000);
  }
  QString status() const { return find<QLabel>("sbStatusBar")->text(); }
  QString names() const {
    QStringList n;
    for (const PhotoEntry& e : state.photos) n << QString::fromStdString(e.name);
    return n.join(QChar(' '));
  }
  void select(std::initializer_list<int> rows) {
    auto* view = find<QTableView>("lvListView");
    view->clearSelection();
    for (int r : rows)
      view->selectionModel()->select(view->model()->index(r, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  bool asked(const std::string& text) const {
    for (const ShownDialog& d : dialogs.shown)
      if (d.text == text) return true;
    return false;
  }
};

std::string readText(const std::string& path) {
  return std::filesystem::exists(path) ? test::readFile(path) : std::string();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
  test::TempDir home_;

 private slots:
  void initTestCase() { test::isolateUserState(home_); }

  void controlsCarryTheirCaptions() {
    test::TempDir dir;
    Session s(test::makePhotoFolder(dir.path(), {"a.jpg"}));
    QVERIFY(test::waitForScan(*s.window));
    QCOMPARE(s.window->windowTitle(), QStringLiteral("フォテラ"));
    const struct {
      const char* name;
      const char* caption;
      bool enabled;
    } items[] = {{"mnuOpen", "開く(&O)", true},
                 {"mnuEnd", "終了(&Q)", true},
                 {"mnuAlbum", "アルバム作成(&A)", true},
                 {"mnuEditHTML", "アルバムＨＴＭＬのみ作成(&H)", true},
                 {"mnuthum", "縮小画像のみ作成", true},
                 {"mnuInf", "写真の説明文", true},
                 {"mnuInfSave", "写真の順序／説明文の保存", false},
                 {"mnuEditSet", "設定(&S)", true},
                 {"mnuEditDisp", "画像表示(&V)", true},
                 {"mnuEditAlbum", "アルバム表示(&D)", false},
                 {"mnuReDisp", "最新の情報に更新(&R)", true},
                 {"mnuCopy", "カメラより写真をコピー(&C)", false},
                 {"mnuDel", "カメラの写真を削除(&D)", false},
                 {"mnuMDir", "フォルダーを作成(&W)", true},
                 {"mnuMenu", "メニューHTMLを作成(&M)", true},
                 {"mnuEditImg", "画像の編集(&E)", true},
                 {"mnuSmallChr", "ファイル名を小文字に統一", true},
                 {"mnuHelphelp", "操作説明(&H)", true},
                 {"mnuHelpAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)", true}};
    for (const auto& item : items) {
      auto* action = s.find<QAction>(item.name);
      QVERIFY2(action, item.name);
      QCOMPARE(action->text(), QString::fromUtf8(item.caption));
      QCOMPARE(action->isEnabled(), item.enabled);
    }
    QCOMPARE(s.find<QAction>("mnuReDisp")->shortcut(), QKeySequence(Qt::Key_F5));
    const char* const buttons[][2] = {{"Command1", "作成"},
                                      {"Command2", "表示"},
                                      {"Command3", "終了"},
                                      {"Command4_0", "↑"},
                                      {"Command4_1", "↓"}};
    for (const auto& b : buttons)
      QCOMPARE(s.find<QPushButton>(b[0])->text(), QString::fromUtf8(b[1]));
    QVERIFY(!s.find<QPushButton>("Command2")->isEnabled());
    // The folder tree holds the folders' names only, with no header to read out.
    auto* tree = s.find<QTreeView>("Dir1");
    QVERIFY(tree->isHeaderHidden() && tree->model()->columnCount(tree->rootIndex()) == 1);
    QCOMPARE(s.status(), QString::fromStdString(dir.path()));
  }

  // Moving, sorting and describing set OrderChanged; the save question comes when leaving
  // the folder (chosen in the tree) or closing. OK writes the order file into the folder
  // being left, 保存しない goes on without it, キャンセル stays with the list and changes.
  void saveQuestionHasThreeAnswers_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closeInstead");
    for (const bool close : {false, true})
      for (const auto& [answer, name] :
           {std::pair(DialogAnswer::Ok, "OK"), std::pair(DialogAnswer::Discard, "保存しない"),
            std::pair(DialogAnswer::Cancel, "キャンセル")})
        QTest::addRow("%s, %s", close ? "close" : "folder change", name) << int(answer) << close;
  }
  void saveQuestionHasThreeAnswers() {
    QFETCH(int, answer);
    QFETCH(bool, closeInstead);
    test::TempDir dir;
    const std::string first = test::makePhotoFolder(dir.file("first"), {"a.jpg", "b.jpg", "c.jpg"});
    const std::string second = test::makePhotoFolder(dir.file("second"), {"x.jpg"});
    Session s(first);
    QVERIFY(test::waitForScan(*s.window));
    QCOMPARE(s.names(), QStringLiteral("a b c"));
    s.select({2});
    s.find<QPushButton>("Command4_0")->click();  // c above b
    QCOMPARE(s.names(), QStringLiteral("a c b"));
    QVERIFY(s.find<QAction>("mnuInfSave")->isEnabled());
    s.dialogs.answerNext(static_cast<DialogAnswer>(answer));
    const bool stays = answer == int(DialogAnswer::Cancel);
    auto* tree = s.find<QTreeView>("Dir1");
    auto* folders = qobject_cast<QAbstractProxyModel*>(tree->model());
    auto* files = qobject_cast<QFileSystemModel*>(folders->sourceModel());
    if (closeInstead) {
      s.window->close();
      QCOMPARE(s.window->isVisible(), stays);
    } else {
      s.window->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
      tree->setFocus();
      tree->setCurrentIndex(folders->mapFromSource(files->index(QString::fromStdString(second))));
      QVERIFY(test::waitForScan(*s.window));
    }
    QVERIFY(s.asked("写真の順序／説明文を保存しますか？"));
    QCOMPARE(s.names(), stays || closeInstead ? QStringLiteral("a c b") : QStringLiteral("x"));
    if (stays || !closeInstead) QCOMPARE(s.find<QAction>("mnuInfSave")->isEnabled(), stays);
    QCOMPARE(files->filePath(folders->mapToSource(tree->currentIndex())),
             QString::fromStdString(stays || closeInstead ? first : second));
    const std::string saved = readText(first + "/titlen.txt");
    QCOMPARE(saved, answer == int(DialogAnswer::Ok) ? std::string("a,a\r\nc,c\r\nb,b\r\n") : "");
    QVERIFY(!std::filesystem::exists(second + "/titlen.txt"));
  }

  void upDownMoveTheSelectionAsABlock() {
    test::TempDir dir;
    Session s(test::makePhotoFolder(dir.path(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    QVERIFY(test::waitForScan(*s.window));
    auto* view = s.find<QTableView>("lvListView");
    s.select({1, 2});
    QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(s.names(), QStringLiteral("a d b c"));
    s.find<QPushButton>("Command4_1")->click();  // already at the end: nothing
    QCOMPARE(s.names(), QStringLiteral("a d b c"));
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(s.names(), QStringLiteral("b c a d"));
    QCOMPARE(view->selectionModel()->selectedRows().size(), 2);
    QVERIFY(s.window->hasFocus() || view->hasFocus() || !QApplication::focusWidget());
    QCOMPARE(s.state.OrderChanged, 1);
    // Tab and Shift+Tab leave the list; the arrow keys move inside it.
    s.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    for (const auto& [key, modifier, inside] :
         {std::tuple(Qt::Key_Tab, Qt::NoModifier, false),
          std::tuple(Qt::Key_Backtab, Qt::ShiftModifier, false),
          std::tuple(Qt::Key_Down, Qt::NoModifier, true),
          std::tuple(Qt::Key_Up, Qt::NoModifier, true)}) {
      view->setFocus();
      QTest::keyClick(view, key, modifier);
      QCOMPARE(view->hasFocus(), inside);
    }
    // The header sorts ascending as text.
    QHeaderView* header = view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QCOMPARE(s.names(), QStringLiteral("a b c d"));
    s.select({3});
    QCOMPARE(s.window->selectedPhotoPath(), dir.path() + "/d.jpg");
    // The viewer: one window, reused for the next photo.
    s.trigger("mnuEditDisp");
    s.select({0});
    s.trigger("mnuEditDisp");
    const QList<app::PhotoViewer*> viewers = s.window->findChildren<app::PhotoViewer*>();
    QCOMPARE(viewers.size(), 1);
    QCOMPARE(viewers[0]->windowTitle(), QStringLiteral("画像View"));
    QCOMPARE(viewers[0]->shownFile(), QStringLiteral("a.jpg"));
    s.state.OrderChanged = 0;  // no question at the end
  }

  // The description window reads the thumbnail from ThumbFolder; ＯＫ takes the text,
  // キャンセル leaves the row.
  void descriptionWindow() {
    test::TempDir dir;
    const std::string folder = test::makePhotoFolder(dir.path(), {"a.jpg"});
    Session s(folder);
    QVERIFY(test::waitForScan(*s.window));
    s.state.settings.ThumbFolder = "thumbs";
    test::makePhotoFolder(folder + "/thumbs", {"a.jpg"}, 100, 75);
    for (bool ok : {false, true}) {
      bool showedPicture = false;
      test::onNextModal([&](QWidget* modal) {
        auto* form = qobject_cast<app::DescriptionDialog*>(modal);
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QStringLiteral("写真の説明文"));
        showedPicture = form->showsPicture();
        form->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("海辺"));
        form->findChild<QPushButton*>(ok ? QStringLiteral("Command1") : QStringLiteral("Command2"))
            ->click();
      });
      s.trigger("mnuInf");
      QVERIFY(showedPicture);
      QCOMPARE(QString::fromStdString(s.state.photos[0].description),
               ok ? QStringLiteral("海辺") : QStringLiteral("a"));
      QCOMPARE(s.state.OrderChanged, ok ? 1 : 0);
    }
    s.trigger("mnuInfSave");
    QCOMPARE(readText(folder + "/titlen.txt"), std::string("a,\x8a\x43\x95\xd3\r\n"));
    QVERIFY(!s.find<QAction>("mnuInfSave")->isEnabled());
  }

  // The build commands: the empty list, the full build, a failed pages-only run.
  void buildCommands() {
    test::TempDir dir;
    const std::string empty = dir.file("empty");
    std::filesystem::create_directories(empty);
    Session s(empty);
    QVERIFY(test::waitForScan(*s.window));
    const QString before = s.status();
    QVERIFY(s.build("Command1"));
    QCOMPARE(s.dialogs.shown.size(), std::size_t(1));
    QCOMPARE(s.dialogs.shown[0].text, std::string("対象画像がありません"));
    QCOMPARE(s.status(), before);
    // Pages only on the empty list: no success text, the list's own status.
    QVERIFY(s.build("mnuEditHTML"));
    QCOMPARE(s.status(), QStringLiteral("対象画像がありません"));
    QVERIFY(!std::filesystem::exists(empty + "/album.html"));

    // Pages only without copies fails with the writer's message; "表示" stays off.
    const std::string photos = test::makePhotoFolder(dir.file("photos"), {"a.jpg", "b.jpg"});
    QVERIFY(s.window->selectFolder(photos));
    QVERIFY(test::waitForScan(*s.window));
    s.dialogs.shown.clear();
    QVERIFY(s.build("mnuEditHTML"));
    QVERIFY(!s.dialogs.shown.empty());
    QCOMPARE(s.status(), QStringLiteral("アルバムを作成できませんでした。"));
    QVERIFY(!s.find<QPushButton>("Command2")->isEnabled());
    QVERIFY(!s.find<QAction>("mnuEditAlbum")->isEnabled());

    // The full build makes the copies and the pages; "表示" opens from now on.
    s.dialogs.shown.clear();
    QVERIFY(s.build("Command1"));
    QCOMPARE(s.status(), QStringLiteral("アルバムを作成しました。"));
    QVERIFY(std::filesystem::exists(photos + "/small/b.jpg"));
    QVERIFY(std::filesystem::exists(photos + "/big/a.jpg"));
    QVERIFY(std::filesystem::exists(photos + "/album.html"));
    QVERIFY(s.find<QPushButton>("Command2")->isEnabled());
    QVERIFY(s.find<QAction>("mnuEditAlbum")->isEnabled());
    QVERIFY(s.find<QPushButton>("Command1")->isEnabled());
    QVERIFY(!QApplication::overrideCursor());

    // A page that went missing is named.
    std::filesystem::remove(photos + "/album.html");
    s.find<QPushButton>("Command2")->click();
    QCOMPARE(s.dialogs.shown.back().text, photos + "/album.htmlがありません。");
    QCOMPARE(s.dialogs.shown.back().icon, DialogIcon::Warning);
  }

  // 作成 and アルバムＨＴＭＬのみ作成 write the pages on a worker: the command returns at once
  // and the window keeps answering, so the run's questions and messages come through its
  // event loop while the build commands are disabled; the status at the end is as before.
  void buildsRunOnAWorker_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("status");
    QTest::newRow("pages only, copies missing")
        << "mnuEditHTML" << QString::fromUtf8(kMissingCopyMessage)
        << "アルバムを作成できませんでした。";
    QTest::newRow("full build over old copies") << "Command1"
                                                << "縮小画像を作成しますか？"
                                                << "アルバムを作成しました。";
  }
  void buildsRunOnAWorker() {
    QFETCH(QString, command);
    QFETCH(QString, shown);
    QFETCH(QString, status);
    test::TempDir dir;
    const std::string folder = test::makePhotoFolder(dir.path(), {"a.jpg", "b.jpg"});
    for (const char* sub : {"/small", "/big"}) fs::create_directories(folder + sub);
    Session s(folder);
    QVERIFY(test::waitForScan(*s.window));
    bool returned = false;
    QStringList seen;  // the command had returned; the status; a build command enabled
    s.watched.onShown = [&] {
      const bool enabled = s.find<QPushButton>("Command1")->isEnabled() ||
                           s.find<QAction>("mnuEditHTML")->isEnabled();
      seen << QStringLiteral("%1 %2 %3").arg(int(returned)).arg(s.status()).arg(int(enabled));
    };
    QSignalSpy ended(s.window.get(), &MainWindow::buildFinished);
    s.start(command.toUtf8().constData());
    returned = true;
    QVERIFY(ended.wait(30000));
    QCOMPARE(seen, QStringList{QStringLiteral("1 アルバム作成中 0")});
    QCOMPARE(QString::fromStdString(s.dialogs.shown.at(0).text), shown);
    QCOMPARE(s.status(), status);
    QVERIFY(s.find<QPushButton>("Command1")->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
  }

  // The album style: chosen in the settings dialog, kept per user and not in the settings
  // file, in the state at once and again at the next start.
  void albumStyleIsKeptPerUser_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shownFirst");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("kept");
    QTest::newRow("none stored, モダン chosen") << ""
                                                << "標準"
                                                << "モダン"
                                                << "modern";
    QTest::newRow("modern stored, 標準 chosen") << "modern"
                                                << "モダン"
                                                << "標準"
                                                << "classic";
    QTest::newRow("unknown stored, モダン chosen") << "fancy"
                                                   << "標準"
                                                   << "モダン"
                                                   << "modern";
  }
  void albumStyleIsKeptPerUser() {
    QFETCH(QString, stored);
    QFETCH(QString, shownFirst);
    QFETCH(QString, choice);
    QFETCH(QString, kept);
    const QString key = QStringLiteral("Settings/AlbumStyle");
    QSettings(QStringLiteral("フォテラ"), QStringLiteral("フォテラ")).setValue(key, stored);
    const int want =
        int(kept == QStringLiteral("modern") ? AlbumStyle::Modern : AlbumStyle::Classic);
    test::TempDir dir;
    {
      Session s(dir.path());
      QVERIFY(test::waitForScan(*s.window));
      QString first;
      test::onNextModal([&](QWidget* dialog) {
        for (QLabel* label : dialog->findChildren<QLabel*>())
          if (auto* box = qobject_cast<QComboBox*>(label->buddy());
              box && label->text() == QStringLiteral("アルバムの形式")) {
            first = box->currentText();
            box->setCurrentText(choice);
          }
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
          if (b->text() == QStringLiteral("OK")) b->click();
      });
      s.trigger("mnuEditSet");
      QCOMPARE(first, shownFirst);
      QCOMPARE(int(s.state.albumStyle), want);
      s.window->close();
    }
    QCOMPARE(
        QSettings(QStringLiteral("フォテラ"), QStringLiteral("フォテラ")).value(key).toString(),
        kept);
    QVERIFY(readText(home_.file("program/fotela.ini")).find(kept.toStdString()) ==
            std::string::npos);
    Session again(dir.path());
    QCOMPARE(int(again.state.albumStyle), want);
    again.window->close();
    fs::remove(home_.file("program/fotela.ini"));
  }

  // "中止" ends the run after the copy being made: the copies written are whole, the rest
  // is not made, and the window closes.
  void stopDuringTheCopies_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("中止") << false;
    QTest::newRow("close box") << true;
  }
  void stopDuringTheCopies() {
    QFETCH(bool, closeBox);
    test::TempDir dir;
    ProgramState state;
    state.settings = defaultAlbumSettings();
    state.settings.PhotoFolder = dir.path();
    for (int i = 0; i < 40; ++i) {
      const std::string name = "p" + std::to_string(100 + i);
      test::writeJpeg(dir.file(name + ".jpg"), 1600, 1200, 0x204080 + i);
      state.photos.push_back({name, "jpg", "1600", "1200", "", "", name});
    }
    ScriptedDialogs dialogs;
    app::ThumbnailWindow window(dialogs);
    QCOMPARE(window.windowTitle(), QStringLiteral("縮小画像作成"));
    bool clicked = false;
    auto* stop = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    QCOMPARE(stop->text(), QStringLiteral("中止"));
    auto* preview = window.findChild<QLabel*>(QStringLiteral("Picture2"));
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
      if (!clicked && !preview->pixmap().isNull()) {
        clicked = true;
        if (closeBox)
          window.close();
        else
          stop->click();
      }
    });
    poll.start(1);
    const ThumbRunResult result = window.runModal(state, CopyMode::All);
    QVERIFY(clicked);
    QVERIFY(result.stopped);
    QVERIFY(!window.isVisible());
    std::size_t large = 0;
    for (const auto& f : std::filesystem::directory_iterator(dir.file("big"))) {
      ++large;
      QVERIFY(test::readFile(f.path().string()).ends_with("\xff\xd9"));
    }
    QVERIFY(large >= 1 && large < 40);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.file("small")), {}), 0);
  }

  // Copies only: the thumbnail window is not modal, so whatever would change the folder,
  // the list or start a build waits for its end; closing the main window stops it first.
  void copiesOnlyHoldTheFolder() {
    test::TempDir dir;
    const std::string folder = dir.path();
    for (int i = 0; i < 30; ++i)
      test::writeJpeg(dir.file("p" + std::to_string(100 + i) + ".jpg"), 1600, 1200);
    Session s(folder);
    QVERIFY(test::waitForScan(*s.window));
    s.state.albumStyle = AlbumStyle::Modern;  // the run's snapshot keeps the style
    s.trigger("mnuthum");
    auto* copies = s.window->findChild<app::ThumbnailWindow*>();
    QVERIFY(copies && copies->isVisible() && !copies->isModal());
    QVERIFY(copies->running());
    for (const char* name : {"mnuOpen", "mnuReDisp", "mnuAlbum", "mnuEditHTML", "mnuthum"})
      QVERIFY2(!s.find<QAction>(name)->isEnabled(), name);
    for (const char* name : {"Command1", "Command4_0", "Command4_1"})
      QVERIFY2(!s.find<QPushButton>(name)->isEnabled(), name);
    QVERIFY(!s.find<QWidget>("Dir1")->isEnabled());
    QVERIFY(!s.find<QWidget>("Drive1")->isEnabled());
    s.window->close();
    QVERIFY(!s.window->findChild<app::ThumbnailWindow*>() || !copies->running());
    QVERIFY(fs::is_directory(folder + "/big/2x"));
    for (const auto& f : fs::recursive_directory_iterator(folder + "/big"))
      if (f.is_regular_file()) QVERIFY(test::readFile(f.path().string()).ends_with("\xff\xd9"));
  }

  // A start folder that is gone: the program folder is selected and scanned.
  void missingStartFolder() {
    test::TempDir dir;
    test::writeJpeg(ProgramFolder() + "/here.jpg", 64, 48);
    Session s(dir.file("gone"));
    QVERIFY(test::waitForScan(*s.window));
    QCOMPARE(s.state.settings.PhotoFolder, ProgramFolder());
    QCOMPARE(s.names(), QStringLiteral("here"));
    s.window->close();
    fs::remove(ProgramFolder() + "/here.jpg");
    fs::remove(ProgramFolder() + "/fotela.ini");
  }

  // Placement in twips: 3/4 of the screen (at most 1200 x 800), centred, on the first
  // start, then what the window had at closing.
  void placementRoundTrip() {
    QSettings(QStringLiteral("フォテラ"), QStringLiteral("フォテラ")).clear();
    test::TempDir dir;
    QRect closedAt;
    {
      Session s(dir.path());
      QVERIFY(test::waitForScan(*s.window));
      const QRect screen = s.window->screen()->availableGeometry();
      const QSize first = (screen.size() * 3 / 4).boundedTo(QSize(1200, 800));
      QCOMPARE(s.window->size(), first.expandedTo(s.window->minimumSize()));
      QCOMPARE(s.window->geometry().center(), screen.center());
      auto* list = s.find<QTableView>("lvListView");
      QTRY_VERIFY(list->horizontalHeader()->length() <= list->viewport()->width());
      s.window->setGeometry(120, 90, 640, 480);
      closedAt = QRect(s.window->pos(), s.window->size());
      s.window->close();
    }
    QSettings store(QStringLiteral("フォテラ"), QStringLiteral("フォテラ"));
    QCOMPARE(store.value(QStringLiteral("Settings/MainWidth")).toString(),
             QString::number(closedAt.width() * 15));
    QCOMPARE(store.value(QStringLiteral("Settings/ViewMode")).toString(), QStringLiteral("3"));
    Session again(dir.path());
    QCOMPARE(QRect(again.window->pos(), again.window->size()), closedAt);
  }

  // From the minimum size up no control lies over another or outside the window.
  void controlsNeverOverlap() {
    test::TempDir dir;
    Session s(test::makePhotoFolder(dir.path(), {"a.jpg"}));
    QVERIFY(test::waitForScan(*s.window));
    const QSize minimum = s.window->minimumSize();
    QVERIFY(minimum.width() >= 200);
    const char* const names[] = {"Label1",   "Text1",      "Command1",   "Command2",
                                 "Command3", "Command4_0", "Command4_1", "Drive1",
                                 "Dir1",     "lvListView", "sbStatusBar"};
    for (const QSize size :
         {minimum, minimum + QSize(29, 7), QSize(600, 450), QSize(1200, 800), QSize(1600, 300)}) {
      s.window->resize(size);
      QTRY_COMPARE(s.window->size(), size.expandedTo(minimum));
      std::vector<std::pair<QString, QRect>> placed;
      for (const char* name : names) {
        auto* w = s.find<QWidget>(name);
        placed.emplace_back(name, QRect(w->mapTo(s.window.get(), QPoint()), w->size()));
        QVERIFY2(s.window->rect().contains(placed.back().second), name);
      }
      for (std::size_t i = 0; i < placed.size(); ++i)
        for (std::size_t j = i + 1; j < placed.size(); ++j)
          QVERIFY2(!placed[i].second.intersects(placed[j].second),
                   qPrintable(QStringLiteral("%1 / %2 at %3x%4")
                                  .arg(placed[i].first, placed[j].first)
                                  .arg(size.width())
                                  .arg(size.height())));
    }
  }

  // Windows that grow to a 6000 x 4000 photo stay on the screen: the viewer and the editor.
  void windowsStayOnScreen() {
    test::TempDir dir;
    Session s(test::makePhotoFolder(dir.path(), {"big.jpg"}, 6000, 4000));
    QVERIFY(test::waitForScan(*s.window));
    const QRect screen = s.window->screen()->availableGeometry();
    QVERIFY(screen.contains(s.window->frameGeometry()));
    s.trigger("mnuEditDisp");
    auto* viewer = s.window->findChild<app::PhotoViewer*>();
    QVERIFY(viewer && screen.contains(viewer->frameGeometry()));
    QRect editorAt;
    whenModal<app::EditorWindow>([&editorAt](app::EditorWindow* editor) {
      auto done = [&editorAt, editor] {
        editorAt = editor->frameGeometry();
        editor->close();
      };
      if (!editor->busy()) done();
      QObject::connect(editor, &app::EditorWindow::commandFinished, editor, done);
    });
    s.trigger("mnuEditImg");
    QVERIFY(!editorAt.isEmpty() && screen.contains(editorAt));
  }

  // A title typed into the box survives folder changes; closing writes the settings file.
  void typedTitleIsKept() {
    test::TempDir dir;
    const std::string one = test::makePhotoFolder(dir.file("one"), {"a.jpg"});
    const std::string two = test::makePhotoFolder(dir.file("two"), {"b.jpg"});
    Session s(one);
    s.state.settings.TitleFromFolder = 1;
    QVERIFY(test::waitForScan(*s.window));
    auto* title = s.find<QLineEdit>("Text1");
    title->setText(QStringLiteral("夏の旅"));
    emit title->editingFinished();
    QVERIFY(s.window->selectFolder(two));
    QVERIFY(test::waitForScan(*s.window));
    QCOMPARE(title->text(), QStringLiteral("夏の旅"));
    s.window->close();
    QVERIFY(readText(home_.file("program/fotela.ini")).find(two) != std::string::npos);
    std::filesystem::remove(home_.file("program/fotela.ini"));
  }

  // The tools reach their windows from the menu: the editor opens on the selected photo and
  // the list is read again after it; the camera items follow the camera folder; a missing
  // album page is named.
  void toolsAreWired() {
    test::TempDir dir;
    const std::string folder = test::makePhotoFolder(dir.file("photos"), {"a.jpg", "b.jpg"});
    Session s(folder);
    QVERIFY(test::waitForScan(*s.window));
    s.select({1});
    QString edited;
    whenModal<app::EditorWindow>([&edited](app::EditorWindow* editor) {
      edited = editor->photoPath();
      // The photo is read on a worker first; closing waits for that.
      if (!editor->busy()) editor->close();
      QObject::connect(editor, &app::EditorWindow::commandFinished, editor, &QWidget::close);
    });
    QSignalSpy rescanned(s.window.get(), &MainWindow::folderScanned);
    s.trigger("mnuEditImg");
    QCOMPARE(edited, QString::fromStdString(folder + "/b.jpg"));
    QVERIFY(rescanned.wait(5000));

    for (const std::string& camera : {dir.path() + "/", std::string()}) {
      s.state.settings.CameraFolder = camera;
      s.window->applySettingsToWindow();
      QCOMPARE(s.find<QAction>("mnuCopy")->isEnabled(), !camera.empty());
      QCOMPARE(s.find<QAction>("mnuDel")->isEnabled(), !camera.empty());
    }

    s.state.LastAlbumPage = folder + "/album.html";
    s.window->showAlbum();
    QVERIFY(s.asked(folder + "/album.htmlがありません。"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
