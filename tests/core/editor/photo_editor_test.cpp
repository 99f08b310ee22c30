// The editor without its window: loading, saving, the command procedure and the batch.

#include "editor/photo_editor.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/scripted_dialogs.h"
#include "core/support/exif_builder.h"
#include "core/support/test_files.h"
#include "editor/jpeg_metadata.h"
#include "imaging/codec.h"

namespace fotela {
namespace {

constexpr std::int32_t kGrey = 0x808080;

Image filled(int w, int h, std::int32_t colour) {
  Image picture(w, h);
  picture.fill(colour);
  return picture;
}

// A fixture with a photo folder, the program state and an editor on it.
class EditorTest : public ::testing::Test {
 protected:
  EditorTest() : editor(state, dialogs) { state.settings.PhotoFolder = dir.path(); }

  // Adds a photo to the folder and to the photo list.
  std::string addPhoto(const std::string& name, int w, int h, std::int32_t colour = kGrey) {
    test::writeJpeg(dir.file(name + ".jpg"), w, h, colour);
    state.photos.push_back(PhotoEntry{name, "jpg", "", "", "", "", name});
    return dir.file(name + ".jpg");
  }

  // The editor showing an in-memory picture, as if it had been loaded from `path`.
  void show(const Image& picture, const std::string& path = "unused.jpg") {
    editor.shownPicture = 0;
    editor.sparePicture = 1;
    editor.Picture1[0] = picture;
    editor.photoPath = path;
    editor.changed = 0;
  }

  CommandReport run(EffectCommand command, std::string text1, std::string text2 = {},
                    bool allPhotos = false) {
    return editor.runEffectCommand(command, {true, std::move(text1), std::move(text2), allPhotos});
  }

