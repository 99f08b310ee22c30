#include "program/program_state.h"

namespace fotela {

std::unique_ptr<ProgramState> workerCopy(const ProgramState& from) {
  auto to = std::make_unique<ProgramState>();
  to->settings = from.settings;
  to->AutoMode = from.AutoMode;
  to->SplitViewScript = from.SplitViewScript;
  to->OrderChanged = from.OrderChanged;
  to->LastAlbumPage = from.LastAlbumPage;
  to->ThumbRunMode = from.ThumbRunMode;
  to->LastSettingsPath = from.LastSettingsPath;
  to->albumStyle = from.albumStyle;
  to->runWaiting = from.runWaiting;
  to->albumViewEnabled = from.albumViewEnabled;
  to->photos = from.photos;
  to->order = from.order;
  return to;
}

}  // namespace fotela
