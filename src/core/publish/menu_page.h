#pragma once
// The menu page "index.html" of a parent folder: one link per sub-folder's album,
// oldest sub-folder first.

namespace fotela {

struct ProgramState;
class UserDialogs;

inline constexpr const char* kMenuOverwriteQuestion =
    "すでに index.html が存在します。\n\r上書きしますか？";
inline constexpr const char* kMenuFailedMessage = "メニューが作れません。";

enum class MenuPageOutcome {
  Written,
  Declined,  // index.html existed and the user answered No; the file is untouched
  Failed,    // "メニューが作れません。" was shown, with the file that failed
};

// Writes index.html into state.settings.PhotoFolder, asking before replacing one, in the
// style of state.albumStyle, under an AlbumRun for that folder.
MenuPageOutcome WriteMenuPage(ProgramState& state, UserDialogs& dialogs);

}  // namespace fotela
