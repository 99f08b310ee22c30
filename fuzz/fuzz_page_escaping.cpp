// Names and descriptions on a page: whatever their text, they stay inside the attribute
// value or the script string they are written into. Checked on the bytes of the page as a
// browser reads them back from Shift_JIS, where a double-byte character is one unit and
// every single byte below 0x80 is ASCII.
//
// Calls htmlText, urlAttribute, scriptSingleQuoted, scriptDoubleQuoted and PageSet.
#include <fstream>
#include <sstream>

#include "fuzz_support.h"
#include "publish/page_pieces.h"

using namespace fotela;

namespace {

constexpr char kOther = 0;  // any character that is not ASCII

// The line's characters as a Shift_JIS reader splits them: ASCII as itself, every other
// character (a lead and trail byte pair, a half-width kana) as kOther.
std::string browserView(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      continue;
    }
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (lead && i + 1 < bytes.size()) {
      const auto t = static_cast<unsigned char>(bytes[i + 1]);
      if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) ++i;
    }
    out += kOther;
  }
  return out;
}

// Reads a quoted attribute value at `pos` (just after the opening quote); returns the
// position after the closing quote, npos when the value holds a character that would end
// the tag or begin markup.
std::size_t attributeValue(const std::string& view, std::size_t pos) {
  for (; pos < view.size(); ++pos) {
    const char c = view[pos];
    if (c == '"') return pos + 1;
    if (c == '<' || c == '>') return std::string::npos;
  }
  return std::string::npos;
}

// Reads a JavaScript string literal's body at `pos`; returns the position after the
// closing quote, npos when the text would end the script block or the line first.
std::size_t scriptString(const std::string& view, std::size_t pos, char quote) {
  for (; pos < view.size(); ++pos) {
    const char c = view[pos];
    if (c == '\r' || c == '\n') return std::string::npos;
    if (c == '<' && pos + 1 < view.size() && view[pos + 1] == '/') return std::string::npos;
    if (c == '\\') {
      ++pos;  // escapes whatever follows, a double-byte character included
      continue;
    }
    if (c == quote) return pos + 1;
  }
  return std::string::npos;
}

bool expect(const std::string& view, std::size_t& pos, std::string_view text) {
  if (pos == std::string::npos || view.compare(pos, text.size(), text) != 0) return false;
  pos += text.size();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::asText(data, size);
  const std::string path = fuzz::scratchFolder() + "/page.html";
  {
    PageSet pages(fuzz::scratchFolder());
    Result<PageFile*> page = pages.open("page.html");
    if (!page) fuzz::failure("cannot open the page", text);
    (*page)->line("<A HREF=\"" + urlAttribute(text) + "\" TITLE=\"" + htmlText(text) + "\">");
    (*page)->line("<SCRIPT>a='" + scriptSingleQuoted(text) + "';b=\"" + scriptDoubleQuoted(text) +
                  "\";</SCRIPT>");
    if (!pages.commit()) fuzz::failure("cannot write the page", text);
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string view = browserView(bytes.str());

  std::size_t pos = 0;
  if (!expect(view, pos, "<A HREF=\"")) fuzz::failure("page start", text);
  pos = attributeValue(view, pos);
  if (!expect(view, pos, " TITLE=\"")) fuzz::failure("the name left the HREF value", text);
  pos = attributeValue(view, pos);
  if (!expect(view, pos, ">\r\n<SCRIPT>a='")) fuzz::failure("the name left the TITLE value", text);
  pos = scriptString(view, pos, '\'');
  if (!expect(view, pos, ";b=\"")) fuzz::failure("the text left the '...' script string", text);
  pos = scriptString(view, pos, '"');
  if (!expect(view, pos, ";</SCRIPT>\r\n") || pos != view.size())
    fuzz::failure("the text left the \"...\" script string", text);
  return 0;
}
