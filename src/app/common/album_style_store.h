#pragma once
// The album style a user picked, kept in the per-user settings store (QSettings, application
// "フォテラ", group "Settings", key "AlbumStyle": "classic" or "modern") and not in the
// settings file, whose layout other tools read.

#include <QSettings>

#include "program/program_state.h"

namespace fotela::app {

// The per-user settings store: window placement and the album style.
QSettings userSettingsStore();

// The stored style; Classic when none or an unknown value is stored.
AlbumStyle storedAlbumStyle();
void storeAlbumStyle(AlbumStyle style);

}  // namespace fotela::app
