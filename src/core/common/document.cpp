#include "common/document.h"

#include "common/files.h"
#include "common/paths.h"
#include "common/user_dialogs.h"

namespace fotela {
namespace {

// path + ".HTM", spelled as the file is stored when only the letter case differs
// (file names are case-sensitive here).
std::string withHtmExtension(const std::string& path) {
  const std::string candidate = path + ".HTM";
  if (isFile(candidate)) return candidate;
  std::string folder, name;
  SplitFolderAndName(candidate, folder, name);
  if (auto stored = findFileIgnoringCase(folder.empty() ? "." : folder, name))
    return folder.empty() ? *stored : folderPrefix(folder) + *stored;
  return candidate;
}

}  // namespace

void ShowDocument(const std::string& path, const DocumentOpener& open, UserDialogs& dialogs) {
  const std::string first = path.find('.') == std::string::npos ? withHtmExtension(path) : path;
  if (open(first)) return;
  if (open(withHtmExtension(path))) return;
  dialogs.message(
      "ヘルプを表示するにはＨＴＭＬ対応のブラウザが必要です。\r"
      " インターネットエクスプローラなどを準備してください。\r"
      "   とりあえず 表示しますが、正しく表示できません",
      kProgramTitle, DialogIcon::Warning);
}

void showHelp(const DocumentOpener& open, UserDialogs& dialogs) {
  const std::string folder = ProgramFolder();
  // Beside the program, or where an installed program keeps its documents.
  for (const std::string& candidate : {folder, normalFolderPath(folder + "/../share/fotela")}) {
    if (findFileIgnoringCase(candidate, "help.htm")) {
      ShowDocument(candidate + "/help", open, dialogs);
      return;
    }
  }
  dialogs.message(folder + "/help.htm" + "がありません。", kProgramTitle, DialogIcon::Warning);
}

}  // namespace fotela
