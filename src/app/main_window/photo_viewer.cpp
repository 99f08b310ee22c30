#include "main_window/photo_viewer.h"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QThreadPool>
#include <QVBoxLayout>

#include "common/on_screen.h"

namespace fotela::app {

PhotoViewer::PhotoViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("画像View"));
  fileLabel_ = new QLabel(this);
  fileLabel_->setObjectName(QStringLiteral("Label1"));
  picture_ = new QLabel;
  picture_->setObjectName(QStringLiteral("Picture1"));
  picture_->setAccessibleName(QStringLiteral("写真"));
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(picture_);
  scroll_->setAccessibleName(QStringLiteral("写真"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fileLabel_);
  layout->addWidget(scroll_, 1);
}

QString PhotoViewer::shownFile() const {
  return fileLabel_->text();
}

void PhotoViewer::showPhoto(const QString& path, const QString& file, int width, int height) {
  if (isMinimized()) showNormal();
  show();
  raise();
  fileLabel_->setText(file);
  picture_->setPixmap({});
  picture_->resize(std::max(width, 1), std::max(height, 1));
  // As large as the photo needs, never larger than the screen.
  QSize want(width + 2 * scroll_->frameWidth() + layout()->contentsMargins().left() +
                 layout()->contentsMargins().right(),
             height + fileLabel_->sizeHint().height() + layout()->spacing() +
                 2 * scroll_->frameWidth() + layout()->contentsMargins().top() +
                 layout()->contentsMargins().bottom());
  if (QScreen* s = screen()) want = want.boundedTo(s->availableGeometry().size() * 9 / 10);
  resize(want.expandedTo(QSize(200, 120)));
  keepOnScreen(this);

  const quint64 request = ++request_;
  QPointer<PhotoViewer> self(this);
  QThreadPool::globalInstance()->start([self, request, path] {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    // Posted through the application object: the window may be gone by now.
    QMetaObject::invokeMethod(
        qApp,
        [self, request, image, path] {
          if (self) self->pictureLoaded(request, image, path);
        },
        Qt::QueuedConnection);
  });
}

void PhotoViewer::pictureLoaded(quint64 request, const QImage& image, const QString& path) {
  if (request != request_) return;  // a later photo was asked for meanwhile
  if (image.isNull()) {
    picture_->setText(QStringLiteral("%1 を表示できません。").arg(path));
    picture_->adjustSize();
    return;
  }
  picture_->setPixmap(QPixmap::fromImage(image));
  picture_->resize(image.size());
}

}  // namespace fotela::app
