#include "cli/progress_bar.h"

#include <cstdio>

#include "cli/terminal_dialogs.h"

namespace fotela::cli {

ProgressBar::ProgressBar(std::string label)
    : label_(std::move(label)), enabled_(stderrIsTerminal()) {}

ProgressBar::~ProgressBar() {
  finish();
}

void ProgressBar::update(std::size_t done, std::size_t total, const std::string& item) {
  if (!enabled_) return;
  std::lock_guard lock(mutex_);
  constexpr int kWidth = 30;
  int filled = total ? static_cast<int>(done * kWidth / total) : kWidth;
  std::string bar(filled, '#');
  bar.resize(kWidth, '-');
  std::fprintf(stderr, "\r\033[K%s [%s] %zu/%zu %s", label_.c_str(), bar.c_str(), done, total,
               item.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::finish() {
  std::lock_guard lock(mutex_);
  if (enabled_ && drawn_) {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
  }
}

}  // namespace fotela::cli
