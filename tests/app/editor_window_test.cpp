// The editor window as the user drives it: menus, the parameter dialog, the file
// commands, the close question, the batch over the folder, a save that fails.

#include <QtTest/QtTest>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <filesystem>
#include <functional>

#include "common/scripted_dialogs.h"
#include "core/support/test_files.h"
#include "editor/editor_window.h"
#include "editor/parameter_dialog.h"
#include "imaging/codec.h"
#include "program/program_state.h"

using fotela::DialogAnswer;
using fotela::app::EditorWindow;
using fotela::app::ParameterDialog;

namespace {

// Runs `fill` on the parameter dialog once it is up (then the fill presses a button).
void whenDialogShows(std::function<void(ParameterDialog&)> fill) {
  QTimer::singleShot(0, [fill = std::move(fill)]() mutable {
    if (auto* dialog = qobject_cast<ParameterDialog*>(QApplication::activeModalWidget()))
      fill(*dialog);
    else
      whenDialogShows(std::move(fill));
  });
}

void answer(ParameterDialog& d, const QString& text1, const QString& text2,
            bool allPhotos = false) {
  d.findChild<QLineEdit*>("Text1")->setText(text1);
  d.findChild<QLineEdit*>("Text2")->setText(text2);
  d.findChild<QCheckBox*>("Check1")->setChecked(allPhotos);
  d.findChild<QPushButton*>("OKButton")->click();
}

fotela::Image load(const std::string& path) {
  fotela::Result<fotela::Image> image = fotela::loadJpeg(path);
  return image ? *image : fotela::Image{};
}

}  // namespace

class EditorWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<fotela::test::TempDir> dir;
  std::unique_ptr<fotela::ProgramState> state;
  std::unique_ptr<fotela::ScriptedDialogs> dialogs;
  std::unique_ptr<EditorWindow> window;

  std::string photo(const std::string& name, int w = 40, int h = 20) {
    const std::string path = dir->file(name + ".jpg");
    fotela::test::writeJpeg(path, w, h, 0x808080);
    state->photos.push_back(fotela::PhotoEntry{name, "jpg", "", "", "", "", ""});
    return path;
  }

  // The editor opened on `path`, its first photo loaded.
  void open(const std::string& path) {
    window = std::make_unique<EditorWindow>(*state, *dialogs, QString::fromStdString(path));
    QSignalSpy loaded(window.get(), &EditorWindow::commandFinished);
    window->show();
    QVERIFY(loaded.wait());
  }

  // Triggers a menu item and waits until its work is done.
  bool run(const char* item) {
    QSignalSpy done(window.get(), &EditorWindow::commandFinished);
    QAction* action = window->findChild<QAction*>(item);
    if (!action) return false;
    action->trigger();
    return done.count() > 0 || done.wait();
  }

  // Closes by the close box; true when the window went.
  bool closeByBox() {
    QSignalSpy saved(window.get(), &EditorWindow::commandFinished);
    window->close();
    if (window->isVisible()) saved.wait();
    return !window->isVisible();
  }

  std::size_t questions(const std::string& text) const {
    return std::ranges::count_if(dialogs->shown,
                                 [&](const auto& d) { return d.question && d.text == text; });
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    dir = std::make_unique<fotela::test::TempDir>();
    state = std::make_unique<fotela::ProgramState>();
    state->settings.PhotoFolder = dir->path();
    dialogs = std::make_unique<fotela::ScriptedDialogs>(DialogAnswer::No);
  }
  void cleanup() {
    window.reset();
    dialogs.reset();
    state.reset();
    dir.reset();
  }

  void windowAndMenus() {
    open(photo("narrow", 20, 3000));
    QCOMPARE(window->windowTitle(), QStringLiteral("写真編集"));
    QVERIFY(window->isModal());
    QVERIFY(window->frameGeometry().width() >= 153);
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY(screen.contains(window->frameGeometry()));
    QStringList captions;
    for (QAction* menu : window->findChild<QMenuBar*>()->actions()) {
      captions << menu->text();
      for (QAction* item : menu->menu()->actions())
        if (!item->isSeparator()) captions << item->text();
    }
    QCOMPARE(captions,
             (QStringList{"ファイル(&F)", "開く(&O)", "上書き保存(&S)", "名前を付けて保存(&A)",
                          "写真を再読込(&R)", "保存して閉じる(&E)", "保存しないで閉じる(&C)",
                          "編集(&E)", "時計回り９０度回転", "反時計回り９０度回転", "１８０度回転",
                          "写真加工", "拡大／縮小", "四角枠（立体）", "四角枠（ぼかし）",
                          "楕円（色ぼかし）", "楕円（ピントぼかし）", "合成"}));
  }

  // Each effect command through the dialog: its caption, the stored texts, the photo changed.
  void effectCommands_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QString>("stored");  // the settings fields, joined with "|"
    QTest::newRow("scale") << "mnuKakuSyuku"
                           << "拡大／縮小"
                           << "50"
                           << ""
                           << "50|||||";
    QTest::newRow("raised frame") << "mnuWaku"
                                  << "四角枠（立体）"
                                  << "3"
                                  << "FF0000"
                                  << "|3 FF0000||||";
    QTest::newRow("blur frame") << "mnuWaku2"
                                << "四角枠（ぼかし）"
                                << "2"
                                << "00FF00"
                                << "||2 00FF00|||";
    QTest::newRow("colour blur") << "mnuDaenIro"
                                 << "楕円（色ぼかし）"
                                 << "4"
                                 << "0000FF"
                                 << "|||4 0000FF||";
    QTest::newRow("focus blur") << "mnuDaenPint"
                                << "楕円（ピントぼかし）"
                                << "5"
                                << ""
                                << "||||5|";
    QTest::newRow("composite") << "mnuGousei"
                               << "合成"
                               << "OVERLAY"
                               << "000000"
                               << "|||||OVERLAY 000000";
  }
  void effectCommands() {
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(QString, stored);
    const std::string path = photo("p", 40, 30);
    const std::string overlay = dir->file("overlay.jpg");
    fotela::test::writeJpeg(overlay, 10, 10, 0x0000FF);
    text1.replace("OVERLAY", QString::fromStdString(overlay));
    stored.replace("OVERLAY", QString::fromStdString(overlay));
    open(path);

    QString shownCaption;
    whenDialogShows([&](ParameterDialog& d) {
      shownCaption = d.windowTitle();
      answer(d, text1, text2);
    });
    QVERIFY(run(item.toLatin1().constData()));
    QCOMPARE(shownCaption, caption);
    const fotela::AlbumSettings& s = state->settings;
    auto pair = [](const std::string& a, const std::string& b) {
      return QString::fromStdString(b.empty() ? a : a + " " + b);
    };
    QCOMPARE(QStringList({pair(s.EditScalePercent, ""), pair(s.EditFrameWidth, s.EditFrameColor),
                          pair(s.EditBlurFrameWidth, s.EditBlurFrameColor),
                          pair(s.EditEllipseBlurWidth, s.EditEllipseBlurColor),
                          pair(s.EditFocusBlurWidth, ""),
                          pair(s.EditCompositeFile, s.EditTransparentColor)})
                 .join("|"),
             stored);
    QVERIFY(dialogs->shown.empty());
    QVERIFY(closeByBox());
    QCOMPARE(questions("写真を保存しますか？"), 1u);
  }

  // Refusals: a width over half the photo gives its message; cancel, an empty box and the
  // ratio "100" stop silently and leave the photo unchanged.
  void refusals() {
    open(photo("r", 40, 30));
    const struct {
      const char* item;
      QString text1;
      bool ok;
      const char* message;
    } cases[] = {
        {"mnuDaenIro", "16", true, "幅は写真の大きさの半分以内の長さを指定してください"},
        {"mnuDaenPint", "16", true, "幅は写真の大きさの半分以内の長さを指定してください"},
        {"mnuKakuSyuku", "100", true, nullptr},
        {"mnuWaku", "", true, nullptr},
        {"mnuWaku", "5", false, nullptr},
    };
    for (const auto& c : cases) {
      dialogs->shown.clear();
      whenDialogShows([&](ParameterDialog& d) {
        d.findChild<QLineEdit*>("Text1")->setText(c.text1);
        d.findChild<QPushButton*>(c.ok ? "OKButton" : "CancelButton")->click();
      });
      window->findChild<QAction*>(c.item)->trigger();
      QVERIFY2(!window->busy(), c.item);
      if (c.message) {
        QCOMPARE(dialogs->shown.size(), 1u);
        QCOMPARE(dialogs->shown[0].text, std::string(c.message));
        QCOMPARE(dialogs->shown[0].caption, std::string("エラー"));
      } else {
        QVERIFY2(dialogs->shown.empty(), c.item);
      }
    }
    QVERIFY(closeByBox());
    QCOMPARE(questions("写真を保存しますか？"), 0u);
  }

  void openSaveSaveAsReload() {
    const std::string first = photo("first", 40, 20);
    const std::string second = photo("second", 30, 10);
    const std::string renamed = dir->file("renamed.jpg");
    open(first);
    QStringList titles;
    QString next;
    const auto chooser = [&](const QString& title, const QString&) -> std::optional<QString> {
      titles << title;
      if (next.isEmpty()) return std::nullopt;
      return next;
    };
    window->setFileChooser(chooser);

    QVERIFY(run("mnu90"));
    QVERIFY(run("mnuSave"));
    QCOMPARE(load(first).width(), 20);  // saved turned

    QVERIFY(run("mnu90"));
    next = QString::fromStdString(renamed);
    QVERIFY(run("mnuNewSave"));
    QCOMPARE(load(renamed).width(), 40);
    QVERIFY(run("mnu90"));
    QVERIFY(run("mnuSave"));
    QCOMPARE(load(renamed).width(), 20);  // later saves go to the new name
    QCOMPARE(load(first).width(), 20);

    QVERIFY(run("mnu90"));
    QVERIFY(run("mnuReOpen"));  // drops the turn
    QVERIFY(closeByBox());
    QCOMPARE(questions("写真を保存しますか？"), 0u);

    open(first);
    window->setFileChooser(chooser);
    QVERIFY(run("mnu180"));
    next = QString::fromStdString(second);
    QVERIFY(run("mnuOpne"));  // no question; the turn is dropped
    QCOMPARE(window->photoPath(), QString::fromStdString(second));
    next.clear();
    window->findChild<QAction*>("mnuOpne")->trigger();  // cancelled: nothing happens
    QCOMPARE(window->photoPath(), QString::fromStdString(second));
    QCOMPARE(titles, QStringList({"写真の読込", "写真の読込", "写真の読込"}));
    QVERIFY(closeByBox());
    QVERIFY(dialogs->shown.empty());
  }

  void closeQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saved");
    QTest::newRow("yes") << int(DialogAnswer::Yes) << true;
    QTest::newRow("no") << int(DialogAnswer::No) << false;
  }
  void closeQuestion() {
    QFETCH(int, answer);
    QFETCH(bool, saved);
    const std::string path = photo("c", 40, 20);
    open(path);
    QVERIFY(run("mnu270"));
    dialogs->answerNext(DialogAnswer(answer));
    QVERIFY(closeByBox());
    QCOMPARE(questions("写真を保存しますか？"), 1u);
    QCOMPARE(dialogs->shown[0].caption, std::string("写真の保存"));
    QCOMPARE(load(path).width(), saved ? 20 : 40);

    // The menu's close items never ask.
    for (const char* item : {"mnuEnd", "mnuCansel"}) {
      dialogs->shown.clear();
      open(path);
      QVERIFY(run("mnu90"));
      const int before = load(path).width();
      QSignalSpy done(window.get(), &EditorWindow::commandFinished);
      window->findChild<QAction*>(item)->trigger();
      if (window->isVisible()) QVERIFY(done.wait());
      QVERIFY(!window->isVisible());
      QVERIFY(dialogs->shown.empty());
      QCOMPARE(load(path).width(), std::string(item) == "mnuEnd" ? 60 - before : before);
    }
  }

  void batchOverTheFolder() {
    std::vector<std::string> paths;
    for (const char* name : {"b1", "b2", "b3", "b4"}) paths.push_back(photo(name, 30, 20));
    open(paths[0]);
    QVERIFY(run("mnu90"));
    dialogs->answerNext(DialogAnswer::No);  // do not save the turned photo first
    whenDialogShows([](ParameterDialog& d) { answer(d, "3", "FF0000", true); });
    QVERIFY(run("mnuWaku"));
    QCOMPARE(questions("現在の写真の変更を保存しますか？"), 1u);
    for (const std::string& p : paths) {
      const fotela::Image back = load(p);
      QCOMPARE(back.width(), 30);  // the unsaved turn was dropped
      QVERIFY2((back.pixel(0, 10) & 0xFF) > 0xC0, p.c_str());
    }
    QCOMPARE(window->photoPath(), QString::fromStdString(paths.back()));
    bool ticked = true;
    whenDialogShows([&](ParameterDialog& d) {
      ticked = d.findChild<QCheckBox*>("Check1")->isChecked();
      d.findChild<QPushButton*>("CancelButton")->click();
    });
    window->findChild<QAction*>("mnuWaku")->trigger();
    QVERIFY(!ticked);
    QVERIFY(closeByBox());
    QCOMPARE(questions("写真を保存しますか？"), 0u);
  }

  // Stopped from the progress window: every photo is either fully edited or untouched.
  void stoppedBatch() {
    std::vector<std::string> paths, before;
    for (int k = 0; k < 8; ++k) {
      paths.push_back(photo("s" + std::to_string(k), 400, 300));
      before.push_back(fotela::test::readFile(paths.back()));
    }
    open(paths[0]);
    whenDialogShows([](ParameterDialog& d) { answer(d, "20", "0000FF", true); });
    QSignalSpy done(window.get(), &EditorWindow::commandFinished);
    QString progressTitle;
    QTimer stopWhenShown;  // polls until the progress window is up, then presses 中止
    connect(&stopWhenShown, &QTimer::timeout, [&] {
      auto* progress = window->findChild<QProgressDialog*>();
      if (!progress || !progress->isVisible()) return;
      progressTitle = progress->windowTitle();
      progress->cancel();
      stopWhenShown.stop();
    });
    stopWhenShown.start(0);
    window->findChild<QAction*>("mnuWaku")->trigger();
    QVERIFY(done.count() > 0 || done.wait());
    QCOMPARE(progressTitle, QStringLiteral("一括加工"));
    for (std::size_t k = 0; k < paths.size(); ++k) {
      if (fotela::test::readFile(paths[k]) == before[k]) continue;
      const fotela::Image back = load(paths[k]);
      QCOMPARE(back.width(), 400);
      QVERIFY2(((back.pixel(0, 150) >> 16) & 0xFF) > 0xC0, paths[k].c_str());
    }
    QVERIFY(window->findChild<QProgressDialog*>() == nullptr ||
            !window->findChild<QProgressDialog*>()->isVisible());
  }

  // A save that cannot be written keeps the picture and the change, and names the file.
  void failedSave() {
    const std::filesystem::path sub = std::filesystem::path(dir->path()) / "sub";
    std::filesystem::create_directory(sub);
    const std::string path = (sub / "f.jpg").string();
    fotela::test::writeJpeg(path, 40, 20);
    open(path);
    QVERIFY(run("mnu90"));
    std::filesystem::rename(sub, std::filesystem::path(dir->path()) / "moved");
    fotela::test::writeFile(sub.string(), "not a folder");

    QVERIFY(run("mnuSave"));
    QCOMPARE(dialogs->shown.size(), 1u);
    QVERIFY(dialogs->shown[0].text.find(path) != std::string::npos);
    QVERIFY(run("mnuEnd"));
    QVERIFY2(window->isVisible(), "save and close stays open after a failed save");

    dialogs->answerNext(DialogAnswer::Yes);
    window->close();
    QVERIFY(QTest::qWaitFor([&] { return dialogs->shown.size() == 4; }));
    QVERIFY2(window->isVisible(), "the changes are kept");
    dialogs->answerNext(DialogAnswer::No);
    QVERIFY(closeByBox());
  }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
