#include "photos/order_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <optional>

#include <vector>

#include "common/cp932.h"
#include "common/files.h"
#include "core/support/test_files.h"
#include "photos/photo_entry.h"

namespace fotela {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

PhotoEntry row(std::string name, std::string description) {
  PhotoEntry e;
  e.name = std::move(name);
  e.type = "jpg";
  e.description = std::move(description);
  return e;
}

TEST(OrderFileTest, NoFileGivesAnEmptyTableAndNamesAsDescriptions) {
  TempDir dir;
  OrderTable t = TitleGet(dir.path());
  EXPECT_TRUE(t.entries().empty());
  EXPECT_EQ(t.TitleName("IMG_0001"), "IMG_0001");
  EXPECT_EQ(t.isTitle("IMG_0001"), 0);
}

TEST(OrderFileTest, LinesSplitAtTheFirstCommaOnly) {
  TempDir dir;
  writeFile(dir.file("titlen.txt"),
            "c,\x8A\x43\x82\xCC\x8E\xCA\x90\x5E\r\n"  // 海の写真 in Shift_JIS
            "a,one, two, three\r\n"
            "nocomma\r\n");
  OrderTable t = TitleGet(dir.path());
  ASSERT_EQ(t.entries().size(), 3u);
  EXPECT_EQ(t.entries()[0].name, "c");
  EXPECT_EQ(t.TitleName("c"), "海の写真");
  EXPECT_EQ(t.TitleName("a"), "one, two, three");
  EXPECT_EQ(t.TitleName("nocomma"), "");
  EXPECT_EQ(t.isTitle("nocomma"), 1);
}

// A photo's name may hold commas: the longest text before a comma that names a photo of
// the folder is the name; files written before (no such photo) keep their meaning.
TEST(OrderFileTest, NamesWithCommasNameTheirPhotos) {
  TempDir dir;
  for (const char* f : {"a,b.jpg", "a.jpg", "x,y,z.JPG", "p.jpg"}) writeFile(dir.file(f), "");
  writeFile(dir.file("titlen.txt"),
            "a,b,the description, with a comma\r\n"
            "a,plain, old\r\n"
            "x,y,z,\r\n"
            "p,q,r\r\n");
  OrderTable t = TitleGet(dir.path());
  ASSERT_EQ(t.entries().size(), 4u);
  EXPECT_EQ(t.entries()[0].name, "a,b");
  EXPECT_EQ(t.entries()[0].description, "the description, with a comma");
  EXPECT_EQ(t.entries()[1].name, "a");
  EXPECT_EQ(t.entries()[1].description, "plain, old");
  EXPECT_EQ(t.entries()[2].name, "x,y,z");
  EXPECT_EQ(t.entries()[2].description, "");
  EXPECT_EQ(t.entries()[3].name, "p");
  EXPECT_EQ(t.entries()[3].description, "q,r");

  // Written back and read again, every photo keeps its description; a name with a line
  // break has no line.
  std::int16_t changed = 1;
  std::vector<PhotoEntry> rows = {row("a,b", "d1"), row("nl\nx", "d2"), row("a", "d3,more")};
  writeFile(dir.file("nl\nx.jpg"), "");
  ASSERT_TRUE(TitlePut(dir.path(), rows, changed));
  EXPECT_EQ(readFile(dir.file("titlen.txt")), "a,b,d1\r\na,d3,more\r\n");
  OrderTable back = TitleGet(dir.path());
  EXPECT_EQ(back.TitleName("a,b"), "d1");
  EXPECT_EQ(back.TitleName("a"), "d3,more");
  EXPECT_EQ(back.isTitle("nl\nx"), 0);
}

TEST(OrderFileTest, LookupsIgnoreLetterCaseAndTakeTheFirstMatch) {
  TempDir dir;
  writeFile(dir.file("TitleN.TXT"), "IMG_01,first\r\nimg_01,second\r\n");
  OrderTable t = TitleGet(dir.path());
  EXPECT_EQ(t.TitleName("img_01"), "first");
  EXPECT_EQ(t.isTitle("Img_01"), 1);
  EXPECT_EQ(t.isTitle("img_02"), 0);
}

TEST(OrderFileTest, EmptyLinesInTheMiddleAreSkippedNotAnEnd) {
  TempDir dir;
  writeFile(dir.file("titlen.txt"), "a,A\r\n\r\nb,B\r\n\r\n");
  OrderTable t = TitleGet(dir.path());
  ASSERT_EQ(t.entries().size(), 2u);
  EXPECT_EQ(t.TitleName("b"), "B");
  EXPECT_EQ(t.isTitle("b"), 1);
}

// The file is read piece by piece: lines that end across two pieces (a CR LF split
// between them, a lone CR as the last byte of a piece) read as the whole file would.
TEST(OrderFileTest, ReadingInPiecesGivesTheLinesOfTheWholeFile) {
  const std::string longLine = "a," + std::string(65533, 'x');  // a line break at byte 65535
  const std::string cases[] = {
      longLine + "\r\nb,after\r\n",
      longLine + "\rb,after\nc,\x8A\x43",
      "x" + longLine + "\r\n\r\nb,\r",
      std::string(kUtf8Bom) + longLine.substr(3) + "\r\n写真,説明\n",
      "\x82\xA0,\r\n\r\n\n,\x8A\x43,more",
      std::string(kUtf8Bom),
      "",
  };
  TempDir dir;
  for (const std::string& bytes : cases) {
    writeFile(dir.file("titlen.txt"), bytes);
    std::vector<std::pair<std::string, std::string>> whole, streamed;
    for (const std::string& line : splitLines(decodeDataFile(bytes)))
      if (!line.empty())
        whole.emplace_back(line.substr(0, line.find(',')), line.find(',') == std::string::npos
                                                               ? ""
                                                               : line.substr(line.find(',') + 1));
    const OrderTable table = TitleGet(dir.path());
    for (const OrderEntry& e : table.entries()) streamed.emplace_back(e.name, e.description);
    EXPECT_EQ(streamed, whole) << bytes.size() << " bytes";
  }
}

// A description is kept up to 64 KiB of UTF-8, cut between two characters, with one
// warning for the file; the lines after it are read as usual.
TEST(OrderFileTest, LongDescriptionsAreCutWithOneWarning) {
  struct Case {
    const char* what;
    std::string bytes;
    std::size_t kept;  // bytes of the first entry's description (of its name without comma)
    bool warned;
  };
  const std::string sjisA = "\x82\xA0";  // あ: 2 bytes stored, 3 in UTF-8
  auto repeat = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  const Case cases[] = {
      {"exactly 64 KiB", "a," + std::string(65536, 'x'), 65536, false},
      {"one byte more", "a," + std::string(65537, 'x'), 65536, true},
      {"Shift_JIS, cut between characters", "a," + repeat(sjisA, 40000), 65535, true},
      {"UTF-8 after a byte-order mark", std::string(kUtf8Bom) + "a," + std::string(200000, 'y'),
       65536, true},
      {"two long lines, one warning",
       "a," + std::string(70000, 'x') + "\r\nb," + std::string(70000, 'x'), 65536, true},
      {"no comma: the line is cut", std::string(300000, 'n'), kMaxDescriptionBytes + 1024, true},
  };
  TempDir dir;
  for (const Case& c : cases) {
    writeFile(dir.file("titlen.txt"), c.bytes + "\r\nnext,ok\r\n");
    const OrderTable t = TitleGet(dir.path());
    ASSERT_GE(t.entries().size(), 2u) << c.what;
    const OrderEntry& first = t.entries()[0];
    EXPECT_EQ(first.description.empty() ? first.name.size() : first.description.size(), c.kept)
        << c.what;
    EXPECT_EQ(t.TitleName("next"), "ok") << c.what;
    EXPECT_EQ(t.warning().find(dir.file("titlen.txt")) != std::string::npos, c.warned) << c.what;
  }
}

TEST(OrderFileTest, NothingIsWrittenWhileTheOrderIsUnchanged) {
  TempDir dir;
  std::vector<PhotoEntry> rows{row("a", "A")};
  std::int16_t changed = 0;
  ASSERT_TRUE(TitlePut(dir.path(), rows, changed));
  EXPECT_THROW(readFile(dir.file("titlen.txt")), std::runtime_error);
}

TEST(OrderFileTest, PutWritesEveryRowInListOrderAndClearsTheFlag) {
  TempDir dir;
  std::vector<PhotoEntry> rows{row("c", "海"), row("a", "a"), row("b", "x, y")};
  std::int16_t changed = 1;
  ASSERT_TRUE(TitlePut(dir.path(), rows, changed));
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(readFile(dir.file("titlen.txt")), "c,\x8A\x43\r\na,a\r\nb,x, y\r\n");
  // Commas survive the reload.
  EXPECT_EQ(TitleGet(dir.path()).TitleName("b"), "x, y");
}

TEST(OrderFileTest, ManyThousandEntriesSurviveAReload) {
  TempDir dir;
  std::vector<PhotoEntry> rows;
  for (int i = 0; i < 3000; ++i)
    rows.push_back(row("p" + std::to_string(i), "d" + std::to_string(i)));
  std::int16_t changed = 1;
  ASSERT_TRUE(TitlePut(dir.path(), rows, changed));
  OrderTable t = TitleGet(dir.path());
  ASSERT_EQ(t.entries().size(), 3000u);
  EXPECT_EQ(t.entries()[2999].name, "p2999");
  EXPECT_EQ(t.TitleName("p2500"), "d2500");
}

TEST(OrderFileTest, UnicodeNamesAreKeptThroughAByteOrderMark) {
  TempDir dir;
  std::vector<PhotoEntry> rows{row("Café", "été"), row("写真", "説明")};
  std::int16_t changed = 1;
  ASSERT_TRUE(TitlePut(dir.path(), rows, changed));
  EXPECT_EQ(readFile(dir.file("titlen.txt")).substr(0, 3), "\xEF\xBB\xBF");
  OrderTable t = TitleGet(dir.path());
  EXPECT_EQ(t.TitleName("Café"), "été");
  EXPECT_EQ(t.TitleName("写真"), "説明");
}

TEST(OrderFileTest, AnExistingFileIsReplacedUnderItsOwnName) {
  TempDir dir;
  writeFile(dir.file("TITLEN.TXT"), "old,old\r\n");
  std::vector<PhotoEntry> rows{row("new", "new")};
  std::int16_t changed = 1;
  ASSERT_TRUE(TitlePut(dir.path(), rows, changed));
  EXPECT_EQ(readFile(dir.file("TITLEN.TXT")), "new,new\r\n");
  EXPECT_THROW(readFile(dir.file("titlen.txt")), std::runtime_error);
}

TEST(OrderFileTest, AFailedPutKeepsTheOldFileAndThePendingChange) {
  TempDir dir;
  writeFile(dir.file("titlen.txt"), "old,old\r\n");
  std::optional<test::ReadOnlyFolder> readOnly(std::in_place, dir.path());
  if (!readOnly->active()) GTEST_SKIP() << "cannot make a read-only folder here";
  std::vector<PhotoEntry> rows{row("new", "new")};
  std::int16_t changed = 1;
  auto result = TitlePut(dir.path(), rows, changed);
  readOnly.reset();
  ASSERT_FALSE(result);
  EXPECT_NE(result.error().message.find("titlen.txt"), std::string::npos);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(readFile(dir.file("titlen.txt")), "old,old\r\n");
}

}  // namespace
}  // namespace fotela
