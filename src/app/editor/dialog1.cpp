#include "editor/dialog1.h"

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

constexpr int kNarrowText1 = 33;
constexpr int kWideText1 = 169;

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
                     QStringLiteral("画像ファイル (*.bmp *.jpg *.BMP *.JPG)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace

Dialog1::Dialog1(QWidget* parent) : QDialog(parent) {
  setWindowModality(Qt::ApplicationModal);
  Label1 = new QLabel(this);
  Text1 = new QLineEdit(QStringLiteral("75"), this);
  Command2 = new QPushButton(QStringLiteral("参照"), this);
  Label2 = new QLabel(this);
  Text2 = new QLineEdit(this);
  Command1 = new QPushButton(QStringLiteral("参照"), this);
  Check1 = new QCheckBox(QStringLiteral("フォルダ内の全ての写真を一括で加工する"), this);
  OKButton = new QPushButton(QStringLiteral("OK"), this);
  CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  Label3 = new QLabel(this);

  Label1->setObjectName(QStringLiteral("Label1"));
  Text1->setObjectName(QStringLiteral("Text1"));
  Command2->setObjectName(QStringLiteral("Command2"));
  Label2->setObjectName(QStringLiteral("Label2"));
  Text2->setObjectName(QStringLiteral("Text2"));
  Command1->setObjectName(QStringLiteral("Command1"));
  Check1->setObjectName(QStringLiteral("Check1"));
  OKButton->setObjectName(QStringLiteral("OKButton"));
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  Label3->setObjectName(QStringLiteral("Label3"));

  Label1->setBuddy(Text1);
  Label2->setBuddy(Text2);
  Command2->setAccessibleDescription(QStringLiteral("合成画像ファイル"));
  Command1->setAccessibleDescription(QStringLiteral("色"));
  OKButton->setDefault(true);
  Text1->setFixedWidth(kNarrowText1 + 16);
  Text2->setFixedWidth(65 + 16);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Label1, 0, 0);
  auto* row1 = new QHBoxLayout;
  row1->addWidget(Text1);
  row1->addStretch();
  row1->addWidget(Command2);
  grid->addLayout(row1, 0, 1);
  grid->addWidget(Label2, 1, 0);
  auto* row2 = new QHBoxLayout;
  row2->addWidget(Text2);
  row2->addWidget(Command1);
  row2->addStretch();
  grid->addLayout(row2, 1, 1);
  grid->addWidget(Check1, 2, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(OKButton);
  buttons->addWidget(CancelButton);
  buttons->addWidget(Label3, 1);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  setMinimumWidth(453);

  connect(OKButton, &QPushButton::clicked, this, &Dialog1::OKButton_Click);
  connect(CancelButton, &QPushButton::clicked, this, &Dialog1::CancelButton_Click);
  connect(Command1, &QPushButton::clicked, this, &Dialog1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Dialog1::Command2_Click);

  colourChooser_ = [this](const QColor& start) { return askColour(this, start); };
  fileChooser_ = [this](const QString& start) { return askCompositeFile(this, start); };
}

void Dialog1::configure(const EffectDialogSetup& setup) {
  Label3->setText(QString::fromStdString(setup.sizeText));
  Text1->setText(QString::fromStdString(setup.text1));
  if (setup.text2) Text2->setText(QString::fromStdString(*setup.text2));
  setWindowTitle(QString::fromStdString(setup.caption));
  Label1->setText(promptText(setup.label1));
  if (setup.label2) Label2->setText(promptText(*setup.label2));
  Label1->setVisible(setup.showLabel1);
  Label2->setVisible(setup.showLabel2);
  Text1->setVisible(setup.showText1);
  Text2->setVisible(setup.showText2);
  Command1->setVisible(setup.showColourButton);
  Command2->setVisible(setup.showFileButton);
  // A box's accessible name is its prompt; a hidden row keeps an unused one.
  Text1->setAccessibleName(Label1->text());
  Text2->setAccessibleName(Label2->text());
  setText1Wide(setup.wideText1);
}

void Dialog1::setText1Wide(bool wide) {
  Text1->setFixedWidth((wide ? kWideText1 : kNarrowText1) + 16);
}

EffectDialogAnswer Dialog1::ask() {
  ok_ = false;
  Text1->setFocus();
  Text1->selectAll();
  exec();
  setText1Wide(false);
  return {ok_ && !discarded_, Text1->text().toStdString(), Text2->text().toStdString(),
          Check1->isChecked()};
}

void Dialog1::untickAllPhotos() {
  Check1->setChecked(false);
}

QString Dialog1::getColor(const QString& text) {
  const std::string t = text.toStdString();
  const QColor start(channel(t, 0), channel(t, 2), channel(t, 4));
  const std::optional<QColor> chosen = colourChooser_(start);
  if (!chosen || !chosen->isValid()) return text;
  const std::int32_t packed = chosen->red() + chosen->green() * 256 + chosen->blue() * 65536;
  return QString::fromStdString(ColorToHex(packed));
}

void Dialog1::Command1_Click() {
  Text2->setText(getColor(Text2->text()));
}

void Dialog1::Command2_Click() {
  if (std::optional<QString> chosen = fileChooser_(Text1->text())) Text1->setText(*chosen);
}

void Dialog1::OKButton_Click() {
  ok_ = true;
  accept();
}

void Dialog1::CancelButton_Click() {
  ok_ = false;
  reject();
}

void Dialog1::closeEvent(QCloseEvent* event) {
  ok_ = false;
  discarded_ = true;
  QDialog::closeEvent(event);
}

}  // namespace fotela::app
