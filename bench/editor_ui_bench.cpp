// The longest time the editor window's event loop goes unanswered while a command runs on
// a 24-megapixel photo (6000 x 4000). A 1 ms timer notes the gaps between its ticks; the
// longest gap beyond the timer's own period is the stall a user would feel.
//
//   build/bin/editor_ui_bench [WIDTH HEIGHT]     (QT_QPA_PLATFORM=offscreen works)

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "common/scripted_dialogs.h"
#include "editor/editor_window.h"
#include "editor/parameter_dialog.h"
#include "imaging/codec.h"
#include "program/program_state.h"

namespace {

struct Stall {
  qint64 longestMs = 0;
  qint64 totalMs = 0;
};

// Runs `start` and measures the event loop until the window reports the command done.
Stall measure(fotela::app::EditorWindow& window, const std::function<void()>& start) {
  QElapsedTimer clock;
  QTimer ticker;
  ticker.setInterval(1);
  ticker.setTimerType(Qt::PreciseTimer);
  Stall stall;
  qint64 last = 0;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    stall.longestMs = std::max(stall.longestMs, now - last);
    last = now;
  });
  QEventLoop loop;
  QObject::connect(&window, &fotela::app::EditorWindow::commandFinished, &loop, &QEventLoop::quit);
  clock.start();
  ticker.start();
  QTimer::singleShot(0, start);
  loop.exec();
  stall.totalMs = clock.elapsed();
  return stall;
}

// Answers the parameter dialog with `text1` and OK once it is up.
void answerDialog(const QString& text1) {
  QTimer::singleShot(0, [text1] {
    auto* dialog = qobject_cast<fotela::app::ParameterDialog*>(QApplication::activeModalWidget());
    if (!dialog) return answerDialog(text1);
    dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(text1);
    dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
  });
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int width = argc > 2 ? std::atoi(argv[1]) : 6000;
  const int height = argc > 2 ? std::atoi(argv[2]) : 4000;

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("fotela-ui-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string photo = (dir / "large.jpg").string();
  {
    fotela::Image picture(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) picture.setPixel(x, y, (x * 7 + y * 3) & 0xFFFFFF);
    const auto bytes = fotela::encodeJpeg(picture, 90);
    FILE* f = std::fopen(photo.c_str(), "wb");
    std::fwrite(bytes->data(), 1, bytes->size(), f);
    std::fclose(f);
  }

  fotela::ProgramState state;
  state.settings.EditFocusBlurWidth = "200";
  fotela::ScriptedDialogs dialogs;
  fotela::app::EditorWindow window(state, dialogs, QString::fromStdString(photo));
  auto action = [&](const char* name) {
    return window.findChild<QAction*>(QString::fromLatin1(name));
  };

  std::printf("editor window, %d x %d photo: longest event-loop gap while the command runs\n",
              width, height);
  const Stall load = measure(window, [&] { window.show(); });
  std::printf("  %-28s %6lld ms longest gap, %6lld ms in all\n", "first load", load.longestMs,
              load.totalMs);
  const struct {
    const char* label;
    const char* action;
    const char* text1;
  } commands[] = {
      {"rotate 90", "mnu90", nullptr},           {"focus blur, width 200", "mnuDaenPint", "200"},
      {"scale 50 %", "mnuKakuSyuku", "50"},      {"reload", "mnuReOpen", nullptr},
      {"save (quality 70)", "mnuSave", nullptr},
  };
  for (const auto& c : commands) {
    if (c.text1) answerDialog(QString::fromLatin1(c.text1));
    const Stall s = measure(window, [&] { action(c.action)->trigger(); });
    std::printf("  %-28s %6lld ms longest gap, %6lld ms in all\n", c.label, s.longestMs, s.totalMs);
  }
  window.hide();
  std::filesystem::remove_all(dir);
  return 0;
}
