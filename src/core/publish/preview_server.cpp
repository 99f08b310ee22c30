#include "publish/preview_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "common/open_beneath.h"
#include "common/text.h"
#include "publish/byte_ranges.h"

namespace fotela {

namespace {

using Clock = std::chrono::steady_clock;

// The request's path (percent-decoded, starting with "/") as a path relative to the
// folder; nullopt for ".." or a malformed path.
std::optional<std::string> requestRelative(std::string_view requestPath) {
  if (requestPath.empty() || requestPath.front() != '/') return std::nullopt;
  if (requestPath.find('\0') != std::string_view::npos) return std::nullopt;
  std::string relative;
  std::string_view rest = requestPath.substr(1);
  while (!rest.empty()) {
    auto cut = rest.find('/');
    std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    // Hidden names (".git", the writers' temporary files) are never served; ".." is one.
    if (part.front() == '.' || part.find('\\') != std::string_view::npos) return std::nullopt;
    if (!relative.empty()) relative += '/';
    relative += part;
  }
  return relative;
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

// True when `path` lies below `root` (both as the kernel names them) and no name on the
// way down is hidden.
bool visibleBelow(const std::string& root, const std::string& path) {
  if (root.empty() || !path.starts_with(root)) return false;
  std::string_view rest = std::string_view(path).substr(root.size());
  if (root != "/") {
    if (!rest.starts_with('/')) return false;
    rest.remove_prefix(1);
  }
  if (rest.empty()) return false;
  while (!rest.empty()) {
    const auto cut = rest.find('/');
    if (rest.front() == '.') return false;
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  return true;
}

// The open connections and the state of their request heads. Caps are kept by closing
// the connection that has waited longest for its head; heads past the deadline are
// closed by expire(). Closing is a shutdown of the socket: the server's own thread then
// sees the end of the stream and frees the connection. Called from the server's threads
// and the deadline thread.
class ConnectionGuard {
 public:
  explicit ConnectionGuard(const PreviewLimits& limits) : limits_(limits) {}

  void opened(const void* id, int fd, std::string address) {
    std::lock_guard lock(mutex_);
    entries_[id] = Entry{fd, std::move(address), Clock::now(), ++order_};
    const Entry& added = entries_[id];
    if (count(&added.address) > limits_.perAddress) shutOldestHead(&added.address, id);
    if (count(nullptr) > limits_.total) shutOldestHead(nullptr, id);
  }
  // The head arrived: the request is answered, however slowly the client reads.
  void headDone(const void* id) {
    std::lock_guard lock(mutex_);
    if (auto it = entries_.find(id); it != entries_.end()) it->second.answering = true;
  }
  // The answer is done; a kept-alive connection now waits for its next head.
  void requestDone(const void* id) {
    std::lock_guard lock(mutex_);
    if (auto it = entries_.find(id); it != entries_.end()) {
      it->second.answering = false;
      it->second.headSince = Clock::now();
      it->second.order = ++order_;
    }
  }
  void closed(const void* id) {
    std::lock_guard lock(mutex_);
    entries_.erase(id);
  }
  void expire() {
    std::lock_guard lock(mutex_);
    const Clock::time_point late = Clock::now() - limits_.headDeadline;
    for (auto& [id, e] : entries_)
      if (!e.answering && !e.shut && e.headSince <= late) shut(e);
  }

 private:
  struct Entry {
    int fd = -1;
    std::string address;
    Clock::time_point headSince;
    std::uint64_t order = 0;  // when it began to wait for its head
    bool answering = false;
    bool shut = false;
  };

  static void shut(Entry& e) {
    ::shutdown(e.fd, SHUT_RDWR);
    e.shut = true;
  }
  // Open connections (not yet shut), from `address` or in all.
  int count(const std::string* address) const {
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [&](const auto& p) {
      return !p.second.shut && (!address || p.second.address == *address);
    }));
  }
  // Closes the connection (from `address`, or any) that has waited longest for its head;
  // the new one `added` when every other is being answered.
  void shutOldestHead(const std::string* address, const void* added) {
    Entry* oldest = nullptr;
    for (auto& [id, e] : entries_) {
      if (e.answering || e.shut || (address && e.address != *address)) continue;
      if (!oldest || e.order < oldest->order) oldest = &e;
    }
    shut(oldest ? *oldest : entries_[added]);
  }

  const PreviewLimits limits_;
  std::mutex mutex_;
  std::unordered_map<const void*, Entry> entries_;
  std::uint64_t order_ = 0;
};

}  // namespace

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
  // What the modern album page plays in <video> and <audio>.
  if (ext == "mp4") return "video/mp4";
  if (ext == "webm") return "video/webm";
  if (ext == "mp3") return "audio/mpeg";
  if (ext == "m4a") return "audio/mp4";
  if (ext == "ogg" || ext == "opus") return "audio/ogg";
  return "application/octet-stream";
}

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

