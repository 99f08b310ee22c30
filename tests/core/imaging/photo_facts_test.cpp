#include "imaging/photo_facts.h"

#include <gtest/gtest.h>

#include "core/support/exif_builder.h"
#include "core/support/test_files.h"
#include "imaging/codec.h"

namespace fotela {

void PrintTo(const PhotoFacts& f, std::ostream* os) {
  *os << "{date \"" << f.dateTaken << "\", model \"" << f.cameraModel << "\", exposure \""
      << f.exposureTime << "\", f \"" << f.fNumber << "\", ISO \"" << f.iso << "\", focal \""
      << f.focalLength << "\", caption \"" << f.caption << "\"}";
}

namespace {

using test::TiffValue;

TiffValue ascii(std::uint16_t tag, std::string text) {
  return {tag, 2, std::move(text), {}};
}
TiffValue ratio(std::uint16_t tag, std::uint32_t n, std::uint32_t d) {
  return {tag, 5, "", {n, d}};
}
// Facts with one field set.
PhotoFacts only(std::string PhotoFacts::*field, std::string value) {
  PhotoFacts facts;
  facts.*field = std::move(value);
  return facts;
}
std::string exposure(std::uint32_t n, std::uint32_t d) {
  return test::exifSegmentWith({}, {ratio(0x829A, n, d)});
}
std::string xmp(const std::string& items) {
  return test::xmpSegment(
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:description><rdf:Alt>" +
      items + "</rdf:Alt></dc:description></rdf:Description></rdf:RDF></x:xmpmeta>");
}

TEST(PhotoFactsTest, ReadsExifXmpAndIptc) {
  const std::string camera = test::exifSegmentWith(
      {ascii(0x010F, "OLYMPUS"), ascii(0x0110, "E-M5  "), ascii(0x0132, "2024:01:01 00:00:00"),
       ascii(0x010E, "OLYMPUS DIGITAL CAMERA         ")},
      {ratio(0x829A, 1, 250),
       ratio(0x829D, 56, 10),
       {0x8827, 3, "", {200}},
       ascii(0x9003, "2024:05:03 14:22:10"),
       ratio(0x920A, 35, 1)});
  const PhotoFacts shot{"2024:05:03 14:22:10", "E-M5", "1/250", "5.6", "200", "35", ""};
  PhotoFacts captioned = shot;
  captioned.caption = "Tom & Jerry 日本 <b>";
  const std::string padding = test::segment(0xE2, std::string(60000, 'p'));
  struct Case {
    const char* what;
    std::string segments;
    PhotoFacts want;
  };
  const Case cases[] = {
      {"camera facts; the camera's own caption is none", camera, shot},
      {"big-endian; DateTime; ISO beyond the SHORT tag",
       test::exifSegmentWith({ascii(0x0110, "X100"), ascii(0x0132, "2023:12:24 18:00:00")},
                             {ratio(0x829A, 10, 2500),
                              ratio(0x829D, 8, 1),
                              {0x8827, 3, "", {65535}},
                              {0x8833, 4, "", {25600}},
                              ratio(0x920A, 43, 10)},
                             true),
       {"2023:12:24 18:00:00", "X100", "1/250", "8", "25600", "4.3", ""}},
      {"unset values and a clockless date",
       test::exifSegmentWith({}, {ratio(0x829A, 25, 10), ratio(0x829D, 5, 0), ratio(0x920A, 0, 1),
                                  ascii(0x9003, "0000:00:00 00:00:00")}),
       only(&PhotoFacts::exposureTime, "2.5")},
      {"a quarter second", exposure(1, 4), only(&PhotoFacts::exposureTime, "1/4")},
      {"half a second", exposure(1, 2), only(&PhotoFacts::exposureTime, "0.5")},
      {"EXIF caption in UTF-8 first",
       test::exifSegmentWith({ascii(0x010E, "京都の夏")}, {}) +
           xmp("<rdf:li xml:lang=\"x-default\">x</rdf:li>") + test::iptcSegment({{2, 120, "i"}}),
       only(&PhotoFacts::caption, "京都の夏")},
      {"EXIF caption in CP932",
       test::exifSegmentWith({ascii(0x010E, "\x8B\x9E\x93\x73\x82\xCC\x89\xC4")}, {}),
       only(&PhotoFacts::caption, "京都の夏")},
      {"XMP x-default, references decoded",
       camera + xmp("<rdf:li xml:lang=\"en\">first</rdf:li><rdf:li xml:lang='x-default'>Tom "
                    "&amp; Jerry &#x65E5;&#26412; &lt;b&gt;</rdf:li>"),
       captioned},
      {"XMP with other prefixes: the first item that is not blank",
       test::xmpSegment("<r:RDF xmlns:r=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
                        "xmlns:d = 'http://purl.org/dc/elements/1.1/'><r:Description><d:"
                        "description><r:Alt><r:li xml:lang=\"fr\">  </r:li><r:li "
                        "xml:lang=\"de\">Zweite</r:li></r:Alt></d:description></r:Description>"
                        "</r:RDF>"),
       only(&PhotoFacts::caption, "Zweite")},
      {"IPTC declared UTF-8: line breaks kept, controls dropped",
       test::iptcSegment({{1, 90, "\x1B%G"}, {2, 120, "Übersicht\r\nzwei\x01 Zeilen\t"}}),
       only(&PhotoFacts::caption, "Übersicht\nzwei Zeilen")},
      {"IPTC in CP932", test::iptcSegment({{2, 120, "\x93\xFA\x96\x7B"}}),
       only(&PhotoFacts::caption, "日本")},
      {"IPTC in Latin-1", test::iptcSegment({{2, 120, "caf\xE9"}}),
       only(&PhotoFacts::caption, "café")},
      {"captions repeating the camera, blank or a placeholder are none",
       test::exifSegmentWith(
           {ascii(0x010F, "Canon"), ascii(0x0110, "Canon EOS R6"), ascii(0x010E, " canon eos r6 ")},
           {}) +
           xmp("<rdf:li xml:lang=\"x-default\">　 </rdf:li>") +
           test::iptcSegment({{2, 120, "SONY DSC"}}),
       only(&PhotoFacts::cameraModel, "Canon EOS R6")},
      {"metadata past the first read of the file", padding + padding + xmp("<rdf:li>far</rdf:li>"),
       only(&PhotoFacts::caption, "far")},
      {"no metadata", "", {}},
  };
  test::TempDir dir;
  const std::string jpeg = test::makeJpegBytes(16, 8);
  for (const Case& c : cases) {
    const std::string bytes = test::insertAfterStart(jpeg, c.segments);
    EXPECT_EQ(readPhotoFacts(byteSpan(bytes)), c.want) << c.what;
    test::writeFile(dir.file("p.jpg"), bytes);
    EXPECT_EQ(readPhotoFactsFromFile(dir.file("p.jpg")), c.want) << c.what << " (file)";
  }
  EXPECT_TRUE(readPhotoFactsFromFile(dir.file("none.jpg")).empty());
}

}  // namespace
}  // namespace fotela
