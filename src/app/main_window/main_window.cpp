#include "main_window/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <QStorageInfo>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <filesystem>

#include "common/album_style_store.h"
#include "common/busy_cursor.h"
#include "common/on_screen.h"
#include "common/paths.h"
#include "common/user_dialogs.h"
#include "editor/editor_window.h"
#include "main_window/album_preview.h"
#include "main_window/build_runner.h"
#include "main_window/description_dialog.h"
#include "main_window/menu_commands.h"
#include "main_window/photo_list_model.h"
#include "main_window/photo_viewer.h"
#include "photos/order_file.h"
#include "program/album_run.h"
#include "program/folder_change.h"
#include "program/program_state.h"
#include "publish/build_commands.h"
#include "settings/settings_file.h"
#include "thumbnails/thumbnail_window.h"

namespace fotela::app {
namespace {

constexpr int kTwipsPerPixel = 15;
// The first size never grows past this, however large the screen.
constexpr QSize kLargestFirstSize(1200, 800);
constexpr const char* kSaveOrderQuestion = "写真の順序／説明文を保存しますか？";
constexpr const char* kSaveOrderCaption = "写真の順序／説明文";
// The list view's code for the details view, stored as "ViewMode".
constexpr int kReportViewMode = 3;

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

// Mounted volumes a user keeps photos on: no kernel, runtime, snap or squashfs mounts.
QList<QStorageInfo> photoVolumes() {
  QList<QStorageInfo> volumes;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.isValid() || !v.isReady()) continue;
    const QString root = v.rootPath();
    const QByteArray type = v.fileSystemType();
    if (type == "squashfs" || root.startsWith(QStringLiteral("/snap/"))) continue;
    if (root != QStringLiteral("/") &&
        (root.startsWith(QStringLiteral("/proc")) || root.startsWith(QStringLiteral("/sys")) ||
         root.startsWith(QStringLiteral("/dev")) ||
         (root.startsWith(QStringLiteral("/run")) &&
          !root.startsWith(QStringLiteral("/run/media")))))
      continue;
    volumes.push_back(v);
  }
  std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
    return a.rootPath() < b.rootPath();
  });
  return volumes;
}

// The folder tree shows the folders' names only. Hidden columns (size, type, date) would
// still be read out, in English, by a screen reader.
class FolderNamesOnly final : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsColumn(int column, const QModelIndex&) const override { return column == 0; }
};

bool isUnder(const QString& path, const QString& root) {
  if (root == QStringLiteral("/")) return path.startsWith(root);
  return path == root || path.startsWith(root + QChar('/'));
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("フォテラ"));
  buildControls();
  buildMenus();
  // Never narrower than the controls need once the title box has given way.
  setMinimumWidth(std::max(200, minimumSizeHint().width()));
  builds_ = new BuildRunner(dialogs_, this);
  // A build on a worker that waits for another run on the folder says so in the status bar
  // (the runner is waited for before the window goes).
  state_.runWaiting = [this](const std::string&) {
    QMetaObject::invokeMethod(
        this, [this] { setStatus(QString::fromUtf8(kRunWaitingMessage)); }, Qt::QueuedConnection);
  };
  connect(builds_, &BuildRunner::statusChanged, this, [this](const QString& text) {
    // The success text only once the pages are written (buildEnded).
    if (text != QString::fromUtf8(kStatusBuilt)) setStatus(text);
  });
  connect(builds_, &BuildRunner::busyChanged, this, &MainWindow::setBusyPointer);
  connect(builds_, &BuildRunner::finished, this, &MainWindow::buildEnded);
  updateCommands();
}

MainWindow::~MainWindow() {
  // A build still running ends first (its questions are still answered); the window then
  // takes no part in its end.
  QObject::disconnect(builds_, nullptr, this, nullptr);
  builds_->wait();
  if (copies_) copies_->requestStop(true);
  stopScan();
  // The controls go after this part of the window: a focus change or a model reset while
  // they are taken down must not reach the handlers here.
  for (QObject* child : findChildren<QObject*>())
    QObject::disconnect(child, nullptr, this, nullptr);
}

