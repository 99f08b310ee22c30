#pragma once
// Album folders for the publisher tests: rows of the photo list and the reduced copies
// they need, made on the spot; golden pages compared byte for byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/files.h"
#include "core/support/test_files.h"
#include "photos/photo_entry.h"
#include "program/program_state.h"
#include "settings/album_settings.h"

namespace fotela::test {

struct PhotoSpec {
  std::string name;
  std::string type;
  int photoWidth;  // the row's width column
  int thumbWidth, thumbHeight;
  int largeWidth, largeHeight;
  std::string description;
};

inline PhotoEntry rowFor(const PhotoSpec& p) {
  PhotoEntry e;
  e.name = p.name;
  e.type = p.type;
  e.width = std::to_string(p.photoWidth);
  e.height = "0";
  e.description = p.description;
  return e;
}

// Writes the copies of every photo into folder/ThumbFolder and folder/ImageFolder and puts
// the rows into state.photos.
inline void makeAlbumFolder(ProgramState& state, const std::string& folder,
                            const std::vector<PhotoSpec>& photos) {
  const AlbumSettings& s = state.settings;
  std::filesystem::create_directories(folder + "/" + s.ThumbFolder);
  std::filesystem::create_directories(folder + "/" + s.ImageFolder);
  state.photos.clear();
  for (const PhotoSpec& p : photos) {
    const std::string file = p.name + "." + p.type;
    writeJpeg(folder + "/" + s.ThumbFolder + "/" + file, p.thumbWidth, p.thumbHeight);
    writeJpeg(folder + "/" + s.ImageFolder + "/" + file, p.largeWidth, p.largeHeight);
    state.photos.push_back(rowFor(p));
  }
}

// Byte-for-byte comparison; on a difference names the first line that differs (as UTF-8).
inline void expectSamePage(const std::string& actualPath, const std::string& goldenPath) {
  SCOPED_TRACE(actualPath);
  ASSERT_TRUE(isFile(actualPath)) << "page not written";
  const std::string actual = readFile(actualPath);
  const std::string golden = readFile(goldenPath);
  if (actual == golden) return;
  auto a = splitLines(cp932ToUtf8(actual));
  auto g = splitLines(cp932ToUtf8(golden));
  for (std::size_t i = 0; i < std::max(a.size(), g.size()); ++i) {
    std::string al = i < a.size() ? a[i] : "<missing>";
    std::string gl = i < g.size() ? g[i] : "<missing>";
    if (al != gl) {
      ADD_FAILURE() << "line " << i + 1 << "\n  actual:   " << al << "\n  expected: " << gl;
      return;
    }
  }
  ADD_FAILURE() << "same lines, different bytes (line ends or encoding)";
}

inline std::string goldenDir(const std::string& name) {
  return std::string(FOTELA_TEST_DATA) + "/" + name;
}

}  // namespace fotela::test
