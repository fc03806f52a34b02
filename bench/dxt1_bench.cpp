// DXT1 encoder speed (megapixels per second per quality, 8-bit and 16-bit host input, one thread
// and all cores, on a synthetic 1080p frame) and, after the timings, a quality table against
// libsquish's cluster fit (used as a black-box reference) on the same frames.
#include <benchmark/benchmark.h>
#include <squish.h>

#include <cstdio>
#include <map>
#include <thread>
#include <vector>

#include "tests/support/dxt_decoder.h"
#include "tests/support/psnr.h"
#include "tests/support/test_frames.h"
#include "texture/dxtenc.h"

namespace {

constexpr uint32_t kWidth = 1920, kHeight = 1080;

const std::vector<uint8_t>& rgba_frame(uint32_t seed) {
  static std::map<uint32_t, std::vector<uint8_t>> frames;
  auto& f = frames[seed];
  if (f.empty()) f = orvex_test::natural_rgba(kWidth, kHeight, seed);
  return f;
}

std::vector<uint8_t> encode(const std::vector<uint8_t>& pixels, PixelFormat fmt, uint8_t quality,
                            uint32_t threads) {
  DxtEnc enc{};
  if (dxtenc_open(&enc, kWidth, kHeight, DXTENC_DXT1, quality, 0, fmt, PAD_REPLICATE, threads,
                  CPU_MASK_DEFAULT) != 0) {
    return {};
  }
  std::vector<uint8_t> out(dxtenc_buffer_size(kWidth, kHeight, DXTENC_DXT1, PAD_REPLICATE));
  const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {kWidth * (fmt == ARGB_8 ? 4u : 8u), 0, 0, 0};
  dxtenc_encode(&enc, out.data(), planes, strides);
  return out;
}

// Args: quality (1..3), 16-bit input (0/1), threads (1, or 0 for every core).
void BM_Dxt1(benchmark::State& state) {
  const auto quality = static_cast<uint8_t>(state.range(0));
  const PixelFormat fmt = state.range(1) ? ARGB_16_HOST : ARGB_8;
  const auto threads = static_cast<uint32_t>(state.range(2));
  const auto pixels = fmt == ARGB_8 ? orvex_test::rgba_to_argb8(rgba_frame(1))
                                    : orvex_test::rgba_to_argb16_host(rgba_frame(1));
  DxtEnc enc{};
  if (dxtenc_open(&enc, kWidth, kHeight, DXTENC_DXT1, quality, 0, fmt, PAD_REPLICATE, threads,
                  CPU_MASK_DEFAULT) != 0) {
    state.SkipWithError("set-up refused");
    return;
  }
  std::vector<uint8_t> out(dxtenc_buffer_size(kWidth, kHeight, DXTENC_DXT1, PAD_REPLICATE));
  const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {kWidth * (fmt == ARGB_8 ? 4u : 8u), 0, 0, 0};
  for (auto _ : state) {
    dxtenc_encode(&enc, out.data(), planes, strides);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(
      static_cast<double>(kWidth) * kHeight * static_cast<double>(state.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
  state.counters["bands"] = enc.thread_count;
  state.SetLabel(std::string(fmt == ARGB_8 ? "8-bit" : "16-bit") +
                 (threads == 1 ? " 1 thread" : " all cores"));
}
BENCHMARK(BM_Dxt1)
    ->ArgNames({"quality", "16bit", "threads"})
    ->ArgsProduct({{1, 2, 3}, {0, 1}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

double psnr_of(const std::vector<uint8_t>& texture, const std::vector<uint8_t>& rgba) {
  const auto decoded = orvex_test::decode_dxt1_texture(texture.data(), kWidth, kHeight);
  return orvex_test::psnr_rgb(rgba.data(), decoded.data(), static_cast<size_t>(kWidth) * kHeight);
}

void print_quality_table() {
  std::printf(
      "\nDXT1 PSNR (RGB, dB) on %ux%u natural-looking frames, decoded by the test decoder\n",
      kWidth, kHeight);
  std::printf("%-6s %8s %8s %8s %10s %12s\n", "frame", "fast", "normal", "slow", "squish-cf",
              "slow-squish");
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    std::vector<uint8_t> rgba = rgba_frame(seed);
    const auto argb = orvex_test::rgba_to_argb8(rgba);
    double ours[4] = {};
    for (uint8_t q = 1; q <= 3; ++q) ours[q] = psnr_of(encode(argb, ARGB_8, q, 0), rgba);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;  // opaque: no punch-through
    std::vector<uint8_t> squished(squish::GetStorageRequirements(kWidth, kHeight, squish::kDxt1));
    squish::CompressImage(rgba.data(), kWidth, kHeight, squished.data(),
                          squish::kDxt1 | squish::kColourClusterFit);
    const double ref = psnr_of(squished, rgba);
    std::printf("%-6u %8.3f %8.3f %8.3f %10.3f %+12.3f\n", seed, ours[1], ours[2], ours[3], ref,
                ours[3] - ref);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  print_quality_table();
  return 0;
}
