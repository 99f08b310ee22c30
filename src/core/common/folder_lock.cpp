#include "common/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace fotela {

FolderLock::~FolderLock() {
  release();
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

void FolderLock::release() {
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor lets the lock go
  fd_ = -1;
}

FolderLock FolderLock::take(const std::string& folder, const std::function<void()>& waiting) {
  FolderLock lock;
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return lock;
  int result = ::flock(fd, LOCK_EX | LOCK_NB);
  if (result != 0 && errno == EWOULDBLOCK) {
    if (waiting) waiting();
    do {
      result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
  }
  if (result != 0) {
    ::close(fd);
    return lock;
  }
  lock.fd_ = fd;
  return lock;
}

}  // namespace fotela