void MainWindow::buildControls() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("picTitles"));
  setCentralWidget(central);

  titleLabel_ = new QLabel(QStringLiteral("タイトル"), central);
  titleLabel_->setObjectName(QStringLiteral("Label1"));
  titleBox_ = new QLineEdit(QStringLiteral("アルバム"), central);
  titleBox_->setObjectName(QStringLiteral("Text1"));
  // The title box is the first to give way when the window narrows.
  titleBox_->setMinimumWidth(titleBox_->fontMetrics().averageCharWidth() * 6);
  titleLabel_->setBuddy(titleBox_);
  auto button = [central](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, central);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  buildButton_ = button("Command1", QStringLiteral("作成"));
  showAlbumButton_ = button("Command2", QStringLiteral("表示"));
  quitButton_ = button("Command3", QStringLiteral("終了"));
  moveUpButton_ = button("Command4_0", QStringLiteral("↑"));
  moveDownButton_ = button("Command4_1", QStringLiteral("↓"));
  moveUpButton_->setAccessibleDescription(QStringLiteral("選んだ写真を上へ移動"));
  moveDownButton_->setAccessibleDescription(QStringLiteral("選んだ写真を下へ移動"));
  for (QPushButton* b : {moveUpButton_, moveDownButton_})
    b->setMaximumWidth(372 / kTwipsPerPixel + 8);

  auto* top = new QHBoxLayout;
  top->addWidget(titleLabel_);
  titleBox_->setMaximumWidth(2 * 2292 / kTwipsPerPixel);
  top->addWidget(titleBox_, 1);
  for (QPushButton* b :
       {buildButton_, showAlbumButton_, quitButton_, moveUpButton_, moveDownButton_})
    top->addWidget(b);
  top->addStretch(1);

  driveList_ = new QComboBox(central);
  driveList_->setObjectName(QStringLiteral("Drive1"));
  driveList_->setAccessibleName(QStringLiteral("ドライブ"));
  for (const QStorageInfo& v : photoVolumes()) driveList_->addItem(v.rootPath(), v.rootPath());

  folders_ = new QFileSystemModel(this);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  folders_->setReadOnly(true);
  folderTree_ = new QTreeView(central);
  folderTree_->setObjectName(QStringLiteral("Dir1"));
  folderTree_->setAccessibleName(QStringLiteral("フォルダー"));
  folderNames_ = new FolderNamesOnly(this);
  folderNames_->setSourceModel(folders_);
  folderTree_->setModel(folderNames_);
  folderTree_->setHeaderHidden(true);

  // The drive list's caption, for screen readers and for the eye.
  auto* driveLabel = new QLabel(QStringLiteral("ドライブ"), central);
  driveLabel->setBuddy(driveList_);
  auto* driveRow = new QHBoxLayout;
  driveRow->addWidget(driveLabel);
  driveRow->addWidget(driveList_, 1);
  auto* left = new QWidget;
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addLayout(driveRow);
  leftLayout->addWidget(folderTree_, 1);

  model_ = new PhotoListModel(state_.photos, this);
  photoList_ = new QTableView(central);
  photoList_->setObjectName(QStringLiteral("lvListView"));
  photoList_->setAccessibleName(QStringLiteral("写真の一覧"));
  photoList_->setModel(model_);
  photoList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  photoList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  photoList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  photoList_->setShowGrid(false);
  // Tab leaves the list for the next control; the arrow keys move inside it.
  photoList_->setTabKeyNavigation(false);
  photoList_->setWordWrap(false);
  photoList_->verticalHeader()->hide();
  photoList_->verticalHeader()->setDefaultSectionSize(photoList_->fontMetrics().height() + 8);
  photoList_->setIconSize(QSize(24, 24));
  photoList_->setDragEnabled(true);
  photoList_->setAcceptDrops(true);
  photoList_->setDropIndicatorShown(true);
  photoList_->setDragDropMode(QAbstractItemView::InternalMove);
  photoList_->setDefaultDropAction(Qt::MoveAction);
  photoList_->setDragDropOverwriteMode(false);
  photoList_->setSortingEnabled(false);
  photoList_->horizontalHeader()->setSectionsClickable(true);
  photoList_->horizontalHeader()->setHighlightSections(false);
  for (int c = 0; c < PhotoListModel::kColumnCount; ++c)
    photoList_->setColumnWidth(c, PhotoListModel::kColumnTwips[c] / kTwipsPerPixel);
  photoList_->installEventFilter(this);
  photoList_->viewport()->installEventFilter(this);

  splitter_ = new QSplitter(Qt::Horizontal, central);
  splitter_->setObjectName(QStringLiteral("imgSplitter"));
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(left);
  splitter_->addWidget(photoList_);
  left->setMinimumWidth(100);
  photoList_->setMinimumWidth(100);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({1968 / kTwipsPerPixel, 4000});

  auto* layout = new QVBoxLayout(central);
  layout->addLayout(top);
  layout->addWidget(splitter_, 1);

  status_ = new QLabel(QStringLiteral("ｽﾃｰﾀｽ"));
  status_->setObjectName(QStringLiteral("sbStatusBar"));
  status_->setMinimumWidth(1);
  scanProgress_ = new QProgressBar;
  scanProgress_->setObjectName(QStringLiteral("scanProgress"));
  scanProgress_->setAccessibleName(QStringLiteral("読み込み"));
  scanProgress_->setRange(0, 0);
  scanProgress_->setMaximumWidth(120);
  scanProgress_->hide();
  date_ = new QLabel;
  time_ = new QLabel;
  statusBar()->addWidget(status_, 1);
  statusBar()->addPermanentWidget(scanProgress_);
  statusBar()->addPermanentWidget(date_);
  statusBar()->addPermanentWidget(time_);
  clock_ = new QTimer(this);
  auto tick = [this] {
    const QDateTime now = QDateTime::currentDateTime();
    date_->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    time_->setText(now.toString(QStringLiteral("HH:mm")));
  };
  tick();
  connect(clock_, &QTimer::timeout, this, tick);
  clock_->start(1000);
  scanTicker_ = new QTimer(this);
  connect(scanTicker_, &QTimer::timeout, this, [this] {
    setStatus(QStringLiteral("%1  (%2)").arg(qs(scanFolder_)).arg(scanSeen_.load()));
  });

  connect(buildButton_, &QPushButton::clicked, this, &MainWindow::buildAlbum);
  connect(showAlbumButton_, &QPushButton::clicked, this, &MainWindow::showAlbum);
  connect(quitButton_, &QPushButton::clicked, this, &QWidget::close);
  connect(moveUpButton_, &QPushButton::clicked, this, [this] {
    moveSelection(-1);
    photoList_->setFocus();
  });
  connect(moveDownButton_, &QPushButton::clicked, this, [this] {
    moveSelection(1);
    photoList_->setFocus();
  });
  connect(titleBox_, &QLineEdit::editingFinished, this, &MainWindow::commitTitle);
  connect(driveList_, &QComboBox::activated, this, &MainWindow::driveChosen);
  // Rows of the folder model change under the tree when a folder appears or goes, which
  // can move the current item to a neighbour: that is no folder change of the user's, so
  // the tree goes back to the folder shown.
  connect(folderNames_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this] { foldersChanging_ = true; });
  connect(folderNames_, &QAbstractItemModel::layoutAboutToBeChanged, this,
          [this] { foldersChanging_ = true; });
  connect(folderNames_, &QAbstractItemModel::rowsRemoved, this,
          [this] { foldersChanging_ = false; });
  connect(folderNames_, &QAbstractItemModel::layoutChanged, this,
          [this] { foldersChanging_ = false; });
  connect(folderTree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    // The user changes the current folder in the tree, which then has the focus; the model
    // also moves it while folders are read in the background.
    if (!foldersChanging_ && folderTree_->hasFocus()) {
      folderChosen();
      return;
    }
    QTimer::singleShot(0, this, [this] { selectFolderInLists(state_.settings.PhotoFolder); });
  });
  // The folder model reads folders in the background: show the current folder once its
  // parent has been read.
  connect(folders_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
    const QModelIndex current = folderTree_->currentIndex();
    if (current.isValid() && folderPath(current.parent()) == loaded)
      folderTree_->scrollTo(current, QAbstractItemView::PositionAtCenter);
  });
  connect(photoList_, &QAbstractItemView::doubleClicked, this, &MainWindow::showPhoto);
  connect(photoList_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { model_->sortAsText(column); });
  connect(model_, &PhotoListModel::orderChanged, this, &MainWindow::markOrderChanged);
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption, bool enabled) {
  auto* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setEnabled(enabled);
  return action;
}

