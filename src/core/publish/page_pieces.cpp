#include "publish/page_pieces.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/cp932.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/text.h"

namespace fotela {

PageNames pageNames(std::string_view albumHtml) {
  std::string stem;
  std::string extension;
  TryFieldOf(stem, albumHtml, ".", 1);
  TryFieldOf(extension, albumHtml, ".", 2);
  auto numbered = [&](char n) { return stem + "_" + n + "." + extension; };
  return {std::string(albumHtml), numbered('1'), numbered('2'), numbered('3'), numbered('4')};
}

std::string videoPageName(int n) {
  return "douga" + plainNumberText(n) + ".html";
}

namespace {

void appendPercent(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 15];
}

bool isControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

// Percent-encodes what a URL cannot carry as it is; with `asciiOnly` every byte above
// 0x7F as well.
std::string percentEncoded(std::string_view name, bool asciiOnly) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) {
      const std::size_t length = validUtf8Length(name.substr(i));
      if (length == 0 || asciiOnly) {
        for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k)
          appendPercent(out, static_cast<unsigned char>(name[i + k]));
      } else {
        out.append(name.substr(i, length));
      }
      i += std::max<std::size_t>(length, 1);
      continue;
    }
    if (isControl(c) || c == '%' || c == '#' || c == '?' || c == '\\')
      appendPercent(out, c);
    else
      out += static_cast<char>(c);
    ++i;
  }
  return out;
}

}  // namespace

std::string percentEncodeName(std::string_view name) {
  return percentEncoded(name, false);
}

std::string htmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (c != '\t' && isControl(static_cast<unsigned char>(c)))
          out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
        else
          out += c;
    }
  }
  return out;
}

std::string urlAttribute(std::string_view name) {
  return htmlText(percentEncodeName(name));
}

namespace {

bool startsWithScriptTag(std::string_view text) {
  constexpr std::string_view kTag = "script";
  if (text.size() < kTag.size()) return false;
  for (std::size_t i = 0; i < kTag.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kTag[i]) return false;
  }
  return true;
}

