#include "common/ui_thread_dialogs.h"

#include <QThread>

namespace fotela::app {

template <class F>
void UiThreadDialogs::onUiThread(F&& f) {
  if (QThread::currentThread() == ui_->thread())
    f();
  else
    QMetaObject::invokeMethod(ui_, std::forward<F>(f), Qt::BlockingQueuedConnection);
}

void UiThreadDialogs::message(const std::string& text, const std::string& caption,
                              DialogIcon icon) {
  onUiThread([&] { dialogs_.message(text, caption, icon); });
}

DialogAnswer UiThreadDialogs::ask(const std::string& text, const std::string& caption,
                                  DialogButtons buttons, DialogIcon icon) {
  DialogAnswer answer = DialogAnswer::Cancel;
  onUiThread([&] { answer = dialogs_.ask(text, caption, buttons, icon); });
  return answer;
}

}  // namespace fotela::app
