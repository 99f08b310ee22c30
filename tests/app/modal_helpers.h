#pragma once
// Answers the next modal dialog of a type as soon as it shows: the dialogs that
// QFileDialog, QColorDialog and QInputDialog open run their own event loop, so the
// test acts from a timer inside it.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>

template <class D>
void whenModal(std::function<void(D*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(dialog);
  });
  timer->start();
}
