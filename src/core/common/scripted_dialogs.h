#pragma once
// A UserDialogs for tests and unattended runs: records everything shown and answers
// questions from a script (then from a fixed default).

#include <deque>
#include <string>
#include <vector>

#include "common/user_dialogs.h"

namespace fotela {

struct ShownDialog {
  std::string text;
  std::string caption;
  DialogIcon icon = DialogIcon::None;
  bool question = false;
  DialogButtons buttons = DialogButtons::Ok;
};

class ScriptedDialogs final : public UserDialogs {
 public:
  explicit ScriptedDialogs(DialogAnswer fallback = DialogAnswer::Yes) : fallback_(fallback) {}

  void answerNext(DialogAnswer answer) { answers_.push_back(answer); }

  void message(const std::string& text, const std::string& caption, DialogIcon icon) override {
    shown.push_back({text, caption, icon, false, DialogButtons::Ok});
  }
  DialogAnswer ask(const std::string& text, const std::string& caption, DialogButtons buttons,
                   DialogIcon icon) override {
    shown.push_back({text, caption, icon, true, buttons});
    if (answers_.empty()) return fallback_;
    DialogAnswer a = answers_.front();
    answers_.pop_front();
    return a;
  }

  std::vector<ShownDialog> shown;

 private:
  std::deque<DialogAnswer> answers_;
  DialogAnswer fallback_;
};

}  // namespace fotela
