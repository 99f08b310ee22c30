#include "publish/album_pages.h"

#include <charconv>
#include <unordered_set>

#include "common/files.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/user_dialogs.h"
#include "photos/image_size.h"
#include "photos/order_file.h"
#include "program/album_run.h"
#include "program/program_state.h"
#include "publish/modern_pages.h"
#include "publish/page_pieces.h"

namespace fotela {

std::expected<CopyDimensions, PageFailure> CopySizes::of(const std::string& path) {
  if (auto it = known_.find(path); it != known_.end()) return it->second;
  auto missing = [&] { return std::unexpected(PageFailure{true, path + " がありません。"}); };
  if (!isFile(path)) return missing();
  ImageSize size = ReadImageSize(path, 2);
  // A copy whose frame header cannot be read is as good as missing: its page line would
  // show an empty picture.
  if (size.width <= 0 || size.height <= 0) return missing();
  return known_[path] = CopyDimensions{size.width, size.height};
}

namespace {

PageFailure pageFailure(const Error& error) {
  return PageFailure{false, error.message};
}

int decimalValue(std::string_view text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The photo's IMG tag (and link to the full-size photo) inside a view or slide-show line.
struct PhotoPiece {
  std::string file;  // F
  int width = 0;
  int height = 0;
};

// A description is the user's HTML, except the photo's own name, which is what a photo
// never described carries: that is a file name, and data.
std::string descriptionHtml(const PhotoEntry& row) {
  return row.description == row.name ? htmlText(row.description) : row.description;
}

// The document.write argument of a view-page line. The picture links to the full-size
// photo only when that photo is wider than its large copy.
std::string viewPicture(const AlbumSettings& s, const PhotoEntry& row, const PhotoPiece& p) {
  std::string tag = scriptSingleQuoted(imageTag(s.ImageFolder, p.file, p.width, p.height));
  std::string description = scriptSingleQuoted(descriptionHtml(row));
  if (decimalValue(row.width) > p.width) {
    return "<A HREF=\"" + scriptSingleQuoted(urlAttribute(p.file)) + "\" TARGET=\"_top\">" + tag +
           "</A><BR>" + description;
  }
  return tag + "<BR>" + description;
}

struct VideoClip {
  std::string file;
  const char* kind;
};

// The clips of the folder: every "*.avi", then "*.mov", then "*.3gp" (letter case ignored),
// each search in directory order.
std::vector<VideoClip> videoClips(const std::string& folder) {
  std::vector<std::string> files = listFolder(folder, EntryKind::File);
  std::vector<VideoClip> clips;
  for (auto [suffix, kind] : {std::pair{".AVI", "AVI"}, {".MOV", "MOV"}, {".3GP", "3gp"}}) {
    for (const std::string& f : files) {
      if (f.size() >= 4 && asciiUpper(std::string_view(f).substr(f.size() - 4)) == suffix) {
        clips.push_back({f, kind});
      }
    }
  }
  return clips;
}

class AlbumWriter {
 public:
  AlbumWriter(ProgramState& state, std::vector<PhotoEntry> rows)
      : state_(state),
        s_(state.settings),
        rows_(std::move(rows)),
        folder_(state.settings.PhotoFolder),
        prefix_(folderPrefix(state.settings.PhotoFolder)),
        names_(pageNames(state.settings.AlbumHtml)),
        pages_(state.settings.PhotoFolder) {}

  // Writes every page into the set, then puts the set in place. On any failure the pages
  // of the folder stay as they were.
  PageResult run() {
    if (auto found = findFileIgnoringCase(folder_, kMusicFileName)) music_ = *found;
    if (auto r = mainPage(); !r) return r;
    if (!music_.empty()) {
      if (auto r = musicPage(); !r) return r;
    }
    if (auto r = indexPage(); !r) return r;
    if (auto r = viewPage(); !r) return r;
    if (auto r = slidePage(); !r) return r;
    if (auto r = WriteListPage(pages_, rows_, s_, sizes_); !r) return r;
    // The files of a modern build go with this one.
    const ModernPageNames modern = modernPageNames(s_.AlbumHtml);
    pages_.removeOnCommit(modern.stylesheet);
    pages_.removeOnCommit(modern.script);
    if (auto r = pages_.commit(); !r) return std::unexpected(pageFailure(r.error()));
    state_.LastAlbumPage = prefix_ + names_.main;
    return {};
  }

 private:
  std::expected<PageFile*, PageFailure> open(const std::string& name) {
    auto page = pages_.open(name);
    if (!page) return std::unexpected(pageFailure(page.error()));
    return *page;
  }

  PageResult mainPage() {
    auto opened = open(names_.main);
    if (!opened) return std::unexpected(opened.error());
    PageFile& page = **opened;
    writePagePrologue(page);
    page.line("<HEAD>");
    page.line("<TITLE>" + albumTitleHtml(s_) + "</TITLE>");
    page.line("</HEAD>");
    page.line("<FRAMESET COLS=\"" + signedNumberText(s_.FrameWidth) + ",*\">");
    page.line("<FRAME SRC=\"" + urlAttribute(names_.index) + "\">");
    page.line("<FRAME SRC=\"" + urlAttribute(names_.view) + "\" NAME=\"img\">");
    page.line("</FRAMESET>");
    page.line("</HTML>");
    return {};
  }

  PageResult musicPage() {
    auto opened = open(kMusicPageName);
    if (!opened) return std::unexpected(opened.error());
    PageFile& page = **opened;
    page.line("<!-- saved from url=(0017)http://localhost -->");
    page.line("<html>");
    page.line(R"x(<meta HTTP-EQUIV="Content-Type" CONTENT="text/html;charset=Shift_JIS">)x");
    page.line("<head>");
    page.line("<title>ＢＧＭ</title>");
    page.line(R"x(<script LANGUAGE="JavaScript">)x");
    page.line("<!--");
    page.line("   function wclose(){");
    page.line("       window.close();");
    page.line("   }");
    page.line("//-->");
    page.line("</script>");
    page.line("</head>");
    writeBodyOpening(page, s_);
    page.line("<center>");
    page.line("<h2>バックグランドミュージック</h2><br>");
    page.line(R"(<embed width="150" height="60" text="BGM" AUtostart="true" src=")" +
              urlAttribute(music_) + R"x(" repeat="true"  loop="true" panel="0" hidden="false">)x");
    page.line("<hr>");
    page.line(R"x(<form ACTION="--WEBBOT-SELF--" METHOD="POST">)x");
    page.line(R"x(<input LANGUAGE="JavaScript" TYPE="button" VALUE="閉じる" ONCLICK="wclose()">)x");
    page.line("</form>");
    page.line("</CENTER>");
    page.line("</body>");
    page.line("</html>");
    return {};
  }

  PageResult indexPage() {
    auto opened = open(names_.index);
    if (!opened) return std::unexpected(opened.error());
    PageFile& page = **opened;
    writePagePrologue(page);
    page.line("<HEAD>");
    page.line(R"x(<SCRIPT LANGUAGE="javaScript">)x");
    page.line("<!--");
    page.line("   function disp0(i) {");
    page.line(R"x(    parent.window.name="W"+i;)x");
    page.line("    window.parent.img.location.href=\"" + scriptUrl(names_.view) + "\";");
    page.line("   }");
    if (!music_.empty()) {
      page.line("   function dispi(){");
      page.line(
          R"x(    w=window.open("bgm.html","bgm", "resizable = yes, Width = 300, Height = 220"))x");
      page.line("    window.focus();");
      page.line("   }");
    }
    page.line("//-->");
    page.line("</SCRIPT>");
    page.line("</HEAD>");
    writeBodyOpening(page, s_);
    page.line("<CENTER>");
    page.line(R"x(<SCRIPT LANGUAGE="javaScript">)x");
    page.line("<!--");
    page.line(R"x(    parent.window.name="W1";)x");
    page.line("//-->");
    page.line("</SCRIPT>");
    page.line("<H3>" + albumTitleHtml(s_) + "</H3>");
    // The blank before the closing quote is part of these two lines.
    page.line("<A HREF=\"" + urlAttribute(names_.slide) + " \"TARGET=\"img\">自動送り</A><BR>");
    page.line("<A HREF=\"" + urlAttribute(names_.list) + " \"TARGET=\"_top\">一覧表示</A><BR>");
    if (!music_.empty()) page.line(R"x(<A href="javaScript:dispi()">ＢＧＭを鳴らす</A><BR>)x");
    if (s_.IncludeVideos == 1) {
      int n = 0;
      for (const VideoClip& clip : videoClips(folder_)) {
        ++n;
        std::string pageName = videoPageName(n);
        page.line("<A HREF=\"" + urlAttribute(pageName) + "\"  TARGET=\"_top\">動画(" +
                  htmlText(clip.file.substr(0, clip.file.size() - 4)) + ")</A><BR>");
        if (auto r = DogaHtml(pages_, s_, pageName, clip.file, clip.kind); !r) {
          return std::unexpected(pageFailure(r.error()));
        }
      }
    }
    if (!s_.ReturnPage.empty()) page.line(returnLinkLine(htmlText(s_.ReturnPage)));
    page.line("<BR>");
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const std::string file = rows_[i].fileName();
      auto size = sizes_.of(prefix_ + s_.ThumbFolder + "/" + file);
      if (!size) return std::unexpected(size.error());
      page.line("　　<A HREF=\"javaScript:disp0(" +
                signedNumberText(static_cast<long long>(i + 1)) + ")\">" +
                imageTag(s_.ThumbFolder, file, size->width, size->height) + "</A><BR>");
    }
    if (!s_.ReturnPage.empty()) {
      page.line("<BR><BR>");
      page.line(returnLinkLine(htmlText(s_.ReturnPage)));
    }
    page.line("</CENTER>");
    page.line("</BODY>");
    page.line("</HTML>");
    return {};
  }