  test::TempDir dir;
  ProgramState state;
  ScriptedDialogs dialogs;
  PhotoEditor editor;
};

// ---------------------------------------------------------------- the dialog's contents

TEST_F(EditorTest, DialogSetupFollowsTheCommand) {
  state.settings.EditScalePercent = "75";
  state.settings.EditCompositeFile = "logo.bmp";
  state.settings.EditTransparentColor = "000000";
  const Image photo(640, 480);
  const EffectDialogSetup scale = effectDialogSetup(EffectCommand::Scale, state.settings, photo);
  EXPECT_EQ(scale.caption, "拡大／縮小");
  EXPECT_EQ(scale.label1,
            "拡大／縮小の比率を入力してください\r\n  （長さの比率で指定してください　％）");
  EXPECT_EQ(scale.text1, "75");
  EXPECT_FALSE(scale.label2) << "not set: keeps the earlier content";
  EXPECT_FALSE(scale.showText2 || scale.showColourButton || scale.showFileButton);
  EXPECT_EQ(scale.sizeText, "写真の幅： 640　高さ： 480");

  const EffectDialogSetup composite =
      effectDialogSetup(EffectCommand::Composite, state.settings, photo);
  EXPECT_EQ(composite.text1, "logo.bmp");
  EXPECT_EQ(composite.text2, "000000");
  EXPECT_EQ(composite.label2, "透明色を入力してください");
  EXPECT_TRUE(composite.showFileButton && composite.showColourButton && composite.wideText1);

  const EffectDialogSetup focus =
      effectDialogSetup(EffectCommand::EllipseFocusBlur, state.settings, photo);
  EXPECT_EQ(focus.caption, "楕円（ピントぼかし）");
  EXPECT_FALSE(focus.showLabel2 || focus.showText2 || focus.showColourButton);
  const EffectDialogSetup frame =
      effectDialogSetup(EffectCommand::BlurFrame, state.settings, photo);
  EXPECT_TRUE(frame.showColourButton);
  EXPECT_FALSE(frame.showFileButton);
}

// ---------------------------------------------------------------- stops and stored texts

TEST_F(EditorTest, CancelEmptyTextAndScaleHundredStopSilently) {
  show(filled(40, 30, kGrey));
  const AlbumSettings before = state.settings;
  EXPECT_EQ(editor.runEffectCommand(EffectCommand::Scale, {false, "50", "", false}).outcome,
            CommandOutcome::Stopped);
  EXPECT_EQ(run(EffectCommand::Scale, "100").outcome, CommandOutcome::Stopped);
  EXPECT_EQ(run(EffectCommand::BlurFrame, "", "FF0000").outcome, CommandOutcome::Stopped);
  EXPECT_EQ(state.settings, before) << "nothing stored";
  EXPECT_EQ(editor.changed, 0);
  EXPECT_TRUE(dialogs.shown.empty());

  // "100.0" is not exactly "100": it runs, keeps the size and counts as a change.
  EXPECT_EQ(run(EffectCommand::Scale, "100.0").outcome, CommandOutcome::Applied);
  EXPECT_EQ(editor.shown().width(), 40);
  EXPECT_EQ(editor.changed, 1);
  EXPECT_EQ(state.settings.EditScalePercent, "100.0");
}

TEST_F(EditorTest, EachCommandStoresItsTexts) {
  ASSERT_TRUE(saveBmp(filled(2, 2, 0), dir.file("o.bmp")));
  struct Case {
    EffectCommand command;
    std::string text1, text2;
    std::string AlbumSettings::*field1;
    std::string AlbumSettings::*field2;
  };
  const Case cases[] = {
      {EffectCommand::Scale, "80", "ignored", &AlbumSettings::EditScalePercent, nullptr},
      {EffectCommand::RaisedFrame, "3", "AA6600", &AlbumSettings::EditFrameWidth,
       &AlbumSettings::EditFrameColor},
      {EffectCommand::BlurFrame, "4", "zz", &AlbumSettings::EditBlurFrameWidth,
       &AlbumSettings::EditBlurFrameColor},
      {EffectCommand::EllipseColorBlur, "5", "0000FF", &AlbumSettings::EditEllipseBlurWidth,
       &AlbumSettings::EditEllipseBlurColor},
      {EffectCommand::EllipseFocusBlur, "6", "ignored", &AlbumSettings::EditFocusBlurWidth,
       nullptr},
      {EffectCommand::Composite, dir.file("o.bmp"), "123456", &AlbumSettings::EditCompositeFile,
       &AlbumSettings::EditTransparentColor},
  };
  for (const Case& c : cases) {
    show(filled(40, 30, kGrey));
    EXPECT_EQ(run(c.command, c.text1, c.text2).outcome, CommandOutcome::Applied) << c.text1;
    EXPECT_EQ(state.settings.*c.field1, c.text1);
    if (c.field2) {
      EXPECT_EQ(state.settings.*c.field2, c.text2) << "stored as typed";
    }
  }
  EXPECT_EQ(state.settings.EditTransparentColor, "123456");
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(EditorTest, NumbersAreReadAsTheDialogReadsThem) {
  // A blurred white frame of the parsed thickness: column t - 1 is touched, column t not.
  struct Case {
    const char* text;
    int thickness;
  };
  const Case cases[] = {{"12px", 12}, {"12.5", 12}, {"13.5", 14}, {"  7", 7}, {"abc", 0}};
  for (const Case& c : cases) {
    show(filled(60, 60, kGrey));
    EXPECT_EQ(run(EffectCommand::BlurFrame, c.text, "FFFFFF").outcome, CommandOutcome::Applied);
    EXPECT_EQ(editor.changed, 1) << c.text << ": even a frame of 0 counts as a change";
    if (c.thickness > 0) {
      EXPECT_NE(editor.shown().pixel(c.thickness - 1, 30), kGrey) << c.text;
    }
    EXPECT_EQ(editor.shown().pixel(c.thickness, 30), kGrey) << c.text;
  }
}

// ---------------------------------------------------------------- refusals

TEST_F(EditorTest, EllipseWidthAboveHalfThePhotoIsRefused) {
  for (EffectCommand command : {EffectCommand::EllipseColorBlur, EffectCommand::EllipseFocusBlur}) {
    dialogs.shown.clear();
    const Image photo = filled(200, 101, kGrey);
    show(photo);
    // 101 / 2 = 50.5: a width of 50 passes, 51 does not (real division).
    EXPECT_EQ(run(command, "51", "FFFFFF").outcome, CommandOutcome::Refused);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "幅は写真の大きさの半分以内の長さを指定してください");
    EXPECT_EQ(dialogs.shown[0].caption, "エラー");
    EXPECT_EQ(editor.shown(), photo);
    EXPECT_EQ(editor.changed, 0);
    EXPECT_EQ(command == EffectCommand::EllipseFocusBlur ? state.settings.EditFocusBlurWidth
                                                         : state.settings.EditEllipseBlurWidth,
              "51")
        << "stored even though refused";
    EXPECT_EQ(run(command, "50", "FFFFFF").outcome, CommandOutcome::Applied);
    EXPECT_EQ(run(command, "99999", "FFFFFF").outcome, CommandOutcome::Refused);
    EXPECT_EQ(dialogs.shown.back().text, "幅は写真の大きさの半分以内の長さを指定してください");
  }
}

TEST_F(EditorTest, RefusalsOfTheImplementersChoice) {
  struct Case {
    EffectCommand command;
    std::string text1, text2;
    std::string message;  // start of the message
  };
  const Case cases[] = {
      {EffectCommand::Scale, "0", "", "拡大／縮小の比率には0より大きい数を指定してください"},
      {EffectCommand::Scale, "0.4", "", "拡大／縮小の比率には0より大きい数を指定してください"},
      {EffectCommand::Scale, "-50", "", "拡大／縮小の比率には0より大きい数を指定してください"},
      {EffectCommand::Scale, "abc", "", "拡大／縮小の比率には0より大きい数を指定してください"},
      {EffectCommand::Scale, "40000", "", "拡大／縮小の比率の数値が大きすぎます"},
      {EffectCommand::Scale, "1", "", "拡大／縮小後の写真の大きさ（幅 6　高さ 0）は扱えません"},
      {EffectCommand::Scale, "30000", "", "拡大／縮小後の写真の大きさ（幅 180000　高さ 9000）"},
      {EffectCommand::RaisedFrame, "70000", "000000", "枠の太さの数値が大きすぎます"},
      {EffectCommand::EllipseColorBlur, "-1", "000000", "ボカシ幅には0以上の数を指定してください"},
      {EffectCommand::EllipseFocusBlur, "-40000", "", "ボカシ幅には0以上の数を指定してください"},
      {EffectCommand::Composite, dir.file("missing.bmp"), "000000",
       "合成画像ファイルを読み込めません: " + dir.file("missing.bmp")},
  };
  for (const Case& c : cases) {
    dialogs.shown.clear();
    const Image photo = filled(600, 30, kGrey);
    show(photo);
    EXPECT_EQ(run(c.command, c.text1, c.text2).outcome, CommandOutcome::Refused) << c.text1;
    ASSERT_EQ(dialogs.shown.size(), 1u) << c.text1;
    EXPECT_TRUE(dialogs.shown[0].text.starts_with(c.message)) << dialogs.shown[0].text;
    EXPECT_EQ(dialogs.shown[0].caption, "エラー");
    EXPECT_EQ(editor.shown(), photo) << c.text1;
    EXPECT_EQ(editor.changed, 0) << c.text1;
  }
}

TEST_F(EditorTest, CompositeKeepsTheOverlayInTheSparePicture) {
  Image overlay = filled(3, 2, 0x0000FF);
  overlay.setPixel(0, 0, 0);
  ASSERT_TRUE(saveBmp(overlay, dir.file("Logo.BMP")));
  show(filled(10, 10, kGrey));
  EXPECT_EQ(run(EffectCommand::Composite, dir.file("Logo.BMP"), "000000").outcome,
            CommandOutcome::Applied);
  EXPECT_EQ(editor.shown().pixel(0, 0), kGrey) << "exact black is transparent";
  EXPECT_EQ(editor.shown().pixel(2, 1), 0x0000FF);
  EXPECT_EQ(editor.shown().pixel(3, 1), kGrey);
  EXPECT_EQ(editor.spare(), overlay);
  EXPECT_EQ(editor.shownPicture, 0) << "no swap";
}

// ---------------------------------------------------------------- pictures and changes

TEST_F(EditorTest, RotationsSwapThePicturesAndAlwaysCountAsAChange) {
  Image photo = filled(4, 3, kGrey);
  photo.setPixel(0, 0, 0x0000FF);
  show(photo);
  int busy = 0;
  editor.busyChanged = [&](bool on) { busy += on ? 1 : -1; };
  editor.rotate(90);
  EXPECT_EQ(editor.shownPicture, 1);
  EXPECT_EQ(editor.sparePicture, 0);
  EXPECT_EQ(editor.shown().width(), 3);
  EXPECT_EQ(editor.shown().pixel(2, 0), 0x0000FF);
  editor.rotate(270);
  EXPECT_EQ(editor.shown(), photo);
  EXPECT_EQ(editor.changed, 1) << "undone by the opposite turn, still a change";
  EXPECT_EQ(busy, 0) << "every sStart has its sEnd";
}

TEST_F(EditorTest, FocusBlurThatLeavesNoEllipseDoesNotSwap) {
  // Only a batch meets this: the width check passed against another photo.
  const Image photo = filled(20, 20, kGrey);
  show(photo);
  EffectStep step;
  step.command = EffectCommand::EllipseFocusBlur;
  step.number = 15;
  ASSERT_TRUE(editor.applyEffect(step));
  EXPECT_EQ(editor.shownPicture, 0);
  EXPECT_EQ(editor.shown(), photo);
  step.number = 10;
  ASSERT_TRUE(editor.applyEffect(step));
  EXPECT_EQ(editor.shownPicture, 1);
}

// ---------------------------------------------------------------- load and save

TEST_F(EditorTest, LoadSetsThePathAndClearsChanged) {
  const std::string path = addPhoto("a", 30, 20);
  EXPECT_EQ(editor.shownPicture, -1);
  ASSERT_TRUE(editor.loadPhoto(path));
  EXPECT_EQ(editor.shownPicture, 0);
  EXPECT_EQ(editor.photoPath, path);
  EXPECT_EQ(editor.shown().width(), 30);
  editor.rotate(90);
  ASSERT_TRUE(editor.reload());
  EXPECT_EQ(editor.changed, 0);
  EXPECT_EQ(editor.shown().width(), 30) << "reload drops the turn";

  // A failed load leaves everything as it was.
  test::writeFile(dir.file("junk.jpg"), "not a picture");
  const Image before = editor.shown();
  EXPECT_FALSE(editor.loadPhoto(dir.file("junk.jpg")));
  EXPECT_FALSE(editor.loadPhoto(dir.file("missing.jpg")));
  EXPECT_EQ(editor.photoPath, path);
  EXPECT_EQ(editor.shown(), before);
}

TEST_F(EditorTest, SaveWritesAJpegWhateverTheExtension) {
  const std::string path = dir.file("picture.bmp");
  ASSERT_TRUE(saveBmp(filled(16, 8, kGrey), path));
  ASSERT_TRUE(editor.loadPhoto(path));
  editor.rotate(90);
  ASSERT_TRUE(editor.save());
  EXPECT_EQ(editor.changed, 0);
  const std::string bytes = test::readFile(path);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
  const Result<Image> back = loadJpeg(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width(), 8);
  EXPECT_EQ(back->height(), 16);

  // Save as: later saves go to the new name.
  ASSERT_TRUE(editor.saveAs(dir.file("copy.jpg")));
  EXPECT_EQ(editor.photoPath, dir.file("copy.jpg"));
  EXPECT_TRUE(std::filesystem::exists(dir.file("copy.jpg")));
}

TEST_F(EditorTest, FailedSaveLeavesThePhotoUntouched) {
  const std::string path = addPhoto("keep", 20, 20);
  const std::string original = test::readFile(path);
  ASSERT_TRUE(editor.loadPhoto(path));
  editor.rotate(180);

  // Save into a folder that does not exist: nothing appears, the error names the file.
  const Result<void> missing = editor.saveAs(dir.file("no-such-folder/x.jpg"));
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().message.find("no-such-folder/x.jpg"), std::string::npos);
  EXPECT_EQ(editor.photoPath, path) << "a failed save as keeps the old name";
  EXPECT_EQ(editor.changed, 1);

