#pragma once
// The main window's menu commands that work on the folder's files or open another
// window. Each takes the window that owns what it shows and returns whether the folder
// must be read again (the photo list refreshed).

#include <QWidget>

#include "main_window/album_preview.h"

namespace fotela {
struct ProgramState;
class UserDialogs;
}  // namespace fotela

namespace fotela::app {

// The camera commands are enabled while a camera folder is set.
bool cameraCommandsEnabled(const ProgramState& state);

// カメラより写真をコピー: copies the camera folder's files into the photo folder on a
// worker, under a progress window whose "中止" stops it between two files. Refuses when
// the camera folder is the photo folder or one of its copy sub-folders. Always true.
bool copyFromCamera(QWidget* parent, ProgramState& state, UserDialogs& dialogs);
// カメラの写真を削除: deletes the camera folder's files the same way, with the same refusal.
// False.
bool deleteFromCamera(QWidget* parent, ProgramState& state, UserDialogs& dialogs);
// フォルダーを作成: asks for a name and makes that sub-folder of the photo folder. True
// when the folder was made.
bool createFolder(QWidget* parent, ProgramState& state, UserDialogs& dialogs);
// ファイル名を小文字に統一: lower-cases the photo files' names; names that are taken are
// skipped and listed in one warning. True when a file was renamed.
bool lowerCaseFileNames(QWidget* parent, ProgramState& state, UserDialogs& dialogs);
// メニューHTMLを作成: writes index.html into the photo folder (asking before replacing
// one). False.
bool createMenuPage(QWidget* parent, ProgramState& state, UserDialogs& dialogs);
// 操作説明: opens help.htm. False.
bool showHelpPage(QWidget* parent, ProgramState& state, UserDialogs& dialogs);
// ﾊﾞｰｼﾞｮﾝ情報: the about box, modal. False.
bool showAbout(QWidget* parent, ProgramState& state, UserDialogs& dialogs);
// 設定: the settings dialog, modal. True when "OK" applied the boxes; the caller then
// shows the album title and sets the camera commands' enabled state.
bool showSettings(QWidget* parent, ProgramState& state, UserDialogs& dialogs);

// How help.htm is opened (QDesktopServices by default); tests put their own here.
void setDocumentOpener(UrlOpener open);

}  // namespace fotela::app
