#pragma once
// The thumbnail maker: a large copy of every photo in ImageFolder, then a thumbnail
// (at most 100 x 100) of every large copy in ThumbFolder. For the modern album style it
// also makes both copies at twice the size, for screens with dense pixels. Runs on worker
// threads, can be stopped, and never leaves a half-written copy.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "common/error.h"
#include "imaging/image.h"
#include "photos/photo_entry.h"

namespace fotela {

struct ProgramState;
class UserDialogs;

// The large-copy limit for a list page width: <700 350; 700-899 470; 900-1024 600; else 732.
int largeCopyLimit(std::int16_t listPageWidth);

struct CopySize {
  int width = 0;
  int height = 0;
  bool operator==(const CopySize&) const = default;
};
// The folder of the copies at twice the size beside those of `copyFolder` (a sub-folder name
// or a path): copyFolder + "/2x", holding the same file names.
std::string doubleDensityFolder(const std::string& copyFolder);

// Fits w x h into maxW x maxH: never enlarged, halves to even, at least 1.
CopySize fitCopySize(int width, int height, int maxWidth, int maxHeight);

enum class CopyMode {
  All,         // make every copy
  UpdateOnly,  // only copies that are missing or older than their source
};

struct CopyProgress {
  // 0 = large copies, 1 = thumbnails. The modern style makes all the copies of a photo
  // together, reported once a photo with phase 0.
  int phase = 0;
  std::size_t done = 0;
  std::size_t total = 0;
  std::string fileName;
  const Image* preview = nullptr;  // the finished copy; valid during the call only
};
// Called from worker threads, one call at a time.
using CopyProgressFn = std::function<void(const CopyProgress&)>;

struct ThumbRunResult {
  bool declined = false;  // the user answered No to the folder question
  bool stopped = false;
  std::size_t made = 0;
  std::vector<Error> failures;  // photos that could not be read or written, by file name
  // The file names (name + "." + type) of the photos whose large copy or thumbnail could
  // not be made in this run: the pages of a full build leave them out.
  std::vector<std::string> failedPhotos;
};

// Holds an AlbumRun for the album folder (unless the caller's build holds it), refuses
// sub-folder names that are not plain names (checkCopyFolderNames), checks both sub-folders
// (asking "縮小画像を作成しますか？" when ThumbRunMode is 0 and a folder exists), then makes
// the copies of every row of state.photos whose type is "jpg".
// With state.albumStyle Modern it also makes, in the sub-folders doubleDensityFolder() of
// both, copies within twice the limits (2 x largeCopyLimit, 200 x 200), each photo decoded
// once for its four copies. UpdateOnly then remakes each copy that is missing or older than
// the photo. Photos that cannot be read or copies that cannot be written do
// not stop the run; after it, one warning through `dialogs` names them all (they are also in the
// result). The question and the warning come from the calling thread; the work runs on worker
// threads.
ThumbRunResult runThumbnailMaker(ProgramState& state, UserDialogs& dialogs, CopyMode mode,
                                 std::stop_token stop = {}, const CopyProgressFn& progress = {});

}  // namespace fotela
