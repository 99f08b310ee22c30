#include "common/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "common/paths.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace fotela {
namespace {

std::string systemReason(int error) {
  return std::strerror(error);
}

constexpr std::string_view kTemporaryPrefix = ".fotela-";
constexpr std::size_t kTemporaryLetters = 6;
constexpr std::string_view kTemporaryAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string temporaryName() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  std::string name(kTemporaryPrefix);
  for (std::size_t i = 0; i < kTemporaryLetters; ++i)
    name += kTemporaryAlphabet[random() % kTemporaryAlphabet.size()];
  return name;
}

std::string folderOf(const std::string& path) {
  const std::string parent = fs::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

Result<std::string> readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(path + " を開けません。");
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return fail(path + " を読み込めません。");
  return content.str();
}

Result<TemporaryFile> createTemporaryFile(const std::string& folder, const std::string& forPath) {
  const std::string prefix = folderPrefix(folder.empty() ? std::string(".") : folder);
  // mkstemp's pattern, but opened with 0666 so that the umask decides: pages and copies
  // must stay readable by a web server.
  for (int attempt = 0; attempt < 100; ++attempt) {
    TemporaryFile file{-1, prefix + temporaryName()};
    file.fd = ::open(file.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (file.fd >= 0) {
      ::flock(file.fd, LOCK_EX);
      return file;
    }
    if (errno != EEXIST) break;
  }
  return fail(forPath + " を書き込めません。(" + systemReason(errno) + ")");
}

void closeTemporaryFile(TemporaryFile& file) {
  if (file.fd >= 0) ::close(file.fd);
  file.fd = -1;
}

bool isTemporaryFileName(std::string_view name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryLetters ||
      !name.starts_with(kTemporaryPrefix))
    return false;
  return name.substr(kTemporaryPrefix.size()).find_first_not_of(kTemporaryAlphabet) ==
         std::string_view::npos;
}

FileTime fileClockNow() {
  // The kernel stamps files with its coarse clock, which lags the precise one by up to a
  // tick: a file changed just after a precise "now" could look older than it.
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return FileTime(std::chrono::duration_cast<FileTime::duration>(
      std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)));
}

void removeStaleTemporaries(const std::string& folder, std::optional<FileTime> changedBefore) {
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (!isTemporaryFileName(it->path().filename().string())) continue;
    const std::string path = it->path().string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    // The change time, which no writer can set back (a copy takes its photo's mtime).
    auto changed = [&st] {
      return FileTime(std::chrono::duration_cast<FileTime::duration>(
          std::chrono::seconds(st.st_ctim.tv_sec) + std::chrono::nanoseconds(st.st_ctim.tv_nsec)));
    };
    // A writer that is alive holds its lock; a killed one has let it go.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        (!changedBefore || changed() < *changedBefore) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // The name may have been renamed into place and taken again meanwhile: remove it only
      // while it still names the file that was checked.
      struct stat now {};
      if (::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
        ::unlink(path.c_str());
    }
    ::close(fd);
  }
}

void keepModeOf(const std::string& path, int fd) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
}

Result<void> writeFileAtomic(const std::string& path, std::string_view bytes) {
  auto temporary = createTemporaryFile(folderOf(path), path);
  if (!temporary) return std::unexpected(temporary.error());
  const int fd = temporary->fd;
  keepModeOf(path, fd);
  auto failed = [&](int error) {
    ::unlink(temporary->path.c_str());
    closeTemporaryFile(*temporary);
    return fail(path + " を書き込めません。(" + systemReason(error) + ")");
  };
  if (!writeAll(fd, bytes) || ::fsync(fd) != 0) return failed(errno);
  // Renamed while still open and locked, so that no cleaner takes it in between.
  if (::rename(temporary->path.c_str(), path.c_str()) != 0) return failed(errno);
  if (::close(fd) != 0) return fail(path + " を書き込めません。(" + systemReason(errno) + ")");
  return {};
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

bool directoryOrderLess(std::string_view a, std::string_view b) {
  // Compare byte by byte with ASCII letters folded to upper case; UTF-8 byte order is
  // code point order for everything else.
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto fold = [](char c) {
      auto u = static_cast<unsigned char>(c);
      return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
    };
    const unsigned char x = fold(a[i]), y = fold(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // ties by exact name
}

std::vector<std::string> listFolder(const std::string& folder, EntryKind kind) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name.front() == '.') continue;
    std::error_code statError;
    const bool folderEntry = it->is_directory(statError);
    if (kind == EntryKind::Folder ? folderEntry : (it->is_regular_file(statError) && !folderEntry))
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), directoryOrderLess);
  return names;
}

