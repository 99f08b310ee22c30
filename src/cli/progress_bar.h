#pragma once
// A one-line progress bar on stderr, drawn only when stderr is a terminal.
// Thread-safe: update() may be called from worker threads.

#include <cstddef>
#include <mutex>
#include <string>

namespace fotela::cli {

class ProgressBar {
 public:
  explicit ProgressBar(std::string label);
  ~ProgressBar();
  void update(std::size_t done, std::size_t total, const std::string& item = {});
  void finish();  // clears the line

 private:
  std::mutex mutex_;
  std::string label_;
  bool enabled_;
  bool drawn_ = false;
};

}  // namespace fotela::cli
