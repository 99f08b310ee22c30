#pragma once
// The description window "写真の説明文": the photo's thumbnail and its description.
// Modal; ＯＫ takes the text, キャンセル and the close box leave the row as it was.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace fotela::app {

class DescriptionDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DescriptionDialog(QWidget* parent = nullptr);

  // Shows `thumbPath` when it is a readable picture, else no picture; `description` in the box.
  void prepare(const QString& thumbPath, const QString& description);
  QString description() const;
  bool showsPicture() const;

 private:
  QLabel* thumbnail_;
  QLabel* prompt_;
  QLineEdit* descriptionBox_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
};

}  // namespace fotela::app
