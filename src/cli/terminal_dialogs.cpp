#include "cli/terminal_dialogs.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "program/album_run.h"

namespace fotela::cli {
namespace {

// Message boxes break lines with CR (and sometimes LF CR); a terminal wants LF.
std::string terminalText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      if (!out.empty() && out.back() == '\n') continue;  // LF CR counts once
      out += '\n';
    } else if (c == '\n') {
      if (!out.empty() && out.back() == '\n' && i > 0 && text[i - 1] == '\r') continue;
      out += '\n';
    } else {
      out += c;
    }
  }
  return out;
}

bool isYesButton(DialogButtons b) {
  return b == DialogButtons::YesNo;
}

}  // namespace

void reportRunWaiting(const std::string& folder) {
  std::cerr << kRunWaitingMessage << ": " << folder << std::endl;
}

bool stdinIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}
bool stderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

void TerminalDialogs::message(const std::string& text, const std::string& caption, DialogIcon) {
  ++messages_;
  std::cerr << "[" << caption << "] " << terminalText(text) << "\n";
}

DialogAnswer TerminalDialogs::ask(const std::string& text, const std::string& caption,
                                  DialogButtons buttons, DialogIcon) {
  const DialogAnswer yes = isYesButton(buttons) ? DialogAnswer::Yes : DialogAnswer::Ok;
  // With three answers "no" goes on without saving; only "c" (or the end of the input)
  // stays where it is.
  const bool canStay = buttons == DialogButtons::OkDiscardCancel;
  const DialogAnswer no = isYesButton(buttons) ? DialogAnswer::No
                          : canStay            ? DialogAnswer::Discard
                                               : DialogAnswer::Cancel;
  std::cerr << "[" << caption << "] " << terminalText(text);
  if (fixed_) {
    std::cerr << (*fixed_ ? " → はい" : " → いいえ") << "\n";
    return *fixed_ ? yes : no;
  }
  if (!stdinIsTerminal()) {
    std::cerr << (nonInteractive_ ? " → はい" : " → いいえ") << "\n";
    return nonInteractive_ ? yes : no;
  }
  for (;;) {
    std::cerr << (canStay ? " [y/n/c] " : " [y/n] ") << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return canStay ? DialogAnswer::Cancel : no;
    if (line == "y" || line == "Y" || line == "yes") return yes;
    if (line == "n" || line == "N" || line == "no") return no;
    if (canStay && (line == "c" || line == "C")) return DialogAnswer::Cancel;
  }
}

}  // namespace fotela::cli
