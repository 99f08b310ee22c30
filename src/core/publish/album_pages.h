#pragma once
// The album page set of a photo folder: main frameset, music page, index page (with the
// video pages), view page, slide-show page and thumbnail list page.

#include <expected>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/error.h"
#include "common/user_dialogs.h"
#include "photos/photo_entry.h"
#include "settings/album_settings.h"

namespace fotela {

struct ProgramState;

// Shown when a reduced copy is missing or unreadable: the copies must be made first.
inline constexpr const char* kMissingCopyMessage =
    "縮小画像が正常に作成されていない可能性があります。\r縮小画像の作成を先に行ってください。";

struct PageFailure {
  bool missingCopy = false;  // a reduced copy could not be found or read
  std::string message;       // names the file
};
using PageResult = std::expected<void, PageFailure>;

enum class AlbumPagesOutcome {
  NoPhotos,  // no photo to show: nothing written, nothing shown
  Written,   // every page written; the album may be shown
  Failed,    // a message was shown; the pages of the folder are as they were
};

class PageSet;

// Writes every page of the album of state.settings.PhotoFolder from state.photos, leaving
// out the photos whose file names are in `leaveOut` (those whose copies could not be made),
// in the style of state.albumStyle; the pages of the other style go in the same step.
// The pages are written to temporary files and put in place together only when all were
// written, under an AlbumRun (unless the caller holds one), which first removes temporary
// files of earlier runs that were killed. On success sets LastAlbumPage and
// albumViewEnabled and saves the order file (TitlePut, every photo of the list) when the
// order or a description changed. Failures are reported through
// `dialogs`: a missing reduced copy with kMissingCopyMessage, a page that cannot be
// written with its file name and the reason, page or folder names in the settings that
// are not plain names.
AlbumPagesOutcome WriteAlbumPages(ProgramState& state, UserDialogs& dialogs,
                                  const std::vector<std::string>& leaveOut = {});

// The pixel sizes of the reduced copies, each read from the copy's header once per run
// (the index and list pages show the same thumbnails, the view and slide-show pages the
// same large copies). A copy that does not exist or has no readable frame header is a
// missing copy.
struct CopyDimensions {
  int width = 0;
  int height = 0;
};
class CopySizes {
 public:
  std::expected<CopyDimensions, PageFailure> of(const std::string& path);

 private:
  std::unordered_map<std::string, CopyDimensions> known_;
};

// The list page (stem_3.ext) of `folder`: every thumbnail in rows no wider than
// ListPageWidth. Writes nothing for an empty list. The PageSet form adds the page to a set
// being written; the others write it on its own (still replaced only when complete).
PageResult WriteListPage(PageSet& pages, const std::vector<PhotoEntry>& rows,
                         const AlbumSettings& settings, CopySizes& sizes);
PageResult WriteListPage(const std::string& folder, const std::vector<PhotoEntry>& rows,
                         const AlbumSettings& settings, CopySizes& sizes);
PageResult WriteListPage(const std::string& folder, const std::vector<PhotoEntry>& rows,
                         const AlbumSettings& settings);

// One video page `pageName` in `folder` for the clip `clip`; `kind` is "AVI", "MOV" or
// "3gp" (only "MOV" gets a fixed 640 x 500 player).
Result<void> DogaHtml(const std::string& folder, const AlbumSettings& settings,
                      const std::string& pageName, const std::string& clip, std::string_view kind);
Result<void> DogaHtml(PageSet& pages, const AlbumSettings& settings, const std::string& pageName,
                      const std::string& clip, std::string_view kind);

}  // namespace fotela