void MainWindow::buildMenus() {
  QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  openAction_ = addItem(mnuFile, "mnuOpen", QStringLiteral("開く(&O)"), true);
  quitAction_ = addItem(mnuFile, "mnuEnd", QStringLiteral("終了(&Q)"), true);

  QMenu* mnuEdit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
  buildAction_ = addItem(mnuEdit, "mnuAlbum", QStringLiteral("アルバム作成(&A)"), true);
  pagesOnlyAction_ =
      addItem(mnuEdit, "mnuEditHTML", QStringLiteral("アルバムＨＴＭＬのみ作成(&H)"), true);
  copiesOnlyAction_ = addItem(mnuEdit, "mnuthum", QStringLiteral("縮小画像のみ作成"), true);
  descriptionAction_ = addItem(mnuEdit, "mnuInf", QStringLiteral("写真の説明文"), true);
  saveOrderAction_ =
      addItem(mnuEdit, "mnuInfSave", QStringLiteral("写真の順序／説明文の保存"), false);
  settingsAction_ = addItem(mnuEdit, "mnuEditSet", QStringLiteral("設定(&S)"), true);

  QMenu* mnuDisp = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  mnuDisp->setObjectName(QStringLiteral("mnuDisp"));
  viewPhotoAction_ = addItem(mnuDisp, "mnuEditDisp", QStringLiteral("画像表示(&V)"), true);
  showAlbumAction_ = addItem(mnuDisp, "mnuEditAlbum", QStringLiteral("アルバム表示(&D)"), false);
  refreshAction_ = addItem(mnuDisp, "mnuReDisp", QStringLiteral("最新の情報に更新(&R)"), true);
  refreshAction_->setShortcut(QKeySequence(Qt::Key_F5));

  QMenu* mnuTool = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
  mnuTool->setObjectName(QStringLiteral("mnuTool"));
  cameraCopyAction_ =
      addItem(mnuTool, "mnuCopy", QStringLiteral("カメラより写真をコピー(&C)"), false);
  cameraDeleteAction_ = addItem(mnuTool, "mnuDel", QStringLiteral("カメラの写真を削除(&D)"), false);
  newFolderAction_ = addItem(mnuTool, "mnuMDir", QStringLiteral("フォルダーを作成(&W)"), true);
  menuPageAction_ = addItem(mnuTool, "mnuMenu", QStringLiteral("メニューHTMLを作成(&M)"), true);
  editPhotoAction_ = addItem(mnuTool, "mnuEditImg", QStringLiteral("画像の編集(&E)"), true);
  lowerCaseAction_ =
      addItem(mnuTool, "mnuSmallChr", QStringLiteral("ファイル名を小文字に統一"), true);

  QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
  helpAction_ = addItem(mnuHelp, "mnuHelphelp", QStringLiteral("操作説明(&H)"), true);
  aboutAction_ = addItem(mnuHelp, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"), true);

  connect(openAction_, &QAction::triggered, this, &MainWindow::openFolder);
  connect(quitAction_, &QAction::triggered, this, &QWidget::close);
  connect(buildAction_, &QAction::triggered, this, &MainWindow::buildAlbum);
  connect(pagesOnlyAction_, &QAction::triggered, this, &MainWindow::writePagesOnly);
  connect(copiesOnlyAction_, &QAction::triggered, this, &MainWindow::makeCopiesOnly);
  connect(descriptionAction_, &QAction::triggered, this, &MainWindow::editDescription);
  connect(saveOrderAction_, &QAction::triggered, this, &MainWindow::saveOrder);
  connect(viewPhotoAction_, &QAction::triggered, this, &MainWindow::showPhoto);
  connect(showAlbumAction_, &QAction::triggered, this, &MainWindow::showAlbum);
  connect(refreshAction_, &QAction::triggered, this, &MainWindow::refreshFolder);
  connect(settingsAction_, &QAction::triggered, this, &MainWindow::editSettings);
  connect(editPhotoAction_, &QAction::triggered, this, &MainWindow::editPhoto);
  connect(cameraCopyAction_, &QAction::triggered, this, [this] { runTool(copyFromCamera); });
  connect(cameraDeleteAction_, &QAction::triggered, this, [this] { runTool(deleteFromCamera); });
  connect(newFolderAction_, &QAction::triggered, this, [this] { runTool(createFolder); });
  connect(menuPageAction_, &QAction::triggered, this, [this] { runTool(createMenuPage); });
  connect(lowerCaseAction_, &QAction::triggered, this, [this] { runTool(lowerCaseFileNames); });
  // Help and the about box change nothing, so they stay open to every moment.
  connect(helpAction_, &QAction::triggered, this, [this] { showHelpPage(this, state_, dialogs_); });
  connect(aboutAction_, &QAction::triggered, this, [this] { showAbout(this, state_, dialogs_); });
}

// ---- loading, placement, closing

void MainWindow::load() {
  restorePlacement();
  // A folder named on the command line stays, also on a first run without settings file.
  const std::string given = state_.settings.PhotoFolder;
  ReadSettings(state_.settings, "", dialogs_);
  if (!given.empty()) state_.settings.PhotoFolder = given;
  state_.albumStyle = storedAlbumStyle();
  applySettingsToWindow();
  // A start folder that is gone: the default photo folder is selected and scanned instead.
  if (!selectFolder(state_.settings.PhotoFolder)) {
    state_.settings.PhotoFolder = defaultPhotoFolder();
    if (!selectFolder(state_.settings.PhotoFolder)) {
      firstScan_ = false;
      emit firstFolderReady();
    }
  }
  loaded_ = true;
}

void MainWindow::applySettingsToWindow() {
  titleBox_->setText(qs(state_.settings.AlbumTitle));
  updateCommands();
}

void MainWindow::restorePlacement() {
  QSettings store = userSettingsStore();
  store.beginGroup(QStringLiteral("Settings"));
  auto twips = [&store](const char* key, int fallback) {
    bool ok = false;
    const int v = store.value(QString::fromLatin1(key), fallback).toString().toInt(&ok);
    return (ok ? v : fallback) / kTwipsPerPixel;
  };
  const QStringList keys = {QStringLiteral("MainLeft"), QStringLiteral("MainTop"),
                            QStringLiteral("MainWidth"), QStringLiteral("MainHeight")};
  if (std::none_of(keys.begin(), keys.end(),
                   [&store](const QString& k) { return store.contains(k); })) {
    // No placement of the user's yet: 3/4 of the screen, centred.
    const QRect available = screen()->availableGeometry();
    const QSize first = (available.size() * 3 / 4).boundedTo(kLargestFirstSize);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, first, available));
    // Room for the folder names of a home folder's usual depth.
    splitter_->setSizes({std::max(1968 / kTwipsPerPixel, first.width() / 5), first.width()});
  } else {
    move(twips("MainLeft", 1000), twips("MainTop", 1000));
    resize(std::max(twips("MainWidth", 6500), 200), std::max(twips("MainHeight", 6500), 100));
  }
  keepOnScreen(this);
  if (isVisible())
    fitColumnsToList();
  else
    fitColumnsOnShow_ = true;
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (std::exchange(fitColumnsOnShow_, false)) fitColumnsToList();
}

