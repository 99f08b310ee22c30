#pragma once
// The command table of fotela-cli. Each command lives in its own cmd_*.cpp and registers
// itself with a static CommandRegistration.

#include <string>
#include <string_view>
#include <vector>

namespace fotela::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a message reported a failure
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

struct Command {
  std::string_view name;
  std::string_view usage;                            // one line: "settings IN [OUT]"
  std::string_view summary;                          // one line, shown by --help
  int (*run)(const std::vector<std::string>& args);  // args after the command name
};

const std::vector<Command>& commands();

struct CommandRegistration {
  explicit CommandRegistration(Command command);
};

// Prints "usage: fotela-cli <usage>" to stderr and returns kExitUsage.
int usageError(const Command& command, std::string_view problem = {});

}  // namespace fotela::cli
