// ReadImageSize: a photo's pixel size from its header, without reading the photo.

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "photos/image_size.h"

namespace fotela::bench {
namespace {

// A 3 MB photo whose frame header sits behind 20 KB of metadata: two small reads.
void BM_ReadImageSize(benchmark::State& state) {
  BenchFolder folder;
  const std::string path = folder.path() + "/p.jpg";
  writeBytes(path, cameraJpeg(2400, 1600, static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(ReadImageSize(path, 2));
}
BENCHMARK(BM_ReadImageSize)->Arg(0)->Arg(20000)->Arg(60000);

void BM_ReadImageSizeFromBytes(benchmark::State& state) {
  const std::string jpeg = cameraJpeg(640, 480, 20000);
  std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(jpeg.data()),
                                       jpeg.size());
  for (auto _ : state) benchmark::DoNotOptimize(readImageSizeFromBytes(bytes));
}
BENCHMARK(BM_ReadImageSizeFromBytes);

}  // namespace
}  // namespace fotela::bench

BENCHMARK_MAIN();
