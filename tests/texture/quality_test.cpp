// Quality after decoding (PSNR in dB) as regression guards: colour rising from Fast to Normal to
// Slow above floors a little under the measured values, Hap R included (ffmpeg has no decoder for
// it). The floors of every variant from 8- and 16-bit sources, after ffmpeg's decode, are in the
// end-to-end tests.
#include <gtest/gtest.h>

#include <vector>

#include "inspect/psnr.h"
#include "tests/texture/texture_test_util.h"

namespace {

using texture_test::AlphaKind;

struct Psnr {
  double colour, alpha;
};

// Encodes `rgba` with `run`, decodes it, and measures it against the source.
Psnr measure(const std::vector<uint8_t>& rgba, uint32_t w, uint32_t h,
             const texture_test::Run& run) {
  const auto decoded =
      texture_test::decode(run.type, texture_test::encode_rgba(rgba, w, h, run), w, h);
  return {orvex_inspect::psnr_rgb(decoded.data(), rgba.data(), size_t{w} * h),
          orvex_inspect::psnr_alpha(decoded.data(), rgba.data(), size_t{w} * h)};
}

// The graded types on natural-looking frames: colour rises from Fast to Normal to Slow and stays
// above the floors; alpha stays above its floor at every quality.
struct GradedFloors {
  DxtEncType type;
  AlphaKind alpha;
  double rgb[3];    // Fast, Normal, Slow
  double alpha_db;  // at every quality
};

class RisingQuality : public testing::TestWithParam<GradedFloors> {};

TEST_P(RisingQuality, RisesWithQualityAndStaysAboveFloors) {
  const GradedFloors& floors = GetParam();
  const bool dxt1 = floors.type == DXTENC_DXT1;
  const uint32_t w = dxt1 ? 192 : 128, h = 128;
  const auto img = dxt1 ? orvex_test::natural_rgba(w, h, 2)
                        : texture_test::natural_image(w, h, floors.alpha, 21);
  double previous = 0;
  for (uint8_t q = 1; q <= 3; ++q) {
    const Psnr got = measure(img, w, h, {.type = floors.type, .quality = q});
    EXPECT_GT(got.colour, previous) << "quality " << int{q};
    EXPECT_GE(got.colour, floors.rgb[q - 1]) << "quality " << int{q};
    EXPECT_GE(got.alpha, floors.alpha_db) << "quality " << int{q};
    previous = got.colour;
  }
}

// DXT1 measured 34.88/35.22/35.29 (libsquish's cluster fit: 35.34). BC7 measured 40.5/43.6/44.6;
// soft alpha 39.5/41.0/41.8 (alpha 42.0, 43.2, 44.2); cut-out 39.9/41.6/42.4 (alpha 52.5+).
// DXT1 carries no alpha (0 is no floor); opaque BC7 alpha must come back exact.
INSTANTIATE_TEST_SUITE_P(
    NaturalContent, RisingQuality,
    testing::Values(GradedFloors{DXTENC_DXT1, AlphaKind::Soft, {34.8, 35.15, 35.25}, 0},
                    GradedFloors{DXTENC_BC7, AlphaKind::Opaque, {39.5, 42.6, 43.6}, 1e9},
                    GradedFloors{DXTENC_BC7, AlphaKind::Soft, {38.5, 40.0, 40.8}, 41.0},
                    GradedFloors{DXTENC_BC7, AlphaKind::Binary, {38.9, 40.6, 41.4}, 51.5}));

}  // namespace
