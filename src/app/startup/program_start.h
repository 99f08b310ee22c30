#pragma once
// The desktop program from start to end: one instance at a time, the argument string,
// the splash during the first folder scan, the main window, automatic mode.

#include <string>

namespace fotela {
class UserDialogs;
}

namespace fotela::app {

inline constexpr const char* kAlreadyRunningMessage = "当プログラムは既に起動中です。";

// Runs the program until its main window closes; returns the exit status: 0, or 1 when an
// automatic build wrote no album. Needs a QApplication. `argumentString` is the arguments
// after the program's name joined with single blanks.
int runDesktopProgram(const std::string& argumentString, UserDialogs& dialogs);

}  // namespace fotela::app
