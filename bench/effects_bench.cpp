// The editor's effects on a 6000 x 4000 picture (24 megapixels, a large camera photo).

#include <benchmark/benchmark.h>

#include <cstdint>

#include "imaging/effects.h"

namespace {

using fotela::Image;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// A photo-like picture: smooth gradients with some texture, so no branch is always taken.
const Image& photo() {
  static const Image picture = [] {
    Image p(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
      std::uint8_t* row = p.row(y);
      for (int x = 0; x < kWidth; ++x) {
        row[x * 3] = static_cast<std::uint8_t>(x * 255 / kWidth);
        row[x * 3 + 1] = static_cast<std::uint8_t>(y * 255 / kHeight);
        row[x * 3 + 2] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
      }
    }
    return p;
  }();
  return picture;
}

void BM_Turn(benchmark::State& state) {
  const int angle = static_cast<int>(state.range(0));
  Image out;
  for (auto _ : state) {
    fotela::turn(photo(), out, angle);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Turn)->Arg(90)->Arg(180)->Arg(270)->Unit(benchmark::kMillisecond);

void BM_KakuSyuku(benchmark::State& state) {
  Image out;
  for (auto _ : state) {
    fotela::KakuSyuku(photo(), out, static_cast<double>(state.range(0)));
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_KakuSyuku)->Arg(50)->Arg(150)->Unit(benchmark::kMillisecond);

// The in-place effects work on a fresh copy each round; the copy is not timed.
template <class Effect>
void inPlace(benchmark::State& state, Effect effect) {
  for (auto _ : state) {
    state.PauseTiming();
    Image picture = photo();
    state.ResumeTiming();
    effect(picture);
    benchmark::DoNotOptimize(picture.data());
  }
}

void BM_RaisedFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  inPlace(state, [w](Image& p) { fotela::RaisedFrame(p, w, "AA6600"); });
}
BENCHMARK(BM_RaisedFrame)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_BlurFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  inPlace(state, [w](Image& p) { fotela::BlurFrame(p, w, "FFFFFF"); });
}
BENCHMARK(BM_BlurFrame)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

// Width 2000 keeps nothing but the centre: every pixel is outside the ellipse.
void BM_EllipseColorBlur(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  inPlace(state, [w](Image& p) { fotela::EllipseColorBlur(p, w, "FFFFFF"); });
}
BENCHMARK(BM_EllipseColorBlur)->Arg(400)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_EllipseFocusBlur(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  Image out;
  for (auto _ : state) {
    fotela::EllipseFocusBlur(photo(), out, w);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_EllipseFocusBlur)->Arg(400)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_CompositeImage(benchmark::State& state) {
  // A full-size overlay, half of it transparent black.
  static const Image overlay = [] {
    Image o(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = kWidth / 2; x < kWidth; ++x) o.setPixel(x, y, 0x3366CC);
    return o;
  }();
  inPlace(state, [](Image& p) { fotela::CompositeImage(p, overlay, 14, "000000"); });
}
BENCHMARK(BM_CompositeImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