  // A folder nobody may write to (root included, through the immutable flag).
  std::optional<test::ReadOnlyFolder> readOnly(std::in_place, dir.path());
  if (!readOnly->active()) GTEST_SKIP() << "cannot make a read-only folder here";
  const Result<void> saved = editor.save();
  readOnly.reset();
  EXPECT_FALSE(saved);
  EXPECT_EQ(test::readFile(path), original);
  EXPECT_EQ(editor.changed, 1);
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1) << "no temporary file left behind";
}

TEST_F(EditorTest, SaveThatRunsOutOfSpaceLeavesThePhotoUntouched) {
  // A file size limit makes every larger write fail, for root as well: the disk is full.
  const std::string path = addPhoto("full", 64, 64);
  const std::string original = test::readFile(path);
  ASSERT_TRUE(editor.loadPhoto(path));
  editor.rotate(90);
  struct rlimit previous {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
  struct rlimit tight = previous;
  tight.rlim_cur = 200;
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  const Result<void> saved = editor.save();
  ::setrlimit(RLIMIT_FSIZE, &previous);
  ::signal(SIGXFSZ, oldHandler);
  ASSERT_FALSE(saved);
  EXPECT_NE(saved.error().message.find(path), std::string::npos) << saved.error().message;
  EXPECT_EQ(test::readFile(path), original);
  EXPECT_EQ(editor.changed, 1);
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1) << "no temporary file left behind";
}

