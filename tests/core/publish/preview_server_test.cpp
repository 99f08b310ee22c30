#include "publish/preview_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "core/support/link_swapper.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::TempDir;

// A connection to 127.0.0.1:port, -1 when refused.
int connectTo(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// How many of `fds` the server has closed, waiting up to `ms` for `want` of them.
std::size_t closedByServer(const std::vector<int>& fds, std::size_t want, int ms) {
  std::vector<bool> closed(fds.size());
  std::size_t count = 0;
  for (int waited = 0;; waited += 10) {
    for (std::size_t i = 0; i < fds.size(); ++i) {
      pollfd p{fds[i], POLLIN, 0};
      char byte;
      if (closed[i] || ::poll(&p, 1, 0) != 1 || ::recv(fds[i], &byte, 1, MSG_DONTWAIT) > 0)
        continue;
      closed[i] = true;
      ++count;
    }
    if (count >= want || waited >= ms) return count;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// One HTTP/1.0 exchange with 127.0.0.1:port; returns the whole response.
std::string httpExchange(int port, const std::string& request) {
  const int fd = connectTo(port);
  if (fd < 0) return "connect failed";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string response;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) response.append(buffer, n);
  ::close(fd);
  return response;
}

std::string get(int port, const std::string& target, const std::string& headers = "") {
  return httpExchange(port, "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" +
                                std::to_string(port) + "\r\n" + headers + "\r\n");
}

std::string header(const std::string& response, const std::string& name) {
  const auto at = response.find("\r\n" + name + ": ");
  if (at == std::string::npos) return "";
  const auto start = at + name.size() + 4;
  return response.substr(start, response.find("\r\n", start) - start);
}

std::string body(const std::string& response) {
  auto cut = response.find("\r\n\r\n");
  return cut == std::string::npos ? "" : response.substr(cut + 4);
}

class PreviewServerTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root + "/big");
    test::writeFile(root + "/album.html", "<HTML>album</HTML>\r\n");
    test::writeFile(root + "/big/a%b #1.jpg", "jpeg bytes");
    test::writeFile(outside.file("secret.txt"), "secret");
    std::filesystem::create_symlink(outside.file("secret.txt"), root + "/link.txt");
    auto started = server.start(root);
    ASSERT_TRUE(started) << started.error().message;
    port = *started;
  }

  TempDir dir;
  TempDir outside;
  std::string root = dir.file("album");
  PreviewServer server;
  int port = 0;
};

TEST_F(PreviewServerTest, ServesFilesOfTheFolder) {
  std::string page = get(port, "/album.html");
  EXPECT_TRUE(page.starts_with("HTTP/1.1 200")) << page;
  EXPECT_NE(page.find("Content-Type: text/html\r\n"), std::string::npos)
      << "no charset: "
         "the page names its own";
  EXPECT_EQ(body(page), "<HTML>album</HTML>\r\n");

  std::string photo = get(port, "/big/a%25b%20%231.jpg");
  EXPECT_NE(photo.find("Content-Type: image/jpeg"), std::string::npos) << photo;
  EXPECT_EQ(body(photo), "jpeg bytes");

  EXPECT_EQ(body(get(port, "/")), "<HTML>album</HTML>\r\n") << "the folder shows its album";
  std::filesystem::create_symlink("../album.html", root + "/big/up.html");
  EXPECT_EQ(body(get(port, "/big/up.html")), "<HTML>album</HTML>\r\n") << "a link inside";
  EXPECT_EQ(server.url("album.html"), "http://127.0.0.1:" + std::to_string(port) + "/album.html");
}

TEST_F(PreviewServerTest, AFolderWithoutItsSlashIsRedirected) {
  std::filesystem::create_directories(root + "/夏 trip");
  test::writeFile(root + "/夏 trip/album.html", "summer");
  std::string response = get(port, "/%E5%A4%8F%20trip");
  EXPECT_TRUE(response.starts_with("HTTP/1.1 301")) << response;
  EXPECT_NE(response.find("Location: /%E5%A4%8F%20trip/\r\n"), std::string::npos) << response;
  EXPECT_EQ(body(get(port, "/%E5%A4%8F%20trip/")), "summer");
}

TEST_F(PreviewServerTest, NeverLeavesTheFolder) {
  std::filesystem::create_symlink(root + "/album.html", root + "/absolute.html");
  std::filesystem::create_symlink(std::filesystem::relative(outside.file("secret.txt"), root),
                                  root + "/up.txt");
  for (const char* target :
       {"/../secret.txt", "/big/../../secret.txt", "/%2E%2E/secret.txt", "/link.txt", "/up.txt",
        "/missing.html", "/big", "/absolute.html", "/album.html%00.jpg"}) {
    std::string response = get(port, target);
    EXPECT_TRUE(response.starts_with("HTTP/1.1 404") || response.starts_with("HTTP/1.1 400"))
        << target << "\n"
        << response;
    EXPECT_EQ(response.find("secret"), std::string::npos) << target;
  }
}