  std::expected<PhotoPiece, PageFailure> largeCopy(std::size_t i) {
    PhotoPiece piece{rows_[i].fileName()};
    auto size = sizes_.of(prefix_ + s_.ImageFolder + "/" + piece.file);
    if (!size) return std::unexpected(size.error());
    piece.width = size->width;
    piece.height = size->height;
    return piece;
  }

  PageResult viewPage() {
    auto opened = open(names_.view);
    if (!opened) return std::unexpected(opened.error());
    PageFile& page = **opened;
    writePagePrologue(page);
    page.line("<HEAD>");
    page.line("<TITLE>" + albumTitleHtml(s_) + "</TITLE>");
    page.line("</HEAD>");
    writeBodyOpening(page, s_);
    page.line("<CENTER>");
    page.line("<H3>" + albumTitleHtml(s_) + "</H3>");
    page.line(R"x(<SCRIPT LANGUAGE="javaScript">)x");
    page.line("<!--");
    page.line("sw=0;");
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      // Some browsers stopped showing pictures from very long script blocks; the marker
      // file asks for the block to be split once, before photo 31.
      if (i == 30 && state_.SplitViewScript != 0) {
        page.line("//-->");
        page.line("</SCRIPT>");
        page.line("<I>　</I>");
        page.line(R"x(<SCRIPT LANGUAGE="javaScript">)x");
        page.line("<!--");
      }
      auto piece = largeCopy(i);
      if (!piece) return std::unexpected(piece.error());
      page.line("    if (parent.window.name==\"W" + plainNumberText(static_cast<long long>(i + 1)) +
                "\") {document.write('" + viewPicture(s_, rows_[i], *piece) + "');sw=1;}");
    }
    auto first = largeCopy(0);
    if (!first) return std::unexpected(first.error());
    page.line("    if (sw==0) {document.write('" + viewPicture(s_, rows_[0], *first) + "');sw=1;}");
    page.line("//-->");
    page.line("</SCRIPT>");
    page.line(creditLine());
    page.line("</CENTER>");
    page.line("</BODY>");
    page.line("</HTML>");
    return {};
  }

