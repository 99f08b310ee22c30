#include "publish/preview_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "core/support/test_files.h"

namespace fotela {
namespace {

using test::TempDir;

// One HTTP/1.0 exchange with 127.0.0.1:port; returns the whole response.
std::string httpExchange(int port, const std::string& request) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return "connect failed";
  }
  ::send(fd, request.data(), request.size(), 0);
  std::string response;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) response.append(buffer, n);
  ::close(fd);
  return response;
}

std::string get(int port, const std::string& target) {
  return httpExchange(port, "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
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
  for (const char* target : {"/../secret.txt", "/big/../../secret.txt", "/%2E%2E/secret.txt",
                             "/link.txt", "/missing.html", "/big"}) {
    std::string response = get(port, target);
    EXPECT_TRUE(response.starts_with("HTTP/1.1 404") || response.starts_with("HTTP/1.1 400"))
        << target << "\n"
        << response;
    EXPECT_EQ(response.find("secret"), std::string::npos) << target;
  }
}

TEST_F(PreviewServerTest, IsReadOnly) {
  for (const char* method : {"PUT", "POST", "DELETE"}) {
    std::string response = httpExchange(
        port, std::string(method) + " /album.html HTTP/1.0\r\nContent-Length: 1\r\n\r\nx");
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
