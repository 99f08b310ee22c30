#include "main_window/build_runner.h"

#include <QEventLoop>

#include <sys/resource.h>
#include <unistd.h>

#include "program/program_state.h"

namespace fotela::app {

BuildRunner::BuildRunner(UserDialogs& dialogs, QObject* parent)
    : QObject(parent), dialogs_(dialogs), uiDialogs_(this, dialogs) {}

BuildRunner::~BuildRunner() {
  wait();
}

bool BuildRunner::start(Command command, ProgramState& state, CopyMaker makeCopies) {
  if (running()) return false;
  target_ = &state;
  build_ = workerCopy(state);
  orderChangedAtStart_ = state.OrderChanged != 0;
  makeCopies_ = std::move(makeCopies);
  worker_ = std::jthread([this, command] {
    // Below the UI thread: on a busy machine the window is served first.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
    auto post = [this](auto f) {
      QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
    };
    BuildHooks hooks;
    hooks.status = [this, post](const std::string& text) {
      post([this, text = QString::fromStdString(text)] { emit statusChanged(text); });
    };
    hooks.busy = [this, post](bool busy) { post([this, busy] { emit busyChanged(busy); }); };
    if (makeCopies_) {
      hooks.makeCopies = [this](ProgramState& state, UserDialogs&) {
        ThumbRunResult result;
        QMetaObject::invokeMethod(
            this, [this, &state, &result] { result = makeCopies_(state, dialogs_); },
            Qt::BlockingQueuedConnection);
        return result;
      };
    }
    const BuildOutcome outcome = command == Command::Album
                                     ? buildAlbum(*build_, uiDialogs_, hooks)
                                     : buildPagesOnly(*build_, uiDialogs_, hooks);
    post([this, outcome] { ended(outcome); });
  });
  return true;
}

void BuildRunner::ended(BuildOutcome outcome) {
  worker_.join();
  ProgramState& state = *target_;
  state.LastAlbumPage = build_->LastAlbumPage;
  state.albumViewEnabled = build_->albumViewEnabled;
  state.ThumbRunMode = build_->ThumbRunMode;
  // The writer saved the order file: the list and the file agree now.
  if (orderChangedAtStart_ && build_->OrderChanged == 0) state.OrderChanged = 0;
  build_.reset();
  makeCopies_ = {};
  emit finished(outcome);
}

void BuildRunner::wait() {
  if (!running()) return;
  QEventLoop loop;
  connect(this, &BuildRunner::finished, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace fotela::app
