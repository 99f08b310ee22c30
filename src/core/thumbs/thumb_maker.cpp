#include "thumbs/thumb_maker.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

#include "common/files.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/user_dialogs.h"
#include "imaging/codec.h"
#include "imaging/exif.h"
#include "imaging/resample.h"
#include "program/album_run.h"
#include "program/program_state.h"

namespace fotela {
namespace {

constexpr const char* kFolderQuestion = "縮小画像を作成しますか？";
constexpr const char* kWindowCaption = "縮小画像作成";
constexpr int kThumbnailLimit = 100;

// Memory that the workers' decodes may hold at one time. A progressive JPEG is decoded
// with all its DCT coefficients in memory (72 MB for a 24-MP photo in 4:2:0, 100 MB for a
// 16-MP one in 4:4:4), so two of them at once would pass the program's memory goal of
// 150 MB; baseline files need little beyond the file itself. A job is charged at most
// kLargestCharge, so that while the largest photo decodes alone the other workers can
// still make copies of small baseline photos.
constexpr std::size_t kDecodeBudget = 112u << 20;
constexpr std::size_t kLargestCharge = 100u << 20;
// After a job this large the heap gives its free pages back to the system, so that one
// worker's freed coefficients do not stay resident while another worker decodes.
constexpr std::size_t kTrimAfter = 8u << 20;

class MemoryBudget {
 public:
  explicit MemoryBudget(std::size_t capacity) : capacity_(capacity) {}

  bool tryAcquire(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    if (used_ + bytes > capacity_) return false;
    used_ += bytes;
    return true;
  }
  void acquire(std::size_t bytes) {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return used_ + bytes <= capacity_; });
    used_ += bytes;
  }
  void release(std::size_t bytes) {
    {
      std::lock_guard lock(mutex_);
      used_ -= bytes;
    }
    freed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable freed_;
  std::size_t capacity_;
  std::size_t used_ = 0;
};

// A share of the budget, given back when it goes out of scope.
class BudgetLease {
 public:
  BudgetLease(MemoryBudget& budget, std::size_t bytes)
      : budget_(budget), bytes_(std::min(bytes, kLargestCharge)) {}
  ~BudgetLease() {
    if (held_) budget_.release(bytes_);
  }
  BudgetLease(const BudgetLease&) = delete;
  BudgetLease& operator=(const BudgetLease&) = delete;

  bool tryTake() { return held_ = budget_.tryAcquire(bytes_); }
  void take() {
    budget_.acquire(bytes_);
    held_ = true;
  }

 private:
  MemoryBudget& budget_;
  std::size_t bytes_;
  bool held_ = false;
};

// Memory a decode of this file at this scale takes, the file's bytes included.
std::size_t decodeMemory(const JpegInfo& info, ScaledSize scaled, std::size_t fileBytes) {
  return fileBytes + jpegCoefficientBytes(info) +
         static_cast<std::size_t>(scaled.width) * scaled.height * 3;
}

// A photo file read in two steps: the header segments first (enough to plan the decode
// and reserve its memory), then the whole file, into pages mapped for it alone so that
// they go back to the system when dropped instead of staying in the heap.
class PhotoFile {
 public:
  // Header segments are rarely longer than this; when they are, the whole file is read.
  static constexpr std::size_t kHeaderBytes = 256 * 1024;

  PhotoFile() = default;
  PhotoFile(const PhotoFile&) = delete;
  PhotoFile& operator=(const PhotoFile&) = delete;
  ~PhotoFile() { drop(); }

  // False unless the path names a regular file that is not empty.
  bool open(const std::string& path) {
    if (!file_.open(path) || file_.size() == 0) return false;
    fileSize_ = static_cast<std::size_t>(file_.size());
    return true;
  }
  std::size_t fileSize() const { return fileSize_; }

  // The first bytes of the file (all of it when it is small).
  std::span<const unsigned char> header() {
    head_.resize(std::min(fileSize_, kHeaderBytes));
    head_.resize(file_.readAt(head_.data(), head_.size(), 0));
    return head_;
  }

