#pragma once
// The modern album style: one responsive page (AlbumHtml) with its stylesheet and script
// beside it, no frames, the same opened from disk and over HTTP; and the menu page as a
// grid of cards. The pages follow the same file rules as the classic ones (CP932 with
// "&#N;", CR LF, names as data, descriptions as the user's HTML).

#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "imaging/photo_facts.h"
#include "photos/photo_entry.h"
#include "publish/album_pages.h"
#include "settings/album_settings.h"

namespace fotela {

struct ProgramState;

// The files of the modern set. The suffixes sit before the first ".", so neither file can
// ever have the main page's own name.
struct ModernPageNames {
  std::string main;        // AlbumHtml unchanged
  std::string stylesheet;  // stem + "_style.css"
  std::string script;      // stem + "_script.js"
};
ModernPageNames modernPageNames(std::string_view albumHtml);

// The pages of the classic style that `folder` may hold from an earlier build: the
// frameset's other pages, the list page, the music page and every video page.
std::vector<std::string> classicPagesIn(const std::string& folder, std::string_view albumHtml);

// A name as a URL that needs no further care anywhere (srcset, fragment, attribute): every
// byte outside A-Z a-z 0-9 "-._~" percent-encoded.
std::string strictUrlName(std::string_view name);

// The text of the user's HTML for an attribute: tags and comments dropped (a line-break
// tag becomes a blank), blanks collapsed, '"' and control characters as references.
// Character references stay as the user wrote them.
std::string htmlAttributeText(std::string_view html);

// A photo's facts as the photo view shows them; empty where the photo has none.
struct FactTexts {
  std::string date;      // "2024/05/03 14:22"
  std::string camera;    // "Canon EOS R6"
  std::string exposure;  // "1/250 秒"
  std::string fNumber;   // "f/5.6"
  std::string iso;       // "ISO 200"
  std::string focal;     // "35 mm"
};
FactTexts factTexts(const PhotoFacts& facts);

// Writes the modern page set of state.settings.PhotoFolder for `rows` (their reduced copies
// must exist; copies at twice the size are listed when they exist) and puts it in place,
// removing in the same step the classic pages of an earlier build. Sets LastAlbumPage.
PageResult WriteModernAlbumPages(ProgramState& state, const std::vector<PhotoEntry>& rows);

// The menu page index.html of `base` (with its trailing separator) in the modern style:
// one card per sub-folder in `folders` (in that order) with the thumbnail of the album's
// first photo.
Result<void> writeModernMenuPage(const std::string& base, const std::string& title,
                                 const std::vector<std::string>& folders,
                                 const AlbumSettings& settings);

}  // namespace fotela
