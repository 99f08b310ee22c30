#pragma once
// The stylesheets and the script of the modern pages. They live as files of their own in
// publish/modern/ and are compiled in by the build.

#include <string_view>

namespace fotela {

extern const std::string_view kBaseCss;   // both pages
extern const std::string_view kAlbumCss;  // the album page
extern const std::string_view kMenuCss;   // the menu page
extern const std::string_view kAlbumJs;   // the album page's photo view

}  // namespace fotela
