#include "publish/preview_server.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "common/files.h"
#include "common/text.h"

namespace fotela {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLoopback = "127.0.0.1";

bool isInside(const fs::path& root, const fs::path& candidate) {
  auto r = root.begin();
  auto c = candidate.begin();
  for (; r != root.end(); ++r, ++c) {
    if (r->empty()) continue;  // trailing separator of the root
    if (c == candidate.end() || *r != *c) return false;
  }
  return true;
}

// True when some part of `path` below `root` is a hidden name.
bool hiddenBelow(const fs::path& root, const fs::path& path) {
  for (const fs::path& part : path.lexically_relative(root))
    if (part.native().starts_with('.') && part != ".") return true;
  return false;
}

std::optional<fs::path> regularFileInside(const fs::path& root, const fs::path& path) {
  std::error_code ec;
  fs::path real = fs::canonical(path, ec);
  // A link may point inside the folder, but not to a hidden file there.
  if (ec || !isInside(root, real) || hiddenBelow(root, real)) return std::nullopt;
  if (!fs::is_regular_file(real, ec)) return std::nullopt;
  return real;
}

}  // namespace

namespace {

// root + the request's path components; nullopt for ".." or a malformed path.
std::optional<fs::path> requestTarget(const fs::path& root, std::string_view requestPath) {
  if (requestPath.empty() || requestPath.front() != '/') return std::nullopt;
  if (requestPath.find('\0') != std::string_view::npos) return std::nullopt;
  fs::path target = root;
  std::string_view rest = requestPath.substr(1);
  while (!rest.empty()) {
    auto cut = rest.find('/');
    std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    // Hidden names (".git", the writers' temporary files) are never served; ".." is one.
    if (part.front() == '.' || part.find('\\') != std::string_view::npos) return std::nullopt;
    target /= std::string(part);
  }
  return target;
}

std::string percentEncodePath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

std::optional<fs::path> resolveRequestPath(const fs::path& root, std::string_view requestPath,
                                           std::string_view directoryPage) {
  std::error_code ec;
  fs::path realRoot = fs::canonical(root, ec);
  if (ec) return std::nullopt;
  std::optional<fs::path> target = requestTarget(realRoot, requestPath);
  if (!target) return std::nullopt;
  if (fs::is_directory(*target, ec)) {
    if (auto index = regularFileInside(realRoot, *target / "index.html")) return index;
    if (directoryPage.empty()) return std::nullopt;
    return regularFileInside(realRoot, *target / std::string(directoryPage));
  }
  return regularFileInside(realRoot, *target);
}

std::string contentTypeFor(std::string_view fileName) {
  auto dot = fileName.rfind('.');
  std::string ext = dot == std::string_view::npos ? "" : asciiLower(fileName.substr(dot + 1));
  if (ext == "html" || ext == "htm") return "text/html";
  if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
  if (ext == "png") return "image/png";
  if (ext == "gif") return "image/gif";
  if (ext == "bmp") return "image/bmp";
  if (ext == "css") return "text/css";
  if (ext == "js") return "text/javascript";
  if (ext == "txt") return "text/plain";
  if (ext == "mid" || ext == "midi") return "audio/midi";
  if (ext == "avi") return "video/x-msvideo";
  if (ext == "mov") return "video/quicktime";
  if (ext == "3gp") return "video/3gpp";
  return "application/octet-stream";
}

struct PreviewServer::Impl {
  httplib::Server server;
  std::thread thread;
  fs::path root;
  std::string directoryPage;
  int port = 0;
};

bool isLoopbackHost(std::string_view host, int port) {
  const std::string value = asciiLower(host);
  const std::string suffix = ":" + std::to_string(port);
  for (const char* name : {"127.0.0.1", "localhost", "[::1]"}) {
    if (value == name + suffix) return true;
    if (port == 80 && value == name) return true;  // browsers leave the default port out
  }
  return false;
}

namespace {

void plainResponse(httplib::Response& response, int status, const char* text) {
  response.status = status;
  response.set_content(text, "text/plain");
}

// Byte ranges as the request gave them, made fit for a file of `size` bytes: an end past
// the file is cut at its last byte ("bytes=0-" and "bytes=100-999999" are the same range).
// False when a range starts past the end or the file is empty (416).
bool fitRanges(httplib::Ranges& ranges, std::uint64_t size) {
  const auto last = static_cast<ssize_t>(size) - 1;
  for (auto& [first, end] : ranges) {
    if (first == -1) {  // the last `end` bytes
      if (end <= 0 || size == 0) return false;
      first = std::max<ssize_t>(0, last + 1 - end);
      end = last;
    } else {
      if (first > last) return false;
      if (end == -1 || end > last) end = last;
    }
  }
  return true;
}

// The file is read in blocks as the connection takes them, so a large video costs the
// server a block per download, not the file.
constexpr std::size_t kStreamBlock = 64 * 1024;

}  // namespace

void PreviewServer::serve(const Impl& impl, const httplib::Request& request,
                          httplib::Response& response) {
  // cpp-httplib applies the request's ranges to the response after this handler. The
  // request object is the server's own and not const; ranges are made to fit the file
  // here, and dropped for every answer but a file.
  httplib::Ranges& ranges = const_cast<httplib::Request&>(request).ranges;
  const httplib::Ranges asked = ranges;
  ranges.clear();

  // A page of another site whose name was pointed at 127.0.0.1 (DNS rebinding) sends its
  // own name as Host; only our own address is answered.
  if (!isLoopbackHost(request.get_header_value("Host"), impl.port)) {
    plainResponse(response, 403, "403 Forbidden\n");
    return;
  }
  auto file = resolveRequestPath(impl.root, request.path, impl.directoryPage);
  // A folder's page links relative to the folder: "/trip" must become "/trip/".
  std::error_code ec;
  if (file && !request.path.ends_with('/')) {
    auto target = requestTarget(impl.root, request.path);
    if (target && fs::is_directory(*target, ec)) {
      response.set_redirect(percentEncodePath(request.path + "/"), 301);
      return;
    }
  }
  if (!file) {
    plainResponse(response, 404, "404 Not Found\n");
    return;
  }
  auto handle = std::make_shared<ReadOnlyFile>();
  if (!handle->open(file->string())) {
    plainResponse(response, 500, "500 Cannot read the file\n");
    return;
  }
  const std::uint64_t size = handle->size();
  ranges = asked;
  if (!fitRanges(ranges, size)) {
    ranges.clear();
    response.set_header("Content-Range", "bytes */" + std::to_string(size));
    plainResponse(response, 416, "416 Range Not Satisfiable\n");
    return;
  }
  // Albums are rebuilt while they are previewed; always show the current files.
  response.set_header("Cache-Control", "no-cache");
  response.set_header("Accept-Ranges", "bytes");
  const std::string type = contentTypeFor(file->filename().string());
  if (size == 0) {
    response.status = 200;
    response.set_header("Content-Type", type);
    return;
  }
  response.set_content_provider(
      static_cast<std::size_t>(size), type,
      [handle](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        std::vector<char> block(std::min(length, kStreamBlock));
        const std::size_t got = handle->readAt(block.data(), block.size(), offset);
        // A file cut while it is sent ends the connection rather than send wrong bytes.
        if (got == 0) return false;
        return sink.write(block.data(), got);
      });
}

PreviewServer::PreviewServer() : impl_(std::make_unique<Impl>()) {}

PreviewServer::~PreviewServer() {
  stop();
  wait();
}

Result<int> PreviewServer::start(const std::string& folder, int port, std::string directoryPage) {
  std::error_code ec;
  fs::path root = fs::canonical(folder, ec);
  if (ec || !fs::is_directory(root, ec)) return fail(folder + " がありません。");
  impl_->root = root;
  impl_->directoryPage = std::move(directoryPage);

  Impl* impl = impl_.get();
  // Every path: "." would stop at a line break, which a file name may hold.
  impl->server.Get("[\\s\\S]*",
                   [impl](const httplib::Request& request, httplib::Response& response) {
                     serve(*impl, request, response);
                   });

  int bound = -1;
  if (port == 0) {
    bound = impl->server.bind_to_any_port(kLoopback);
  } else if (impl->server.bind_to_port(kLoopback, port)) {
    bound = port;
  }
  if (bound < 0) {
    return fail("127.0.0.1:" + std::to_string(port) + " で待ち受けできません。");
  }
  impl->port = bound;
  impl->thread = std::thread([impl] { impl->server.listen_after_bind(); });
  // stop() only reaches a server that is already listening; wait for that moment.
  for (int i = 0; i < 5000 && !impl->server.is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return bound;
}

void PreviewServer::stop() {
  impl_->server.stop();
}

void PreviewServer::wait() {
  if (impl_->thread.joinable()) impl_->thread.join();
}

int PreviewServer::port() const {
  return impl_->port;
}

std::string PreviewServer::url(std::string_view page) const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + "/" + percentEncodePath(page);
}

}  // namespace fotela
