#include "publish/preview_server.h"

#include <httplib.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

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

std::optional<fs::path> regularFileInside(const fs::path& root, const fs::path& path) {
  std::error_code ec;
  fs::path real = fs::canonical(path, ec);
  if (ec || !isInside(root, real)) return std::nullopt;
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
    if (part == ".." || part.find('\\') != std::string_view::npos) return std::nullopt;
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
  impl->server.Get(".*", [impl](const httplib::Request& request, httplib::Response& response) {
    auto file = resolveRequestPath(impl->root, request.path, impl->directoryPage);
    // A folder's page links relative to the folder: "/trip" must become "/trip/".
    std::error_code ec;
    if (file && !request.path.ends_with('/')) {
      auto target = requestTarget(impl->root, request.path);
      if (target && fs::is_directory(*target, ec)) {
        response.set_redirect(percentEncodePath(request.path + "/"), 301);
        return;
      }
    }
    if (!file) {
      response.status = 404;
      response.set_content("404 Not Found\n", "text/plain");
      return;
    }
    std::ifstream in(*file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
      response.status = 500;
      response.set_content("500 Cannot read the file\n", "text/plain");
      return;
    }
    // Albums are rebuilt while they are previewed; always show the current files.
    response.set_header("Cache-Control", "no-cache");
    response.set_content(bytes.str(), contentTypeFor(file->filename().string()));
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
