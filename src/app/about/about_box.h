#pragma once
// The about box: the program's title, version and description, and a button that starts
// the desktop's system-information program.

#include <QDialog>
#include <QStringList>

namespace fotela {
class UserDialogs;
}

namespace fotela::app {

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit AboutBox(UserDialogs& dialogs, QWidget* parent = nullptr);

  // "major.minor.revision" of this build.
  static QString versionText();
  // The system-information programs looked for on PATH, first found is started.
  static QStringList systemInfoPrograms();

 private:
  void startSystemInformation();

  UserDialogs& dialogs_;
};

}  // namespace fotela::app
