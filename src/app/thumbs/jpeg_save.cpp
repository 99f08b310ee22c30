#include "thumbs/jpeg_save.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "program/program_state.h"

namespace fotela::app {
namespace {

// Room kept right of and below the preview: 512 twips.
constexpr int kMarginPixels = 512 / 15;

}  // namespace

JpegSave::JpegSave(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(qApp, dialogs) {
  setObjectName(QStringLiteral("JpegSave"));
  setWindowTitle(QStringLiteral("縮小画像作成"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  Picture2_ = new QLabel(this);
  Picture2_->setObjectName(QStringLiteral("Picture2"));
  Picture2_->setAccessibleName(QStringLiteral("縮小画像"));
  Picture2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Command1_ = new QPushButton(QStringLiteral("中止"), this);
  Command1_->setObjectName(QStringLiteral("Command1"));
  connect(Command1_, &QPushButton::clicked, this, [this] { requestStop(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Command1_, 0, Qt::AlignLeft);
  layout->addWidget(status_);
  layout->addWidget(Picture2_, 1);
  resize(240, 160);
}

JpegSave::~JpegSave() {
  requestStop(true);
}

ThumbRunResult JpegSave::runModal(ProgramState& state, CopyMode mode) {
  setWindowModality(Qt::ApplicationModal);
  // Started from the dialog's own event loop, so the end of the run always finds it running.
  QTimer::singleShot(0, this, [this, &state, mode] { start(state, mode); });
  exec();
  return result_;
}

void JpegSave::start(ProgramState& state, CopyMode mode) {
  done_ = false;
  result_ = {};
  Command1_->setEnabled(true);
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

void JpegSave::requestStop(bool wait) {
  if (!worker_.joinable()) return;
  worker_.request_stop();
  Command1_->setEnabled(false);
  if (!wait) return;
  if (!done_) {
    // The run may still show its failure warning, which needs this thread's event loop:
    // wait in a local loop rather than block in join().
    QPointer<JpegSave> self(this);
    QEventLoop loop;
    connect(this, &JpegSave::runFinished, &loop, &QEventLoop::quit);
    loop.exec();
    if (!self) return;  // a window that deletes itself on close may be gone now
  }
  if (worker_.joinable()) worker_.join();
}

void JpegSave::showCopy(const QString& file, int phase, qulonglong done, qulonglong total,
                        const QImage& picture) {
  status_->setText(QStringLiteral("%1 %2/%3 %4")
                       .arg(phase == 0 ? QStringLiteral("拡大表示用") : QStringLiteral("縮小画像"))
                       .arg(done)
                       .arg(total)
                       .arg(file));
  if (picture.isNull()) return;
  Picture2_->setPixmap(QPixmap::fromImage(picture));
  Picture2_->setMinimumSize(picture.size());
  // The window grows to hold the preview and never shrinks.
  layout()->activate();
  const QPoint at = Picture2_->pos();
  const QSize need(at.x() + picture.width() + kMarginPixels,
                   at.y() + picture.height() + kMarginPixels);
  if (need.width() > width() || need.height() > height())
    resize(std::max(width(), need.width()), std::max(height(), need.height()));
}

void JpegSave::runEnded() {
  if (worker_.joinable()) worker_.join();
  done_ = true;
  emit runFinished(result_);
  done(QDialog::Accepted);
}

void JpegSave::closeEvent(QCloseEvent* event) {
  if (running()) {
    // Closing waits for the copy being made; the window closes when the run has ended.
    requestStop();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void JpegSave::reject() {
  if (running()) {
    requestStop();
    return;
  }
  QDialog::reject();
}

}  // namespace fotela::app
