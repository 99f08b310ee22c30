#include "main_window/photo_list_model.h"

#include <QDataStream>
#include <QIODevice>
#include <QImageReader>
#include <QMimeData>
#include <QPixmap>

#include <algorithm>

namespace fotela::app {
namespace {

constexpr const char* kRowsMime = "application/x-fotela-photo-rows";
constexpr int kIconPixels = 32;

const std::string& field(const PhotoEntry& e, int column) {
  switch (column) {
    case 0:
      return e.name;
    case 1:
      return e.type;
    case 2:
      return e.width;
    case 3:
      return e.height;
    case 4:
      return e.sizeText;
    case 5:
      return e.modified;
    default:
      return e.description;
  }
}

}  // namespace

PhotoListModel::PhotoListModel(std::vector<PhotoEntry>& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {
  // Thumbnails load one or two at a time, so a long list never floods the machine.
  loaders_.setMaxThreadCount(2);
}

PhotoListModel::~PhotoListModel() {
  loaders_.clear();
  loaders_.waitForDone();
}

int PhotoListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PhotoListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PhotoListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  const PhotoEntry& e = rows_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == 6))
    return QString::fromStdString(field(e, index.column()));
  if (role == Qt::DecorationRole && index.column() == 0 && !thumbPrefix_.isEmpty()) {
    const QString file = QString::fromStdString(e.fileName());
    auto it = icons_.constFind(file);
    if (it != icons_.constEnd()) return it->isNull() ? QVariant() : QVariant(*it);
    requestThumbnail(index.row());
    return {};
  }
  if (role == Qt::TextAlignmentRole && index.column() >= 2 && index.column() <= 4)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant PhotoListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kHeadings[kColumnCount] = {"名前",   "画像の種類", "幅",    "高さ",
                                                      "サイズ", "更新日時",   "説明文"};
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= kColumnCount) return {};
  return QString::fromUtf8(kHeadings[section]);
}

Qt::ItemFlags PhotoListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

Qt::DropActions PhotoListModel::supportedDropActions() const {
  return Qt::MoveAction;
}

QStringList PhotoListModel::mimeTypes() const {
  return {QString::fromLatin1(kRowsMime)};
}

QMimeData* PhotoListModel::mimeData(const QModelIndexList& indexes) const {
  std::vector<int> rows;
  for (const QModelIndex& i : indexes) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  for (int r : rows) out << r;
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kRowsMime), bytes);
  return mime;
}

bool PhotoListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex&) const {
  return action == Qt::MoveAction && data && data->hasFormat(QString::fromLatin1(kRowsMime));
}

bool PhotoListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                  const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, 0, parent)) return false;
  // Dropped on a row: before it; on the empty space below the rows: at the end.
  int target = row >= 0 ? row : parent.isValid() ? parent.row() : rowCount();
  std::vector<int> rows;
  QDataStream in(data->data(QString::fromLatin1(kRowsMime)));
  while (!in.atEnd()) {
    int r = -1;
    in >> r;
    if (r >= 0 && r < rowCount()) rows.push_back(r);
  }
  moveRowsTo(rows, target);
  // The rows were moved here; false keeps the view from removing the "dragged" originals.
  return false;
}

void PhotoListModel::resetRows(const QString& thumbPrefix) {
  beginResetModel();
  thumbPrefix_ = thumbPrefix;
  ++generation_;
  icons_.clear();
  requested_.clear();
  endResetModel();
}

void PhotoListModel::reloadThumbnails() {
  ++generation_;
  icons_.clear();
  requested_.clear();
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

bool PhotoListModel::moveBlock(std::vector<int> rows, int delta) {
  if (rows.empty() || (delta != -1 && delta != 1)) return false;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.front() + delta < 0 || rows.back() + delta >= rowCount()) return false;
  // Each row changes place with its neighbour; walking from the leading edge keeps the
  // block together.
  if (delta > 0) std::reverse(rows.begin(), rows.end());
  for (int r : rows) {
    const int to = r + delta;
    beginMoveRows({}, r, r, {}, delta < 0 ? to : to + 1);
    std::swap(rows_[static_cast<std::size_t>(r)], rows_[static_cast<std::size_t>(to)]);
    endMoveRows();
  }
  emit orderChanged();
  return true;
}

bool PhotoListModel::moveRowsTo(std::vector<int> rows, int target) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.empty()) return false;
  target = std::clamp(target, 0, rowCount());
  bool moved = false;
  // One row at a time, so the views keep selection and current row on the moved photos.
  int insertAt = target;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    int from = rows[k];
    if (from == insertAt || from + 1 == insertAt) {
      // Already in place.
      insertAt = from + 1;
      continue;
    }
    beginMoveRows({}, from, from, {}, insertAt);
    auto first = rows_.begin();
    if (from < insertAt) {
      std::rotate(first + from, first + from + 1, first + insertAt);
      // Rows after `from` that are still to move slid up by one.
      for (std::size_t j = k + 1; j < rows.size(); ++j)
        if (rows[j] > from && rows[j] < insertAt) --rows[j];
    } else {
      std::rotate(first + insertAt, first + from, first + from + 1);
      for (std::size_t j = k + 1; j < rows.size(); ++j)
        if (rows[j] >= insertAt && rows[j] < from) ++rows[j];
      ++insertAt;
    }
    endMoveRows();
    moved = true;
  }
  if (moved) emit orderChanged();
  return moved;
}

void PhotoListModel::sortAsText(int column) {
  if (column < 0 || column >= kColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::size_t> order(rows_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::vector<QString> keys(rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i)
    keys[i] = QString::fromStdString(field(rows_[i], column));
  // Text order, letters without regard to case: "1024" comes before "640".
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return QString::compare(keys[a], keys[b], Qt::CaseInsensitive) < 0;
  });
  std::vector<PhotoEntry> sorted;
  sorted.reserve(rows_.size());
  std::vector<int> newRowOf(rows_.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(rows_[order[i]]));
    newRowOf[order[i]] = static_cast<int>(i);
  }
  rows_ = std::move(sorted);
  QModelIndexList after;
  for (const QModelIndex& i : before)
    after.push_back(index(newRowOf[static_cast<std::size_t>(i.row())], i.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  emit orderChanged();
}

void PhotoListModel::setDescription(int row, const std::string& description) {
  if (row < 0 || row >= rowCount()) return;
  rows_[static_cast<std::size_t>(row)].description = description;
  emit dataChanged(index(row, 6), index(row, 6));
  emit orderChanged();
}

void PhotoListModel::requestThumbnail(int row) const {
  const QString file = QString::fromStdString(rows_[static_cast<std::size_t>(row)].fileName());
  if (requested_.contains(file)) return;
  requested_.insert(file);
  const QString path = thumbPrefix_ + file;
  const quint64 generation = generation_;
  auto* self = const_cast<PhotoListModel*>(this);
  loaders_.start([self, generation, file, path] {
    QImageReader reader(path);
    QImage image;
    if (reader.canRead()) {
      QSize size = reader.size();
      if (size.isValid())
        reader.setScaledSize(size.scaled(kIconPixels, kIconPixels, Qt::KeepAspectRatio));
      image = reader.read();
    }
    QMetaObject::invokeMethod(
        self, [self, generation, file, image] { self->thumbnailLoaded(generation, file, image); },
        Qt::QueuedConnection);
  });
}

void PhotoListModel::thumbnailLoaded(quint64 generation, const QString& file, const QImage& image) {
  if (generation != generation_) return;
  icons_.insert(file, image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
  // The same file may stand in several rows (an order file can name it twice); the views
  // repaint only what they show.
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

}  // namespace fotela::app
