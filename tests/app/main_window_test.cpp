// The main window opens with the program's title and closes cleanly.

#include <QtTest/QtTest>

#include "browser/frm_main.h"
#include "common/scripted_dialogs.h"
#include "program/program_state.h"

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void opensAndCloses() {
    fotela::ProgramState state;
    fotela::ScriptedDialogs dialogs;
    fotela::app::frmMain window(state, dialogs);
    QCOMPARE(window.windowTitle(), QStringLiteral("フォテラ"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
