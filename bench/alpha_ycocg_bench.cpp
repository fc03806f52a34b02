// Throughput of the alpha and YCoCg textures (Hap Alpha, Alpha-Only, Hap Q, Hap Q Alpha) on a
// fixed synthetic 1920x1080 frame, in megapixels per second, per type, quality, source depth and
// thread count (1, or one band per processor).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "texture/dxtenc.h"

namespace {

constexpr uint32_t kW = 1920, kH = 1080;

// Gradients, fine texture and a soft alpha ramp: every block path gets exercised.
std::vector<uint8_t> frame_argb(bool sixteen) {
  std::vector<uint8_t> px(size_t{kW} * kH * (sixteen ? 8 : 4));
  uint32_t noise = 12345;
  for (uint32_t y = 0; y < kH; ++y) {
    for (uint32_t x = 0; x < kW; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int n = static_cast<int>((noise >> 24) & 7) - 4;
      const double t = 30.0 * std::sin(x * 0.21) * std::cos(y * 0.17);
      const int v[4] = {static_cast<int>(255.0 * x / kW),  // A
                        static_cast<int>(40 + 150.0 * x / kW + t) + n,
                        static_cast<int>(60 + 120.0 * y / kH - t) + n,
                        static_cast<int>(200 - 100.0 * (x + y) / (kW + kH) + t * 0.5) + n};
      const size_t i = size_t{y} * kW + x;
      for (int c = 0; c < 4; ++c) {
        const uint32_t s = static_cast<uint32_t>(v[c] < 0 ? 0 : v[c] > 255 ? 255 : v[c]);
        if (sixteen) {
          const uint32_t s16 = (s * 32768 + 127) / 255;
          px[i * 8 + c * 2] = static_cast<uint8_t>(s16);
          px[i * 8 + c * 2 + 1] = static_cast<uint8_t>(s16 >> 8);
        } else {
          px[i * 4 + c] = static_cast<uint8_t>(s);
        }
      }
    }
  }
  return px;
}

// Args: type, quality, 16-bit source (0/1), threads (0 = one band per processor).
void BM_texture(benchmark::State& state) {
  const auto type = static_cast<DxtEncType>(state.range(0));
  const auto quality = static_cast<uint8_t>(state.range(1));
  const bool sixteen = state.range(2) != 0;
  const auto threads = static_cast<uint32_t>(state.range(3));
  static const std::vector<uint8_t> frame8 = frame_argb(false);
  static const std::vector<uint8_t> frame16 = frame_argb(true);
  const std::vector<uint8_t>& frame = sixteen ? frame16 : frame8;

  auto enc = std::make_unique<DxtEnc>();
  if (dxtenc_open(enc.get(), {.width = kW,
                              .height = kH,
                              .type = type,
                              .quality = quality,
                              .pixel_format = sixteen ? ARGB_16_HOST : ARGB_8,
                              .threads = threads}) != 0) {
    state.SkipWithError("dxtenc_open refused");
    return;
  }
  std::vector<uint8_t> out(dxtenc_buffer_size(kW, kH, type, PAD_REPLICATE));
  const uint8_t* planes[4] = {frame.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {size_t{kW} * (sixteen ? 8 : 4), 0, 0, 0};
  for (auto _ : state) {
    dxtenc_encode(enc.get(), out.data(), planes, strides);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["MP/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kW * kH / 1e6, benchmark::Counter::kIsRate);
}

void texture_args(benchmark::internal::Benchmark* b) {
  b->ArgNames({"type", "quality", "16bit", "threads"});
  for (int threads : {1, 0}) {
    for (int sixteen : {0, 1}) {
      for (int quality : {1, 2, 3}) b->Args({DXTENC_DXT5, quality, sixteen, threads});
      // The RGTC1 and YCoCg types encode the same way at every quality.
      for (int type :
           {DXTENC_RGTC1_LUMA, DXTENC_RGTC1_ALPHA, DXTENC_YCOCG, DXTENC_YCOCG_RGTC1_ALPHA}) {
        b->Args({type, 2, sixteen, threads});
      }
    }
  }
}

BENCHMARK(BM_texture)->Apply(texture_args)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
