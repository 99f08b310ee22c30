#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include <sys/stat.h>
#include <unistd.h>
#include <optional>

#include "common/paths.h"
#include "common/scripted_dialogs.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// The 29 lines of a default "Ver=4" file for the folder /photos, written out by hand.
const char* const kDefaultVer4 =
    "Ver=4\r\n"
    "/photos\r\n"
    "album.html\r\n"
    " 1 \r\n"
    "\x83\x41\x83\x8B\x83\x6F\x83\x80\r\n"  // アルバム
    "small\r\n"
    "big\r\n"
    " 1024\r\n"
    " 200\r\n"
    "FFFFFF\r\n"
    "000000\r\n"
    "0000FF\r\n"
    "000088\r\n"
    "0000FF\r\n"
    "\r\n"
    "../index.html\r\n"
    "\r\n"
    "75\r\n"
    "10\r\n"
    "AA6600\r\n"
    "10\r\n"
    "ffffff\r\n"
    "50\r\n"
    "ffffff\r\n"
    "50\r\n"
    "\r\n"
    "000000\r\n"
    " 4000\r\n"
    " 0 \r\n";

const char* const kOldVersionMessage =
    "古いバージョンの設定ファイルを読み込みます。\n\r設定の一部が無視されます";

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProgramFolder();
    setProgramFolder(program.path());
  }
  void TearDown() override { setProgramFolder(saved_); }

  AlbumSettings read(const std::string& content, std::string folder = "") {
    writeFile(dir.file("in.ini"), content);
    AlbumSettings s;
    s.PhotoFolder = std::move(folder);
    ReadSettings(s, dir.file("in.ini"), dialogs);
    return s;
  }
  std::string roundTrip(const std::string& content) {
    AlbumSettings s = read(content);
    EXPECT_TRUE(WriteSettings(s, dir.file("out.ini")));
    return readFile(dir.file("out.ini"));
  }

  TempDir program, dir;
  ScriptedDialogs dialogs;
  std::string saved_;
};

TEST_F(SettingsFileTest, DefaultsAreWrittenAsTheVer4LayoutByteForByte) {
  AlbumSettings s = defaultAlbumSettings();
  s.PhotoFolder = "/photos";
  ASSERT_TRUE(WriteSettings(s, dir.file("out.ini")));
  EXPECT_EQ(readFile(dir.file("out.ini")), kDefaultVer4);
  EXPECT_EQ(roundTrip(kDefaultVer4), kDefaultVer4);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndTheProgramFolder) {
  AlbumSettings s;
  s.PhotoFolder = "/from/command/line";
  ReadSettings(s, dir.file("none.ini"), dialogs);
  AlbumSettings expected = defaultAlbumSettings();
  EXPECT_EQ(s, expected);
  EXPECT_EQ(s.PhotoFolder, program.path());
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsFileTest, AFolderAlreadyChosenWinsOverTheFolderLine) {
  EXPECT_EQ(read(kDefaultVer4, "/chosen").PhotoFolder, "/chosen");
  EXPECT_EQ(read(kDefaultVer4).PhotoFolder, "/photos");
}

TEST_F(SettingsFileTest, Ver3UpgradesWithVideosOff) {
  std::string ver3 = kDefaultVer4;
  ver3.replace(0, 5, "Ver=3");
  ver3.resize(ver3.size() - std::string(" 0 \r\n").size());
  ver3.replace(ver3.find(" 4000"), 5, " 2500");
  std::string expected = kDefaultVer4;
  expected.replace(expected.find(" 4000"), 5, " 2500");
  EXPECT_EQ(roundTrip(ver3), expected);
}

