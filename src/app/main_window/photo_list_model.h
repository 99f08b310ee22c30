#pragma once
// The photo list as a table: the rows are the core's PhotoEntry vector (the album order),
// shown in the columns 名前 .. 説明文. Rows move by drag and drop or as a block by one
// place; a column sorts ascending as text. Every change of order or description emits
// orderChanged(). The 名前 column shows the photo's thumbnail, loaded on a worker thread.

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QThreadPool>

#include <vector>

#include "photos/photo_entry.h"

namespace fotela::app {

class PhotoListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kColumnCount = 7;
  // Column widths in twips, in column order.
  static constexpr int kColumnTwips[kColumnCount] = {2540, 2117, 1411, 1411, 1764, 3528, 6068};

  explicit PhotoListModel(std::vector<PhotoEntry>& rows, QObject* parent = nullptr);
  ~PhotoListModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDropActions() const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // The rows were replaced (a folder scan); thumbnails come from `thumbPrefix` + file name.
  void resetRows(const QString& thumbPrefix);
  // Forget loaded thumbnails (the copies were remade).
  void reloadThumbnails();

  // Moves the given rows by delta (-1 or +1) as a block. Nothing moves when one of them
  // would leave the list. Returns whether they moved.
  bool moveBlock(std::vector<int> rows, int delta);
  // Moves the given rows, in their order, to stand before `target` (rowCount() = the end).
  bool moveRowsTo(std::vector<int> rows, int target);
  // Ascending by the column's text; never a toggle.
  void sortAsText(int column);
  void setDescription(int row, const std::string& description);

 signals:
  void orderChanged();

 private:
  void requestThumbnail(int row) const;
  void thumbnailLoaded(quint64 generation, const QString& file, const QImage& image);

  std::vector<PhotoEntry>& rows_;
  QString thumbPrefix_;
  quint64 generation_ = 0;
  mutable QHash<QString, QIcon> icons_;
  mutable QSet<QString> requested_;
  mutable QThreadPool loaders_;
};

}  // namespace fotela::app
