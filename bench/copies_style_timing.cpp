// The whole reduced-copy job on a folder of photos in the classic style (large copies,
// then thumbnails from them) against the modern style (the same copies plus both at twice
// the size, all four from one decode of the photo), alternating in one run so that both
// see the same load. Each job runs in a child process of its own, which gives its peak
// memory. Default folders, list page width 1024: large copies within 600 x 600 (1200 x 1200
// at twice the size).
//
// usage: copies_style_timing FOLDER [RUNS]   (RUNS defaults to 3; FOLDER e.g. the photos of
//        bench/make-corpus.sh)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/scripted_dialogs.h"
#include "photos/folder_scan.h"
#include "program/program_state.h"
#include "thumbs/thumb_maker.h"

namespace {

using namespace fotela;

struct Timing {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time of the job's process
  long peakKb = 0;
  std::size_t made = 0;
};

// One job in a child process: wall time, the child's peak resident set and the copies made.
Timing runJob(const std::string& folder, const std::vector<PhotoEntry>& photos, AlbumStyle style) {
  for (const char* sub : {"big", "small"}) std::filesystem::remove_all(folder + "/" + sub);
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) std::exit(2);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ProgramState state;
    state.settings.PhotoFolder = folder;
    state.settings.ImageFolder = "big";
    state.settings.ThumbFolder = "small";
    state.settings.ListPageWidth = 1024;
    state.ThumbRunMode = 1;
    state.albumStyle = style;
    state.photos = photos;
    ScriptedDialogs dialogs;
    const ThumbRunResult r = runThumbnailMaker(state, dialogs, CopyMode::All);
    for (const Error& e : r.failures) std::fprintf(stderr, "%s\n", e.message.c_str());
    const std::size_t made = r.made;
    if (::write(pipeFds[1], &made, sizeof made) != sizeof made) ::_exit(3);
    ::_exit(r.failures.empty() ? 0 : 1);
  }
  ::close(pipeFds[1]);
  Timing t;
  if (::read(pipeFds[0], &t.made, sizeof t.made) != sizeof t.made) t.made = 0;
  ::close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  t.peakKb = usage.ru_maxrss;
  for (const timeval& tv : {usage.ru_utime, usage.ru_stime})
    t.cpuSeconds += static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the job failed (status %d)\n", status);
    std::exit(1);
  }
  return t;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::optional<FolderScan> scan = scanFolder(folder);
  if (!scan || scan->rows.empty()) {
    std::fprintf(stderr, "no photos in %s\n", folder.c_str());
    return 2;
  }
  std::printf(
      "%zu photos, %d runs (classic and modern alternate; each run starts with the "
      "other)\n",
      scan->rows.size(), runs);
  std::printf("%6s %10s %10s %7s | %10s %10s %7s\n", "run", "classic s", "modern s", "ratio",
              "classic cpu", "modern cpu", "ratio");
  std::vector<double> classic, modern, ratios, classicCpu, modernCpu, cpuRatios;
  long classicKb = 0, modernKb = 0;
  std::size_t classicMade = 0, modernMade = 0;
  for (int r = 0; r < runs; ++r) {
    Timing c, m;
    if (r % 2 == 0) {
      c = runJob(folder, scan->rows, AlbumStyle::Classic);
      m = runJob(folder, scan->rows, AlbumStyle::Modern);
    } else {
      m = runJob(folder, scan->rows, AlbumStyle::Modern);
      c = runJob(folder, scan->rows, AlbumStyle::Classic);
    }
    classic.push_back(c.seconds);
    modern.push_back(m.seconds);
    ratios.push_back(m.seconds / c.seconds);
    classicCpu.push_back(c.cpuSeconds);
    modernCpu.push_back(m.cpuSeconds);
    cpuRatios.push_back(m.cpuSeconds / c.cpuSeconds);
    classicKb = std::max(classicKb, c.peakKb);
    modernKb = std::max(modernKb, m.peakKb);
    classicMade = c.made;
    modernMade = m.made;
    std::printf("%6d %10.2f %10.2f %7.2f | %10.2f %10.2f %7.2f\n", r + 1, c.seconds, m.seconds,
                ratios.back(), c.cpuSeconds, m.cpuSeconds, cpuRatios.back());
  }
  for (const char* sub : {"big", "small"}) std::filesystem::remove_all(folder + "/" + sub);
  std::printf("median %10.2f %10.2f %7.2f | %10.2f %10.2f %7.2f\n", median(classic), median(modern),
              median(ratios), median(classicCpu), median(modernCpu), median(cpuRatios));
  std::printf("copies %zu / %zu, peak memory %ld / %ld MB (classic / modern)\n", classicMade,
              modernMade, classicKb / 1024, modernKb / 1024);
  return 0;
}
