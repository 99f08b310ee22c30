#include "program/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::TempDir;
using test::writeFile;

TEST(StartupTest, NoArgumentIsInteractiveWithoutAFolder) {
  StartupArguments a = parseStartupArguments("");
  EXPECT_EQ(a.AutoMode, 0);
  EXPECT_EQ(a.PhotoFolder, "");
}

TEST(StartupTest, AutoPrefixIsExactAndCaseSensitive) {
  TempDir dir;
  StartupArguments a = parseStartupArguments("auto=" + dir.path());
  EXPECT_EQ(a.AutoMode, 1);
  EXPECT_EQ(a.PhotoFolder, dir.path());

  StartupArguments capital = parseStartupArguments("Auto=" + dir.path());
  EXPECT_EQ(capital.AutoMode, 0);
  EXPECT_EQ(capital.PhotoFolder, "");  // the whole text names nothing

  StartupArguments bare = parseStartupArguments("auto=");
  EXPECT_EQ(bare.AutoMode, 1);
  EXPECT_EQ(bare.PhotoFolder, "");
}

TEST(StartupTest, AFileSelectsItsFolderAndNothingIsIgnored) {
  TempDir dir;
  writeFile(dir.file("IMG_0001.JPG"), "x");
  StartupArguments a = parseStartupArguments(dir.file("IMG_0001.JPG"));
  EXPECT_EQ(a.AutoMode, 0);
  EXPECT_EQ(a.PhotoFolder, dir.path());

  EXPECT_EQ(parseStartupArguments(dir.file("missing")).PhotoFolder, "");
  EXPECT_EQ(parseStartupArguments("auto=" + dir.file("missing")).AutoMode, 1);
  // The path is used as it stands: a quoted path names nothing.
  EXPECT_EQ(parseStartupArguments("\"" + dir.path() + "\"").PhotoFolder, "");
}

TEST(StartupTest, FoldersWithBlanksInTheirNamesWork) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("my photos"));
  EXPECT_EQ(parseStartupArguments("auto=" + dir.file("my photos")).PhotoFolder,
            dir.file("my photos"));
}

TEST(StartupTest, MarkerFileOnlyCountsByExistence) {
  TempDir dir;
  EXPECT_EQ(probeMarkerFile(dir.path()), 0);
  writeFile(dir.file(kMarkerFileName), "");
  EXPECT_EQ(probeMarkerFile(dir.path()), -1);
}

}  // namespace
}  // namespace fotela
