#pragma once
// Start-up shared by the benchmarks that drive real windows: the offscreen platform unless
// one is set, and a private runtime folder, settings store and program folder, so that a
// run never reads or writes the user's own.

#include <QApplication>
#include <QStandardPaths>

#include "bench_support.h"
#include "common/paths.h"

namespace fotela::bench {

class WindowBench {
 public:
  WindowBench(int& argc, char** argv) : app_((prepare(home_), argc), argv) {
    QStandardPaths::setTestModeEnabled(true);
    fotela::setProgramFolder(home_.path());
  }
  // A folder of the run's own that is removed at the end.
  const std::string& home() const { return home_.path(); }

 private:
  static void prepare(const BenchFolder& home) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(home.path()));
  }

  BenchFolder home_;
  QApplication app_;
};

}  // namespace fotela::bench
