#include "publish/page_pieces.h"

#include <cerrno>
#include <cstring>

#include "common/cp932.h"
#include "common/numbers.h"
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

std::string percentEncodeName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    switch (c) {
      case '%':
        out += "%25";
        break;
      case '#':
        out += "%23";
        break;
      case '?':
        out += "%3F";
        break;
      default:
        out += c;
    }
  }
  return out;
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
        out += c;
    }
  }
  return out;
}

std::string urlAttribute(std::string_view name) {
  return htmlText(percentEncodeName(name));
}

namespace {

std::string scriptQuoted(std::string_view text, char quote) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' || c == quote) {
      out += '\\';
      out += c;
    } else if (c == '<' && i + 1 < text.size() && text[i + 1] == '/') {
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

PageFile::~PageFile() {
  if (file_) std::fclose(file_);
}

Result<void> PageFile::open(const std::string& path) {
  if (file_) std::fclose(file_);
  path_ = path;
  failed_ = false;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return fail(pageWriteFailure(path) + " (" + std::strerror(errno) + ")");
  return {};
}

void PageFile::line(std::string_view utf8) {
  if (!file_ || failed_) return;
  std::string bytes = utf8ToCp932WithReferences(utf8);
  bytes += "\r\n";
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

Result<void> PageFile::close() {
  if (!file_) return fail(pageWriteFailure(path_));
  bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_);
  int error = errno;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok) return fail(pageWriteFailure(path_) + " (" + std::strerror(error) + ")");
  return {};
}

std::string imageTag(std::string_view folder, std::string_view file, int width, int height) {
  return "<IMG SRC=\"" + urlAttribute(folder) + "/" + urlAttribute(file) +
         "\" Border=0 Width=" + signedNumberText(width) + " Height=" + signedNumberText(height) +
         " ALT=\"" + htmlText(file) + "\">";
}

std::string pageWriteFailure(const std::string& path) {
  return path + " を書き込めません。";
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
