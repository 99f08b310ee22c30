#include "common/screen_room.h"

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

void moveOntoScreen(QWidget* window) {
  const QRect area = availableScreenArea(window);
  if (area.isEmpty()) return;
  const QRect frame = window->frameGeometry();
  const QPoint to(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())),
                  std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
  if (to != frame.topLeft()) window->move(to);
}

}  // namespace fotela::app
