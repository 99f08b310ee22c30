#pragma once
// File helpers: whole-file reads, atomic replace, folder walks in directory order.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/error.h"

namespace fotela {

Result<std::string> readWholeFile(const std::string& path);

// Writes a temporary file in the same folder, flushes it and renames it over `path`.
// On failure the old file is untouched, no temporary file is left and the error names
// `path` and the reason.
Result<void> writeFileAtomic(const std::string& path, std::string_view bytes);

// A new empty file in `folder` named ".fotela-" + six letters and digits (short, whatever
// the name of the file it will replace; hidden, so folder scans never list it), open for
// writing with the permissions the umask gives, and locked while it is open so that
// removeStaleTemporaries knows it is in use. Close it with closeTemporaryFile.
struct TemporaryFile {
  int fd = -1;
  std::string path;
};
// `forPath` is the file it is meant to become; an error names that file and the reason.
Result<TemporaryFile> createTemporaryFile(const std::string& folder, const std::string& forPath);
void closeTemporaryFile(TemporaryFile& file);
// Gives the open file `fd` the permission bits of the file at `path` when there is one, so
// that a file replaced through a temporary file keeps its mode; a new one keeps what
// createTemporaryFile gave it.
void keepModeOf(const std::string& path, int fd);

// Removes from `folder` the temporary files of runs that were killed: regular files named
// like those of createTemporaryFile that no open writer holds and, when `changedBefore` is
// given, that nothing has changed since then (a writer that has only just created its file
// may not hold it yet).
using FileTime = std::chrono::system_clock::time_point;
void removeStaleTemporaries(const std::string& folder,
                            std::optional<FileTime> changedBefore = std::nullopt);
bool isTemporaryFileName(std::string_view name);
// Now, by the clock the file system stamps changes with: never later than the stamp of a
// change made after it.
FileTime fileClockNow();

// Splits text into lines at CR LF, LF or a lone CR. A final line break ends the last
// line; it does not start an empty one.
std::vector<std::string> splitLines(std::string_view text);

enum class EntryKind { File, Folder };

// The names in `folder` of the given kind, in directory order: ASCII letters folded to
// upper case, other characters by code point, ties by exact name. Hidden names (a
// leading ".") are never listed. A folder that cannot be read gives an empty list.
std::vector<std::string> listFolder(const std::string& folder, EntryKind kind);
bool directoryOrderLess(std::string_view a, std::string_view b);

// Looks names up the way the file lookups of the program do: the exact name wins, else the
// first name of the list (directory order) that equals it with ASCII letters folded.
// The listed names must outlive the index.
class FileNameIndex {
 public:
  explicit FileNameIndex(const std::vector<std::string>& names);
  std::optional<std::string> find(std::string_view name) const;

 private:
  std::unordered_set<std::string_view> exact_;
  std::unordered_map<std::string, std::string_view> folded_;
};

// The stored name of the file in `folder` whose name equals `name` with ASCII letters
// folded; the exact name wins when several match. nullopt when none.
std::optional<std::string> findFileIgnoringCase(const std::string& folder, std::string_view name);

// Told before each file of a file loop: how many are done, how many there are in all, and
// the name of the one that comes next. Called on the loop's own thread.
using FileLoopProgress =
    std::function<void(std::size_t done, std::size_t total, const std::string& name)>;
// How a file loop ended.
inline constexpr int kFilesDone = 0;
inline constexpr int kFilesFailed = 1;   // stopped at the first file that failed
inline constexpr int kFilesStopped = 2;  // `stop` was requested; the files before stay done

// Copies every ordinary file of `source` into `target`, replacing existing files and
// keeping each file's modification time. Each copy is written to a temporary file and
// renamed over its target, so a failed copy (a full disk, a card pulled out) never leaves
// a photo of the target cut short. Stops between two files when `stop` is requested.
int CopyAllFiles(const std::string& source, const std::string& target,
                 const FileLoopProgress& progress = {}, std::stop_token stop = {});
// Deletes every ordinary file of `folder`; a file the user may not write fails.
int DeleteAllFiles(const std::string& folder, const FileLoopProgress& progress = {},
                   std::stop_token stop = {});

// A regular file opened for reading at given offsets. Opening never blocks (a pipe that
// happens to carry a photo's name is refused, not waited on).
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // False when the path cannot be opened or names no regular file.
  bool open(const std::string& path);
  std::uint64_t size() const { return size_; }
  // Reads up to `length` bytes at `offset`; fewer only at the end of the file or on an
  // error.
  std::size_t readAt(void* buffer, std::size_t length, std::uint64_t offset) const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

bool isFolder(const std::string& path);
bool isFile(const std::string& path);

}  // namespace fotela
