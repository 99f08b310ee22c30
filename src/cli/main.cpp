// fotela-cli: the headless command line over the core.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "common/paths.h"
#include "program_version.h"

namespace fotela::cli {
namespace {

std::vector<Command>& registry() {
  static std::vector<Command> table;
  return table;
}

void printHelp(std::ostream& out) {
  out << "fotela-cli - フォルダの写真からHTMLアルバムを作成します\n\n"
      << "usage: fotela-cli COMMAND [ARGS...]\n\ncommands:\n";
  std::vector<Command> sorted = registry();
  std::sort(sorted.begin(), sorted.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  for (const Command& c : sorted) {
    out << "  " << c.usage << "\n      " << c.summary << "\n";
  }
  out << "\n  --help            この一覧を表示します\n"
      << "  --version         バージョンを表示します\n"
      << "  COMMAND --help    COMMAND の使い方を表示します\n";
}

// "COMMAND --help": the command's usage, not a folder named "--help".
bool wantsHelp(const std::vector<std::string>& args) {
  return std::find(args.begin(), args.end(), "--help") != args.end();
}

std::string executableFolder(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0, ec);
  return self.parent_path().string();
}

}  // namespace

const std::vector<Command>& commands() {
  return registry();
}

CommandRegistration::CommandRegistration(Command command) {
  registry().push_back(command);
}

int usageError(const Command& command, std::string_view problem) {
  if (!problem.empty()) std::cerr << "fotela-cli " << command.name << ": " << problem << "\n";
  std::cerr << "usage: fotela-cli " << command.usage << "\n";
  return kExitUsage;
}

}  // namespace fotela::cli

int main(int argc, char** argv) {
  using namespace fotela::cli;
  fotela::setProgramFolder(executableFolder(argv[0]));
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printHelp(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp(std::cout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "fotela-cli " << fotela::kProgramVersion << "\n";
    return kExitOk;
  }
  for (const Command& c : commands()) {
    if (c.name == args[0]) {
      args.erase(args.begin());
      if (wantsHelp(args)) {
        std::cout << "usage: fotela-cli " << c.usage << "\n  " << c.summary << "\n";
        return kExitOk;
      }
      return c.run(args);
    }
  }
  std::cerr << "fotela-cli: 不明なコマンドです: " << args[0] << "\n";
  printHelp(std::cerr);
  return kExitUsage;
}
