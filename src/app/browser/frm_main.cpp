#include "browser/frm_main.h"

#include <QLabel>

#include "program/program_state.h"

namespace fotela::app {

frmMain::frmMain(ProgramState& state, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("フォテラ"));
  resize(800, 600);
}

}  // namespace fotela::app
