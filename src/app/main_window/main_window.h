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
class QSortFilterProxyModel;
class QSplitter;
class QTableView;
class QTimer;
class QTreeView;

namespace fotela {
struct ProgramState;
class UserDialogs;
struct ThumbRunResult;
enum class BuildOutcome;
}  // namespace fotela

namespace fotela::app {

class AlbumPreview;
class BuildRunner;
class BusyCursor;
class PhotoViewer;
class ThumbnailWindow;
class PhotoListModel;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(ProgramState& state, UserDialogs& dialogs, QWidget* parent = nullptr);
  ~MainWindow() override;

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
  void openFolder();
  void buildAlbum();
  void writePagesOnly();
  void makeCopiesOnly();
  void editDescription();
  void saveOrder();
  void showPhoto();
  void showAlbum();
  void editSettings();
  void editPhoto();
  void moveSelection(int delta);

 signals:
  // The first folder scan of load() has ended (also when it was stopped).
  void firstFolderReady();
  // A folder scan has filled the list.
  void folderScanned();
  // 作成 or アルバムＨＴＭＬのみ作成 has ended and its status is shown.
  void buildFinished();
  // The window has closed (after the closing steps, or abandoned).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool enabled);
  void restorePlacement();
  void fitColumnsToList();
  void storePlacement();
  bool selectFolderInLists(const std::string& folder);
  // The folder a row of the tree stands for.
  QString folderPath(const QModelIndex& shown) const;
  void folderChosen();
  void driveChosen(int index);
  void startScan(const std::string& folder);
  void scanEnded(quint64 generation, std::optional<FolderScan> scan);
  void stopScan();
  void setBusyPointer(bool busy);
  // Starts 作成 (`fullBuild`) or アルバムＨＴＭＬのみ作成 on the worker.
  void startBuild(bool fullBuild);
  void buildEnded(fotela::BuildOutcome outcome);
  void updateCommands();
  void commitTitle();
  void markOrderChanged();
  // The save question before the folder's changes are left behind: OK saves them,
  // 保存しない drops them; false when the user stays (キャンセル, or the save failed).
  bool askSaveOrder();
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
  QSortFilterProxyModel* folderNames_ = nullptr;  // column 0 of folders_, as the tree shows it

  QLabel* titleLabel_ = nullptr;
  QLineEdit* titleBox_ = nullptr;
  QPushButton* buildButton_ = nullptr;
  QPushButton* showAlbumButton_ = nullptr;
  QPushButton* quitButton_ = nullptr;
  QPushButton* moveUpButton_ = nullptr;
  QPushButton* moveDownButton_ = nullptr;
  QComboBox* driveList_ = nullptr;
  QTreeView* folderTree_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QTableView* photoList_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* scanProgress_ = nullptr;
  QLabel* date_ = nullptr;
  QLabel* time_ = nullptr;
  QTimer* clock_ = nullptr;
  QTimer* scanTicker_ = nullptr;

  QAction* openAction_ = nullptr;
  QAction* quitAction_ = nullptr;
  QAction* buildAction_ = nullptr;
  QAction* pagesOnlyAction_ = nullptr;
  QAction* copiesOnlyAction_ = nullptr;
  QAction* descriptionAction_ = nullptr;
  QAction* saveOrderAction_ = nullptr;
  QAction* settingsAction_ = nullptr;
  QAction* viewPhotoAction_ = nullptr;
  QAction* showAlbumAction_ = nullptr;
  QAction* refreshAction_ = nullptr;
  QAction* cameraCopyAction_ = nullptr;
  QAction* cameraDeleteAction_ = nullptr;
  QAction* newFolderAction_ = nullptr;
  QAction* menuPageAction_ = nullptr;
  QAction* editPhotoAction_ = nullptr;
  QAction* lowerCaseAction_ = nullptr;
  QAction* helpAction_ = nullptr;
  QAction* aboutAction_ = nullptr;

  QPointer<PhotoViewer> viewer_;
  QPointer<ThumbnailWindow> copies_;  // the copies-only run, while it runs
  std::unique_ptr<ProgramState> copiesState_;
  std::unique_ptr<BusyCursor> busy_;
  std::unique_ptr<AlbumPreview> preview_;  // the album's preview server, once used
  BuildRunner* builds_ = nullptr;

  std::string scanFolder_;  // the folder being scanned
  quint64 scanGeneration_ = 0;
  std::atomic<std::size_t> scanSeen_{0};
  std::jthread scanner_;
  bool firstScan_ = true;
  bool loaded_ = false;
  bool fitColumnsOnShow_ = false;  // narrow the columns to the list once it is shown
  bool automaticDone_ = false;
  bool building_ = false;  // 作成 or アルバムＨＴＭＬのみ作成 runs
  bool fullBuild_ = false;
  bool automaticRun_ = false;     // the running build is the automatic one
  bool closeAfterBuild_ = false;  // the window was closed during the build
  bool lastBuildWritten_ = false;
  bool abandoned_ = false;
  bool closing_ = false;
  // The folder model is removing or re-sorting rows: a current-item change then comes from
  // the model, not from the user, and starts no scan.
  bool foldersChanging_ = false;
  int exitCode_ = 0;
};

}  // namespace fotela::app