void MainWindow::fitColumnsToList() {
  // A window narrower than the list's columns at their usual widths (about 1260 px): narrow
  // them all in proportion so that every column shows, once the layout has given the list
  // its width.
  QTimer::singleShot(0, this, [this] {
    const int room = photoList_->viewport()->width();
    int total = 0;
    for (int c = 0; c < PhotoListModel::kColumnCount; ++c) total += photoList_->columnWidth(c);
    if (room <= 0 || total <= room) return;
    const int least = photoList_->horizontalHeader()->minimumSectionSize();
    for (int c = 0; c < PhotoListModel::kColumnCount; ++c)
      photoList_->setColumnWidth(c, std::max(least, photoList_->columnWidth(c) * room / total));
  });
}

void MainWindow::storePlacement() {
  QSettings store = userSettingsStore();
  store.beginGroup(QStringLiteral("Settings"));
  if (!isMinimized()) {
    store.setValue(QStringLiteral("MainLeft"), QString::number(x() * kTwipsPerPixel));
    store.setValue(QStringLiteral("MainTop"), QString::number(y() * kTwipsPerPixel));
    store.setValue(QStringLiteral("MainWidth"), QString::number(width() * kTwipsPerPixel));
    store.setValue(QStringLiteral("MainHeight"), QString::number(height() * kTwipsPerPixel));
  }
  store.setValue(QStringLiteral("ViewMode"), QString::number(kReportViewMode));
}

