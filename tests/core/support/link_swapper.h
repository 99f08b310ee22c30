#pragma once
// A thread that swaps a file for symbolic links and back (one rename each time, so the name
// always exists) until it goes; it returns from its constructor once swapping has begun.

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

namespace fotela::test {

class LinkSwapper {
 public:
  LinkSwapper(std::filesystem::path file, std::vector<std::string> targets) {
    std::filesystem::create_hard_link(file, file.parent_path() / ".swap-keep");
    thread_ = std::thread([this, file, targets] {
      for (std::size_t i = 0; !stop_; ++i, started_ = true) {
        std::filesystem::create_symlink(targets[i % targets.size()], file.parent_path() / ".link");
        std::filesystem::rename(file.parent_path() / ".link", file);
        std::filesystem::create_hard_link(file.parent_path() / ".swap-keep",
                                          file.parent_path() / ".copy");
        std::filesystem::rename(file.parent_path() / ".copy", file);
      }
    });
    while (!started_) std::this_thread::yield();
  }
  ~LinkSwapper() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_ = false, started_ = false;
  std::thread thread_;
};

}  // namespace fotela::test
