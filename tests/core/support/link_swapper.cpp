#include "core/support/link_swapper.h"

#include <filesystem>

namespace fotela::test {

namespace fs = std::filesystem;

LinkSwapper::LinkSwapper(std::string path, std::vector<std::string> targets) {
  const fs::path file(path);
  const fs::path keep = file.parent_path() / ".swap-keep";
  fs::create_hard_link(file, keep);
  thread_ = std::thread([this, file, keep, targets] {
    const fs::path link = file.parent_path() / ".swap-link";
    const fs::path copy = file.parent_path() / ".swap-copy";
    for (std::size_t i = 0; !stop_; ++i) {
      fs::create_symlink(targets[i % targets.size()], link);
      fs::rename(link, file);
      fs::create_hard_link(keep, copy);
      fs::rename(copy, file);
      started_ = true;
    }
  });
  while (!started_) std::this_thread::yield();
}

LinkSwapper::~LinkSwapper() {
  stop_ = true;
  thread_.join();
}

}  // namespace fotela::test
