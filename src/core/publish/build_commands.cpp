#include "publish/build_commands.h"

#include "common/user_dialogs.h"
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

}  // namespace

BuildOutcome buildAlbum(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks) {
  if (state.photos.empty()) {
    dialogs.message(kNoPhotosMessage, kBuildCaption, DialogIcon::Information);
    return BuildOutcome::NoPhotos;
  }
  if (hooks.busy) hooks.busy(true);
  setStatus(hooks, kStatusBuilding);
  state.ThumbRunMode = 0;
  makeCopies(state, dialogs, hooks);
  AlbumPagesOutcome outcome = WriteAlbumPages(state, dialogs);
  // Shown also after a failure: the build has ended either way.
  setStatus(hooks, kStatusBuilt);
  if (hooks.busy) hooks.busy(false);
  return pagesOutcome(outcome);
}

BuildOutcome buildPagesOnly(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks) {
  setStatus(hooks, kStatusBuilding);
  AlbumPagesOutcome outcome = WriteAlbumPages(state, dialogs);
  setStatus(hooks, kStatusBuilt);
  return pagesOutcome(outcome);
}

ThumbRunResult buildCopiesOnly(ProgramState& state, UserDialogs& dialogs, const BuildHooks& hooks) {
  state.ThumbRunMode = 1;
  return makeCopies(state, dialogs, hooks);
}

}  // namespace fotela
