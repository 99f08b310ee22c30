#include "startup/message_dialogs.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <utility>

namespace fotela::app {
namespace {

QMessageBox::Icon toQt(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::Information:
      return QMessageBox::Information;
    case DialogIcon::Warning:
      return QMessageBox::Warning;
    case DialogIcon::Critical:
      return QMessageBox::Critical;
    case DialogIcon::Question:
      return QMessageBox::Question;
    case DialogIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Button texts of their own, so they never depend on an installed Qt translation.
void nameButtons(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, QString> names[] = {
      {QMessageBox::Ok, QStringLiteral("OK")},
      {QMessageBox::Cancel, QStringLiteral("キャンセル")},
      {QMessageBox::Discard, QStringLiteral("保存しない")},
      {QMessageBox::Yes, QStringLiteral("はい(&Y)")},
      {QMessageBox::No, QStringLiteral("いいえ(&N)")}};
  for (const auto& [which, text] : names)
    if (QAbstractButton* b = box.button(which)) b->setText(text);
}

// Message texts break lines with CR (sometimes LF CR); Qt wants LF.
QString toQtText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  s.replace(QChar('\r'), QChar('\n'));
  return s;
}

}  // namespace

void MessageDialogs::message(const std::string& text, const std::string& caption, DialogIcon icon) {
  QMessageBox box(toQt(icon), QString::fromStdString(caption), toQtText(text), QMessageBox::Ok,
                  parent_);
  nameButtons(box);
  box.exec();
}

DialogAnswer MessageDialogs::ask(const std::string& text, const std::string& caption,
                                 DialogButtons buttons, DialogIcon icon) {
  QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
  if (buttons == DialogButtons::OkCancel) qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
  if (buttons == DialogButtons::YesNo) qtButtons = QMessageBox::Yes | QMessageBox::No;
  if (buttons == DialogButtons::OkDiscardCancel)
    qtButtons = QMessageBox::Ok | QMessageBox::Discard | QMessageBox::Cancel;
  QMessageBox box(toQt(icon), QString::fromStdString(caption), toQtText(text), qtButtons, parent_);
  nameButtons(box);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return DialogAnswer::Yes;
    case QMessageBox::No:
      return DialogAnswer::No;
    case QMessageBox::Cancel:
      return DialogAnswer::Cancel;
    case QMessageBox::Discard:
      return DialogAnswer::Discard;
    default:
      return DialogAnswer::Ok;
  }
}

}  // namespace fotela::app
