#pragma once
// A thread that swaps a file of a folder for symbolic links and back, as fast as it can,
// for tests of code that must never follow such a link out of the folder.

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace fotela::test {

class LinkSwapper {
 public:
  // Replaces `path` (an existing file) by a link to each of `targets` in turn, putting
  // the file back between two links, until the object goes. Every replacement is one
  // rename, so `path` always exists. Returns once the swapping has begun.
  LinkSwapper(std::string path, std::vector<std::string> targets);
  ~LinkSwapper();
  LinkSwapper(const LinkSwapper&) = delete;
  LinkSwapper& operator=(const LinkSwapper&) = delete;

 private:
  std::atomic<bool> stop_ = false;
  std::atomic<bool> started_ = false;
  std::thread thread_;
};

}  // namespace fotela::test
