// The folder scan of a large folder (warm caches), and the work of one reduced copy.

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include "bench_support.h"
#include "imaging/codec.h"
#include "imaging/resample.h"
#include "photos/folder_scan.h"
#include "thumbs/thumb_maker.h"

namespace fotela::bench {
namespace {

// N photos with 6 KB of metadata each (so each header costs two reads), a third of them
// named in the order file.
void BM_ScanFolder(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  BenchFolder folder;
  const std::string photo = cameraJpeg(16, 16, 6000);
  std::string order;
  for (int i = 0; i < n; ++i) {
    const std::string name = "IMG_" + std::to_string(100000 + i);
    writeBytes(folder.path() + "/" + name + ".jpg", photo);
    if (i % 3 == 0) order = name + ",photo " + std::to_string(i) + "\r\n" + order;
  }
  writeBytes(folder.path() + "/titlen.txt", order);
  benchmark::DoNotOptimize(scanFolder(folder.path()));  // warm the caches
  for (auto _ : state) {
    std::optional<FolderScan> scan = scanFolder(folder.path());
    if (!scan || scan->rows.size() != static_cast<std::size_t>(n)) state.SkipWithError("rows");
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ScanFolder)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One large copy (600 px) of a photo already in memory: decode at the covering DCT scale,
// average to the exact size, encode at quality 70. Baseline and progressive.
void BM_LargeCopy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = w * 3 / 4;
  const bool progressive = state.range(1) != 0;
  std::string jpeg = cameraJpeg(w, h, 0);
  if (progressive) {
    // Re-encode through TurboJPEG's progressive mode.
    Image image =
        decodeJpeg(std::span(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size()),
                   "bench")
            .value();
    tjhandle t = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(t, image.data(), w, 0, h, TJPF_RGB, &out, &size, TJSAMP_420, 92,
                TJFLAG_PROGRESSIVE);
    jpeg.assign(reinterpret_cast<char*>(out), size);
    tjFree(out);
    tjDestroy(t);
  }
  std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(jpeg.data()),
                                       jpeg.size());
  const CopySize size = fitCopySize(w, h, 600, 600);
  for (auto _ : state) {
    Image decoded =
        decodeJpeg(bytes, "bench", {.coverWidth = size.width, .coverHeight = size.height}).value();
    Image copy = resizeAreaAverage(decoded, size.width, size.height);
    benchmark::DoNotOptimize(encodeJpeg(copy));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(jpeg.size()));
}
BENCHMARK(BM_LargeCopy)
    ->Args({4000, 0})
    ->Args({4000, 1})
    ->Args({6000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fotela::bench

BENCHMARK_MAIN();