TEST_F(SettingsFileTest, Ver2WithoutIntervalLineTakesDefaultsForTheRest) {
  const std::string ver2 =
      "Ver=2\r\n/p\r\nphotos.htm\r\n 0 \r\nTrip\r\nth\r\nim\r\n 800\r\n 150\r\n"
      "EEEEEE\r\n111111\r\n222222\r\n333333\r\n444444\r\nbg.jpg\r\n\r\n/media/card\r\n";
  AlbumSettings s = read(ver2);
  EXPECT_EQ(s.AlbumHtml, "photos.htm");
  EXPECT_EQ(s.TitleFromFolder, 0);
  EXPECT_EQ(s.ListPageWidth, 800);
  EXPECT_EQ(s.FrameWidth, 150);
  EXPECT_EQ(s.BgColor, "EEEEEE");
  EXPECT_EQ(s.ReturnPage, "");
  EXPECT_EQ(s.CameraFolder, "/media/card");
  EXPECT_EQ(s.SlideInterval, 4000);
  EXPECT_EQ(s.EditFrameColor, "AA6600");
  EXPECT_EQ(s.EditBlurFrameColor, "ffffff");
  EXPECT_EQ(s.IncludeVideos, 0);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsFileTest, Ver1IsAnnouncedOnceAndReadByItsOwnLayout) {
  const std::string ver1 =
      "/old/photos\r\nalbum.html\r\n 1 \r\nOld\r\nsmall\r\nbig\r\n 700\r\n 180\r\n"
      "skip1\r\nskip2\r\n 3000\r\n";
  AlbumSettings s = read(ver1);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kOldVersionMessage);
  EXPECT_EQ(dialogs.shown[0].caption, kProgramTitle);
  EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::None);
  EXPECT_EQ(s.PhotoFolder, "/old/photos");
  EXPECT_EQ(s.ListPageWidth, 700);
  EXPECT_EQ(s.FrameWidth, 180);
  EXPECT_EQ(s.BgColor, "FFFFFF");  // skipped lines do not land in the colours
  EXPECT_EQ(s.SlideInterval, 3000);
}

TEST_F(SettingsFileTest, UnknownVersionMarksAreReadAsVer1) {
  for (const char* mark : {"Ver=5", "ver=4", "Ver=4 "}) {
    dialogs.shown.clear();
    std::string text = kDefaultVer4;
    text.replace(0, 5, mark);
    AlbumSettings s = read(text);
    EXPECT_EQ(dialogs.shown.size(), 1u) << mark;
    EXPECT_EQ(s.PhotoFolder, mark) << mark;
    EXPECT_EQ(s.AlbumHtml, "/photos") << mark;
    EXPECT_EQ(s.TitleFromFolder, 0) << mark;  // "album.html" holds no number
  }
}

TEST_F(SettingsFileTest, NumbersAreReadLikeTheRestOfTheProgram) {
  std::string text = kDefaultVer4;
  text.replace(text.find(" 1024"), 5, "1024px");
  text.replace(text.find(" 200\r"), 4, "  12.5");
  EXPECT_EQ(read(text).ListPageWidth, 1024);
  EXPECT_EQ(read(text).FrameWidth, 12);
  text.replace(text.find(" 4000"), 5, "99999");  // does not fit in 16 bits
  EXPECT_EQ(read(text).SlideInterval, 4000);
}

TEST_F(SettingsFileTest, ShortEmptyAndLineFeedOnlyFilesFillTheRestWithDefaults) {
  AlbumSettings cut = read("Ver=4\r\n/p\r\nmine.html\r\n");
  AlbumSettings expected = defaultAlbumSettings();
  expected.PhotoFolder = "/p";
  expected.AlbumHtml = "mine.html";
  EXPECT_EQ(cut, expected);

  AlbumSettings empty = read("", "/chosen");
  EXPECT_EQ(empty.PhotoFolder, "/chosen");
  EXPECT_EQ(empty.AlbumHtml, "album.html");

  std::string lf = kDefaultVer4;
  std::erase(lf, '\r');
  EXPECT_EQ(roundTrip(lf), kDefaultVer4);
}

