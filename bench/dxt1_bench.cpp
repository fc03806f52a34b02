// DXT1 encoder speed (megapixels per second per quality, 8-bit and 16-bit host input, one thread
// and all cores, on a synthetic 1080p frame; and per processor level for DXT1 and DXT5 on a
// natural and a noisy frame) and, after the timings, a quality table against libsquish's cluster
// fit (used as a black-box reference) on the same frames.
#include <benchmark/benchmark.h>
#include <squish.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "inspect/dxt_decoder.h"
#include "inspect/psnr.h"
#include "tests/support/test_frames.h"
#include "texture/cpu_probe.h"
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
  if (dxtenc_open(&enc, {.width = kWidth,
                         .height = kHeight,
                         .quality = quality,
                         .pixel_format = fmt,
                         .threads = threads}) != 0) {
    return {};
  }
  std::vector<uint8_t> out(dxtenc_buffer_size(kWidth, kHeight, DXTENC_DXT1, PAD_REPLICATE));
  const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {kWidth * (fmt == ARGB_8 ? 4u : 8u), 0, 0, 0};
  dxtenc_encode(&enc, out.data(), planes, strides);
  return out;
}

// Sets up `enc` and times whole-frame encodes of the host pixels, reporting megapixels per
// second; false (and the benchmark skipped) when the set-up refuses.
bool time_encodes(benchmark::State& state, DxtEnc& enc, DxtEncType type, uint8_t quality,
                  PixelFormat fmt, uint32_t threads, CpuFeatureMask mask,
                  const std::vector<uint8_t>& pixels) {
  if (dxtenc_open(&enc, {.width = kWidth,
                         .height = kHeight,
                         .type = type,
                         .quality = quality,
                         .pixel_format = fmt,
                         .threads = threads,
                         .cpu_mask = mask}) != 0) {
    state.SkipWithError("set-up refused");
    return false;
  }
  std::vector<uint8_t> out(dxtenc_buffer_size(kWidth, kHeight, type, PAD_REPLICATE));
  const uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {kWidth * (fmt == ARGB_8 ? 4u : 8u), 0, 0, 0};
  for (auto _ : state) {
    dxtenc_encode(&enc, out.data(), planes, strides);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["Mpx/s"] = benchmark::Counter(
      static_cast<double>(kWidth) * kHeight * static_cast<double>(state.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
  return true;
}

// Args: quality (1..3), 16-bit input (0/1), threads (1, or 0 for every core).
void BM_Dxt1(benchmark::State& state) {
  const auto quality = static_cast<uint8_t>(state.range(0));
  const PixelFormat fmt = state.range(1) ? ARGB_16_HOST : ARGB_8;
  const auto threads = static_cast<uint32_t>(state.range(2));
  const auto pixels = fmt == ARGB_8 ? orvex_test::rgba_to_argb8(rgba_frame(1))
                                    : orvex_test::rgba_to_argb16_host(rgba_frame(1));
  DxtEnc enc{};
  if (!time_encodes(state, enc, DXTENC_DXT1, quality, fmt, threads, CPU_MASK_DEFAULT, pixels)) {
    return;
  }
  state.counters["bands"] = enc.thread_count;
  state.SetLabel(std::string(fmt == ARGB_8 ? "8-bit" : "16-bit") +
                 (threads == 1 ? " 1 thread" : " all cores"));
}
BENCHMARK(BM_Dxt1)
    ->ArgNames({"quality", "16bit", "threads"})
    ->ArgsProduct({{1, 2, 3}, {0, 1}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Per processor level: DXT1 or DXT5, one thread, 8-bit input, the table built with the level's
// mask, on the natural frame or on a noisy one (every channel of every pixel random: nearly every
// block goes through the cluster fit at Normal). Registered in main for the levels this processor
// has; megapixels per second of CPU time, so a loaded machine shows in the wall time only.
struct Level {
  std::string name;
  CpuFeatureMask mask;
};

// Generic, then each processor level over the ones before it.
std::vector<Level> levels() {
  std::vector<Level> list{{"generic", CPU_ALLOW_SPECIFIC}};
  for (const CpuLevel& level : kCpuLevels)
    list.push_back({level.name, list.back().mask | level.bits});
  return list;
}

const std::vector<uint8_t>& noisy_rgba() {
  static const std::vector<uint8_t> frame = [] {
    std::vector<uint8_t> f(size_t{kWidth} * kHeight * 4);
    uint32_t x = 2463534242u;
    for (auto& v : f) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      v = static_cast<uint8_t>(x >> 24);
    }
    return f;
  }();
  return frame;
}

void BM_Dxt1Level(benchmark::State& state, DxtEncType type, uint8_t quality, CpuFeatureMask mask,
                  bool noisy) {
  const auto pixels = orvex_test::rgba_to_argb8(noisy ? noisy_rgba() : rgba_frame(1));
  DxtEnc enc{};
  time_encodes(state, enc, type, quality, ARGB_8, 1, mask, pixels);
}

void register_level_benchmarks() {
  const CpuFeatureMask have = effective_mask(CPU_MASK_DEFAULT, probe_cpu_facts());
  for (const Level& level : levels()) {
    if ((have & level.mask) != level.mask) continue;
    for (DxtEncType type : {DXTENC_DXT1, DXTENC_DXT5}) {
      for (const DxtQuality& q : kDxtQualities) {
        const uint8_t quality = q.value;
        for (bool noisy : {false, true}) {
          const std::string name =
              std::string("BM_Dxt1Level/") + (type == DXTENC_DXT1 ? "dxt1" : "dxt5") + "/q" +
              std::to_string(quality) + (noisy ? "/noisy/" : "/natural/") + level.name;
          benchmark::RegisterBenchmark(name.c_str(), BM_Dxt1Level, type, quality, level.mask, noisy)
              ->Unit(benchmark::kMillisecond);
        }
      }
    }
  }
}

double psnr_of(const std::vector<uint8_t>& texture, const std::vector<uint8_t>& rgba) {
  const auto decoded = orvex_inspect::decode_dxt1_texture(texture.data(), kWidth, kHeight);
  return orvex_inspect::psnr_rgb(rgba.data(), decoded.data(),
                                 static_cast<size_t>(kWidth) * kHeight);
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
  register_level_benchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  print_quality_table();
  return 0;
}