  PageResult slidePage() {
    auto opened = open(names_.slide);
    if (!opened) return std::unexpected(opened.error());
    PageFile& page = **opened;
    writePagePrologue(page);
    page.line("<HEAD>");
    page.line("<TITLE>" + albumTitleHtml(s_) + "</TITLE>");
    page.line(R"x(<SCRIPT LANGUAGE="javaScript">)x");
    page.line("<!--");
    page.line("   var timeid;");
    page.line("   function disp() {");
    page.line("    timeid=setTimeout(\"disp0()\"," + signedNumberText(s_.SlideInterval) + ");");
    page.line("   }");
    page.line("   function disp0() {");
    page.line("    window.parent.img.location.href=\"" + scriptUrl(names_.slide) + "\";");
    page.line("   }");
    page.line("//-->");
    page.line("</SCRIPT>");
    page.line("</HEAD>");
    writeBodyOpening(page, s_);
    page.line("<CENTER>");
    page.line("<H3>" + albumTitleHtml(s_) + "</H3>");
    page.line(R"x(<SCRIPT LANGUAGE="javaScript">)x");
    page.line("<!--");
    page.line("sw=0;");
    const std::size_t n = rows_.size();
    for (std::size_t i = 1; i <= n; ++i) {
      const std::string next = i < n ? plainNumberText(static_cast<long long>(i + 1)) : "1";
      page.line("    if ((parent.window.name==\"W" + plainNumberText(static_cast<long long>(i)) +
                "\")&&(sw==0)) {parent.window.name=\"W" + next + "\";sw=1;}");
    }
    page.line(R"x(    if (sw==0) {parent.window.name="W1";})x");
    const std::string viewLink =
        "<A HREF=\"" + scriptSingleQuoted(urlAttribute(names_.view)) + "\" TARGET=\"img\">";
    for (std::size_t i = 0; i < n; ++i) {
      auto piece = largeCopy(i);
      if (!piece) return std::unexpected(piece.error());
      page.line(
          "    if (parent.window.name==\"W" + plainNumberText(static_cast<long long>(i + 1)) +
          "\") {document.write('" + viewLink +
          scriptSingleQuoted(imageTag(s_.ImageFolder, piece->file, piece->width, piece->height)) +
          "</A><BR>" + scriptSingleQuoted(descriptionHtml(rows_[i])) + "');}");
    }
    page.line("disp();");
    page.line("//-->");
    page.line("</SCRIPT>");
    page.line(creditLine());
    page.line("</CENTER>");
    page.line("</BODY>");
    page.line("</HTML>");
    return {};
  }

