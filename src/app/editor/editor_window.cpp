#include "editor/editor_window.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "common/busy_cursor.h"
#include "common/on_screen.h"
#include "common/user_dialogs.h"
#include "editor/parameter_dialog.h"
#include "program/program_state.h"

namespace fotela::app {

// The shown work picture, 8 pixels from the left and the top. Paints only what is exposed,
// so a large photo scrolls without copying it whole.
class PictureView : public QWidget {
 public:
  static constexpr int kMargin = 8;
  explicit PictureView(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("写真"));
  }
  void setImage(QImage image) {
    image_ = std::move(image);
    resize(image_.width() + 2 * kMargin, image_.height() + 2 * kMargin);
    update();
  }
  QSize pictureSize() const { return image_.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    const QRect target = event->rect() & QRect(QPoint(kMargin, kMargin), image_.size());
    if (!target.isEmpty()) painter.drawImage(target, image_, target.translated(-kMargin, -kMargin));
  }

 private:
  QImage image_;
};

namespace {

// The picture as Qt draws it; made on the worker so the window never copies a large photo.
QImage toQImage(const Image& picture) {
  if (picture.empty()) return {};
  return QImage(picture.data(), picture.width(), picture.height(),
                static_cast<qsizetype>(picture.stride()), QImage::Format_RGB888)
      .convertToFormat(QImage::Format_RGB32);
}

std::optional<QString> askPhotoFile(QWidget* parent, const QString& title, const QString& start) {
  // The name is not checked: a new name is how save as gets its file.
  QFileDialog dialog(parent, title, start, QStringLiteral("*.jpg (*.jpg *.JPG)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!start.isEmpty()) dialog.selectFile(start);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace

EditorWindow::EditorWindow(ProgramState& state, UserDialogs& dialogs, const QString& photoPath,
                           QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs), editor_(state, dialogs) {
  setObjectName(QStringLiteral("frmEditImg"));
  setWindowTitle(QStringLiteral("写真編集"));
  setWindowModality(Qt::ApplicationModal);
  setSizeGripEnabled(true);
  editor_.photoPath = photoPath.toStdString();

  menuBar_ = new QMenuBar(this);
  auto add = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
    commands_.push_back(action);
    return action;
  };
  QMenu* mnuFile = menuBar_->addMenu(QStringLiteral("ファイル(&F)"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  add(mnuFile, "mnuOpne", QStringLiteral("開く(&O)"), [this] { openPhoto(); });
  add(mnuFile, "mnuSave", QStringLiteral("上書き保存(&S)"), [this] { savePhoto(); });
  add(mnuFile, "mnuNewSave", QStringLiteral("名前を付けて保存(&A)"), [this] { savePhotoAs(); });
  mnuFile->addSeparator();
  add(mnuFile, "mnuReOpen", QStringLiteral("写真を再読込(&R)"), [this] { reloadPhoto(); });
  mnuFile->addSeparator();
  add(mnuFile, "mnuEnd", QStringLiteral("保存して閉じる(&E)"), [this] { saveAndClose(); });
  add(mnuFile, "mnuCansel", QStringLiteral("保存しないで閉じる(&C)"),
      [this] { closeWithoutSaving(); });

  QMenu* mnuEdit = menuBar_->addMenu(QStringLiteral("編集(&E)"));
  mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
  add(mnuEdit, "mnu90", QStringLiteral("時計回り９０度回転"), [this] { rotate(90); });
  add(mnuEdit, "mnu270", QStringLiteral("反時計回り９０度回転"), [this] { rotate(270); });
  add(mnuEdit, "mnu180", QStringLiteral("１８０度回転"), [this] { rotate(180); });

  QMenu* mnuPhotEdit = menuBar_->addMenu(QStringLiteral("写真加工"));
  mnuPhotEdit->setObjectName(QStringLiteral("mnuPhotEdit"));
  const std::pair<const char*, EffectCommand> effects[] = {
      {"mnuKakuSyuku", EffectCommand::Scale},
      {"mnuWaku", EffectCommand::RaisedFrame},
      {"mnuWaku2", EffectCommand::BlurFrame},
      {"mnuDaenIro", EffectCommand::EllipseColorBlur},
      {"mnuDaenPint", EffectCommand::EllipseFocusBlur},
      {"mnuGousei", EffectCommand::Composite},
  };
  const Image none;
  for (const auto& [name, command] : effects) {
    const QString caption =
        QString::fromStdString(effectDialogSetup(command, state_.settings, none).caption);
    add(mnuPhotEdit, name, caption, [this, command] { effectCommand(command); });
  }

  picture_ = new PictureView(this);
  scrollArea_ = new QScrollArea(this);
  scrollArea_->setFrameShape(QFrame::NoFrame);
  scrollArea_->setWidget(picture_);
  scrollArea_->setAccessibleName(QStringLiteral("写真"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(scrollArea_);

  fileChooser_ = [this](const QString& title, const QString& start) {
    return askPhotoFile(this, title, start);
  };
}

EditorWindow::~EditorWindow() {
  if (worker_.joinable()) {
    worker_.request_stop();
    worker_.join();
  }
}

// ---------------------------------------------------------------- the worker

void EditorWindow::runJob(std::function<Continuation(std::stop_token)> work) {
  running_ = true;
  setCommandsEnabled(false);
  busyCursor_ = std::make_unique<BusyCursor>();
  worker_ = std::jthread([this, work = std::move(work)](std::stop_token stop) {
    Continuation then = work(stop);
    QImage shown = toQImage(editor_.shown());
    QMetaObject::invokeMethod(
        this,
        [this, then = std::move(then), shown = std::move(shown)]() mutable {
          worker_.join();
          picture_->setImage(std::move(shown));
          picture_->setToolTip(photoPath());
          busyCursor_.reset();
          running_ = false;
          setCommandsEnabled(true);
          if (then) then();
          emit commandFinished();
        },
        Qt::QueuedConnection);
  });
}

void EditorWindow::setCommandsEnabled(bool enabled) {
  for (QAction* action : commands_) action->setEnabled(enabled);
  menuBar_->setEnabled(enabled);
}

EditorWindow::Continuation EditorWindow::reportIfFailed(const Result<void>& result) {
  if (result) return {};
  return [this, error = result.error()] { editor_.report(error); };
}

// ---------------------------------------------------------------- the window

void EditorWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!activated_) {
    activated_ = true;
    loadFirstPhoto();
  }
}

void EditorWindow::loadFirstPhoto() {
  runJob([this](std::stop_token) -> Continuation {
    const Result<void> loaded = editor_.loadPhoto(editor_.photoPath);
    Continuation report = reportIfFailed(loaded);
    return [this, report] {
      fitToPicture();
      if (report) report();
    };
  });
}

// The window's size follows the first photo (never later ones): the picture with its
// margins, at least 153 pixels wide outside, never larger than the screen, kept on it.
void EditorWindow::fitToPicture() {
  const QSize picture = picture_->size();
  const QSize frame = frameGeometry().size() - geometry().size();
  const int menu = menuBar_->sizeHint().height();
  QSize client(picture.width(), picture.height() + menu);
  client.setWidth(std::max(client.width(), 153 - frame.width()));
  if (const QScreen* s = screen()) {
    const QSize room = s->availableGeometry().size() - frame;
    client = client.boundedTo(room);
  }
  // It grows about its centre (where it opened, over the main window), then onto the screen.
  const QPoint centre = frameGeometry().center();
  resize(client);
  move(pos() + (centre - frameGeometry().center()));
  keepOnScreen(this);
}

void EditorWindow::reject() {
  if (running_) return;  // the command ends first; a batch has its own stop button
  if (editor_.changed == 1 &&
      dialogs_.ask("写真を保存しますか？", "写真の保存", DialogButtons::YesNo,
                   DialogIcon::Information) == DialogAnswer::Yes) {
    // Closed once the photo is saved; a failed save keeps the window and its changes.
    savePhoto([this] { close(); });
    return;
  }
  QDialog::reject();
}

// ---------------------------------------------------------------- file commands

void EditorWindow::openPhoto() {
  const std::optional<QString> chosen =
      fileChooser_(QStringLiteral("写真の読込"), QString::fromStdString(editor_.photoPath));
  if (!chosen) return;
  runJob([this, path = chosen->toStdString()](std::stop_token) {
    return reportIfFailed(editor_.loadPhoto(path));
  });
}

void EditorWindow::savePhoto(Continuation afterSave) {
  runJob([this, afterSave = std::move(afterSave)](std::stop_token) -> Continuation {
    const Result<void> saved = editor_.save();
    if (!saved) return reportIfFailed(saved);
    return afterSave;
  });
}

void EditorWindow::savePhotoAs() {
  const std::optional<QString> chosen =
      fileChooser_(QStringLiteral("写真の読込"), QString::fromStdString(editor_.photoPath));
  if (!chosen) return;
  runJob([this, path = chosen->toStdString()](std::stop_token) {
    return reportIfFailed(editor_.saveAs(path));
  });
}

void EditorWindow::reloadPhoto() {
  runJob([this](std::stop_token) { return reportIfFailed(editor_.reload()); });
}

void EditorWindow::saveAndClose() {
  savePhoto([this] { close(); });
}

void EditorWindow::closeWithoutSaving() {
  editor_.changed = 0;
  close();
}

// ---------------------------------------------------------------- commands

void EditorWindow::rotate(int angle) {
  runJob([this, angle](std::stop_token) -> Continuation {
    editor_.rotate(angle);
    return {};
  });
}

ParameterDialog& EditorWindow::parameterDialog() {
  if (!dialog_ || dialog_->discarded()) {
    dialog_ = std::make_unique<ParameterDialog>(this);
    if (dialogPrepared_) dialogPrepared_(*dialog_);
  }
  return *dialog_;
}

void EditorWindow::effectCommand(EffectCommand command) {
  ParameterDialog& dialog = parameterDialog();
  dialog.configure(effectDialogSetup(command, state_.settings, editor_.shown()));
  const EffectDialogAnswer answer = dialog.ask();

  CommandOutcome outcome;
  std::optional<EffectStep> step = editor_.beginEffectCommand(command, answer, outcome);
  if (!step) return;

  if (!answer.allPhotos) {
    runJob([this, step = std::move(*step)](std::stop_token) -> Continuation {
      const CommandReport report = editor_.executeEffectCommand(step, false);
      return [this, report] { editor_.showFailures(report); };
    });
    return;
  }

  // Every photo of the list, with a window that names the photo and can stop the run
  // between two photos.
  progress_ = new QProgressDialog(this);
  progress_->setWindowTitle(QStringLiteral("一括加工"));
  progress_->setCancelButtonText(QStringLiteral("中止"));
  // Not modal: a modal progress window runs the event loop inside setValue. The editor's
  // commands are disabled until the run ends.
  progress_->setWindowModality(Qt::NonModal);
  progress_->setAutoReset(false);
  progress_->setAutoClose(false);
  progress_->setMinimumDuration(0);
  progress_->setRange(0, static_cast<int>(state_.photos.size()));
  progress_->setLabelText(QString());
  connect(progress_, &QProgressDialog::canceled, this, [this] {
    worker_.request_stop();
    progress_->setLabelText(QStringLiteral("中止しています…"));
  });
  progress_->show();

  runJob([this, step = std::move(*step)](std::stop_token stop) -> Continuation {
    auto onProgress = [this](std::size_t done, std::size_t, const std::string& path) {
      QMetaObject::invokeMethod(
          this,
          [this, done, path = QString::fromStdString(path)] {
            if (!progress_ || progress_->wasCanceled()) return;
            if (!path.isEmpty()) progress_->setLabelText(path);
            progress_->setValue(static_cast<int>(done));
          },
          Qt::QueuedConnection);
    };
    const CommandReport report = editor_.executeEffectCommand(step, true, onProgress, stop);
    return [this, report] {
      progress_->hide();
      progress_->deleteLater();
      progress_ = nullptr;
      if (dialog_) dialog_->untickAllPhotos();
      editor_.showFailures(report);
    };
  });
}

}  // namespace fotela::app
