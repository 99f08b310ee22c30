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
  PageSet pages(folder);
  if (auto r = WriteListPage(pages, rows, s, sizes); !r) return r;
  if (auto r = pages.commit(); !r) return std::unexpected(PageFailure{false, r.error().message});
  return {};
}

PageResult WriteListPage(PageSet& pages, const std::vector<PhotoEntry>& rows,
                         const AlbumSettings& s, CopySizes& sizes) {
  if (rows.empty()) return {};
  auto opened = pages.open(pageNames(s.AlbumHtml).list);
  if (!opened) return std::unexpected(PageFailure{false, opened.error().message});
  PageFile& page = **opened;
  const std::string& prefix = pages.prefix();
  writePagePrologue(page);
  page.line("<HEAD>");
  page.line("<TITLE>" + albumTitleHtml(s) + "</TITLE>");
  page.line("</HEAD>");
  writeBodyOpening(page, s);
  page.line("<H3>" + albumTitleHtml(s) + "</H3>");
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
  return {};
}

}  // namespace fotela
