#include "imaging/photo_facts.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "common/cp932.h"
#include "common/files.h"
#include "common/text.h"
#include "imaging/jpeg_segments.h"
#include "imaging/tiff_structure.h"

namespace fotela {
namespace {

using Bytes = std::span<const unsigned char>;
using TiffView = Tiff<const unsigned char>;

std::string_view asText(Bytes bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// ---- Text as it comes from a file, made into UTF-8 fit to show -------------------------

bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = validUtf8Length(text.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// Text declared UTF-8, with U+FFFD for each byte that is not.
std::string repairedUtf8(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = validUtf8Length(text.substr(i));
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out += text.substr(i, n);
      i += n;
    }
  }
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Bytes in an unknown encoding: UTF-8 when they are (what current software writes into
// fields that say ASCII), else CP932 when every byte decodes as it (older Japanese
// software), else Latin-1, which any bytes are.
std::string anyTextToUtf8(std::string_view bytes) {
  if (isUtf8(bytes)) return std::string(bytes);
  std::string japanese = cp932ToUtf8(bytes);
  if (japanese.find("\xEF\xBF\xBD") == std::string::npos) return japanese;
  std::string out;
  for (unsigned char c : bytes) appendUtf8(out, c);
  return out;
}

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

std::string_view trimSpace(std::string_view s) {
  for (;;) {
    if (!s.empty() && (s.front() == ' ' || s.front() == '\n')) {
      s.remove_prefix(1);
    } else if (s.starts_with(kIdeographicSpace)) {
      s.remove_prefix(kIdeographicSpace.size());
    } else if (!s.empty() && (s.back() == ' ' || s.back() == '\n')) {
      s.remove_suffix(1);
    } else if (s.ends_with(kIdeographicSpace)) {
      s.remove_suffix(kIdeographicSpace.size());
    } else {
      return s;
    }
  }
}

// UTF-8 text with its line breaks as "\n" (or spaces, for one-line fields), tabs as
// spaces, other control characters and byte-order marks dropped, and blanks trimmed.
std::string cleanText(std::string_view utf8, bool oneLine) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = std::max<std::size_t>(1, validUtf8Length(utf8.substr(i)));
    const std::string_view ch = utf8.substr(i, n);
    i += n;
    const auto c = static_cast<unsigned char>(ch[0]);
    if (c == '\r' && i < utf8.size() && utf8[i] == '\n') continue;
    if (c == '\r' || c == '\n') {
      out += oneLine ? ' ' : '\n';
    } else if (c == '\t') {
      out += ' ';
    } else if (c < 0x20 || c == 0x7F || ch == "\xEF\xBB\xBF") {
      continue;
    } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(ch[1]) < 0xA0) {
      continue;  // C1 controls
    } else {
      out += ch;
    }
  }
  return std::string(trimSpace(out));
}

// Captions that cameras write by themselves, compared with ASCII letters folded.
constexpr std::string_view kPlaceholderCaptions[] = {
    "OLYMPUS DIGITAL CAMERA", "SONY DSC",
    "DIGITAL CAMERA",         "KODAK DIGITAL STILL CAMERA",
    "MINOLTA DIGITAL CAMERA", "SAMSUNG DIGITAL CAMERA",
    "EXIF_JPEG_PICTURE",
};

// Model and maker: a caption that only repeats them is no caption either.
struct Camera {
  std::string make;
  std::string model;
};

bool isPlaceholder(std::string_view caption, const Camera& camera) {
  if (caption.empty()) return true;
  for (std::string_view p : kPlaceholderCaptions)
    if (equalsIgnoreAsciiCase(caption, p)) return true;
  return (!camera.model.empty() &&
          (equalsIgnoreAsciiCase(caption, camera.model) ||
           equalsIgnoreAsciiCase(caption, camera.make + " " + camera.model))) ||
         (!camera.make.empty() && equalsIgnoreAsciiCase(caption, camera.make));
}

// ---- EXIF --------------------------------------------------------------------------------

constexpr std::uint32_t kTagImageDescription = 0x010E;
constexpr std::uint32_t kTagMake = 0x010F;
constexpr std::uint32_t kTagModel = 0x0110;
constexpr std::uint32_t kTagDateTime = 0x0132;
constexpr std::uint32_t kTagExposureTime = 0x829A;
constexpr std::uint32_t kTagFNumber = 0x829D;
constexpr std::uint32_t kTagIsoSpeedRatings = 0x8827;
constexpr std::uint32_t kTagIsoSpeed = 0x8833;
constexpr std::uint32_t kTagDateTimeOriginal = 0x9003;
constexpr std::uint32_t kTagFocalLength = 0x920A;

struct TiffEntry {
  std::uint32_t tag = 0;
  std::uint32_t type = 0;
  std::uint32_t count = 0;
  std::size_t valueAt = 0;  // the value's bytes, inside the structure
};

std::size_t typeSize(std::uint32_t type) {
  switch (type) {
    case kTypeAscii:
      return 1;
    case kTypeShort:
      return 2;
    case kTypeLong:
    case kTypeIfd:
      return 4;
    case kTypeRational:
      return 8;
    default:
      return 0;
  }
}

// Calls `visit` for each entry of the directory at `ifd` whose value is of a type read here
// and lies wholly inside the structure.
void forEachEntry(const TiffView& tiff, std::size_t ifd,
                  const std::function<void(const TiffEntry&)>& visit) {
  if (!tiff.has(ifd, 2)) return;
  const std::size_t count = tiff.get(ifd, 2);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = ifd + 2 + 12 * i;
    if (!tiff.has(at, 12)) return;
    TiffEntry e{tiff.get(at, 2), tiff.get(at + 2, 2), tiff.get(at + 4, 4), 0};
    const std::size_t size = typeSize(e.type);
    if (size == 0 || e.count == 0) continue;
    const std::uint64_t bytes = std::uint64_t{e.count} * size;
    e.valueAt = bytes <= 4 ? at + 8 : tiff.get(at + 8, 4);
    if (tiff.has(e.valueAt, bytes)) visit(e);
  }
}