TEST_F(PreviewServerTest, HiddenFilesAreNeverServed) {
  std::filesystem::create_directories(root + "/.git");
  test::writeFile(root + "/.git/config", "secret");
  test::writeFile(root + "/.hidden", "secret");
  test::writeFile(root + "/big/.a.jpg.tmp123", "secret");
  std::filesystem::create_symlink(root + "/.hidden", root + "/visible.txt");
  std::filesystem::create_symlink(".hidden", root + "/visible2.txt");
  std::filesystem::create_symlink(".git", root + "/git");
  for (const char* target :
       {"/.hidden", "/.git/config", "/big/.a.jpg.tmp123", "/%2Ehidden", "/big/../.hidden",
        "/./.hidden", "/visible.txt", "/visible2.txt", "/git/config"}) {
    const std::string response = get(port, target);
    EXPECT_TRUE(response.starts_with("HTTP/1.1 404")) << target << "\n" << response;
    EXPECT_EQ(response.find("secret"), std::string::npos) << target;
  }
}

TEST_F(PreviewServerTest, AnswersOnlyItsOwnHost) {
  const std::string p = std::to_string(port);
  struct Case {
    std::string host;
    bool answered;
  };
  const Case cases[] = {
      {"127.0.0.1:" + p, true},
      {"localhost:" + p, true},
      {"LocalHost:" + p, true},
      {"[::1]:" + p, true},
      {"evil.example", false},
      {"evil.example:" + p, false},
      {"127.0.0.1", false},
      {"127.0.0.1:" + std::to_string(port + 1), false},
      {"127.0.0.1:" + p + ".evil", false},
      {"", false},
  };
  for (const Case& c : cases) {
    const std::string response = httpExchange(
        port, "GET /album.html HTTP/1.0\r\n" +
                  (c.host.empty() ? std::string() : "Host: " + c.host + "\r\n") + "\r\n");
    EXPECT_EQ(response.starts_with("HTTP/1.1 200"), c.answered) << c.host << "\n" << response;
    if (!c.answered) {
      EXPECT_TRUE(response.starts_with("HTTP/1.1 403")) << c.host;
      EXPECT_EQ(response.find("album"), std::string::npos) << c.host;
    }
  }
  EXPECT_TRUE(isLoopbackHost("localhost", 80));
  EXPECT_FALSE(isLoopbackHost("localhost", 8080));
}

TEST_F(PreviewServerTest, StreamsFilesAndAnswersByteRanges) {
  // Larger than one block of the stream, with bytes that tell their offset.
  std::string video(300 * 1024 + 7, '\0');
  for (std::size_t i = 0; i < video.size(); ++i) video[i] = static_cast<char>(i * 7 + i / 251);
  test::writeFile(root + "/clip.mov", video);
  const std::string whole = get(port, "/clip.mov");
  EXPECT_TRUE(whole.starts_with("HTTP/1.1 200")) << whole.substr(0, 200);
  EXPECT_EQ(header(whole, "Accept-Ranges"), "bytes");
  EXPECT_EQ(header(whole, "Content-Type"), "video/quicktime");
  EXPECT_TRUE(body(whole) == video) << "whole file differs";

  const std::string n = std::to_string(video.size());
  std::string many = "bytes=0-";
  for (int i = 1; i < 1500; ++i) many += ",0-";
  struct Case {
    std::string range;
    int status;
    std::size_t first, length;  // of the expected body
    std::string contentRange;
  };
  const Case cases[] = {
      {"bytes=100-199", 206, 100, 100, "bytes 100-199/" + n},
      {"bytes=200000-", 206, 200000, video.size() - 200000,
       "bytes 200000-" + std::to_string(video.size() - 1) + "/" + n},
      {"bytes=-10", 206, video.size() - 10, 10,
       "bytes " + std::to_string(video.size() - 10) + "-" + std::to_string(video.size() - 1) + "/" +
           n},
      // An end past the file stops at its last byte.
      {"bytes=307000-999999999", 206, 307000, video.size() - 307000,
       "bytes 307000-" + std::to_string(video.size() - 1) + "/" + n},
      {"bytes=0-", 206, 0, video.size(), "bytes 0-" + std::to_string(video.size() - 1) + "/" + n},
      {"bytes=999999-", 416, 0, 0, "bytes */" + n},
      // Overlapping or touching ranges are merged; too many give the whole file once.
      {"bytes=100-199,150-299", 206, 100, 200, "bytes 100-299/" + n},
      {"bytes=200-299,100-199", 206, 100, 200, "bytes 100-299/" + n},
      {many, 200, 0, video.size(), ""},
      {"bytes=0-0,9-9,19-19,29-29,39-39,49-49,59-59,69-69,79-79", 200, 0, video.size(), ""},
      {"bytes=5-3", 200, 0, video.size(), ""},
  };
  for (const Case& c : cases) {
    const std::string response = get(port, "/clip.mov", std::string("Range: ") + c.range + "\r\n");
    EXPECT_TRUE(response.starts_with("HTTP/1.1 " + std::to_string(c.status)))
        << c.range << "\n"
        << response.substr(0, 300);
    EXPECT_EQ(header(response, "Content-Range"), c.contentRange) << c.range;
    if (c.status != 416) {
      EXPECT_EQ(header(response, "Content-Length"), std::to_string(c.length)) << c.range;
      EXPECT_TRUE(body(response) == video.substr(c.first, c.length)) << c.range;
    }
  }
  // Ranges apart: one part each, in the file's order.
  const std::string parts = body(get(port, "/clip.mov", "Range: bytes=200000-200009,7-9\r\n"));
  const auto first = parts.find("Content-Range: bytes 7-9/" + n + "\r\n\r\n" + video.substr(7, 3));
  const auto second =
      parts.find("Content-Range: bytes 200000-200009/" + n + "\r\n\r\n" + video.substr(200000, 10));
  EXPECT_TRUE(first != std::string::npos && second != std::string::npos && first < second);
  // A range of a missing file is still a 404.
  EXPECT_TRUE(get(port, "/none.mov", "Range: bytes=5-9\r\n").starts_with("HTTP/1.1 404"));
}

