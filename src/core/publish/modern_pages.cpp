#include "publish/modern_pages.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "common/files.h"
#include "common/paths.h"
#include "common/text.h"
#include "photos/folder_scan.h"
#include "program/program_state.h"
#include "publish/modern_assets.h"
#include "publish/page_pieces.h"
#include "thumbs/thumb_maker.h"

namespace fotela {

ModernPageNames modernPageNames(std::string_view albumHtml) {
  std::string stem;
  TryFieldOf(stem, albumHtml, ".", 1);
  return {std::string(albumHtml), stem + "_style.css", stem + "_script.js"};
}

std::vector<std::string> classicPagesIn(const std::string& folder, std::string_view albumHtml) {
  const PageNames names = pageNames(albumHtml);
  std::vector<std::string> pages = {names.index, names.view, names.list, names.slide,
                                    kMusicPageName};
  // "douga" + a number from 1 without leading zeros + ".html", as the video pages are named.
  for (const std::string& f : listFolder(folder, EntryKind::File)) {
    std::string_view digits(f);
    if (!digits.starts_with("douga") || !digits.ends_with(".html")) continue;
    digits = digits.substr(5, digits.size() - 10);
    int n = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec == std::errc() && end == digits.data() + digits.size() && n > 0 &&
        videoPageName(n) == f) {
      pages.push_back(f);
    }
  }
  return pages;
}

std::string strictUrlName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

namespace {

bool startsTag(std::string_view rest) {
  if (rest.size() < 2) return false;
  const char c = rest[1];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '/' || c == '!' || c == '?';
}

bool isBreakTag(std::string_view tag) {
  return tag.size() >= 3 && (tag[1] == 'b' || tag[1] == 'B') && (tag[2] == 'r' || tag[2] == 'R') &&
         (tag.size() == 3 || tag[3] == '>' || tag[3] == '/' || tag[3] == ' ');
}

}  // namespace

std::string htmlAttributeText(std::string_view html) {
  std::string out;
  bool blank = false;  // a blank is owed before the next visible character
  auto visible = [&](std::string_view piece) {
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += piece;
  };
  for (std::size_t i = 0; i < html.size();) {
    const std::string_view rest = html.substr(i);
    const auto c = static_cast<unsigned char>(html[i]);
    if (c == '<' && startsTag(rest)) {
      const bool comment = rest.starts_with("<!--");
      const std::size_t end = comment ? rest.find("-->", 4) : rest.find('>');
      if (isBreakTag(rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1)))
        blank = true;
      // An unclosed tag hides the rest, as it does in the page.
      if (end == std::string_view::npos) break;
      i += end + (comment ? 3 : 1);
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
      blank = true;
      ++i;
    } else if (c == '"') {
      visible("&quot;");
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      visible("&#" + std::to_string(c) + ";");
      ++i;
    } else {
      visible(html.substr(i, 1));
      ++i;
    }
  }
  return out;
}

FactTexts factTexts(const PhotoFacts& f) {
  FactTexts t;
  // "2024:05:03 14:22:10" -> "2024/05/03 14:22"; anything else as stored.
  const std::string& d = f.dateTaken;
  const bool stamp = d.size() >= 16 && d[4] == ':' && d[7] == ':' && d[10] == ' ' && d[13] == ':';
  t.date =
      stamp ? d.substr(0, 4) + "/" + d.substr(5, 2) + "/" + d.substr(8, 2) + " " + d.substr(11, 5)
            : d;
  t.camera = f.cameraModel;
  if (!f.exposureTime.empty()) t.exposure = f.exposureTime + " 秒";
  if (!f.fNumber.empty()) t.fNumber = "f/" + f.fNumber;
  if (!f.iso.empty()) t.iso = "ISO " + f.iso;
  if (!f.focalLength.empty()) t.focal = f.focalLength + " mm";
  return t;
}

