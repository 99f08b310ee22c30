#include "browser/form2.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace fotela::app {

Form2::Form2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("写真の説明文"));
  setModal(true);
  Picture1_ = new QLabel(this);
  Picture1_->setObjectName(QStringLiteral("Picture1"));
  Picture1_->setAccessibleName(QStringLiteral("縮小画像"));
  Label1_ = new QLabel(QStringLiteral("写真の説明文を入力してください。"), this);
  Text1_ = new QLineEdit(this);
  Text1_->setObjectName(QStringLiteral("Text1"));
  Text1_->setMinimumWidth(393);  // 5895 twips
  Label1_->setBuddy(Text1_);
  Command1_ = new QPushButton(QStringLiteral("ＯＫ"), this);
  Command1_->setObjectName(QStringLiteral("Command1"));
  Command1_->setDefault(true);
  Command2_ = new QPushButton(QStringLiteral("キャンセル"), this);
  Command2_->setObjectName(QStringLiteral("Command2"));
  connect(Command1_, &QPushButton::clicked, this, &QDialog::accept);
  connect(Command2_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1_);
  buttons->addWidget(Command2_);
  buttons->addStretch();
  auto* layout = new QGridLayout(this);
  layout->addWidget(Picture1_, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(Label1_, 0, 1);
  layout->addWidget(Text1_, 1, 1);
  layout->addLayout(buttons, 2, 1);
  layout->setColumnStretch(1, 1);
}

void Form2::prepare(const QString& thumbPath, const QString& description) {
  QImage picture;
  if (QFileInfo(thumbPath).isFile()) picture = QImageReader(thumbPath).read();
  Picture1_->setVisible(!picture.isNull());
  Picture1_->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
  Text1_->setText(description);
  Text1_->selectAll();
  Text1_->setFocus();
}

QString Form2::description() const {
  return Text1_->text();
}

bool Form2::showsPicture() const {
  return !Picture1_->isHidden();
}

}  // namespace fotela::app
