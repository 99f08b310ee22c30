// The parameter dialog on its own: what each command shows, what OK, ｷｬﾝｾﾙ and the close
// box give back, and the two choosers.

#include <QtTest/QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "editor/effect_command.h"
#include "editor/parameter_dialog.h"

using fotela::EffectCommand;
using fotela::app::ParameterDialog;

Q_DECLARE_METATYPE(EffectCommand)

namespace {

fotela::AlbumSettings storedValues() {
  fotela::AlbumSettings s;
  s.EditScalePercent = "80";
  s.EditFrameWidth = "6";
  s.EditFrameColor = "112233";
  s.EditBlurFrameWidth = "7";
  s.EditBlurFrameColor = "445566";
  s.EditEllipseBlurWidth = "8";
  s.EditEllipseBlurColor = "778899";
  s.EditFocusBlurWidth = "9";
  s.EditCompositeFile = "logo.bmp";
  s.EditTransparentColor = "AABBCC";
  return s;
}

// Shows the dialog for `command` and lets `act` press a button once it is up.
fotela::EffectDialogAnswer askWith(ParameterDialog& dialog, EffectCommand command,
                                   std::function<void(ParameterDialog&)> act) {
  dialog.configure(fotela::effectDialogSetup(command, storedValues(), fotela::Image(640, 480)));
  QTimer::singleShot(0, &dialog, [&dialog, act] { act(dialog); });
  return dialog.ask();
}

template <class T>
T* child(ParameterDialog& d, const char* name) {
  return d.findChild<T*>(name);
}

}  // namespace

class ParameterDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void configuration_data() {
    QTest::addColumn<EffectCommand>("command");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("label2");  // a fresh dialog's empty text when not set
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QString>("visible");  // Label1 Label2 Text1 Text2 Command1 Command2
    QTest::newRow("scale")
        << EffectCommand::Scale << "拡大／縮小"
        << "拡大／縮小の比率を入力してください\n  （長さの比率で指定してください　％）"
        << ""
        << "80"
        << ""
        << "101000";
    QTest::newRow("raised frame") << EffectCommand::RaisedFrame << "四角枠（立体）"
                                  << "枠の太さを指定してください。"
                                  << "枠の色を指定してください。"
                                  << "6"
                                  << "112233"
                                  << "111110";
    QTest::newRow("blur frame") << EffectCommand::BlurFrame << "四角枠（ぼかし）"
                                << "枠の太さを指定してください。"
                                << "枠の色を指定してください。"
                                << "7"
                                << "445566"
                                << "111110";
    QTest::newRow("colour blur") << EffectCommand::EllipseColorBlur << "楕円（色ぼかし）"
                                 << "ボカシ幅を指定してください。"
                                 << "ボカシの色を指定してください。"
                                 << "8"
                                 << "778899"
                                 << "111110";
    QTest::newRow("focus blur") << EffectCommand::EllipseFocusBlur << "楕円（ピントぼかし）"
                                << "ボカシ幅を指定してください。"
                                << ""
                                << "9"
                                << ""
                                << "101000";
    QTest::newRow("composite") << EffectCommand::Composite << "合成"
                               << "合成画像ファイル名を入力してください"
                               << "透明色を入力してください"
                               << "logo.bmp"
                               << "AABBCC"
                               << "111111";
  }
  void configuration() {
    QFETCH(EffectCommand, command);
    QFETCH(QString, caption);
    QFETCH(QString, label1);
    QFETCH(QString, label2);
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(QString, visible);
    ParameterDialog d;
    QString seen;
    int wideText1 = 0;
    const fotela::EffectDialogAnswer answer = askWith(d, command, [&](ParameterDialog& dialog) {
      for (const char* name : {"Label1", "Label2", "Text1", "Text2", "Command1", "Command2"})
        seen += dialog.findChild<QWidget*>(name)->isVisible() ? "1" : "0";
      wideText1 = child<QLineEdit>(dialog, "Text1")->width();
      child<QPushButton>(dialog, "OKButton")->click();
    });
    QCOMPARE(d.windowTitle(), caption);
    QCOMPARE(child<QLabel>(d, "Label1")->text(), label1);
    QCOMPARE(child<QLabel>(d, "Label2")->text(), label2);
    QCOMPARE(child<QLabel>(d, "Label3")->text(), QStringLiteral("写真の幅： 640　高さ： 480"));
    QCOMPARE(seen, visible);
    QVERIFY(answer.ok);
    QCOMPARE(QString::fromStdString(answer.text1), text1);
    QCOMPARE(QString::fromStdString(answer.text2), text2);
    QVERIFY(!answer.allPhotos);
    // Every box is found by its prompt.
    QCOMPARE(child<QLineEdit>(d, "Text1")->accessibleName(), label1);
    QCOMPARE(child<QLabel>(d, "Label1")->buddy(), child<QLineEdit>(d, "Text1"));
    // The composite's file name box is wide only while the dialog is up.
    const int narrow = child<QLineEdit>(d, "Text1")->width();
    if (command == EffectCommand::Composite) QVERIFY(wideText1 > narrow + 100);
  }

  // ｷｬﾝｾﾙ only hides: the box and the texts a command does not set stay for the next one;
  // the close box discards the dialog.
  void okCancelAndCloseBox() {
    ParameterDialog d;
    auto tickAndPress = [](const char* button, bool tick) {
      return [button, tick](ParameterDialog& dialog) {
        child<QCheckBox>(dialog, "Check1")->setChecked(tick);
        child<QLineEdit>(dialog, "Text2")->setText("ABCDEF");
        child<QPushButton>(dialog, button)->click();
      };
    };
    fotela::EffectDialogAnswer a =
        askWith(d, EffectCommand::RaisedFrame, tickAndPress("CancelButton", true));
    QVERIFY(!a.ok);
    QVERIFY(!d.discarded());
    a = askWith(d, EffectCommand::Scale,
                [](ParameterDialog& dialog) { child<QPushButton>(dialog, "OKButton")->click(); });
    QVERIFY(a.ok);
    QVERIFY(a.allPhotos);
    QCOMPARE(a.text2, std::string("ABCDEF"));  // not set by the scale command
    QCOMPARE(child<QLabel>(d, "Label2")->text(), QStringLiteral("枠の色を指定してください。"));

    d.untickAllPhotos();
    a = askWith(d, EffectCommand::Scale, [](ParameterDialog& dialog) { dialog.close(); });
    QVERIFY(!a.ok);
    QVERIFY(!a.allPhotos);
    QVERIFY(d.discarded());
  }

  void colourChooser_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("start");
    QTest::addColumn<QColor>("chosen");  // invalid: cancelled
    QTest::addColumn<QString>("result");
    QTest::newRow("chosen") << "FF8000" << QColor(255, 128, 0) << QColor(1, 2, 254) << "0102FE";
    QTest::newRow("cancelled") << "12ab34" << QColor(0x12, 0xAB, 0x34) << QColor() << "12ab34";
    QTest::newRow("not a colour") << "xyz" << QColor(0, 0, 0) << QColor(16, 32, 48) << "102030";
  }
  void colourChooser() {
    QFETCH(QString, text);
    QFETCH(QColor, start);
    QFETCH(QColor, chosen);
    QFETCH(QString, result);
    ParameterDialog d;
    QColor given;
    d.setColourChooser([&](const QColor& s) -> std::optional<QColor> {
      given = s;
      if (!chosen.isValid()) return std::nullopt;
      return chosen;
    });
    askWith(d, EffectCommand::BlurFrame, [&](ParameterDialog& dialog) {
      child<QLineEdit>(dialog, "Text2")->setText(text);
      child<QPushButton>(dialog, "Command1")->click();
      child<QPushButton>(dialog, "OKButton")->click();
    });
    QCOMPARE(given, start);
    QCOMPARE(child<QLineEdit>(d, "Text2")->text(), result);
  }

  void fileChooser() {
    ParameterDialog d;
    QStringList given;
    std::optional<QString> next = QStringLiteral("/photos/overlay.bmp");
    d.setFileChooser([&](const QString& start) {
      given << start;
      return next;
    });
    const fotela::EffectDialogAnswer a =
        askWith(d, EffectCommand::Composite, [&](ParameterDialog& dialog) {
          auto* browse = child<QPushButton>(dialog, "Command2");
          QCOMPARE(browse->text(), QStringLiteral("参照"));
          browse->click();
          next.reset();
          browse->click();  // cancelled: the chosen name stays
          child<QPushButton>(dialog, "OKButton")->click();
        });
    QCOMPARE(given, QStringList({"logo.bmp", "/photos/overlay.bmp"}));
    QCOMPARE(a.text1, std::string("/photos/overlay.bmp"));
  }
};

QTEST_MAIN(ParameterDialogTest)
#include "parameter_dialog_test.moc"
