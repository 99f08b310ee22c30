#pragma once
// The main window.

#include <QMainWindow>

namespace fotela {
struct ProgramState;
class UserDialogs;
}  // namespace fotela

namespace fotela::app {

class frmMain : public QMainWindow {
  Q_OBJECT
 public:
  frmMain(ProgramState& state, UserDialogs& dialogs, QWidget* parent = nullptr);

 private:
  ProgramState& state_;
  UserDialogs& dialogs_;
};

}  // namespace fotela::app
