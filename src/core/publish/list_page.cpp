#include "common/numbers.h"
#include "common/paths.h"
#include "publish/album_pages.h"
#include "publish/page_pieces.h"

namespace fotela {

PageResult WriteListPage(const std::string& folder, const std::vector<PhotoEntry>& rows,
                         const AlbumSettings& s) {
  CopySizes sizes;
  return WriteListPage(folder, rows, s, sizes);
}

PageResult WriteListPage(const std::string& folder, const std::vector<PhotoEntry>& rows,
                         const AlbumSettings& s, CopySizes& sizes) {
  if (rows.empty()) return {};
  const std::string prefix = folderPrefix(folder);
  PageFile page;
  if (auto r = page.open(prefix + pageNames(s.AlbumHtml).list); !r) {
    return std::unexpected(PageFailure{false, r.error().message});
  }
  writePagePrologue(page);
  page.line("<HEAD>");
  page.line("<TITLE>" + s.AlbumTitle + "</TITLE>");
  page.line("</HEAD>");
  writeBodyOpening(page, s);
  page.line("<H3>" + s.AlbumTitle + "</H3>");
  // Each thumbnail takes its width plus 32 units of the row; a thumbnail that would pass
  // ListPageWidth starts a new row after a blank line.
  long long row = 0;
  for (const PhotoEntry& photo : rows) {
    const std::string file = photo.fileName();
    auto size = sizes.of(prefix + s.ThumbFolder + "/" + file);
    if (!size) return std::unexpected(size.error());
    long long taken = row + size->width + 32;
    if (taken > s.ListPageWidth) {
      page.line("<BR><BR>");
      row = size->width + 32;
    } else {
      row = taken;
    }
    page.line("　　<A HREF=\"" + urlAttribute(file) + "\" TARGET=\"_top\">" +
              imageTag(s.ThumbFolder, file, size->width, size->height) + "</A>");
  }
  page.line(creditLine());
  page.line("</BODY>");
  page.line("</HTML>");
  if (auto r = page.close(); !r) return std::unexpected(PageFailure{false, r.error().message});
  return {};
}

}  // namespace fotela
