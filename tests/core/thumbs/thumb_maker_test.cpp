#include "thumbs/thumb_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "common/scripted_dialogs.h"
#include "core/support/test_files.h"
#include "imaging/codec.h"
#include "imaging/resample.h"
#include "photos/image_size.h"
#include "program/program_state.h"

namespace fotela {

void PrintTo(const CopySize& s, std::ostream* os) {
  *os << s.width << " x " << s.height;
}

namespace {

namespace fs = std::filesystem;
using test::TempDir;

const char* const kQuestion = "縮小画像を作成しますか？";

PhotoEntry row(const std::string& fileName) {
  PhotoEntry e;
  e.name = fileName.substr(0, fileName.find('.'));
  e.type = fileName.substr(fileName.find('.') + 1);
  return e;
}

// A photo folder with the given photos (name, width, height) listed in that order.
struct Album {
  TempDir dir;
  ProgramState state;

  Album(std::initializer_list<std::tuple<const char*, int, int>> photos) {
    state.settings.PhotoFolder = dir.path();
    state.settings.ImageFolder = "big";
    state.settings.ThumbFolder = "small";
    state.settings.ListPageWidth = 1024;
    state.ThumbRunMode = 1;
    for (const auto& [name, w, h] : photos) {
      test::writeJpeg(dir.file(name), w, h, 0x4080C0);
      state.photos.push_back(row(name));
    }
  }
  std::string big(const std::string& f) const { return dir.file("big/" + f); }
  std::string small(const std::string& f) const { return dir.file("small/" + f); }
};

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) out.push_back(e.path().filename());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ThumbMakerTest, LargeCopyLimitFromTheListPageWidth) {
  const std::pair<std::int16_t, int> cases[] = {{-5, 350},   {0, 350},    {699, 350},
                                                {700, 470},  {899, 470},  {900, 600},
                                                {1024, 600}, {1025, 732}, {32767, 732}};
  for (const auto& [width, limit] : cases) EXPECT_EQ(largeCopyLimit(width), limit) << width;
}

TEST(ThumbMakerTest, FitCopySize) {
  struct Case {
    int w, h, max;
    CopySize expected;
  };
  const Case cases[] = {
      {3000, 2000, 600, {600, 400}}, {2000, 3000, 600, {400, 600}},
      {500, 300, 600, {500, 300}},   {600, 400, 100, {100, 67}},
      {600, 600, 600, {600, 600}},   {320, 240, 100, {100, 75}},
      {1, 1000, 600, {1, 600}},      {1, 600, 100, {1, 100}},
      {400, 5, 200, {200, 2}},  // 2.5: the even neighbour
      {400, 7, 200, {200, 4}},  // 3.5: the even neighbour
      {601, 1, 600, {600, 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fitCopySize(c.w, c.h, c.max, c.max), c.expected)
        << c.w << " x " << c.h << " into " << c.max;
}

TEST(ThumbMakerTest, MakesLargeCopiesThenThumbnailsAtTheirSizes) {
  Album a{{"wide.jpg", 3000, 2000},
          {"TALL.JPG", 2000, 3000},
          {"small.jpg", 320, 240},
          {"line.jpg", 1, 1000}};
  a.state.photos.push_back(row("skip.jpeg"));  // not "jpg": skipped, no failure
  ScriptedDialogs dialogs;
  std::vector<std::pair<int, std::string>> order;
  std::mutex m;
  ThumbRunResult r =
      runThumbnailMaker(a.state, dialogs, CopyMode::All, {}, [&](const CopyProgress& p) {
        std::lock_guard lock(m);
        order.emplace_back(p.phase, p.fileName);
        ASSERT_NE(p.preview, nullptr);
        EXPECT_EQ(ReadImageSize(p.phase == 0 ? a.big(p.fileName) : a.small(p.fileName)),
                  (ImageSize{p.preview->width(), p.preview->height()}));
        EXPECT_EQ(p.done, std::count_if(order.begin(), order.end(),
                                        [&](auto& o) { return o.first == p.phase; }));
        EXPECT_EQ(p.total, 4u);
      });
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(r.failures.empty());
  EXPECT_EQ(r.made, 8u);
  ASSERT_EQ(order.size(), 8u);
  for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i].first, i < 4 ? 0 : 1);

  const std::tuple<const char*, ImageSize, ImageSize> expected[] = {
      {"wide.jpg", {600, 400}, {100, 67}},
      {"TALL.JPG", {400, 600}, {67, 100}},
      {"small.jpg", {320, 240}, {100, 75}},
      {"line.jpg", {1, 600}, {1, 100}},
  };
  for (const auto& [f, big, small] : expected) {
    EXPECT_EQ(ReadImageSize(a.big(f)), big) << f;
    EXPECT_EQ(ReadImageSize(a.small(f)), small) << f;
  }
  // Written through temporary files: nothing else is left in the folders (and the classic
  // style makes no folder of copies at twice the size).
  const std::vector<std::string> names{"TALL.JPG", "line.jpg", "small.jpg", "wide.jpg"};
  EXPECT_EQ(namesIn(a.dir.file("big")), names);
  EXPECT_EQ(namesIn(a.dir.file("small")), names);

  // The copy is an average of the photo, not a sample: a one-colour photo stays that colour.
  Result<Image> copy = loadJpeg(a.big("wide.jpg"));
  ASSERT_TRUE(copy);
  const std::int32_t p = copy->pixel(300, 200);
  EXPECT_NEAR(p & 0xFF, 0xC0, 4);
  EXPECT_NEAR((p >> 16) & 0xFF, 0x40, 4);
}

