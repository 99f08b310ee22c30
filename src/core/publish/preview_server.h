#pragma once
// A small HTTP server that previews an album folder in a browser. Browsers give every
// file:// page its own origin, so the album's frames cannot read the top window's name
// when opened from disk; over HTTP they share one origin and the album works.
//
// The server listens on 127.0.0.1 only, answers GET and HEAD (with byte ranges, which
// browsers need to play and seek video), streams files in blocks, never serves a path
// outside its folder (".." is refused and symbolic links must stay inside) nor a hidden
// one (any part starting with "."), and answers only requests whose Host is its own
// loopback address (127.0.0.1, localhost or [::1] with its port), so a page of another
// site cannot reach it through a name that resolves to 127.0.0.1.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace fotela {

class PreviewServer {
 public:
  PreviewServer();
  ~PreviewServer();  // stops the server
  PreviewServer(const PreviewServer&) = delete;
  PreviewServer& operator=(const PreviewServer&) = delete;

  // Starts serving `folder` on 127.0.0.1:port on worker threads (port 0 = any free port).
  // `directoryPage` is served for a request of the folder itself when it holds no
  // index.html. Returns the port.
  Result<int> start(const std::string& folder, int port = 0,
                    std::string directoryPage = "album.html");
  // Stops serving; safe to call from any thread, and more than once.
  void stop();
  // Blocks until the server has stopped.
  void wait();

  int port() const;
  // "http://127.0.0.1:PORT/" + the page name, percent-encoded.
  std::string url(std::string_view page) const;

 private:
  struct Impl;
  // Answers one request (on a server thread).
  static void serve(const Impl& impl, const httplib::Request& request, httplib::Response& response);
  std::unique_ptr<Impl> impl_;
};

// The file a request path (already percent-decoded, starting with "/") names inside
// `root`; nullopt when it leaves the folder, names no regular file, or is malformed.
// A folder gives its index.html, else `directoryPage`.
std::optional<std::filesystem::path> resolveRequestPath(const std::filesystem::path& root,
                                                        std::string_view requestPath,
                                                        std::string_view directoryPage);

// True when a request's Host header names this server: 127.0.0.1, localhost or [::1]
// with `port` (without it for port 80), letter case ignored.
bool isLoopbackHost(std::string_view host, int port);

// The Content-Type for a file name (HTML without a charset: the pages carry their own).
std::string contentTypeFor(std::string_view fileName);

}  // namespace fotela
