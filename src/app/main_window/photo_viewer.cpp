#include "main_window/photo_viewer.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

#include "common/on_screen.h"

namespace fotela::app {

// The photo as the viewer shows it: the fitted copy or the photo's own pixels (a failure's
// text instead when it cannot be read). Paints only what is exposed, so a large photo
// scrolls without being copied whole.
class PhotoCanvas : public QWidget {
 public:
  explicit PhotoCanvas(QWidget* parent = nullptr) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setAccessibleName(QStringLiteral("写真"));
  }
  // Nothing yet, at the size the photo will have.
  void clear(QSize size) {
    full_ = fitted_ = {};
    message_.clear();
    resize(size);
    update();
  }
  void setPhoto(const QImage& full, const QImage& fitted) {
    full_ = full;
    fitted_ = fitted;
    message_.clear();
    resize(shownSize());
    update();
  }
  void setMessage(const QString& text) {
    full_ = fitted_ = {};
    message_ = text;
    resize(fontMetrics().size(0, text) + QSize(2 * kMargin, 2 * kMargin));
    update();
  }
  void setActualSize(bool actual) {
    actual_ = actual;
    if (!full_.isNull()) resize(shownSize());
    update();
  }
  // Shown pixels per pixel of the photo.
  double scale() const {
    if (actual_ || full_.isNull() || fitted_.isNull()) return 1.0;
    return double(fitted_.width()) / full_.width();
  }
  std::function<void(QPoint)> doubleClicked;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    if (!message_.isEmpty()) {
      painter.drawText(rect().marginsRemoved({kMargin, kMargin, kMargin, kMargin}), message_);
      return;
    }
    const QImage& shown = actual_ ? full_ : fitted_;
    const QRect target = event->rect() & shown.rect();
    if (!target.isEmpty()) painter.drawImage(target, shown, target);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (doubleClicked && event->button() == Qt::LeftButton)
      doubleClicked(event->position().toPoint());
  }

 private:
  static constexpr int kMargin = 8;
  QSize shownSize() const { return actual_ ? full_.size() : fitted_.size(); }

  QImage full_;
  QImage fitted_;  // the same pixels as full_ when the photo fits
  QString message_;
  bool actual_ = false;
};

namespace {

// `photo` scaled into `room` with its aspect kept; never enlarged.
QSize fittedSize(QSize photo, QSize room) {
  if (photo.width() <= room.width() && photo.height() <= room.height()) return photo;
  return photo.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// A plain top-level widget reaches a screen reader as a "filler"; the viewer is a window.
QAccessibleInterface* viewerAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String(PhotoViewer::staticMetaObject.className())) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

PhotoViewer::PhotoViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
  static const bool accessibleAsWindow = (QAccessible::installFactory(viewerAccessible), true);
  (void)accessibleAsWindow;
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("画像View"));
  fileLabel_ = new QLabel(this);
  fileLabel_->setObjectName(QStringLiteral("Label1"));
  picture_ = new PhotoCanvas;
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(picture_);
  scroll_->setAccessibleName(QStringLiteral("写真"));

  actualSizeAction_ = new QAction(QStringLiteral("100%表示"), this);
  actualSizeAction_->setCheckable(true);
  actualSizeAction_->setShortcut(QKeySequence(Qt::Key_Z));
  actualSizeAction_->setToolTip(
      QStringLiteral("画面に合わせた表示と100%表示を切り替えます (Z キー、写真のダブルクリック)"));
  auto* closeAction = new QAction(QStringLiteral("閉じる"), this);
  closeAction->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
  closeAction->setToolTip(QStringLiteral("閉じる (Esc、Ctrl+W)"));
  addAction(actualSizeAction_);
  addAction(closeAction);
  auto button = [this](QAction* action) {
    auto* b = new QToolButton(this);
    b->setDefaultAction(action);
    return b;
  };

  header_ = new QHBoxLayout;
  header_->addWidget(fileLabel_, 1);
  header_->addWidget(button(actualSizeAction_));
  header_->addWidget(button(closeAction));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header_);
  layout->addWidget(scroll_, 1);

  connect(actualSizeAction_, &QAction::toggled, this,
          [this](bool actual) { setActualSize(actual, scroll_->viewport()->rect().center()); });
  connect(closeAction, &QAction::triggered, this, &QWidget::close);
  picture_->doubleClicked = [this](QPoint at) {
    const QPoint anchor = picture_->mapTo(scroll_->viewport(), at);
    const QSignalBlocker quiet(actualSizeAction_);
    actualSizeAction_->toggle();
    setActualSize(actualSizeAction_->isChecked(), anchor);
  };
}

QString PhotoViewer::shownFile() const {
  return fileLabel_->text();
}

QSize PhotoViewer::chrome() const {
  const QMargins m = layout()->contentsMargins();
  const int frame = 2 * scroll_->frameWidth();
  return {m.left() + m.right() + frame,
          m.top() + m.bottom() + header_->sizeHint().height() + layout()->spacing() + frame};
}

QSize PhotoViewer::pictureRoom() const {
  const QSize frame = frameGeometry().size() - geometry().size();
  return (availableScreenArea(this).size() - frame - chrome()).expandedTo(QSize(1, 1));
}

void PhotoViewer::fitWindowTo(QSize picture) {
  const QSize frame = frameGeometry().size() - geometry().size();
  const QSize room = availableScreenArea(this).size() - frame;
  resize((picture + chrome()).boundedTo(room).expandedTo(QSize(200, 120)));
  keepOnScreen(this);
}

void PhotoViewer::showPhoto(const QString& path, const QString& file, int width, int height) {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  fileLabel_->setText(file);
  {
    // Every photo opens fitted.
    const QSignalBlocker quiet(actualSizeAction_);
    actualSizeAction_->setChecked(false);
    picture_->setActualSize(false);
  }
  const QSize room = pictureRoom();
  const QSize listed = fittedSize(QSize(std::max(width, 1), std::max(height, 1)), room);
  picture_->clear(listed);
  fitWindowTo(listed);

  const quint64 request = ++request_;
  QPointer<PhotoViewer> self(this);
  QThreadPool::globalInstance()->start([self, request, path, room] {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage full = reader.read();
    QImage fitted = full;
    if (!full.isNull() && fittedSize(full.size(), room) != full.size())
      fitted = full.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Posted through the application object: the window may be gone by now.
    QMetaObject::invokeMethod(
        qApp,
        [self, request, full, fitted, path] {
          if (self) self->pictureLoaded(request, full, fitted, path);
        },
        Qt::QueuedConnection);
  });
}

void PhotoViewer::pictureLoaded(quint64 request, const QImage& full, const QImage& fitted,
                                const QString& path) {
  if (request != request_) return;  // a later photo was asked for meanwhile
  const QSize before = picture_->size();
  if (full.isNull())
    picture_->setMessage(QStringLiteral("%1 を表示できません。").arg(path));
  else
    picture_->setPhoto(full, fitted);
  // The list's size was not the photo's: the window follows the photo.
  if (picture_->size() != before) fitWindowTo(picture_->size());
  emit photoShown();
}

void PhotoViewer::setActualSize(bool actual, QPoint anchor) {
  const QPointF onPhoto = QPointF(anchor - picture_->pos()) / picture_->scale();
  picture_->setActualSize(actual);
  const QPointF scrolled = onPhoto * picture_->scale() - QPointF(anchor);
  scroll_->horizontalScrollBar()->setValue(qRound(scrolled.x()));
  scroll_->verticalScrollBar()->setValue(qRound(scrolled.y()));
}

}  // namespace fotela::app
