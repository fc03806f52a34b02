// Hap R (BC7) throughput: whole 1920x1080 frames through dxtenc_encode on all cores, per quality.
// Reports megapixels per second and frames per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "texture/dxtenc.h"

namespace {

constexpr uint32_t kWidth = 1920, kHeight = 1080;

// Host 8-bit ARGB frame: smooth gradients with fine grain and a soft alpha ramp when asked.
std::vector<uint8_t> make_frame(bool with_alpha) {
  std::vector<uint8_t> argb(size_t{kWidth} * kHeight * 4);
  uint32_t state = 12345;
  for (uint32_t y = 0; y < kHeight; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) {
      state = state * 1664525u + 1013904223u;
      const int grain = static_cast<int>(state >> 29) - 4;
      uint8_t* px = &argb[(size_t{y} * kWidth + x) * 4];
      px[0] = with_alpha ? static_cast<uint8_t>((x * 255) / kWidth) : 255;
      px[1] = static_cast<uint8_t>(
          std::clamp(128 + 100 * std::sin(x * 0.01 + y * 0.004) + grain, 0.0, 255.0));
      px[2] = static_cast<uint8_t>(
          std::clamp(128 + 90 * std::cos(x * 0.006 - y * 0.009) + grain, 0.0, 255.0));
      px[3] = static_cast<uint8_t>(
          std::clamp(120 + 80 * std::sin((x + y) * 0.005) + grain, 0.0, 255.0));
    }
  return argb;
}

void BM_HapR(benchmark::State& state) {
  const auto quality = static_cast<uint8_t>(state.range(0));
  const bool with_alpha = state.range(1) != 0;
  const std::vector<uint8_t> frame = make_frame(with_alpha);
  DxtEnc enc{};
  if (dxtenc_open(&enc, {.width = kWidth,
                         .height = kHeight,
                         .type = DXTENC_BC7,
                         .quality = quality,
                         .threads = 0,
                         .source_without_alpha = !with_alpha}) != 0) {
    state.SkipWithError("dxtenc_open refused BC7");
    return;
  }
  std::vector<uint8_t> out(dxtenc_buffer_size(kWidth, kHeight, DXTENC_BC7, PAD_REPLICATE));
  const uint8_t* planes[4] = {frame.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {size_t{kWidth} * 4, 0, 0, 0};
  for (auto _ : state) {
    dxtenc_encode(&enc, out.data(), planes, strides);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MPix/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
  state.counters["fps"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["threads"] = enc.thread_count;
}

BENCHMARK(BM_HapR)
    ->ArgNames({"quality", "alpha"})
    ->ArgsProduct({{1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