  ProgramState& state_;
  const AlbumSettings& s_;
  std::vector<PhotoEntry> rows_;
  std::string folder_;
  std::string prefix_;
  PageNames names_;
  PageSet pages_;
  std::string music_;
  CopySizes sizes_;
};

}  // namespace

Result<void> DogaHtml(PageSet& pages, const AlbumSettings& s, const std::string& pageName,
                      const std::string& clip, std::string_view kind) {
  auto opened = pages.open(pageName);
  if (!opened) return std::unexpected(opened.error());
  PageFile& page = **opened;
  writePagePrologue(page);
  page.line("<HEAD>");
  page.line("<TITLE>" + htmlText(clip) + "</TITLE>");
  page.line("</HEAD>");
  writeBodyOpening(page, s);
  page.line("<CENTER>");
  std::string heading = clip.size() >= 4 ? clip.substr(0, clip.size() - 4) : std::string();
  page.line("<H3>" + htmlText(heading) + "</H3><BR>");
  if (kind == "MOV") {
    page.line("<embed src=\"" + urlAttribute(clip) +
              "\"  loop=\"true\" width=640 height=500><BR><BR>");
  } else {
    page.line("<embed src=\"" + urlAttribute(clip) + "\"  loop=\"true\"><BR><BR>");
  }
  page.line(returnLinkLine(urlAttribute(s.AlbumHtml)));
  page.line("</CENTER>");
  page.line("</BODY>");
  page.line("</HTML>");
  return {};
}

Result<void> DogaHtml(const std::string& folder, const AlbumSettings& s,
                      const std::string& pageName, const std::string& clip, std::string_view kind) {
  PageSet pages(folder);
  if (auto r = DogaHtml(pages, s, pageName, clip, kind); !r) return r;
  return pages.commit();
}

AlbumPagesOutcome WriteAlbumPages(ProgramState& state, UserDialogs& dialogs,
                                  const std::vector<std::string>& leaveOut) {
  if (state.photos.empty()) return AlbumPagesOutcome::NoPhotos;
  if (auto names = checkAlbumNames(state.settings); !names) {
    dialogs.message(names.error().message, kErrorCaption, DialogIcon::Warning);
    return AlbumPagesOutcome::Failed;
  }
  std::vector<PhotoEntry> rows;
  const std::unordered_set<std::string> left(leaveOut.begin(), leaveOut.end());
  for (const PhotoEntry& row : state.photos)
    if (!left.contains(row.fileName())) rows.push_back(row);
  if (rows.empty()) return AlbumPagesOutcome::NoPhotos;
  AlbumRun run(state);
  const PageResult written = state.albumStyle == AlbumStyle::Modern
                                 ? WriteModernAlbumPages(state, rows)
                                 : AlbumWriter(state, std::move(rows)).run();
  if (const PageResult& r = written; !r) {
    if (r.error().missingCopy) {
      dialogs.message(kMissingCopyMessage, kErrorCaption, DialogIcon::Warning);
    } else {
      dialogs.message(r.error().message, kErrorCaption, DialogIcon::Warning);
    }
    return AlbumPagesOutcome::Failed;
  }
  state.albumViewEnabled = true;
  if (auto saved = TitlePut(state.settings.PhotoFolder, state.photos, state.OrderChanged); !saved) {
    // The album stands; only the order file could not be kept.
    dialogs.message(saved.error().message, kErrorCaption, DialogIcon::Warning);
  }
  return AlbumPagesOutcome::Written;
}

}  // namespace fotela
