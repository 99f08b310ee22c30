// fotela-cli list DIR: the photo list of a folder, one row per line.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "common/files.h"
#include "photos/folder_scan.h"

namespace fotela::cli {
namespace {

int runList(const std::vector<std::string>& args);

const Command kList{
    "list",
    "list DIR",
    "DIR の写真の一覧（名前、種類、幅、高さ、サイズ、更新日時、説明文）をタブ区切りで表示します",
    runList,
};
const CommandRegistration registration(kList);

int runList(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].starts_with("--")) return usageError(kList);
  const std::string& folder = args[0];
  if (!isFolder(folder)) {
    std::cerr << "[フォテラ] フォルダが見つかりません: " << folder << "\n";
    return kExitFailed;
  }
  std::optional<FolderScan> scan = scanFolder(folder);
  if (!scan) return kExitFailed;
  if (!scan->order.warning().empty()) std::cerr << "[フォテラ] " << scan->order.warning() << "\n";
  std::string out;
  for (const PhotoEntry& e : scan->rows) {
    for (const std::string* field :
         {&e.name, &e.type, &e.width, &e.height, &e.sizeText, &e.modified, &e.description}) {
      if (field != &e.name) out += '\t';
      // A TAB inside a description would shift the columns: it shows as a blank.
      for (char c : *field) out += c == '\t' ? ' ' : c;
    }
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

}  // namespace
}  // namespace fotela::cli
