#include "settings_ui/settings_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "common/album_style_store.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/user_dialogs.h"
#include "program/program_state.h"
#include "settings/settings_checks.h"
#include "settings/settings_file.h"
#include "settings/settings_paths.h"

namespace fotela::app {
namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}
std::string ss(const QString& s) {
  return s.toStdString();
}

const QString kAllFiles = QStringLiteral("全てのファイル (*)");

}  // namespace

SettingsDialog::SettingsDialog(ProgramState& state, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs) {
  setObjectName(QStringLiteral("Dialog"));
  setWindowTitle(QStringLiteral("設定"));
  setWindowModality(Qt::ApplicationModal);

  auto* form = new QGridLayout;
  int row = 0;
  titleFromFolderBox_ = new QCheckBox(QStringLiteral("タイトルをフォルダー名にする"));
  form->addWidget(titleFromFolderBox_, row++, 0, 1, 4);

  // One row: caption, box, and what stands to the right of the box. Indented rows leave
  // the first column empty.
  auto addRow = [&](const QString& caption, bool indented, QWidget* extra = nullptr) {
    auto* label = new QLabel(caption);
    auto* box = new QLineEdit;
    label->setBuddy(box);
    box->setAccessibleName(caption);
    form->addWidget(label, row, indented ? 1 : 0, 1, indented ? 1 : 2);
    form->addWidget(box, row, 2);
    if (extra) form->addWidget(extra, row, 3);
    ++row;
    return box;
  };
  auto browseButton = [](const QString& rowCaption) {
    auto* button = new QPushButton(QStringLiteral("参照"));
    button->setAccessibleDescription(rowCaption);
    button->setAutoDefault(false);
    return button;
  };

  titleBox_ = addRow(QStringLiteral("タイトル"), false);
  titleBox_->setMinimumWidth(280);
  albumPageBox_ = addRow(QStringLiteral("アルバムＨＴＭＬ"), false);
  thumbFolderBox_ = addRow(QStringLiteral("サムネイルフォルダ"), false);
  imageFolderBox_ = addRow(QStringLiteral("画像フォルダ"), false);
  frameWidthBox_ = addRow(QStringLiteral("フレーム横幅"), false);
  listPageWidthBox_ = addRow(QStringLiteral("一覧ページ横幅"), false);
  slideIntervalBox_ = addRow(QStringLiteral("スライドショー時間"), false,
                             new QLabel(QStringLiteral("(1秒 ： 1000)")));

  form->addWidget(new QLabel(QStringLiteral("BODYタグの属性")), row++, 0, 1, 4);
  form->setColumnMinimumWidth(0, 16);

  struct ColourRow {
    QLineEdit** box;
    const char* caption;
  };
  const ColourRow colours[] = {{&backgroundColourBox_, "背景色"},
                               {&textColourBox_, "文字色"},
                               {&linkColourBox_, "リンク色"},
                               {&visitedColourBox_, "訪問済色"},
                               {&activeLinkColourBox_, "リンク中色"}};
  for (const ColourRow& c : colours) {
    const QString caption = QString::fromUtf8(c.caption);
    QPushButton* button = browseButton(caption);
    QLineEdit* box = addRow(caption, true, button);
    *c.box = box;
    connect(button, &QPushButton::clicked, this,
            [this, box] { box->setText(getColor(box->text())); });
  }
  struct PathRow {
    QLineEdit** box;
    const char* caption;
    bool indented;
    int kind;
  };
  const PathRow paths[] = {{&backgroundImageBox_, "背景画像", true, 1},
                           {&returnPageBox_, "戻り先", false, 2},
                           {&cameraFolderBox_, "カメラのアドレス", false, 3}};
  for (const PathRow& p : paths) {
    const QString caption = QString::fromUtf8(p.caption);
    QPushButton* button = browseButton(caption);
    QLineEdit* box = addRow(caption, p.indented, button);
    *p.box = box;
    const int kind = p.kind;
    connect(button, &QPushButton::clicked, this,
            [this, box, kind] { box->setText(browse(box->text(), kind)); });
  }

  auto* videoLabel = new QLabel(QStringLiteral("動画を対象とする"));
  videosList_ = new QComboBox;
  videosList_->addItems({QStringLiteral("0:対象外"), QStringLiteral("1:対象")});
  videosList_->setAccessibleName(videoLabel->text());
  videoLabel->setBuddy(videosList_);
  form->addWidget(videoLabel, row, 0, 1, 2);
  form->addWidget(videosList_, row, 2, Qt::AlignLeft);
  ++row;

  auto* styleLabel = new QLabel(QStringLiteral("アルバムの形式"));
  albumStyleList_ = new QComboBox;
  albumStyleList_->setObjectName(QStringLiteral("albumStyleList"));
  albumStyleList_->addItem(QStringLiteral("標準"), QVariant::fromValue(int(AlbumStyle::Classic)));
  albumStyleList_->addItem(QStringLiteral("モダン"), QVariant::fromValue(int(AlbumStyle::Modern)));
  albumStyleList_->setAccessibleName(styleLabel->text());
  albumStyleList_->setToolTip(
      QStringLiteral("モダン: スマートフォンでも見やすい、フレームを使わないページ"));
  styleLabel->setBuddy(albumStyleList_);
  albumStyleList_->setCurrentIndex(albumStyleList_->findData(int(state_.albumStyle)));
  form->addWidget(styleLabel, row, 0, 1, 2);
  form->addWidget(albumStyleList_, row, 2, Qt::AlignLeft);
  ++row;

  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"));
  cancel->setAutoDefault(false);
  auto* defaults = new QPushButton(QStringLiteral("デフォルト"));
  defaults->setAutoDefault(false);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(defaults);
  buttons->addStretch();

  auto* columns = new QHBoxLayout(this);
  columns->addLayout(form, 1);
  columns->addLayout(buttons);

  auto* menuBar = new QMenuBar(this);
  QMenu* file = menuBar->addMenu(QStringLiteral("ファイル(&S)"));
  file->addAction(QStringLiteral("設定の読込(&O)"), this, &SettingsDialog::loadSettingsFromFile);
  file->addAction(QStringLiteral("設定の保存(&P)"), this, &SettingsDialog::saveSettingsToFile);
  columns->setMenuBar(menuBar);

  // The form's own names for its boxes.
  const std::pair<QWidget*, const char*> formNames[] = {
      {titleFromFolderBox_, "Check1"},  {titleBox_, "Text1"},
      {albumPageBox_, "Text5"},         {thumbFolderBox_, "Text2"},
      {imageFolderBox_, "Text3"},       {frameWidthBox_, "Text4"},
      {listPageWidthBox_, "Text6"},     {slideIntervalBox_, "Text9"},
      {backgroundColourBox_, "Text7"},  {textColourBox_, "Text8"},
      {linkColourBox_, "Text10"},       {visitedColourBox_, "Text11"},
      {activeLinkColourBox_, "Text12"}, {backgroundImageBox_, "Text13"},
      {returnPageBox_, "Text14"},       {cameraFolderBox_, "Text15"},
      {videosList_, "Combo1"}};
  for (const auto& [widget, name] : formNames) widget->setObjectName(QString::fromLatin1(name));

  connect(ok, &QPushButton::clicked, this, &SettingsDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
  connect(defaults, &QPushButton::clicked, this, &SettingsDialog::setDefaults);
  connect(titleFromFolderBox_, &QCheckBox::toggled, this, &SettingsDialog::titleFromFolderChanged);
  backgroundColourBox_->installEventFilter(this);

  showCurrentSettings();
}

QString SettingsDialog::folderTitle() const {
  std::string folder, name;
  SplitFolderAndName(state_.settings.PhotoFolder, folder, name);
  return qs(name);
}

void SettingsDialog::titleFromFolderChanged() {
  if (titleFromFolderBox_->isChecked()) titleBox_->setText(folderTitle());
  titleBox_->setEnabled(!titleFromFolderBox_->isChecked());
}

void SettingsDialog::showCurrentSettings() {
  const AlbumSettings& s = state_.settings;
  titleFromFolderBox_->setChecked(s.TitleFromFolder == 1);
  titleBox_->setText(s.TitleFromFolder == 1 ? folderTitle() : qs(s.AlbumTitle));
  titleBox_->setEnabled(s.TitleFromFolder != 1);
  showBoxes(s);
}

void SettingsDialog::showBoxes(const AlbumSettings& s) {
  albumPageBox_->setText(qs(s.AlbumHtml));
  thumbFolderBox_->setText(qs(s.ThumbFolder));
  imageFolderBox_->setText(qs(s.ImageFolder));
  listPageWidthBox_->setText(QString::number(s.ListPageWidth));
  frameWidthBox_->setText(QString::number(s.FrameWidth));
  slideIntervalBox_->setText(QString::number(s.SlideInterval));
  backgroundColourBox_->setText(qs(s.BgColor));
  textColourBox_->setText(qs(s.TextColor));
  linkColourBox_->setText(qs(s.LinkColor));
  visitedColourBox_->setText(qs(s.VLinkColor));
  activeLinkColourBox_->setText(qs(s.ALinkColor));
  backgroundImageBox_->setText(qs(s.BgImage));
  returnPageBox_->setText(qs(s.ReturnPage));
  cameraFolderBox_->setText(qs(s.CameraFolder));
  videosList_->setCurrentIndex(s.IncludeVideos != 0 ? 1 : 0);
}

void SettingsDialog::setDefaults() {
  const AlbumSettings d = defaultAlbumSettings();
  titleFromFolderBox_->setChecked(true);
  titleFromFolderChanged();
  showBoxes(d);
  albumStyleList_->setCurrentIndex(albumStyleList_->findData(int(AlbumStyle::Classic)));
}

bool SettingsDialog::storeControls(bool withVideos) {
  auto refuse = [this](QLineEdit* box, const std::string& message) {
    dialogs_.message(message, ss(windowTitle()), DialogIcon::Warning);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    return false;
  };
  // The names the builds accept, checked by the builds' own rules (the page first, as the
  // boxes are shown).
  if (auto page = checkAlbumPageName(ss(albumPageBox_->text())); !page)
    return refuse(albumPageBox_, page.error().message);
  const SettingsTexts texts{ss(thumbFolderBox_->text()), ss(imageFolderBox_->text()),
                            ss(frameWidthBox_->text()), ss(listPageWidthBox_->text()),
                            ss(slideIntervalBox_->text())};
  AlbumSettings folders;
  folders.ThumbFolder = texts.ThumbFolder;
  folders.ImageFolder = texts.ImageFolder;
  auto copyFolders = checkCopyFolderNames(folders);
  if (auto problem = checkSettingsTexts(texts)) {
    QLineEdit* box = nullptr;
    switch (problem->box) {
      case SettingsBox::ThumbFolder:
        box = thumbFolderBox_;
        break;
      case SettingsBox::ImageFolder:
        box = imageFolderBox_;
        break;
      case SettingsBox::FrameWidth:
        box = frameWidthBox_;
        break;
      case SettingsBox::ListPageWidth:
        box = listPageWidthBox_;
        break;
      case SettingsBox::SlideInterval:
        box = slideIntervalBox_;
        break;
    }
    return refuse(box, problem->message);
  }
  if (!copyFolders) return refuse(imageFolderBox_, copyFolders.error().message);
  AlbumSettings& s = state_.settings;
  s.TitleFromFolder = titleFromFolderBox_->isChecked() ? 1 : 0;
  s.AlbumTitle = ss(titleBox_->text());
  s.AlbumHtml = ss(albumPageBox_->text());
  s.ThumbFolder = texts.ThumbFolder;
  s.ImageFolder = texts.ImageFolder;
  s.ListPageWidth = *wholeInt16(texts.ListPageWidth);
  s.FrameWidth = *wholeInt16(texts.FrameWidth);
  s.SlideInterval = *wholeInt16(texts.SlideInterval);
  s.BgColor = ss(backgroundColourBox_->text());
  s.TextColor = ss(textColourBox_->text());
  s.LinkColor = ss(linkColourBox_->text());
  s.VLinkColor = ss(visitedColourBox_->text());
  s.ALinkColor = ss(activeLinkColourBox_->text());
  s.BgImage = ss(backgroundImageBox_->text());
  s.ReturnPage = ss(returnPageBox_->text());
  s.CameraFolder = ss(cameraFolderBox_->text());
  // The leading digit of the drop-down's item is the value.
  if (withVideos) s.IncludeVideos = videosList_->currentText().startsWith(QChar('1')) ? 1 : 0;
  return true;
}

void SettingsDialog::accept() {
  if (!storeControls(true)) return;
  state_.albumStyle = static_cast<AlbumStyle>(albumStyleList_->currentData().toInt());
  storeAlbumStyle(state_.albumStyle);
  QDialog::accept();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the background-colour box neither closes the dialog nor does anything else.
  if (watched == backgroundColourBox_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  }
  return QDialog::eventFilter(watched, event);
}

QString SettingsDialog::getColor(const QString& hex) {
  const std::int32_t packed = colourOfHex(ss(hex));
  QColorDialog dialog(QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF), this);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  dialog.setWindowTitle(QStringLiteral("色の設定"));
  if (dialog.exec() != QDialog::Accepted) return hex;
  const QColor c = dialog.selectedColor();
  if (!c.isValid()) return hex;
  return qs(ColorToHex(c.red() + c.green() * 256 + c.blue() * 65536));
}

