#pragma once
// The viewer "画像View": one reused window that shows a photo at its own pixel size,
// scrollable when larger than the screen. The photo is decoded on a worker thread.

#include <QWidget>

class QLabel;
class QScrollArea;

namespace fotela::app {

class PhotoViewer : public QWidget {
  Q_OBJECT
 public:
  explicit PhotoViewer(QWidget* parent = nullptr);

  // Shows `path` (whose name is `file`, `width` x `height` pixels by the list).
  void showPhoto(const QString& path, const QString& file, int width, int height);
  QString shownFile() const;

 private:
  void pictureLoaded(quint64 request, const QImage& image, const QString& path);

  QLabel* fileLabel_;
  QLabel* picture_;
  QScrollArea* scroll_;
  quint64 request_ = 0;
};

}  // namespace fotela::app
