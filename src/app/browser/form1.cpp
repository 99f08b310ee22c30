#include "browser/form1.h"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QThreadPool>
#include <QVBoxLayout>

namespace fotela::app {

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("画像View"));
  Label1_ = new QLabel(this);
  Label1_->setObjectName(QStringLiteral("Label1"));
  Picture1_ = new QLabel;
  Picture1_->setObjectName(QStringLiteral("Picture1"));
  Picture1_->setAccessibleName(QStringLiteral("写真"));
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(Picture1_);
  scroll_->setAccessibleName(QStringLiteral("写真"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1_);
  layout->addWidget(scroll_, 1);
}

QString Form1::shownFile() const {
  return Label1_->text();
}

void Form1::showPhoto(const QString& path, const QString& file, int width, int height) {
  if (isMinimized()) showNormal();
  show();
  raise();
  Label1_->setText(file);
  Picture1_->setPixmap({});
  Picture1_->resize(std::max(width, 1), std::max(height, 1));
  // As large as the photo needs, never larger than the screen.
  QSize want(width + 2 * scroll_->frameWidth() + layout()->contentsMargins().left() +
                 layout()->contentsMargins().right(),
             height + Label1_->sizeHint().height() + layout()->spacing() +
                 2 * scroll_->frameWidth() + layout()->contentsMargins().top() +
                 layout()->contentsMargins().bottom());
  if (QScreen* s = screen()) want = want.boundedTo(s->availableGeometry().size() * 9 / 10);
  resize(want.expandedTo(QSize(200, 120)));

  const quint64 request = ++request_;
  QPointer<Form1> self(this);
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

void Form1::pictureLoaded(quint64 request, const QImage& image, const QString& path) {
  if (request != request_) return;  // a later photo was asked for meanwhile
  if (image.isNull()) {
    Picture1_->setText(QStringLiteral("%1 を表示できません。").arg(path));
    Picture1_->adjustSize();
    return;
  }
  Picture1_->setPixmap(QPixmap::fromImage(image));
  Picture1_->resize(image.size());
}

}  // namespace fotela::app
