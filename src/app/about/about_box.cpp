#include "about/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "common/user_dialogs.h"

#ifndef FOTELA_VERSION
#error "FOTELA_VERSION is set by the build from the project's version"
#endif

namespace fotela::app {

AboutBox::AboutBox(UserDialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 フォテラ"));
  setWindowModality(Qt::ApplicationModal);

  auto* title = new QLabel(QStringLiteral("フォテラ"));
  QFont big = title->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  title->setFont(big);
  auto* version = new QLabel(QStringLiteral("バージョン ") + versionText());
  auto* description = new QLabel(QStringLiteral("写真表示用HTMLファイル作成プログラム"));

  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setDefault(true);
  auto* sysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
  sysInfo->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(sysInfo, &QPushButton::clicked, this, &AboutBox::startSystemInformation);

  auto* text = new QVBoxLayout;
  text->addWidget(title);
  text->addWidget(version);
  text->addSpacing(12);
  text->addWidget(description);
  text->addStretch();
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(sysInfo);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(text, 1);
  layout->addSpacing(24);
  layout->addLayout(buttons);
}

QString AboutBox::versionText() {
  return QStringLiteral(FOTELA_VERSION);
}

QStringList AboutBox::systemInfoPrograms() {
  return {QStringLiteral("kinfocenter"),
          QStringLiteral("hardinfo2"),
          QStringLiteral("hardinfo"),
          QStringLiteral("gnome-system-monitor"),
          QStringLiteral("mate-system-monitor"),
          QStringLiteral("xfce4-taskmanager")};
}

void AboutBox::startSystemInformation() {
  for (const QString& name : systemInfoPrograms()) {
    const QString program = QStandardPaths::findExecutable(name);
    if (!program.isEmpty() && QProcess::startDetached(program, {})) return;
  }
  dialogs_.message("現時点ではｼｽﾃﾑ情報を使用できません", kProgramTitle, DialogIcon::None);
}

}  // namespace fotela::app
