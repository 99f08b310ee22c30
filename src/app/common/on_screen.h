#pragma once
// Windows open on the available part of a screen and stay there when they grow. There may
// be no window manager to move them back, so the windows do it themselves.

#include <QRect>

class QWidget;

namespace fotela::app {

// The available part (without panels) of the screen `window` is on; the primary screen's
// when it is on none yet.
QRect availableScreenArea(const QWidget* window);

// `frame` moved (and, where it is larger, shrunk) so that it lies inside `available`.
QRect fittedInto(const QRect& frame, const QRect& available);

// Moves and, when needed, shrinks the top-level `window` so that its frame lies on the
// available geometry of the screen holding its centre (its own screen when none does).
void keepOnScreen(QWidget* window);

}  // namespace fotela::app