// A file with NUL bytes is no settings file: refused with a message naming it, nothing of
// it taken (a record still blank takes the defaults, one already read stays as it was).
TEST_F(SettingsFileTest, BinaryFilesAreRefusedAndHugeOnesRead) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7 % 256);
  writeFile(dir.file("in.ini"), binary);
  AlbumSettings blank;
  blank.PhotoFolder = "/given";
  auto refused = ReadSettings(blank, dir.file("in.ini"), dialogs);
  ASSERT_FALSE(refused);
  AlbumSettings expected = defaultAlbumSettings();
  expected.PhotoFolder = "/given";
  EXPECT_EQ(blank, expected);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find(dir.file("in.ini")), std::string::npos);

  AlbumSettings current = defaultAlbumSettings();
  current.AlbumTitle = "mine";
  const AlbumSettings before = current;
  writeFile(dir.file("in.ini"), kDefaultVer4 + std::string(1, '\0'));
  EXPECT_FALSE(ReadSettings(current, dir.file("in.ini"), dialogs));
  EXPECT_EQ(current, before);

  std::string huge = kDefaultVer4;
  huge += std::string(8 << 20, 'x');
  dialogs.shown.clear();
  EXPECT_EQ(read(huge).SlideInterval, 4000);
  // Read only as far as 1 MiB, and not silently; a file of just 1 MiB is read whole.
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find(dir.file("in.ini") + " は 1MB を超えて"), std::string::npos);
  read(kDefaultVer4 + std::string((1 << 20) - std::strlen(kDefaultVer4), ' '));
  EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(SettingsFileTest, InvalidShiftJisBytesAreReplacedNotFatal) {
  std::string text = kDefaultVer4;
  text.replace(text.find("small"), 5, "s\xA0m");
  EXPECT_EQ(read(text).ThumbFolder, "s\xEF\xBF\xBDm");
}

TEST_F(SettingsFileTest, CharactersOutsideCp932AreKeptThroughUtf8) {
  AlbumSettings s = defaultAlbumSettings();
  s.PhotoFolder = "/photos/Café 한국";
  s.AlbumTitle = "Café ¥1000";  // CP932 would turn "¥" into "\\"
  ASSERT_TRUE(WriteSettings(s, dir.file("out.ini")));
  const std::string bytes = readFile(dir.file("out.ini"));
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  AlbumSettings back;
  ReadSettings(back, dir.file("out.ini"), dialogs);
  EXPECT_EQ(back, s);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsFileTest, LineBreaksInsideValuesCannotShiftLaterLines) {
  AlbumSettings s = defaultAlbumSettings();
  s.AlbumTitle = "two\r\nlines";
  ASSERT_TRUE(WriteSettings(s, dir.file("out.ini")));
  AlbumSettings back;
  ReadSettings(back, dir.file("out.ini"), dialogs);
  EXPECT_EQ(back.AlbumTitle, "two  lines");
  EXPECT_EQ(back.ThumbFolder, "small");
}

TEST_F(SettingsFileTest, AFailedWriteNamesTheFileAndKeepsTheOldOne) {
  writeFile(dir.file("out.ini"), "old");
  std::optional<test::ReadOnlyFolder> readOnly(std::in_place, dir.path());
  if (!readOnly->active()) GTEST_SKIP() << "cannot make a read-only folder here";
  auto result = WriteSettings(defaultAlbumSettings(), dir.file("out.ini"));
  readOnly.reset();
  ASSERT_FALSE(result);
  EXPECT_NE(result.error().message.find("out.ini"), std::string::npos);
  EXPECT_EQ(readFile(dir.file("out.ini")), "old");
}

TEST_F(SettingsFileTest, DefaultFileLivesBesideTheProgram) {
  EXPECT_EQ(defaultSettingsPath(), program.path() + "/fotela.ini");
  AlbumSettings s = defaultAlbumSettings();
  s.AlbumTitle = "default file";
  ASSERT_TRUE(WriteSettings(s, ""));
  AlbumSettings back;
  ReadSettings(back, "", dialogs);
  EXPECT_EQ(back.AlbumTitle, "default file");
}

}  // namespace
}  // namespace fotela
