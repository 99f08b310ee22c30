#include "cli/arguments.h"

#include <algorithm>

#include "common/files.h"

namespace fotela::cli {
namespace {

bool listed(std::initializer_list<std::string_view> names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<FolderArguments> parseFolderArguments(const Command& command,
                                                    const std::vector<std::string>& args,
                                                    const ArgumentRules& rules, int& exitCode) {
  auto usage = [&](const std::string& problem) {
    exitCode = usageError(command, problem);
    return std::nullopt;
  };
  FolderArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool takesValue = a == "--settings" || listed(rules.valueOptions, a);
    if (takesValue) {
      if (i + 1 >= args.size()) return usage(a + " の値がありません");
      (a == "--settings" ? parsed.settingsFile : parsed.values[a]) = args[++i];
    } else if (rules.answers && (a == "--yes" || a == "--no")) {
      if (parsed.answer && *parsed.answer != (a == "--yes"))
        return usage("--yes と --no は同時に指定できません");
      parsed.answer = (a == "--yes");
    } else if (listed(rules.flags, a)) {
      parsed.flags.insert(a);
    } else if (a.starts_with("--")) {
      return usage("不明なオプションです: " + a);
    } else if (parsed.folder.empty()) {
      parsed.folder = a;
    } else {
      return usage("フォルダは一つだけ指定してください: " + a);
    }
  }
  if (parsed.folder.empty()) return usage("フォルダを指定してください");
  if (!parsed.settingsFile.empty() && !isFile(parsed.settingsFile))
    return usage("設定ファイルがありません: " + parsed.settingsFile);
  return parsed;
}

std::optional<AlbumStyle> albumStyleOption(const Command& command, const FolderArguments& args,
                                           int& exitCode) {
  auto value = args.values.find("--style");
  if (value == args.values.end() || value->second == "classic") return AlbumStyle::Classic;
  if (value->second == "modern") return AlbumStyle::Modern;
  exitCode = usageError(command, "--style は classic か modern です: " + value->second);
  return std::nullopt;
}

}  // namespace fotela::cli