void MainWindow::abandon() {
  abandoned_ = true;
  stopScan();
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (abandoned_ || closing_) {
    QMainWindow::closeEvent(event);
    emit closed();
    return;
  }
  if (building_) {
    // The pages being written are finished first; the window closes then.
    closeAfterBuild_ = true;
    event->ignore();
    return;
  }
  closing_ = true;
  commitTitle();
  if (loaded_ && !askSaveOrder()) {
    // The user stays: nothing of the close has happened.
    closing_ = false;
    event->ignore();
    return;
  }
  // A copies-only run ends first (after the copy being made).
  if (copies_) copies_->requestStop(true);
  stopScan();
  if (loaded_) {
    if (Result<void> written = WriteSettings(state_.settings, ""); !written)
      dialogs_.message(written.error().message, kProgramTitle, DialogIcon::Warning);
  }
  if (viewer_) viewer_->close();
  storePlacement();
  QMainWindow::closeEvent(event);
  emit closed();
}

// ---- folders

bool MainWindow::selectFolder(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return false;
  const std::string path = normalFolderPath(folder);
  if (!selectFolderInLists(path)) return false;
  if (!loaded_ || firstScan_ || path != state_.settings.PhotoFolder || scanning()) startScan(path);
  return true;
}

bool MainWindow::selectFolderInLists(const std::string& folder) {
  const QString path = qs(folder);
  // The volume with the longest mount-point prefix of the folder.
  int best = -1;
  for (int i = 0; i < driveList_->count(); ++i) {
    const QString root = driveList_->itemData(i).toString();
    if (isUnder(path, root) &&
        (best < 0 || root.size() > driveList_->itemData(best).toString().size()))
      best = i;
  }
  if (best < 0) {
    driveList_->addItem(QStringLiteral("/"), QStringLiteral("/"));
    best = driveList_->count() - 1;
  }
  driveList_->setCurrentIndex(best);
  const QString root = driveList_->itemData(best).toString();
  folders_->setRootPath(root);
  folderTree_->setRootIndex(folderNames_->mapFromSource(folders_->index(root)));
  const QModelIndex at = folderNames_->mapFromSource(folders_->index(path));
  if (!at.isValid()) return false;
  {
    const QSignalBlocker block(folderTree_->selectionModel());
    folderTree_->setCurrentIndex(at);
  }
  folderTree_->scrollTo(at);
  return true;
}

