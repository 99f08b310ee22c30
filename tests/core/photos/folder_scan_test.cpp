#include "photos/folder_scan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::TempDir;
using test::writeFile;
using test::writeJpeg;

std::vector<std::string> fileNames(const std::vector<PhotoEntry>& rows) {
  std::vector<std::string> out;
  for (const PhotoEntry& e : rows) out.push_back(e.fileName());
  return out;
}

FolderScan scan(const TempDir& dir) {
  std::optional<FolderScan> s = scanFolder(dir.path());
  EXPECT_TRUE(s.has_value());
  return s ? *s : FolderScan{};
}

// Sets TZ for one test and puts the old value back.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ZoneGuard() {
    if (old_) {
      ::setenv("TZ", old_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(SizeTextTest, DecimalThresholdsBinaryUnitsTenthsCut) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0"},        {999, "999"},      {1000, "0.9K"},     {1024, "1K"},
      {1127, "1.1K"},  {153600, "150K"},  {999999, "976.5K"}, {1000000, "0.9M"},
      {1048576, "1M"}, {1500000, "1.4M"}, {10485760, "10M"},  {5000000000, "4768.3M"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(sizeText(bytes), text) << bytes << " bytes";
}

TEST(FolderScanTest, EmptyFolderGivesNoRows) {
  TempDir dir;
  EXPECT_TRUE(scan(dir).rows.empty());
}

TEST(FolderScanTest, OrderFileFirstThenTheRestInDirectoryOrder) {
  TempDir dir;
  for (const char* f : {"b.jpg", "a.jpg", "c.jpg", "_x.jpg", "A2.jpg"})
    writeJpeg(dir.file(f), 8, 8);
  // "gone" names no file and is skipped; "c" appears once only.
  writeFile(dir.file("titlen.txt"), "c,sea\r\ngone,nothing\r\na,\r\n");
  FolderScan s = scan(dir);
  EXPECT_EQ(fileNames(s.rows),
            (std::vector<std::string>{"c.jpg", "a.jpg", "A2.jpg", "b.jpg", "_x.jpg"}));
  ASSERT_EQ(s.rows.size(), 5u);
  EXPECT_EQ(s.rows[0].description, "sea");
  EXPECT_EQ(s.rows[1].description, "");
  EXPECT_EQ(s.rows[2].description, "A2");
  EXPECT_EQ(s.order.entries().size(), 3u);
}

TEST(FolderScanTest, WhichFilesArePhotos) {
  TempDir dir;
  for (const char* f : {"IMG.JPG", "IMG2.jpeg", "x.y.jpg", "pic.gif", "pic.bmp", "a.jpg.bak",
                        ".hidden.jpg", "noext", "Mixed.JpG"})
    writeJpeg(dir.file(f), 8, 8);
  std::filesystem::create_directory(dir.file("folder.jpg"));
  FolderScan s = scan(dir);
  EXPECT_EQ(fileNames(s.rows), (std::vector<std::string>{"IMG.JPG", "Mixed.JpG"}));
}

TEST(FolderScanTest, OrderEntriesMatchIgnoringCaseAndShowTheStoredName) {
  TempDir dir;
  writeJpeg(dir.file("IMG.JPG"), 8, 8);
  writeJpeg(dir.file("other.jpg"), 8, 8);
  writeFile(dir.file("titlen.txt"), "other,2\r\nimg,first photo\r\nimg,again\r\n");
  FolderScan s = scan(dir);
  // Two entries naming the same file give two rows; the description is the first entry's.
  ASSERT_EQ(fileNames(s.rows), (std::vector<std::string>{"other.jpg", "IMG.JPG", "IMG.JPG"}));
  EXPECT_EQ(s.rows[1].name, "IMG");
  EXPECT_EQ(s.rows[1].type, "JPG");
  EXPECT_EQ(s.rows[1].description, "first photo");
  EXPECT_EQ(s.rows[2].description, "first photo");
}

TEST(FolderScanTest, ExactNameWinsOverCaseVariants) {
  TempDir dir;
  writeJpeg(dir.file("P.JPG"), 8, 8);
  writeJpeg(dir.file("p.jpg"), 16, 8);
  writeFile(dir.file("titlen.txt"), "p,x\r\n");
  FolderScan s = scan(dir);
  // The ordered pass takes "p.jpg", the exact name; the directory pass leaves "P.JPG" out
  // because the order file holds "p" (ignoring case).
  ASSERT_EQ(fileNames(s.rows), (std::vector<std::string>{"p.jpg"}));
  EXPECT_EQ(s.rows[0].width, "16");
}

TEST(FolderScanTest, RowFields) {
  ZoneGuard zone("JST-9");
  TempDir dir;
  const std::string jpeg = test::makeJpegBytes(321, 123);
  writeFile(dir.file("p.jpg"), jpeg);
  writeFile(dir.file("broken.jpg"), "not a jpeg at all");
  test::setModifiedTime(dir.file("p.jpg"), 1700000000);  // 2023-11-14 22:13:20 UTC
  FolderScan s = scan(dir);
  ASSERT_EQ(s.rows.size(), 2u);
  const PhotoEntry& p = s.rows[1];
  EXPECT_EQ(
      p, (PhotoEntry{"p", "jpg", "321", "123", sizeText(jpeg.size()), "2023/11/15 07:13:20", "p"}));
  // A file whose header cannot be walked is still listed, with 0 x 0.
  EXPECT_EQ(s.rows[0].name, "broken");
  EXPECT_EQ(s.rows[0].width, "0");
  EXPECT_EQ(s.rows[0].height, "0");
  EXPECT_EQ(s.rows[0].sizeText, "17");
}

TEST(FolderScanTest, ModifiedTimeIsLocal) {
  TempDir dir;
  writeJpeg(dir.file("p.jpg"), 8, 8);
  test::setModifiedTime(dir.file("p.jpg"), 1700000000);
  {
    ZoneGuard zone("UTC");
    EXPECT_EQ(ShowFileAccessInfo(dir.file("p.jpg")), "2023/11/14 22:13:20");
  }
  {
    ZoneGuard zone("JST-9");
    EXPECT_EQ(ShowFileAccessInfo(dir.file("p.jpg")), "2023/11/15 07:13:20");
  }
  EXPECT_EQ(ShowFileAccessInfo(dir.file("missing.jpg")), "");
}

TEST(FolderScanTest, ReportsProgressAndStops) {
  TempDir dir;
  const std::string jpeg = test::makeJpegBytes(8, 8);
  for (int i = 0; i < 100; ++i) writeFile(dir.file("p" + std::to_string(i) + ".jpg"), jpeg);

  std::vector<std::size_t> seen;
  std::optional<FolderScan> s =
      scanFolder(dir.path(), {}, [&](std::size_t n) { seen.push_back(n); });
  ASSERT_TRUE(s);
  EXPECT_EQ(s->rows.size(), 100u);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

  std::stop_source stop;
  std::size_t calls = 0;
  s = scanFolder(dir.path(), stop.get_token(), [&](std::size_t) {
    ++calls;
    stop.request_stop();
  });
  EXPECT_FALSE(s.has_value());
  EXPECT_EQ(calls, 1u);
}

}  // namespace
}  // namespace fotela

namespace fotela {
namespace {}  // namespace
}  // namespace fotela
