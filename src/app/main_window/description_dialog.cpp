#include "main_window/description_dialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace fotela::app {

DescriptionDialog::DescriptionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("写真の説明文"));
  setModal(true);
  thumbnail_ = new QLabel(this);
  thumbnail_->setObjectName(QStringLiteral("Picture1"));
  thumbnail_->setAccessibleName(QStringLiteral("縮小画像"));
  prompt_ = new QLabel(QStringLiteral("写真の説明文を入力してください。"), this);
  descriptionBox_ = new QLineEdit(this);
  descriptionBox_->setObjectName(QStringLiteral("Text1"));
  descriptionBox_->setMinimumWidth(393);  // 5895 twips
  prompt_->setBuddy(descriptionBox_);
  okButton_ = new QPushButton(QStringLiteral("ＯＫ"), this);
  okButton_->setObjectName(QStringLiteral("Command1"));
  okButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
  cancelButton_->setObjectName(QStringLiteral("Command2"));
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  buttons->addStretch();
  auto* layout = new QGridLayout(this);
  layout->addWidget(thumbnail_, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(prompt_, 0, 1);
  layout->addWidget(descriptionBox_, 1, 1);
  layout->addLayout(buttons, 2, 1);
  layout->setColumnStretch(1, 1);
}

void DescriptionDialog::prepare(const QString& thumbPath, const QString& description) {
  QImage picture;
  if (QFileInfo(thumbPath).isFile()) picture = QImageReader(thumbPath).read();
  thumbnail_->setVisible(!picture.isNull());
  thumbnail_->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
  descriptionBox_->setText(description);
  descriptionBox_->selectAll();
  descriptionBox_->setFocus();
}

QString DescriptionDialog::description() const {
  return descriptionBox_->text();
}

bool DescriptionDialog::showsPicture() const {
  return !thumbnail_->isHidden();
}

}  // namespace fotela::app
