// The settings dialog driven as a user would: boxes found by their captions, the real
// colour and file dialogs answered, messages read from the scripted dialogs.

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest/QtTest>
#include <filesystem>
#include <memory>

#include "common/cp932.h"
#include "common/scripted_dialogs.h"
#include "core/support/test_files.h"
#include "modal_helpers.h"
#include "program/program_state.h"
#include "settings/settings_file.h"
#include "settings_ui/settings_dialog.h"

using fotela::DialogIcon;
using fotela::ProgramState;
using fotela::ScriptedDialogs;
using fotela::app::SettingsDialog;
using fotela::test::TempDir;

namespace {

// Top to bottom, as the dialog shows them.
const char* const kBoxCaptions[] = {"タイトル",           "アルバムＨＴＭＬ", "サムネイルフォルダ",
                                    "画像フォルダ",       "フレーム横幅",     "一覧ページ横幅",
                                    "スライドショー時間", "背景色",           "文字色",
                                    "リンク色",           "訪問済色",         "リンク中色",
                                    "背景画像",           "戻り先",           "カメラのアドレス",
                                    "動画を対象とする",   "アルバムの形式"};

QWidget* boxOf(QWidget& dialog, const QString& caption) {
  for (QLabel* label : dialog.findChildren<QLabel*>())
    if (label->text() == caption) return label->buddy();
  return nullptr;
}
QLineEdit* lineOf(QWidget& dialog, const QString& caption) {
  return qobject_cast<QLineEdit*>(boxOf(dialog, caption));
}
QPushButton* buttonOf(QWidget& dialog, const QString& text, const QString& row = {}) {
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->text() == text && (row.isEmpty() || b->accessibleDescription() == row)) return b;
  return nullptr;
}
QAction* actionOf(QWidget& dialog, const QString& text) {
  for (QAction* a : dialog.findChildren<QAction*>())
    if (a->text() == text) return a;
  return nullptr;
}

// Chooses `path` in the next file dialog, after checking its title and filters.
void chooseFile(const QString& path, const QString& title, const QStringList& filters,
                QString* startFolder = nullptr) {
  whenModal<QFileDialog>([=](QFileDialog* d) {
    QCOMPARE(d->windowTitle(), title);
    if (!filters.isEmpty()) QCOMPARE(d->nameFilters(), filters);
    if (startFolder) *startFolder = d->directory().absolutePath();
    if (path.isEmpty()) {
      d->reject();
      return;
    }
    d->selectFile(path);
    static_cast<QDialog*>(d)->accept();  // the file dialog's own accept() checks the name
  });
}

}  // namespace

class SettingsDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> dir;
  std::unique_ptr<ProgramState> statePtr;
  ProgramState& state() { return *statePtr; }
  ScriptedDialogs dialogs;

  std::string photos() const { return dir->file("photos"); }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() {
    dir = std::make_unique<TempDir>();
    std::filesystem::create_directories(dir->file("photos/bg"));
    statePtr = std::make_unique<ProgramState>();
    state().settings = fotela::defaultAlbumSettings();
    state().settings.PhotoFolder = photos();
    dialogs.shown.clear();
  }

  void everyControlHasItsCaptionInOrder() {
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("設定"));
    int lastTop = -1;
    for (const char* caption : kBoxCaptions) {
      QWidget* box = boxOf(dialog, QString::fromUtf8(caption));
      QVERIFY2(box, caption);
      QCOMPARE(box->accessibleName(), QString::fromUtf8(caption));
      const int top = box->mapTo(&dialog, QPoint(0, 0)).y();
      QVERIFY2(top > lastTop, caption);
      lastTop = top;
    }
    for (const char* row : {"背景色", "文字色", "リンク色", "訪問済色", "リンク中色", "背景画像",
                            "戻り先", "カメラのアドレス"})
      QVERIFY2(buttonOf(dialog, QStringLiteral("参照"), QString::fromUtf8(row)), row);
    for (const char* text : {"OK", "ｷｬﾝｾﾙ", "デフォルト"}) QVERIFY2(buttonOf(dialog, text), text);
    QVERIFY(actionOf(dialog, QStringLiteral("設定の読込(&O)")));
    QVERIFY(actionOf(dialog, QStringLiteral("設定の保存(&P)")));
    // The folder's name is the title while the check box is set.
    auto* check = dialog.findChild<QCheckBox*>();
    QCOMPARE(check->text(), QStringLiteral("タイトルをフォルダー名にする"));
    QVERIFY(check->isChecked());
    QCOMPARE(lineOf(dialog, "タイトル")->text(), QStringLiteral("photos"));
    QVERIFY(!lineOf(dialog, "タイトル")->isEnabled());
    check->click();
    QVERIFY(lineOf(dialog, "タイトル")->isEnabled());
  }

  void refusedValuesGetAMessageAndTheFocus_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("says");
    QTest::newRow("empty thumbs") << "サムネイルフォルダ"
                                  << ""
                                  << "サムネイルフォルダ";
    QTest::newRow("dot") << "サムネイルフォルダ"
                         << "."
                         << "サムネイルフォルダ";
    QTest::newRow("dot dot") << "画像フォルダ"
                             << ".."
                             << "画像フォルダ";
    QTest::newRow("slash") << "画像フォルダ"
                           << "a/b"
                           << "画像フォルダ";
    QTest::newRow("same folders") << "画像フォルダ"
                                  << "small"
                                  << "別の名前";
    QTest::newRow("same folders but for letter case") << "画像フォルダ"
                                                      << "SMALL"
                                                      << "別の名前";
    QTest::newRow("control character") << "画像フォルダ"
                                       << "a\tb"
                                       << "画像フォルダ";
    QTest::newRow("page outside the album") << "アルバムＨＴＭＬ"
                                            << "../x.html"
                                            << "アルバムＨＴＭＬ";
    QTest::newRow("fraction") << "フレーム横幅"
                              << "200.5"
                              << "フレーム横幅";
    QTest::newRow("too wide") << "一覧ページ横幅"
                              << "40000"
                              << "一覧ページ横幅";
    QTest::newRow("letters") << "スライドショー時間"
                             << "4秒"
                             << "スライドショー時間";
  }
  void refusedValuesGetAMessageAndTheFocus() {
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(QString, says);
    const fotela::AlbumSettings before = state().settings;
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    QLineEdit* box = lineOf(dialog, caption);
    box->setText(text);
    lineOf(dialog, caption == "アルバムＨＴＭＬ" ? "タイトル" : "アルバムＨＴＭＬ")->setFocus();
    buttonOf(dialog, "OK")->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QVERIFY2(QString::fromStdString(dialogs.shown[0].text).contains(says),
             dialogs.shown[0].text.c_str());
    QCOMPARE(dialogs.shown[0].icon, DialogIcon::Warning);
    QCOMPARE(dialog.focusWidget(), box);
    QVERIFY(state().settings == before);
  }

  void okAppliesCancelKeeps() {
    const fotela::AlbumSettings before = state().settings;
    {
      SettingsDialog dialog(state(), dialogs);
      dialog.show();
      buttonOf(dialog, "デフォルト")->click();
      lineOf(dialog, "一覧ページ横幅")->setText("800");
      buttonOf(dialog, "ｷｬﾝｾﾙ")->click();
      QVERIFY(state().settings == before);
    }
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    dialog.findChild<QCheckBox*>()->click();
    lineOf(dialog, "タイトル")->setText("夏の旅");
    lineOf(dialog, "一覧ページ横幅")->setText(" 800 ");
    lineOf(dialog, "カメラのアドレス")->setText("/media/u/CARD/");
    qobject_cast<QComboBox*>(boxOf(dialog, "動画を対象とする"))->setCurrentIndex(1);
    // Enter in the background-colour box does nothing; in another box it is "OK".
    QTest::keyClick(lineOf(dialog, "背景色"), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QTest::keyClick(lineOf(dialog, "文字色"), Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(state().settings.AlbumTitle, "夏の旅");
    QCOMPARE(state().settings.TitleFromFolder, std::int16_t{0});
    QCOMPARE(state().settings.ListPageWidth, std::int16_t{800});
    QCOMPARE(state().settings.CameraFolder, "/media/u/CARD/");
    QCOMPARE(state().settings.IncludeVideos, std::int16_t{1});
    QVERIFY(dialogs.shown.empty());
  }

  void defaultsRestoreTheBoxes() {
    state().settings.ThumbFolder = "t";
    state().settings.BgColor = "123456";
    state().settings.ReturnPage = "x.html";
    state().settings.IncludeVideos = 1;
    state().settings.EditScalePercent = "50";
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    buttonOf(dialog, "デフォルト")->click();
    QCOMPARE(lineOf(dialog, "サムネイルフォルダ")->text(), QStringLiteral("small"));
    QCOMPARE(lineOf(dialog, "背景色")->text(), QStringLiteral("FFFFFF"));
    QCOMPARE(lineOf(dialog, "戻り先")->text(), QStringLiteral("../index.html"));
    QCOMPARE(qobject_cast<QComboBox*>(boxOf(dialog, "動画を対象とする"))->currentText(),
             QStringLiteral("0:対象外"));
    QVERIFY(!lineOf(dialog, "タイトル")->isEnabled());
    buttonOf(dialog, "OK")->click();
    fotela::AlbumSettings expected = fotela::defaultAlbumSettings();
    expected.PhotoFolder = photos();
    expected.AlbumTitle = "photos";
    expected.EditScalePercent = "50";  // the editor's values are not the dialog's
    QVERIFY(state().settings == expected);
  }

  void browsingStoresRelativeOrAbsolutePaths_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("chosen");  // relative to the temporary folder; "" = cancel
    QTest::addColumn<QString>("stored");  // "@" = the temporary folder
    QTest::newRow("image in a sub-folder") << "背景画像"
                                           << "photos/bg/back.jpg"
                                           << "bg/back.jpg";
    QTest::newRow("image beside") << "背景画像"
                                  << "photos/back.jpg"
                                  << "back.jpg";
    QTest::newRow("page one up") << "戻り先"
                                 << "index.html"
                                 << "../index.html";
    QTest::newRow("cancel keeps") << "戻り先"
                                  << ""
                                  << "../index.html";
    QTest::newRow("camera folder") << "カメラのアドレス"
                                   << "card"
                                   << "@/card/";
    QTest::newRow("camera cancel") << "カメラのアドレス"
                                   << ""
                                   << "";
  }
  void browsingStoresRelativeOrAbsolutePaths() {
    QFETCH(QString, row);
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    const QString base = QString::fromStdString(dir->path());
    std::filesystem::create_directories(dir->file("card"));
    for (const char* f : {"photos/bg/back.jpg", "photos/back.jpg", "index.html"})
      fotela::test::writeFile(dir->file(f), "x");
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    const bool folder = row == QStringLiteral("カメラのアドレス");
    const QStringList filters = folder ? QStringList{}
                                : row == QStringLiteral("背景画像")
                                    ? QStringList{"画像 (*.jpg *.gif *.bmp)", "全てのファイル (*)"}
                                    : QStringList{"ＨＴＭＬ (*.HTM *.HTML)", "全てのファイル (*)"};
    QString start;
    chooseFile(chosen.isEmpty() ? QString() : base + "/" + chosen, "設定の読込", filters, &start);
    buttonOf(dialog, "参照", row)->click();
    QCOMPARE(lineOf(dialog, row)->text(), QString(stored).replace("@", base));
    // The browse starts where the stored path points (the photo folder for a page
    // beside it); a path that is not there yet starts in the photo folder.
    if (!folder) QVERIFY2(start.startsWith(base), qPrintable(start));
  }

  void colourDialogStartsOnTheBoxColour() {
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    lineOf(dialog, "リンク色")->setText("0000FF");
    QColor shown;
    whenModal<QColorDialog>([&](QColorDialog* d) {
      shown = d->currentColor();
      d->setCurrentColor(QColor(0xAA, 0x66, 0x00));
      d->accept();
    });
    buttonOf(dialog, "参照", "リンク色")->click();
    QCOMPARE(shown, QColor(0, 0, 255));
    QCOMPARE(lineOf(dialog, "リンク色")->text(), QStringLiteral("AA6600"));
    whenModal<QColorDialog>([](QColorDialog* d) { d->reject(); });
    buttonOf(dialog, "参照", "リンク色")->click();
    QCOMPARE(lineOf(dialog, "リンク色")->text(), QStringLiteral("AA6600"));
  }

  void saveAndLoadSettingsFiles() {
    const QString file = QString::fromStdString(dir->file("mine.ini"));
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    dialog.findChild<QCheckBox*>()->click();
    lineOf(dialog, "タイトル")->setText("保存した題");
    qobject_cast<QComboBox*>(boxOf(dialog, "動画を対象とする"))->setCurrentIndex(1);
    QString start;
    const QStringList filters{"全てのファイル (*)", "テキスト (*.txt)", "設定 (*.ini)"};
    chooseFile(file, "設定の保存", filters, &start);
    actionOf(dialog, "設定の保存(&P)")->trigger();
    QCOMPARE(start, QString::fromStdString(photos()));  // the current folder at first
    QVERIFY(dialog.isVisible());
    // The file holds the boxes, but the video setting in force, not the drop-down's.
    fotela::AlbumSettings expected = fotela::defaultAlbumSettings();
    expected.PhotoFolder = photos();
    expected.TitleFromFolder = 0;
    expected.AlbumTitle = "保存した題";
    QCOMPARE(fotela::test::readFile(file.toStdString()),
             *fotela::utf8ToCp932(fotela::settingsText(expected)));
    QCOMPARE(state().LastSettingsPath, file.toStdString());

    // Another file loaded: the boxes show it, the folder stays, and Cancel keeps it.
    fotela::AlbumSettings other = fotela::defaultAlbumSettings();
    other.PhotoFolder = "/elsewhere";
    other.TitleFromFolder = 0;
    other.AlbumTitle = "読んだ題";
    other.FrameWidth = 321;
    const std::string otherFile = dir->file("other.ini");
    QVERIFY(fotela::WriteSettings(other, otherFile).has_value());
    chooseFile(QString::fromStdString(otherFile), "設定の読込", filters, &start);
    actionOf(dialog, "設定の読込(&O)")->trigger();
    QCOMPARE(start, QString::fromStdString(dir->path()));  // where the last file was
    QCOMPARE(lineOf(dialog, "タイトル")->text(), QStringLiteral("読んだ題"));
    QCOMPARE(lineOf(dialog, "フレーム横幅")->text(), QStringLiteral("321"));
    buttonOf(dialog, "ｷｬﾝｾﾙ")->click();
    QCOMPARE(state().settings.FrameWidth, std::int16_t{321});
    QCOMPARE(state().settings.PhotoFolder, photos());
    QVERIFY(dialogs.shown.empty());
  }

  void loadingAFileThatCannotBeOpenedChangesNothing() {
    state().settings.AlbumTitle = "元の題";
    state().settings.TitleFromFolder = 0;
    const fotela::AlbumSettings before = state().settings;
    SettingsDialog dialog(state(), dialogs);
    dialog.show();
    const std::string missing = dir->file("missing.ini");
    chooseFile(QString::fromStdString(missing), "設定の読込", {});
    actionOf(dialog, "設定の読込(&O)")->trigger();
    QVERIFY(state().settings == before);
    QCOMPARE(lineOf(dialog, "タイトル")->text(), QStringLiteral("元の題"));
    QCOMPARE(dialogs.shown.size(), std::size_t{1});
    QVERIFY(
        QString::fromStdString(dialogs.shown[0].text).contains(QString::fromStdString(missing)));

    // An old "Ver=1" file is announced.
    const std::string old = dir->file("old.ini");
    fotela::test::writeFile(
        old, *fotela::utf8ToCp932(
                 "/x\r\nalbum.html\r\n0\r\n古い題\r\nsmall\r\nbig\r\n 1024\r\n 200\r\n"));
    chooseFile(QString::fromStdString(old), "設定の読込", {});
    actionOf(dialog, "設定の読込(&O)")->trigger();
    QCOMPARE(dialogs.shown.size(), std::size_t{2});
    QVERIFY(
        QString::fromStdString(dialogs.shown[1].text).startsWith("古いバージョンの設定ファイル"));
    QCOMPARE(lineOf(dialog, "タイトル")->text(), QStringLiteral("古い題"));
  }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
