#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/scripted_dialogs.h"
#include "core/support/test_files.h"
#include "settings/settings_checks.h"
#include "settings/settings_file.h"
#include "settings/settings_paths.h"

namespace fotela {
namespace {

using test::TempDir;
using test::writeFile;

TEST(SettingsPathsTest, RelativeAndAbsoluteForms) {
  struct Case {
    const char* path;
    const char* base;
    const char* relative;
  };
  const Case cases[] = {
      {"/home/u/photos/bg/back.jpg", "/home/u/photos", "bg/back.jpg"},
      {"/home/u/photos/back.jpg", "/home/u/photos", "back.jpg"},
      {"/home/u/index.html", "/home/u/photos", "../index.html"},
      {"/home/u/index.html", "/home/u/photos/", "../index.html"},
      {"/home/other/a/b.jpg", "/home/u/photos", "../../other/a/b.jpg"},
      {"/srv/x.jpg", "/home/u/photos", "../../../srv/x.jpg"},
      {"/home/u/photos", "/home/u/photos", "/home/u/photos"},  // identical: unchanged
      {"/x.jpg", "/", "x.jpg"},
      {"sub/a.jpg", "/home/u/photos", "sub/a.jpg"},  // already relative
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Soutai(c.path, c.base), c.relative) << c.path << " from " << c.base;
    // Stored relative paths come back as the absolute path they were made from.
    if (std::string(c.relative) != c.path) {
      EXPECT_EQ(std::filesystem::path(Zettai(c.relative, c.base)).lexically_normal(),
                std::filesystem::path(c.path))
          << c.relative;
    }
  }
  EXPECT_EQ(Zettai("", "/p"), "/p/");
  EXPECT_EQ(Zettai("/abs/a.jpg", "/p"), "/abs/a.jpg");
}

TEST(SettingsPathsTest, CameraFolderIsAbsoluteWithOneTrailingSlash) {
  EXPECT_EQ(cameraFolderPath("", "/p"), "");
  EXPECT_EQ(cameraFolderPath("/media/u/CARD/DCIM/", "/p"), "/media/u/CARD/DCIM/");
  EXPECT_EQ(cameraFolderPath("/media/u/CARD/DCIM", "/p"), "/media/u/CARD/DCIM/");
  // An old value stored relative to the photo folder.
  EXPECT_EQ(cameraFolderPath("../card/", "/home/u/photos"), "/home/u/card/");
}

TEST(SettingsChecksTest, RefusedTextsNameTheirBox) {
  const SettingsTexts good{"small", "big", "200", "1024", "4000"};
  EXPECT_EQ(checkSettingsTexts(good), std::nullopt);
  struct Case {
    SettingsTexts texts;
    std::optional<SettingsBox> refused;
  };
  const Case cases[] = {
      {{"", "big", "200", "1024", "4000"}, SettingsBox::ThumbFolder},
      {{".", "big", "200", "1024", "4000"}, SettingsBox::ThumbFolder},
      {{"small", "..", "200", "1024", "4000"}, SettingsBox::ImageFolder},
      {{"a/b", "big", "200", "1024", "4000"}, SettingsBox::ThumbFolder},
      {{"small", "small", "200", "1024", "4000"}, SettingsBox::ImageFolder},
      {{"small", "big", "20.5", "1024", "4000"}, SettingsBox::FrameWidth},
      {{"small", "big", "200", "32768", "4000"}, SettingsBox::ListPageWidth},
      {{"small", "big", "200", "1024", "4s"}, SettingsBox::SlideInterval},
      {{"small", "big", "200", "", "4000"}, SettingsBox::ListPageWidth},
      {{"small", "big", " 200 ", "-32768", "+4000"}, std::nullopt},
      {{".small", "big..", "200", "1024", "4000"}, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto problem = checkSettingsTexts(c.texts);
    ASSERT_EQ(problem.has_value(), c.refused.has_value()) << c.texts.ThumbFolder;
    if (problem) {
      EXPECT_EQ(problem->box, *c.refused) << problem->message;
      EXPECT_FALSE(problem->message.empty());
    }
  }
  EXPECT_EQ(wholeInt16(" -5 "), std::int16_t{-5});
  EXPECT_EQ(wholeInt16("32767"), std::int16_t{32767});
  EXPECT_EQ(wholeInt16("1e3"), std::nullopt);
}

TEST(SettingsChecksTest, ColourPresetFromRrggbb) {
  EXPECT_EQ(colourOfHex("0000FF"), 0xFF0000);  // blue lands in the high byte
  EXPECT_EQ(colourOfHex("FF0000"), 0x0000FF);
  EXPECT_EQ(colourOfHex("aa6600"), 0x0066AA);
  EXPECT_EQ(colourOfHex("FF"), 0x0000FF);  // missing digits are 0
  EXPECT_EQ(colourOfHex("GG00FF"), 0xFF0000);
  EXPECT_EQ(colourOfHex(""), 0);
}

TEST(SettingsChecksTest, AFileThatCannotBeOpenedChangesNothing) {
  TempDir dir;
  ScriptedDialogs dialogs;
  AlbumSettings settings = defaultAlbumSettings();
  settings.PhotoFolder = "/photos";
  settings.AlbumTitle = "旅行";
  const AlbumSettings before = settings;
  for (const std::string& path : {dir.file("missing.ini"), dir.path()}) {
    auto loaded = loadSettingsFile(settings, path, dialogs);
    ASSERT_FALSE(loaded.has_value());
    EXPECT_NE(loaded.error().message.find(path), std::string::npos);
    EXPECT_EQ(settings, before);
  }
  AlbumSettings other = defaultAlbumSettings();
  other.AlbumTitle = "別";
  other.PhotoFolder = "/elsewhere";
  ASSERT_TRUE(WriteSettings(other, dir.file("a.ini")).has_value());
  ASSERT_TRUE(loadSettingsFile(settings, dir.file("a.ini"), dialogs).has_value());
  EXPECT_EQ(settings.AlbumTitle, "別");
  EXPECT_EQ(settings.PhotoFolder, "/photos");  // loading never moves the folder
}

}  // namespace
}  // namespace fotela