// An ASCII value up to its terminating NUL, in whatever encoding the writer used.
std::string_view asciiValue(const TiffView& tiff, const TiffEntry& e) {
  if (e.type != kTypeAscii) return {};
  std::string_view s = asText(tiff.slice(e.valueAt, e.count));
  return s.substr(0, s.find('\0'));
}

std::uint32_t numberValue(const TiffView& tiff, const TiffEntry& e) {
  if (e.type == kTypeShort) return tiff.get(e.valueAt, 2);
  if (e.type == kTypeLong || e.type == kTypeIfd) return tiff.get(e.valueAt, 4);
  return 0;
}

// n/d to one decimal without a trailing ".0" ("5.6", "8", "35"); "" for no value.
std::string decimalText(std::uint64_t n, std::uint64_t d) {
  if (d == 0) return {};
  const std::uint64_t tenths = (20 * n + d) / (2 * d);  // half up
  if (tenths == 0) return {};
  std::string s = std::to_string(tenths / 10);
  if (tenths % 10 != 0) s += "." + std::to_string(tenths % 10);
  return s;
}

// Seconds as photographers write them: "1/250" up to a quarter of a second, "0.5", "2.5",
// "30" above.
std::string exposureText(std::uint64_t n, std::uint64_t d) {
  if (n == 0 || d == 0) return {};
  if (4 * n <= d) return "1/" + std::to_string((2 * d + n) / (2 * n));
  return decimalText(n, d);
}

std::string rationalText(const TiffView& tiff, const TiffEntry& e, bool exposure) {
  if (e.type != kTypeRational) return {};
  const std::uint64_t n = tiff.get(e.valueAt, 4), d = tiff.get(e.valueAt + 4, 4);
  return exposure ? exposureText(n, d) : decimalText(n, d);
}

// A date as stored, unless it is the blank "    :  :     :  :  " or zeros a camera
// without a clock writes.
std::string dateText(std::string_view stored) {
  std::string date = cleanText(anyTextToUtf8(stored), true);
  const bool hasValue =
      std::any_of(date.begin(), date.end(), [](char c) { return c >= '1' && c <= '9'; });
  return hasValue ? date : std::string();
}

struct ExifFields {
  Camera camera;
  std::string description;  // raw bytes
  std::string dateTime;
  std::string dateTimeOriginal;
  std::uint32_t isoRatings = 0;
  std::uint32_t isoSpeed = 0;
};

