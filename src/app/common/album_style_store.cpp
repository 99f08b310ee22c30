#include "common/album_style_store.h"

#include <QSettings>

namespace fotela::app {
namespace {

const QString kKey = QStringLiteral("Settings/AlbumStyle");

QSettings userStore() {
  return QSettings(QStringLiteral("フォテラ"), QStringLiteral("フォテラ"));
}

}  // namespace

AlbumStyle storedAlbumStyle() {
  return userStore().value(kKey).toString() == QStringLiteral("modern") ? AlbumStyle::Modern
                                                                        : AlbumStyle::Classic;
}

void storeAlbumStyle(AlbumStyle style) {
  userStore().setValue(
      kKey, style == AlbumStyle::Modern ? QStringLiteral("modern") : QStringLiteral("classic"));
}

}  // namespace fotela::app
