#pragma once
// UserDialogs for the command line: messages go to stderr; questions are answered by a
// fixed answer (--yes / --no) or, on a terminal, by the user at a prompt.

#include <optional>
#include <string>

#include "common/user_dialogs.h"

namespace fotela::cli {

class TerminalDialogs final : public UserDialogs {
 public:
  // `fixed`: the answer to every question; nullopt asks on a terminal and otherwise
  // answers `nonInteractive`.
  TerminalDialogs(std::optional<bool> fixed, bool nonInteractive)
      : fixed_(fixed), nonInteractive_(nonInteractive) {}

  void message(const std::string& text, const std::string& caption, DialogIcon icon) override;
  DialogAnswer ask(const std::string& text, const std::string& caption, DialogButtons buttons,
                   DialogIcon icon) override;

  // How many messages were shown (the commands exit 1 when a failure was reported).
  int messagesShown() const { return messages_; }

 private:
  std::optional<bool> fixed_;
  bool nonInteractive_;
  int messages_ = 0;
};

// Says on stderr that the command waits for another run on `folder` to end.
void reportRunWaiting(const std::string& folder);

bool stdinIsTerminal();
bool stderrIsTerminal();

}  // namespace fotela::cli
