#pragma once
// Showing a finished album in the default browser. Albums opened from file:// lose
// their right-hand frame in today's browsers, so the album's folder is served on
// 127.0.0.1 by one preview server per program run, started on first use and stopped
// when this object goes.

#include <QUrl>
#include <functional>
#include <memory>
#include <string>

namespace fotela {
class PreviewServer;
class UserDialogs;
}  // namespace fotela

namespace fotela::app {

// Opens an address in the desktop's default program; true on success.
using UrlOpener = std::function<bool(const QUrl&)>;
// QDesktopServices::openUrl.
bool openWithDesktop(const QUrl& url);

class AlbumPreview {
 public:
  explicit AlbumPreview(UrlOpener open = openWithDesktop);
  ~AlbumPreview();
  AlbumPreview(const AlbumPreview&) = delete;
  AlbumPreview& operator=(const AlbumPreview&) = delete;

  // Opens the album page `page` (a full path) through the server, which serves the
  // page's folder (restarted on another port when the folder differs). A missing page
  // gets "<page>がありません。".
  void showAlbum(const std::string& page, UserDialogs& dialogs);

  // The port being served, 0 before the first album.
  int port() const;

 private:
  UrlOpener open_;
  std::unique_ptr<PreviewServer> server_;
  std::string servedFolder_;
};

}  // namespace fotela::app
