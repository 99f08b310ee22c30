#pragma once
// The one way the core shows a message or asks a question. The desktop program answers
// with message boxes, the command line with stderr and a prompt, tests with a script.
// The core never shows a window itself.

#include <string>

namespace fotela {

// Caption of every message box that names none of its own.
inline constexpr const char* kProgramTitle = "フォテラ";
// Caption of the messages that report a refusal or a failure.
inline constexpr const char* kErrorCaption = "エラー";

enum class DialogIcon { None, Information, Warning, Critical, Question };
// OkDiscardCancel: go on saving (Ok), go on without saving (Discard), or stay (Cancel).
enum class DialogButtons { Ok, OkCancel, YesNo, OkDiscardCancel };
enum class DialogAnswer { Ok, Cancel, Yes, No, Discard };

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual void message(const std::string& text, const std::string& caption, DialogIcon icon) = 0;
  virtual DialogAnswer ask(const std::string& text, const std::string& caption,
                           DialogButtons buttons, DialogIcon icon) = 0;
};

}  // namespace fotela