  // The whole file; empty when it cannot be read.
  std::span<const unsigned char> whole() {
    if (data_) return {data_, size_};
    void* p =
        ::mmap(nullptr, fileSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return {};
    data_ = static_cast<unsigned char*>(p);
    // A file cut short while being read keeps what was read: decoding will tell.
    size_ = file_.readAt(data_, fileSize_, 0);
    return {data_, size_};
  }

  void drop() {
    if (data_) ::munmap(data_, fileSize_);
    data_ = nullptr;
    size_ = 0;
    head_ = {};
  }

 private:
  ReadOnlyFile file_;
  std::size_t fileSize_ = 0;
  std::vector<unsigned char> head_;
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
};
// One copy of a photo: where it goes and the square it must fit in.
struct CopyTarget {
  std::string destination;
  int limit = 0;
};

struct CopyJob {
  std::string fileName;  // name + "." + type
  std::string source;
  // Largest first: one decode of the source covers the first copy, and each copy is
  // averaged down from the one before it.
  std::vector<CopyTarget> targets;
  std::size_t preview = 0;  // the target whose pixels the progress shows
  std::size_t row = 0;      // index into the list of unique photos
};

using Clock = std::filesystem::file_time_type;

// True when `destination` exists and is not older than `source`.
bool upToDate(const std::string& source, const std::string& destination) {
  std::error_code ec;
  Clock d = std::filesystem::last_write_time(destination, ec);
  if (ec) return false;
  Clock s = std::filesystem::last_write_time(source, ec);
  if (ec) return false;
  return d >= s;
}

class ThumbRun {
 public:
  ThumbRun(ProgramState& state, UserDialogs& dialogs, CopyMode mode, std::stop_token stop,
           const CopyProgressFn& progress)
      : state_(state),
        dialogs_(dialogs),
        mode_(mode),
        stop_(stop),
        progress_(progress),
        budget_(kDecodeBudget) {}

  ThumbRunResult run() {
    AlbumRun albumRun(state_);
    const AlbumSettings& s = state_.settings;
    if (auto names = checkCopyFolderNames(s); !names) {
      result_.failures.push_back(names.error());
      stopFlag_ = true;
    }
    DirChk(s.ThumbFolder);
    DirChk(s.ImageFolder);
    const bool modern = state_.albumStyle == AlbumStyle::Modern;
    if (modern && !stopFlag_) {
      for (const std::string& f : {s.ThumbFolder, s.ImageFolder})
        if (!isFolder(subFolder(doubleDensityFolder(f))))
          createFolder(subFolder(doubleDensityFolder(f)));
    }
    if (!stopFlag_) {
      collectRows();
      const int limit = largeCopyLimit(s.ListPageWidth);
      if (modern) {
        runPhase(0, everyCopyJobs(limit));
      } else {
        std::vector<CopyJob> large = jobs(s.ImageFolder, false, limit);
        runPhase(0, large);
        if (!stopFlag_) {
          std::vector<CopyJob> small = jobs(s.ThumbFolder, true, kThumbnailLimit);
          runPhase(1, small);
        }
      }
    }
    for (std::size_t i = 0; i < files_.size(); ++i)
      if (failed_[i]) result_.failedPhotos.push_back(files_[i]);
    if (!result_.failures.empty()) {
      std::string text = "縮小画像を作成できなかった写真があります。";
      for (const Error& e : result_.failures) text += "\n" + e.message;
      dialogs_.message(text, kWindowCaption, DialogIcon::Warning);
    }
    return std::move(result_);
  }

 private:
  std::string subFolder(const std::string& name) const {
    return state_.settings.PhotoFolder + "/" + name;
  }

  // Prepares one sub-folder: creates a missing one; asks before remaking the copies in an
  // existing one when the run is part of a full build (ThumbRunMode 0).
  void DirChk(const std::string& name) {
    if (stopFlag_) return;
    const std::string folder = subFolder(name);
    // An empty or "." name would put the copies over the photos themselves.
    if (normalFolderPath(folder) == normalFolderPath(state_.settings.PhotoFolder)) {
      result_.failures.push_back(
          Error{"縮小画像のフォルダ名が写真のフォルダと同じです: \"" + name + "\""});
      stopFlag_ = true;
      return;
    }
    if (!isFolder(folder)) {
      createFolder(folder);
      return;
    }
    if (state_.ThumbRunMode != 0) return;
    DialogAnswer a =
        dialogs_.ask(kFolderQuestion, kFolderQuestion, DialogButtons::YesNo, DialogIcon::None);
    if (a == DialogAnswer::Yes) {
      state_.ThumbRunMode = 1;
    } else {
      state_.ThumbRunMode = 2;
      stopFlag_ = true;
      result_.declined = true;
    }
  }

  // A failure to create the folder is noted and stops the run.
  void createFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    if (ec || !isFolder(folder)) {
      result_.failures.push_back(Error{"フォルダを作成できません: " + folder});
      stopFlag_ = true;
    }
  }

  // The photos of the list whose type is "jpg", each file once, in list order.
  void collectRows() {
    std::unordered_set<std::string> seen;
    for (const PhotoEntry& e : state_.photos) {
      if (!equalsIgnoreAsciiCase(e.type, "jpg")) continue;
      std::string f = e.fileName();
      if (seen.insert(f).second) files_.push_back(std::move(f));
    }
    largeFailed_.assign(files_.size(), 0);
    failed_.assign(files_.size(), 0);
  }

