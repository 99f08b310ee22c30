#pragma once
// The viewer "画像View": one reused window that shows a photo with its file name above it.
// A photo larger than the room the screen leaves is shown fitted into it (aspect kept,
// smoothly scaled); "100%表示" (the key Z or a double click on the photo) switches between
// that and the photo's own pixels, scrollable. Esc and Ctrl+W close the window. The photo is
// decoded and scaled on a worker thread.

#include <QImage>
#include <QWidget>

class QAction;
class QHBoxLayout;
class QLabel;
class QScrollArea;

namespace fotela::app {

class PhotoCanvas;

class PhotoViewer : public QWidget {
  Q_OBJECT
 public:
  explicit PhotoViewer(QWidget* parent = nullptr);

  // Shows `path` (whose name is `file`, `width` x `height` pixels by the list), fitted.
  void showPhoto(const QString& path, const QString& file, int width, int height);
  QString shownFile() const;

 signals:
  // The photo asked for last has been decoded and is shown (or its failure is).
  void photoShown();

 private:
  // What the window adds around the photo: margins, the file name's row, the scroll frame.
  QSize chrome() const;
  // The room the screen leaves for the photo, inside this window's frame and controls.
  QSize pictureRoom() const;
  // The window as large as `picture` needs, within the screen, and on it.
  void fitWindowTo(QSize picture);
  void pictureLoaded(quint64 request, const QImage& full, const QImage& fitted,
                     const QString& path);
  // Between fitted and 100 %; the photo's point under `anchor` (a point of the scroll
  // area's viewport) stays under it.
  void setActualSize(bool actual, QPoint anchor);

  QHBoxLayout* header_;
  QLabel* fileLabel_;
  PhotoCanvas* picture_;
  QScrollArea* scroll_;
  QAction* actualSizeAction_;
  quint64 request_ = 0;
};

}  // namespace fotela::app
