// Whole-frame behaviour of the alpha and YCoCg textures: the two-texture layout of Hap Q Alpha,
// identical output whatever the number of bands, and the set-up's treatment of the quality.
// (Which channel each texture carries is checked by the quality floors.)
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/support/synthetic_scene.h"
#include "tests/support/test_frames.h"
#include "tests/texture/alpha_dxtenc_run.h"

namespace {

using orvex_test::DxtencRun;
using orvex_test::run_dxtenc;

constexpr uint32_t kW = 61, kH = 45;  // partial blocks at both edges

TEST(HapQAlphaLayout, AlphaTextureFollowsTheColourTexture) {
  // 8x4: two Hap Q blocks (bytes 0-31), then the two RGTC1 blocks of the alpha (bytes 32-47).
  std::vector<uint8_t> rgba(8 * 4 * 4);
  for (size_t p = 0; p < 32; ++p) {
    rgba[p * 4] = static_cast<uint8_t>(30 + p * 5);
    rgba[p * 4 + 1] = static_cast<uint8_t>(200 - p * 3);
    rgba[p * 4 + 2] = 90;
    rgba[p * 4 + 3] = (p % 8) < 4 ? 40 : 220;  // left block 40, right block 220
  }
  const auto pixels = orvex_test::rgba_to_argb8(rgba);
  DxtencRun run;
  run.type = DXTENC_YCOCG_RGTC1_ALPHA;
  const auto pair = run_dxtenc(run, pixels, 8, 4);
  ASSERT_EQ(pair.size(), 48u);
  run.type = DXTENC_YCOCG;
  const auto colour = run_dxtenc(run, pixels, 8, 4);
  ASSERT_EQ(colour.size(), 32u);
  EXPECT_TRUE(std::equal(colour.begin(), colour.end(), pair.begin()));
  const std::vector<uint8_t> expected_alpha = {40, 0, 0, 0, 0, 0, 0, 0, 220, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(expected_alpha.begin(), expected_alpha.end(), pair.begin() + 32));
}

using BandCase = std::tuple<DxtEncType, uint8_t, PixelFormat>;
class BandIdentity : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandIdentity, ThreadedOutputEqualsSingleThreaded) {
  const auto [type, quality, format] = GetParam();
  constexpr uint32_t w = 37, h = 203;  // 7 bands of 32 rows at most, a partial last band
  const auto pixels = orvex_test::scene_pixels(orvex_test::synthetic_scene_rgba(w, h, 8), format);
  DxtencRun run;
  run.type = type;
  run.quality = quality;
  run.format = format;
  const auto single = run_dxtenc(run, pixels, w, h);
  for (uint32_t threads : {2u, 3u, 64u}) {
    run.threads = threads;
    EXPECT_EQ(run_dxtenc(run, pixels, w, h), single) << threads << " threads";
  }
}

INSTANTIATE_TEST_SUITE_P(Dxt5, BandIdentity,
                         ::testing::Combine(::testing::Values(DXTENC_DXT5),
                                            ::testing::Values(DXT_QUALITY_FAST, DXT_QUALITY_NORMAL,
                                                              DXT_QUALITY_SLOW),
                                            ::testing::Values(ARGB_8, ARGB_16_HOST)));
INSTANTIATE_TEST_SUITE_P(RgtcAndYCoCg, BandIdentity,
                         ::testing::Combine(::testing::Values(DXTENC_RGTC1_LUMA, DXTENC_RGTC1_ALPHA,
                                                              DXTENC_YCOCG,
                                                              DXTENC_YCOCG_RGTC1_ALPHA),
                                            ::testing::Values(DXT_QUALITY_NORMAL),
                                            ::testing::Values(ARGB_8, ARGB_16_HOST)));

TEST(AlphaSetUp, Dxt5RefusesUnknownQualitiesWithItsLine) {
  for (uint8_t quality : {uint8_t{0}, uint8_t{4}}) {
    DxtEnc enc{};
    ::testing::internal::CaptureStdout();
    const int result = dxtenc_open(&enc, 16, 16, DXTENC_DXT5, quality, 0, ARGB_8, PAD_REPLICATE, 1,
                                   CPU_MASK_DEFAULT);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "DxtEnc DXT5 Qualite inconnu : " + std::to_string(quality) + "\n");
    EXPECT_EQ(result, 1);
  }
}

TEST(AlphaSetUp, RgtcAndYCoCgTypesIgnoreTheQuality) {
  const auto pixels = orvex_test::rgba_to_argb8(orvex_test::synthetic_scene_rgba(kW, kH, 2));
  for (DxtEncType type :
       {DXTENC_RGTC1_LUMA, DXTENC_RGTC1_ALPHA, DXTENC_YCOCG, DXTENC_YCOCG_RGTC1_ALPHA}) {
    DxtencRun run;
    run.type = type;
    const auto normal = run_dxtenc(run, pixels, kW, kH);
    for (uint8_t quality : {uint8_t{0}, DXT_QUALITY_FAST, DXT_QUALITY_SLOW, uint8_t{9}}) {
      run.quality = quality;
      EXPECT_EQ(run_dxtenc(run, pixels, kW, kH), normal) << type << " quality " << int{quality};
    }
  }
}

}  // namespace