FileNameIndex::FileNameIndex(const std::vector<std::string>& names) {
  exact_.reserve(names.size());
  folded_.reserve(names.size());
  for (const std::string& n : names) {
    exact_.insert(n);
    folded_.try_emplace(asciiUpper(n), n);
  }
}

std::optional<std::string> FileNameIndex::find(std::string_view name) const {
  if (exact_.contains(name)) return std::string(name);
  auto it = folded_.find(asciiUpper(name));
  if (it == folded_.end()) return std::nullopt;
  return std::string(it->second);
}

std::optional<std::string> findFileIgnoringCase(const std::string& folder, std::string_view name) {
  if (name.empty() || name.front() == '.' || name.find('/') != std::string_view::npos)
    return std::nullopt;
  if (isFile(folderPrefix(folder) + std::string(name))) return std::string(name);
  const std::vector<std::string> files = listFolder(folder, EntryKind::File);
  return FileNameIndex(files).find(name);
}

namespace {

// Copies `from` to a temporary file beside `to`, gives it the source's modification time
// and renames it over `to`.
bool copyFileReplacing(const fs::path& from, const fs::path& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat source {};
  auto temporary = createTemporaryFile(to.parent_path().string(), to.string());
  if (::fstat(in, &source) != 0 || !temporary) {
    ::close(in);
    return false;
  }
  // The source's permissions where the target's file system keeps them (a card's FAT
  // gives every file the same ones, so a refusal is no failure).
  (void)::fchmod(temporary->fd, source.st_mode & 0777);
  bool ok = true;
  char buffer[1 << 16];
  for (ssize_t n; ok && (n = ::read(in, buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0 && writeAll(temporary->fd, std::string_view(buffer, static_cast<std::size_t>(n)));
  }
  // The photo list shows the photo's own time as 更新日時.
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  ok = ok && ::futimens(temporary->fd, times) == 0 && ::fsync(temporary->fd) == 0 &&
       ::rename(temporary->path.c_str(), to.c_str()) == 0;
  if (!ok) ::unlink(temporary->path.c_str());
  closeTemporaryFile(*temporary);
  ::close(in);
  return ok;
}

// Runs `each` over the ordinary files of `folder` in directory order.
template <class Each>
int forEachFile(const std::string& folder, const FileLoopProgress& progress, std::stop_token stop,
                Each each) {
  if (!isFolder(folder)) return kFilesFailed;
  const std::vector<std::string> names = listFolder(folder, EntryKind::File);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (stop.stop_requested()) return kFilesStopped;
    if (progress) progress(i, names.size(), names[i]);
    if (!each(fs::path(folder) / names[i], names[i])) return kFilesFailed;
  }
  if (progress) progress(names.size(), names.size(), {});
  return kFilesDone;
}

}  // namespace

int CopyAllFiles(const std::string& source, const std::string& target,
                 const FileLoopProgress& progress, std::stop_token stop) {
  if (!isFolder(target)) return kFilesFailed;
  return forEachFile(source, progress, stop, [&](const fs::path& from, const std::string& name) {
    return copyFileReplacing(from, fs::path(target) / name);
  });
}

int DeleteAllFiles(const std::string& folder, const FileLoopProgress& progress,
                   std::stop_token stop) {
  return forEachFile(folder, progress, stop, [](const fs::path& file, const std::string&) {
    // A file the user may not write counts as one that cannot be deleted.
    std::error_code ec;
    return ::access(file.c_str(), W_OK) == 0 && fs::remove(file, ec) && !ec;
  });
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool ReadOnlyFile::open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  size_ = 0;
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  return true;
}

std::size_t ReadOnlyFile::readAt(void* buffer, std::size_t length, std::uint64_t offset) const {
  if (fd_ < 0) return 0;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t got = 0;
  while (got < length) {
    const ssize_t n = ::pread(fd_, out + got, length - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

bool isFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

}  // namespace fotela
