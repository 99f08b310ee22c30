#include "settings/album_settings.h"

#include "common/paths.h"

namespace fotela {

AlbumSettings defaultAlbumSettings() {
  AlbumSettings s;
  s.PhotoFolder = ProgramFolder();
  s.AlbumHtml = "album.html";
  s.TitleFromFolder = 1;
  s.AlbumTitle = "アルバム";
  s.ThumbFolder = "small";
  s.ImageFolder = "big";
  s.ListPageWidth = 1024;
  s.FrameWidth = 200;
  s.BgColor = "FFFFFF";
  s.TextColor = "000000";
  s.LinkColor = "0000FF";
  s.VLinkColor = "000088";
  s.ALinkColor = "0000FF";
  s.BgImage = "";
  s.ReturnPage = "../index.html";
  s.CameraFolder = "";
  s.EditScalePercent = "75";
  s.EditFrameWidth = "10";
  s.EditFrameColor = "AA6600";
  s.EditBlurFrameWidth = "10";
  s.EditBlurFrameColor = "ffffff";
  s.EditEllipseBlurWidth = "50";
  s.EditEllipseBlurColor = "ffffff";
  s.EditFocusBlurWidth = "50";
  s.EditCompositeFile = "";
  s.EditTransparentColor = "000000";
  s.SlideInterval = 4000;
  s.IncludeVideos = 0;
  return s;
}

}  // namespace fotela
