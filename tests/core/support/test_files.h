#pragma once
// Helpers for tests: a temporary folder that cleans up after itself, file writing,
// and small JPEGs encoded on the spot.

#include <turbojpeg.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "imaging/image.h"

namespace fotela::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

void writeFile(const std::string& path, std::string_view bytes);
std::string readFile(const std::string& path);

// The picture encoded by TurboJPEG with the given flags (TJFLAG_PROGRESSIVE, ...),
// quality and chroma subsampling (TJSAMP_*).
std::string encodeJpegBytes(const Image& image, int flags = 0, int quality = 95,
                            int subsampling = TJSAMP_444);
// A baseline 4:2:0 JPEG of the given size filled with one colour (packed R + G*256 +
// B*65536).
std::string makeJpegBytes(int width, int height, std::int32_t colour = 0x808080, int quality = 90);
void writeJpeg(const std::string& path, int width, int height, std::int32_t colour = 0x808080);

// Makes a folder unwritable for as long as it lives: permissions for ordinary users,
// the immutable flag for root (who ignores permissions). active() is false when neither
// works here; tests then skip.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path);
  ~ReadOnlyFolder();
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  bool active() const { return active_; }

 private:
  std::string path_;
  bool immutable_ = false;
  bool active_ = false;
};

// Sets a file's modification time, seconds since the epoch.
void setModifiedTime(const std::string& path, std::int64_t secondsSinceEpoch);

}  // namespace fotela::test
