#pragma once
// The photo editor without its window: the two work pictures, the photo they came from,
// the file commands, the rotations, and the procedure that runs the six parameterised
// effects on the shown photo or, as a batch, on every photo of the list.
//
// One thread at a time. The window may run a command (above all a batch) on a worker
// thread; it then leaves the editor alone until the command returns, and its UserDialogs
// must be callable from that thread. Progress and stop replace the event-loop yields.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/user_dialogs.h"
#include "editor/effect_command.h"
#include "editor/jpeg_metadata.h"
#include "imaging/image.h"
#include "program/program_state.h"

namespace fotela {

// A command's values, read and checked, ready to apply to any photo.
struct EffectStep {
  EffectCommand command = EffectCommand::Scale;
  int number = 0;                        // ratio in percent, width, thickness or angle
  std::string colour;                    // colour text, as typed
  std::string file;                      // composite: the overlay's file name
  Image overlay;                         // composite: the overlay's picture
  std::vector<bool> overlayTransparent;  // composite: its pixels of alpha 0 (may be empty)
  int tolerance = 14;                    // composite
};

// How a command ended.
enum class CommandOutcome {
  Stopped,        // cancelled, empty Text1 or scale "100": nothing stored, nothing changed
  Refused,        // a message was shown; the texts are stored, the picture is unchanged
  Applied,        // the effect changed the shown photo
  BatchFinished,  // every photo of the list was processed (see failures)
  BatchStopped,   // the batch was stopped; the photos before the stop were saved
};
// After either batch outcome the window unticks its all-photos box; after the others the
// box keeps its state for the next command.

struct CommandReport {
  CommandOutcome outcome = CommandOutcome::Stopped;
  std::size_t photosSaved = 0;
  std::vector<std::string> failures;  // one message per photo that could not be done
};

// Called before each photo of a batch (done = photos finished so far) and once at the end.
using BatchProgress =
    std::function<void(std::size_t done, std::size_t total, const std::string& photoPath)>;

class PhotoEditor {
 public:
  PhotoEditor(ProgramState& state, UserDialogs& dialogs) : state_(state), dialogs_(dialogs) {}

  // ---- state
  std::array<Image, 2> Picture1;
  std::int16_t shownPicture = -1;  // -1 until the first photo is loaded
  std::int16_t sparePicture = 1;
  std::int16_t changed = 0;
  std::string photoPath;

  Image& shown() { return Picture1[shownPicture == 1 ? 1 : 0]; }
  const Image& shown() const { return Picture1[shownPicture == 1 ? 1 : 0]; }
  Image& spare() { return Picture1[shownPicture == 1 ? 0 : 1]; }

  // The busy pointer: called with true by sStart, false by sEnd, on the thread that runs
  // the command.
  std::function<void(bool busy)> busyChanged;
  void sStart();  // busy pointer on; changed = 1
  void sEnd();    // busy pointer off

  // ---- file commands. Failures come back with a message naming the file; the editor's
  // state is then unchanged.

  // Loads `path` into the shown picture (picture 0 on first use): photoPath = path,
  // changed = 0. Used by the first activation, open and reload.
  Result<void> loadPhoto(const std::string& path);
  Result<void> reload() { return loadPhoto(photoPath); }
  // Photo number k (from 1) of the photo list into the shown picture; photoPath follows.
  // changed and the picture indexes are not touched.
  Result<void> Selimg(int k);
  // The shown picture as a JPEG at quality 70 to photoPath, whatever its extension,
  // replacing the file atomically; changed = 0. The EXIF (orientation reset to 1) and ICC
  // segments of the loaded photo go along.
  Result<void> save();
  Result<void> saveAs(const std::string& path);
  // The close question: when changed is 1, asks "写真を保存しますか？" and saves on Yes.
  // A failed save is shown and returns false (the window should then stay open).
  bool confirmClose();

  // ---- commands
  // mnu90 / mnu270 / mnu180: sStart, turn, sEnd.
  void rotate(int angle);

  // The command procedure after the dialog has closed: stop, store the texts in
  // AlbumSettings, parse and check, then apply once or, with allPhotos, to every photo of
  // the list (load, apply, save each). Messages go through UserDialogs.
  CommandReport runEffectCommand(EffectCommand command, const EffectDialogAnswer& answer,
                                 const BatchProgress& progress = {}, std::stop_token stop = {});

  // runEffectCommand in three steps, for a window that runs the work on a worker thread:
  // beginEffectCommand on the UI thread (stop, store, check, the question about saving the
  // current photo; messages go through UserDialogs), then executeEffectCommand on any
  // thread (sStart, the effect or the batch, sEnd; it shows nothing, failures come back in
  // the report), then showFailures on the UI thread.
  std::optional<EffectStep> beginEffectCommand(EffectCommand command,
                                               const EffectDialogAnswer& answer,
                                               CommandOutcome& outcome);
  CommandReport executeEffectCommand(const EffectStep& step, bool allPhotos,
                                     const BatchProgress& progress = {}, std::stop_token stop = {});
  void showFailures(const CommandReport& report);

  // The pieces of runEffectCommand, for callers that chain several effects (the command
  // line). prepareEffect stores, parses and checks against the shown picture: a step, or
  // nullopt with `outcome` Stopped or Refused (a message was shown).
  std::optional<EffectStep> prepareEffect(EffectCommand command, const std::string& text1,
                                          const std::string& text2, CommandOutcome& outcome);
  static EffectStep rotationStep(int angle);
  // Applies a step to the shown picture (swapping the pictures where it draws into the
  // spare one). Fails only when a scaled size cannot be held.
  Result<void> applyEffect(const EffectStep& step);
  // Every photo of the list: Selimg, the steps in order, save.
  CommandReport runBatch(const std::vector<EffectStep>& steps, const BatchProgress& progress = {},
                         std::stop_token stop = {});

  // Shows a failure the way the editor reports them.
  void report(const Error& error);

 private:
  void refuse(const std::string& text);
  void swapPictures() { std::swap(shownPicture, sparePicture); }
  Result<void> loadInto(const std::string& path, Image& picture, JpegMetadata& metadata);
  std::string photoPathOf(int k) const;

  ProgramState& state_;
  UserDialogs& dialogs_;
  JpegMetadata metadata_;  // of the photo last loaded, carried into its saves
};

}  // namespace fotela
