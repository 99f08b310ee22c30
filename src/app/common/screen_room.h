#pragma once
// Keeping windows on the screen without relying on a window manager.

#include <QRect>

class QWidget;

namespace fotela::app {

// The available part (without panels) of the screen `window` is on; the primary screen's
// when it is on none yet.
QRect availableScreenArea(const QWidget* window);
// Moves the top-level `window` so that its frame lies on that area; a window larger than
// the area keeps its top-left corner on it.
void moveOntoScreen(QWidget* window);

}  // namespace fotela::app