TEST_F(EditorTest, SaveKeepsExifAndIccWithOrientationReset) {
  test::ExifLayout layout;
  layout.orientation = 6;  // stored sideways: to be turned clockwise
  layout.pixelX = 40;
  layout.pixelY = 24;
  const std::string exif = test::exifSegment(layout);
  const std::string icc = test::iccSegment(1, 1, std::string(300, 'p'));
  const std::string path = dir.file("camera.jpg");
  test::writeFile(path, test::insertAfterStart(test::makeJpegBytes(40, 24), exif + icc));

  ASSERT_TRUE(editor.loadPhoto(path));
  EXPECT_EQ(editor.shown().width(), 24) << "loading turns the photo upright";
  EXPECT_EQ(editor.shown().height(), 40);
  ASSERT_TRUE(run(EffectCommand::Scale, "50").outcome == CommandOutcome::Applied);
  ASSERT_TRUE(editor.save());

  const std::string saved = test::readFile(path);
  const JpegMetadata m = readJpegMetadata(saved);
  ASSERT_FALSE(m.exif.empty());
  const test::ExifFacts facts = test::readExifFacts(m.exif);
  EXPECT_EQ(facts.orientation, 1);
  EXPECT_EQ(facts.pixelX, 12u);
  EXPECT_EQ(facts.pixelY, 20u);
  ASSERT_EQ(m.icc.size(), 1u);
  EXPECT_EQ(m.icc[0], icc);
  // Read again, the photo is not turned a second time.
  ASSERT_TRUE(editor.reload());
  EXPECT_EQ(editor.shown().width(), 12);
  EXPECT_EQ(editor.shown().height(), 20);
}