TEST(ThumbMakerTest, NarrowListPageGivesSmallerLargeCopies) {
  Album a{{"p.jpg", 1400, 700}};
  a.state.settings.ListPageWidth = 699;
  ScriptedDialogs dialogs;
  runThumbnailMaker(a.state, dialogs, CopyMode::All);
  EXPECT_EQ(ReadImageSize(a.big("p.jpg")), (ImageSize{350, 175}));
}

TEST(ThumbMakerTest, CopiesAreTurnedUprightByTheExifOrientation) {
  Album a{};
  // 800 x 400 stored, orientation 6: upright 400 x 800.
  std::string jpeg = test::makeJpegBytes(800, 400);
  const std::string exif(
      "\xFF\xE1\x00\x22"
      "Exif\0\0"
      "II\x2A\x00\x08\x00\x00\x00"
      "\x01\x00\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00"
      "\x00\x00\x00\x00",
      36);
  test::writeFile(a.dir.file("r.jpg"), jpeg.substr(0, 2) + exif + jpeg.substr(2));
  a.state.photos.push_back(row("r.jpg"));
  ScriptedDialogs dialogs;
  ThumbRunResult r = runThumbnailMaker(a.state, dialogs, CopyMode::All);
  EXPECT_TRUE(r.failures.empty());
  EXPECT_EQ(ReadImageSize(a.big("r.jpg")), (ImageSize{300, 600}));
  EXPECT_EQ(ReadImageSize(a.small("r.jpg")), (ImageSize{50, 100}));
}

