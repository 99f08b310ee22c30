// The main window while the album pages of 10,000 photos are written: the longest time the
// UI thread went unanswered (a 1 ms timer notes the gaps between its ticks) and the time from
// the command to the final status text, for アルバムＨＴＭＬのみ作成 and for 作成 over copies
// that are already there (the question whether to remake them is answered いいえ).
// On a loaded machine a gap also holds the time the UI thread waited for a processor, so the
// UI thread's own processor time in its longest gap is shown beside it, and a first row
// measures the idle window for as long as the slowest command took.
//
//   build/bin/pages_ui_timing [PHOTOS [RUNS]]   (offscreen unless QT_QPA_PLATFORM says else)

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <time.h>

#include "bench_support.h"
#include "common/paths.h"
#include "common/scripted_dialogs.h"
#include "main_window/main_window.h"
#include "program/program_state.h"
#include "publish/build_commands.h"
#include "window_bench_support.h"

namespace {

using fotela::bench::BenchFolder;

struct Run {
  double longestGapMs = 0;
  double gapCpuMs = 0;  // the UI thread's processor time in that gap
  double totalMs = 0;
};

qint64 threadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Starts `command` from the event loop and turns the loop until `ended` says so, noting the
// longest gap between two ticks of a 1 ms timer.
Run measure(const std::function<void()>& command, const std::function<bool()>& ended) {
  QElapsedTimer clock;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  ticker.setInterval(1);
  QEventLoop loop;
  qint64 last = 0;
  qint64 lastCpu = threadCpuNs();
  Run run;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    const qint64 cpu = threadCpuNs();
    if (double(now - last) / 1e6 > run.longestGapMs) {
      run.longestGapMs = double(now - last) / 1e6;
      run.gapCpuMs = double(cpu - lastCpu) / 1e6;
    }
    last = now;
    lastCpu = cpu;
    if (ended()) loop.quit();
  });
  clock.start();
  ticker.start();
  QTimer::singleShot(0, command);
  loop.exec();
  run.totalMs = double(clock.nsecsElapsed()) / 1e6;
  return run;
}

// A build command, measured until the status bar shows a final text with 作成 enabled again.
Run measureBuild(fotela::app::MainWindow& window, const std::function<void()>& command) {
  auto* status = window.findChild<QLabel*>(QStringLiteral("sbStatusBar"));
  auto* build = window.findChild<QPushButton*>(QStringLiteral("Command1"));
  status->clear();
  const QString built = QString::fromUtf8(fotela::kStatusBuilt);
  const QString failed = QString::fromUtf8(fotela::kStatusNotBuilt);
  return measure(command, [=] {
    return (status->text() == built || status->text() == failed) && build->isEnabled();
  });
}

void print(const char* label, int run, const Run& r) {
  std::printf("%-26s %4d %17.1f %15.1f %11.1f\n", label, run, r.longestGapMs, r.gapCpuMs,
              r.totalMs);
}

}  // namespace

int main(int argc, char** argv) {
  const fotela::bench::WindowBench windows(argc, argv);
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

  BenchFolder folder;
  const std::string photo = fotela::bench::cameraJpeg(16, 16, 0);
  const std::string thumb = fotela::bench::cameraJpeg(100, 75, 0);
  for (const char* sub : {"/small", "/big"})
    std::filesystem::create_directories(folder.path() + sub);
  for (int i = 0; i < count; ++i) {
    const std::string name = "/IMG_" + std::to_string(10000 + i) + ".jpg";
    fotela::bench::writeBytes(folder.path() + name, photo);
    fotela::bench::writeBytes(folder.path() + "/small" + name, thumb);
    fotela::bench::writeBytes(folder.path() + "/big" + name, thumb);
  }

  fotela::ProgramState state;
  fotela::ScriptedDialogs dialogs;
  state.settings.PhotoFolder = folder.path();
  fotela::app::MainWindow window(state, dialogs);
  window.resize(1000, 700);
  window.show();
  {
    QEventLoop loop;
    QObject::connect(&window, &fotela::app::MainWindow::firstFolderReady, &loop, &QEventLoop::quit);
    window.load();
    if (window.scanning()) loop.exec();
  }
  if (state.photos.size() != static_cast<std::size_t>(count)) {
    std::fprintf(stderr, "expected %d rows, got %zu\n", count, state.photos.size());
    return 1;
  }

  std::printf("%d photos: longest UI-thread gap while the pages are written\n", count);
  std::printf("%-26s %4s %17s %15s %11s\n", "command", "run", "longest gap (ms)", "its CPU (ms)",
              "total (ms)");
  auto* pagesOnly = window.findChild<QAction*>(QStringLiteral("mnuEditHTML"));
  auto* build = window.findChild<QPushButton*>(QStringLiteral("Command1"));
  std::vector<Run> pages, full;
  for (int run = 1; run <= runs; ++run)
    pages.push_back(measureBuild(window, [pagesOnly] { pagesOnly->trigger(); }));
  for (int run = 1; run <= runs; ++run) {
    dialogs.answerNext(fotela::DialogAnswer::No);  // keep the copies that are there
    full.push_back(measureBuild(window, [build] { build->click(); }));
  }
  double slowest = 0;
  for (const Run& r : pages) slowest = std::max(slowest, r.totalMs);
  for (const Run& r : full) slowest = std::max(slowest, r.totalMs);
  QElapsedTimer idle;
  idle.start();
  print("idle window", 1, measure([] {}, [&] { return double(idle.elapsed()) >= slowest; }));
  for (std::size_t i = 0; i < pages.size(); ++i) print("pages only", int(i) + 1, pages[i]);
  for (std::size_t i = 0; i < full.size(); ++i)
    print("full build (copies kept)", int(i) + 1, full[i]);
  if (dialogs.shown.size() != static_cast<std::size_t>(runs)) {
    std::fprintf(stderr, "unexpected messages: %zu\n", dialogs.shown.size());
    return 1;
  }
  window.close();
  return 0;
}