TEST_F(EditorTest, CloseAsksOnlyAfterAChange) {
  const std::string path = addPhoto("c", 10, 10);
  ASSERT_TRUE(editor.loadPhoto(path));
  EXPECT_TRUE(editor.confirmClose());
  EXPECT_TRUE(dialogs.shown.empty());

  editor.rotate(90);
  const std::string before = test::readFile(path);
  dialogs.answerNext(DialogAnswer::No);
  EXPECT_TRUE(editor.confirmClose());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "写真を保存しますか？");
  EXPECT_EQ(dialogs.shown[0].caption, "写真の保存");
  EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::YesNo);
  EXPECT_EQ(test::readFile(path), before);

  dialogs.answerNext(DialogAnswer::Yes);
  EXPECT_TRUE(editor.confirmClose());
  EXPECT_EQ(loadJpeg(path)->width(), 10);
  EXPECT_EQ(editor.changed, 0);
}

// ---------------------------------------------------------------- batch

TEST_F(EditorTest, BatchSavesEveryPhotoOfTheListUnderItsOwnName) {
  const std::vector<std::string> paths = {addPhoto("p1", 40, 30), addPhoto("p2", 30, 40),
                                          addPhoto("p3", 50, 50)};
  ASSERT_TRUE(editor.loadPhoto(paths[0]));
  std::vector<std::size_t> progress;
  const CommandReport report =
      editor.runEffectCommand(EffectCommand::BlurFrame, {true, "5", "FF0000", true},
                              [&](std::size_t done, std::size_t total, const std::string&) {
                                EXPECT_EQ(total, 3u);
                                progress.push_back(done);
                              });
  EXPECT_EQ(report.outcome, CommandOutcome::BatchFinished);
  EXPECT_EQ(report.photosSaved, 3u);
  EXPECT_EQ(progress, (std::vector<std::size_t>{0, 1, 2, 3}));
  for (const std::string& p : paths) {
    const Result<Image> back = loadJpeg(p);
    ASSERT_TRUE(back) << p;
    const std::int32_t edge = back->pixel(0, back->height() / 2);
    EXPECT_GT(edge & 0xFF, 0xE0) << p << ": red frame";
    EXPECT_LT((edge >> 8) & 0xFF, 0x20) << p;
  }
  EXPECT_EQ(editor.photoPath, paths[2]) << "the last photo stays shown";
  EXPECT_EQ(editor.changed, 0);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(EditorTest, BatchAsksAboutUnsavedChangesFirst) {
  const std::string outside = dir.file("outside.jpg");
  test::writeJpeg(outside, 20, 20);
  addPhoto("q1", 20, 20);
  ASSERT_TRUE(editor.loadPhoto(outside));
  editor.rotate(90);
  const std::string before = test::readFile(outside);

  dialogs.answerNext(DialogAnswer::No);
  EXPECT_EQ(run(EffectCommand::BlurFrame, "2", "000000", true).outcome,
            CommandOutcome::BatchFinished);
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.shown[0].text, "現在の写真の変更を保存しますか？");
  EXPECT_EQ(dialogs.shown[0].caption, "写真の保存");
  EXPECT_EQ(test::readFile(outside), before) << "No: the changes are dropped";

  ASSERT_TRUE(editor.loadPhoto(outside));
  editor.rotate(90);
  dialogs.answerNext(DialogAnswer::Yes);
  run(EffectCommand::BlurFrame, "2", "000000", true);
  EXPECT_NE(test::readFile(outside), before) << "Yes: saved before the batch";
}