// What the server's callbacks share.
struct ServerState {
  explicit ServerState(const PreviewLimits& limits) : guard(limits) {}

  UniqueFd root;
  std::string directoryPage;
  int port = 0;
  ConnectionGuard guard;

  std::mutex stopping;  // held through stop()
  std::mutex stateMutex;
  std::condition_variable stateChanged;
  MHD_Daemon* daemon = nullptr;  // null once stopped
  bool stopRequested = false;
  std::thread deadlines;

  // `relative` opened below the folder. A symbolic link on the way is followed only
  // while it stays inside, and not to a hidden name there.
  UniqueFd open(const std::string& relative) const {
    UniqueFd fd = openBeneath(root.get(), relative, LinksBeneath::None);
    if (fd || errno != ELOOP) return fd;
    fd = openBeneath(root.get(), relative, LinksBeneath::Inside);
    if (fd && !visibleBelow(pathOfDescriptor(root.get()), pathOfDescriptor(fd.get())))
      return UniqueFd();
    return fd;
  }
  // The page of a folder: its index.html, else the directory page.
  std::pair<UniqueFd, std::string> folderPage(const std::string& relative) const {
    const std::string prefix = relative.empty() ? "" : relative + "/";
    if (UniqueFd index = open(prefix + "index.html")) return {std::move(index), "index.html"};
    if (directoryPage.empty() || directoryPage.front() == '.' ||
        directoryPage.find('/') != std::string::npos)
      return {};
    return {open(prefix + directoryPage), directoryPage};
  }
};

using Impl = ServerState;

class Response {
 public:
  explicit Response(MHD_Response* response) : response_(response) {}
  ~Response() {
    if (response_) MHD_destroy_response(response_);
  }
  Response(const Response&) = delete;
  Response& operator=(const Response&) = delete;

  Response& header(const char* name, const std::string& value) {
    if (response_) MHD_add_response_header(response_, name, value.c_str());
    return *this;
  }
  MHD_Result queue(MHD_Connection* connection, unsigned status) {
    return response_ ? MHD_queue_response(connection, status, response_) : MHD_NO;
  }

 private:
  MHD_Response* response_;
};

// A short text of the program's own (never freed: it is a literal).
MHD_Response* plainText(const char* text) {
  MHD_Response* response = MHD_create_response_from_buffer(
      std::strlen(text), const_cast<char*>(text), MHD_RESPMEM_PERSISTENT);
  if (response) MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain");
  return response;
}

MHD_Result plainAnswer(MHD_Connection* connection, unsigned status, const char* text) {
  return Response(plainText(text)).queue(connection, status);
}

// A multipart answer reads the file at the offsets of its parts.
struct MultipartSource {
  UniqueFd file;
  MultipartBody body;
};

ssize_t readMultipart(void* cls, std::uint64_t position, char* out, std::size_t max) {
  const auto& source = *static_cast<MultipartSource*>(cls);
  const std::size_t got =
      source.body.read(position, out, max, [&](char* to, std::size_t length, std::uint64_t at) {
        std::size_t done = 0;
        while (done < length) {
          const ssize_t n =
              ::pread(source.file.get(), to + done, length - done, static_cast<off_t>(at + done));
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) break;
          done += static_cast<std::size_t>(n);
        }
        return done;
      });
  // A file cut while it is sent ends the connection rather than send wrong bytes.
  return got == 0 ? MHD_CONTENT_READER_END_WITH_ERROR : static_cast<ssize_t>(got);
}

void freeMultipart(void* cls) {
  delete static_cast<MultipartSource*>(cls);
}

