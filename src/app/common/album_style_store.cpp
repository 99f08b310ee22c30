#include "common/album_style_store.h"

#include <QSettings>

namespace fotela::app {
namespace {

const QString kKey = QStringLiteral("Settings/AlbumStyle");

}  // namespace

QSettings userSettingsStore() {
  return QSettings(QStringLiteral("フォテラ"), QStringLiteral("フォテラ"));
}

AlbumStyle storedAlbumStyle() {
  return userSettingsStore().value(kKey).toString() == QStringLiteral("modern")
             ? AlbumStyle::Modern
             : AlbumStyle::Classic;
}

void storeAlbumStyle(AlbumStyle style) {
  userSettingsStore().setValue(
      kKey, style == AlbumStyle::Modern ? QStringLiteral("modern") : QStringLiteral("classic"));
}

}  // namespace fotela::app
