#pragma once
// What every album page and the menu page share: page names, escaping of names, the line
// writer (CP932, CR LF) and the blocks of lines several pages begin or end with.

#include <cstdio>
#include <string>
#include <string_view>

#include "common/error.h"
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

// File and folder names are data. In a URL (HREF, SRC) "%", "#" and "?" are
// percent-encoded; in HTML text or an attribute "&", "<", ">" and '"' become references.
// Ordinary names pass through unchanged.
std::string percentEncodeName(std::string_view name);
std::string htmlText(std::string_view text);
// A name as an HREF/SRC attribute value: percent-encoded, then HTML-escaped.
std::string urlAttribute(std::string_view name);
// Text inside a JavaScript string literal: "\" -> "\\", the quote -> "\'" or "\"",
// "</" -> "<\/" (so the text can never close the script block).
std::string scriptSingleQuoted(std::string_view text);
std::string scriptDoubleQuoted(std::string_view text);

// One page file being written. Lines are UTF-8 inside the program; each is written as CP932
// (a character CP932 cannot hold as "&#N;") followed by CR LF. A write error is kept and
// returned by close(), naming the file.
class PageFile {
 public:
  PageFile() = default;
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // Creates the file anew, replacing a file of the same name.
  Result<void> open(const std::string& path);
  void line(std::string_view utf8);
  Result<void> close();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// '<IMG SRC="folder/file" Border=0 Width= w Height= h ALT="file">', names escaped.
std::string imageTag(std::string_view folder, std::string_view file, int width, int height);

// The message for a page file that cannot be created or written.
std::string pageWriteFailure(const std::string& path);

// "<!-- saved from url=...", "<HTML>", the Shift_JIS charset line.
void writePagePrologue(PageFile& page);
// "<BODY", one line per colour or background setting that is not empty, ">".
void writeBodyOpening(PageFile& page, const AlbumSettings& settings);
// "<HR><I>Script by <A ...>...</A></I>"
std::string creditLine();
// '<A HREF="target"  TARGET="_top">戻り</A><BR>'; `hrefValue` is already escaped.
std::string returnLinkLine(std::string_view hrefValue);

}  // namespace fotela
