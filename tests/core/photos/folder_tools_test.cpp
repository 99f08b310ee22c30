#include "photos/folder_tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/files.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

AlbumSettings settingsFor(const std::string& photo, const std::string& camera) {
  AlbumSettings s = defaultAlbumSettings();
  s.PhotoFolder = photo;
  s.CameraFolder = camera;
  return s;
}

TEST(FolderToolsTest, CameraFolderMayNotBeTheAlbumsOwn) {
  TempDir dir;
  fs::create_directories(dir.file("photos/small"));
  fs::create_directories(dir.file("photos/big"));
  fs::create_directories(dir.file("photos/other"));
  fs::create_directories(dir.file("card"));
  const std::string photos = dir.file("photos");
  struct Case {
    std::string camera;
    bool refused;
  };
  const Case cases[] = {
      {photos + "/", true},
      {photos, true},
      {photos + "/small/", true},
      {photos + "/big/../big/", true},
      {"./", true},      // old relative value: the photo folder itself
      {"small/", true},  // old relative value: the thumbnail folder
      {photos + "/other/", false},
      {dir.file("card") + "/", false},
      {"../card/", false},
  };
  for (const Case& c : cases) {
    const AlbumSettings s = settingsFor(photos, c.camera);
    EXPECT_EQ(cameraFolderIsAlbumFolder(s), c.refused) << c.camera;
    if (c.refused) {
      writeFile(dir.file("photos/keep.jpg"), "photo");
      writeFile(dir.file("photos/small/keep.jpg"), "thumb");
      EXPECT_EQ(copyCameraFiles(s), 1) << c.camera;
      EXPECT_EQ(deleteCameraFiles(s), 1) << c.camera;
      EXPECT_EQ(readFile(dir.file("photos/keep.jpg")), "photo");
      EXPECT_EQ(readFile(dir.file("photos/small/keep.jpg")), "thumb");
    }
  }
}

TEST(FolderToolsTest, CameraCopyKeepsTimesAndDeleteEmptiesTheCard) {
  TempDir dir;
  fs::create_directories(dir.file("photos"));
  fs::create_directories(dir.file("card/DCIM"));
  writeFile(dir.file("card/IMG_1.JPG"), "new");
  writeFile(dir.file("card/.hidden"), "h");
  writeFile(dir.file("photos/IMG_1.JPG"), "old");
  test::setModifiedTime(dir.file("card/IMG_1.JPG"), 1'000'000'000);
  // An old relative camera folder is taken relative to the photo folder.
  const AlbumSettings s = settingsFor(dir.file("photos"), "../card/");
  EXPECT_EQ(copyCameraFiles(s), 0);
  EXPECT_EQ(readFile(dir.file("photos/IMG_1.JPG")), "new");
  EXPECT_EQ(fs::last_write_time(dir.file("photos/IMG_1.JPG")),
            fs::last_write_time(dir.file("card/IMG_1.JPG")));
  EXPECT_FALSE(fs::exists(dir.file("photos/.hidden")));
  EXPECT_EQ(deleteCameraFiles(s), 0);
  EXPECT_FALSE(fs::exists(dir.file("card/IMG_1.JPG")));
  EXPECT_TRUE(fs::exists(dir.file("card/.hidden")));
  EXPECT_TRUE(fs::exists(dir.file("card/DCIM")));
  EXPECT_EQ(copyCameraFiles(settingsFor(dir.file("photos"), "")), 1);
}

TEST(FolderToolsTest, MakeSubFolderRefusesTakenAndOddNames) {
  TempDir dir;
  EXPECT_TRUE(makeSubFolder(dir.path(), "2026 旅行"));
  EXPECT_TRUE(isFolder(dir.file("2026 旅行")));
  for (const char* name : {"2026 旅行", "", ".", "..", "a/b"})
    EXPECT_FALSE(makeSubFolder(dir.path(), name)) << name;
  writeFile(dir.file("file"), "x");
  EXPECT_FALSE(makeSubFolder(dir.path(), "file"));
}

TEST(FolderToolsTest, LowerCaseSkipsNamesThatAreTaken) {
  TempDir dir;
  writeFile(dir.file("IMG_0001.JPG"), "1");
  writeFile(dir.file("img_0002.jpg"), "2");
  writeFile(dir.file("IMG_0003.JPG"), "3 upper");
  writeFile(dir.file("img_0003.jpg"), "3 lower");
  writeFile(dir.file("Notes.TXT"), "n");
  writeFile(dir.file("Photo.Jpg.bak"), "b");
  const LowerCaseResult r = lowerCaseJpegNames(dir.path());
  EXPECT_EQ(r.renamed, std::vector<std::string>{"IMG_0001.JPG"});
  EXPECT_EQ(r.skipped, std::vector<std::string>{"IMG_0003.JPG"});
  EXPECT_TRUE(r.failed.empty());
  EXPECT_EQ(listFolder(dir.path(), EntryKind::File),
            (std::vector<std::string>{"img_0001.jpg", "img_0002.jpg", "IMG_0003.JPG",
                                      "img_0003.jpg", "Notes.TXT", "Photo.Jpg.bak"}));
  EXPECT_EQ(readFile(dir.file("img_0003.jpg")), "3 lower");  // nothing overwritten
  EXPECT_EQ(readFile(dir.file("IMG_0003.JPG")), "3 upper");
}

}  // namespace
}  // namespace fotela