void readExif(Bytes payload, PhotoFacts& facts, ExifFields& fields) {
  const std::optional<TiffView> tiff = TiffView::open(payload.subspan(kExifId.size()));
  if (!tiff) return;
  std::size_t exifIfd = 0;
  forEachEntry(*tiff, tiff->firstIfd(), [&](const TiffEntry& e) {
    switch (e.tag) {
      case kTagImageDescription:
        fields.description = asciiValue(*tiff, e);
        break;
      case kTagMake:
        fields.camera.make = cleanText(anyTextToUtf8(asciiValue(*tiff, e)), true);
        break;
      case kTagModel:
        fields.camera.model = cleanText(anyTextToUtf8(asciiValue(*tiff, e)), true);
        break;
      case kTagDateTime:
        fields.dateTime = dateText(asciiValue(*tiff, e));
        break;
      case kTagExifIfd:
        exifIfd = numberValue(*tiff, e);
        break;
    }
  });
  if (exifIfd == 0) return;
  forEachEntry(*tiff, exifIfd, [&](const TiffEntry& e) {
    switch (e.tag) {
      case kTagExposureTime:
        facts.exposureTime = rationalText(*tiff, e, true);
        break;
      case kTagFNumber:
        facts.fNumber = rationalText(*tiff, e, false);
        break;
      case kTagFocalLength:
        facts.focalLength = rationalText(*tiff, e, false);
        break;
      case kTagIsoSpeedRatings:
        fields.isoRatings = numberValue(*tiff, e);
        break;
      case kTagIsoSpeed:
        fields.isoSpeed = numberValue(*tiff, e);
        break;
      case kTagDateTimeOriginal:
        fields.dateTimeOriginal = dateText(asciiValue(*tiff, e));
        break;
    }
  });
}

// ---- XMP -------------------------------------------------------------------------------