  // One copy of every photo in `targetFolder`, made from the photo or from its large copy.
  std::vector<CopyJob> jobs(const std::string& targetFolder, bool fromLargeCopies, int limit) {
    const AlbumSettings& s = state_.settings;
    std::vector<CopyJob> out;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      // A photo whose large copy failed just now has been reported once already.
      if (fromLargeCopies && largeFailed_[i]) continue;
      CopyJob j;
      j.row = i;
      j.fileName = files_[i];
      j.source = fromLargeCopies ? subFolder(s.ImageFolder) + "/" + files_[i]
                                 : s.PhotoFolder + "/" + files_[i];
      j.targets.push_back({subFolder(targetFolder) + "/" + files_[i], limit});
      if (mode_ == CopyMode::UpdateOnly && upToDate(j.source, j.targets[0].destination)) continue;
      out.push_back(std::move(j));
    }
    return out;
  }

  // All the copies of every photo from one decode of the photo: the large copy and the
  // thumbnail, each also at twice the size.
  std::vector<CopyJob> everyCopyJobs(int largeLimit) {
    const AlbumSettings& s = state_.settings;
    const std::pair<std::string, int> kinds[] = {
        {doubleDensityFolder(s.ImageFolder), 2 * largeLimit},
        {s.ImageFolder, largeLimit},
        {doubleDensityFolder(s.ThumbFolder), 2 * kThumbnailLimit},
        {s.ThumbFolder, kThumbnailLimit},
    };
    std::vector<CopyJob> out;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      CopyJob j;
      j.row = i;
      j.fileName = files_[i];
      j.source = s.PhotoFolder + "/" + files_[i];
      for (const auto& [folder, limit] : kinds) {
        std::string destination = subFolder(folder) + "/" + files_[i];
        if (mode_ == CopyMode::UpdateOnly && upToDate(j.source, destination)) continue;
        if (folder == s.ImageFolder) j.preview = j.targets.size();
        j.targets.push_back({std::move(destination), limit});
      }
      if (!j.targets.empty()) out.push_back(std::move(j));
    }
    return out;
  }

  void runPhase(int phase, const std::vector<CopyJob>& list) {
    if (list.empty() || stopFlag_) return;
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    // Jobs put back because their memory was not free; taken up when the fresh ones are gone.
    std::mutex deferredMutex;
    std::deque<std::size_t> deferred;
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, list.size()));
    auto worker = [&] {
      for (;;) {
        if (stopRequested()) return;
        std::size_t i = next.fetch_add(1);
        const bool fresh = i < list.size();
        if (!fresh) {
          std::lock_guard lock(deferredMutex);
          if (deferred.empty()) return;
          i = deferred.front();
          deferred.pop_front();
        }
        const bool mayDefer = fresh && next.load() < list.size();
        if (makeCopy(phase, list[i], list.size(), done, mayDefer)) {
          std::lock_guard lock(deferredMutex);
          deferred.push_back(i);
        }
      }
    };
    {
      std::vector<std::jthread> pool;
      for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
      worker();
    }
    if (stop_.stop_requested()) {
      stopFlag_ = true;
      result_.stopped = true;
    }
  }

  bool stopRequested() const { return stop_.stop_requested(); }

  // True when the job was put off (mayDefer and its memory not free now).
  bool makeCopy(int phase, const CopyJob& job, std::size_t total, std::size_t& done,
                bool mayDefer) {
    std::optional<Image> copy;
    bool deferred = false;
    std::size_t written = 0;
    Result<void> outcome = make(job, mayDefer, deferred, copy, written);
    if (deferred) return true;
    std::lock_guard lock(mutex_);
    result_.made += written;
    if (!outcome && stopRequested()) return false;  // stopped: nothing to report
    if (!outcome) {
      if (phase == 0) largeFailed_[job.row] = 1;
      failed_[job.row] = 1;
      result_.failures.push_back(outcome.error());
    }
    ++done;
    if (progress_) {
      CopyProgress p;
      p.phase = phase;
      p.done = done;
      p.total = total;
      p.fileName = job.fileName;
      p.preview = outcome && copy ? &*copy : nullptr;
      progress_(p);
    }
    return false;
  }

  // Decodes the source at the smallest DCT scale that covers the first copy, averages it
  // down to the exact size of each copy in turn and writes them. With mayDefer, a job whose
  // decode memory is not free now sets `deferred` and does nothing. `written` counts the
  // copies written; `copy` holds the preview target's pixels once it is written. A stop
  // request before a write leaves that destination and the ones after it untouched.
  Result<void> make(const CopyJob& job, bool mayDefer, bool& deferred, std::optional<Image>& copy,
                    std::size_t& written) {
    if (!isFile(job.source)) return fail("写真が見つかりません: " + job.source);
    PhotoFile file;
    if (!file.open(job.source)) return fail("写真を読み込めません: " + job.source);
    Result<JpegInfo> info = probeJpeg(file.header(), job.source);
    if (!info && file.fileSize() > PhotoFile::kHeaderBytes)
      info = probeJpeg(file.whole(), job.source);
    if (!info) return std::unexpected(info.error());

    const bool swap = orientationSwapsAxes(info->orientation);
    const int uprightW = swap ? info->height : info->width;
    const int uprightH = swap ? info->width : info->height;
    std::vector<CopySize> sizes;
    for (const CopyTarget& t : job.targets)
      sizes.push_back(fitCopySize(uprightW, uprightH, t.limit, t.limit));
    const CopySize size = sizes.front();

    Result<Image> decoded;
    {
      const ScaledSize scaled =
          swap ? jpegScaledSize(info->width, info->height, size.height, size.width)
               : jpegScaledSize(info->width, info->height, size.width, size.height);
      const std::size_t need = decodeMemory(*info, scaled, file.fileSize());
      BudgetLease lease(budget_, need);
      if (!lease.tryTake()) {
        if (mayDefer) {
          deferred = true;
          return {};
        }
        lease.take();
      }
      if (stopRequested()) return fail("中止");
      std::span<const unsigned char> bytes = file.whole();
      if (bytes.empty()) return fail("写真を読み込めません: " + job.source);
      JpegLoadOptions options;
      options.coverWidth = size.width;
      options.coverHeight = size.height;
      decoded = decodeJpeg(bytes, job.source, options);
      file.drop();
      if (need >= kTrimAfter) ::malloc_trim(0);
    }
    if (!decoded) return std::unexpected(decoded.error());

    Image larger = std::move(*decoded);
    for (std::size_t i = 0; i < job.targets.size(); ++i) {
      const std::string& destination = job.targets[i].destination;
      Image reduced = resizeAreaAverage(larger, sizes[i].width, sizes[i].height);
      larger = Image();
      Result<std::string> jpeg = encodeJpeg(reduced, kJpegQuality);
      if (!jpeg)
        return fail("縮小画像を作成できません: " + destination + "（" + jpeg.error().message +
                    "）");
      if (stopRequested()) return fail("中止");
      Result<void> saved = writeFileAtomic(destination, *jpeg);
      if (!saved) return saved;
      ++written;
      const bool last = i + 1 == job.targets.size();
      if (i == job.preview) copy = last ? std::move(reduced) : reduced;
      if (!last) larger = std::move(reduced);
    }
    return {};
  }

  ProgramState& state_;
  UserDialogs& dialogs_;
  CopyMode mode_;
  std::stop_token stop_;
  const CopyProgressFn& progress_;
  MemoryBudget budget_;
  bool stopFlag_ = false;
  std::vector<std::string> files_;
  std::vector<char> largeFailed_;
  std::vector<char> failed_;  // either copy of the photo failed
  std::mutex mutex_;
  ThumbRunResult result_;
};

}  // namespace

