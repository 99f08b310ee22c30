// The main window's folder change for 1,000 and 10,000 photos: the time from choosing the
// folder to a filled list, and the longest time the UI thread was busy in one go meanwhile
// (and in the second after it, while the thumbnails of the visible rows load).
//
//   build/bin/window_scan_timing [RUNS]      (offscreen unless QT_QPA_PLATFORM says else)

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench_support.h"
#include "common/paths.h"
#include "common/scripted_dialogs.h"
#include "main_window/main_window.h"
#include "program/program_state.h"
#include "window_bench_support.h"

namespace {

using fotela::bench::BenchFolder;

// Records the longest gap between two turns of the event loop.
class StallMeter {
 public:
  StallMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
  }
  void start() {
    longest_ = 0;
    clock_.start();
    last_ = 0;
    timer_.start(0);
  }
  // Milliseconds, including the turn in progress.
  double stop() {
    longest_ = std::max(longest_, clock_.nsecsElapsed() - last_);
    timer_.stop();
    return double(longest_) / 1e6;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

void spin(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  const fotela::bench::WindowBench windows(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

  std::printf("%8s %6s %14s %18s %18s\n", "photos", "run", "filled (ms)", "stall scan (ms)",
              "stall after (ms)");
  // Camera-like files: the metadata before the frame header is what the scan walks.
  const std::string photo = fotela::bench::cameraJpeg(16, 16, 6000);
  const std::string thumb = fotela::bench::cameraJpeg(100, 75, 0);
  for (int count : {1000, 10000}) {
    BenchFolder folder;
    std::filesystem::create_directories(folder.path() + "/small");
    for (int i = 0; i < count; ++i) {
      const std::string name = "/IMG_" + std::to_string(10000 + i) + ".jpg";
      fotela::bench::writeBytes(folder.path() + name, photo);
      fotela::bench::writeBytes(folder.path() + "/small" + name, thumb);
    }
    const std::string empty = windows.home() + "/empty";
    std::filesystem::create_directories(empty);

    for (int run = 1; run <= runs; ++run) {
      fotela::ProgramState state;
      fotela::ScriptedDialogs dialogs;
      state.settings.PhotoFolder = empty;
      fotela::app::MainWindow window(state, dialogs);
      window.resize(1000, 700);
      window.show();
      window.load();
      {
        QEventLoop loop;
        QObject::connect(&window, &fotela::app::MainWindow::firstFolderReady, &loop,
                         &QEventLoop::quit);
        if (window.scanning()) loop.exec();
      }
      spin(200);

      StallMeter meter;
      QEventLoop loop;
      QObject::connect(&window, &fotela::app::MainWindow::folderScanned, &loop, &QEventLoop::quit);
      QElapsedTimer clock;
      meter.start();
      clock.start();
      window.selectFolder(folder.path());
      loop.exec();
      const double filled = double(clock.nsecsElapsed()) / 1e6;
      const double stallScan = meter.stop();
      meter.start();
      spin(1000);
      const double stallAfter = meter.stop();
      if (state.photos.size() != static_cast<std::size_t>(count)) {
        std::fprintf(stderr, "expected %d rows, got %zu\n", count, state.photos.size());
        return 1;
      }
      std::printf("%8d %6d %14.1f %18.1f %18.1f\n", count, run, filled, stallScan, stallAfter);
      state.OrderChanged = 0;
      window.close();
    }
  }
  return 0;
}
