#pragma once
// UserDialogs answered with message boxes.

#include <QWidget>

#include "common/user_dialogs.h"

namespace fotela::app {

class MessageDialogs final : public UserDialogs {
 public:
  explicit MessageDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void message(const std::string& text, const std::string& caption, DialogIcon icon) override;
  DialogAnswer ask(const std::string& text, const std::string& caption, DialogButtons buttons,
                   DialogIcon icon) override;

 private:
  QWidget* parent_;
};

}  // namespace fotela::app