constexpr std::string_view kXmpId{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view kDcNamespace = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kRdfNamespace = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";

bool isXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view skipXmlSpace(std::string_view s) {
  while (!s.empty() && isXmlSpace(s.front())) s.remove_prefix(1);
  return s;
}

// The value of `= "value"` at the start of `s` (either quote); nullopt when not there.
std::optional<std::string_view> attributeValue(std::string_view s) {
  s = skipXmlSpace(s);
  if (!s.starts_with('=')) return std::nullopt;
  s = skipXmlSpace(s.substr(1));
  if (s.empty() || (s[0] != '"' && s[0] != '\'')) return std::nullopt;
  const std::size_t close = s.find(s[0], 1);
  if (close == std::string_view::npos) return std::nullopt;
  return s.substr(1, close - 1);
}

// The prefix an xmlns declaration binds to `uri`; `fallback` when none does.
std::string namespacePrefix(std::string_view xml, std::string_view uri, std::string_view fallback) {
  constexpr std::string_view kXmlns = "xmlns:";
  constexpr std::size_t kLongestPrefix = 64;
  for (std::size_t at = xml.find(kXmlns); at != std::string_view::npos;
       at = xml.find(kXmlns, at + 1)) {
    const std::string_view rest = xml.substr(at + kXmlns.size());
    std::size_t n = 0;
    while (n < rest.size() && n < kLongestPrefix && rest[n] != '=' && !isXmlSpace(rest[n])) ++n;
    const std::string_view afterName = skipXmlSpace(rest.substr(n));
    if (n == 0 || !afterName.starts_with('=')) continue;
    // Only as much of the value as the namespace itself is read, so the search stays linear.
    const std::string_view value = skipXmlSpace(afterName.substr(1));
    if (value.size() < uri.size() + 2 || (value[0] != '"' && value[0] != '\'')) continue;
    if (value.substr(1, uri.size()) == uri && value[uri.size() + 1] == value[0])
      return std::string(rest.substr(0, n));
  }
  return std::string(fallback);
}

struct XmlElement {
  std::string_view attributes;
  std::string_view content;
  std::size_t end = 0;  // just after the element
};

// The first element named `name` at or after `from`.
std::optional<XmlElement> findElement(std::string_view xml, const std::string& name,
                                      std::size_t from) {
  const std::string open = "<" + name;
  for (std::size_t at = xml.find(open, from); at != std::string_view::npos;
       at = xml.find(open, at + 1)) {
    const std::size_t p = at + open.size();
    if (p >= xml.size()) break;
    if (xml[p] != '>' && xml[p] != '/' && !isXmlSpace(xml[p])) continue;  // a longer name
    const std::size_t tagEnd = xml.find('>', p);
    if (tagEnd == std::string_view::npos) break;
    XmlElement e;
    e.attributes = xml.substr(p, tagEnd - p);
    if (e.attributes.ends_with('/')) {
      e.attributes.remove_suffix(1);
      e.end = tagEnd + 1;
      return e;
    }
    const std::string close = "</" + name + ">";
    const std::size_t closeAt = xml.find(close, tagEnd + 1);
    if (closeAt == std::string_view::npos) break;
    e.content = xml.substr(tagEnd + 1, closeAt - tagEnd - 1);
    e.end = closeAt + close.size();
    return e;
  }
  return std::nullopt;
}

// XML character data with its references decoded; CDATA sections kept as they are.
std::string xmlText(std::string_view s) {
  std::string out;
  while (!s.empty()) {
    if (s.starts_with("<![CDATA[")) {
      const std::size_t end = s.find("]]>");
      const std::string_view cdata = s.substr(9, end == std::string_view::npos ? s.npos : end - 9);
      out += cdata;
      s.remove_prefix(end == std::string_view::npos ? s.size() : end + 3);
      continue;
    }
    // A reference is at most "&#x10FFFF;".
    const std::size_t semi = s[0] == '&' ? s.substr(0, 10).find(';') : std::string_view::npos;
    if (semi == std::string_view::npos) {
      out += s[0];
      s.remove_prefix(1);
      continue;
    }
    const std::string_view name = s.substr(1, semi - 1);
    const std::pair<std::string_view, char> named[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    bool known = false;
    for (const auto& [n, c] : named) {
      if (name == n) {
        out += c;
        known = true;
      }
    }
    if (!known && name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      std::uint32_t code = 0;
      bool ok = !digits.empty();
      // At most seven digits fit in the reference, so the code cannot overflow.
      for (char c : digits) {
        const int v =
            hex ? HexToNumber(std::string_view(&c, 1)) : (c >= '0' && c <= '9' ? c - '0' : -1);
        ok = ok && v >= 0;
        if (ok) code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
      }
      if (ok && code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
        appendUtf8(out, code);
        known = true;
      }
    }
    if (!known) {
      out += s[0];
      s.remove_prefix(1);
      continue;
    }
    s.remove_prefix(semi + 1);
  }
  return out;
}

// The language of an rdf:li element's attributes is the default one.
bool isDefaultLanguage(std::string_view attributes) {
  const std::size_t at = attributes.find("xml:lang");
  if (at == std::string_view::npos) return false;
  const std::optional<std::string_view> value = attributeValue(attributes.substr(at + 8));
  return value && equalsIgnoreAsciiCase(*value, "x-default");
}

// dc:description of an XMP packet: the x-default item of its rdf:Alt, else the first that
// is not blank; a description without items is taken as plain text.
std::string xmpDescription(std::string_view xml) {
  const std::string dc = namespacePrefix(xml, kDcNamespace, "dc");
  const std::string rdf = namespacePrefix(xml, kRdfNamespace, "rdf");
  const std::optional<XmlElement> description = findElement(xml, dc + ":description", 0);
  if (!description) return {};
  const std::string_view content = description->content;
  const std::string li = rdf + ":li";
  std::string first;
  bool anyItem = false;
  for (std::size_t from = 0;;) {
    const std::optional<XmlElement> item = findElement(content, li, from);
    if (!item) break;
    anyItem = true;
    from = item->end;
    std::string text = cleanText(anyTextToUtf8(xmlText(item->content)), false);
    if (isDefaultLanguage(item->attributes)) return text;
    if (first.empty()) first = std::move(text);
  }
  if (anyItem || content.find('<') != std::string_view::npos) return first;
  return cleanText(anyTextToUtf8(xmlText(content)), false);
}

// ---- IPTC in the Photoshop resources -----------------------------------------------------

constexpr std::string_view kPhotoshopId{"Photoshop 3.0\0", 14};
constexpr std::uint32_t kIptcResource = 0x0404;

std::uint32_t bigEndian(Bytes b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

// The caption/abstract dataset (2:120) of IPTC records, as UTF-8.
std::string iptcCaption(Bytes iptc) {
  bool utf8 = false;
  std::string_view caption;
  for (std::size_t at = 0; at + 5 <= iptc.size() && iptc[at] == 0x1C;) {
    const unsigned record = iptc[at + 1], dataset = iptc[at + 2];
    std::size_t length = bigEndian(iptc, at + 3, 2);
    at += 5;
    if (length & 0x8000) {  // an extended dataset: the next (length & 0x7FFF) bytes hold it
      const std::size_t lengthBytes = length & 0x7FFF;
      if (lengthBytes == 0 || lengthBytes > 4 || iptc.size() - at < lengthBytes) break;
      length = bigEndian(iptc, at, static_cast<int>(lengthBytes));
      at += lengthBytes;
    }
    if (length > iptc.size() - at) break;
    const std::string_view value = asText(iptc.subspan(at, length));
    at += length;
    // The coded character set "ESC % G" declares UTF-8.
    if (record == 1 && dataset == 90) utf8 = value.find("\x1B%G") != std::string_view::npos;
    if (record == 2 && dataset == 120 && caption.empty()) caption = value;
  }
  return cleanText(utf8 ? repairedUtf8(caption) : anyTextToUtf8(caption), false);
}

// The IPTC records of a Photoshop resource segment's payload.
Bytes photoshopIptc(Bytes payload) {
  for (std::size_t at = kPhotoshopId.size(); payload.size() - at >= 12;) {
    if (asText(payload.subspan(at, 4)) != "8BIM") break;
    const std::uint32_t id = bigEndian(payload, at + 4, 2);
    // A Pascal-string name, padded so that length byte and name take an even count.
    const std::size_t nameField = (std::size_t{payload[at + 6]} + 2) & ~std::size_t{1};
    const std::size_t sizeAt = at + 6 + nameField;
    if (sizeAt > payload.size() || payload.size() - sizeAt < 4) break;
    const std::size_t size = bigEndian(payload, sizeAt, 4);
    const std::size_t dataAt = sizeAt + 4;
    if (size > payload.size() - dataAt) break;
    if (id == kIptcResource) return payload.subspan(dataAt, size);
    at = dataAt + size + (size & 1);
    if (at > payload.size()) break;
  }
  return {};
}

bool startsWith(Bytes payload, std::string_view id) {
  return asText(payload).starts_with(id);
}

// True when the walk over the header segments stopped only because `bytes` end before the
// next segment does: more of the file would show more segments.
bool headerCutShort(Bytes bytes) {
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
  std::size_t end = 2;
  forEachJpegSegment(bytes, [&](const JpegSegment& s) {
    end = s.start + s.length;
    return true;
  });
  std::size_t m = end;
  while (m < bytes.size() && bytes[m] == 0xFF) ++m;
  if (m + 2 >= bytes.size()) return true;
  if (m == end || bytes[m] == 0xDA || bytes[m] == 0xD9) return false;
  return m + 1 + bigEndian(bytes, m + 1, 2) > bytes.size();
}

}  // namespace

PhotoFacts readPhotoFacts(std::span<const unsigned char> jpeg) {
  PhotoFacts facts;
  ExifFields exif;
  std::string xmp;
  Bytes iptc;
  bool exifSeen = false, xmpSeen = false, iptcSeen = false;
  // The first segment of each kind counts.
  forEachJpegSegment(jpeg, [&](const JpegSegment& s) {
    if (s.marker == kJpegApp1 && !exifSeen && startsWith(s.payload, kExifId)) {
      exifSeen = true;
      readExif(s.payload, facts, exif);
    } else if (s.marker == kJpegApp1 && !xmpSeen && startsWith(s.payload, kXmpId)) {
      xmpSeen = true;
      xmp = xmpDescription(asText(s.payload.subspan(kXmpId.size())));
    } else if (s.marker == kJpegApp13 && !iptcSeen && startsWith(s.payload, kPhotoshopId)) {
      iptcSeen = true;
      iptc = photoshopIptc(s.payload);
    }
    return true;
  });
  facts.cameraModel = exif.camera.model;
  facts.dateTaken = exif.dateTimeOriginal.empty() ? exif.dateTime : exif.dateTimeOriginal;
  // A sensitivity too high for the older SHORT tag is written as 65535 there.
  const std::uint32_t iso =
      exif.isoRatings != 0 && exif.isoRatings != 0xFFFF ? exif.isoRatings : exif.isoSpeed;
  if (iso != 0) facts.iso = std::to_string(iso);

  for (std::string caption : {cleanText(anyTextToUtf8(exif.description), false), xmp,
                              iptc.empty() ? std::string() : iptcCaption(iptc)}) {
    if (!isPlaceholder(caption, exif.camera)) {
      facts.caption = std::move(caption);
      break;
    }
  }
  return facts;
}

PhotoFacts readPhotoFactsFromFile(const std::string& path) {
  // The header segments usually fit in the first read; a file whose metadata runs longer
  // is read further, up to a limit no real header comes near.
  constexpr std::size_t kFirstRead = 64 * 1024;
  constexpr std::size_t kMostRead = 4 * 1024 * 1024;
  ReadOnlyFile file;
  if (!file.open(path)) return {};
  std::vector<unsigned char> head;
  for (std::size_t want = kFirstRead;; want *= 4) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), std::min(want, kMostRead)));
    head.resize(n);
    head.resize(file.readAt(head.data(), n, 0));
    if (head.size() < n || n == file.size() || n == kMostRead || !headerCutShort(head)) break;
  }
  return readPhotoFacts(head);
}

}  // namespace fotela
