#pragma once
// The full build and the pages-only build on a worker thread, so that the window keeps
// painting and answering while the pages of thousands of photos are written.
//
// The worker builds from a copy of the program state taken at the start; what the build
// changes (the album page, the show-album flag, the order-changed flag, the thumbnail run
// mode) is given back to the window's state at the end. Messages and questions of the core
// come on the UI thread through the window's UserDialogs while the worker waits for the
// answer; the full build's copies are made by a window on the UI thread the same way.
// A BuildRunner lives on the UI thread and is used there only.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <thread>

#include "common/ui_thread_dialogs.h"
#include "publish/build_commands.h"

namespace fotela {
struct ProgramState;
}

namespace fotela::app {

class BuildRunner : public QObject {
  Q_OBJECT
 public:
  enum class Command { Album, PagesOnly };
  // Makes the reduced copies of the worker's state; runs on the UI thread with the
  // window's own UserDialogs.
  using CopyMaker = std::function<ThumbRunResult(ProgramState& state, UserDialogs& dialogs)>;

  explicit BuildRunner(UserDialogs& dialogs, QObject* parent = nullptr);
  ~BuildRunner() override;  // waits for a running build

  // Starts `command` on a copy of `state`, which is given the results when the build ends
  // (and must live until then). False when a build is running already.
  bool start(Command command, ProgramState& state, CopyMaker makeCopies = {});
  bool running() const { return worker_.joinable(); }
  // Turns the event loop until the running build has ended.
  void wait();

 signals:
  // The core's status texts and busy state, in the order the build gives them.
  void statusChanged(const QString& text);
  void busyChanged(bool busy);
  // The build has ended and the state has its results.
  void finished(fotela::BuildOutcome outcome);

 private:
  void ended(BuildOutcome outcome);

  UserDialogs& dialogs_;
  UiThreadDialogs uiDialogs_;
  CopyMaker makeCopies_;
  ProgramState* target_ = nullptr;
  std::unique_ptr<ProgramState> build_;
  bool orderChangedAtStart_ = false;
  std::jthread worker_;  // last: joined before the rest goes
};

}  // namespace fotela::app
