// Quality after decoding: rising from Fast to Normal to Slow, with floors as regression guards,
// for colour on opaque content and for colour and alpha on soft and cut-out alpha.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/bc7_decoder.h"
#include "tests/support/dxt_decoder.h"
#include "tests/support/psnr.h"
#include "tests/support/test_frames.h"
#include "tests/texture/bc7_test_images.h"
#include "texture/bc7enc/bc7_presets.h"
#include "texture/dxtenc.h"

namespace {

using bc7_test::AlphaKind;

constexpr uint32_t kSize = 128;

struct Floors {
  AlphaKind alpha;
  double rgb[3];    // Fast, Normal, Slow
  double alpha_db;  // at every quality
};

class Bc7Quality : public testing::TestWithParam<Floors> {};

TEST_P(Bc7Quality, RisesWithQualityAndStaysAboveFloors) {
  const Floors& floors = GetParam();
  const std::vector<uint8_t> img = bc7_test::natural_image(kSize, kSize, floors.alpha, 21);
  const Bc7BlockParams* presets[] = {&g_bc7_params_fast, &g_bc7_params_normal, &g_bc7_params_slow};
  double previous = 0;
  for (int q = 0; q < 3; ++q) {
    const std::vector<uint8_t> tex = bc7_test::encode_image(img, kSize, kSize, *presets[q]);
    const std::vector<uint8_t> out = orvex_test::bc7_decode_texture(tex.data(), kSize, kSize);
    const double rgb = orvex_test::psnr_rgb(img.data(), out.data(), size_t{kSize} * kSize);
    const double alpha = orvex_test::psnr_alpha(img.data(), out.data(), size_t{kSize} * kSize);
    EXPECT_GT(rgb, previous) << "quality " << q + 1;
    EXPECT_GE(rgb, floors.rgb[q]) << "quality " << q + 1;
    EXPECT_GE(alpha, floors.alpha_db) << "quality " << q + 1;
    previous = rgb;
  }
}

INSTANTIATE_TEST_SUITE_P(NaturalContent, Bc7Quality,
                         // Measured 40.5/43.6/44.6; 39.5/41.0/41.8 (alpha 42.0, 43.2,
                         // 44.2); 39.9/41.6/42.4 (alpha 52.5+). Opaque alpha must come back
                         // exact (infinite PSNR).
                         testing::Values(Floors{AlphaKind::Opaque, {39.5, 42.6, 43.6}, 1e9},
                                         Floors{AlphaKind::Soft, {38.5, 40.0, 40.8}, 41.0},
                                         Floors{AlphaKind::Binary, {38.9, 40.6, 41.4}, 51.5}));

std::vector<uint8_t> encode_frame(const std::vector<uint8_t>& rgba, DxtEncType type,
                                  uint8_t quality) {
  const std::vector<uint8_t> argb = orvex_test::rgba_to_argb8(rgba);
  DxtEnc enc{};
  EXPECT_EQ(
      dxtenc_open(&enc, kSize, kSize, type, quality, 0, ARGB_8, PAD_REPLICATE, 1, CPU_MASK_DEFAULT),
      0);
  std::vector<uint8_t> tex(dxtenc_buffer_size(kSize, kSize, type, PAD_REPLICATE));
  const uint8_t* planes[4] = {argb.data(), nullptr, nullptr, nullptr};
  const size_t strides[4] = {size_t{kSize} * 4, 0, 0, 0};
  dxtenc_encode(&enc, tex.data(), planes, strides);
  return tex;
}

// Hap R at Normal against Hap (DXT1) at its best, on two kinds of natural-looking frames.
TEST(Bc7AgainstDxt1, NormalBeatsSlowDxt1ByAClearMargin) {
  const std::vector<uint8_t> frames[] = {
      bc7_test::natural_image(kSize, kSize, AlphaKind::Opaque, 61),
      orvex_test::natural_rgba(kSize, kSize, 62)};
  for (const std::vector<uint8_t>& rgba : frames) {
    const std::vector<uint8_t> bc7 = encode_frame(rgba, DXTENC_BC7, 2);
    const std::vector<uint8_t> dxt1 = encode_frame(rgba, DXTENC_DXT1, 3);
    const std::vector<uint8_t> bc7_out = orvex_test::bc7_decode_texture(bc7.data(), kSize, kSize);
    const std::vector<uint8_t> dxt1_out =
        orvex_test::decode_dxt1_texture(dxt1.data(), kSize, kSize);
    const double bc7_db = orvex_test::psnr_rgb(rgba.data(), bc7_out.data(), size_t{kSize} * kSize);
    const double dxt1_db =
        orvex_test::psnr_rgb(rgba.data(), dxt1_out.data(), size_t{kSize} * kSize);
    EXPECT_GT(bc7_db, dxt1_db + 4.0);  // measured +10.2 dB and +5.6 dB
  }
}

}  // namespace
