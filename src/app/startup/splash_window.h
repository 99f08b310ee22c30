#pragma once
// The start-up splash "ﾌｫﾃﾗ起動中", shown while the first folder is read. Its キャンセル ends
// the program.

#include <QWidget>

namespace fotela::app {

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SplashWindow(QWidget* parent = nullptr);

 signals:
  void cancelled();
};

}  // namespace fotela::app
