#include "settings/album_settings.h"

#include "common/paths.h"
#include "common/text.h"

namespace fotela {

AlbumSettings defaultAlbumSettings() {
  AlbumSettings s;
  s.PhotoFolder = defaultPhotoFolder();
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

namespace {

bool isPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || u < 0x20 || u == 0x7F) return false;
  }
  return true;
}

// The value as a message shows it: a control character as "?".
std::string shown(const std::string& value) {
  std::string out = value;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return out;
}

Result<void> checkPlainName(const char* label, const std::string& value) {
  if (isPlainName(value)) return {};
  return fail("設定「" + std::string(label) + "」の \"" + shown(value) +
              "\" は使えません。アルバムのフォルダの中の名前（「/」「..」や制御文字を含まない"
              "名前）にしてください。");
}

}  // namespace

Result<void> checkAlbumPageName(const std::string& name) {
  return checkPlainName("アルバムＨＴＭＬ", name);
}

Result<void> checkAlbumNames(const AlbumSettings& s) {
  if (auto r = checkAlbumPageName(s.AlbumHtml); !r) return r;
  return checkCopyFolderNames(s);
}

Result<void> checkCopyFolderNames(const AlbumSettings& s) {
  if (auto r = checkPlainName("画像フォルダ", s.ImageFolder); !r) return r;
  if (auto r = checkPlainName("サムネイルフォルダ", s.ThumbFolder); !r) return r;
  // Letter case aside: the album may be put on a server that does not tell them apart.
  if (asciiUpper(s.ImageFolder) == asciiUpper(s.ThumbFolder)) {
    return fail("設定「画像フォルダ」と「サムネイルフォルダ」が同じ \"" + s.ThumbFolder +
                "\" です。別の名前にしてください。");
  }
  return {};
}

}  // namespace fotela
