#pragma once
// Shared by the benchmarks: a temporary folder and JPEGs shaped like camera files.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "imaging/codec.h"
#include "imaging/image.h"

namespace fotela::bench {

class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fotela-bench-XXXXXX");
    if (!::mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~BenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// A JPEG with a camera-like metadata segment of `metadataBytes` before the frame header,
// as EXIF data with an embedded preview puts it. Smooth gradients, so the file size is
// realistic for quality `quality`.
inline std::string cameraJpeg(int width, int height, std::size_t metadataBytes, int quality = 92) {
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = image.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>((x * 255) / width);
      p[1] = static_cast<std::uint8_t>((y * 255) / height);
      p[2] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
    }
  }
  std::string jpeg = encodeJpeg(image, quality).value();
  if (metadataBytes == 0) return jpeg;
  const std::size_t length = metadataBytes + 2;
  std::string segment = std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF);
  segment += std::string("Exif\0\0", 6) + std::string(metadataBytes - 6, '\x2A');
  return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

}  // namespace fotela::bench
