#pragma once
// The settings dialog: edits the album settings (all but the photo folder and the
// editor's values), picks colours and files, restores the defaults, and loads or saves
// a settings file. "OK" applies the boxes to the program's settings; the settings file
// itself is written when the main window closes. The album style is the user's own: "OK"
// keeps it in the per-user settings store, and loading a settings file leaves it.

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace fotela {
struct AlbumSettings;
struct ProgramState;
class UserDialogs;
}  // namespace fotela

namespace fotela::app {

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  SettingsDialog(ProgramState& state, UserDialogs& dialogs, QWidget* parent = nullptr);

  // Shows the current settings in the boxes.
  void showCurrentSettings();
  // Every box but the title from `s`.
  void showBoxes(const AlbumSettings& s);
  // The colour dialog preset from an RRGGBB text; the chosen colour's text, or `hex`
  // unchanged on cancel.
  QString getColor(const QString& hex);
  // Browsing: kind 1 an image, 2 an HTML page (both returned relative to the photo
  // folder where possible), 3 a folder (returned absolute, ending in "/"). `text`
  // unchanged on cancel.
  QString browse(const QString& text, int kind);

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setDefaults();
  void titleFromFolderChanged();
  QString folderTitle() const;
  // Checks the boxes and copies them into the settings; false (with a message and the
  // focus on the box) when one cannot be kept.
  bool storeControls(bool withVideos);
  QString chooseSettingsFile(const QString& title, bool save);
  void loadSettingsFromFile();
  void saveSettingsToFile();

  ProgramState& state_;
  UserDialogs& dialogs_;

  QCheckBox* titleFromFolderBox_;
  QLineEdit* titleBox_;
  QLineEdit* albumPageBox_;
  QLineEdit* thumbFolderBox_;
  QLineEdit* imageFolderBox_;
  QLineEdit* frameWidthBox_;
  QLineEdit* listPageWidthBox_;
  QLineEdit* slideIntervalBox_;
  QLineEdit* backgroundColourBox_;
  QLineEdit* textColourBox_;
  QLineEdit* linkColourBox_;
  QLineEdit* visitedColourBox_;
  QLineEdit* activeLinkColourBox_;
  QLineEdit* backgroundImageBox_;
  QLineEdit* returnPageBox_;
  QLineEdit* cameraFolderBox_;
  QComboBox* videosList_;
  QComboBox* albumStyleList_;
};

}  // namespace fotela::app
