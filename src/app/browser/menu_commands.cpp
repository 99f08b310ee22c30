#include "browser/menu_commands.h"

#include <QInputDialog>

#include "about/frm_about.h"
#include "common/busy_cursor.h"
#include "common/document.h"
#include "common/user_dialogs.h"
#include "photos/folder_tools.h"
#include "program/program_state.h"
#include "publish/menu_page.h"
#include "settings_ui/dialog.h"

namespace fotela::app {
namespace {

UrlOpener& documentOpener() {
  static UrlOpener open = openWithDesktop;
  return open;
}

}  // namespace

void setDocumentOpener(UrlOpener open) {
  documentOpener() = std::move(open);
}

bool cameraCommandsEnabled(const ProgramState& state) {
  return !state.settings.CameraFolder.empty();
}

bool copyFromCamera(QWidget*, ProgramState& state, UserDialogs& dialogs) {
  int failed = 0;
  {
    BusyCursor busy;
    failed = copyCameraFiles(state.settings);
  }
  if (failed != 0) dialogs.message("コピーに失敗しました", "写真のコピー", DialogIcon::Critical);
  // Files copied before a failure appear too.
  return true;
}

bool deleteFromCamera(QWidget*, ProgramState& state, UserDialogs& dialogs) {
  int failed = 0;
  {
    BusyCursor busy;
    failed = deleteCameraFiles(state.settings);
  }
  if (failed != 0) dialogs.message("削除に失敗しました", "写真の削除", DialogIcon::Critical);
  return false;
}

bool createFolder(QWidget* parent, ProgramState& state, UserDialogs& dialogs) {
  QInputDialog input(parent);
  input.setWindowTitle(QStringLiteral("新しいフォルダ作成"));
  input.setLabelText(QStringLiteral("写真を入れるフォルダー名を入力してください。"));
  input.setInputMode(QInputDialog::TextInput);
  input.setOkButtonText(QStringLiteral("OK"));
  input.setCancelButtonText(QStringLiteral("キャンセル"));
  if (input.exec() != QDialog::Accepted) return false;
  const std::string name = input.textValue().toStdString();
  if (name.empty()) return false;
  if (!makeSubFolder(state.settings.PhotoFolder, name)) {
    dialogs.message("すでにフォルダーは存在します", kProgramTitle, DialogIcon::None);
    return false;
  }
  return true;
}

bool lowerCaseFileNames(QWidget*, ProgramState& state, UserDialogs& dialogs) {
  LowerCaseResult result;
  {
    BusyCursor busy;
    result = lowerCaseJpegNames(state.settings.PhotoFolder);
  }
  if (!result.skipped.empty() || !result.failed.empty()) {
    std::string text;
    if (!result.skipped.empty()) {
      text += "小文字の名前がすでに使われているため、次のファイルの名前は変更しませんでした。";
      for (const std::string& name : result.skipped) text += "\n" + name;
    }
    if (!result.failed.empty()) {
      if (!text.empty()) text += "\n\n";
      text += "次のファイルの名前を変更できませんでした。";
      for (const std::string& name : result.failed) text += "\n" + name;
    }
    dialogs.message(text, kProgramTitle, DialogIcon::Warning);
  }
  return !result.renamed.empty();
}

bool createMenuPage(QWidget*, ProgramState& state, UserDialogs& dialogs) {
  WriteMenuPage(state, dialogs);
  return false;
}

bool showHelpPage(QWidget*, ProgramState&, UserDialogs& dialogs) {
  showHelp(
      [](const std::string& path) {
        return documentOpener()(QUrl::fromLocalFile(QString::fromStdString(path)));
      },
      dialogs);
  return false;
}

bool showAbout(QWidget* parent, ProgramState&, UserDialogs& dialogs) {
  frmAbout about(dialogs, parent);
  about.exec();
  return false;
}

bool showSettings(QWidget* parent, ProgramState& state, UserDialogs& dialogs) {
  Dialog dialog(state, dialogs, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace fotela::app
