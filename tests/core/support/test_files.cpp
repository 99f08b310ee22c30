#include "core/support/test_files.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace fotela::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "fotela-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only folders behind; give write access back before removing.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string encodeJpegBytes(const Image& image, int flags, int quality, int subsampling) {
  tjhandle h = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(h, image.data(), image.width(), 0, image.height(), TJPF_RGB, &out, &size,
                  subsampling, quality, flags) != 0) {
    tjDestroy(h);
    throw std::runtime_error("tjCompress2 failed");
  }
  std::string bytes(reinterpret_cast<char*>(out), size);
  tjFree(out);
  tjDestroy(h);
  return bytes;
}

std::string makeJpegBytes(int width, int height, std::int32_t colour, int quality) {
  Image image(width, height);
  image.fill(colour);
  return encodeJpegBytes(image, 0, quality, TJSAMP_420);
}

void writeJpeg(const std::string& path, int width, int height, std::int32_t colour) {
  writeFile(path, makeJpegBytes(width, height, colour));
}

namespace {

bool setImmutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

bool canCreateIn(const std::string& folder) {
  const std::string probe = folder + "/.probe";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

}  // namespace

ReadOnlyFolder::ReadOnlyFolder(std::string path) : path_(std::move(path)) {
  ::chmod(path_.c_str(), 0555);
  if (canCreateIn(path_)) immutable_ = setImmutable(path_, true);
  active_ = !canCreateIn(path_);
}

ReadOnlyFolder::~ReadOnlyFolder() {
  if (immutable_) setImmutable(path_, false);
  ::chmod(path_.c_str(), 0755);
}

void setModifiedTime(const std::string& path, std::int64_t secondsSinceEpoch) {
  struct utimbuf times {
    static_cast<time_t>(secondsSinceEpoch), static_cast<time_t>(secondsSinceEpoch)
  };
  if (::utime(path.c_str(), &times) != 0) throw std::runtime_error("utime failed: " + path);
}

}  // namespace fotela::test