TEST(ThumbMakerTest, FolderQuestion) {
  struct Case {
    const char* what;
    bool smallExists, bigExists;
    std::int16_t mode;
    DialogAnswer answer;
    std::size_t questions;
    std::int16_t modeAfter;
    bool copies, bigCreated;
  };
  const Case cases[] = {
      {"both missing: created, no question", false, false, 0, DialogAnswer::No, 0, 0, true, true},
      {"existing, No: nothing at all", true, true, 0, DialogAnswer::No, 1, 2, false, true},
      {"thumbnail folder exists, No: big not created", true, false, 0, DialogAnswer::No, 1, 2,
       false, false},
      {"existing, Yes: asked once", true, true, 0, DialogAnswer::Yes, 1, 1, true, true},
      {"only big exists, Yes", false, true, 0, DialogAnswer::Yes, 1, 1, true, true},
      {"copies-only mode never asks", true, true, 1, DialogAnswer::No, 0, 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Album a{{"p.jpg", 200, 100}};
    if (c.smallExists) fs::create_directory(a.dir.file("small"));
    if (c.bigExists) fs::create_directory(a.dir.file("big"));
    a.state.ThumbRunMode = c.mode;
    ScriptedDialogs dialogs;
    dialogs.answerNext(c.answer);
    ThumbRunResult r = runThumbnailMaker(a.state, dialogs, CopyMode::All);
    ASSERT_EQ(dialogs.shown.size(), c.questions);
    for (const ShownDialog& d : dialogs.shown) {
      EXPECT_EQ(d.text, kQuestion);
      EXPECT_EQ(d.caption, kQuestion);
      EXPECT_TRUE(d.question);
      EXPECT_EQ(d.buttons, DialogButtons::YesNo);
      EXPECT_EQ(d.icon, DialogIcon::None);
    }
    EXPECT_EQ(a.state.ThumbRunMode, c.modeAfter);
    EXPECT_EQ(r.declined, c.modeAfter == 2);
    EXPECT_EQ(fs::exists(a.big("p.jpg")), c.copies);
    EXPECT_EQ(fs::exists(a.small("p.jpg")), c.copies);
    EXPECT_EQ(fs::is_directory(a.dir.file("big")), c.bigCreated);
  }
}

TEST(ThumbMakerTest, MissingAndCorruptPhotosAreReportedAndTheRunGoesOn) {
  Album a{{"a.jpg", 300, 200}};
  test::writeFile(a.dir.file("bad.jpg"), test::makeJpegBytes(300, 200).substr(0, 400));
  a.state.photos.push_back(row("bad.jpg"));
  a.state.photos.push_back(row("gone.jpg"));
  test::writeFile(a.dir.file("empty.jpg"), "");
  a.state.photos.push_back(row("empty.jpg"));
  test::writeJpeg(a.dir.file("c.jpg"), 300, 200);
  a.state.photos.push_back(row("c.jpg"));
  ScriptedDialogs dialogs;
  ThumbRunResult r = runThumbnailMaker(a.state, dialogs, CopyMode::All);

  EXPECT_EQ(r.made, 4u);
  ASSERT_EQ(r.failures.size(), 3u);  // once each: no thumbnail is tried without a large copy
  // The full build leaves these out of the pages.
  EXPECT_EQ(r.failedPhotos, (std::vector<std::string>{"bad.jpg", "gone.jpg", "empty.jpg"}));
  // The workers report in the order they finish.
  std::string all;
  for (const auto& failure : r.failures) all += failure.message + "\n";
  EXPECT_NE(all.find(a.dir.file("bad.jpg")), std::string::npos) << all;
  EXPECT_NE(all.find(a.dir.file("gone.jpg")), std::string::npos) << all;
  EXPECT_EQ(namesIn(a.dir.file("big")), (std::vector<std::string>{"a.jpg", "c.jpg"}));
  EXPECT_EQ(namesIn(a.dir.file("small")), (std::vector<std::string>{"a.jpg", "c.jpg"}));
  // One message after the run names both files.
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_FALSE(dialogs.shown[0].question);
  EXPECT_NE(dialogs.shown[0].text.find("bad.jpg"), std::string::npos);
  EXPECT_NE(dialogs.shown[0].text.find("gone.jpg"), std::string::npos);
}

TEST(ThumbMakerTest, StopSavesNoCopyInFlightAndSkipsTheThumbnails) {
  Album a{};
  const std::string jpeg = test::makeJpegBytes(1200, 900);
  for (int i = 0; i < 24; ++i) {
    std::string f = "p" + std::to_string(i) + ".jpg";
    test::writeFile(a.dir.file(f), jpeg);
    a.state.photos.push_back(row(f));
  }
  std::stop_source stop;
  std::size_t reported = 0;
  ScriptedDialogs dialogs;
  ThumbRunResult r = runThumbnailMaker(a.state, dialogs, CopyMode::All, stop.get_token(),
                                       [&](const CopyProgress& p) {
                                         ++reported;
                                         if (p.done == 3) stop.request_stop();
                                       });
  EXPECT_TRUE(r.stopped);
  EXPECT_TRUE(r.failures.empty());
  EXPECT_TRUE(dialogs.shown.empty());
  // Every saved copy was reported, every reported copy was saved, and no half-written or
  // temporary file is left.
  EXPECT_EQ(namesIn(a.dir.file("big")).size(), r.made);
  EXPECT_EQ(reported, r.made);
  EXPECT_GE(r.made, 3u);
  EXPECT_LT(r.made, 24u);
  EXPECT_TRUE(namesIn(a.dir.file("small")).empty());

  // A stop requested before the run makes nothing (the folders are still prepared).
  Album b{{"p.jpg", 100, 100}};
  std::stop_source early;
  early.request_stop();
  r = runThumbnailMaker(b.state, dialogs, CopyMode::All, early.get_token());
  EXPECT_EQ(r.made, 0u);
  EXPECT_FALSE(fs::exists(b.big("p.jpg")));
}

TEST(ThumbMakerTest, UpdateMakesOnlyMissingOrOutdatedCopies) {
  Album a{{"a.jpg", 300, 200}, {"b.jpg", 300, 200}, {"c.jpg", 300, 200}};
  ScriptedDialogs dialogs;
  ASSERT_EQ(runThumbnailMaker(a.state, dialogs, CopyMode::All).made, 6u);
  // All copies are newer than the photos; then b's photo changes and c's thumbnail is lost.
  for (const char* f : {"a.jpg", "b.jpg", "c.jpg"}) test::setModifiedTime(a.dir.file(f), 1000);
  for (const char* f : {"a.jpg", "b.jpg", "c.jpg"}) {
    test::setModifiedTime(a.big(f), 2000);
    test::setModifiedTime(a.small(f), 3000);
  }
  test::setModifiedTime(a.dir.file("b.jpg"), 5000);
  fs::remove(a.small("c.jpg"));

  std::vector<std::string> made;
  ThumbRunResult r = runThumbnailMaker(
      a.state, dialogs, CopyMode::UpdateOnly, {},
      [&](const CopyProgress& p) { made.push_back(std::to_string(p.phase) + p.fileName); });
  std::sort(made.begin() + 1, made.end());  // the thumbnails are made in parallel
  EXPECT_EQ(made, (std::vector<std::string>{"0b.jpg", "1b.jpg", "1c.jpg"}));
  EXPECT_EQ(r.made, 3u);
  EXPECT_EQ(
      fs::last_write_time(a.big("a.jpg")),
      fs::file_time_type::clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{2000}}));
}

