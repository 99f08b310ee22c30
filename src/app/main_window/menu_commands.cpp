#include "main_window/menu_commands.h"

#include <QInputDialog>
#include <QProgressDialog>

#include <thread>

#include "about/about_box.h"
#include "common/busy_cursor.h"
#include "common/document.h"
#include "common/user_dialogs.h"
#include "photos/folder_tools.h"
#include "program/program_state.h"
#include "publish/menu_page.h"
#include "settings_ui/settings_dialog.h"

namespace fotela::app {
namespace {

UrlOpener& documentOpener() {
  static UrlOpener open = openWithDesktop;
  return open;
}

using FileLoop = std::function<int(const FileLoopProgress&, std::stop_token)>;

// Runs a loop over a card's files on a worker while a modal progress window names the file
// being done; "中止" or the close box stop it between two files.
int runFileLoop(QWidget* parent, const QString& caption, const FileLoop& loop) {
  QProgressDialog box(parent);
  box.setWindowTitle(caption);
  box.setCancelButtonText(QStringLiteral("中止"));
  box.setAutoClose(false);
  box.setAutoReset(false);
  box.setMinimumDuration(0);
  box.setWindowModality(Qt::ApplicationModal);
  int result = kFilesFailed;
  std::jthread worker([&box, &loop, &result](std::stop_token stop) {
    result = loop(
        [&box](std::size_t done, std::size_t total, const std::string& name) {
          QMetaObject::invokeMethod(
              &box,
              [&box, done, total, name = QString::fromStdString(name)] {
                box.setMaximum(static_cast<int>(total));
                box.setValue(static_cast<int>(done));
                box.setLabelText(name);
              },
              Qt::QueuedConnection);
        },
        stop);
    QMetaObject::invokeMethod(
        &box, [&box] { box.done(0); }, Qt::QueuedConnection);
  });
  QObject::connect(&box, &QProgressDialog::canceled, &box, [&worker] { worker.request_stop(); });
  BusyCursor busy;
  box.exec();
  worker.join();
  return result;
}

}  // namespace

void setDocumentOpener(UrlOpener open) {
  documentOpener() = std::move(open);
}

bool cameraCommandsEnabled(const ProgramState& state) {
  return !state.settings.CameraFolder.empty();
}

namespace {

using CameraLoop = int (*)(const AlbumSettings&, const FileLoopProgress&, std::stop_token);

// One of the camera commands on a snapshot of the settings; a failure gets `failure` in a
// message with the window's caption.
void runCameraCommand(QWidget* parent, const ProgramState& state, UserDialogs& dialogs,
                      const char* caption, const char* failure, CameraLoop loop) {
  const AlbumSettings settings = state.settings;
  const int result =
      runFileLoop(parent, QString::fromUtf8(caption),
                  [&settings, loop](const FileLoopProgress& progress, std::stop_token stop) {
                    return loop(settings, progress, stop);
                  });
  if (result == kFilesFailed) dialogs.message(failure, caption, DialogIcon::Critical);
}

}  // namespace

bool copyFromCamera(QWidget* parent, ProgramState& state, UserDialogs& dialogs) {
  runCameraCommand(parent, state, dialogs, "写真のコピー", "コピーに失敗しました", copyCameraFiles);
  // Files copied before a failure appear too.
  return true;
}

bool deleteFromCamera(QWidget* parent, ProgramState& state, UserDialogs& dialogs) {
  runCameraCommand(parent, state, dialogs, "写真の削除", "削除に失敗しました", deleteCameraFiles);
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
  AboutBox about(dialogs, parent);
  about.exec();
  return false;
}

bool showSettings(QWidget* parent, ProgramState& state, UserDialogs& dialogs) {
  SettingsDialog dialog(state, dialogs, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace fotela::app
