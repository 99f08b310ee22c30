#pragma once
// The thumbnail window "縮小画像作成": runs the thumbnail maker on its worker threads and
// shows each finished copy. "中止" and the close box stop the run after the copy being
// made; nothing is left half-written. The window closes itself when the run ends.

#include <QDialog>

#include <memory>
#include <stop_token>
#include <thread>

#include "common/ui_thread_dialogs.h"
#include "thumbs/thumb_maker.h"

class QLabel;
class QPushButton;

namespace fotela::app {

class ThumbnailWindow : public QDialog {
  Q_OBJECT
 public:
  // `dialogs` answers the folder question and shows the failure warning (UI thread).
  explicit ThumbnailWindow(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~ThumbnailWindow() override;  // stops a run and waits for it

  // Modal: makes the copies of `state` and returns when the window has closed.
  ThumbRunResult runModal(ProgramState& state, CopyMode mode);
  // Not modal: starts the run on `state`, which must stay alive and untouched until
  // runFinished() (the caller passes a snapshot); returns at once.
  void start(ProgramState& state, CopyMode mode);

  bool running() const { return worker_.joinable() && !done_; }
  const ThumbRunResult& runResult() const { return result_; }
  // Asks the run to stop after the copy being made; waits for it when `wait`.
  void requestStop(bool wait = false);

 signals:
  void runFinished(const fotela::ThumbRunResult& result);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void showCopy(const QString& file, int phase, qulonglong done, qulonglong total,
                const QImage& picture);
  void runEnded();

  UiThreadDialogs dialogs_;
  QLabel* status_;
  QLabel* preview_;
  QPushButton* stopButton_;
  std::jthread worker_;
  ThumbRunResult result_;
  bool done_ = false;
};

}  // namespace fotela::app