// The file's bytes as the Range header asks. The file is sent from its descriptor as the
// connection takes it, so a large video costs the server no more than a small one.
MHD_Result fileAnswer(MHD_Connection* connection, UniqueFd file, std::uint64_t size,
                      const std::string& name) {
  const std::string type = contentTypeFor(name);
  const char* range = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Range");
  RangePlan plan =
      planByteRanges(range ? std::optional<std::string_view>(range) : std::nullopt, size, type);
  const std::string sizeText = std::to_string(size);
  if (plan.answer == RangeAnswer::Unsatisfiable) {
    Response response(plainText("416 Range Not Satisfiable\n"));
    return response.header(MHD_HTTP_HEADER_CONTENT_RANGE, "bytes */" + sizeText)
        .queue(connection, MHD_HTTP_RANGE_NOT_SATISFIABLE);
  }
  MHD_Response* made = nullptr;
  unsigned status = MHD_HTTP_OK;
  std::string contentType = type;
  std::string contentRange;
  bool fromDescriptor = true;
  if (plan.answer == RangeAnswer::Whole) {
    fromDescriptor = size != 0;
    made = size == 0 ? MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT)
                     : MHD_create_response_from_fd64(size, file.get());
  } else if (plan.ranges.size() == 1) {
    const ByteRange& r = plan.ranges.front();
    status = MHD_HTTP_PARTIAL_CONTENT;
    contentRange =
        "bytes " + std::to_string(r.first) + "-" + std::to_string(r.last) + "/" + sizeText;
    made = MHD_create_response_from_fd_at_offset64(r.length(), file.get(), r.first);
  } else {
    status = MHD_HTTP_PARTIAL_CONTENT;
    fromDescriptor = false;
    auto source = new MultipartSource{std::move(file), MultipartBody(plan.ranges, size, type)};
    contentType = source->body.contentType();
    made = MHD_create_response_from_callback(source->body.length(), 64 * 1024, &readMultipart,
                                             source, &freeMultipart);
    if (!made) delete source;
  }
  // A response made from the descriptor closes it when it goes.
  if (made && fromDescriptor) file.release();
  Response response(made);
  response
      .header(MHD_HTTP_HEADER_CONTENT_TYPE, contentType)
      // Albums are rebuilt while they are previewed; always show the current files.
      .header(MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache")
      .header(MHD_HTTP_HEADER_ACCEPT_RANGES, "bytes");
  if (!contentRange.empty()) response.header(MHD_HTTP_HEADER_CONTENT_RANGE, contentRange);
  return response.queue(connection, status);
}

MHD_Result answer(void* cls, MHD_Connection* connection, const char* url, const char* method,
                  const char* /*version*/, const char* /*upload*/, std::size_t* /*uploadSize*/,
                  void** requestState) {
  Impl& impl = *static_cast<Impl*>(cls);
  // Called once the head is in; the answer is queued at once (a body is not read).
  if (*requestState) return MHD_NO;
  *requestState = cls;
  impl.guard.headDone(connection);

  // A page of another site whose name was pointed at 127.0.0.1 (DNS rebinding) sends its
  // own name as Host; only our own address is answered.
  const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
  if (!isLoopbackHost(host ? host : "", impl.port))
    return plainAnswer(connection, MHD_HTTP_FORBIDDEN, "403 Forbidden\n");
  // Read-only: no other method has a route.
  const std::string_view verb = method;
  if (verb != MHD_HTTP_METHOD_GET && verb != MHD_HTTP_METHOD_HEAD)
    return plainAnswer(connection, MHD_HTTP_NOT_FOUND, "404 Not Found\n");

  const std::string path = url;
  const std::optional<std::string> relative = requestRelative(path);
  UniqueFd file = relative ? impl.open(*relative) : UniqueFd();
  struct stat st {};
  if (!file || ::fstat(file.get(), &st) != 0)
    return plainAnswer(connection, MHD_HTTP_NOT_FOUND, "404 Not Found\n");
  std::string name = relative->substr(relative->rfind('/') + 1);
  if (S_ISDIR(st.st_mode)) {
    auto [page, pageName] = impl.folderPage(*relative);
    if (!page) return plainAnswer(connection, MHD_HTTP_NOT_FOUND, "404 Not Found\n");
    // A folder's page links relative to the folder: "/trip" must become "/trip/".
    if (!path.ends_with('/')) {
      Response response(MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT));
      return response.header(MHD_HTTP_HEADER_LOCATION, percentEncodePath(path + "/"))
          .queue(connection, MHD_HTTP_MOVED_PERMANENTLY);
    }
    file = std::move(page);
    name = pageName;
    if (::fstat(file.get(), &st) != 0)
      return plainAnswer(connection, MHD_HTTP_NOT_FOUND, "404 Not Found\n");
  }
  if (!S_ISREG(st.st_mode)) return plainAnswer(connection, MHD_HTTP_NOT_FOUND, "404 Not Found\n");
  return fileAnswer(connection, std::move(file), static_cast<std::uint64_t>(st.st_size), name);
}

