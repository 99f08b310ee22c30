#include "startup/splash_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace fotela::app {

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("ﾌｫﾃﾗ起動中"));
  auto* heading = new QLabel(QStringLiteral("ﾌｫﾃﾗ起動中"), this);
  QFont font = heading->font();
  font.setPointSizeF(font.pointSizeF() * 1.5);
  font.setBold(true);
  heading->setFont(font);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  cancel->setObjectName(QStringLiteral("Command1"));
  connect(cancel, &QPushButton::clicked, this, &SplashWindow::cancelled);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(
      new QLabel(QStringLiteral("写真の枚数が多い場合は起動に時間がかかります。"), this));
  layout->addWidget(new QLabel(QStringLiteral("しばらくお待ちください。"), this));
  layout->addWidget(cancel, 0, Qt::AlignRight);
}

}  // namespace fotela::app
