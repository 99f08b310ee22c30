#include "common/files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <optional>

#include <filesystem>

#include "common/document.h"
#include "common/paths.h"
#include "common/scripted_dialogs.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(FilesTest, SplitLinesAcceptsEveryLineEnd) {
  EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("a\r\n"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(splitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(splitLines("").empty());
}

TEST(FilesTest, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.file("settings.ini");
  writeFile(path, "old");
  ASSERT_TRUE(writeFileAtomic(path, "new content"));
  EXPECT_EQ(readFile(path), "new content");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(FilesTest, AtomicWriteIntoAnUnwritableFolderKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.file("titlen.txt");
  writeFile(path, "old");
  std::optional<test::ReadOnlyFolder> readOnly(std::in_place, dir.path());
  if (!readOnly->active()) GTEST_SKIP() << "cannot make a read-only folder here";
  auto result = writeFileAtomic(path, "new");
  readOnly.reset();
  ASSERT_FALSE(result);
  EXPECT_NE(result.error().message.find(path), std::string::npos);
  EXPECT_EQ(readFile(path), "old");
}

// The temporary name does not grow with the file's: a 251-byte name is written.
TEST(FilesTest, AtomicWriteOfALongNameUsesAShortTemporaryName) {
  TempDir dir;
  const std::string path = dir.file(std::string(247, 'n') + ".jpg");
  ASSERT_TRUE(writeFileAtomic(path, "copy"));
  EXPECT_EQ(readFile(path), "copy");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// Temporary files left by a killed run go; one a live writer holds, and files that only
// look similar, stay.
TEST(FilesTest, StaleTemporaryFilesAreRemoved) {
  TempDir dir;
  writeFile(dir.file(".fotela-a1B2c3"), "stale");
  writeFile(dir.file(".fotela-abc"), "not ours");
  writeFile(dir.file(".fotela-abcdefg"), "not ours");
  writeFile(dir.file("fotela-abcdef"), "not ours");
  std::filesystem::create_directory(dir.file(".fotela-Folder"));
  auto live = createTemporaryFile(dir.path(), dir.file("page.html"));
  ASSERT_TRUE(live);
  EXPECT_TRUE(isTemporaryFileName(std::filesystem::path(live->path).filename().string()));

  removeStaleTemporaries(dir.path(), FileTime{});  // changed after that time: kept
  EXPECT_TRUE(std::filesystem::exists(dir.file(".fotela-a1B2c3")));
  removeStaleTemporaries(dir.path());
  EXPECT_FALSE(std::filesystem::exists(dir.file(".fotela-a1B2c3")));
  EXPECT_TRUE(std::filesystem::exists(live->path));
  for (const char* kept : {".fotela-abc", ".fotela-abcdefg", "fotela-abcdef", ".fotela-Folder"})
    EXPECT_TRUE(std::filesystem::exists(dir.file(kept))) << kept;
  closeTemporaryFile(*live);
  removeStaleTemporaries(dir.path());
  EXPECT_FALSE(std::filesystem::exists(live->path));
}

TEST(FilesTest, AtomicWriteIntoAMissingFolderNamesTheFile) {
  TempDir dir;
  const std::string path = dir.file("missing/x.txt");
  auto result = writeFileAtomic(path, "x");
  ASSERT_FALSE(result);
  EXPECT_NE(result.error().message.find(path), std::string::npos);
}

TEST(FilesTest, FolderListingIsInDirectoryOrderWithoutHiddenNames) {
  TempDir dir;
  for (const char* name : {"b.jpg", "A.jpg", "a.jpg", "_x.jpg", ".hidden.jpg", "写真.jpg", "B.JPG"})
    writeFile(dir.file(name), "x");
  std::filesystem::create_directory(dir.file("sub"));
  // Upper-case folding puts "_" (0x5F) after the letters; ties go by exact name.
  EXPECT_EQ(listFolder(dir.path(), EntryKind::File),
            (std::vector<std::string>{"A.jpg", "a.jpg", "B.JPG", "b.jpg", "_x.jpg", "写真.jpg"}));
  EXPECT_EQ(listFolder(dir.path(), EntryKind::Folder), (std::vector<std::string>{"sub"}));
  EXPECT_TRUE(listFolder(dir.file("nope"), EntryKind::File).empty());
}

TEST(FilesTest, CaseInsensitiveLookupReturnsTheStoredName) {
  TempDir dir;
  writeFile(dir.file("TITLEN.TXT"), "x");
  EXPECT_EQ(findFileIgnoringCase(dir.path(), "titlen.txt"), "TITLEN.TXT");
  writeFile(dir.file("titlen.txt"), "x");
  EXPECT_EQ(findFileIgnoringCase(dir.path(), "titlen.txt"), "titlen.txt");  // exact wins
  EXPECT_EQ(findFileIgnoringCase(dir.path(), "other.txt"), std::nullopt);
  EXPECT_EQ(findFileIgnoringCase(dir.path(), "../titlen.txt"), std::nullopt);
}

TEST(FilesTest, CopyAndDeleteAllFiles) {
  TempDir source, target;
  writeFile(source.file("a.jpg"), "A");
  writeFile(source.file("b.jpg"), "B");
  writeFile(target.file("a.jpg"), "old");
  std::filesystem::create_directory(source.file("sub"));
  EXPECT_EQ(CopyAllFiles(source.path(), target.path()), 0);
  EXPECT_EQ(readFile(target.file("a.jpg")), "A");
  EXPECT_EQ(readFile(target.file("b.jpg")), "B");
  EXPECT_EQ(CopyAllFiles(source.path(), target.file("missing")), 1);
  EXPECT_EQ(std::filesystem::last_write_time(target.file("a.jpg")),
            std::filesystem::last_write_time(source.file("a.jpg")));

  // Progress before each file and at the end; a stop ends the loop between two files, with
  // no temporary file left behind.
  std::vector<std::string> told;
  std::stop_source stop;
  auto progress = [&](std::size_t done, std::size_t total, const std::string& name) {
    told.push_back(std::to_string(done) + "/" + std::to_string(total) + name);
    if (name == "b.jpg") stop.request_stop();
  };
  writeFile(source.file("b.jpg"), "B2");
  writeFile(source.file("c.jpg"), "C");
  EXPECT_EQ(CopyAllFiles(source.path(), target.path(), progress, stop.get_token()), 2);
  EXPECT_EQ(told, (std::vector<std::string>{"0/3a.jpg", "1/3b.jpg"}));
  EXPECT_EQ(readFile(target.file("b.jpg")), "B2") << "the file being copied is finished";
  EXPECT_EQ(listFolder(target.path(), EntryKind::File),
            (std::vector<std::string>{"a.jpg", "b.jpg"}));
  told.clear();
  EXPECT_EQ(DeleteAllFiles(source.path(), progress, stop.get_token()), 2);
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(listFolder(source.path(), EntryKind::File).size(), 3u);

  EXPECT_EQ(DeleteAllFiles(source.path()), 0);
  EXPECT_TRUE(listFolder(source.path(), EntryKind::File).empty());
  EXPECT_TRUE(isFolder(source.file("sub")));  // folders are left alone
  EXPECT_EQ(DeleteAllFiles(source.file("missing")), 1);
}

class DocumentTest : public ::testing::Test {
 protected:
  std::vector<std::string> tried;
  DocumentOpener openerSucceedingOn(int attempt) {
    return [this, attempt](const std::string& path) {
      tried.push_back(path);
      return static_cast<int>(tried.size()) == attempt;
    };
  }
  ScriptedDialogs dialogs;
};

TEST_F(DocumentTest, ABarePathGetsHtmOnTheFirstTry) {
  ShowDocument("/opt/v1.2/help", openerSucceedingOn(1), dialogs);
  // The folder's dot counts: the first attempt is the bare path.
  EXPECT_EQ(tried, (std::vector<std::string>{"/opt/v1.2/help"}));
  tried.clear();
  ShowDocument("/opt/app/help", openerSucceedingOn(1), dialogs);
  EXPECT_EQ(tried, (std::vector<std::string>{"/opt/app/help.HTM"}));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(DocumentTest, SecondAttemptThenTheBrowserWarning) {
  ShowDocument("/opt/v1.2/help", openerSucceedingOn(2), dialogs);
  EXPECT_EQ(tried, (std::vector<std::string>{"/opt/v1.2/help", "/opt/v1.2/help.HTM"}));
  EXPECT_TRUE(dialogs.shown.empty());
  tried.clear();
  ShowDocument("/a/album.html", openerSucceedingOn(99), dialogs);
  EXPECT_EQ(tried.size(), 2u);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "ヘルプを表示するにはＨＴＭＬ対応のブラウザが必要です。\r"
            " インターネットエクスプローラなどを準備してください。\r"
            "   とりあえず 表示しますが、正しく表示できません");
  EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Warning);
}

TEST_F(DocumentTest, HelpOpensTheStoredHelpPageOrSaysItIsMissing) {
  TempDir dir;
  const std::string saved = ProgramFolder();
  setProgramFolder(dir.path());
  showHelp(openerSucceedingOn(1), dialogs);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, dir.path() + "/help.htm" + "がありません。");
  EXPECT_TRUE(tried.empty());

  writeFile(dir.file("help.htm"), "<html></html>");
  showHelp(openerSucceedingOn(1), dialogs);
  // ".HTM" is matched to the stored "help.htm": names are case-sensitive here.
  EXPECT_EQ(tried, (std::vector<std::string>{dir.path() + "/help.htm"}));
  setProgramFolder(saved);
}

}  // namespace
}  // namespace fotela