void connectionChanged(void* cls, MHD_Connection* connection, void** /*socketContext*/,
                       MHD_ConnectionNotificationCode code) {
  auto& impl = *static_cast<Impl*>(cls);
  if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
    impl.guard.closed(connection);
    return;
  }
  const MHD_ConnectionInfo* fd =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  const MHD_ConnectionInfo* peer =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  std::string address;
  if (peer && peer->client_addr && peer->client_addr->sa_family == AF_INET) {
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(peer->client_addr);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    address = text;
  }
  if (fd) impl.guard.opened(connection, fd->connect_fd, address);
}

void requestCompleted(void* cls, MHD_Connection* connection, void** /*requestState*/,
                      MHD_RequestTerminationCode /*code*/) {
  static_cast<Impl*>(cls)->guard.requestDone(connection);
}

// A percent-decoded path is cut at its first NUL on its way to the handler; a path that
// holds one is made empty, which no file answers.
std::size_t unescape(void* /*cls*/, MHD_Connection* /*connection*/, char* text) {
  const std::size_t length = MHD_http_unescape(text);
  if (std::memchr(text, '\0', length)) {
    text[0] = '\0';
    return 0;
  }
  return length;
}

}  // namespace

struct PreviewServer::Impl : ServerState {
  using ServerState::ServerState;
};

PreviewServer::PreviewServer() = default;

PreviewServer::~PreviewServer() {
  stop();
  wait();
}

Result<int> PreviewServer::start(const std::string& folder, int port, std::string directoryPage,
                                 PreviewLimits limits) {
  impl_ = std::make_unique<Impl>(limits);
  impl_->root.reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!impl_->root) return fail(folder + " がありません。");
  impl_->directoryPage = std::move(directoryPage);

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ServerState* impl = impl_.get();
  // A few event-driven threads: a connection costs a socket and a small buffer, not a
  // thread, however slowly its client sends. The library's own cap is a backstop above
  // ours, which makes room by closing waiting heads instead of refusing.
  MHD_Daemon* daemon = MHD_start_daemon(
      MHD_USE_EPOLL_INTERNAL_THREAD, static_cast<std::uint16_t>(port), nullptr, nullptr, &answer,
      impl, MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_THREAD_POOL_SIZE, 4u,
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(std::max(limits.total, 1) + 64),
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(limits.idleTimeout.count()),
      MHD_OPTION_NOTIFY_CONNECTION, &connectionChanged, impl, MHD_OPTION_NOTIFY_COMPLETED,
      &requestCompleted, impl, MHD_OPTION_UNESCAPE_CALLBACK, &unescape, nullptr, MHD_OPTION_END);
  if (!daemon) return fail("127.0.0.1:" + std::to_string(port) + " で待ち受けできません。");
  const MHD_DaemonInfo* bound = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
  impl->port = bound ? bound->port : port;
  {
    std::lock_guard lock(impl->stateMutex);
    impl->daemon = daemon;
  }
  // Heads past their deadline are closed a few times per deadline.
  const auto every = std::clamp<Clock::duration>(
      limits.headDeadline / 8, std::chrono::milliseconds(5), std::chrono::milliseconds(250));
  impl->deadlines = std::thread([impl, every] {
    std::unique_lock lock(impl->stateMutex);
    while (!impl->stateChanged.wait_for(lock, every, [impl] { return impl->stopRequested; })) {
      lock.unlock();
      impl->guard.expire();
      lock.lock();
    }
  });
  return impl->port;
}

void PreviewServer::stop() {
  if (!impl_) return;
  std::lock_guard serial(impl_->stopping);
  MHD_Daemon* daemon = nullptr;
  {
    std::lock_guard lock(impl_->stateMutex);
    if (!impl_->daemon) return;
    daemon = impl_->daemon;
    impl_->stopRequested = true;
  }
  impl_->stateChanged.notify_all();
  if (impl_->deadlines.joinable()) impl_->deadlines.join();
  MHD_stop_daemon(daemon);
  {
    std::lock_guard lock(impl_->stateMutex);
    impl_->daemon = nullptr;
  }
  impl_->stateChanged.notify_all();
}

void PreviewServer::wait() {
  if (!impl_) return;
  std::unique_lock lock(impl_->stateMutex);
  impl_->stateChanged.wait(lock, [this] { return impl_->daemon == nullptr; });
}

int PreviewServer::port() const {
  return impl_ ? impl_->port : 0;
}

std::string PreviewServer::url(std::string_view page) const {
  return "http://127.0.0.1:" + std::to_string(port()) + "/" + percentEncodePath(page);
}

}  // namespace fotela
