#include "publish/menu_page.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/cp932.h"
#include "common/files.h"
#include "common/scripted_dialogs.h"
#include "core/publish/publish_fixture.h"
#include "program/program_state.h"

namespace fotela {
namespace {

using test::TempDir;

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kBase = 1700000000;

void initState(ProgramState& state, const std::string& folder) {
  state.settings = defaultAlbumSettings();
  state.settings.PhotoFolder = folder;
}

void makeFolder(const std::string& path, std::int64_t modified) {
  std::filesystem::create_directories(path);
  test::setModifiedTime(path, modified);
}

// The link targets of the menu page, in page order.
std::vector<std::string> links(const std::string& page) {
  std::vector<std::string> out;
  for (const std::string& line : splitLines(cp932ToUtf8(test::readFile(page)))) {
    if (line.starts_with("<tr><td><A HREF=\"")) {
      out.push_back(line.substr(17, line.find('"', 17) - 17));
    }
  }
  return out;
}

TEST(WriteMenuPage, GoldenPageListsTheOlderFolderFirst) {
  TempDir dir;
  const std::string parent = dir.file("旅行記");
  makeFolder(parent + "/trip2", kBase + kDay);
  makeFolder(parent + "/trip1", kBase);
  ProgramState state;
  initState(state, parent);
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Written);
  test::expectSamePage(parent + "/index.html", test::goldenDir("publish-menu") + "/index.html");
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST(WriteMenuPage, SortsByDateAndKeepsDirectoryOrderForEqualDates) {
  TempDir dir;
  makeFolder(dir.file("a"), kBase + 3 * kDay);
  makeFolder(dir.file("b"), kBase);
  makeFolder(dir.file("c"), kBase + kDay);
  makeFolder(dir.file("d"), kBase + kDay);
  makeFolder(dir.file(".hidden"), kBase - kDay);
  test::writeFile(dir.file("photo.jpg"), "x");
  ProgramState state;
  initState(state, dir.path());
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Written);
  EXPECT_EQ(
      links(dir.file("index.html")),
      (std::vector<std::string>{"b/album.html", "c/album.html", "d/album.html", "a/album.html"}));
}

TEST(WriteMenuPage, NoSubFoldersAndNoReturnPageGiveAnEmptyTable) {
  TempDir dir;
  ProgramState state;
  initState(state, dir.path() + "/");
  state.settings.ReturnPage = "";
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Written);
  auto lines = splitLines(cp932ToUtf8(test::readFile(dir.file("index.html"))));
  auto table = std::find(lines.begin(), lines.end(), "<table>");
  ASSERT_NE(table, lines.end());
  EXPECT_EQ(*(table + 1), "</table>");
  EXPECT_EQ(*(table + 2), "</center>");
  const std::string name = std::filesystem::path(dir.path()).filename().string();
  EXPECT_EQ(lines[4], "<title>" + name + "</title>");
}

TEST(WriteMenuPage, ExistingPageIsKeptWhenTheAnswerIsNo) {
  TempDir dir;
  makeFolder(dir.file("trip"), kBase);
  test::writeFile(dir.file("index.html"), "mine");
  ProgramState state;
  initState(state, dir.path());
  ScriptedDialogs dialogs;
  dialogs.answerNext(DialogAnswer::No);

  EXPECT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Declined);
  EXPECT_EQ(test::readFile(dir.file("index.html")), "mine");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_TRUE(dialogs.shown[0].question);
  EXPECT_EQ(dialogs.shown[0].text, "すでに index.html が存在します。\n\r上書きしますか？");
  EXPECT_EQ(dialogs.shown[0].caption, "フォテラ");
  EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::YesNo);
  EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Warning);

  dialogs.answerNext(DialogAnswer::Yes);
  EXPECT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Written);
  EXPECT_EQ(links(dir.file("index.html")), std::vector<std::string>{"trip/album.html"});
}

TEST(WriteMenuPage, HasNoLimitOnSubFolders) {
  TempDir dir;
  for (int i = 0; i < 150; ++i) makeFolder(dir.file("f" + std::to_string(1000 + i)), kBase + i);
  ProgramState state;
  initState(state, dir.path());
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Written);
  auto found = links(dir.file("index.html"));
  ASSERT_EQ(found.size(), 150u);
  EXPECT_EQ(found.front(), "f1000/album.html");
  EXPECT_EQ(found.back(), "f1149/album.html");
}

TEST(WriteMenuPage, FolderNamesAreEscaped) {
  TempDir dir;
  makeFolder(dir.file("R&D #1"), kBase);
  ProgramState state;
  initState(state, dir.path());
  ScriptedDialogs dialogs;

  ASSERT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Written);
  auto lines = splitLines(cp932ToUtf8(test::readFile(dir.file("index.html"))));
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "<tr><td><A HREF=\"R&amp;D %231/album.html\">R&amp;D #1</a></td></tr>"),
            lines.end());
}

TEST(WriteMenuPage, UnwritablePageIsReportedWithItsName) {
  TempDir dir;
  // A folder where the page should go: it can neither be asked about nor replaced.
  std::filesystem::create_directory(dir.file("index.html"));
  ProgramState state;
  initState(state, dir.path());
  ScriptedDialogs dialogs;

  EXPECT_EQ(WriteMenuPage(state, dialogs), MenuPageOutcome::Failed);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_TRUE(dialogs.shown[0].text.starts_with("メニューが作れません。\r"));
  EXPECT_NE(dialogs.shown[0].text.find(dir.file("index.html")), std::string::npos);
  EXPECT_EQ(dialogs.shown[0].caption, "フォテラ");
  EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::None);
}

}  // namespace
}  // namespace fotela