TEST_F(PreviewServerTest, NothingOutsideWhileANameIsSwappedForALink) {
  test::writeFile(root + "/x.jpg", "jpeg bytes");
  const std::string relative = std::filesystem::relative(outside.file("secret.txt"), root);
  test::LinkSwapper swapper(root + "/x.jpg", {outside.file("secret.txt"), relative});
  int served = 0, refused = 0;
  for (int i = 0; i < 2000; ++i) {
    const std::string response = get(port, "/x.jpg");
    ASSERT_EQ(response.find("secret"), std::string::npos) << "request " << i;
    served += body(response) == "jpeg bytes";
    refused += response.starts_with("HTTP/1.1 404");
  }
  EXPECT_TRUE(served > 0 && refused > 0) << served << " served, " << refused << " refused";
}

TEST_F(PreviewServerTest, SlowClientsCannotStarveIt) {
  using namespace std::chrono_literals;
  struct Case {
    std::chrono::milliseconds deadline;
    std::size_t leftOpen;  // of 10 slow heads, after an ordinary request
  };
  // A long deadline: the cap of 4 an address leaves 4 slow heads, and the oldest of them
  // makes room for the ordinary request. A short one closes them all.
  for (const Case& c : {Case{60s, 3}, Case{300ms, 0}}) {
    PreviewServer guarded;
    const int p = *guarded.start(root, 0, "album.html",
                                 {.perAddress = 4, .total = 6, .headDeadline = c.deadline});
    const std::string head = "GET /album.html HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(p);
    std::vector<int> slow;
    for (int i = 0; i < 10; ++i) {
      slow.push_back(connectTo(p));
      ::send(slow.back(), head.data(), head.size(), MSG_NOSIGNAL);
    }
    EXPECT_GE(closedByServer(slow, 6, 5000), 6u) << "the caps";
    EXPECT_EQ(body(get(p, "/album.html")), "<HTML>album</HTML>\r\n") << "while slow heads wait";
    EXPECT_EQ(closedByServer(slow, 10 - c.leftOpen, c.leftOpen ? 500 : 5000), 10 - c.leftOpen);
    for (int fd : slow) ::close(fd);
    if (c.deadline > 1s) continue;
    // A head sent one line at a time is cut at the deadline of the whole head.
    const std::vector<int> trickle{connectTo(p)};
    ::send(trickle[0], head.data(), head.size(), MSG_NOSIGNAL);
    std::size_t cut = 0;
    for (int i = 0; i < 100 && !cut; ++i)
      cut =
          ::send(trickle[0], "\r\nX: y", 7, MSG_NOSIGNAL) < 0 ? 1 : closedByServer(trickle, 1, 50);
    EXPECT_EQ(cut, 1u);
    ::close(trickle[0]);
  }
}

TEST_F(PreviewServerTest, IsReadOnly) {
  for (const char* method : {"PUT", "POST", "DELETE"}) {
    std::string response =
        httpExchange(port, std::string(method) + " /album.html HTTP/1.0\r\nHost: 127.0.0.1:" +
                               std::to_string(port) + "\r\nContent-Length: 1\r\n\r\nx");
    EXPECT_FALSE(response.starts_with("HTTP/1.1 2")) << method << "\n" << response;
  }
  EXPECT_EQ(test::readFile(root + "/album.html"), "<HTML>album</HTML>\r\n");
}

TEST_F(PreviewServerTest, StopsWhenAsked) {
  server.stop();
  server.wait();
  EXPECT_EQ(get(port, "/album.html"), "connect failed");
}

TEST(PreviewServer, MissingFolderIsAnError) {
  PreviewServer server;
  auto started = server.start("/no/such/folder");
  ASSERT_FALSE(started);
  EXPECT_NE(started.error().message.find("/no/such/folder"), std::string::npos);
}

TEST(ContentType, ByExtensionIgnoringCase) {
  EXPECT_EQ(contentTypeFor("album_1.HTML"), "text/html");
  EXPECT_EQ(contentTypeFor("IMG.JPG"), "image/jpeg");
  EXPECT_EQ(contentTypeFor("bgm.mid"), "audio/midi");
  EXPECT_EQ(contentTypeFor("README"), "application/octet-stream");
}

}  // namespace
}  // namespace fotela
