#include "common/open_beneath.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/support/link_swapper.h"
#include "core/support/test_files.h"

namespace fotela {
namespace {

namespace fs = std::filesystem;

std::string firstBytes(const UniqueFd& fd) {
  char buffer[64];
  const ssize_t n = ::pread(fd.get(), buffer, sizeof buffer, 0);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

class OpenBeneathTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root + "/sub");
    test::writeFile(root + "/in.txt", "inside");
    test::writeFile(root + "/sub/in2.txt", "inside too");
    test::writeFile(dir.file("outside.txt"), "secret");
    fs::create_symlink("in.txt", root + "/rel-link");
    fs::create_symlink("sub", root + "/sub-link");
    fs::create_symlink(root + "/in.txt", root + "/abs-link");
    fs::create_symlink("../outside.txt", root + "/out-link");
    fs::create_symlink("sub/../../outside.txt", root + "/out-link2");
    ::mkfifo((root + "/pipe").c_str(), 0600);
    folder.reset(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }
  test::TempDir dir;
  std::string root = dir.file("album");
  UniqueFd folder;
};

TEST_F(OpenBeneathTest, ReachesNothingOutsideTheFolder) {
  struct Case {
    const char* path;
    LinksBeneath links;
    const char* byKernel;  // what is read; "" when the open fails
    const char* byWalk;
  };
  const Case cases[] = {
      {"in.txt", LinksBeneath::None, "inside", "inside"},
      {"sub/in2.txt", LinksBeneath::None, "inside too", "inside too"},
      {"sub/../in.txt", LinksBeneath::None, "inside", "inside"},
      {"../outside.txt", LinksBeneath::Inside, "", ""},
      {"sub/../../outside.txt", LinksBeneath::Inside, "", ""},
      {"/etc/hostname", LinksBeneath::Inside, "", ""},
      {"rel-link", LinksBeneath::None, "", ""},
      {"rel-link", LinksBeneath::Inside, "inside", ""},
      {"sub-link/in2.txt", LinksBeneath::Inside, "inside too", ""},
      {"sub-link/in2.txt", LinksBeneath::None, "", ""},
      {"abs-link", LinksBeneath::Inside, "", ""},  // absolute, though it points inside
      {"out-link", LinksBeneath::Inside, "", ""},
      {"out-link2", LinksBeneath::Inside, "", ""},
  };
  for (ResolveBy by : {ResolveBy::Kernel, ResolveBy::Walk}) {
    for (const Case& c : cases) {
      const UniqueFd fd = openBeneath(folder.get(), c.path, c.links, by);
      const std::string expected = by == ResolveBy::Kernel ? c.byKernel : c.byWalk;
      EXPECT_EQ(fd ? firstBytes(fd) : "", expected)
          << c.path << (by == ResolveBy::Kernel ? " (kernel)" : " (walk)");
    }
    // A pipe is opened without waiting for a writer, and is no regular file.
    const UniqueFd pipe = openBeneath(folder.get(), "pipe", LinksBeneath::None, by);
    struct stat st {};
    EXPECT_TRUE(pipe && ::fstat(pipe.get(), &st) == 0 && S_ISFIFO(st.st_mode));
  }
}

TEST_F(OpenBeneathTest, NothingOutsideWhileANameIsSwappedForALink) {
  test::writeFile(root + "/x.jpg", "inside");
  test::LinkSwapper swapper(root + "/x.jpg", {dir.file("outside.txt"), "../outside.txt"});
  for (ResolveBy by : {ResolveBy::Kernel, ResolveBy::Walk}) {
    // Until both states were met often, so that the opens raced with the renames.
    int opened = 0, refused = 0;
    for (int i = 0; i < 1'000'000 && (opened < 500 || refused < 500); ++i) {
      const UniqueFd fd = openBeneath(folder.get(), "x.jpg", LinksBeneath::Inside, by);
      if (!fd) {
        ++refused;
        continue;
      }
      ASSERT_EQ(firstBytes(fd), "inside") << "open " << i;
      ++opened;
    }
    EXPECT_TRUE(opened >= 500 && refused >= 500) << opened << " opened, " << refused;
  }
}

}  // namespace
}  // namespace fotela
