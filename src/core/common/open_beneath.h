#pragma once
// Opening a file inside a folder so that nothing outside it can be reached, whatever is
// renamed or replaced by a symbolic link while the path is being resolved.

#include <string>
#include <string_view>

namespace fotela {

// An open file descriptor, closed when the object goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// Which symbolic links openBeneath follows.
enum class LinksBeneath {
  None,    // none, anywhere in the path
  Inside,  // relative ones whose whole resolution stays inside the folder
};

// How openBeneath resolves the path; Kernel falls back to Walk where the kernel lacks
// openat2 (before Linux 5.6).
enum class ResolveBy {
  Kernel,  // openat2 with RESOLVE_BENEATH: one step, checked by the kernel
  Walk,    // one name at a time with openat and O_NOFOLLOW: follows no symbolic link
};

// Opens `relative` (names separated by "/"; "" or "." is the folder itself) below the
// folder open as `folderFd`, read-only, close-on-exec, without waiting on a pipe. An
// absolute path, ".." that leaves the folder, and a link not allowed by `links` fail
// (ELOOP for a link, EXDEV for leaving the folder). Returns an empty descriptor with errno
// set on failure.
UniqueFd openBeneath(int folderFd, std::string_view relative, LinksBeneath links,
                     ResolveBy by = ResolveBy::Kernel);

// The path the kernel gives for an open descriptor (/proc/self/fd), "" when unknown.
std::string pathOfDescriptor(int fd);

}  // namespace fotela
