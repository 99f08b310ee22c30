#pragma once
// The one settings record of the run and its defaults.

#include <cstdint>
#include <string>

#include "common/error.h"

namespace fotela {

struct AlbumSettings {
  std::string PhotoFolder;
  std::string AlbumHtml;
  std::int16_t TitleFromFolder = 0;
  std::string AlbumTitle;
  std::string ThumbFolder;
  std::string ImageFolder;
  std::int16_t ListPageWidth = 0;
  std::int16_t FrameWidth = 0;
  std::string BgColor;
  std::string TextColor;
  std::string LinkColor;
  std::string VLinkColor;
  std::string ALinkColor;
  std::string BgImage;
  std::string ReturnPage;
  std::string CameraFolder;
  std::string EditScalePercent;
  std::string EditFrameWidth;
  std::string EditFrameColor;
  std::string EditBlurFrameWidth;
  std::string EditBlurFrameColor;
  std::string EditEllipseBlurWidth;
  std::string EditEllipseBlurColor;
  std::string EditFocusBlurWidth;
  std::string EditCompositeFile;
  std::string EditTransparentColor;
  std::int16_t SlideInterval = 0;
  std::int16_t IncludeVideos = 0;

  bool operator==(const AlbumSettings&) const = default;
};

// Every field at its default; PhotoFolder is defaultPhotoFolder().
AlbumSettings defaultAlbumSettings();

// AlbumHtml, ImageFolder and ThumbFolder name files and folders inside the photo folder:
// each must be a plain name (not empty, not "." or "..", no "/", no control character),
// and the two sub-folders must differ. The error names the setting and its value.
Result<void> checkAlbumNames(const AlbumSettings& settings);
// The same for ImageFolder and ThumbFolder alone.
Result<void> checkCopyFolderNames(const AlbumSettings& settings);
// The same for a main page name alone.
Result<void> checkAlbumPageName(const std::string& name);

}  // namespace fotela
