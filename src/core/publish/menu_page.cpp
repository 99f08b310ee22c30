#include "publish/menu_page.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/paths.h"
#include "common/user_dialogs.h"
#include "program/album_run.h"
#include "program/program_state.h"
#include "publish/modern_pages.h"
#include "publish/page_pieces.h"

namespace fotela {
namespace {

struct SubFolder {
  std::string name;
  std::filesystem::file_time_type modified;
};

// The last component of the folder: the text between the base folder's last two
// separators; empty for the root.
std::string lastComponent(const std::string& base) {
  std::string parent, name;
  SplitFolderAndName(std::string_view(base).substr(0, base.size() - 1), parent, name);
  return name;
}

Result<void> writeMenu(const std::string& base, const std::string& title,
                       const std::vector<SubFolder>& folders, const AlbumSettings& s) {
  PageSet pages(base);
  auto opened = pages.open(kMenuPageName);
  if (!opened) return std::unexpected(opened.error());
  PageFile& page = **opened;
  // With the charset line of the album pages: without it browsers read short Japanese
  // folder names as a Western encoding and the links break.
  writePagePrologue(page);
  page.line("<head>");
  page.line("<title>" + htmlText(title) + "</title>");
  page.line("</head>");
  writeBodyOpening(page, s);
  page.line("<center>");
  page.line("<H4>" + htmlText(title) + "</H4>");
  page.line("<hr>");
  page.line("<table>");
  for (const SubFolder& f : folders) {
    page.line("<tr><td><A HREF=\"" + urlAttribute(f.name) + "/album.html\">" + htmlText(f.name) +
              "</a></td></tr>");
  }
  page.line("</table>");
  if (!s.ReturnPage.empty()) {
    page.line("<hr>");
    page.line("<BR><BR>");
    page.line(returnLinkLine(htmlText(s.ReturnPage)));
  }
  page.line("</center>");
  page.line("</body>");
  page.line("</html>");
  return pages.commit();
}

}  // namespace

MenuPageOutcome WriteMenuPage(ProgramState& state, UserDialogs& dialogs) {
  const std::string base = folderPrefix(state.settings.PhotoFolder);
  const std::string title = lastComponent(base);
  if (isFile(base + kMenuPageName) &&
      dialogs.ask(kMenuOverwriteQuestion, kProgramTitle, DialogButtons::YesNo,
                  DialogIcon::Warning) != DialogAnswer::Yes) {
    return MenuPageOutcome::Declined;
  }
  auto failed = [&](const std::string& detail) {
    dialogs.message(std::string(kMenuFailedMessage) + "\r" + detail, kProgramTitle,
                    DialogIcon::None);
    return MenuPageOutcome::Failed;
  };

  AlbumRun run(state);
  std::vector<SubFolder> folders;
  for (const std::string& name : listFolder(base, EntryKind::Folder)) {
    std::error_code ec;
    auto modified = std::filesystem::last_write_time(base + name, ec);
    if (ec) return failed(base + name + " の日付を読めません。");
    folders.push_back({name, modified});
  }
  // Oldest first; folders of the same date keep their directory order.
  std::stable_sort(folders.begin(), folders.end(),
                   [](const SubFolder& a, const SubFolder& b) { return a.modified < b.modified; });

  Result<void> written;
  if (state.albumStyle == AlbumStyle::Modern) {
    std::vector<std::string> names;
    for (const SubFolder& f : folders) names.push_back(f.name);
    written = writeModernMenuPage(base, title, names, state.settings);
  } else {
    written = writeMenu(base, title, folders, state.settings);
  }
  if (!written) return failed(written.error().message);
  return MenuPageOutcome::Written;
}

}  // namespace fotela