TEST_F(EditorTest, BatchGoesOnPastABadPhotoAndNamesIt) {
  const std::string good1 = addPhoto("g1", 30, 30);
  test::writeFile(dir.file("bad.jpg"), "\xFF\xD8 not really");
  state.photos.push_back(PhotoEntry{"bad", "jpg", "", "", "", "", ""});
  const std::string good2 = addPhoto("g2", 30, 30);
  ASSERT_TRUE(editor.loadPhoto(good1));
  const CommandReport report = run(EffectCommand::RaisedFrame, "3", "FFFFFF", true);
  EXPECT_EQ(report.outcome, CommandOutcome::BatchFinished);
  EXPECT_EQ(report.photosSaved, 2u);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_NE(report.failures[0].find("bad.jpg"), std::string::npos);
  EXPECT_EQ(test::readFile(dir.file("bad.jpg")), "\xFF\xD8 not really");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find("bad.jpg"), std::string::npos);
  EXPECT_EQ(editor.photoPath, good2);
}

TEST_F(EditorTest, BatchChecksTheWidthOnlyAgainstTheShownPhoto) {
  const std::string big = addPhoto("big", 100, 100);
  const std::string small = addPhoto("small", 20, 20);
  const std::string smallBefore = test::readFile(small);
  ASSERT_TRUE(editor.loadPhoto(big));
  const CommandReport report = run(EffectCommand::EllipseColorBlur, "30", "0000FF", true);
  EXPECT_EQ(report.photosSaved, 2u) << "the small photo is left unchanged and still saved";
  EXPECT_NE(test::readFile(small), smallBefore);
  const Result<Image> back = loadJpeg(small);
  ASSERT_TRUE(back);
  EXPECT_NEAR(back->pixel(0, 0) & 0xFF, 0x80, 3) << "no blue corner";
  EXPECT_GT((loadJpeg(big)->pixel(0, 0) >> 16) & 0xFF, 0xE0);
}