namespace {

// Each line of an embedded stylesheet or script as a page line.
void writeText(PageFile& page, std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    page.line(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// A CSS string of pure ASCII: quotes, backslashes, "<" and every character outside
// printable ASCII as escapes, so the text can neither end the string nor a style block.
std::string cssString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    unsigned code = c;
    std::size_t length = 1;
    if (c >= 0x80) {
      length = validUtf8Length(text.substr(i));
      if (length == 0) {
        code = 0xFFFD;
        length = 1;
      } else {
        code = c & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
          code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      }
    }
    if (code >= 0x20 && code < 0x7F && code != '"' && code != '\\' && code != '<') {
      out += static_cast<char>(code);
    } else {
      char escape[12];
      std::snprintf(escape, sizeof escape, "\\%X ", code);
      out += escape;
    }
    i += length;
  }
  return out + "\"";
}

bool isColourText(const std::string& value) {
  if (value.size() != 6) return false;
  for (char c : value)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The settings' colours as the light theme (a colour left empty takes the browser's own),
// a dark palette of our own when the reader's system asks for one.
std::string themeCss(const AlbumSettings& s) {
  auto colour = [](const std::string& value, const char* fallback) {
    return isColourText(value) ? "#" + value : std::string(fallback);
  };
  const std::string image = s.BgImage.empty() ? "none" : "url(" + cssString(s.BgImage) + ")";
  return ":root{--bg:" + colour(s.BgColor, "#FFFFFF") + ";--fg:" + colour(s.TextColor, "#000000") +
         ";--link:" + colour(s.LinkColor, "#0000EE") +
         ";--visited:" + colour(s.VLinkColor, "#551A8B") +
         ";--active:" + colour(s.ALinkColor, "#EE0000") + ";--bg-image:" + image +
         "}\n@media (prefers-color-scheme:dark){:root{--bg:#121212;--fg:#EDEDED;--link:#8AB4F8;"
         "--visited:#C58AF9;--active:#8AB4F8;--bg-image:none}}";
}

// The head every modern page starts with, up to its title.
void writeHead(PageFile& page, const std::string& titleText) {
  page.line("<!DOCTYPE html>");
  page.line("<html lang=\"ja\">");
  page.line("<head>");
  page.line("<meta charset=\"Shift_JIS\">");
  page.line("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
  page.line("<meta name=\"color-scheme\" content=\"light dark\">");
  page.line("<title>" + titleText + "</title>");
  // No favicon request, from disk or from a server.
  page.line("<link rel=\"icon\" href=\"data:,\">");
}

std::string returnLink(const AlbumSettings& s) {
  return "<a href=\"" + htmlText(s.ReturnPage) + "\">戻る</a>";
}

// The copy of `file` at twice the size (doubleDensityFolder of `folder`) as a srcset candidate when
// that copy exists and is larger than the one of `width`: "big/2x/a.jpg 2x", "big/2x/a.jpg 1.667x".
std::string denser(CopySizes& sizes, const std::string& prefix, const std::string& folder,
                   const std::string& file, int width) {
  const std::string dense = doubleDensityFolder(folder);
  auto size = sizes.of(prefix + dense + "/" + file);
  if (!size || size->width <= width) return {};
  char density[32];
  std::snprintf(density, sizeof density, "%.3f", static_cast<double>(size->width) / width);
  std::string d = density;
  while (d.back() == '0') d.pop_back();
  if (d.back() == '.') d.pop_back();
  std::string url;
  for (std::size_t at = 0, end; at <= dense.size(); at = end + 1) {
    end = std::min(dense.find('/', at), dense.size());
    url += strictUrlName(std::string_view(dense).substr(at, end - at)) + "/";
  }
  return url + strictUrlName(file) + " " + d + "x";
}

int decimalValue(std::string_view text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

struct Clip {
  std::string file;
  bool playable;  // a browser plays it in the page
};

std::vector<Clip> clipsOf(const std::string& folder) {
  std::vector<Clip> clips;
  for (const std::string& f : listFolder(folder, EntryKind::File)) {
    const std::size_t dot = f.rfind('.');
    if (dot == std::string::npos || dot == 0) continue;
    const std::string type = asciiLower(std::string_view(f).substr(dot + 1));
    if (type == "mp4" || type == "webm" || type == "mov") clips.push_back({f, true});
    if (type == "avi" || type == "3gp") clips.push_back({f, false});
  }
  return clips;
}

class ModernAlbumWriter {
 public:
  ModernAlbumWriter(ProgramState& state, const std::vector<PhotoEntry>& rows)
      : state_(state),
        s_(state.settings),
        rows_(rows),
        folder_(state.settings.PhotoFolder),
        prefix_(folderPrefix(state.settings.PhotoFolder)),
        names_(modernPageNames(state.settings.AlbumHtml)),
        pages_(state.settings.PhotoFolder) {}

  PageResult run() {
    if (auto r = albumPage(); !r) return r;
    if (auto r = asset(names_.stylesheet, {kBaseCss, kAlbumCss}); !r) return r;
    if (auto r = asset(names_.script, {kAlbumJs}); !r) return r;
    for (const std::string& name : classicPagesIn(folder_, s_.AlbumHtml))
      pages_.removeOnCommit(name);
    if (auto r = pages_.commit(); !r) return std::unexpected(PageFailure{false, r.error().message});
    state_.LastAlbumPage = prefix_ + names_.main;
    return {};
  }

 private:
  std::expected<PageFile*, PageFailure> open(const std::string& name) {
    auto page = pages_.open(name);
    if (!page) return std::unexpected(PageFailure{false, page.error().message});
    return *page;
  }

  PageResult asset(const std::string& name, std::initializer_list<std::string_view> parts) {
    auto opened = open(name);
    if (!opened) return std::unexpected(opened.error());
    if (name == names_.stylesheet) (*opened)->line(themeCss(s_));
    for (std::string_view part : parts) writeText(**opened, part);
    return {};
  }

  // One grid line: the link names the photo in the fragment and carries what the photo
  // view shows; the picture is the thumbnail.
  std::expected<std::string, PageFailure> tile(const PhotoEntry& row) {
    const std::string file = row.fileName();
    auto thumb = sizes_.of(prefix_ + s_.ThumbFolder + "/" + file);
    if (!thumb) return std::unexpected(thumb.error());
    auto large = sizes_.of(prefix_ + s_.ImageFolder + "/" + file);
    if (!large) return std::unexpected(large.error());
    const PhotoFacts facts = readPhotoFactsFromFile(prefix_ + file);
    // A description typed by the user is their HTML; without one, the caption the photo
    // carries, else its name, both as data.
    const bool typed = !row.description.empty() && row.description != row.name;
    const std::string shown = typed                     ? row.description
                              : !facts.caption.empty()  ? htmlText(facts.caption)
                              : row.description.empty() ? std::string()
                                                        : htmlText(row.name);
    std::string alt = htmlAttributeText(shown);
    if (alt.empty()) alt = htmlText(file);

    const std::string url = strictUrlName(file);
    std::string line = "<li><a href=\"#" + url + "\" data-src=\"" + strictUrlName(s_.ImageFolder) +
                       "/" + url + "\" data-w=\"" + std::to_string(large->width) + "\" data-h=\"" +
                       std::to_string(large->height) + "\"";
    if (auto x = denser(sizes_, prefix_, s_.ImageFolder, file, large->width); !x.empty())
      line += " data-x=\"" + x + "\"";
    // The view falls back to the alt text, which is this same text when it holds no markup.
    if (shown.empty() || shown.find_first_of("<&") != std::string::npos)
      line += " data-d=\"" + htmlText(shown) + "\"";
    const FactTexts t = factTexts(facts);
    for (auto [attribute, value] : {std::pair{"date", &t.date},
                                    {"camera", &t.camera},
                                    {"exposure", &t.exposure},
                                    {"fnumber", &t.fNumber},
                                    {"iso", &t.iso},
                                    {"focal", &t.focal}}) {
      if (!value->empty())
        line += std::string(" data-") + attribute + "=\"" + htmlText(*value) + "\"";
    }
    if (decimalValue(row.width) > large->width) line += " data-full=\"" + url + "\"";
    line += "><img src=\"" + strictUrlName(s_.ThumbFolder) + "/" + url + "\"";
    if (auto x = denser(sizes_, prefix_, s_.ThumbFolder, file, thumb->width); !x.empty())
      line += " srcset=\"" + x + "\"";
    return line + " width=\"" + std::to_string(thumb->width) + "\" height=\"" +
           std::to_string(thumb->height) + "\" loading=\"lazy\" alt=\"" + alt + "\"></a></li>";
  }

  void music(PageFile& page) {
    static constexpr std::pair<const char*, const char*> kPlayable[] = {
        {"bgm.mp3", "audio/mpeg"},
        {"bgm.m4a", "audio/mp4"},
        {"bgm.ogg", "audio/ogg"},
        {"bgm.opus", "audio/ogg; codecs=opus"}};
    std::vector<std::string> sources;
    for (auto [name, type] : kPlayable) {
      if (auto found = findFileIgnoringCase(folder_, name))
        sources.push_back("<source src=\"" + strictUrlName(*found) + "\" type=\"" + type + "\">");
    }
    const auto midi = findFileIgnoringCase(folder_, kMusicFileName);
    if (sources.empty() && !midi) return;
    page.line("<section aria-labelledby=\"music\">");
    page.line("<h2 id=\"music\">ＢＧＭ</h2>");
    if (!sources.empty()) {
      // Never starts by itself: the reader presses play.
      page.line("<audio controls preload=\"none\" aria-labelledby=\"music\">");
      for (const std::string& source : sources) page.line(source);
      page.line("</audio>");
    }
    if (midi)
      page.line("<p><a href=\"" + strictUrlName(*midi) + "\">" + htmlText(*midi) + "</a></p>");
    page.line("</section>");
  }

  void videos(PageFile& page) {
    if (s_.IncludeVideos != 1) return;
    const std::vector<Clip> clips = clipsOf(folder_);
    if (clips.empty()) return;
    page.line("<section aria-labelledby=\"videos\">");
    page.line("<h2 id=\"videos\">動画</h2>");
    page.line("<ul class=\"media\">");
    for (const Clip& clip : clips) {
      const std::string url = strictUrlName(clip.file), name = htmlText(clip.file);
      const std::string link = "<a href=\"" + url + "\">" + name + "</a>";
      if (clip.playable) {
        page.line("<li><video controls preload=\"metadata\" src=\"" + url + "\" aria-label=\"" +
                  name + "\"></video>" + link + "</li>");
      } else {
        page.line("<li>" + link + "</li>");
      }
    }
    page.line("</ul>");
    page.line("</section>");
  }

  PageResult albumPage() {
    auto opened = open(names_.main);
    if (!opened) return std::unexpected(opened.error());
    PageFile& page = **opened;
    const std::string title = albumTitleHtml(s_);
    writeHead(page, htmlAttributeText(title));
    page.line("<link rel=\"stylesheet\" href=\"" + strictUrlName(names_.stylesheet) + "\">");
    page.line("<script src=\"" + strictUrlName(names_.script) + "\" defer></script>");
    page.line("</head>");
    page.line("<body>");
    page.line("<header>");
    page.line("<h1>" + title + "</h1>");
    if (!s_.ReturnPage.empty()) page.line("<nav>" + returnLink(s_) + "</nav>");
    page.line("<button type=\"button\" id=\"show\">スライドショー</button>");
    page.line("</header>");
    page.line("<main>");
    music(page);
    page.line("<ul class=\"grid\" aria-label=\"写真\">");
    for (const PhotoEntry& row : rows_) {
      auto line = tile(row);
      if (!line) return std::unexpected(line.error());
      page.line(*line);
    }
    page.line("</ul>");
    videos(page);
    page.line("</main>");
    page.line(std::string("<footer>Script by <a href=\"") + kProjectHomePage + "\">" +
              kProjectLinkText + "</a></footer>");
    const int interval = s_.SlideInterval > 0 ? s_.SlideInterval : 4000;
    page.line("<dialog id=\"viewer\" tabindex=\"-1\" aria-labelledby=\"v-label\" data-interval=\"" +
              std::to_string(interval) + "\">");
    page.line("<div class=\"bar\">");
    page.line("<h2 id=\"v-label\"><span class=\"sr\">写真 </span><span id=\"v-pos\"></span></h2>");
    page.line(
        "<button type=\"button\" id=\"v-play\" aria-pressed=\"false\" "
        "data-play=\"スライドショー\" data-pause=\"一時停止\">スライドショー</button>");
    page.line("<button type=\"button\" id=\"v-close\">閉じる</button>");
    page.line("</div>");
    page.line("<div class=\"stage\"><img id=\"v-img\" alt=\"\" width=\"1\" height=\"1\">");
    page.line(
        "<button type=\"button\" id=\"v-prev\" class=\"nav prev\" aria-label=\"前の写真\">"
        "&lsaquo;</button>");
    page.line(
        "<button type=\"button\" id=\"v-next\" class=\"nav next\" aria-label=\"次の写真\">"
        "&rsaquo;</button></div>");
    page.line("<div class=\"info\">");
    page.line("<div id=\"v-desc\"></div>");
    page.line("<dl id=\"v-facts\" class=\"facts\">");
    for (auto [key, label] : {std::pair{"date", "撮影日時"},
                              {"camera", "カメラ"},
                              {"exposure", "露出時間"},
                              {"fnumber", "絞り値"},
                              {"iso", "感度"},
                              {"focal", "焦点距離"}}) {
      page.line(std::string("<div data-fact=\"") + key + "\"><dt>" + label +
                "</dt><dd></dd></div>");
    }
    page.line("</dl>");
    page.line("<p><a id=\"v-full\" href=\"#\" hidden>元の大きさの写真</a></p>");
    page.line("</div>");
    page.line("</dialog>");
    page.line("</body>");
    page.line("</html>");
    return {};
  }

  ProgramState& state_;
  const AlbumSettings& s_;
  const std::vector<PhotoEntry>& rows_;
  std::string folder_;
  std::string prefix_;
  ModernPageNames names_;
  PageSet pages_;
  CopySizes sizes_;
};

}  // namespace

PageResult WriteModernAlbumPages(ProgramState& state, const std::vector<PhotoEntry>& rows) {
  return ModernAlbumWriter(state, rows).run();
}

Result<void> writeModernMenuPage(const std::string& base, const std::string& title,
                                 const std::vector<std::string>& folders, const AlbumSettings& s) {
  PageSet pages(base);
  auto opened = pages.open(kMenuPageName);
  if (!opened) return std::unexpected(opened.error());
  PageFile& page = **opened;
  writeHead(page, htmlText(title));
  // Inline: the menu is one file, like the classic one, and nothing else to remove.
  page.line("<style>");
  page.line(themeCss(s));
  writeText(page, kBaseCss);
  writeText(page, kMenuCss);
  page.line("</style>");
  page.line("</head>");
  page.line("<body>");
  page.line("<header><h1>" + htmlText(title) + "</h1></header>");
  page.line("<main>");
  page.line("<ul class=\"cards\">");
  CopySizes sizes;
  for (const std::string& name : folders) {
    const std::string folder = strictUrlName(name);
    std::string picture;
    if (auto first = firstPhotoFile(base + name)) {
      const std::string thumbs = name + "/" + s.ThumbFolder;
      if (auto size = sizes.of(base + thumbs + "/" + *first)) {
        picture = "<img src=\"" + folder + "/" + strictUrlName(s.ThumbFolder) + "/" +
                  strictUrlName(*first) + "\"";
        // The 2x copy's folder path, relative to the menu page.
        if (auto x = denser(sizes, base + name + "/", s.ThumbFolder, *first, size->width);
            !x.empty())
          picture += " srcset=\"" + folder + "/" + x + "\"";
        picture += " width=\"" + std::to_string(size->width) + "\" height=\"" +
                   std::to_string(size->height) + "\" loading=\"lazy\" alt=\"\">";
      }
    }
    page.line("<li><a href=\"" + folder + "/album.html\"><span class=\"pic\">" + picture +
              "</span><span class=\"name\">" + htmlText(name) + "</span></a></li>");
  }
  page.line("</ul>");
  page.line("</main>");
  if (!s.ReturnPage.empty()) page.line("<footer>" + returnLink(s) + "</footer>");
  page.line("</body>");
  page.line("</html>");
  return pages.commit();
}

}  // namespace fotela