void MainWindow::driveChosen(int index) {
  const QString root = driveList_->itemData(index).toString();
  if (!QFileInfo(root).isReadable()) {
    // A volume that cannot be opened: the lists stay where they were.
    selectFolderInLists(state_.settings.PhotoFolder);
    return;
  }
  selectFolder(root.toStdString());
}

QString MainWindow::folderPath(const QModelIndex& shown) const {
  return folders_->filePath(folderNames_->mapToSource(shown));
}

void MainWindow::folderChosen() {
  const QModelIndex at = folderTree_->currentIndex();
  if (!at.isValid()) return;
  startScan(normalFolderPath(folderPath(at).toStdString()));
}

void MainWindow::refreshFolder() {
  startScan(state_.settings.PhotoFolder);
}

void MainWindow::startScan(const std::string& folder) {
  if (folder.empty()) return;
  // The changes of the folder being left are saved into that folder. A user who stays
  // keeps the folder, the list and the changes; the lists show that folder again.
  if (!askSaveOrder()) {
    selectFolderInLists(state_.settings.PhotoFolder);
    return;
  }
  stopScan();
  if (!busy_) busy_ = std::make_unique<BusyCursor>();
  setStatus(qs(folder));
  state_.settings.PhotoFolder = folder;
  state_.photos.clear();
  state_.OrderChanged = 0;
  model_->resetRows({});
  scanFolder_ = folder;
  scanSeen_ = 0;
  const quint64 generation = ++scanGeneration_;
  scanProgress_->show();
  scanTicker_->start(100);
  scanner_ = std::jthread([this, folder, generation](std::stop_token stop) {
    std::optional<FolderScan> scan =
        scanFolder(folder, stop, [this](std::size_t seen) { scanSeen_ = seen; });
    QMetaObject::invokeMethod(
        this,
        [this, generation, scan = std::move(scan)]() mutable {
          scanEnded(generation, std::move(scan));
        },
        Qt::QueuedConnection);
  });
  updateCommands();
}

void MainWindow::stopScan() {
  if (!scanner_.joinable()) return;
  scanner_.request_stop();
  scanner_.join();
  ++scanGeneration_;  // its result, if already posted, is dropped
  scanTicker_->stop();
  scanProgress_->hide();
  if (!copies_) busy_.reset();
  updateCommands();
}

bool MainWindow::scanning() const {
  return scanner_.joinable();
}

void MainWindow::scanEnded(quint64 generation, std::optional<FolderScan> scan) {
  if (generation != scanGeneration_) return;
  if (scanner_.joinable()) scanner_.join();
  scanTicker_->stop();
  scanProgress_->hide();
  applyFolderScan(state_, scanFolder_, std::move(scan));
  const AlbumSettings& s = state_.settings;
  model_->resetRows(qs(folderPrefix(folderPrefix(s.PhotoFolder) + s.ThumbFolder)));
  if (!state_.photos.empty()) photoList_->selectRow(0);
  titleBox_->setText(qs(s.AlbumTitle));
  setStatus(qs(s.PhotoFolder));
  busy_.reset();
  updateCommands();
  // An order file with a description too long to keep: it was cut, and the user is told.
  if (!state_.order.warning().empty())
    dialogs_.message(state_.order.warning(), kProgramTitle, DialogIcon::Warning);
  emit folderScanned();
  if (firstScan_) {
    firstScan_ = false;
    emit firstFolderReady();
    if (state_.AutoMode == 1 && !automaticDone_)
      QTimer::singleShot(0, this, &MainWindow::runAutomaticBuild);
  }
}

