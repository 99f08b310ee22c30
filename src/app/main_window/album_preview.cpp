#include "main_window/album_preview.h"

#include <QDesktopServices>

#include "common/document.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/user_dialogs.h"
#include "publish/preview_server.h"

namespace fotela::app {

bool openWithDesktop(const QUrl& url) {
  return QDesktopServices::openUrl(url);
}

AlbumPreview::AlbumPreview(UrlOpener open) : open_(std::move(open)) {}

AlbumPreview::~AlbumPreview() {
  if (server_) {
    server_->stop();
    server_->wait();
  }
}

int AlbumPreview::port() const {
  return server_ ? server_->port() : 0;
}

void AlbumPreview::showAlbum(const std::string& page, UserDialogs& dialogs) {
  if (!isFile(page)) {
    dialogs.message(page + "がありません。", kProgramTitle, DialogIcon::Warning);
    return;
  }
  std::string folder, name;
  SplitFolderAndName(page, folder, name);
  if (!server_ || folder != servedFolder_) {
    if (server_) {
      server_->stop();
      server_->wait();
    }
    server_ = std::make_unique<PreviewServer>();
    servedFolder_.clear();
    if (auto started = server_->start(folder, 0, name); !started) {
      server_.reset();
      dialogs.message(started.error().message, kProgramTitle, DialogIcon::Warning);
      return;
    }
    servedFolder_ = folder;
  }
  // The page's own name is the address; a retry with ".HTM" and the browser warning
  // follow the same rules as every other document.
  const std::string prefix = folderPrefix(folder);
  ShowDocument(
      page,
      [this, &prefix](const std::string& path) {
        if (!path.starts_with(prefix)) return false;
        return open_(QUrl(QString::fromStdString(server_->url(path.substr(prefix.size())))));
      },
      dialogs);
}

}  // namespace fotela::app
