#include "editor/parameter_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "common/text.h"

namespace fotela::app {
namespace {

constexpr int kNarrowFirstBox = 33;
constexpr int kWideFirstBox = 169;

// Prompts break lines with CR LF; Qt wants LF.
QString promptText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

int channel(const std::string& text, std::size_t from) {
  const int value = HexToNumber(from < text.size() ? std::string_view(text).substr(from, 2) : "");
  return std::clamp(value, 0, 255);
}

std::optional<QColor> askColour(QWidget* parent, const QColor& start) {
  QColorDialog dialog(start, parent);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedColor();
}

std::optional<QString> askCompositeFile(QWidget* parent, const QString& start) {
  QFileDialog dialog(parent, QStringLiteral("合成画像の指定"), start,
                     QStringLiteral("画像ファイル (*.bmp *.jpg *.png *.BMP *.JPG *.PNG)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace

ParameterDialog::ParameterDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Dialog1"));
  setWindowModality(Qt::ApplicationModal);
  firstPrompt_ = new QLabel(this);
  firstBox_ = new QLineEdit(QStringLiteral("75"), this);
  fileButton_ = new QPushButton(QStringLiteral("参照"), this);
  secondPrompt_ = new QLabel(this);
  secondBox_ = new QLineEdit(this);
  colourButton_ = new QPushButton(QStringLiteral("参照"), this);
  allPhotosBox_ = new QCheckBox(QStringLiteral("フォルダ内の全ての写真を一括で加工する"), this);
  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  cancelButton_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  sizeLabel_ = new QLabel(this);

  firstPrompt_->setObjectName(QStringLiteral("Label1"));
  firstBox_->setObjectName(QStringLiteral("Text1"));
  fileButton_->setObjectName(QStringLiteral("Command2"));
  secondPrompt_->setObjectName(QStringLiteral("Label2"));
  secondBox_->setObjectName(QStringLiteral("Text2"));
  colourButton_->setObjectName(QStringLiteral("Command1"));
  allPhotosBox_->setObjectName(QStringLiteral("Check1"));
  okButton_->setObjectName(QStringLiteral("OKButton"));
  cancelButton_->setObjectName(QStringLiteral("CancelButton"));
  sizeLabel_->setObjectName(QStringLiteral("Label3"));

  firstPrompt_->setBuddy(firstBox_);
  secondPrompt_->setBuddy(secondBox_);
  fileButton_->setAccessibleDescription(QStringLiteral("合成画像ファイル"));
  colourButton_->setAccessibleDescription(QStringLiteral("色"));
  okButton_->setDefault(true);
  firstBox_->setFixedWidth(kNarrowFirstBox + 16);
  secondBox_->setFixedWidth(65 + 16);

  auto* grid = new QGridLayout(this);
  grid->addWidget(firstPrompt_, 0, 0);
  auto* row1 = new QHBoxLayout;
  row1->addWidget(firstBox_);
  row1->addStretch();
  row1->addWidget(fileButton_);
  grid->addLayout(row1, 0, 1);
  grid->addWidget(secondPrompt_, 1, 0);
  auto* row2 = new QHBoxLayout;
  row2->addWidget(secondBox_);
  row2->addWidget(colourButton_);
  row2->addStretch();
  grid->addLayout(row2, 1, 1);
  grid->addWidget(allPhotosBox_, 2, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  buttons->addWidget(sizeLabel_, 1);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  setMinimumWidth(453);

  connect(okButton_, &QPushButton::clicked, this, &ParameterDialog::confirm);
  connect(cancelButton_, &QPushButton::clicked, this, &ParameterDialog::cancel);
  connect(colourButton_, &QPushButton::clicked, this, &ParameterDialog::chooseColour);
  connect(fileButton_, &QPushButton::clicked, this, &ParameterDialog::chooseCompositeFile);

  colourChooser_ = [this](const QColor& start) { return askColour(this, start); };
  fileChooser_ = [this](const QString& start) { return askCompositeFile(this, start); };
}

void ParameterDialog::configure(const EffectDialogSetup& setup) {
  sizeLabel_->setText(QString::fromStdString(setup.sizeText));
  firstBox_->setText(QString::fromStdString(setup.text1));
  if (setup.text2) secondBox_->setText(QString::fromStdString(*setup.text2));
  setWindowTitle(QString::fromStdString(setup.caption));
  firstPrompt_->setText(promptText(setup.label1));
  if (setup.label2) secondPrompt_->setText(promptText(*setup.label2));
  firstPrompt_->setVisible(setup.showLabel1);
  secondPrompt_->setVisible(setup.showLabel2);
  firstBox_->setVisible(setup.showText1);
  secondBox_->setVisible(setup.showText2);
  colourButton_->setVisible(setup.showColourButton);
  fileButton_->setVisible(setup.showFileButton);
  // A box's accessible name is its prompt; a hidden row keeps an unused one.
  firstBox_->setAccessibleName(firstPrompt_->text());
  secondBox_->setAccessibleName(secondPrompt_->text());
  setFirstBoxWide(setup.wideText1);
}

void ParameterDialog::setFirstBoxWide(bool wide) {
  firstBox_->setFixedWidth((wide ? kWideFirstBox : kNarrowFirstBox) + 16);
}

EffectDialogAnswer ParameterDialog::ask() {
  ok_ = false;
  firstBox_->setFocus();
  firstBox_->selectAll();
  exec();
  setFirstBoxWide(false);
  return {ok_ && !discarded_, firstBox_->text().toStdString(), secondBox_->text().toStdString(),
          allPhotosBox_->isChecked()};
}

void ParameterDialog::untickAllPhotos() {
  allPhotosBox_->setChecked(false);
}

QString ParameterDialog::getColor(const QString& text) {
  const std::string t = text.toStdString();
  const QColor start(channel(t, 0), channel(t, 2), channel(t, 4));
  const std::optional<QColor> chosen = colourChooser_(start);
  if (!chosen || !chosen->isValid()) return text;
  const std::int32_t packed = chosen->red() + chosen->green() * 256 + chosen->blue() * 65536;
  return QString::fromStdString(ColorToHex(packed));
}

void ParameterDialog::chooseColour() {
  secondBox_->setText(getColor(secondBox_->text()));
}

void ParameterDialog::chooseCompositeFile() {
  if (std::optional<QString> chosen = fileChooser_(firstBox_->text())) firstBox_->setText(*chosen);
}

void ParameterDialog::confirm() {
  ok_ = true;
  accept();
}

void ParameterDialog::cancel() {
  ok_ = false;
  reject();
}

void ParameterDialog::closeEvent(QCloseEvent* event) {
  ok_ = false;
  discarded_ = true;
  QDialog::closeEvent(event);
}

}  // namespace fotela::app
