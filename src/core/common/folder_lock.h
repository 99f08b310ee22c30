#pragma once
// An advisory lock on a folder, so that runs of several processes on one folder take turns.

#include <functional>
#include <string>

namespace fotela {

// Held from take() until the object is dropped or moved from. The lock is flock(2) on a
// descriptor of the folder itself: nothing is written into the folder, and a killed holder
// lets it go with its last descriptor. Two objects on one folder exclude each other, in one
// process too (a part of a run that already holds it must not take it again).
class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;

  // Waits while another holds the lock; `waiting` is told once, before the wait, on this
  // thread. Where the folder cannot be opened or its file system has no such locks (some
  // network file systems), the lock holds nothing and the run goes on unguarded as before.
  static FolderLock take(const std::string& folder, const std::function<void()>& waiting = {});
  bool held() const { return fd_ >= 0; }

 private:
  void release();
  int fd_ = -1;
};

}  // namespace fotela