TEST_F(EditorTest, BatchStopsBetweenPhotos) {
  const std::vector<std::string> paths = {addPhoto("s1", 20, 20), addPhoto("s2", 20, 20),
                                          addPhoto("s3", 20, 20)};
  const std::string third = test::readFile(paths[2]);
  ASSERT_TRUE(editor.loadPhoto(paths[0]));
  std::stop_source stop;
  const CommandReport report = editor.runEffectCommand(
      EffectCommand::BlurFrame, {true, "3", "FFFFFF", true},
      [&](std::size_t done, std::size_t, const std::string&) {
        if (done == 2) stop.request_stop();
      },
      stop.get_token());
  EXPECT_EQ(report.outcome, CommandOutcome::BatchStopped);
  EXPECT_EQ(report.photosSaved, 2u);
  EXPECT_EQ(test::readFile(paths[2]), third);
}

// The window runs the work on a worker thread: only the first and last steps may show
// anything, so no message box is ever opened from the worker.
TEST_F(EditorTest, ExecutingACommandShowsNothingAndReportsFailures) {
  addPhoto("e1", 30, 30);
  test::writeFile(dir.file("broken.jpg"), "\xFF\xD8 broken");
  state.photos.push_back(PhotoEntry{"broken", "jpg", "", "", "", "", ""});
  ASSERT_TRUE(editor.loadPhoto(dir.file("e1.jpg")));
  editor.rotate(90);

  CommandOutcome outcome;
  dialogs.answerNext(DialogAnswer::No);
  const std::optional<EffectStep> step =
      editor.beginEffectCommand(EffectCommand::RaisedFrame, {true, "2", "FFFFFF", true}, outcome);
  ASSERT_TRUE(step);
  ASSERT_EQ(dialogs.shown.size(), 1u) << "the save question comes before the work";
  const CommandReport report = editor.executeEffectCommand(*step, true);
  EXPECT_EQ(dialogs.shown.size(), 1u);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(report.photosSaved, 1u);
  editor.showFailures(report);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_NE(dialogs.shown[1].text.find("broken.jpg"), std::string::npos);
}

}  // namespace
}  // namespace fotela
