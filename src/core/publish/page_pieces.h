#pragma once
// What every album page and the menu page share: page names, escaping of names, the line
// writer (CP932, CR LF) and the blocks of lines several pages begin or end with.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/files.h"
#include "settings/album_settings.h"

namespace fotela {

// The page names that follow from AlbumHtml: stem = text before the first ".", extension =
// text between the first and the second "." (empty without a "."). "my.album.html" gives
// my_1.album ... my_4.album.
struct PageNames {
  std::string main;   // AlbumHtml unchanged
  std::string index;  // stem_1.ext, left frame
  std::string view;   // stem_2.ext, right frame "img"
  std::string list;   // stem_3.ext
  std::string slide;  // stem_4.ext
};
PageNames pageNames(std::string_view albumHtml);

inline constexpr const char* kMusicFileName = "bgm.mid";
inline constexpr const char* kMusicPageName = "bgm.html";
inline constexpr const char* kMenuPageName = "index.html";
// "douga1.html", "douga2.html", ...
std::string videoPageName(int n);

// The link to the project's home page at the foot of the view, slide-show and list pages.
inline constexpr const char* kProjectHomePage = "https://fotela.github.io/";
inline constexpr const char* kProjectLinkText = "fotela";

// File and folder names are data. In a URL (HREF, SRC) "%", "#", "?", "\", control
// characters and bytes that are not UTF-8 are percent-encoded; in HTML text or an attribute
// "&", "<", ">", '"' and control characters become references. Ordinary names pass
// through unchanged.
std::string percentEncodeName(std::string_view name);
std::string htmlText(std::string_view text);
// A name as an HREF/SRC attribute value: percent-encoded, then HTML-escaped.
std::string urlAttribute(std::string_view name);
// Text inside a JavaScript string literal: "\" -> "\\", the quote -> "\'" or "\"",
// line breaks (CR, LF, U+2028, U+2029) as escapes, and "</", "<!" and "<script" with a
// backslash after the "<" (so the text can never end or upset the script block).
std::string scriptSingleQuoted(std::string_view text);
std::string scriptDoubleQuoted(std::string_view text);
// A page name as a URL inside a double-quoted script string, which no HTML parser reads:
// every byte outside printable ASCII is percent-encoded.
std::string scriptUrl(std::string_view name);

// The album title as page HTML: a title typed by the user is their HTML; a title taken
// from the folder's name (TitleFromFolder 1) is data.
std::string albumTitleHtml(const AlbumSettings& settings);

// One page being written, into a temporary file of its PageSet. Lines are UTF-8 inside the
// program; each is written as CP932 (a character CP932 cannot hold as "&#N;") followed by
// CR LF; a line break inside a line is written as CR LF too. A write error is kept and
// reported by the set's commit, naming the page.
class PageFile {
 public:
  PageFile() = default;
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  void line(std::string_view utf8);
  // The path the page will have once its set is committed.
  const std::string& path() const { return path_; }

 private:
  friend class PageSet;
  void write(std::string_view bytes);

  std::string path_;
  TemporaryFile temporary_;
  std::FILE* file_ = nullptr;
  int error_ = 0;  // the first write error
};

// The pages of one run. Each page is written to a temporary file in the folder; commit()
// puts them all in place only when every one was written completely. A page that replaces
// one keeps that one's mode; a new page gets 0666 under the umask. Until then, and after
// any failure, the pages already in the folder stay as they were, and dropping the set
// removes its temporary files.
class PageSet {
 public:
  explicit PageSet(const std::string& folder);
  ~PageSet();
  PageSet(const PageSet&) = delete;
  PageSet& operator=(const PageSet&) = delete;

  // The folder with one trailing separator.
  const std::string& prefix() const { return prefix_; }
  // A new page `name` of the folder.
  Result<PageFile*> open(const std::string& name);
  // A file `name` of the folder that this set takes the place of: commit() removes it once
  // every page is in place (unless the set writes that name itself or it is a folder).
  void removeOnCommit(const std::string& name);
  // Flushes every page to the disk, then renames them all into place and removes the files
  // given to removeOnCommit. A failure names the page or file and the reason.
  Result<void> commit();

 private:
  void discard();

  std::string folder_;
  std::string prefix_;
  std::vector<std::unique_ptr<PageFile>> pages_;
  std::vector<std::string> removals_;  // full paths
};

// '<IMG SRC="folder/file" Border=0 Width= w Height= h ALT="file">', names escaped.
std::string imageTag(std::string_view folder, std::string_view file, int width, int height);

// The message for a page file that cannot be created or written; `reason` from errno.
std::string pageWriteFailure(const std::string& path, int error);

// "<!-- saved from url=...", "<HTML>", the Shift_JIS charset line.
void writePagePrologue(PageFile& page);
// "<BODY", one line per colour or background setting that is not empty, ">".
void writeBodyOpening(PageFile& page, const AlbumSettings& settings);
// "<HR><I>Script by <A ...>...</A></I>"
std::string creditLine();
// '<A HREF="target"  TARGET="_top">戻り</A><BR>'; `hrefValue` is already escaped.
std::string returnLinkLine(std::string_view hrefValue);

}  // namespace fotela
