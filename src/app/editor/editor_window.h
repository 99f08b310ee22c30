#pragma once
// The photo editor window "写真編集": one photo at its natural size in a scroll area, the
// file commands, the rotations and the six effects. Modal; it holds its own menu bar.
//
// Usage: EditorWindow editor(state, dialogs, photoPath, parent); editor.exec();
// Every command that reads or writes the photo runs on a worker thread with the busy
// pointer, while the menus are disabled; the window keeps painting and answering.

#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "editor/photo_editor.h"

class QAction;
class QMenuBar;
class QProgressDialog;
class QScrollArea;

namespace fotela {
struct ProgramState;
class UserDialogs;
}  // namespace fotela

namespace fotela::app {

class BusyCursor;
class ParameterDialog;
class PictureView;

class EditorWindow : public QDialog {
  Q_OBJECT
 public:
  EditorWindow(ProgramState& state, UserDialogs& dialogs, const QString& photoPath,
               QWidget* parent = nullptr);
  ~EditorWindow() override;

  // The file chooser of 開く and 名前を付けて保存 (tests replace it): gets the dialog's
  // title and the current path, gives the chosen path or nullopt on cancel.
  using FileChooser =
      std::function<std::optional<QString>(const QString& title, const QString& start)>;
  void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
  // Called with every parameter dialog the window makes (tests set its choosers).
  void setDialogPrepared(std::function<void(ParameterDialog&)> prepared) {
    dialogPrepared_ = std::move(prepared);
  }

  // The photo being edited, and whether a command is running.
  QString photoPath() const { return QString::fromStdString(editor_.photoPath); }
  bool busy() const { return running_; }

 signals:
  // A command that ran on the worker has ended and its results are shown.
  void commandFinished();

 protected:
  void showEvent(QShowEvent* event) override;
  // Every way of closing comes here (close box, Escape, the menu's close items).
  void reject() override;

 private:
  using Continuation = std::function<void()>;
  // Runs `work` on the worker with the busy pointer and the menus disabled; the
  // continuation it returns then runs on this thread.
  void runJob(std::function<Continuation(std::stop_token)> work);
  void setCommandsEnabled(bool enabled);
  void fitToPicture();
  ParameterDialog& parameterDialog();

  void loadFirstPhoto();
  void openPhoto();
  void savePhoto(Continuation afterSave = {});
  void savePhotoAs();
  void reloadPhoto();
  void saveAndClose();
  void closeWithoutSaving();
  void rotate(int angle);
  void effectCommand(EffectCommand command);
  // A load's or save's failure, shown as the editor reports them.
  Continuation reportIfFailed(const Result<void>& result);

  ProgramState& state_;
  UserDialogs& dialogs_;
  PhotoEditor editor_;
  bool activated_ = false;
  bool running_ = false;

  QMenuBar* menuBar_;
  QScrollArea* scrollArea_;
  PictureView* picture_;
  std::vector<QAction*> commands_;
  std::unique_ptr<ParameterDialog> dialog_;
  QProgressDialog* progress_ = nullptr;
  std::unique_ptr<BusyCursor> busyCursor_;
  FileChooser fileChooser_;
  std::function<void(ParameterDialog&)> dialogPrepared_;
  std::jthread worker_;  // last: stopped and joined before the editor goes
};

}  // namespace fotela::app
