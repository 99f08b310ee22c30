#include "common/on_screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace fotela::app {

QRect availableScreenArea(const QWidget* window) {
  const QScreen* screen = window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

QRect fittedInto(const QRect& frame, const QRect& available) {
  const QSize size = frame.size().boundedTo(available.size());
  const int left = std::clamp(frame.left(), available.left(), available.right() - size.width() + 1);
  const int top = std::clamp(frame.top(), available.top(), available.bottom() - size.height() + 1);
  return {QPoint(left, top), size};
}

void keepOnScreen(QWidget* window) {
  const QRect frame = window->frameGeometry();
  QScreen* screen = QGuiApplication::screenAt(frame.center());
  if (!screen) screen = window->screen();
  if (!screen) return;
  const QRect target = fittedInto(frame, screen->availableGeometry());
  if (target == frame) return;
  // The frame's own margins stay as they are; only the client area shrinks.
  if (target.size() != frame.size())
    window->resize(window->size() - (frame.size() - target.size()));
  window->move(target.topLeft());
}

}  // namespace fotela::app