void MainWindow::openFolder() {
  QFileDialog dialog(this, QStringLiteral("開く"), qs(state_.settings.PhotoFolder),
                     QStringLiteral("全てのファイル (*)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setObjectName(QStringLiteral("CommonDialog1"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  selectFolder(QFileInfo(dialog.selectedFiles().front()).absolutePath().toStdString());
}

// ---- the list

std::vector<int> MainWindow::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : photoList_->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int MainWindow::selectedRow() const {
  const std::vector<int> rows = selectedRows();
  if (!rows.empty()) return rows.front();
  const QModelIndex current = photoList_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

std::string MainWindow::selectedPhotoPath() const {
  const int row = selectedRow();
  if (row < 0 || row >= static_cast<int>(state_.photos.size())) return {};
  return folderPrefix(state_.settings.PhotoFolder) +
         state_.photos[static_cast<std::size_t>(row)].fileName();
}

void MainWindow::moveSelection(int delta) {
  if (scanning() || copies_ || busy_ || building_) return;
  model_->moveBlock(selectedRows(), delta);
  photoList_->scrollTo(photoList_->currentIndex());
}

void MainWindow::markOrderChanged() {
  state_.OrderChanged = 1;
  saveOrderAction_->setEnabled(true);
}

bool MainWindow::askSaveOrder() {
  if (state_.OrderChanged == 0) return true;
  const DialogAnswer answer = dialogs_.ask(kSaveOrderQuestion, kSaveOrderCaption,
                                           DialogButtons::OkDiscardCancel, DialogIcon::Information);
  if (answer == DialogAnswer::Cancel) return false;
  if (answer == DialogAnswer::Ok) {
    if (Result<void> saved =
            TitlePut(state_.settings.PhotoFolder, state_.photos, state_.OrderChanged);
        !saved) {
      // Nothing is lost: the user stays with the changes and can save them elsewhere.
      dialogs_.message(saved.error().message, kProgramTitle, DialogIcon::Warning);
      return false;
    }
  }
  saveOrderAction_->setEnabled(state_.OrderChanged != 0);
  return true;
}

void MainWindow::saveOrder() {
  if (Result<void> saved =
          TitlePut(state_.settings.PhotoFolder, state_.photos, state_.OrderChanged);
      !saved)
    dialogs_.message(saved.error().message, kProgramTitle, DialogIcon::Warning);
  saveOrderAction_->setEnabled(state_.OrderChanged != 0);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == photoList_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::ControlModifier &&
        (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      moveSelection(key->key() == Qt::Key_Up ? -1 : 1);
      return true;
    }
  }
  if (watched == photoList_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton || mouse->button() == Qt::MiddleButton) {
      const QModelIndex at = photoList_->indexAt(mouse->position().toPoint());
      if (at.isValid() && !photoList_->selectionModel()->isRowSelected(at.row()))
        photoList_->selectRow(at.row());
      editDescription();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::editDescription() {
  if (state_.photos.empty() || scanning() || copies_ || building_) return;
  int row = selectedRow();
  if (row < 0) row = 0;
  const PhotoEntry& e = state_.photos[static_cast<std::size_t>(row)];
  const AlbumSettings& s = state_.settings;
  DescriptionDialog form(this);
  form.prepare(qs(folderPrefix(folderPrefix(s.PhotoFolder) + s.ThumbFolder) + e.fileName()),
               qs(e.description));
  if (form.exec() == QDialog::Accepted)
    model_->setDescription(row, form.description().toStdString());
}

void MainWindow::showPhoto() {
  const int row = selectedRow();
  if (state_.photos.empty() || row < 0) return;
  const PhotoEntry& e = state_.photos[static_cast<std::size_t>(row)];
  if (!viewer_) viewer_ = new PhotoViewer(this);
  viewer_->showPhoto(qs(folderPrefix(state_.settings.PhotoFolder) + e.fileName()), qs(e.fileName()),
                     QString::fromStdString(e.width).toInt(),
                     QString::fromStdString(e.height).toInt());
}

void MainWindow::commitTitle() {
  const std::string text = titleBox_->text().toStdString();
  if (text == state_.settings.AlbumTitle) return;
  state_.settings.AlbumTitle = text;
  // A title of one's own: later folder changes keep it.
  state_.settings.TitleFromFolder = 0;
}

// ---- builds

void MainWindow::setStatus(const QString& text) {
  status_->setText(text);
}

void MainWindow::setBusyPointer(bool busy) {
  if (busy && !busy_) busy_ = std::make_unique<BusyCursor>();
  if (!busy) busy_.reset();
}

void MainWindow::updateCommands() {
  const bool scan = scanning();
  const bool copies = !copies_.isNull();
  const bool idle = !scan && !copies && !building_;
  for (QAction* a : {buildAction_, pagesOnlyAction_, copiesOnlyAction_, descriptionAction_})
    a->setEnabled(idle);
  buildButton_->setEnabled(idle);
  showAlbumButton_->setEnabled(idle && state_.albumViewEnabled);
  // Pages being rewritten are neither served nor saved over.
  showAlbumAction_->setEnabled(state_.albumViewEnabled && !building_);
  quitButton_->setEnabled(!scan && !building_);
  moveUpButton_->setEnabled(idle);
  moveDownButton_->setEnabled(idle);
  // While copies are made from a snapshot, the folder and the list stay as they are.
  const bool folderFree = !copies && !building_;
  driveList_->setEnabled(folderFree);
  folderTree_->setEnabled(folderFree);
  openAction_->setEnabled(folderFree);
  refreshAction_->setEnabled(folderFree);
  photoList_->horizontalHeader()->setSectionsClickable(idle);
  photoList_->setDragEnabled(idle);
  saveOrderAction_->setEnabled(state_.OrderChanged != 0 && !scan && !building_);
  // The tools change the folder's files or the settings the running work uses.
  for (QAction* a :
       {settingsAction_, newFolderAction_, menuPageAction_, editPhotoAction_, lowerCaseAction_})
    a->setEnabled(idle);
  const bool camera = idle && cameraCommandsEnabled(state_);
  cameraCopyAction_->setEnabled(camera);
  cameraDeleteAction_->setEnabled(camera);
}

void MainWindow::buildAlbum() {
  startBuild(true);
}

void MainWindow::writePagesOnly() {
  startBuild(false);
}

void MainWindow::startBuild(bool fullBuild) {
  if (building_ || scanning() || copies_) return;
  commitTitle();
  // The pages are written on a worker from a copy of the list and the settings, so the
  // commands that would change them wait for the end.
  building_ = true;
  fullBuild_ = fullBuild;
  updateCommands();
  BuildRunner::CopyMaker makeCopies;
  if (fullBuild) {
    makeCopies = [this](ProgramState& state, UserDialogs& dialogs) {
      ThumbnailWindow window(dialogs, this);
      ThumbRunResult result = window.runModal(state, CopyMode::All);
      activateWindow();
      return result;
    };
  }
  builds_->start(fullBuild ? BuildRunner::Command::Album : BuildRunner::Command::PagesOnly, state_,
                 std::move(makeCopies));
}

void MainWindow::buildEnded(BuildOutcome outcome) {
  building_ = false;
  setBusyPointer(false);
  lastBuildWritten_ = outcome == BuildOutcome::Written;
  // An empty list keeps the core's own status text.
  if (outcome == BuildOutcome::Written) setStatus(qs(kStatusBuilt));
  if (outcome == BuildOutcome::Failed) setStatus(qs(kStatusNotBuilt));
  if (fullBuild_) model_->reloadThumbnails();
  updateCommands();
  emit buildFinished();
  if (automaticRun_) {
    automaticRun_ = false;
    exitCode_ = lastBuildWritten_ ? 0 : 1;
    close();
  } else if (std::exchange(closeAfterBuild_, false)) {
    close();
  }
}

void MainWindow::makeCopiesOnly() {
  if (building_ || scanning() || copies_) return;
  commitTitle();
  BuildHooks hooks;
  // The copies are made from a snapshot of the rows and folders, in a window that is not
  // modal; the commands that would change them wait for its end.
  hooks.makeCopies = [this](ProgramState& state, UserDialogs&) {
    copiesState_ = workerCopy(state);
    copies_ = new ThumbnailWindow(dialogs_, this);
    copies_->setAttribute(Qt::WA_DeleteOnClose);
    connect(copies_, &ThumbnailWindow::runFinished, this, &MainWindow::copiesEnded);
    copies_->start(*copiesState_, CopyMode::All);
    return ThumbRunResult{};
  };
  buildCopiesOnly(state_, dialogs_, hooks);
  updateCommands();
  photoList_->setFocus();
}

void MainWindow::copiesEnded(const ThumbRunResult&) {
  copies_ = nullptr;
  copiesState_.reset();
  model_->reloadThumbnails();
  updateCommands();
}

void MainWindow::showAlbum() {
  if (!preview_) preview_ = std::make_unique<AlbumPreview>();
  preview_->showAlbum(state_.LastAlbumPage, dialogs_);
}

void MainWindow::editSettings() {
  if (building_ || scanning() || copies_) return;
  commitTitle();
  showSettings(this, state_, dialogs_);
  // The title box and the camera items show the settings as they are now.
  applySettingsToWindow();
}

void MainWindow::editPhoto() {
  if (building_ || scanning() || copies_) return;
  const std::string path = selectedPhotoPath();
  if (path.empty()) return;
  {
    EditorWindow editor(state_, dialogs_, qs(path), this);
    editor.exec();
  }
  activateWindow();
  // A changed or newly saved photo shows its new facts.
  refreshFolder();
}

void MainWindow::runTool(bool (*command)(QWidget*, ProgramState&, UserDialogs&)) {
  if (building_ || scanning() || copies_) return;
  commitTitle();
  const bool refresh = command(this, state_, dialogs_);
  activateWindow();
  if (refresh) refreshFolder();
}

void MainWindow::runAutomaticBuild() {
  if (automaticDone_) return;
  automaticDone_ = true;
  automaticRun_ = true;
  buildAlbum();
  if (building_) return;  // buildEnded() closes the window
  automaticRun_ = false;
  exitCode_ = 1;
  close();
}

}  // namespace fotela::app
