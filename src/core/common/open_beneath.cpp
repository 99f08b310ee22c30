#include "common/open_beneath.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace fotela {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

namespace {

// O_NONBLOCK: a pipe or a device that carries a photo's name is refused, not waited on.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

UniqueFd failed(int error) {
  errno = error;
  return UniqueFd();
}

UniqueFd walk(int folderFd, std::string_view relative) {
  if (relative.starts_with('/')) return failed(EXDEV);
  std::vector<std::string> names;
  while (!relative.empty()) {
    const auto cut = relative.find('/');
    const std::string_view name = relative.substr(0, cut);
    relative = cut == std::string_view::npos ? std::string_view() : relative.substr(cut + 1);
    if (!name.empty() && name != ".") names.emplace_back(name);
  }
  if (names.empty()) return UniqueFd(::openat(folderFd, ".", kOpenFlags));
  // The folders opened on the way down; ".." goes back up this list, never to a parent
  // the file system names, so it cannot climb out of the folder.
  std::vector<UniqueFd> folders;
  const auto at = [&] { return folders.empty() ? folderFd : folders.back().get(); };
  for (std::size_t i = 0; i + 1 < names.size(); ++i) {
    if (names[i] == "..") {
      if (folders.empty()) return failed(EXDEV);
      folders.pop_back();
      continue;
    }
    UniqueFd next(
        ::openat(at(), names[i].c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY | O_NOFOLLOW));
    if (!next) return UniqueFd();
    folders.push_back(std::move(next));
  }
  const std::string& last = names.back();
  if (last == "..") {
    if (folders.empty()) return failed(EXDEV);
    folders.pop_back();
    return UniqueFd(::openat(at(), ".", kOpenFlags));
  }
  return UniqueFd(::openat(at(), last.c_str(), kOpenFlags | O_NOFOLLOW));
}

}  // namespace

UniqueFd openBeneath(int folderFd, std::string_view relative, LinksBeneath links, ResolveBy by) {
  if (relative.find('\0') != std::string_view::npos) return failed(EINVAL);
  if (by == ResolveBy::Walk) return walk(folderFd, relative);
  const std::string path = relative.empty() ? std::string(".") : std::string(relative);
  open_how how{};
  how.flags = kOpenFlags;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  if (links == LinksBeneath::None) how.resolve |= RESOLVE_NO_SYMLINKS;
  // EAGAIN: a rename somewhere on the system raced with the lookup; the kernel asks to
  // try again rather than risk a wrong answer.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const long fd = ::syscall(SYS_openat2, folderFd, path.c_str(), &how, sizeof how);
    if (fd >= 0) return UniqueFd(static_cast<int>(fd));
    if (errno == ENOSYS) return walk(folderFd, relative);
    if (errno != EAGAIN && errno != EINTR) return UniqueFd();
  }
  return UniqueFd();
}

std::string pathOfDescriptor(int fd) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  std::string path(4096, '\0');
  const ssize_t n = ::readlink(link.c_str(), path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return "";
  path.resize(static_cast<std::size_t>(n));
  return path;
}

}  // namespace fotela
