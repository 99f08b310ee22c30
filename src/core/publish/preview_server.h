#pragma once
// A small HTTP server that previews an album folder in a browser. Browsers give every
// file:// page its own origin, so the album's frames cannot read the top window's name
// when opened from disk; over HTTP they share one origin and the album works.
//
// The server listens on 127.0.0.1 only, answers GET and HEAD (with byte ranges, which
// browsers need to play and seek video), streams files from an open descriptor, never
// serves a path outside its folder (every file is resolved and opened in one step below
// the folder's descriptor, so a name swapped for a link meanwhile cannot lead out; ".." is
// refused and symbolic links must stay inside) nor a hidden one (any part starting with
// "."), and answers only requests whose Host is its own loopback address (127.0.0.1,
// localhost or [::1] with its port), so a page of another site cannot reach it through a
// name that resolves to 127.0.0.1.
//
// Connections are served by a few event-driven threads (libmicrohttpd with epoll), so
// clients that send slowly hold no thread; a request head must arrive whole within a
// deadline, and the connections one address and all addresses may hold are capped.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "common/error.h"

namespace fotela {

// What clients may hold of a server. When a cap is reached, the connection waiting
// longest for its request head is closed to make room (the new one when every other is
// being answered), so a crowd of slow clients cannot lock out a browser on the same
// address.
struct PreviewLimits {
  int perAddress = 64;                             // open connections from one address
  int total = 256;                                 // open connections in all
  std::chrono::milliseconds headDeadline{10'000};  // to send a whole request head
  std::chrono::seconds idleTimeout{30};            // without a byte either way
};

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
                    std::string directoryPage = "album.html", PreviewLimits limits = {});
  // Stops serving; safe to call from any thread, and more than once.
  void stop();
  // Blocks until the server has stopped.
  void wait();

  int port() const;
  // "http://127.0.0.1:PORT/" + the page name, percent-encoded.
  std::string url(std::string_view page) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// True when a request's Host header names this server: 127.0.0.1, localhost or [::1]
// with `port` (without it for port 80), letter case ignored.
bool isLoopbackHost(std::string_view host, int port);

// The Content-Type for a file name (HTML without a charset: the pages carry their own).
std::string contentTypeFor(std::string_view fileName);

}  // namespace fotela
