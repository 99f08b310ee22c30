#include "thumbnails/thumbnail_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/on_screen.h"
#include "program/program_state.h"

namespace fotela::app {
namespace {

// Room kept right of and below the preview: 512 twips.
constexpr int kMarginPixels = 512 / 15;

}  // namespace

ThumbnailWindow::ThumbnailWindow(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(qApp, dialogs) {
  setObjectName(QStringLiteral("JpegSave"));
  setWindowTitle(QStringLiteral("縮小画像作成"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  preview_ = new QLabel(this);
  preview_->setObjectName(QStringLiteral("Picture2"));
  preview_->setAccessibleName(QStringLiteral("縮小画像"));
  preview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // The window grows to the preview but stays on the screen, cutting a larger preview off.
  preview_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  stopButton_ = new QPushButton(QStringLiteral("中止"), this);
  stopButton_->setObjectName(QStringLiteral("Command1"));
  connect(stopButton_, &QPushButton::clicked, this, [this] { requestStop(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(stopButton_, 0, Qt::AlignLeft);
  layout->addWidget(status_);
  layout->addWidget(preview_, 1);
  resize(240, 160);
}

ThumbnailWindow::~ThumbnailWindow() {
  requestStop(true);
}

ThumbRunResult ThumbnailWindow::runModal(ProgramState& state, CopyMode mode) {
  setWindowModality(Qt::ApplicationModal);
  // Started from the dialog's own event loop, so the end of the run always finds it running.
  QTimer::singleShot(0, this, [this, &state, mode] { start(state, mode); });
  exec();
  return result_;
}

void ThumbnailWindow::start(ProgramState& state, CopyMode mode) {
  done_ = false;
  result_ = {};
  stopButton_->setEnabled(true);
  status_->clear();
  show();
  worker_ = std::jthread([this, &state, mode](std::stop_token stop) {
    ThumbRunResult result =
        runThumbnailMaker(state, dialogs_, mode, stop, [this](const CopyProgress& p) {
          QImage picture;
          if (p.preview && !p.preview->empty())
            picture = QImage(p.preview->data(), p.preview->width(), p.preview->height(),
                             static_cast<qsizetype>(p.preview->stride()), QImage::Format_RGB888)
                          .copy();
          QMetaObject::invokeMethod(
              this,
              [this, file = QString::fromStdString(p.fileName), phase = p.phase,
               done = qulonglong(p.done), total = qulonglong(p.total),
               picture] { showCopy(file, phase, done, total, picture); },
              Qt::QueuedConnection);
        });
    QMetaObject::invokeMethod(
        this,
        [this, result = std::move(result)] {
          result_ = result;
          runEnded();
        },
        Qt::QueuedConnection);
  });
}

void ThumbnailWindow::requestStop(bool wait) {
  if (!worker_.joinable()) return;
  worker_.request_stop();
  stopButton_->setEnabled(false);
  if (!wait) return;
  if (!done_) {
    // The run may still show its failure warning, which needs this thread's event loop:
    // wait in a local loop rather than block in join().
    QPointer<ThumbnailWindow> self(this);
    QEventLoop loop;
    connect(this, &ThumbnailWindow::runFinished, &loop, &QEventLoop::quit);
    loop.exec();
    if (!self) return;  // a window that deletes itself on close may be gone now
  }
  if (worker_.joinable()) worker_.join();
}

void ThumbnailWindow::showCopy(const QString& file, int phase, qulonglong done, qulonglong total,
                               const QImage& picture) {
  status_->setText(QStringLiteral("%1 %2/%3 %4")
                       .arg(phase == 0 ? QStringLiteral("拡大表示用") : QStringLiteral("縮小画像"))
                       .arg(done)
                       .arg(total)
                       .arg(file));
  if (picture.isNull()) return;
  preview_->setPixmap(QPixmap::fromImage(picture));
  // The window grows to hold the preview and never shrinks.
  layout()->activate();
  const QPoint at = preview_->pos();
  const QSize need(at.x() + picture.width() + kMarginPixels,
                   at.y() + picture.height() + kMarginPixels);
  if (need.width() > width() || need.height() > height()) {
    resize(std::max(width(), need.width()), std::max(height(), need.height()));
    keepOnScreen(this);
  }
}

void ThumbnailWindow::runEnded() {
  if (worker_.joinable()) worker_.join();
  done_ = true;
  emit runFinished(result_);
  done(QDialog::Accepted);
}

void ThumbnailWindow::closeEvent(QCloseEvent* event) {
  if (running()) {
    // Closing waits for the copy being made; the window closes when the run has ended.
    requestStop();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void ThumbnailWindow::reject() {
  if (running()) {
    requestStop();
    return;
  }
  QDialog::reject();
}

}  // namespace fotela::app
