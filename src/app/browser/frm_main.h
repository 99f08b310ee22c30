#pragma once
// The main window "フォテラ": drive and folder lists, the photo list, the album title,
// the build buttons and the status bar. Folder scans and the thumbnail maker run on worker
// threads; the window only starts them, shows their progress and takes their results.

#include <QMainWindow>
#include <QPointer>

#include <atomic>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "photos/folder_scan.h"

class QAction;
class QMenu;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QTimer;
class QTreeView;

namespace fotela {
struct ProgramState;
class UserDialogs;
struct ThumbRunResult;
}  // namespace fotela

namespace fotela::app {

class AlbumPreview;
class BusyCursor;
class Form1;
class JpegSave;
class PhotoListModel;

class frmMain : public QMainWindow {
  Q_OBJECT
 public:
  frmMain(ProgramState& state, UserDialogs& dialogs, QWidget* parent = nullptr);
  ~frmMain() override;

  // Placement, settings file, camera items, then the folder PhotoFolder names (scanned on a
  // worker; firstFolderReady() follows). A PhotoFolder set before (the command line) stays,
  // also when there is no settings file yet.
  void load();

  // Re-reads the current folder and rebuilds the list (F5).
  void refreshFolder();
  // Folder prefix + file name of the selected row (the first one when several are
  // selected); empty when none is.
  std::string selectedPhotoPath() const;
  // Shows the settings as they are now: the album title, the camera items.
  void applySettingsToWindow();

  // Goes to `folder` (drive and folder lists follow) and scans it. False when it is no folder.
  bool selectFolder(const std::string& folder);
  // A scan is running.
  bool scanning() const;
  // Ends the program at once without the close path (the splash's キャンセル).
  void abandon();
  // 0 after a successful automatic build, 1 after a failed one.
  int exitCode() const { return exitCode_; }

 public slots:
  void mnuOpen_Click();
  void mnuAlbum_Click();
  void mnuEditHTML_Click();
  void mnuthum_Click();
  void mnuInf_Click();
  void mnuInfSave_Click();
  void mnuEditDisp_Click();
  void mnuEditAlbum_Click();
  void mnuEditSet_Click();
  void mnuEditImg_Click();
  void UpDown(int delta);

 signals:
  // The first folder scan of load() has ended (also when it was stopped).
  void firstFolderReady();
  // A folder scan has filled the list.
  void folderScanned();
  // The window has closed (after the closing steps, or abandoned).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool enabled);
  void restorePlacement();
  void storePlacement();
  bool selectFolderInLists(const std::string& folder);
  void Dir1_Change();
  void Drive1_Change(int index);
  void startScan(const std::string& folder);
  void scanEnded(quint64 generation, std::optional<FolderScan> scan);
  void stopScan();
  void setBusy(bool busy);
  void updateCommands();
  void commitTitle();
  void markOrderChanged();
  void askSaveOrder();
  void ShowPhoto();
  void showDescription();
  // Runs a menu command of the file tools; refreshes the folder when it asks for that.
  void runTool(bool (*command)(QWidget*, ProgramState&, UserDialogs&));
  void setStatus(const QString& text);
  void copiesEnded(const fotela::ThumbRunResult& result);
  void runAutomaticBuild();
  std::vector<int> selectedRows() const;
  int selectedRow() const;

  ProgramState& state_;
  UserDialogs& dialogs_;

  PhotoListModel* model_ = nullptr;
  QFileSystemModel* folders_ = nullptr;

  QLabel* Label1_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QPushButton* Command1_ = nullptr;
  QPushButton* Command2_ = nullptr;
  QPushButton* Command3_ = nullptr;
  QPushButton* Command4Up_ = nullptr;
  QPushButton* Command4Down_ = nullptr;
  QComboBox* Drive1_ = nullptr;
  QTreeView* Dir1_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QTableView* lvListView_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* scanProgress_ = nullptr;
  QLabel* date_ = nullptr;
  QLabel* time_ = nullptr;
  QTimer* clock_ = nullptr;
  QTimer* scanTicker_ = nullptr;

  QAction* mnuOpen_ = nullptr;
  QAction* mnuEnd_ = nullptr;
  QAction* mnuAlbum_ = nullptr;
  QAction* mnuEditHTML_ = nullptr;
  QAction* mnuthum_ = nullptr;
  QAction* mnuInf_ = nullptr;
  QAction* mnuInfSave_ = nullptr;
  QAction* mnuEditSet_ = nullptr;
  QAction* mnuEditDisp_ = nullptr;
  QAction* mnuEditAlbum_ = nullptr;
  QAction* mnuReDisp_ = nullptr;
  QAction* mnuCopy_ = nullptr;
  QAction* mnuDel_ = nullptr;
  QAction* mnuMDir_ = nullptr;
  QAction* mnuMenu_ = nullptr;
  QAction* mnuEditImg_ = nullptr;
  QAction* mnuSmallChr_ = nullptr;
  QAction* mnuHelphelp_ = nullptr;
  QAction* mnuHelpAbout_ = nullptr;

  QPointer<Form1> viewer_;
  QPointer<JpegSave> copies_;  // the copies-only run, while it runs
  std::unique_ptr<ProgramState> copiesState_;
  std::unique_ptr<BusyCursor> busy_;
  std::unique_ptr<AlbumPreview> preview_;  // the album's preview server, once used

  std::string scanFolder_;  // the folder being scanned
  quint64 scanGeneration_ = 0;
  std::atomic<std::size_t> scanSeen_{0};
  std::jthread scanner_;
  bool firstScan_ = true;
  bool loaded_ = false;
  bool automaticDone_ = false;
  bool building_ = false;
  bool lastBuildWritten_ = false;
  bool abandoned_ = false;
  bool closing_ = false;
  // The folder model is removing or re-sorting rows: a current-item change then comes from
  // the model, not from the user, and starts no scan.
  bool foldersChanging_ = false;
  int exitCode_ = 0;
};

}  // namespace fotela::app
