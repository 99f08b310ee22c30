#include "photos/order_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <optional>

#include <vector>

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