std::string doubleDensityFolder(const std::string& copyFolder) {
  return copyFolder + "/2x";
}

int largeCopyLimit(std::int16_t listPageWidth) {
  if (listPageWidth < 700) return 350;
  if (listPageWidth < 900) return 470;
  if (listPageWidth <= 1024) return 600;
  return 732;
}

CopySize fitCopySize(int width, int height, int maxWidth, int maxHeight) {
  if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0) return {1, 1};
  double rx = static_cast<double>(width) / maxWidth;
  const double ry = static_cast<double>(height) / maxHeight;
  if (rx < 1 && ry < 1) rx = 1;  // a picture that fits is never enlarged
  const double r = rx > ry ? rx : ry;
  const double w = roundHalfEven(width / r), h = roundHalfEven(height / r);
  return {std::max(1, static_cast<int>(w)), std::max(1, static_cast<int>(h))};
}

ThumbRunResult runThumbnailMaker(ProgramState& state, UserDialogs& dialogs, CopyMode mode,
                                 std::stop_token stop, const CopyProgressFn& progress) {
#ifdef __GLIBC__
  // The decoder's large buffers (tens of megabytes of coefficients per progressive photo)
  // come from malloc. By default glibc raises its mapping threshold after freeing such a
  // block, so later ones land in the per-thread heaps and stay resident; a fixed threshold
  // keeps every large block in its own mapping, returned when freed.
  static std::once_flag fixedThreshold;
  std::call_once(fixedThreshold, [] { ::mallopt(M_MMAP_THRESHOLD, 1 << 20); });
#endif
  ThumbRun run(state, dialogs, mode, stop, progress);
  return run.run();
}

}  // namespace fotela
