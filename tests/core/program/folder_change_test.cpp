#include "program/folder_change.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/support/test_files.h"

namespace fotela {
namespace {

TEST(OpenPhotoFolderTest, AFolderChangeReplacesListTitleAndPendingChanges) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("旅行"));
  const std::string folder = dir.file("旅行");
  test::writeJpeg(folder + "/a.jpg", 8, 8);
  test::writeFile(folder + "/titlen.txt", "a,\x8A\x43\r\n");  // 海
  ProgramState state;
  state.settings.TitleFromFolder = 1;
  state.photos.resize(3);  // the old folder's rows
  state.OrderChanged = 1;
  ASSERT_TRUE(openPhotoFolder(state, folder));
  EXPECT_EQ(state.settings.PhotoFolder, folder);
  EXPECT_EQ(state.settings.AlbumTitle, "旅行");
  ASSERT_EQ(state.photos.size(), 1u);
  EXPECT_EQ(state.photos[0].description, "海");
  EXPECT_EQ(state.order.TitleName("A"), "海");
  EXPECT_EQ(state.OrderChanged, 0);

  // A typed title stays; a stopped scan leaves no half-built list.
  state.settings.TitleFromFolder = 0;
  state.settings.AlbumTitle = "typed";
  std::stop_source stop;
  stop.request_stop();
  for (int i = 0; i < 40; ++i) test::writeJpeg(folder + "/p" + std::to_string(i) + ".jpg", 8, 8);
  EXPECT_FALSE(openPhotoFolder(state, folder, stop.get_token()));
  EXPECT_EQ(state.settings.AlbumTitle, "typed");
  EXPECT_TRUE(state.photos.empty());
}

}  // namespace
}  // namespace fotela
