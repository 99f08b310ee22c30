#include "editor/photo_editor.h"

#include <cmath>
#include <utility>

#include "common/files.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "imaging/codec.h"
#include "imaging/effects.h"

namespace fotela {
namespace {

// Largest picture a scaling may make: JPEG holds at most 65500 pixels a side, and the
// decoder refuses more than 2^28 pixels, so a larger photo could not be opened again.
constexpr long long kMaxSide = 65500;
constexpr long long kMaxPixels = 1LL << 28;

bool holdable(const PictureSize& size) {
  return size.width >= 1 && size.height >= 1 && size.width <= kMaxSide && size.height <= kMaxSide &&
         size.width * size.height <= kMaxPixels;
}

std::string scaledSizeMessage(const PictureSize& size) {
  return "拡大／縮小後の写真の大きさ（幅" + signedNumberText(size.width) + "　高さ" +
         signedNumberText(size.height) + "）は扱えません。比率を指定し直してください";
}

}  // namespace

void PhotoEditor::sStart() {
  if (busyChanged) busyChanged(true);
  changed = 1;
}

void PhotoEditor::sEnd() {
  if (busyChanged) busyChanged(false);
}

void PhotoEditor::report(const Error& error) {
  dialogs_.message(error.message, kProgramTitle, DialogIcon::Warning);
}

void PhotoEditor::refuse(const std::string& text) {
  dialogs_.message(text, kErrorCaption, DialogIcon::Warning);
}

// ---------------------------------------------------------------- files

Result<void> PhotoEditor::loadInto(const std::string& path, Image& picture,
                                   JpegMetadata& metadata) {
  Result<std::string> bytes = readWholeFile(path);
  if (!bytes) return std::unexpected(bytes.error());
  Result<Image> image = decodeImageFile(byteSpan(*bytes), path);
  if (!image) return std::unexpected(image.error());
  picture = std::move(*image);
  metadata = isJpegData(byteSpan(*bytes)) ? readJpegMetadata(*bytes) : JpegMetadata{};
  return {};
}

Result<void> PhotoEditor::loadPhoto(const std::string& path) {
  Image picture;
  JpegMetadata metadata;
  if (auto r = loadInto(path, picture, metadata); !r) return r;
  if (shownPicture < 0) {
    shownPicture = 0;
    sparePicture = 1;
  }
  shown() = std::move(picture);
  metadata_ = std::move(metadata);
  photoPath = path;
  changed = 0;
  return {};
}

std::string PhotoEditor::photoPathOf(int k) const {
  return folderPrefix(state_.settings.PhotoFolder) +
         state_.photos[static_cast<std::size_t>(k - 1)].fileName();
}

Result<void> PhotoEditor::Selimg(int k) {
  if (k < 1 || static_cast<std::size_t>(k) > state_.photos.size())
    return fail("写真の番号が一覧にありません: " + std::to_string(k));
  const std::string path = photoPathOf(k);
  Image picture;
  JpegMetadata metadata;
  // On failure the editor keeps the previous photo and its path, so a later save cannot
  // write one photo's pixels over another photo.
  if (auto r = loadInto(path, picture, metadata); !r) return r;
  shown() = std::move(picture);
  metadata_ = std::move(metadata);
  photoPath = path;
  return {};
}

Result<void> PhotoEditor::save() {
  const Image& picture = shown();
  if (picture.empty()) return fail("保存する写真がありません: " + photoPath);
  Result<std::string> encoded = encodeJpeg(picture, kJpegQuality);
  if (!encoded)
    return fail("写真を保存できません: " + photoPath + "（" + encoded.error().message + "）");
  const std::string bytes =
      withJpegMetadata(*encoded, metadata_, picture.width(), picture.height());
  // Written beside the photo and renamed over it: a failed save leaves the photo as it was.
  if (auto r = writeFileAtomic(photoPath, bytes); !r) return r;
  changed = 0;
  return {};
}

Result<void> PhotoEditor::saveAs(const std::string& path) {
  const std::string previous = photoPath;
  photoPath = path;
  Result<void> r = save();
  if (!r) photoPath = previous;
  return r;
}

bool PhotoEditor::confirmClose() {
  if (changed != 1) return true;
  if (dialogs_.ask("写真を保存しますか？", "写真の保存", DialogButtons::YesNo,
                   DialogIcon::Information) != DialogAnswer::Yes)
    return true;
  if (auto r = save(); !r) {
    report(r.error());
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- commands

void PhotoEditor::rotate(int angle) {
  sStart();
  (void)applyEffect(rotationStep(angle));
  sEnd();
}

EffectStep PhotoEditor::rotationStep(int angle) {
  EffectStep step;
  step.command = EffectCommand::Rotate;
  step.number = angle;
  return step;
}

std::optional<EffectStep> PhotoEditor::prepareEffect(EffectCommand command,
                                                     const std::string& text1,
                                                     const std::string& text2,
                                                     CommandOutcome& outcome) {
  outcome = CommandOutcome::Stopped;
  if (command == EffectCommand::Rotate) {
    // Not a dialog command; the angle is taken as it stands.
    return rotationStep(readInt16(text1));
  }
  if (text1.empty()) return std::nullopt;
  if (command == EffectCommand::Scale && text1 == "100") return std::nullopt;

  AlbumSettings& s = state_.settings;
  EffectStep step;
  step.command = command;
  switch (command) {
    case EffectCommand::Scale:
      s.EditScalePercent = text1;
      break;
    case EffectCommand::RaisedFrame:
      s.EditFrameWidth = text1;
      s.EditFrameColor = text2;
      step.colour = text2;
      break;
    case EffectCommand::BlurFrame:
      s.EditBlurFrameWidth = text1;
      s.EditBlurFrameColor = text2;
      step.colour = text2;
      break;
    case EffectCommand::EllipseColorBlur:
      s.EditEllipseBlurWidth = text1;
      s.EditEllipseBlurColor = text2;
      step.colour = text2;
      break;
    case EffectCommand::EllipseFocusBlur:
      s.EditFocusBlurWidth = text1;
      break;
    case EffectCommand::Composite:
      s.EditCompositeFile = text1;
      s.EditTransparentColor = text2;
      step.file = text1;
      step.colour = text2;
      break;
    case EffectCommand::Rotate:
      break;
  }

  outcome = CommandOutcome::Refused;
  const Image& picture = shown();
  // Numbers are read as the dialog reads them: the leading number, rounded half to even,
  // 0 when there is none. One that does not fit 16 bits is refused here.
  const std::optional<std::int16_t> number =
      command == EffectCommand::Composite ? std::optional<std::int16_t>(0) : tryReadInt16(text1);
  const bool negativeText = leadingNumber(text1) < 0;

  switch (command) {
    case EffectCommand::Scale: {
      if (negativeText || (number && *number <= 0)) {
        refuse("拡大／縮小の比率には0より大きい数を指定してください");
        return std::nullopt;
      }
      if (!number) {
        refuse("拡大／縮小の比率の数値が大きすぎます");
        return std::nullopt;
      }
      const PictureSize size = scaledSize(picture.width(), picture.height(), *number);
      if (!holdable(size)) {
        refuse(scaledSizeMessage(size));
        return std::nullopt;
      }
      step.number = *number;
      break;
    }
    case EffectCommand::RaisedFrame:
    case EffectCommand::BlurFrame:
      if (!number) {
        refuse("枠の太さの数値が大きすぎます");
        return std::nullopt;
      }
      step.number = *number;  // 0 or below draws nothing but still counts as a change
      break;
    case EffectCommand::EllipseColorBlur:
    case EffectCommand::EllipseFocusBlur: {
      const double width = number ? *number : leadingNumber(text1);
      if (!(picture.width() / 2.0 >= width && picture.height() / 2.0 >= width)) {
        refuse(kHalfWidthMessage);
        return std::nullopt;
      }
      if (width < 0 || !number) {
        refuse("ボカシ幅には0以上の数を指定してください");
        return std::nullopt;
      }
      step.number = *number;
      break;
    }
    case EffectCommand::Composite: {
      step.tolerance = compositeTolerance(text1);
      Result<DecodedImage> overlay = loadImageWithTransparency(text1);
      if (!overlay) {
        refuse("合成画像ファイルを読み込めません: " + text1 + "\r" + overlay.error().message);
        return std::nullopt;
      }
      step.overlay = std::move(overlay->image);
      step.overlayTransparent = std::move(overlay->transparent);
      break;
    }
    case EffectCommand::Rotate:
      break;
  }
  outcome = CommandOutcome::Applied;
  return step;
}

Result<void> PhotoEditor::applyEffect(const EffectStep& step) {
  Image& picture = shown();
  switch (step.command) {
    case EffectCommand::Rotate:
      turn(picture, spare(), step.number);
      swapPictures();
      break;
    case EffectCommand::Scale: {
      const PictureSize size = scaledSize(picture.width(), picture.height(), step.number);
      if (!holdable(size))
        return fail("写真を拡大／縮小できません: " + photoPath + "（" + scaledSizeMessage(size) +
                    "）");
      KakuSyuku(picture, spare(), step.number);
      swapPictures();
      break;
    }
    case EffectCommand::RaisedFrame:
      RaisedFrame(picture, step.number, step.colour);
      break;
    case EffectCommand::BlurFrame:
      BlurFrame(picture, step.number, step.colour);
      break;
    case EffectCommand::EllipseColorBlur:
      // A photo too small for the width is left as it is (and, in a batch, still saved).
      EllipseColorBlur(picture, step.number, step.colour);
      break;
    case EffectCommand::EllipseFocusBlur:
      if (EllipseFocusBlur(picture, spare(), step.number)) swapPictures();
      break;
    case EffectCommand::Composite:
      // The overlay is held in the spare picture, as when it was loaded there.
      spare() = step.overlay;
      CompositeImage(picture, step.overlay, step.tolerance, step.colour, step.overlayTransparent);
      break;
  }
  return {};
}

CommandReport PhotoEditor::runBatch(const std::vector<EffectStep>& steps,
                                    const BatchProgress& progress, std::stop_token stop) {
  CommandReport report;
  report.outcome = CommandOutcome::BatchFinished;
  const std::size_t n = state_.photos.size();  // read once
  for (std::size_t k = 1; k <= n; ++k) {
    if (progress) progress(k - 1, n, photoPathOf(static_cast<int>(k)));
    if (stop.stop_requested()) {
      report.outcome = CommandOutcome::BatchStopped;
      break;
    }
    if (auto r = Selimg(static_cast<int>(k)); !r) {
      report.failures.push_back(r.error().message);
      continue;
    }
    bool applied = true;
    for (const EffectStep& step : steps) {
      if (auto r = applyEffect(step); !r) {
        report.failures.push_back(r.error().message);
        applied = false;
        break;
      }
    }
    if (!applied) continue;  // the photo file stays as it was
    if (auto r = save(); !r) {
      report.failures.push_back(r.error().message);
      continue;
    }
    ++report.photosSaved;
  }
  if (progress && report.outcome == CommandOutcome::BatchFinished) progress(n, n, {});
  return report;
}

std::optional<EffectStep> PhotoEditor::beginEffectCommand(EffectCommand command,
                                                          const EffectDialogAnswer& answer,
                                                          CommandOutcome& outcome) {
  outcome = CommandOutcome::Stopped;
  if (!answer.ok) return std::nullopt;
  std::optional<EffectStep> step = prepareEffect(command, answer.text1, answer.text2, outcome);
  if (!step) return std::nullopt;

  if (answer.allPhotos && changed == 1) {
    if (dialogs_.ask("現在の写真の変更を保存しますか？", "写真の保存", DialogButtons::YesNo,
                     DialogIcon::Information) == DialogAnswer::Yes) {
      // The batch replaces the shown picture; when the save fails the changes would be
      // lost, so the command stops instead.
      if (auto r = save(); !r) {
        outcome = CommandOutcome::Refused;
        report(r.error());
        return std::nullopt;
      }
    }
  }
  return step;
}

CommandReport PhotoEditor::executeEffectCommand(const EffectStep& step, bool allPhotos,
                                                const BatchProgress& progress,
                                                std::stop_token stop) {
  CommandReport result;
  sStart();
  if (allPhotos) {
    result = runBatch({step}, progress, stop);
  } else {
    result.outcome = CommandOutcome::Applied;
    if (auto r = applyEffect(step); !r) result.failures.push_back(r.error().message);
  }
  sEnd();
  return result;
}

void PhotoEditor::showFailures(const CommandReport& result) {
  if (result.failures.empty()) return;
  if (result.outcome == CommandOutcome::Applied) {
    dialogs_.message(result.failures.front(), kProgramTitle, DialogIcon::Warning);
    return;
  }
  std::string text = "次の写真は加工できませんでした。";
  for (const std::string& f : result.failures) text += "\r" + f;
  dialogs_.message(text, kProgramTitle, DialogIcon::Warning);
}

CommandReport PhotoEditor::runEffectCommand(EffectCommand command, const EffectDialogAnswer& answer,
                                            const BatchProgress& progress, std::stop_token stop) {
  CommandReport result;
  std::optional<EffectStep> step = beginEffectCommand(command, answer, result.outcome);
  if (!step) return result;
  result = executeEffectCommand(*step, answer.allPhotos, progress, stop);
  showFailures(result);
  return result;
}

}  // namespace fotela