std::string scriptQuoted(std::string_view text, char quote) {
  constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
  constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const std::string_view rest = text.substr(i);
    if (c == '\\' || c == quote) {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (rest.starts_with(kLineSeparator)) {
      out += "\\u2028";
      i += kLineSeparator.size() - 1;
    } else if (rest.starts_with(kParagraphSeparator)) {
      out += "\\u2029";
      i += kParagraphSeparator.size() - 1;
    } else if (c == '<' && (rest.starts_with("</") || rest.starts_with("<!") ||
                            startsWithScriptTag(rest.substr(1)))) {
      // "<\/", "<\!--", "<\script": the same string to the script, nothing to the HTML
      // parser that looks for the end of the block.
      out += "<\\";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string scriptSingleQuoted(std::string_view text) {
  return scriptQuoted(text, '\'');
}
std::string scriptDoubleQuoted(std::string_view text) {
  return scriptQuoted(text, '"');
}

std::string scriptUrl(std::string_view name) {
  return scriptDoubleQuoted(percentEncoded(name, true));
}

std::string albumTitleHtml(const AlbumSettings& s) {
  return s.TitleFromFolder == 1 ? htmlText(s.AlbumTitle) : s.AlbumTitle;
}

PageFile::~PageFile() {
  if (file_) {
    std::fclose(file_);  // closes the descriptor too
    temporary_.fd = -1;
  }
  closeTemporaryFile(temporary_);
}

void PageFile::write(std::string_view bytes) {
  if (!file_ || error_ != 0) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    error_ = errno ? errno : EIO;
}

void PageFile::line(std::string_view utf8) {
  std::string bytes = utf8ToCp932WithReferences(utf8);
  // Every line ends in CR LF, and so does any break inside it.
  std::string out;
  out.reserve(bytes.size() + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' || bytes[i] == '\n') {
      out += "\r\n";
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      out += bytes[i];
    }
  }
  out += "\r\n";
  write(out);
}

PageSet::PageSet(const std::string& folder)
    : folder_(folder.empty() ? std::string(".") : folder), prefix_(folderPrefix(folder_)) {}

PageSet::~PageSet() {
  discard();
}

void PageSet::discard() {
  for (auto& page : pages_) {
    if (page->temporary_.fd < 0) continue;
    ::unlink(page->temporary_.path.c_str());
    if (page->file_) std::fclose(page->file_);
    page->file_ = nullptr;
    page->temporary_.fd = -1;  // closed with the stream
  }
  pages_.clear();
  removals_.clear();
}

void PageSet::removeOnCommit(const std::string& name) {
  removals_.push_back(prefix_ + name);
}

Result<PageFile*> PageSet::open(const std::string& name) {
  auto page = std::make_unique<PageFile>();
  page->path_ = prefix_ + name;
  auto temporary = createTemporaryFile(folder_, page->path_);
  if (!temporary) return std::unexpected(temporary.error());
  page->temporary_ = *temporary;
  page->file_ = ::fdopen(temporary->fd, "wb");
  if (!page->file_) {
    const int error = errno;
    ::unlink(temporary->path.c_str());
    closeTemporaryFile(page->temporary_);
    return fail(pageWriteFailure(page->path_, error));
  }
  pages_.push_back(std::move(page));
  return pages_.back().get();
}

Result<void> PageSet::commit() {
  for (auto& page : pages_) {
    int error = page->error_;
    if (error == 0 && std::fflush(page->file_) != 0) error = errno ? errno : EIO;
    if (error == 0 && ::fsync(page->temporary_.fd) != 0) error = errno;
    if (error != 0) {
      const std::string message = pageWriteFailure(page->path_, error);
      discard();
      return fail(message);
    }
  }
  // Nothing may stand in the way of a rename: a folder where a page goes would leave the
  // set half new.
  for (auto& page : pages_) {
    struct stat st {};
    if (::lstat(page->path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      const std::string message = pageWriteFailure(page->path_, EISDIR);
      discard();
      return fail(message);
    }
  }
  for (auto& page : pages_) {
    // A page that is replaced keeps its mode, as the copies do.
    keepModeOf(page->path_, page->temporary_.fd);
    // Renamed while still open and locked, so that no cleaner takes it in between.
    if (::rename(page->temporary_.path.c_str(), page->path_.c_str()) != 0) {
      const std::string message = pageWriteFailure(page->path_, errno);
      discard();
      return fail(message);
    }
    std::fclose(page->file_);
    page->file_ = nullptr;
    page->temporary_.fd = -1;
  }
  std::string removalFailure;
  for (const std::string& path : removals_) {
    const bool written = std::ranges::any_of(pages_, [&](auto& p) { return p->path_ == path; });
    struct stat st {};
    if (written || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT && removalFailure.empty())
      removalFailure = path + " を削除できません。(" + std::strerror(errno) + ")";
  }
  pages_.clear();
  removals_.clear();
  // The new names reach the disk too.
  if (const int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  if (!removalFailure.empty()) return fail(removalFailure);
  return {};
}

std::string imageTag(std::string_view folder, std::string_view file, int width, int height) {
  return "<IMG SRC=\"" + urlAttribute(folder) + "/" + urlAttribute(file) +
         "\" Border=0 Width=" + signedNumberText(width) + " Height=" + signedNumberText(height) +
         " ALT=\"" + htmlText(file) + "\">";
}

std::string pageWriteFailure(const std::string& path, int error) {
  return path + " を書き込めません。(" + std::strerror(error) + ")";
}

void writePagePrologue(PageFile& page) {
  page.line("<!-- saved from url=(0017)http://localhost -->");
  page.line("<HTML>");
  page.line(R"(<meta HTTP-EQUIV="Content-Type" CONTENT="text/html;charset=Shift_JIS">)");
}

void writeBodyOpening(PageFile& page, const AlbumSettings& s) {
  page.line("<BODY");
  auto colour = [&](const char* attribute, const std::string& value) {
    if (!value.empty()) page.line(std::string(" ") + attribute + "=\"#" + htmlText(value) + "\"");
  };
  colour("BGCOLOR", s.BgColor);
  colour("TEXT", s.TextColor);
  colour("LINK", s.LinkColor);
  colour("VLINK", s.VLinkColor);
  colour("ALINK", s.ALinkColor);
  if (!s.BgImage.empty()) page.line(" BACKGROUND=\"" + htmlText(s.BgImage) + "\"");
  page.line(">");
}

std::string creditLine() {
  return std::string("<HR><I>Script by <A HREF=\"") + kProjectHomePage + "\" TARGET=\"_top\">" +
         kProjectLinkText + "</A></I>";
}

std::string returnLinkLine(std::string_view hrefValue) {
  return "<A HREF=\"" + std::string(hrefValue) + "\"  TARGET=\"_top\">戻り</A><BR>";
}

}  // namespace fotela
