#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/numbers.h"
#include "common/paths.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

struct SplitCase {
  std::string path, folder, name;
};

TEST(PathsTest, SplitFolderAndNameAtTheLastSeparator) {
  const SplitCase cases[] = {
      {"/home/u/photos/a.jpg", "/home/u/photos", "a.jpg"},
      {"/home/u/photos/", "/home/u/photos", ""},
      {"/", "", ""},
      {"a.jpg", "", ""},  // no separator: both parts empty
      {"", "", ""},
  };
  for (const auto& c : cases) {
    std::string folder = "x", name = "x";
    SplitFolderAndName(c.path, folder, name);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
  }
  // Far more than 99 separators: still the real last one.
  std::string deep;
  for (int i = 0; i < 150; ++i) deep += "/d";
  std::string folder, name;
  SplitFolderAndName(deep + "/photo.jpg", folder, name);
  EXPECT_EQ(folder, deep);
  EXPECT_EQ(name, "photo.jpg");
}

TEST(PathsTest, SplitPathHasNoDriveAndKeepsABareName) {
  std::string drive = "x", folder, name;
  SplitPath("/a/b/c.htm", drive, folder, name);
  EXPECT_EQ(drive, "");
  EXPECT_EQ(folder, "/a/b");
  EXPECT_EQ(name, "c.htm");
  SplitPath("c.htm", drive, folder, name);
  EXPECT_EQ(folder, "");
  EXPECT_EQ(name, "c.htm");
  SplitPath("/c.htm", drive, folder, name);
  EXPECT_EQ(folder, "");
  EXPECT_EQ(name, "c.htm");
}

TEST(PathsTest, ProgramFolderHasNoTrailingSeparator) {
  const std::string saved = ProgramFolder();
  setProgramFolder("/");
  EXPECT_EQ(ProgramFolder(), "");
  setProgramFolder("/opt/fotela/");
  EXPECT_EQ(ProgramFolder(), "/opt/fotela");
  setProgramFolder(saved);
  EXPECT_EQ(folderPrefix("/a"), "/a/");
  EXPECT_EQ(folderPrefix("/a/"), "/a/");
  EXPECT_EQ(folderPrefix("/"), "/");
}

// A program in a folder of its own looks for photos there; an installed one, or one that
// cannot write its folder, in the pictures folder, else the home folder.
TEST(PathsTest, DefaultPhotoFolderFollowsWhereTheProgramLives) {
  test::TempDir dir;
  const std::string home = dir.file("home"), pictures = dir.file("home/Pictures");
  std::filesystem::create_directories(dir.file("own"));
  std::filesystem::create_directories(dir.file("usr/bin"));
  std::filesystem::create_directories(dir.file("usr/share/fotela"));
  std::filesystem::create_directories(home);
  const struct {
    std::string program;
    bool picturesExist;
    std::string expected;
  } cases[] = {{dir.file("own"), true, dir.file("own")},
               {dir.file("usr/bin"), true, pictures},
               {dir.file("usr/bin"), false, home},
               {dir.file("gone"), true, pictures}};
  const std::string savedProgram = ProgramFolder();
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", home.c_str(), 1);
  setPicturesFolder(pictures);
  for (const auto& c : cases) {
    if (c.picturesExist)
      std::filesystem::create_directories(pictures);
    else
      std::filesystem::remove(pictures);
    setProgramFolder(c.program);
    EXPECT_EQ(defaultPhotoFolder(), c.expected) << c.program << " " << c.picturesExist;
  }
  setProgramFolder(savedProgram);
  setPicturesFolder("");
  ::setenv("HOME", savedHome.c_str(), 1);
}

TEST(NumbersTest, LeadingNumberSkipsBlanksAndIgnoresTheRest) {
  EXPECT_EQ(leadingNumber(" 1024"), 1024);
  EXPECT_EQ(leadingNumber("1024px"), 1024);
  EXPECT_EQ(leadingNumber("\t-12.5x"), -12.5);
  EXPECT_EQ(leadingNumber("abc"), 0);
  EXPECT_EQ(leadingNumber(""), 0);
  EXPECT_EQ(leadingNumber("."), 0);
  EXPECT_EQ(leadingNumber("1e3"), 1000);
  EXPECT_EQ(leadingNumber("12e"), 12);
  EXPECT_EQ(leadingNumber(".5"), 0.5);
}

TEST(NumbersTest, Int16RoundsHalfToEvenAndRejectsOverflow) {
  EXPECT_EQ(readInt16("12.5"), 12);
  EXPECT_EQ(readInt16("13.5"), 14);
  EXPECT_EQ(readInt16("-2.5"), -2);
  EXPECT_EQ(readInt16("12px"), 12);
  EXPECT_EQ(readInt16("abc"), 0);
  EXPECT_EQ(tryReadInt16("32767"), 32767);
  EXPECT_EQ(tryReadInt16("-32768"), -32768);
  EXPECT_EQ(tryReadInt16("32767.5"), std::nullopt);  // rounds to 32768
  EXPECT_EQ(tryReadInt16("40000"), std::nullopt);
  EXPECT_EQ(tryReadInt16("1e400"), std::nullopt);
  EXPECT_EQ(readInt16("99999", 7), 7);
}

TEST(NumbersTest, PrintForms) {
  EXPECT_EQ(signedNumberText(200), " 200");
  EXPECT_EQ(signedNumberText(0), " 0");
  EXPECT_EQ(signedNumberText(-5), "-5");
  EXPECT_EQ(plainNumberText(200), "200");
  EXPECT_EQ(plainNumberText(-5), "-5");
}

}  // namespace
}  // namespace fotela