// Mean difference per colour sample of two pictures of one size.
double meanDifference(const Image& a, const Image& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (std::size_t i = 0; i < a.stride(); ++i) sum += std::abs(a.row(y)[i] - b.row(y)[i]);
  return sum / (static_cast<double>(a.stride()) * a.height());
}

TEST(ThumbMakerTest, ModernStyleAddsCopiesAtTwiceTheSizeFromOneDecode) {
  Album a{{"flat.jpg", 320, 240}};
  // Gradients and a sharp edge: a copy shifted, mirrored or blurred apart would show.
  Image picture(3000, 2000);
  for (int y = 0; y < 2000; ++y)
    for (int x = 0; x < 3000; ++x)
      picture.setPixel(x, y, (x * 255 / 3000) | (y * 255 / 2000) << 8 | (x < 1000 ? 0xFF0000 : 0));
  test::writeFile(a.dir.file("edge.jpg"), test::encodeJpegBytes(picture));
  a.state.photos.push_back(row("edge.jpg"));
  a.state.albumStyle = AlbumStyle::Modern;
  ScriptedDialogs dialogs;
  std::vector<std::string> reported;
  std::mutex m;
  auto run = [&](CopyMode mode) {
    reported.clear();
    ThumbRunResult r = runThumbnailMaker(a.state, dialogs, mode, {}, [&](const CopyProgress& p) {
      std::lock_guard lock(m);
      reported.push_back(p.fileName);
      EXPECT_EQ(p.phase, 0);
      ASSERT_NE(p.preview, nullptr);
      EXPECT_EQ(ReadImageSize(a.big(p.fileName)),
                (ImageSize{p.preview->width(), p.preview->height()}));
    });
    std::sort(reported.begin(), reported.end());
    EXPECT_TRUE(r.failures.empty());
    return r.made;
  };
  EXPECT_EQ(run(CopyMode::All), 8u);
  EXPECT_EQ(reported, (std::vector<std::string>{"edge.jpg", "flat.jpg"}));
  const std::tuple<const char*, const char*, ImageSize> copies[] = {
      {"big/2x/", "edge.jpg", {1200, 800}},  {"big/", "edge.jpg", {600, 400}},
      {"small/2x/", "edge.jpg", {200, 133}}, {"small/", "edge.jpg", {100, 67}},
      {"big/2x/", "flat.jpg", {320, 240}},   {"big/", "flat.jpg", {320, 240}},
      {"small/2x/", "flat.jpg", {200, 150}}, {"small/", "flat.jpg", {100, 75}}};
  for (const auto& [folder, f, size] : copies)
    EXPECT_EQ(ReadImageSize(a.dir.file(std::string(folder) + f)), size) << folder << f;
  EXPECT_EQ(namesIn(a.dir.file("big")), (std::vector<std::string>{"2x", "edge.jpg", "flat.jpg"}));
  EXPECT_EQ(namesIn(a.dir.file("small/2x")), (std::vector<std::string>{"edge.jpg", "flat.jpg"}));
  // Each copy at twice the size, averaged down, shows what the copy beside it shows.
  for (const std::string folder : {"big/", "small/"}) {
    Result<Image> twice = loadJpeg(a.dir.file(folder + "2x/edge.jpg"));
    Result<Image> once = loadJpeg(a.dir.file(folder + "edge.jpg"));
    ASSERT_TRUE(twice && once);
    EXPECT_LT(meanDifference(resizeAreaAverage(*twice, once->width(), once->height()), *once), 3)
        << folder;
  }

  // Only the copies missing or older than their photo are made again.
  for (const auto& [folder, f, size] : copies)
    test::setModifiedTime(a.dir.file(std::string(folder) + f), 2000);
  test::setModifiedTime(a.dir.file("flat.jpg"), 1000);
  test::setModifiedTime(a.dir.file("edge.jpg"), 5000);
  fs::remove(a.dir.file("big/2x/flat.jpg"));
  EXPECT_EQ(run(CopyMode::UpdateOnly), 5u);
  EXPECT_EQ(reported, (std::vector<std::string>{"edge.jpg", "flat.jpg"}));
  EXPECT_EQ(ReadImageSize(a.dir.file("big/2x/flat.jpg")), (ImageSize{320, 240}));
  EXPECT_EQ(
      fs::last_write_time(a.big("flat.jpg")),
      fs::file_time_type::clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{2000}}));
}

// A sub-folder name that is not a plain name would put copies over the photos or outside
// the album; a name equal to the other sub-folder would put thumbnails over large copies.
TEST(ThumbMakerTest, SubFolderThatIsNoPlainNameIsRefused) {
  for (const char* name : {"", ".", "./", "..", "../t", "a/b", "x\ny", "SMALL"}) {
    SCOPED_TRACE(name);
    Album a{{"p.jpg", 800, 600}};
    a.state.settings.ImageFolder = name;
    const std::string before = test::readFile(a.dir.file("p.jpg"));
    ScriptedDialogs dialogs;
    ThumbRunResult r = runThumbnailMaker(a.state, dialogs, CopyMode::All);
    EXPECT_EQ(r.made, 0u);
    EXPECT_EQ(r.failures.size(), 1u);
    EXPECT_EQ(test::readFile(a.dir.file("p.jpg")), before);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_FALSE(fs::exists(a.dir.file("small"))) << "nothing created";
    EXPECT_FALSE(fs::exists(a.dir.file("../t")));
  }
}

}  // namespace
}  // namespace fotela