QString SettingsDialog::browse(const QString& text, int kind) {
  const std::string photoFolder = state_.settings.PhotoFolder;
  QFileDialog dialog(this, QStringLiteral("設定の読込"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (kind == 3) {
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    QString start;
    if (!text.isEmpty()) {
      start = qs(cameraFolderPath(ss(text), photoFolder));
    } else {
      // A memory card is mounted under the user's media folder.
      const QString user = qEnvironmentVariable("USER");
      for (const QString& media :
           {QStringLiteral("/media/") + user, QStringLiteral("/run/media/") + user})
        if (!user.isEmpty() && QDir(media).exists()) {
          start = media;
          break;
        }
    }
    dialog.setDirectory(start.isEmpty() ? qs(photoFolder) : start);
  } else {
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kind == 1 ? QStringLiteral("画像 (*.jpg *.gif *.bmp)")
                                     : QStringLiteral("ＨＴＭＬ (*.HTM *.HTML)"),
                           kAllFiles});
    std::string folder, name;
    SplitFolderAndName(Zettai(ss(text), photoFolder), folder, name);
    dialog.setDirectory(qs(folder.empty() ? std::string(1, kSeparator) : folder));
    if (!name.empty()) dialog.selectFile(qs(name));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return text;
  const QString chosen = dialog.selectedFiles().constFirst();
  if (kind == 3) return qs(folderPrefix(normalFolderPath(ss(chosen))));
  // A file on another volume keeps its absolute path, as a path on another drive would.
  if (QStorageInfo(chosen).rootPath() != QStorageInfo(qs(photoFolder)).rootPath()) return chosen;
  return qs(Soutai(ss(chosen), photoFolder));
}

QString SettingsDialog::chooseSettingsFile(const QString& title, bool save) {
  if (state_.LastSettingsPath.empty())
    state_.LastSettingsPath = folderPrefix(state_.settings.PhotoFolder);
  std::string folder, name;
  SplitFolderAndName(state_.LastSettingsPath, folder, name);
  QFileDialog dialog(this, title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  }
  const QString settingsFilter = QStringLiteral("設定 (*.ini)");
  dialog.setNameFilters({kAllFiles, QStringLiteral("テキスト (*.txt)"), settingsFilter});
  dialog.setDirectory(qs(folder.empty() ? std::string(1, kSeparator) : folder));
  if (name.empty())
    dialog.selectNameFilter(settingsFilter);
  else
    dialog.selectFile(qs(name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void SettingsDialog::loadSettingsFromFile() {
  const QString file = chooseSettingsFile(QStringLiteral("設定の読込"), false);
  if (file.isEmpty()) return;
  state_.LastSettingsPath = ss(file);
  if (auto loaded = loadSettingsFile(state_.settings, state_.LastSettingsPath, dialogs_); !loaded) {
    dialogs_.message(loaded.error().message, "設定の読込", DialogIcon::Warning);
    return;
  }
  showCurrentSettings();
}

void SettingsDialog::saveSettingsToFile() {
  const QString file = chooseSettingsFile(QStringLiteral("設定の保存"), true);
  if (file.isEmpty()) return;
  state_.LastSettingsPath = ss(file);
  // The drop-down is not read: the video setting in force is saved.
  if (!storeControls(false)) return;
  if (auto written = WriteSettings(state_.settings, state_.LastSettingsPath); !written)
    dialogs_.message(written.error().message, "設定の保存", DialogIcon::Critical);
}

}  // namespace fotela::app
