#include "publish/build_commands.h"

#include "common/user_dialogs.h"
#include "program/album_run.h"
#include "program/program_state.h"
#include "publish/album_pages.h"

namespace fotela {
namespace {

void setStatus(const BuildHooks& hooks, const char* text) {
  if (hooks.status) hooks.status(text);
}

ThumbRunResult makeCopies(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks) {
  if (hooks.makeCopies) return hooks.makeCopies(state, dialogs);
  return runThumbnailMaker(state, dialogs, CopyMode::All);
}

BuildOutcome pagesOutcome(AlbumPagesOutcome outcome) {
  switch (outcome) {
    case AlbumPagesOutcome::NoPhotos:
      return BuildOutcome::NoPhotos;
    case AlbumPagesOutcome::Written:
      return BuildOutcome::Written;
    case AlbumPagesOutcome::Failed:
      break;
  }
  return BuildOutcome::Failed;
}

// False after the message: the names of the settings would write outside the album.
bool namesAllowed(const ProgramState& state, UserDialogs& dialogs) {
  auto names = checkAlbumNames(state.settings);
  if (!names) dialogs.message(names.error().message, kErrorCaption, DialogIcon::Warning);
  return names.has_value();
}

const char* finalStatus(BuildOutcome outcome) {
  switch (outcome) {
    case BuildOutcome::Written:
      return kStatusBuilt;
    case BuildOutcome::Partial:
      return kStatusBuiltWithout;
    case BuildOutcome::NoPhotos:
      return kNoPhotosMessage;
    case BuildOutcome::Failed:
      break;
  }
  return kStatusNotBuilt;
}

}  // namespace

BuildOutcome buildAlbum(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks) {
  if (state.photos.empty()) {
    dialogs.message(kNoPhotosMessage, kBuildCaption, DialogIcon::Information);
    return BuildOutcome::NoPhotos;
  }
  if (hooks.busy) hooks.busy(true);
  setStatus(hooks, kStatusBuilding);
  BuildOutcome outcome = BuildOutcome::Failed;
  if (namesAllowed(state, dialogs)) {
    // One run from the copies to the pages.
    AlbumRun run(state);
    state.ThumbRunMode = 0;
    const ThumbRunResult copies = makeCopies(state, dialogs, hooks);
    outcome = pagesOutcome(WriteAlbumPages(state, dialogs, copies.failedPhotos));
    if (!copies.failedPhotos.empty()) {
      // The warning of the thumbnail maker named them; without any photo there is no album.
      outcome = outcome == BuildOutcome::Written ? BuildOutcome::Partial : BuildOutcome::Failed;
    }
  }
  setStatus(hooks, finalStatus(outcome));
  if (hooks.busy) hooks.busy(false);
  return outcome;
}

BuildOutcome buildPagesOnly(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks) {
  setStatus(hooks, kStatusBuilding);
  BuildOutcome outcome = BuildOutcome::Failed;
  if (state.photos.empty() || namesAllowed(state, dialogs))
    outcome = pagesOutcome(WriteAlbumPages(state, dialogs));
  setStatus(hooks, finalStatus(outcome));
  return outcome;
}

ThumbRunResult buildCopiesOnly(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks) {
  state.ThumbRunMode = 1;
  if (auto names = checkCopyFolderNames(state.settings); !names) {
    dialogs.message(names.error().message, kErrorCaption, DialogIcon::Warning);
    ThumbRunResult refused;
    refused.failures.push_back(names.error());
    return refused;
  }
  return makeCopies(state, dialogs, hooks);
}

}  // namespace fotela
