#pragma once
// UserDialogs for core jobs that run on a worker thread: every message and question is
// shown on the UI thread (the worker waits for the answer). May be called from any thread.

#include <QObject>

#include "common/user_dialogs.h"

namespace fotela::app {

class UiThreadDialogs final : public UserDialogs {
 public:
  // `ui` is any object that lives on the UI thread; `dialogs` is used on that thread only.
  UiThreadDialogs(QObject* ui, UserDialogs& dialogs) : ui_(ui), dialogs_(dialogs) {}

  void message(const std::string& text, const std::string& caption, DialogIcon icon) override;
  DialogAnswer ask(const std::string& text, const std::string& caption, DialogButtons buttons,
                   DialogIcon icon) override;

 private:
  template <class F>
  void onUiThread(F&& f);

  QObject* ui_;
  UserDialogs& dialogs_;
};

}  // namespace fotela::app
